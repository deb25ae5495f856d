// TWinControl: window creation and destruction, children, and message handling.
#include "framework/wincontrol.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/graphiccontrol.h"
#include "framework/mousetrack.h"
#include "framework/screen.h"
#include "framework/windowclass.h"

namespace framework {

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  SetDestroying();
  // Children go first: a windowed control frees the controls it shows.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    delete c;
  }
  if (handle_) DestroyHandle();
}

TWinControl* TWinControl::FindControl(HWND wnd) { return ControlOfWindow(wnd); }

TWinControl* GetParentForm(TControl* control) {
  TControl* c = control;
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TWinControl*>(c);
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = TextField();
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (Visible()) p.Style |= WS_VISIBLE;
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (tab_stop_) p.Style |= WS_TABSTOP;
  p.X = Left();
  p.Y = Top();
  p.Width = Width();
  p.Height = Height();
  // Never creates the parent's window: CreateParams also serves size calculations.
  if (parent_ && parent_->handle_) p.WndParent = parent_->handle_;
  p.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if (parent_ && !p.WndParent) return;
  def_wnd_proc_ = RegisterFrameworkClass(p.WinClassName, p.SysClassName, p.ClassStyle);
  CreateFrameworkWindow(this, p.WinClassName, p.ExStyle, p.Caption, p.Style, p.X, p.Y, p.Width,
                        p.Height, p.WndParent);
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  if (parent_ && !parent_->handle_) {
    parent_->CreateHandle();  // creates this window too, with the other children
    if (handle_) return;
  }
  CreateWnd();
  if (!handle_) return;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
  CreateWindowDone();
  // Windowed children in z-order (creation order), so later ones are on top.
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateHandle();
  RECT r = ClientRect();
  last_client_w_ = r.right;
  last_client_h_ = r.bottom;
}

void TWinControl::DestroyWindowBegin() {
  char buf[4096];
  int n = GetWindowTextA(handle_, buf, sizeof buf);
  TextField().assign(buf, n > 0 ? n : 0);
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  FreeControlCanvasDCs();  // some may draw on this window
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWindowBegin();
  if (capture_control_) ReleaseCapture();
  capture_control_ = nullptr;
  DestroyFrameworkWindow(handle_);
}

// Through the message, so a wrapper keyed by the old handle sees the change happen (the
// handle is the old one before the default handling, the new one after it).
void TWinControl::RecreateWnd() {
  if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::DoRecreateWnd() {
  if (!handle_) return;
  bool had_focus = Focused();
  DestroyHandle();
  CreateHandle();
  if (had_focus && handle_) ::SetFocus(handle_);
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    int n = 0;
    for (TControl* c : controls_)
      if (c != control && dynamic_cast<TWinControl*>(c)) ++n;
    w->tab_order_ = n;
    if (handle_) w->CreateHandle();
  }
  control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  control->Perform(CM_PARENTFONTCHANGED, 0, 0);
  if (control->Align() != alNone) Realign();
  control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  if (capture_control_ == control) {
    capture_control_ = nullptr;
    ReleaseCapture();
  }
  control->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    w->DestroyHandle();
    int removed = w->tab_order_;
    for (TControl* c : controls_)
      if (auto* s = dynamic_cast<TWinControl*>(c); s && s->tab_order_ > removed) --s->tab_order_;
    w->tab_order_ = -1;
  }
  controls_.erase(std::find(controls_.begin(), controls_.end(), control));
  control->parent_ = nullptr;
  if (TWinControl* parent_form = GetParentForm(this))
    parent_form->Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
  TWinControl* form = GetParentForm(this);
  bool destroying =
      (ComponentState() & csDestroying) || (form && (form->ComponentState() & csDestroying));
  if (control->Align() != alNone && !destroying) Realign();
}

TControl* TWinControl::ControlAtPos(POINT p, bool allow_disabled) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c)) continue;
    if (!c->Visible() || (!c->Enabled() && !allow_disabled)) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

std::string TWinControl::Text() {
  if (!handle_) return TextField();
  int n = GetWindowTextLengthA(handle_);
  std::string s(n + 1, '\0');
  n = GetWindowTextA(handle_, s.data(), n + 1);
  s.resize(n > 0 ? n : 0);
  return s;
}

RECT TWinControl::ClientRect() {
  RECT r{0, 0, 0, 0};
  if (handle_) {
    GetClientRect(handle_, &r);
    return r;
  }
  TCreateParams p;
  CreateParams(p);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
  r.right = std::max<LONG>(0, Width() - (frame.right - frame.left));
  r.bottom = std::max<LONG>(0, Height() - (frame.bottom - frame.top));
  return r;
}

POINT TWinControl::ClientOrigin() {
  POINT p{0, 0};
  if (handle_) {
    ::ClientToScreen(handle_, &p);
    RECT w;
    GetWindowRect(handle_, &w);
    return {p.x - w.left, p.y - w.top};
  }
  return p;
}

// The frame (window size minus client size) is added to the wanted client size.
void TWinControl::SetClientSize(int width, int height) {
  int frame_w, frame_h;
  if (handle_) {
    RECT w, c;
    GetWindowRect(handle_, &w);
    GetClientRect(handle_, &c);
    frame_w = (w.right - w.left) - c.right;
    frame_h = (w.bottom - w.top) - c.bottom;
  } else {
    TCreateParams p;
    CreateParams(p);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
    frame_w = frame.right - frame.left;
    frame_h = frame.bottom - frame.top;
  }
  SetBounds(Left(), Top(), width + frame_w, height + frame_h);
}

bool TWinControl::Showing() const {
  if (handle_) return IsWindowVisible(handle_);
  return false;
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::BoundsChanged() {
  if (handle_) {
    SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    return;  // WM_SIZE realigns
  }
  RECT r = ClientRect();
  if (r.right != last_client_w_ || r.bottom != last_client_h_) {
    int ow = last_client_w_, oh = last_client_h_;
    last_client_w_ = r.right;
    last_client_h_ = r.bottom;
    if (ow >= 0) AnchorControls(ow, oh);
    Realign();
  }
}

HBRUSH TWinControl::ColorBrush() {
  if (!brush_) brush_ = std::make_unique<TBrush>();
  brush_->SetColor(Color());
  return brush_->Handle();
}

void TWinControl::PaintWindow(HDC dc) {
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(dc, &r, ColorBrush());
}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* c : controls_) {
    if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
    ScopedSaveDC saved(dc);
    POINT org;
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.x + c->Left(), org.y + c->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (handle_ && m.Msg < CM_BASE)
    m.Result = CallWindowProcA(def_wnd_proc_, handle_, m.Msg, m.WParam, m.LParam);
  else
    m.Result = 0;
}

void TWinControl::ReflectNotification(TMessage& m, HWND child) {
  TWinControl* c = child ? ControlOfWindow(child) : nullptr;
  if (c && c != this)
    m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  else
    DefaultHandler(m);
}

bool TWinControl::FormPreviewsKey(TMessage& m) {
  TWinControl* form = GetParentForm(this);
  return form && form != this && form->PreviewKey(m);
}

// The form's preview first, then `event`; a handler that sets the key to 0 consumes it.
bool TWinControl::DoKeyEvent(TMessage& m, const TKeyEvent& event) {
  if (FormPreviewsKey(m)) return true;
  if (!event) return false;
  WORD key = static_cast<WORD>(m.WParam);
  event(this, key, KeyboardShiftState());
  if (key == 0) return true;
  m.WParam = key;
  return false;
}

bool TWinControl::DoKeyDown(TMessage& m) { return DoKeyEvent(m, OnKeyDown); }

bool TWinControl::DoKeyUp(TMessage& m) { return DoKeyEvent(m, OnKeyUp); }

bool TWinControl::DoKeyPress(TMessage& m) {
  if (FormPreviewsKey(m)) return true;
  if (!OnKeyPress) return false;
  char c = static_cast<char>(m.WParam);
  OnKeyPress(this, c);
  if (c == 0) return true;
  m.WParam = static_cast<unsigned char>(c);
  return false;
}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND:
      ReflectNotification(m, reinterpret_cast<HWND>(m.LParam));
      return;
    case WM_NOTIFY:
      ReflectNotification(m, reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom);
      return;
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      ReflectNotification(m, d->CtlType == ODT_MENU ? nullptr : d->hwndItem);
      return;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      ReflectNotification(m, reinterpret_cast<HWND>(m.LParam));
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(Font().Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      m.Result = reinterpret_cast<LRESULT>(ColorBrush());
      return;
    }
    case WM_PAINT:
      if (PaintsItself()) {
        PaintDC dc(handle_);
        PaintWindow(dc.Get());
        PaintControls(dc.Get());
        m.Result = 0;
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (PaintsItself()) {
        m.Result = 1;
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      HandleFocusMessage(m);
      return;
    case CM_ENTER:
      if (OnEnter) OnEnter(this);
      return;
    case CM_EXIT:
      if (OnExit) OnExit(this);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(m)) DefaultHandler(m);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(m)) DefaultHandler(m);
      return;
    case WM_CHAR:
      if (!DoKeyPress(m)) DefaultHandler(m);
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      HandleChildKey(m);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
      RouteMouse(m);
      return;
    case WM_MOUSELEAVE: {
      TControl* mc = MouseControl();
      if (mc == this || (mc && mc->Parent() == this && !dynamic_cast<TWinControl*>(mc)))
        SetMouseControl(nullptr);
      DefaultHandler(m);
      return;
    }
    case WM_SETCURSOR:
      if (Screen->Cursor() != crDefault && LOWORD(m.LParam) == HTCLIENT) {
        ::SetCursor(Screen->CursorHandle(Screen->Cursor()));
        m.Result = 1;
        return;
      }
      break;
    case WM_SIZE: {
      DefaultHandler(m);
      RECT r;
      GetClientRect(handle_, &r);
      if (r.right != last_client_w_ || r.bottom != last_client_h_) {
        int ow = last_client_w_, oh = last_client_h_;
        last_client_w_ = r.right;
        last_client_h_ = r.bottom;
        if (ow >= 0) AnchorControls(ow, oh);
        Realign();
      }
      return;
    }
    case WM_NCCALCSIZE:
      if (bevel_kind_ != bkNone) {
        BevelNcCalcSize(m);
        return;
      }
      break;
    case WM_NCPAINT:
      if (bevel_kind_ != bkNone) {
        BevelNcPaint(m);
        return;
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      // Bounds first: the default handling sends WM_SIZE, in which a window may resize itself
      // again (a combo box does); that inner change must be the one that stays.
      auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
      if (!(wp->flags & SWP_NOMOVE)) {
        left_ = wp->x;
        top_ = wp->y;
      }
      if (!(wp->flags & SWP_NOSIZE)) {
        width_ = wp->cx;
        height_ = wp->cy;
      }
      DefaultHandler(m);
      return;
    }
    case CM_RECREATEWND:
      DoRecreateWnd();
      return;
    case CM_ENABLEDCHANGED:
      if (handle_) EnableWindow(handle_, Enabled());
      break;
    case CM_VISIBLECHANGED:
      if (handle_ && parent_) ShowWindow(handle_, m.WParam ? SW_SHOWNA : SW_HIDE);
      break;
    case CM_FONTCHANGED:
      if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 1);
      for (TControl* c : controls_) c->Perform(CM_PARENTFONTCHANGED, 0, 0);
      break;
    case CM_COLORCHANGED:
      for (TControl* c : controls_) c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
      break;
    case CM_DIALOGKEY:
      // Offered to every child (default and cancel buttons take Enter and Esc).
      for (TControl* c : controls_)
        if (dynamic_cast<TWinControl*>(c) && c->Perform(CM_DIALOGKEY, m.WParam, m.LParam)) {
          m.Result = 1;
          return;
        }
      m.Result = 0;
      return;
  }
  TControl::WndProc(m);
}

void TWinControl::RouteMouse(TMessage& m) {
  POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  TControl* target = capture_control_ ? capture_control_ : ControlAtPos(p, false);
  if (m.Msg == WM_MOUSEMOVE) {
    UpdateMouseControl(target ? target : this);
  }
  if (!target) {
    TControl::WndProc(m);
    return;
  }
  bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_MBUTTONDOWN ||
              m.Msg == WM_LBUTTONDBLCLK;
  bool up = m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP;
  if (down && !capture_control_) {
    capture_control_ = target;
    SetCapture(handle_);
  }
  LPARAM lp = MAKELPARAM(p.x - target->Left(), p.y - target->Top());
  m.Result = target->Perform(m.Msg, m.WParam, lp);
  if (up && capture_control_) {
    capture_control_ = nullptr;
    if (GetCapture() == handle_) ReleaseCapture();
  }
}

void TWinControl::UpdateMouseControl(TControl* target) {
  if (MouseControl() != target) {
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, handle_, 0};
    TrackMouseEvent(&t);
    SetMouseControl(target);
  }
}

void TWinControl::HandleFocusMessage(TMessage& m) {
  DefaultHandler(m);
  if (m.Msg == WM_SETFOCUS) {
    if (TWinControl* form = GetParentForm(this); form && form != this)
      form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
    Perform(CM_GOTFOCUS, 0, 0);
  } else {
    Perform(CM_LOSTFOCUS, 0, 0);
  }
}

void TWinControl::HandleChildKey(TMessage& m) {
  m.Result = 1;
  WORD key = static_cast<WORD>(m.WParam);
  if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
  LRESULT mask = 0;
  switch (key) {
    case VK_TAB:
      mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      mask = DLGC_WANTALLKEYS;
      break;
  }
  if (mask && Perform(CM_WANTSPECIALKEY, key, 0) == 0 &&
      (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
    TWinControl* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) return;
  }
  m.Result = 0;
}

}  // namespace framework
