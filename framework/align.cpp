// TWinControl alignment and anchoring of child controls.
//
// Aligned children are placed inside the client rect (after AdjustClientRect) group by group:
// top, bottom, left, right, client. Within a group the children keep the order of their current
// positions (top: by Top; bottom: by bottom edge, lowest first; left: by Left; right: by right
// edge, rightmost first), ties broken by their order in Controls. Each top child takes the full
// width and its own height at the top of the remaining rect, which then shrinks below it; the
// others work alike; client children fill what is left.
#include <algorithm>

#include "framework/wincontrol.h"

namespace framework {

void TWinControl::AdjustClientRect(RECT&) {}

void TWinControl::EnableAlign() {
  if (align_disabled_ > 0) --align_disabled_;
  if (align_disabled_ == 0 && align_pending_) Realign();
}

void TWinControl::Realign() {
  if (align_disabled_ > 0 || (ComponentState() & (csLoading | csDestroying))) {
    align_pending_ = true;
    return;
  }
  align_pending_ = false;
  RECT r = ClientRect();
  AdjustClientRect(r);
  ++align_disabled_;
  AlignControls(r);
  --align_disabled_;
}

void TWinControl::AlignControls(RECT& rect) {
  auto group = [&](TAlign a) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == a && c->Visible()) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
      switch (a) {
        case alTop:
          return x->Top() < y->Top();
        case alBottom:
          return x->Top() + x->Height() > y->Top() + y->Height();
        case alLeft:
          return x->Left() < y->Left();
        case alRight:
          return x->Left() + x->Width() > y->Left() + y->Width();
        default:
          return false;
      }
    });
    return list;
  };
  auto width = [&] { return std::max<LONG>(0, rect.right - rect.left); };
  auto height = [&] { return std::max<LONG>(0, rect.bottom - rect.top); };
  for (TControl* c : group(alTop)) {
    c->SetBounds(rect.left, rect.top, width(), c->Height());
    rect.top += c->Height();
  }
  for (TControl* c : group(alBottom)) {
    c->SetBounds(rect.left, rect.bottom - c->Height(), width(), c->Height());
    rect.bottom -= c->Height();
  }
  for (TControl* c : group(alLeft)) {
    c->SetBounds(rect.left, rect.top, c->Width(), height());
    rect.left += c->Width();
  }
  for (TControl* c : group(alRight)) {
    c->SetBounds(rect.right - c->Width(), rect.top, c->Width(), height());
    rect.right -= c->Width();
  }
  for (TControl* c : group(alClient)) c->SetBounds(rect.left, rect.top, width(), height());
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (align_pending_) Realign();
}

void TWinControl::AnchorControls(int old_width, int old_height) {
  if (ComponentState() & csLoading) return;
  RECT r = ClientRect();
  int dw = r.right - old_width, dh = r.bottom - old_height;
  if (dw == 0 && dh == 0) return;
  for (TControl* c : controls_) {
    if (c->Align() != alNone) continue;
    TAnchors a = c->Anchors();
    int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
    if (a & akRight) {
      if (a & akLeft)
        w += dw;
      else
        l += dw;
    } else if (!(a & akLeft)) {
      l += dw / 2;
    }
    if (a & akBottom) {
      if (a & akTop)
        h += dh;
      else
        t += dh;
    } else if (!(a & akTop)) {
      t += dh / 2;
    }
    c->SetBounds(l, t, w, h);
  }
}

}  // namespace framework
