// TWinControl focus and Tab order.
//
// Each windowed control has a TabOrder among its windowed siblings (0 .. n-1, kept dense).
// The Tab order of a form is a depth-first walk: a parent's children in TabOrder, each followed
// by its own children. Tab moves to the next control in that walk that is a tab stop and can
// take the focus (visible and enabled up to the form), wrapping at the end.
#include <algorithm>

#include "framework/wincontrol.h"

namespace framework {

int TWinControl::TabOrder() const { return tab_order_; }

std::vector<TWinControl*> TWinControl::WindowedChildren() {
  std::vector<TWinControl*> list;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) list.push_back(w);
  std::stable_sort(list.begin(), list.end(),
                   [](TWinControl* a, TWinControl* b) { return a->tab_order_ < b->tab_order_; });
  return list;
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) {
    tab_order_ = order;
    return;
  }
  if (parent_->ComponentState() & csLoading || ComponentState() & csLoading) {
    // While a definition loads, the stored values are taken as they are; they are dense once
    // every sibling is in.
    tab_order_ = order;
    return;
  }
  std::vector<TWinControl*> list = parent_->WindowedChildren();
  list.erase(std::find(list.begin(), list.end(), this));
  order = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
  for (size_t i = 0; i < list.size(); ++i) list[i]->tab_order_ = static_cast<int>(i);
}

void TWinControl::SetTabStop(bool value) {
  if (tab_stop_ == value) return;
  tab_stop_ = value;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    style = value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    SetWindowLongPtrA(handle_, GWL_STYLE, style);
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* c : WindowedChildren()) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

bool TWinControl::CanFocus() {
  for (TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TWinControl* form = GetParentForm(this);
      form && form != this && form->HandleAllocated() && !IsWindowVisible(form->handle_))
    return;
  if (Handle()) ::SetFocus(handle_);
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool check_tab_stop) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), current);
  int start = it == list.end() ? (forward ? n - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = forward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[i];
    if (c == current) break;
    if ((!check_tab_stop || c->TabStop()) && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool check_tab_stop) {
  if (TWinControl* next = FindNextControl(current, forward, check_tab_stop)) next->SetFocus();
}

}  // namespace framework
