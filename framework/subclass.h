// The one seam through which code takes over a message handler and gives it back: the
// framework-level WindowProc of a control (TWindowProcHook) and the Win32 window procedure of
// any window, framework or not (TWindowSubclass). Every skin engine wrapper goes through these
// two classes; none replaces TControl::WindowProc or GWLP_WNDPROC by hand. UI thread only.
//
// Lifetime. A hook object is installed at most once at a time (a second Install is refused)
// and removes itself when freed. The callable it was given, and the handler it replaced, stay
// alive for as long as a call into them is running, even if the hook is removed or freed
// during that call; the removal takes effect for the next message.
//
// Order of undoing (what Remove does, in this order of preference):
//   1. The hook is the one its control (window) calls first: the replaced handler (window
//      procedure) is put back.
//   2. Another hook of this seam was installed over it later: the hook is spliced out of the
//      chain (the later hook now passes messages to what this one replaced). Removing hooks
//      in reverse order of installation therefore always takes path 1; any other order is
//      safe too.
//   3. Something outside this seam replaced the handler (procedure) over it: nothing is
//      written back, which would drop the newer handler; the hook stays in the chain as a
//      pass-through that forwards every message unchanged until its control (window) dies.
//   4. The control is gone (TControl's alive token) or the window is destroyed: nothing is
//      written back. A window subclass detaches itself after its window's WM_NCDESTROY.
// A wrapper whose handler may free the wrapper itself (a dialog wrapper freed when its window
// is destroyed) keeps an AliveToken and checks a watch after calling `previous`.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/messages.h"

namespace framework {

class TControl;

// Takes over TControl::WindowProc (windowed and graphic controls alike).
class TWindowProcHook {
 public:
  // Called for every message of the control while installed; `previous` is the handler this
  // hook replaced (call it to pass the message on). `previous` stays valid for the whole call.
  using Handler = std::function<void(TMessage& message, const TWndMethod& previous)>;

  TWindowProcHook() = default;
  ~TWindowProcHook() { Remove(); }
  TWindowProcHook(const TWindowProcHook&) = delete;
  TWindowProcHook& operator=(const TWindowProcHook&) = delete;

  // Makes `handler` the control's WindowProc. False, and nothing changes, when this hook is
  // installed already (on any control), the handler is empty or the control is being freed.
  bool Install(TControl& control, Handler handler);
  // Gives the control its handler back (see the order of undoing above); nothing when not
  // installed. Safe from inside the handler.
  void Remove();
  bool Installed() const { return link_ != nullptr; }
  TControl* Control() const;
  // Passes a message to the handler this hook replaced (for a wrapper's own repaint requests).
  // REQUIRES: Installed().
  void CallPrevious(TMessage& message) const;

  struct Link;  // shared between the hook and the callable installed in the control

 private:
  std::shared_ptr<Link> link_;
};

// Calls the window procedure a TWindowSubclass replaced, in the character set the window was
// subclassed with. Handed to the handler; valid only during that call.
class TPreviousWndProc {
 public:
  explicit TPreviousWndProc(int slot) : slot_(slot) {}  // made by the seam only
  LRESULT operator()(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) const;
  WNDPROC Proc() const;

 private:
  int slot_;
};

// Replaces a window's procedure (SetWindowLongPtr(GWLP_WNDPROC)) by one bound to this object.
// Each installed subclass has a window procedure of its own, so "is the window procedure still
// ours" is answered exactly, also when several subclasses are stacked on one window. Live
// subclasses (pass-throughs included) are counted as HandleKind::Subclass (gdiobjects.h).
class TWindowSubclass {
 public:
  using Handler = std::function<LRESULT(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                        const TPreviousWndProc& previous)>;
  // Subclasses that can be installed at the same time in the process (windows of the
  // program's own forms and system dialogs; far more than a dialog has controls).
  static constexpr int kCapacity = 256;

  TWindowSubclass() = default;
  ~TWindowSubclass() { Remove(); }
  TWindowSubclass(const TWindowSubclass&) = delete;
  TWindowSubclass& operator=(const TWindowSubclass&) = delete;

  // Subclasses `wnd` (a Unicode window with the W functions, others with the A functions).
  // False, and nothing changes, when this object is installed already, the handler is empty,
  // `wnd` is not a window of this thread or all kCapacity procedures are in use.
  bool Install(HWND wnd, Handler handler);
  // Undoes the subclass (see the order of undoing above). True when the window procedure was
  // given back or the window is gone; false when it stays as a pass-through. Safe from inside
  // the handler.
  bool Remove();
  // Installed and the window not yet destroyed.
  bool Installed() const;
  HWND Window() const;  // null when not Installed()

 private:
  int slot_ = -1;
  uint32_t generation_ = 0;  // of the slot when installed; a reused slot is someone else's
};

}  // namespace framework
