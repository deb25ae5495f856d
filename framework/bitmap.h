// TBitmap (a 24-bit DIB section with a canvas, transparency and scan-line access) and TIcon.
// Used by image controls, bitmap buttons, image lists, menus and the skin engine, which turns
// its decoded skin images into bitmaps. UI thread only; each object owns its handles.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "framework/gdiobjects.h"
#include "framework/graphics.h"

namespace skin {
struct SkinImage;
}

namespace framework {

// Bits per pixel of a bitmap's pixels. Bitmaps are 24-bit unless set to pf32bit; the other
// formats are accepted and stored as 24-bit.
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

// Which colour a transparent bitmap leaves out: its bottom-left pixel, or a fixed colour.
enum TTransparentMode { tmAuto, tmFixed };

// Order of the colour bytes in a raw pixel buffer.
enum class PixelOrder { BGR, RGB };

// Bitmap sizes beyond this are refused (clamped): a bound on memory for any caller.
constexpr int kMaxBitmapDimension = 16384;

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool Empty() const override { return width_ == 0 || height_ == 0; }
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  // Resizes, keeping the pixels of the common area; new pixels are white.
  void SetSize(int width, int height);

  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat format);  // keeps the picture

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  TTransparentMode TransparentMode() const { return mode_; }
  void SetTransparentMode(TTransparentMode mode);
  // The colour left out when drawn transparently: the fixed colour, or in tmAuto the
  // bottom-left pixel (clNone for an empty bitmap). Setting it switches to tmFixed.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor color);

  // Row `y` (0 = top) of the pixels: 3 bytes (B, G, R) per pixel for pf24bit, 4 for pf32bit.
  // Pending GDI drawing is flushed first. REQUIRES: 0 <= y < Height().
  uint8_t* ScanLine(int y);
  const uint8_t* ScanLine(int y) const;
  int BytesPerScanLine() const { return stride_; }

  TCanvas& Canvas();
  HBITMAP Handle() const { return dib_.Get(); }  // the DIB section; null when empty
  // A new DIB section with a copy of the pixels, not selected anywhere; the caller owns it.
  BitmapHandle CopyHandle() const;

  // Copies size, format, pixels and transparency.
  void Assign(const TBitmap& source);
  // Loads a BMP file image (bounds-checked; see skin/bmp.h for what is understood). On
  // failure the bitmap is unchanged and false is returned.
  bool LoadFromBmpBytes(const uint8_t* data, size_t size);
  // Takes size, pixels, transparent mode and colour of a decoded skin image.
  void LoadFromSkinImage(const skin::SkinImage& image);
  // Takes `width` x `height` 24-bit pixels, rows top to bottom, `stride` bytes apart.
  void LoadFromPixels(int width, int height, const uint8_t* pixels, size_t stride,
                      PixelOrder order);
  // Copies a bitmap handle's picture (a resource bitmap, the system's check mark).
  bool LoadFromHandle(HBITMAP bitmap);
  // Loads a bitmap resource of `instance` by name or MAKEINTRESOURCE id.
  bool LoadFromResourceName(HINSTANCE instance, const char* name);

  void Draw(TCanvas& canvas, const RECT& dest) const override;

  std::function<void(TBitmap&)> OnChange;  // after size, pixels loaded or transparency change

 private:
  class BitmapCanvas;
  void Recreate(int width, int height, TPixelFormat format, bool keep);
  void Changed();

  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
  TPixelFormat format_ = pf24bit;
  uint8_t* bits_ = nullptr;  // owned by dib_
  BitmapHandle dib_;
  bool transparent_ = false;
  TTransparentMode mode_ = tmAuto;
  TColor fixed_transparent_ = clNone;
  std::unique_ptr<BitmapCanvas> canvas_;
};

// TIcon: an HICON, owned or shared (system icons), drawn at its own or a stretched size.
class TIcon : public TGraphic {
 public:
  TIcon() = default;
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool Empty() const override { return handle_ == nullptr; }

  HICON Handle() const { return handle_; }
  // Adopts `icon`; with owned = true it is destroyed with this object.
  void SetHandle(HICON icon, bool owned);
  // Gives up ownership and returns the handle (null when empty).
  HICON ReleaseHandle();
  // An icon resource of `instance`, at the given size (0: the resource's default size).
  bool LoadFromResourceName(HINSTANCE instance, const char* name, int width = 0, int height = 0);
  // A shared system icon (IDI_ERROR, IDI_QUESTION, ...); never destroyed.
  bool LoadSystem(const char* id);
  // Copies another icon's picture into a handle of our own.
  void Assign(const TIcon& source);

  std::function<void(TIcon&)> OnChange;  // after the picture changed (a new handle or none)

  void Draw(TCanvas& canvas, const RECT& dest) const override;

 private:
  void Clear();
  void Adopt(HICON icon, bool owned);
  HICON handle_ = nullptr;
  bool owned_ = false;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace framework
