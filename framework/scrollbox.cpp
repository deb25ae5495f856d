// TScrollBox: ranges from the children, scrolling by moving them.
#include "framework/scrollbox.h"

#include <algorithm>

namespace framework {

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 41);
  InitColor(clBtnFace, false);
}

void TScrollBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style |= WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;
  if (border_style_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TScrollBox::UpdateScrollBars() {
  if (!handle_) return;
  int right = 0, bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != alNone) continue;
    right = std::max(right, c->Left() + c->Width() + pos_x_);
    bottom = std::max(bottom, c->Top() + c->Height() + pos_y_);
  }
  range_x_ = right;
  range_y_ = bottom;
  RECT client;
  GetClientRect(handle_, &client);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
  si.nMax = range_x_ > 0 ? range_x_ - 1 : 0;
  si.nPage = client.right;
  si.nPos = pos_x_;
  SetScrollInfo(handle_, SB_HORZ, &si, TRUE);
  si.nMax = range_y_ > 0 ? range_y_ - 1 : 0;
  si.nPage = client.bottom;
  si.nPos = pos_y_;
  SetScrollInfo(handle_, SB_VERT, &si, TRUE);
}

void TScrollBox::ScrollTo(int x, int y) {
  if (!handle_) return;
  RECT client;
  GetClientRect(handle_, &client);
  x = std::clamp(x, 0, std::max(0, range_x_ - static_cast<int>(client.right)));
  y = std::clamp(y, 0, std::max(0, range_y_ - static_cast<int>(client.bottom)));
  int dx = pos_x_ - x, dy = pos_y_ - y;
  if (dx == 0 && dy == 0) return;
  pos_x_ = x;
  pos_y_ = y;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Align() == alNone) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  SetScrollPos(handle_, SB_HORZ, pos_x_, TRUE);
  SetScrollPos(handle_, SB_VERT, pos_y_, TRUE);
  InvalidateRect(handle_, nullptr, TRUE);
}

void TScrollBox::Scroll(int bar, WORD code) {
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(handle_, bar, &si);
  int pos = si.nPos;
  int page = static_cast<int>(si.nPage);
  switch (code) {
    case SB_LINEUP:
      pos -= 8;
      break;
    case SB_LINEDOWN:
      pos += 8;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = si.nMax;
      break;
    default:
      return;
  }
  if (bar == SB_HORZ)
    ScrollTo(pos, pos_y_);
  else
    ScrollTo(pos_x_, pos);
}

void TScrollBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_HSCROLL:
      if (m.LParam == 0) {
        Scroll(SB_HORZ, LOWORD(m.WParam));
        return;
      }
      break;
    case WM_VSCROLL:
      if (m.LParam == 0) {
        Scroll(SB_VERT, LOWORD(m.WParam));
        return;
      }
      break;
    case WM_SIZE:
      TWinControl::WndProc(m);
      UpdateScrollBars();
      return;
  }
  TWinControl::WndProc(m);
}

}  // namespace framework
