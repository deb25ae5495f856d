// TLabel: text drawing and auto-sizing.
#include "framework/label.h"

namespace framework {

TLabel::TLabel(TComponent* owner) : TCustomLabel(owner) {
  SetBounds(0, 0, 65, 17);
  InitColor(clBtnFace, true);
}

UINT TLabel::TextFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (word_wrap_) flags |= DT_WORDBREAK;
  if (!show_accel_char_) flags |= DT_NOPREFIX;
  if (alignment_ == taRightJustify) flags |= DT_RIGHT;
  if (alignment_ == taCenter) flags |= DT_CENTER;
  return flags;
}

void TLabel::AdjustBounds() {
  if (!auto_size_ || (ComponentState() & csLoading)) return;
  RECT r{0, 0, word_wrap_ ? Width() : 0, 0};
  std::string text = Caption();
  ScreenFontDC dc(Font().Handle());
  DrawTextA(dc.Get(), text.empty() ? " " : text.c_str(), -1, &r, TextFlags() | DT_CALCRECT);
  int left = Left();
  if (alignment_ == taRightJustify && !word_wrap_) left += Width() - r.right;
  SetBounds(left, Top(), r.right, r.bottom);
}

void TLabel::SetAutoSize(bool value) {
  auto_size_ = value;
  AdjustBounds();
}
void TLabel::SetTransparent(bool value) {
  transparent_ = value;
  Invalidate();
}
void TLabel::SetWordWrap(bool value) {
  word_wrap_ = value;
  AdjustBounds();
  Invalidate();
}
void TLabel::SetAlignment(TAlignment value) {
  alignment_ = value;
  Invalidate();
}
void TLabel::SetShowAccelChar(bool value) {
  show_accel_char_ = value;
  AdjustBounds();
  Invalidate();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::Paint() {
  TCanvas& c = Canvas();
  RECT r = ClientRect();
  if (!transparent_) {
    c.Brush().SetColor(Color());
    c.FillRect(r);
  }
  HDC dc = c.Handle();
  SetBkMode(dc, TRANSPARENT);
  std::string text = Caption();
  if (Enabled()) {
    c.TextRect(r, text, TextFlags());
  } else {
    OffsetRect(&r, 1, 1);
    c.Font().SetColor(clBtnHighlight);
    c.TextRect(r, text, TextFlags());
    OffsetRect(&r, -1, -1);
    c.Font().SetColor(clBtnShadow);
    c.TextRect(r, text, TextFlags());
  }
}

void TLabel::WndProc(TMessage& m) {
  TGraphicControl::WndProc(m);
  if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_FONTCHANGED) AdjustBounds();
}

}  // namespace framework
