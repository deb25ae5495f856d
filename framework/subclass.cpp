// The handler seams: control-level hooks chained through TControl::WindowProc, and Win32
// subclasses, each bound to a window procedure of its own from a fixed table.
#include "framework/subclass.h"

#include <array>
#include <utility>

#include "framework/application.h"
#include "framework/control.h"
#include "framework/gdiobjects.h"

namespace framework {

// ---------------------------------------------------------------------------------------------
// TWindowProcHook

struct TWindowProcHook::Link {
  TControl* control = nullptr;
  AliveWatch control_alive;
  Handler handler;                       // dropped once removed and no call is running
  std::shared_ptr<TWndMethod> previous;  // what the hook replaced (or, spliced, what is below)
  int running = 0;                       // calls of `handler` in progress (nesting)
  bool removed = false;                  // pass every message through to `previous`
};

namespace {

using Link = TWindowProcHook::Link;

// The callable a hook installs in the control's WindowProc (or that another hook keeps as its
// `previous`). It is found again by its type, which is how a chain is walked.
struct HookCall {
  std::shared_ptr<Link> link;

  void operator()(TMessage& m) const {
    // Only locals from here on: the handler may replace WindowProc and so destroy `*this`.
    std::shared_ptr<Link> l = link;
    std::shared_ptr<TWndMethod> previous = l->previous;
    if (l->removed) {
      (*previous)(m);
      return;
    }
    struct Running {
      Link& l;
      explicit Running(Link& link) : l(link) { ++l.running; }
      ~Running() {
        if (--l.running == 0 && l.removed) l.handler = nullptr;
      }
    } running(*l);
    l->handler(m, *previous);
  }
};

const Link* LinkOf(const TWndMethod& method) {
  const HookCall* call = method.target<HookCall>();
  return call ? call->link.get() : nullptr;
}

}  // namespace

bool TWindowProcHook::Install(TControl& control, Handler handler) {
  if (link_ || !handler || (control.ComponentState() & csDestroying)) return false;
  auto link = std::make_shared<Link>();
  link->control = &control;
  link->control_alive = control.WatchAlive();
  link->handler = std::move(handler);
  link->previous = std::make_shared<TWndMethod>(control.WindowProc);
  control.WindowProc = HookCall{link};
  link_ = std::move(link);
  return true;
}

void TWindowProcHook::Remove() {
  if (!link_) return;
  std::shared_ptr<Link> link = std::move(link_);
  link->removed = true;
  if (link->running == 0) link->handler = nullptr;
  if (!link->control_alive) return;
  TWndMethod& top = link->control->WindowProc;
  if (LinkOf(top) == link.get()) {
    top = *link->previous;
    return;
  }
  for (const HookCall* call = top.target<HookCall>(); call;
       call = call->link->previous->target<HookCall>()) {
    Link& upper = *call->link;
    if (LinkOf(*upper.previous) == link.get()) {
      upper.previous = link->previous;
      return;
    }
  }
  // Below a handler installed outside this seam: stays as a pass-through.
}

TControl* TWindowProcHook::Control() const { return link_ ? link_->control : nullptr; }

void TWindowProcHook::CallPrevious(TMessage& m) const {
  std::shared_ptr<TWndMethod> previous = link_->previous;
  (*previous)(m);
}

// ---------------------------------------------------------------------------------------------
// TWindowSubclass

namespace {

constexpr int kSlots = TWindowSubclass::kCapacity;

struct Slot {
  HWND wnd = nullptr;
  WNDPROC previous = nullptr;
  bool unicode = false;
  bool in_use = false;       // a window's procedure chain may lead here
  bool removed = false;      // Remove ran: pass every message through
  bool unlinked = false;     // no longer in the window's chain
  bool window_gone = false;  // WM_NCDESTROY went through
  int running = 0;           // calls of `handler` in progress (nesting)
  uint32_t generation = 0;   // grows each time the slot is freed
  TWindowSubclass::Handler handler;
};

// The module-wide table of subclass slots; slot i is reached through window procedure i.
std::array<Slot, kSlots> g_subclass_slots;

LRESULT Dispatch(int index, HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam);

template <int I>
LRESULT CALLBACK SlotProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return Dispatch(I, wnd, msg, wparam, lparam);
}

template <int... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeSlotProcs(std::integer_sequence<int, I...>) {
  return {&SlotProc<I>...};
}

constexpr std::array<WNDPROC, kSlots> kSlotProcs =
    MakeSlotProcs(std::make_integer_sequence<int, kSlots>());

int SlotOfProc(WNDPROC proc) {
  for (int i = 0; i < kSlots; ++i)
    if (kSlotProcs[i] == proc) return i;
  return -1;
}

WNDPROC WindowProcOf(HWND wnd, bool unicode) {
  return reinterpret_cast<WNDPROC>(unicode ? GetWindowLongPtrW(wnd, GWLP_WNDPROC)
                                           : GetWindowLongPtrA(wnd, GWLP_WNDPROC));
}

WNDPROC SetWindowProc(HWND wnd, bool unicode, WNDPROC proc) {
  auto value = reinterpret_cast<LONG_PTR>(proc);
  return reinterpret_cast<WNDPROC>(unicode ? SetWindowLongPtrW(wnd, GWLP_WNDPROC, value)
                                           : SetWindowLongPtrA(wnd, GWLP_WNDPROC, value));
}

LRESULT CallPrevious(const Slot& s, HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return s.unicode ? CallWindowProcW(s.previous, wnd, msg, wparam, lparam)
                   : CallWindowProcA(s.previous, wnd, msg, wparam, lparam);
}

// Takes slot `index` out of its window's chain: true when it is out (or the window is gone).
bool Unlink(int index) {
  Slot& s = g_subclass_slots[index];
  if (s.window_gone || !IsWindow(s.wnd)) return true;
  WNDPROC top = WindowProcOf(s.wnd, s.unicode);
  if (top == kSlotProcs[index]) {
    SetWindowProc(s.wnd, s.unicode, s.previous);
    return true;
  }
  // Walk down through our own subclasses of the window; splice out of the first that leads here.
  for (int j = SlotOfProc(top); j >= 0; j = SlotOfProc(g_subclass_slots[j].previous)) {
    Slot& upper = g_subclass_slots[j];
    if (!upper.in_use || upper.wnd != s.wnd) break;
    if (upper.previous == kSlotProcs[index]) {
      upper.previous = s.previous;
      return true;
    }
  }
  return false;
}

// Once no call runs: drops the handler of a removed or dead slot, and frees the slot when no
// window procedure chain can lead to it any more.
void Settle(int index) {
  Slot& s = g_subclass_slots[index];
  if (s.running > 0 || !s.in_use) return;
  if (s.removed || s.window_gone) s.handler = nullptr;
  if (s.window_gone || (s.removed && s.unlinked)) {
    uint32_t generation = s.generation + 1;
    s = Slot{};
    s.generation = generation;
    HandleDestroyed(HandleKind::Subclass);
  }
}

LRESULT Dispatch(int index, HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  Slot& s = g_subclass_slots[index];
  // A freed slot is in no chain; this guards against a foreign procedure that kept it anyway.
  if (!s.in_use || s.wnd != wnd) return DefWindowProcA(wnd, msg, wparam, lparam);
  LRESULT result = 0;
  if (s.removed || s.window_gone) {
    result = CallPrevious(s, wnd, msg, wparam, lparam);
  } else {
    ++s.running;
    try {
      result = s.handler(wnd, msg, wparam, lparam, TPreviousWndProc(index));
    } catch (...) {
      Application->HandleException(nullptr);
    }
    --s.running;
  }
  if (msg == WM_NCDESTROY) s.window_gone = true;
  Settle(index);
  return result;
}

}  // namespace

LRESULT TPreviousWndProc::operator()(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) const {
  return CallPrevious(g_subclass_slots[slot_], wnd, msg, wparam, lparam);
}

WNDPROC TPreviousWndProc::Proc() const { return g_subclass_slots[slot_].previous; }

bool TWindowSubclass::Install(HWND wnd, Handler handler) {
  if (Installed() || !handler || !IsWindow(wnd) ||
      GetWindowThreadProcessId(wnd, nullptr) != GetCurrentThreadId())
    return false;
  int index = 0;
  while (index < kSlots && g_subclass_slots[index].in_use) ++index;
  if (index == kSlots) return false;
  Slot& s = g_subclass_slots[index];
  s.wnd = wnd;
  s.unicode = IsWindowUnicode(wnd);
  s.handler = std::move(handler);
  s.in_use = true;
  s.previous = SetWindowProc(wnd, s.unicode, kSlotProcs[index]);
  if (!s.previous) {
    uint32_t generation = s.generation;
    s = Slot{};
    s.generation = generation;
    return false;
  }
  HandleCreated(HandleKind::Subclass);
  slot_ = index;
  generation_ = s.generation;
  return true;
}

bool TWindowSubclass::Remove() {
  if (slot_ < 0) return true;
  int index = std::exchange(slot_, -1);
  Slot& s = g_subclass_slots[index];
  if (!s.in_use || s.generation != generation_) return true;  // went with its window
  s.removed = true;
  s.unlinked = Unlink(index);
  bool unlinked = s.unlinked;
  Settle(index);
  return unlinked;
}

bool TWindowSubclass::Installed() const {
  if (slot_ < 0) return false;
  const Slot& s = g_subclass_slots[slot_];
  return s.in_use && s.generation == generation_ && !s.removed && !s.window_gone;
}

HWND TWindowSubclass::Window() const { return Installed() ? g_subclass_slots[slot_].wnd : nullptr; }

}  // namespace framework
