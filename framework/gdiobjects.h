// RAII owners for Win32 GDI and USER handles, and live-handle counters that leak tests read
// (Wine's GetGuiResources always answers 0, so the framework counts its own handles).
// Every framework class that creates a handle counts it here: through the owners below, or by
// calling HandleCreated/HandleDestroyed itself (windows, menus). UI thread only.
#pragma once

#include <windows.h>

#include <utility>

namespace framework {

enum class HandleKind {
  GdiObject,  // fonts, pens, brushes, bitmaps, regions
  Dc,         // memory DCs and DCs taken with GetDC
  Window,     // HWNDs created by the framework
  Menu,       // HMENUs
  Icon,       // HICONs and HCURSORs the framework created (not shared resource icons)
  ImageList,  // HIMAGELISTs
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

// GetDC(window) (null: the screen) released on destruction.
class WindowDC {
 public:
  explicit WindowDC(HWND window = nullptr);
  ~WindowDC();
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace framework
