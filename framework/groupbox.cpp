// TGroupBox: etched frame with the caption cut into its top edge.
#include "framework/groupbox.h"

namespace framework {

int ScreenTextHeight(TFont& font, const std::string& text) {
  ScreenFontDC dc(font.Handle());
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cy;
}

TGroupBox::TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {
  SetBounds(0, 0, 185, 105);
  SetTabStop(false);
}

void TGroupBox::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style |= WS_CLIPCHILDREN;
}

void TGroupBox::AdjustClientRect(RECT& r) {
  r.top += ScreenTextHeight(Font(), "0");
  InflateRect(&r, -2, -2);
}

void TGroupBox::Paint() {
  TCanvas& c = Canvas();
  RECT client = ClientRect();
  c.Brush().SetColor(Color());
  c.FillRect(client);
  int h = c.TextHeight("0");
  RECT frame{0, h / 2 - 1, client.right, client.bottom};
  DrawEdge(c.Handle(), &frame, EDGE_ETCHED, BF_RECT);
  std::string text = Caption();
  if (text.empty()) return;
  RECT tr{8, 0, 0, h};
  c.TextRect(tr, text, DT_CALCRECT | DT_SINGLELINE);
  c.Brush().SetColor(Color());
  c.FillRect(tr);
  if (!Enabled()) c.Font().SetColor(clGrayText);
  SetBkMode(c.Handle(), TRANSPARENT);
  c.TextRect(tr, text, DT_SINGLELINE | DT_LEFT);
}

void TGroupBox::WndProc(TMessage& m) {
  if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_FONTCHANGED) {
    Invalidate();
    if (m.Msg == CM_FONTCHANGED) Realign();
  }
  TCustomControl::WndProc(m);
}

}  // namespace framework
