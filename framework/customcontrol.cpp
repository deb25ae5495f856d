// TCustomControl: painting through a canvas.
#include "framework/customcontrol.h"

namespace framework {

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
  ScopedCanvasDC bound(*canvas_, dc);
  canvas_->Font().Assign(Font());
  canvas_->Brush().SetColor(Color());
  Paint();
}

void TCustomControl::Paint() {
  canvas_->Brush().SetColor(Color());
  canvas_->FillRect(ClientRect());
}

}  // namespace framework
