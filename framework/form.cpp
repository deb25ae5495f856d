// TForm: window styles, showing, closing, modal loop, activation and dialog keys.
#include "framework/form.h"

#include <algorithm>
#include <vector>

#include "framework/application.h"
#include "framework/bitmap.h"
#include "framework/menus.h"
#include "framework/screen.h"
#include "framework/windowclass.h"
#include "platform/exceptions.h"

namespace framework {

TForm::TForm(TComponent* owner) : TWinControl(owner), icon_(std::make_unique<TIcon>()) {
  SetVisible(false);
  InitParentFont(false);
  icon_->OnChange = [this](TIcon&) { Perform(CM_ICONCHANGED, 0, 0); };
  Screen->AddForm(this);
}

TForm::~TForm() {
  SetDestroying();
  SafeEvent(OnDestroy);
  // While the form is whole: a component that gives the form its handler back, or draws on
  // its window, finds window, handler and controls in place.
  DestroyComponents();
  if (Application->MainForm() == this) Application->MainFormDestroyed();
  Screen->RemoveForm(this);
  // Here, not in the base destructor, so our DestroyWindowBegin still runs (menu, MDI child).
  DestroyHandle();
}

void TForm::SafeEvent(const TNotifyEvent& event) {
  if (!event) return;
  try {
    event(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TForm::DoCreate() {
  if (created_) return;
  created_ = true;
  SafeEvent(OnCreate);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == border_style_) return;
  RECT client = ClientRect();
  border_style_ = style;
  if (HandleAllocated()) {
    RecreateWnd();
  } else if (ComponentState() & csLoading) {
    SetClientSize(client.right, client.bottom);
  }
  Perform(CM_BORDERCHANGED, 0, 0);
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == border_icons_) return;
  border_icons_ = icons;
  if (HandleAllocated()) RecreateWnd();
}

void TForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  p.ExStyle = 0;
  p.WndParent = nullptr;
  if (TForm* main = Application->MainForm(); main && main != this && main->HandleAllocated())
    p.WndParent = main->handle_;
  switch (border_style_) {
    case bsNone:
      p.Style |= WS_POPUP;
      break;
    case bsSingle:
      p.Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
      p.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      p.Style |= WS_POPUP | WS_CAPTION;
      p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case bsToolWindow:
      p.Style |= WS_CAPTION;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (border_style_ != bsNone && (border_icons_ & biSystemMenu)) {
    p.Style |= WS_SYSMENU;
    bool boxes = border_style_ != bsDialog && border_style_ != bsToolWindow &&
                 border_style_ != bsSizeToolWin;
    if (boxes && (border_icons_ & biMinimize)) p.Style |= WS_MINIMIZEBOX;
    if (boxes && (border_icons_ & biMaximize)) p.Style |= WS_MAXIMIZEBOX;
    if (border_style_ == bsDialog && (border_icons_ & biHelp)) p.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (form_style_ == fsMDIChild) {
    auto* frame = Application->MainForm();
    if (!frame || frame == this || frame->FormStyle() != fsMDIForm)
      throw Exception("No MDI forms are currently active");
    frame->HandleNeeded();
    p.WndParent = frame->ClientHandle();
    p.Style = (p.Style & ~WS_POPUP) | WS_CHILD;
    p.ExStyle |= WS_EX_MDICHILD;
  }
}

void TForm::CreateWindowDone() {
  if (form_style_ == fsMDIForm) CreateMDIClient();
  AttachMenu();
  ApplyIcon();
}

void TForm::ApplyIcon() {
  if (!handle_) return;
  HICON icon = icon_->Empty() ? Application->Icon() : icon_->Handle();
  SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void TForm::SetConstraints(const TSizeConstraints& constraints) {
  if (constraints == constraints_) return;
  constraints_ = constraints;
  SetBounds(Left(), Top(), Width(), Height());
}

void TForm::SetBounds(int left, int top, int width, int height) {
  TWinControl::SetBounds(
      left, top, TSizeConstraints::Clamp(width, constraints_.MinWidth, constraints_.MaxWidth),
      TSizeConstraints::Clamp(height, constraints_.MinHeight, constraints_.MaxHeight));
}

// After the default answer: the limits that are set replace the system's.
void TForm::GetMinMaxInfo(MINMAXINFO& info) const {
  if (constraints_.MinWidth > 0) info.ptMinTrackSize.x = constraints_.MinWidth;
  if (constraints_.MinHeight > 0) info.ptMinTrackSize.y = constraints_.MinHeight;
  if (constraints_.MaxWidth > 0) {
    info.ptMaxTrackSize.x = constraints_.MaxWidth;
    info.ptMaxSize.x = std::min<LONG>(info.ptMaxSize.x, constraints_.MaxWidth);
  }
  if (constraints_.MaxHeight > 0) {
    info.ptMaxTrackSize.y = constraints_.MaxHeight;
    info.ptMaxSize.y = std::min<LONG>(info.ptMaxSize.y, constraints_.MaxHeight);
  }
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_) {
    RemoveFreeNotification(menu_);
    if (handle_ && menu_->Window() == handle_) {
      RECT before;
      GetClientRect(handle_, &before);
      menu_->AttachTo(nullptr);
      SetClientSize(before.right, before.bottom);
      menu_bar_height_ = 0;
    }
  }
  menu_ = menu;
  if (menu_) FreeNotification(menu_);
  AttachMenu();
}

// Showing the bar takes its height from the client area; the window grows by it instead, so
// ClientHeight stays what the form was given.
void TForm::AttachMenu() {
  if (!handle_ || !menu_ || form_style_ == fsMDIChild) return;
  RECT before, after;
  GetClientRect(handle_, &before);
  menu_->AttachTo(handle_);
  GetClientRect(handle_, &after);
  menu_bar_height_ = before.bottom - after.bottom;
  if (menu_bar_height_ != 0) SetClientSize(before.right, before.bottom);
}

bool TForm::IsShortCut(WORD key, TShiftState shift) {
  if (menu_ && menu_->IsShortCut(ShortCut(key, shift))) return true;
  TForm* frame = Application->MainForm();
  return form_style_ == fsMDIChild && frame && frame != this && frame->IsShortCut(key, shift);
}

void TForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove || component != menu_) return;
  // The freed menu has left the window already: the window gives back the bar's height.
  menu_ = nullptr;
  if (handle_ && menu_bar_height_ != 0 && !(ComponentState() & csDestroying))
    SetClientSize(ClientWidth(), ClientHeight() - menu_bar_height_);
  menu_bar_height_ = 0;
}

void TForm::SetFormStyle(TFormStyle style) {
  if (handle_ && style != form_style_) throw Exception("Cannot change FormStyle of a shown form");
  form_style_ = style;
}

void TForm::CreateMDIClient() {
  CLIENTCREATESTRUCT ccs{nullptr, kFirstMDIChildCommand};
  RECT r;
  GetClientRect(handle_, &r);
  client_handle_ = CreateWindowExA(
      WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL, 0, 0,
      r.right, r.bottom, handle_, nullptr, GetModuleHandleA(nullptr), &ccs);
}

std::vector<TForm*> TForm::MDIChildList() const {
  std::vector<TForm*> list;
  if (!client_handle_) return list;
  for (HWND w = GetWindow(client_handle_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (auto* f = dynamic_cast<TForm*>(ControlOfWindow(w)); f && f->form_style_ == fsMDIChild)
      list.push_back(f);
  return list;
}

int TForm::MDIChildCount() const { return static_cast<int>(MDIChildList().size()); }

TForm* TForm::MDIChildren(int index) const { return MDIChildList().at(index); }

TForm* TForm::ActiveMDIChild() const {
  if (!client_handle_) return nullptr;
  auto active = reinterpret_cast<HWND>(SendMessageA(client_handle_, WM_MDIGETACTIVE, 0, 0));
  return active ? dynamic_cast<TForm*>(ControlOfWindow(active)) : nullptr;
}

void TForm::Next() {
  if (client_handle_) SendMessageA(client_handle_, WM_MDINEXT, 0, 0);
}

// Menu handles must outlive the window; an MDI child leaves its frame through WM_MDIDESTROY,
// so the MDICLIENT forgets it (the window is gone when this returns).
void TForm::DestroyWindowBegin() {
  TWinControl::DestroyWindowBegin();
  if (menu_ && menu_->Window() == handle_) menu_->AttachTo(nullptr);
  client_handle_ = nullptr;
  if (form_style_ == fsMDIChild) {
    HWND wnd = handle_;
    HWND client = GetParent(wnd);
    // The next child takes over before this one goes.
    if (reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)) == wnd)
      SendMessageA(client, WM_MDINEXT, reinterpret_cast<WPARAM>(wnd), 0);
    UnbindWindow(wnd);
    SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(wnd), 0);
  }
}

void TForm::DefaultHandler(TMessage& m) {
  if (handle_ && m.Msg < CM_BASE) {
    if (form_style_ == fsMDIForm) {
      m.Result = DefFrameProcA(handle_, client_handle_, m.Msg, m.WParam, m.LParam);
      return;
    }
    if (form_style_ == fsMDIChild) {
      m.Result = DefMDIChildProcA(handle_, m.Msg, m.WParam, m.LParam);
      return;
    }
  }
  TWinControl::DefaultHandler(m);
}

void TForm::PlaceOnFirstShow() {
  if (placed_) return;
  placed_ = true;
  RECT area{0, 0, Screen->Width(), Screen->Height()};
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      break;
    case poMainFormCenter:
    case poOwnerFormCenter:
      if (TForm* main = Application->MainForm(); main && main != this && main->HandleAllocated())
        area = main->BoundsRect();
      break;
    default:
      return;
  }
  SetBounds(area.left + ((area.right - area.left) - Width()) / 2,
            area.top + ((area.bottom - area.top) - Height()) / 2, Width(), Height());
}

void TForm::ShowingChanged(bool showing) {
  if (showing) {
    HandleNeeded();
    PlaceOnFirstShow();
    SafeEvent(OnShow);
    if (!Visible()) return;  // the show handler hid it again
    ShowWindow(handle_, SW_SHOWNORMAL);
    if (!active_control_) {
      if (TWinControl* first = FindNextControl(nullptr, true, true)) first->SetFocus();
    }
  } else {
    SafeEvent(OnHide);
    if (handle_) ShowWindow(handle_, SW_HIDE);
  }
}

bool TForm::Active() const { return handle_ && GetActiveWindow() == handle_; }

void TForm::SetActiveControl(TWinControl* control) {
  if (control && control->CanFocus() && handle_ && IsWindowVisible(handle_))
    control->SetFocus();
  else
    HandleFocusChanged(control);
}

void TForm::HandleFocusChanged(TWinControl* control) {
  if (control == active_control_) return;
  TWinControl* old = active_control_;
  active_control_ = control;
  if (old) old->Perform(CM_EXIT, 0, 0);
  if (control && active_control_ == control) control->Perform(CM_ENTER, 0, 0);
}

bool TForm::CloseQuery() {
  bool can_close = true;
  if (OnCloseQuery) OnCloseQuery(this, can_close);
  return can_close;
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  // An MDI child cannot hide: it minimizes, or stays when it has no minimize box.
  TCloseAction action = caHide;
  if (form_style_ == fsMDIChild) action = (border_icons_ & biMinimize) ? caMinimize : caNone;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    if (handle_) ShowWindow(handle_, SW_MINIMIZE);
  } else {
    Release();
  }
}

void TForm::Release() {
  if (HandleAllocated())
    PostMessageA(handle_, CM_RELEASE, 0, 0);
  else
    delete this;
}

namespace {
struct DisabledWindows {
  HWND except;
  std::vector<HWND> list;
};
BOOL CALLBACK DisableOne(HWND wnd, LPARAM param) {
  auto* d = reinterpret_cast<DisabledWindows*>(param);
  if (wnd != d->except && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
    d->list.push_back(wnd);
    EnableWindow(wnd, FALSE);
  }
  return TRUE;
}
}  // namespace

TModalResult TForm::ShowModal() {
  if (Visible() || modal_) throw Exception("Cannot make a visible window modal");
  if (GetCapture()) ReleaseCapture();
  HWND previous = GetActiveWindow();
  // The form ends when the application is told to end while it is up; one shown after that
  // (by the shut-down) runs until it is answered.
  const bool ending_before = Application->Terminated();
  DisabledWindows disabled{Handle(), {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
  modal_ = true;
  modal_result_ = mrNone;
  try {
    Show();
    while (modal_result_ == mrNone) {
      Application->HandleMessage();
      if (Application->Terminated() && !ending_before) {
        modal_result_ = mrCancel;
        break;
      }
      if (modal_result_ != mrNone) {
        // Closing a modal form asks OnCloseQuery and OnClose; caNone keeps it up.
        if (!CloseQuery()) {
          modal_result_ = mrNone;
          continue;
        }
        TCloseAction action = caHide;
        DoClose(action);
        if (action == caNone) modal_result_ = mrNone;
      }
    }
  } catch (...) {
    modal_ = false;
    for (HWND w : disabled.list) EnableWindow(w, TRUE);
    throw;
  }
  modal_ = false;
  for (HWND w : disabled.list) EnableWindow(w, TRUE);
  if (previous && IsWindow(previous)) SetActiveWindow(previous);
  Hide();
  return modal_result_;
}

bool TForm::PreviewKey(TMessage& m) {
  if (!KeyPreview) return false;
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return TWinControl::DoKeyDown(m);
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return TWinControl::DoKeyUp(m);
    case WM_CHAR:
      return TWinControl::DoKeyPress(m);
  }
  return false;
}

void TForm::HandleDialogKey(TMessage& m) {
  TShiftState shift = KeyboardShiftState();
  switch (m.WParam) {
    case VK_TAB:
      if (shift & (ssCtrl | ssAlt)) break;
      SelectNext(active_control_, !(shift & ssShift), true);
      m.Result = 1;
      return;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (active_control_) {
        bool forward = m.WParam == VK_RIGHT || m.WParam == VK_DOWN;
        if (TWinControl* p = active_control_->Parent())
          if (TWinControl* next = p->FindNextControl(active_control_, forward, false);
              next && next->Parent() == p)
            next->SetFocus();
        m.Result = 1;
        return;
      }
      break;
  }
  // Other keys: the controls may take them (default and cancel buttons).
  TWinControl::WndProc(m);
}

void TForm::Activated(bool active) {
  if (active) {
    Application->SetActive(true);
    TWinControl* target = active_control_;
    if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true);
    if (target && target->CanFocus()) target->SetFocus();
    SafeEvent(OnActivate);
  } else {
    SafeEvent(OnDeactivate);
  }
}

void TForm::PaintWindow(HDC dc) {
  TWinControl::PaintWindow(dc);
  SafeEvent(OnPaint);
}

void TForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_INITMENUPOPUP:
    case WM_DESTROY:
      if (DispatchMenuMessage(handle_, m.Msg, m.WParam, m.LParam, m.Result)) return;
      break;
  }
  switch (m.Msg) {
    case CM_VISIBLECHANGED:
      ShowingChanged(m.WParam != 0);
      return;
    case WM_CLOSE:
      Close();
      m.Result = 0;
      return;
    case CM_RELEASE:
      delete this;
      return;
    case CM_ICONCHANGED:
      ApplyIcon();
      return;
    case WM_GETMINMAXINFO:
      DefaultHandler(m);
      GetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(m.LParam));
      return;
    case WM_ACTIVATE:
      DefaultHandler(m);
      if (LOWORD(m.WParam) != WA_INACTIVE && !HIWORD(m.WParam)) {
        Activated(true);
      } else if (LOWORD(m.WParam) == WA_INACTIVE) {
        Activated(false);
      }
      m.Result = 0;
      return;
    case WM_ACTIVATEAPP:
      Application->SetActive(m.WParam != 0);
      DefaultHandler(m);
      return;
    case WM_MDIACTIVATE:
      DefaultHandler(m);
      if (reinterpret_cast<HWND>(m.LParam) == handle_)
        Activated(true);
      else if (reinterpret_cast<HWND>(m.WParam) == handle_)
        Activated(false);
      return;
    case CM_FOCUSCHANGED:
      HandleFocusChanged(reinterpret_cast<TWinControl*>(m.LParam));
      return;
    case CM_CONTROLLISTCHANGE:
      if (m.LParam == 0) {
        for (TControl* c = active_control_; c; c = c->Parent())
          if (c == reinterpret_cast<TControl*>(m.WParam)) {
            active_control_ = nullptr;
            break;
          }
      }
      return;
    case CM_DIALOGKEY:
      HandleDialogKey(m);
      return;
    case WM_SYSCOMMAND:
      // A form without a system menu has no close command either.
      if ((m.WParam & 0xFFF0) == SC_CLOSE && !(border_icons_ & biSystemMenu)) {
        m.Result = 0;
        return;
      }
      break;
  }
  TWinControl::WndProc(m);
}

}  // namespace framework
