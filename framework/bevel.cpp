// TWinControl's non-client bevel (BevelKind, BevelInner, BevelOuter, BevelWidth).
//
// The bevel takes BevelWidth pixels per cut that is not bvNone from every side of what the
// window's own frame leaves (WM_NCCALCSIZE), and paints them with DrawEdge after the frame and
// the scroll bars (WM_NCPAINT), around the client area and the scroll bars together: inner cut
// lowered = BDR_SUNKENINNER, raised = BDR_RAISEDINNER; outer cut lowered = BDR_SUNKENOUTER,
// raised = BDR_RAISEDOUTER; bkFlat adds BF_FLAT, bkSoft BF_SOFT.
#include "framework/wincontrol.h"

namespace framework {

int TWinControl::BevelEdgeSize() const {
  if (bevel_kind_ == bkNone) return 0;
  int size = 0;
  if (bevel_inner_ != bvNone) size += bevel_width_;
  if (bevel_outer_ != bvNone) size += bevel_width_;
  return size;
}

void TWinControl::BevelChanged() {
  if (handle_)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWinControl::SetBevelInner(TBevelCut cut) {
  if (cut == bevel_inner_) return;
  bevel_inner_ = cut;
  BevelChanged();
}
void TWinControl::SetBevelOuter(TBevelCut cut) {
  if (cut == bevel_outer_) return;
  bevel_outer_ = cut;
  BevelChanged();
}
void TWinControl::SetBevelKind(TBevelKind kind) {
  if (kind == bevel_kind_) return;
  bevel_kind_ = kind;
  BevelChanged();
}
void TWinControl::SetBevelWidth(int width) {
  if (width < 1 || width == bevel_width_) return;
  bevel_width_ = width;
  BevelChanged();
}

void TWinControl::BevelNcCalcSize(TMessage& m) {
  DefaultHandler(m);
  int edge = BevelEdgeSize();
  RECT& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0];
  InflateRect(&r, -edge, -edge);
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
}

void TWinControl::BevelNcPaint(TMessage& m) {
  DefaultHandler(m);
  NonClientDC window_dc(handle_);
  HDC dc = window_dc.Get();
  if (!dc) return;
  RECT window;
  GetWindowRect(handle_, &window);
  RECT client;
  GetClientRect(handle_, &client);
  MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  // The system puts a window's scroll bars right of and below its client area, inside what
  // WM_NCCALCSIZE left after the bevel; the bevel surrounds both, just outside them.
  LONG style = GetWindowLongA(handle_, GWL_STYLE);
  if (style & WS_VSCROLL) client.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) client.bottom += GetSystemMetrics(SM_CYHSCROLL);
  int edge = BevelEdgeSize();
  RECT r{client.left - window.left - edge, client.top - window.top - edge,
         client.right - window.left + edge, client.bottom - window.top + edge};
  UINT inner[] = {0, BDR_SUNKENINNER, BDR_RAISEDINNER, 0};
  UINT outer[] = {0, BDR_SUNKENOUTER, BDR_RAISEDOUTER, 0};
  UINT kind[] = {0, 0, BF_SOFT, BF_FLAT};
  DrawEdge(dc, &r, inner[bevel_inner_] | outer[bevel_outer_], BF_RECT | kind[bevel_kind_]);
  m.Result = 0;
}

}  // namespace framework
