// TControl: bounds, visibility, text, colour, font and mouse handling common to all controls.
#include "framework/control.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/menus.h"
#include "framework/mousetrack.h"
#include "framework/wincontrol.h"

namespace framework {

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

namespace {
TShiftState MouseShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  return s;
}
}  // namespace

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  font_->OnChange = [this](TGraphicsObject&) { FontChanged(); };
}

TControl::~TControl() {
  SetDestroying();
  ForgetMouseControl(this);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  if (parent_ && !dynamic_cast<TWinControl*>(this)) Invalidate();  // old place
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  RequestAlign();
}

void TControl::BoundsChanged() { Invalidate(); }

RECT TControl::ClientRect() { return {0, 0, width_, height_}; }

void TControl::SetClientSize(int width, int height) {
  RECT r = ClientRect();
  SetBounds(left_, top_, width_ + width - r.right, height_ + height - r.bottom);
}

POINT TControl::ClientOrigin() { return {0, 0}; }

void TControl::RequestAlign() {
  if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  TAlign old = align_;
  align_ = align;
  if (parent_ && (old != alNone || align != alNone)) parent_->Realign();
}

void TControl::SetAnchors(TAnchors anchors) { anchors_ = anchors; }

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  VisibleChanging();
  if (!visible && parent_) Invalidate();
  visible_ = visible;
  Perform(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
  if (visible) Invalidate();
  if (parent_ && align_ != alNone) parent_->Realign();
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

std::string TControl::Text() { return text_; }

void TControl::SetText(const std::string& text) {
  if (Text() == text) return;
  text_ = text;
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowTextA(w->handle_, text.c_str());
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetColor(TColor color) {
  if (color == color_) {
    parent_color_ = false;
    return;
  }
  color_ = color;
  parent_color_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
  parent_color_ = value;
  if (value && parent_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
  parent_font_ = value;
  if (value && parent_) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::FontChanged() {
  if (!taking_parent_font_) parent_font_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::Loaded() { TComponent::Loaded(); }

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (popup_menu_) RemoveFreeNotification(popup_menu_);
  popup_menu_ = menu;
  if (popup_menu_) FreeNotification(popup_menu_);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popup_menu_) popup_menu_ = nullptr;
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage m{msg, wparam, lparam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
      HandleMouseMessage(m);
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (m.LParam == 0) {
        const TNotifyEvent& e = m.Msg == CM_MOUSEENTER ? OnMouseEnter : OnMouseLeave;
        if (e) e(this);
        if (parent_) parent_->Perform(m.Msg, 0, reinterpret_cast<LPARAM>(this));
      }
      break;
    case CM_PARENTCOLORCHANGED:
      if (parent_color_ && parent_) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED, 0, 0);
      }
      break;
    case CM_PARENTFONTCHANGED:
      if (parent_font_ && parent_) {
        taking_parent_font_ = true;
        font_->Assign(parent_->Font());
        taking_parent_font_ = false;
      }
      break;
    case CM_TEXTCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_ENABLEDCHANGED:
      Invalidate();
      DefaultHandler(m);
      break;
    default:
      DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage& m) { m.Result = 0; }

void TControl::HandleMouseMessage(TMessage& m) {
  int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
  TShiftState shift = MouseShiftState(m.WParam);
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      mouse_pressed_ = true;
      MouseDown(mbLeft, shift, x, y);
      break;
    case WM_LBUTTONDBLCLK:
      mouse_pressed_ = true;
      DblClick();
      MouseDown(mbLeft, shift | ssDouble, x, y);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, shift, x, y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift, x, y);
      break;
    case WM_LBUTTONUP: {
      bool was_pressed = mouse_pressed_;
      mouse_pressed_ = false;
      MouseUp(mbLeft, shift, x, y);
      RECT r = ClientRect();
      POINT p{x, y};
      if (was_pressed && click_events_ && PtInRect(&r, p)) Click();
      break;
    }
    case WM_RBUTTONUP:
      MouseUp(mbRight, shift, x, y);
      if (popup_menu_) {
        POINT at = ClientToScreen({x, y});
        popup_menu_->Popup(at.x, at.y);
      }
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, x, y);
      break;
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      break;
  }
  DefaultHandler(m);
}

void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, b, s, x, y);
}
void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, b, s, x, y);
}
void TControl::MouseMove(TShiftState s, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, s, x, y);
}
void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated()) return;
  RECT r = BoundsRect();
  InvalidateRect(parent_->handle_, &r, TRUE);
}

POINT TControl::ClientToScreen(POINT p) {
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
    ::ClientToScreen(w->handle_, &p);
    return p;
  }
  if (!parent_) return p;
  return parent_->ClientToScreen({p.x + left_, p.y + top_});
}

POINT TControl::ScreenToClient(POINT p) {
  POINT origin = ClientToScreen({0, 0});
  return {p.x - origin.x, p.y - origin.y};
}

void TControl::BringToFront() {
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
    Invalidate();
  }
}

}  // namespace framework
