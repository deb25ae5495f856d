// RAII owners for Win32 GDI and USER handles, and live-handle counters that leak tests read
// (Wine's GetGuiResources always answers 0, so the framework counts its own handles).
// Every framework class that creates a handle counts it here: through the owners below, or by
// calling HandleCreated/HandleDestroyed itself (windows, menus, subclasses). The skin engine
// takes its DCs, timers and hooks through these owners too, so one snapshot covers everything
// it allocates. UI thread only.
#pragma once

#include <windows.h>

#include <utility>

namespace framework {

enum class HandleKind {
  GdiObject,  // fonts, pens, brushes, bitmaps, regions
  Dc,         // memory DCs, DCs taken with GetDC or GetWindowDC, paint DCs
  Window,     // HWNDs created by the framework
  Menu,       // HMENUs
  Icon,       // HICONs and HCURSORs the framework created (not shared resource icons)
  ImageList,  // HIMAGELISTs
  Timer,      // SetTimer timers
  Hook,       // SetWindowsHookEx hooks
  Subclass,   // window procedures replaced through TWindowSubclass (subclass.h)
  Count
};

void HandleCreated(HandleKind kind);
void HandleDestroyed(HandleKind kind);
// The number of handles of `kind` alive now.
long LiveHandles(HandleKind kind);
// The sum over every kind.
long LiveHandlesTotal();

// A snapshot of every counter; a leak test takes one before and compares after.
struct HandleSnapshot {
  long counts[static_cast<int>(HandleKind::Count)];
  static HandleSnapshot Take();
  bool operator==(const HandleSnapshot& other) const;
};

// Owns one GDI object (HFONT, HPEN, HBRUSH, HBITMAP, HRGN): DeleteObject on destruction.
// Adopting a handle counts it; a null handle is allowed and owns nothing.
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H handle) : handle_(handle) {
    if (handle_) HandleCreated(HandleKind::GdiObject);
  }
  ~GdiObject() { Reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Deletes the object held (it must not be selected into a DC any more) and adopts `handle`.
  void Reset(H handle = nullptr) {
    if (handle_) {
      DeleteObject(handle_);
      HandleDestroyed(HandleKind::GdiObject);
    }
    handle_ = handle;
    if (handle_) HandleCreated(HandleKind::GdiObject);
  }
  // Gives the handle up without deleting it (the counter drops: the caller owns it now).
  H Release() {
    if (handle_) HandleDestroyed(HandleKind::GdiObject);
    return std::exchange(handle_, nullptr);
  }

 private:
  H handle_ = nullptr;
};

using FontHandle = GdiObject<HFONT>;
using PenHandle = GdiObject<HPEN>;
using BrushHandle = GdiObject<HBRUSH>;
using BitmapHandle = GdiObject<HBITMAP>;
using RegionHandle = GdiObject<HRGN>;

// Selects an object into a DC and puts the previous one back on destruction.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelect() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// SaveDC on construction, RestoreDC on destruction: clip regions, modes and selections.
class ScopedSaveDC {
 public:
  explicit ScopedSaveDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~ScopedSaveDC() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  ScopedSaveDC(const ScopedSaveDC&) = delete;
  ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// A memory DC compatible with `reference` (null: the screen), deleted on destruction.
class MemoryDC {
 public:
  explicit MemoryDC(HDC reference = nullptr);
  ~MemoryDC();
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A DC that a window lent (GetDC, GetWindowDC), given back with ReleaseDC on destruction.
class BorrowedDC {
 public:
  ~BorrowedDC();
  BorrowedDC(const BorrowedDC&) = delete;
  BorrowedDC& operator=(const BorrowedDC&) = delete;
  HDC Get() const { return dc_; }

 protected:
  BorrowedDC(HWND window, HDC dc);

 private:
  HWND window_;
  HDC dc_;
};

// GetDC(window) (null: the screen).
class WindowDC : public BorrowedDC {
 public:
  explicit WindowDC(HWND window = nullptr) : BorrowedDC(window, GetDC(window)) {}
};

// GetWindowDC(window): the whole window, non-client area included (frames, bevels, skinned
// borders).
class NonClientDC : public BorrowedDC {
 public:
  explicit NonClientDC(HWND window) : BorrowedDC(window, GetWindowDC(window)) {}
};

// BeginPaint on construction, EndPaint on destruction (also when the painting code throws).
class PaintDC {
 public:
  explicit PaintDC(HWND window);
  ~PaintDC();
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC Get() const { return dc_; }
  const PAINTSTRUCT& Paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_;
  HDC dc_;
};

// The screen's DC with `font` selected, for measuring text; both undone on destruction.
class ScreenFontDC {
 public:
  explicit ScreenFontDC(HFONT font) : select_(screen_.Get(), font) {}
  HDC Get() const { return screen_.Get(); }

 private:
  WindowDC screen_;
  ScopedSelect select_;
};

// A timer (SetTimer) killed on destruction. With a window, `id` (not 0) names it and WM_TIMER
// goes to the window (or `proc`); without one, the system picks the id and `proc` is called.
class WindowTimer {
 public:
  WindowTimer() = default;
  WindowTimer(HWND window, UINT_PTR id, UINT interval_ms, TIMERPROC proc = nullptr) {
    Start(window, id, interval_ms, proc);
  }
  ~WindowTimer() { Stop(); }
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  // Stops the running timer first; false when SetTimer failed.
  bool Start(HWND window, UINT_PTR id, UINT interval_ms, TIMERPROC proc = nullptr);
  void Stop();
  bool Active() const { return id_ != 0; }
  UINT_PTR Id() const { return id_; }  // the id WM_TIMER and `proc` receive

 private:
  HWND window_ = nullptr;
  UINT_PTR id_ = 0;
};

// A window hook for the current thread (SetWindowsHookEx), unhooked on destruction.
class WindowsHook {
 public:
  WindowsHook(int id, HOOKPROC proc);
  ~WindowsHook();
  WindowsHook(const WindowsHook&) = delete;
  WindowsHook& operator=(const WindowsHook&) = delete;
  HHOOK Get() const { return hook_; }  // null when SetWindowsHookEx failed

 private:
  HHOOK hook_;
};

}  // namespace framework
