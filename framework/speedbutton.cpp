// TSpeedButton: face, glyph and caption, and the hot and pressed states.
#include "framework/speedbutton.h"

namespace framework {

TSpeedButton::TSpeedButton(TComponent* owner)
    : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 23, 22);
  InitColor(clBtnFace, true);
  glyph_->SetTransparent(true);
  glyph_->OnChange = [this](TBitmap&) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetFlat(bool value) {
  flat_ = value;
  Invalidate();
}

void TSpeedButton::Paint() {
  TCanvas& c = Canvas();
  RECT r = ClientRect();
  c.Brush().SetColor(Color());
  c.FillRect(r);
  if (pressed_)
    DrawEdge(c.Handle(), &r, BDR_SUNKENOUTER, BF_RECT);
  else if (!flat_ || mouse_in_)
    DrawEdge(c.Handle(), &r, BDR_RAISEDINNER, BF_RECT);
  int shift = pressed_ ? 1 : 0;
  std::string caption = Caption();
  SIZE text = caption.empty() ? SIZE{0, 0} : c.TextExtent(caption);
  int gw = glyph_->Empty() ? 0 : glyph_->Width();
  int gap = gw > 0 && text.cx > 0 ? 4 : 0;
  int x = (r.right - (gw + gap + text.cx)) / 2 + shift;
  if (gw > 0) c.Draw(x, (r.bottom - glyph_->Height()) / 2 + shift, *glyph_);
  if (text.cx == 0) return;
  SetBkMode(c.Handle(), TRANSPARENT);
  c.Font().SetColor(Enabled() ? Font().Color() : clGrayText);
  c.TextOut(x + gw + gap, (r.bottom - text.cy) / 2 + shift, caption);
}

void TSpeedButton::WndProc(TMessage& m) {
  if ((m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) && m.LParam == 0) {
    bool was_pressed = pressed_;
    mouse_in_ = m.Msg == CM_MOUSEENTER;
    if (!mouse_in_) pressed_ = false;
    if (flat_ || was_pressed != pressed_) Invalidate();
  }
  TGraphicControl::WndProc(m);
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    pressed_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && pressed_) {
    pressed_ = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

}  // namespace framework
