// The handler seams: a control's WindowProc taken over and given back (double install refused,
// removal from inside the handler, any order of removal, a control freed first), and Win32
// subclasses of raw windows (the same, plus a pass-through under a foreign subclass, a window
// destroyed under its subclass, and a wrapper freed while its handler runs).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "framework/gdiobjects.h"
#include "framework/panel.h"
#include "framework/subclass.h"

namespace framework {
namespace {

using Log = std::vector<std::string>;

// A control hook that logs `name` for WM_APP and passes everything on.
TWindowProcHook::Handler Tagging(Log& log, const std::string& name) {
  return [&log, name](TMessage& m, const TWndMethod& previous) {
    if (m.Msg == WM_APP) log.push_back(name);
    previous(m);
  };
}

// Notes whether the callable holding it was destroyed while that callable was running.
struct RunProbe {
  bool running = false;
  bool destroyed = false;
  bool destroyed_while_running = false;
};
struct ProbeHolder {
  RunProbe* probe;
  ~ProbeHolder() {
    probe->destroyed = true;
    if (probe->running) probe->destroyed_while_running = true;
  }
};

TEST(WindowProcHook, RefusesASecondInstallAndGivesBackWhatItReplaced) {
  TPanel panel(nullptr);
  TPanel other(nullptr);
  TWindowProcHook hook;
  auto answer = [](LRESULT value) {
    return [value](TMessage& m, const TWndMethod& previous) {
      if (m.Msg == WM_APP) {
        m.Result = value;
        return;
      }
      previous(m);
    };
  };
  EXPECT_EQ(panel.Perform(WM_APP, 0, 0), 0);
  ASSERT_TRUE(hook.Install(panel, answer(42)));
  EXPECT_EQ(panel.Perform(WM_APP, 0, 0), 42);
  EXPECT_FALSE(hook.Install(panel, answer(43)));  // the same hook twice
  EXPECT_FALSE(hook.Install(other, answer(44)));  // nor on a second control
  EXPECT_EQ(panel.Perform(WM_APP, 0, 0), 42);
  EXPECT_EQ(other.Perform(WM_APP, 0, 0), 0);
  EXPECT_EQ(hook.Control(), &panel);
  // Messages it passes on still reach the control's own handling.
  panel.SetCaption("x");
  EXPECT_EQ(panel.Caption(), "x");

  hook.Remove();
  EXPECT_FALSE(hook.Installed());
  EXPECT_EQ(panel.Perform(WM_APP, 0, 0), 0);
  hook.Remove();  // twice is harmless
  ASSERT_TRUE(hook.Install(other, answer(45)));
  EXPECT_EQ(other.Perform(WM_APP, 0, 0), 45);
  EXPECT_FALSE(TWindowProcHook().Install(panel, nullptr));  // an empty handler
}

TEST(WindowProcHook, AnyRemovalOrderLeavesTheOtherHooksChained) {
  TPanel panel(nullptr);
  Log log;
  TWindowProcHook a, b, c;
  ASSERT_TRUE(a.Install(panel, Tagging(log, "a")));
  ASSERT_TRUE(b.Install(panel, Tagging(log, "b")));
  ASSERT_TRUE(c.Install(panel, Tagging(log, "c")));
  panel.Perform(WM_APP, 0, 0);
  EXPECT_EQ(log, (Log{"c", "b", "a"}));  // the last installed hears first

  log.clear();
  b.Remove();  // from the middle
  panel.Perform(WM_APP, 0, 0);
  EXPECT_EQ(log, (Log{"c", "a"}));
  log.clear();
  a.Remove();  // from the bottom, under c
  panel.Perform(WM_APP, 0, 0);
  EXPECT_EQ(log, (Log{"c"}));
  log.clear();
  c.Remove();
  panel.Perform(WM_APP, 0, 0);
  EXPECT_TRUE(log.empty());
  // The control's own handler is back: its text changes reach the window object again.
  panel.SetCaption("back");
  EXPECT_EQ(panel.Caption(), "back");
}

TEST(WindowProcHook, UnderAForeignHandlerItBecomesAPassThroughAndKeepsTheForeignOne) {
  TPanel panel(nullptr);
  Log log;
  TWindowProcHook hook;
  ASSERT_TRUE(hook.Install(panel, Tagging(log, "hook")));
  TWndMethod below = panel.WindowProc;
  panel.WindowProc = [&log, below](TMessage& m) {  // not through the seam
    if (m.Msg == WM_APP) log.push_back("foreign");
    below(m);
  };
  hook.Remove();
  panel.Perform(WM_APP, 0, 0);
  EXPECT_EQ(log, Log{"foreign"});  // not overwritten; the hook no longer acts
  panel.SetCaption("through");
  EXPECT_EQ(panel.Caption(), "through");
}

TEST(WindowProcHook, RemovalFromInsideTheHandlerFinishesTheRunningCall) {
  TPanel panel(nullptr);
  RunProbe probe;
  auto holder = std::make_shared<ProbeHolder>(ProbeHolder{&probe});
  auto hook = std::make_unique<TWindowProcHook>();
  int previous_calls = 0;
  ASSERT_TRUE(hook->Install(panel, [&, holder](TMessage& m, const TWndMethod& previous) {
    if (m.Msg != WM_APP) {
      previous(m);
      return;
    }
    probe.running = true;
    hook.reset();  // the wrapper frees itself, hook and all
    previous(m);   // the handler it replaced is still there to call
    ++previous_calls;
    m.Result = 7;
    probe.running = false;
  }));
  holder.reset();  // the hook's callable holds the last reference

  EXPECT_EQ(panel.Perform(WM_APP, 0, 0), 7);
  EXPECT_EQ(previous_calls, 1);
  EXPECT_FALSE(probe.destroyed_while_running);
  EXPECT_TRUE(probe.destroyed);  // dropped once the call returned
  EXPECT_EQ(panel.Perform(WM_APP, 0, 0), 0);
}

TEST(WindowProcHook, AControlFreedFirstIsNotWrittenToAndTheHandlerIsDropped) {
  alignas(TPanel) unsigned char storage[sizeof(TPanel)];
  auto* panel = new (storage) TPanel(nullptr);
  RunProbe probe;
  auto holder = std::make_shared<ProbeHolder>(ProbeHolder{&probe});
  TWindowProcHook hook;
  ASSERT_TRUE(
      hook.Install(*panel, [holder](TMessage& m, const TWndMethod& previous) { previous(m); }));
  holder.reset();
  panel->~TPanel();
  std::memset(storage, 0xA5, sizeof storage);
  hook.Remove();
  bool untouched = true;
  for (unsigned char byte : storage) untouched = untouched && byte == 0xA5;
  EXPECT_TRUE(untouched);
  EXPECT_TRUE(probe.destroyed);
}

// ---------------------------------------------------------------------------------------------
// Win32 subclasses of a raw window whose own procedure answers WM_APP with 100 and calls
// g_on_app1 for WM_APP + 1.

std::function<void()> g_on_app1;

LRESULT CALLBACK RawProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_APP) return 100;
  if (msg == WM_APP + 1 && g_on_app1) g_on_app1();
  return DefWindowProcA(wnd, msg, wparam, lparam);
}

HWND MakeRawWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RawProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DzRawTestWindow";
    RegisterClassA(&wc);
    registered = true;
  }
  return CreateWindowExA(0, "DzRawTestWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)); }

TWindowSubclass::Handler WndTagging(Log& log, const std::string& name, LRESULT add = 0) {
  return [&log, name, add](HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam,
                           const TPreviousWndProc& previous) -> LRESULT {
    if (msg == WM_APP) log.push_back(name);
    return previous(wnd, msg, wparam, lparam) + (msg == WM_APP ? add : 0);
  };
}

long LiveSubclasses() { return LiveHandles(HandleKind::Subclass); }

TEST(WindowSubclass, StackedSubclassesComeOffInAnyOrderAndTheProcedureIsRestored) {
  long base = LiveSubclasses();
  HWND wnd = MakeRawWindow();
  HWND other = MakeRawWindow();
  WNDPROC original = ProcOf(wnd);
  Log log;
  TWindowSubclass a, b;
  ASSERT_TRUE(a.Install(wnd, WndTagging(log, "a", 1)));
  EXPECT_FALSE(a.Install(wnd, WndTagging(log, "again")));
  EXPECT_FALSE(a.Install(other, WndTagging(log, "other")));
  EXPECT_FALSE(b.Install(nullptr, WndTagging(log, "none")));
  ASSERT_TRUE(b.Install(wnd, WndTagging(log, "b", 10)));
  EXPECT_EQ(a.Window(), wnd);
  EXPECT_EQ(LiveSubclasses(), base + 2);
  EXPECT_EQ(SendMessageA(wnd, WM_APP, 0, 0), 111);
  EXPECT_EQ(log, (Log{"b", "a"}));

  log.clear();
  EXPECT_TRUE(a.Remove());  // under b: spliced out
  EXPECT_EQ(SendMessageA(wnd, WM_APP, 0, 0), 110);
  EXPECT_EQ(log, Log{"b"});
  EXPECT_TRUE(b.Remove());
  EXPECT_EQ(ProcOf(wnd), original);
  EXPECT_EQ(SendMessageA(wnd, WM_APP, 0, 0), 100);
  EXPECT_EQ(LiveSubclasses(), base);
  DestroyWindow(wnd);
  DestroyWindow(other);
}

LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto below = reinterpret_cast<WNDPROC>(GetPropA(wnd, "DzBelow"));
  LRESULT r = CallWindowProcA(below, wnd, msg, wparam, lparam);
  return msg == WM_APP ? r + 1000 : r;
}

TEST(WindowSubclass, UnderAForeignSubclassItPassesThroughUntilTheWindowGoes) {
  long base = LiveSubclasses();
  HWND wnd = MakeRawWindow();
  Log log;
  TWindowSubclass mine;
  ASSERT_TRUE(mine.Install(wnd, WndTagging(log, "mine", 1)));
  SetPropA(wnd, "DzBelow", reinterpret_cast<HANDLE>(ProcOf(wnd)));
  SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc));

  EXPECT_FALSE(mine.Remove());  // not ours on top: nothing written back
  EXPECT_EQ(ProcOf(wnd), ForeignProc);
  EXPECT_FALSE(mine.Installed());
  EXPECT_EQ(SendMessageA(wnd, WM_APP, 0, 0), 1100);  // through us, but we no longer act
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(LiveSubclasses(), base + 1);  // the pass-through lives with the window
  DestroyWindow(wnd);
  EXPECT_EQ(LiveSubclasses(), base);
}

TEST(WindowSubclass, ADestroyedWindowTakesItsSubclassAndAStaleOwnerLeavesTheSlotsNextUserAlone) {
  long base = LiveSubclasses();
  HWND first = MakeRawWindow();
  Log log;
  TWindowSubclass stale;
  ASSERT_TRUE(stale.Install(first, WndTagging(log, "stale")));
  DestroyWindow(first);
  EXPECT_FALSE(stale.Installed());
  EXPECT_EQ(LiveSubclasses(), base);

  HWND second = MakeRawWindow();
  TWindowSubclass fresh;  // may well get the freed procedure
  ASSERT_TRUE(fresh.Install(second, WndTagging(log, "fresh", 5)));
  EXPECT_TRUE(stale.Remove());  // gone with its window; must not touch `fresh`
  EXPECT_TRUE(fresh.Installed());
  EXPECT_EQ(SendMessageA(second, WM_APP, 0, 0), 105);
  EXPECT_EQ(log, Log{"fresh"});
  EXPECT_TRUE(stale.Install(second, WndTagging(log, "again")));  // usable again
  stale.Remove();
  fresh.Remove();
  DestroyWindow(second);
  EXPECT_EQ(LiveSubclasses(), base);
}

// A wrapper of a raw window that the window's own procedure frees (as a dialog wrapper is
// freed when its dialog closes) while the wrapper's handler is running.
class RawWrapper {
 public:
  RawWrapper(HWND wnd, RunProbe* probe, int* after_previous) {
    auto holder = std::make_shared<ProbeHolder>(ProbeHolder{probe});
    subclass_.Install(
        wnd,
        [this, holder, probe, after_previous](HWND w, UINT msg, WPARAM wp, LPARAM lp,
                                              const TPreviousWndProc& previous) -> LRESULT {
          if (msg != WM_APP + 1) return previous(w, msg, wp, lp);
          probe->running = true;
          AliveWatch alive = alive_.Watch();
          LRESULT r = previous(w, msg, wp, lp);
          if (alive) ++*after_previous;  // touches the wrapper only while it lives
          probe->running = false;
          return r;
        });
  }
  bool Installed() const { return subclass_.Installed(); }

 private:
  TWindowSubclass subclass_;
  AliveToken alive_;
};

TEST(WindowSubclass, AWrapperFreedWhileItsHandlerRunsIsNotTouchedAfterwards) {
  long base = LiveSubclasses();
  HWND wnd = MakeRawWindow();
  WNDPROC original = ProcOf(wnd);
  RunProbe probe;
  int after_previous = 0;
  auto* wrapper = new RawWrapper(wnd, &probe, &after_previous);
  ASSERT_TRUE(wrapper->Installed());
  SendMessageA(wnd, WM_APP + 1, 0, 0);  // the wrapper survives this one
  EXPECT_EQ(after_previous, 1);

  g_on_app1 = [&] { delete wrapper; };
  SendMessageA(wnd, WM_APP + 1, 0, 0);
  g_on_app1 = nullptr;
  EXPECT_EQ(after_previous, 1);  // the freed wrapper saw its watch dead
  EXPECT_FALSE(probe.destroyed_while_running);
  EXPECT_TRUE(probe.destroyed);
  EXPECT_EQ(ProcOf(wnd), original);  // the wrapper's destructor gave the procedure back
  EXPECT_EQ(LiveSubclasses(), base);
  DestroyWindow(wnd);
}

TEST(WindowSubclass, AUnicodeWindowStaysUnicodeAndGetsItsProcedureBack) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = L"DzRawUnicodeWindow";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, L"DzRawUnicodeWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(IsWindowUnicode(wnd));
  auto original = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
  std::wstring seen;
  TWindowSubclass subclass;
  ASSERT_TRUE(subclass.Install(
      wnd,
      [&seen](HWND w, UINT msg, WPARAM wp, LPARAM lp, const TPreviousWndProc& previous) -> LRESULT {
        if (msg == WM_SETTEXT) seen = reinterpret_cast<const wchar_t*>(lp);
        return previous(w, msg, wp, lp);
      }));
  EXPECT_TRUE(IsWindowUnicode(wnd));
  SetWindowTextW(wnd, L"\u0151\u017e");
  EXPECT_EQ(seen, L"\u0151\u017e");
  wchar_t text[8] = {};
  GetWindowTextW(wnd, text, 8);
  EXPECT_EQ(std::wstring(text), L"\u0151\u017e");
  EXPECT_TRUE(subclass.Remove());
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), original);
  DestroyWindow(wnd);
}

}  // namespace
}  // namespace framework
