// TGraphicControl: painting on the parent's DC.
#include "framework/graphiccontrol.h"

namespace framework {

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TCanvas>()) {
  click_events_ = true;
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& m) {
  if (m.Msg == WM_PAINT && m.WParam) {
    canvas_->SetHandle(reinterpret_cast<HDC>(m.WParam));
    canvas_->Font().Assign(Font());
    Paint();
    canvas_->SetHandle(nullptr);
    m.Result = 0;
    return;
  }
  TControl::WndProc(m);
}

}  // namespace framework
