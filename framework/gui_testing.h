// Helpers for the framework's GUI tests: pumping messages, user-like input through the
// message queue, and answering modal boxes from a timer while they run. Test code only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/application.h"

namespace framework::guitest {

// Handles messages for about `ms` milliseconds.
inline void Pump(int ms = 30) {
  DWORD end = GetTickCount() + ms;
  do {
    Application->ProcessMessages();
    Sleep(1);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

// Sets the keyboard state of Shift and Ctrl, as if held down.
inline void HoldKeys(bool shift, bool ctrl) {
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_SHIFT] = shift ? 0x80 : 0;
  state[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(state);
}

// A key press on the focused window, through the message queue (so the application's key
// handling sees it as it sees typed keys).
inline void PressKey(WORD key, bool shift = false, bool ctrl = false) {
  HoldKeys(shift, ctrl);
  HWND focus = GetFocus();
  PostMessageA(focus, WM_KEYDOWN, key, 1);
  PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
  Application->ProcessMessages();
  HoldKeys(false, false);
}

// A left click at client point (x, y) of `wnd`, through the message queue.
inline void ClickAt(HWND wnd, int x, int y) {
  PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  Application->ProcessMessages();
}

// Runs `step` from a thread timer every `ms` milliseconds until it returns true (or the
// object goes away); timers fire inside any message loop, modal ones included.
class TimerAction {
 public:
  TimerAction(std::function<bool()> step, UINT ms = 40) : step_(std::move(step)) {
    instance_ = this;
    id_ = SetTimer(nullptr, 0, ms, &TimerAction::Tick);
  }
  ~TimerAction() {
    if (id_) KillTimer(nullptr, id_);
    instance_ = nullptr;
  }
  bool Done() const { return done_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TimerAction* self = instance_;
    if (!self || self->done_ || self->busy_) return;
    self->busy_ = true;
    self->done_ = self->step_();
    self->busy_ = false;
    if (self->done_ && self->id_) {
      KillTimer(nullptr, self->id_);
      self->id_ = 0;
    }
  }
  static inline TimerAction* instance_ = nullptr;
  std::function<bool()> step_;
  UINT_PTR id_ = 0;
  bool done_ = false;
  bool busy_ = false;
};

// The text of a system message box window ("#32770"): its static text control.
inline std::string MessageBoxText(HWND box) {
  char buf[1024] = {0};
  GetDlgItemTextA(box, 0xFFFF, buf, sizeof buf);
  return buf;
}

inline std::string WindowText(HWND wnd) {
  char buf[1024] = {0};
  GetWindowTextA(wnd, buf, sizeof buf);
  return buf;
}

inline std::string WindowClass(HWND wnd) {
  char buf[256] = {0};
  GetClassNameA(wnd, buf, sizeof buf);
  return buf;
}

}  // namespace framework::guitest
