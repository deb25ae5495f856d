// TPanel: bevels, border and caption.
#include "framework/panel.h"

namespace framework {

TPanel::TPanel(TComponent* owner) : TCustomPanel(owner) {
  SetBounds(0, 0, 185, 41);
  click_events_ = true;
}

void TPanel::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style |= WS_CLIPCHILDREN;
  if (border_style_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TPanel::Changed() {
  Realign();
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut cut) {
  inner_ = cut;
  Changed();
}
void TPanel::SetBevelOuter(TBevelCut cut) {
  outer_ = cut;
  Changed();
}
void TPanel::SetBevelWidth(int width) {
  bevel_width_ = width < 1 ? 1 : width;
  Changed();
}
void TPanel::SetBorderWidth(int width) {
  border_width_ = width < 0 ? 0 : width;
  Changed();
}
void TPanel::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
  Changed();
}
void TPanel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Invalidate();
}

void TPanel::AdjustClientRect(RECT& r) {
  int inset = border_width_;
  if (outer_ != bvNone) inset += bevel_width_;
  if (inner_ != bvNone) inset += bevel_width_;
  InflateRect(&r, -inset, -inset);
}

void TPanel::Paint() {
  TCanvas& c = Canvas();
  RECT r = ClientRect();
  c.Brush().SetColor(Color());
  c.FillRect(r);
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    UINT edge = cut == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER;
    for (int i = 0; i < bevel_width_; ++i) {
      if (cut != bvSpace) DrawEdge(c.Handle(), &r, edge, BF_RECT);
      InflateRect(&r, -1, -1);
    }
  };
  bevel(outer_);
  InflateRect(&r, -border_width_, -border_width_);
  bevel(inner_);
  std::string text = Caption();
  if (text.empty()) return;
  UINT align = alignment_ == taLeftJustify    ? DT_LEFT
               : alignment_ == taRightJustify ? DT_RIGHT
                                              : DT_CENTER;
  SetBkMode(c.Handle(), TRANSPARENT);
  c.TextRect(r, text, DT_SINGLELINE | DT_VCENTER | align);
}

void TPanel::WndProc(TMessage& m) {
  if (m.Msg == CM_TEXTCHANGED) Invalidate();
  TCustomControl::WndProc(m);
}

}  // namespace framework
