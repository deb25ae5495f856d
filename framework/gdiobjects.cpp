// Live-handle counters and the DC owners of gdiobjects.h.
#include "framework/gdiobjects.h"

#include <atomic>

namespace framework {
namespace {

constexpr int kKinds = static_cast<int>(HandleKind::Count);

// The one module-wide table of live handles, per kind.
std::atomic<long> g_live[kKinds];

}  // namespace

void HandleCreated(HandleKind kind) { g_live[static_cast<int>(kind)].fetch_add(1); }

void HandleDestroyed(HandleKind kind) { g_live[static_cast<int>(kind)].fetch_sub(1); }

long LiveHandles(HandleKind kind) { return g_live[static_cast<int>(kind)].load(); }

long LiveHandlesTotal() {
  long total = 0;
  for (const auto& n : g_live) total += n.load();
  return total;
}

HandleSnapshot HandleSnapshot::Take() {
  HandleSnapshot s{};
  for (int i = 0; i < kKinds; ++i) s.counts[i] = g_live[i].load();
  return s;
}

bool HandleSnapshot::operator==(const HandleSnapshot& other) const {
  for (int i = 0; i < kKinds; ++i) {
    if (counts[i] != other.counts[i]) return false;
  }
  return true;
}

MemoryDC::MemoryDC(HDC reference) : dc_(CreateCompatibleDC(reference)) {
  if (dc_) HandleCreated(HandleKind::Dc);
}

MemoryDC::~MemoryDC() {
  if (dc_) {
    DeleteDC(dc_);
    HandleDestroyed(HandleKind::Dc);
  }
}

BorrowedDC::BorrowedDC(HWND window, HDC dc) : window_(window), dc_(dc) {
  if (dc_) HandleCreated(HandleKind::Dc);
}

BorrowedDC::~BorrowedDC() {
  if (dc_) {
    ReleaseDC(window_, dc_);
    HandleDestroyed(HandleKind::Dc);
  }
}

PaintDC::PaintDC(HWND window) : window_(window), paint_{}, dc_(BeginPaint(window, &paint_)) {
  if (dc_) HandleCreated(HandleKind::Dc);
}

PaintDC::~PaintDC() {
  if (dc_) {
    EndPaint(window_, &paint_);
    HandleDestroyed(HandleKind::Dc);
  }
}

bool WindowTimer::Start(HWND window, UINT_PTR id, UINT interval_ms, TIMERPROC proc) {
  Stop();
  if (window && id == 0) return false;  // a window's timers are told apart by their id
  UINT_PTR result = SetTimer(window, id, interval_ms, proc);
  if (!result) return false;
  window_ = window;
  id_ = window ? id : result;
  HandleCreated(HandleKind::Timer);
  return true;
}

void WindowTimer::Stop() {
  if (!id_) return;
  KillTimer(window_, id_);
  id_ = 0;
  window_ = nullptr;
  HandleDestroyed(HandleKind::Timer);
}

WindowsHook::WindowsHook(int id, HOOKPROC proc)
    : hook_(SetWindowsHookExA(id, proc, nullptr, GetCurrentThreadId())) {
  if (hook_) HandleCreated(HandleKind::Hook);
}

WindowsHook::~WindowsHook() {
  if (hook_) {
    UnhookWindowsHookEx(hook_);
    HandleDestroyed(HandleKind::Hook);
  }
}

}  // namespace framework
