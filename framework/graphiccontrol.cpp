// TGraphicControl: painting on the parent's DC, and a canvas on demand outside painting.
#include "framework/graphiccontrol.h"

#include <algorithm>
#include <vector>

namespace framework {

// A graphic control's canvas: bound to the paint DC while painting, otherwise to a DC of the
// parent's window that it takes itself.
class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TGraphicControl& control) : control_(control) {}
  ~TControlCanvas() override { FreeOwnDC(); }

  void FreeOwnDC();

 protected:
  void CreateHandle() override;

 private:
  TGraphicControl& control_;
  std::unique_ptr<WindowDC> own_dc_;
};

namespace {
// The module-wide list of control canvases holding a DC of their own now.
std::vector<TControlCanvas*> g_canvases_with_dc;
}  // namespace

void TControlCanvas::CreateHandle() {
  TWinControl* parent = control_.Parent();
  if (!parent || !parent->HandleAllocated()) return;
  auto dc = std::make_unique<WindowDC>(parent->Handle());
  if (!dc->Get()) return;
  SetViewportOrgEx(dc->Get(), control_.Left(), control_.Top(), nullptr);
  IntersectClipRect(dc->Get(), 0, 0, control_.Width(), control_.Height());
  own_dc_ = std::move(dc);
  g_canvases_with_dc.push_back(this);
  SetHandle(own_dc_->Get());
  Font().Assign(control_.Font());
}

void TControlCanvas::FreeOwnDC() {
  if (!own_dc_) return;
  SetHandle(nullptr);
  own_dc_.reset();
  g_canvases_with_dc.erase(std::remove(g_canvases_with_dc.begin(), g_canvases_with_dc.end(), this),
                           g_canvases_with_dc.end());
}

void FreeControlCanvasDCs() {
  while (!g_canvases_with_dc.empty()) g_canvases_with_dc.back()->FreeOwnDC();
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>(*this)) {
  click_events_ = true;
}

TGraphicControl::~TGraphicControl() = default;

TCanvas& TGraphicControl::Canvas() { return *canvas_; }

void TGraphicControl::WndProc(TMessage& m) {
  if (m.Msg == WM_PAINT && m.WParam) {
    canvas_->FreeOwnDC();
    ScopedCanvasDC bound(*canvas_, reinterpret_cast<HDC>(m.WParam));
    canvas_->Font().Assign(Font());
    Paint();
    m.Result = 0;
    return;
  }
  TControl::WndProc(m);
}

}  // namespace framework
