// TBitmap and TIcon of bitmap.h.
#include "framework/bitmap.h"

#include <algorithm>
#include <cstring>

#include "skin/bmp.h"
#include "skin/skinimage.h"

namespace framework {

// The bitmap's canvas: a memory DC, made on first use, with the DIB section selected.
class TBitmap::BitmapCanvas : public TCanvas {
 public:
  explicit BitmapCanvas(TBitmap& owner) : owner_(owner) {}
  ~BitmapCanvas() override { Free(); }

  // Undoes every selection and deletes the DC (before the DIB changes or goes).
  void Free() {
    HDC dc = HandleAllocated() ? Handle() : nullptr;
    if (!dc) return;
    SetHandle(nullptr);
    if (old_bitmap_) SelectObject(dc, old_bitmap_);
    old_bitmap_ = nullptr;
    DeleteDC(dc);
    HandleDestroyed(HandleKind::Dc);
  }

 protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    HandleCreated(HandleKind::Dc);
    if (owner_.Handle()) old_bitmap_ = SelectObject(dc, owner_.Handle());
    SetHandle(dc);
  }

 private:
  TBitmap& owner_;
  HGDIOBJ old_bitmap_ = nullptr;
};

namespace {

int BytesPerPixel(TPixelFormat f) { return f == pf32bit ? 4 : 3; }

int StrideOf(int width, TPixelFormat f) { return (width * BytesPerPixel(f) + 3) & ~3; }

BITMAPINFO DibInfo(int width, int height, TPixelFormat f) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = static_cast<WORD>(BytesPerPixel(f) * 8);
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

BitmapHandle CreateDib(int width, int height, TPixelFormat f, uint8_t** bits) {
  BITMAPINFO bi = DibInfo(width, height, f);
  void* p = nullptr;
  BitmapHandle dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
  *bits = dib ? static_cast<uint8_t*>(p) : nullptr;
  return dib;
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::~TBitmap() {
  canvas_.reset();  // the DC lets go of the DIB before the DIB is deleted
}

void TBitmap::Changed() {
  if (OnChange) OnChange(*this);
}

void TBitmap::SetSize(int width, int height) {
  width = std::clamp(width, 0, kMaxBitmapDimension);
  height = std::clamp(height, 0, kMaxBitmapDimension);
  if (width == width_ && height == height_) return;
  Recreate(width, height, format_, true);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  format = format == pf32bit ? pf32bit : pf24bit;
  if (format == format_) return;
  Recreate(width_, height_, format, true);
  Changed();
}

void TBitmap::Recreate(int width, int height, TPixelFormat format, bool keep) {
  uint8_t* bits = nullptr;
  BitmapHandle dib;
  if (width > 0 && height > 0) {
    dib = CreateDib(width, height, format, &bits);
    if (!dib) width = height = 0;  // out of memory: an empty bitmap
  }
  int stride = StrideOf(width, format);
  if (bits) std::memset(bits, 0xFF, static_cast<size_t>(stride) * height);
  if (keep && bits && bits_) {
    GdiFlush();
    int rows = std::min(height, height_), cols = std::min(width, width_);
    int from_bpp = BytesPerPixel(format_), to_bpp = BytesPerPixel(format);
    for (int y = 0; y < rows; ++y) {
      const uint8_t* s = bits_ + static_cast<size_t>(y) * stride_;
      uint8_t* d = bits + static_cast<size_t>(y) * stride;
      for (int x = 0; x < cols; ++x) std::memcpy(d + x * to_bpp, s + x * from_bpp, 3);
    }
  }
  if (canvas_) canvas_->Free();
  dib_ = std::move(dib);
  bits_ = bits;
  width_ = width;
  height_ = height;
  stride_ = stride;
  format_ = format;
}

void TBitmap::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (mode_ == tmFixed) return fixed_transparent_;
  if (Empty() || !bits_) return clNone;
  const uint8_t* p = ScanLine(height_ - 1);
  return RGBColor(p[2], p[1], p[0]);
}

void TBitmap::SetTransparentColor(TColor color) {
  fixed_transparent_ = color;
  mode_ = tmFixed;
  Changed();
}

uint8_t* TBitmap::ScanLine(int y) {
  GdiFlush();
  return bits_ + static_cast<size_t>(y) * stride_;
}

const uint8_t* TBitmap::ScanLine(int y) const {
  GdiFlush();
  return bits_ + static_cast<size_t>(y) * stride_;
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<BitmapCanvas>(*this);
  return *canvas_;
}

BitmapHandle TBitmap::CopyHandle() const {
  if (!bits_) return BitmapHandle();
  uint8_t* bits = nullptr;
  BitmapHandle copy = CreateDib(width_, height_, format_, &bits);
  if (bits) {
    GdiFlush();
    std::memcpy(bits, bits_, static_cast<size_t>(stride_) * height_);
  }
  return copy;
}

void TBitmap::Assign(const TBitmap& source) {
  if (&source == this) return;
  Recreate(source.width_, source.height_, source.format_, false);
  if (bits_ && source.bits_) {
    GdiFlush();
    std::memcpy(bits_, source.bits_, static_cast<size_t>(stride_) * height_);
  }
  transparent_ = source.transparent_;
  mode_ = source.mode_;
  fixed_transparent_ = source.fixed_transparent_;
  Changed();
}

bool TBitmap::LoadFromBmpBytes(const uint8_t* data, size_t size) {
  skin::SkinImage image;
  if (skin::DecodeBmp(data, size, image) != skin::BmpStatus::kOk) return false;
  TTransparentMode mode = mode_;  // a BMP file carries no transparency: keep ours
  LoadFromSkinImage(image);
  mode_ = mode;
  return true;
}

void TBitmap::LoadFromSkinImage(const skin::SkinImage& image) {
  int w = std::clamp(image.width, 0, kMaxBitmapDimension);
  int h = std::clamp(image.height, 0, kMaxBitmapDimension);
  if (static_cast<size_t>(image.width) * std::max(image.height, 0) != image.pixels.size()) {
    w = h = 0;  // a malformed image loads as empty rather than reading past its pixels
  }
  Recreate(w, h, pf24bit, false);
  for (int y = 0; y < height_; ++y) {
    uint8_t* row = bits_ + static_cast<size_t>(y) * stride_;
    for (int x = 0; x < width_; ++x) {
      skin::ColorRef c = image.Pixel(x, y);
      row[x * 3] = skin::BlueOf(c);
      row[x * 3 + 1] = skin::GreenOf(c);
      row[x * 3 + 2] = skin::RedOf(c);
    }
  }
  mode_ = image.transparentMode == skin::TransparentMode::Fixed ? tmFixed : tmAuto;
  fixed_transparent_ =
      mode_ == tmFixed ? static_cast<TColor>(image.transparentColor & 0xFFFFFF) : clNone;
  Changed();
}

void TBitmap::LoadFromPixels(int width, int height, const uint8_t* pixels, size_t stride,
                             PixelOrder order) {
  Recreate(std::clamp(width, 0, kMaxBitmapDimension), std::clamp(height, 0, kMaxBitmapDimension),
           pf24bit, false);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* s = pixels + y * stride;
    uint8_t* d = bits_ + static_cast<size_t>(y) * stride_;
    for (int x = 0; x < width_; ++x, s += 3, d += 3) {
      d[0] = order == PixelOrder::BGR ? s[0] : s[2];
      d[1] = s[1];
      d[2] = order == PixelOrder::BGR ? s[2] : s[0];
    }
  }
  Changed();
}

bool TBitmap::LoadFromHandle(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return false;
  if (bm.bmWidth <= 0 || bm.bmHeight <= 0 || bm.bmWidth > kMaxBitmapDimension ||
      bm.bmHeight > kMaxBitmapDimension) {
    return false;
  }
  Recreate(bm.bmWidth, bm.bmHeight, pf24bit, false);
  if (!bits_) return false;
  BITMAPINFO bi = DibInfo(width_, height_, pf24bit);
  WindowDC screen;
  GdiFlush();
  int rows = GetDIBits(screen.Get(), bitmap, 0, height_, bits_, &bi, DIB_RGB_COLORS);
  Changed();
  return rows == height_;
}

bool TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name) {
  BitmapHandle loaded(
      static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return loaded && LoadFromHandle(loaded.Get());
}

void TBitmap::Draw(TCanvas& canvas, const RECT& dest) const {
  HDC dst = canvas.Handle();
  HDC src = const_cast<TBitmap*>(this)->Canvas().Handle();
  if (!dst || !src || Empty()) return;
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  if (transparent_) {
    TransparentBlt(dst, dest.left, dest.top, dw, dh, src, 0, 0, width_, height_,
                   ColorToRGB(TransparentColor()));
  } else if (dw == width_ && dh == height_) {
    BitBlt(dst, dest.left, dest.top, dw, dh, src, 0, 0, canvas.CopyMode());
  } else {
    int old_mode = SetStretchBltMode(dst, HALFTONE);
    POINT old_origin{};
    SetBrushOrgEx(dst, 0, 0, &old_origin);  // HALFTONE requires it after the mode is set
    StretchBlt(dst, dest.left, dest.top, dw, dh, src, 0, 0, width_, height_, canvas.CopyMode());
    SetBrushOrgEx(dst, old_origin.x, old_origin.y, nullptr);
    SetStretchBltMode(dst, old_mode);
  }
}

// ---------------------------------------------------------------------------------------------
// TIcon

TIcon::~TIcon() { Clear(); }

void TIcon::Clear() {
  if (handle_ && owned_) {
    DestroyIcon(handle_);
    HandleDestroyed(HandleKind::Icon);
  }
  handle_ = nullptr;
  owned_ = false;
  width_ = height_ = 0;
}

void TIcon::SetHandle(HICON icon, bool owned) {
  if (icon == handle_) {
    return;
  }
  Clear();
  if (icon) Adopt(icon, owned);
  if (OnChange) OnChange(*this);
}

void TIcon::Adopt(HICON icon, bool owned) {
  handle_ = icon;
  owned_ = owned;
  if (owned_) HandleCreated(HandleKind::Icon);
  ICONINFO info{};
  if (GetIconInfo(icon, &info)) {
    BITMAP bm{};
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm)) {
      width_ = bm.bmWidth;
      height_ = bm.bmHeight;
    } else if (info.hbmMask && GetObjectA(info.hbmMask, sizeof bm, &bm)) {
      width_ = bm.bmWidth;
      height_ = bm.bmHeight / 2;  // a monochrome icon stacks AND and XOR masks
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
}

HICON TIcon::ReleaseHandle() {
  HICON h = handle_;
  if (h && owned_) HandleDestroyed(HandleKind::Icon);
  handle_ = nullptr;
  owned_ = false;
  width_ = height_ = 0;
  if (h && OnChange) OnChange(*this);
  return h;
}

bool TIcon::LoadFromResourceName(HINSTANCE instance, const char* name, int width, int height) {
  HICON icon = static_cast<HICON>(
      LoadImageA(instance, name, IMAGE_ICON, width, height, width || height ? 0 : LR_DEFAULTSIZE));
  if (!icon) return false;
  SetHandle(icon, true);
  return true;
}

bool TIcon::LoadSystem(const char* id) {
  HICON icon = LoadIconA(nullptr, id);
  if (!icon) return false;
  SetHandle(icon, false);
  return true;
}

void TIcon::Assign(const TIcon& source) {
  if (&source == this) return;
  SetHandle(source.handle_ ? CopyIcon(source.handle_) : nullptr, true);
}

void TIcon::Draw(TCanvas& canvas, const RECT& dest) const {
  HDC dc = canvas.Handle();
  if (!dc || !handle_) return;
  DrawIconEx(dc, dest.left, dest.top, handle_, dest.right - dest.left, dest.bottom - dest.top, 0,
             nullptr, DI_NORMAL);
}

}  // namespace framework
