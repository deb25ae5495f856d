// TImageList of imagelist.h.
#include "framework/imagelist.h"

#include <algorithm>

#include "framework/gdiobjects.h"

namespace framework {
namespace {

// The image list's initial and growth capacity; it grows as images are added.
constexpr int kInitialCapacity = 4;
constexpr int kGrowBy = 4;
// Raster operation "D xor (P and (S xor D))" with S already mapped through text/background
// colours: paints the brush where the monochrome source is black, keeps the destination where
// it is white.
constexpr DWORD kRopDSPDxax = 0x00E20746;

COLORREF ImageListColor(TColor c) {
  if (c == clNone) return CLR_NONE;
  if (c == clDefault) return CLR_DEFAULT;
  return ColorToRGB(c);
}

// A monochrome copy of `mask`: white pixels become 1 (transparent), every other pixel 0.
BitmapHandle MonochromeMask(const TBitmap& mask, int width, int height) {
  BitmapHandle mono(CreateBitmap(width, height, 1, 1, nullptr));
  BitmapHandle colour = mask.CopyHandle();
  if (!mono || !colour) return BitmapHandle();
  MemoryDC mono_dc, colour_dc;
  ScopedSelect select_mono(mono_dc.Get(), mono.Get());
  ScopedSelect select_colour(colour_dc.Get(), colour.Get());
  PatBlt(mono_dc.Get(), 0, 0, width, height, WHITENESS);
  SetBkColor(colour_dc.Get(), RGB(255, 255, 255));  // colour-to-mono: bk colour maps to 1
  BitBlt(mono_dc.Get(), 0, 0, std::min(width, mask.Width()), std::min(height, mask.Height()),
         colour_dc.Get(), 0, 0, SRCCOPY);
  return mono;
}

// The picture to hand to the list: a copy of `image` (a picture selected into a canvas cannot
// be read by the list) whose pixels under white mask pixels are black, as the list's
// mask-then-picture drawing requires.
BitmapHandle PictureFor(const TBitmap& image, const TBitmap* mask) {
  if (!mask) return image.CopyHandle();
  TBitmap copy;
  copy.Assign(image);
  TBitmap m;
  m.Assign(*mask);
  int rows = std::min(copy.Height(), m.Height()), cols = std::min(copy.Width(), m.Width());
  const int bpp = copy.PixelFormat() == pf32bit ? 4 : 3, mbpp = m.PixelFormat() == pf32bit ? 4 : 3;
  for (int y = 0; y < rows; ++y) {
    uint8_t* p = copy.ScanLine(y);
    const uint8_t* q = m.ScanLine(y);
    for (int x = 0; x < cols; ++x) {
      const uint8_t* mq = q + x * mbpp;
      if (mq[0] == 0xFF && mq[1] == 0xFF && mq[2] == 0xFF) std::fill_n(p + x * bpp, 3, 0);
    }
  }
  return copy.CopyHandle();
}

// The mask to hand to the list: `mask` made monochrome, or without one an all-visible mask
// (a null mask would keep whatever mask the replaced image had).
BitmapHandle MaskFor(const TBitmap& image, const TBitmap* mask) {
  if (mask) return MonochromeMask(*mask, image.Width(), image.Height());
  BitmapHandle mono(CreateBitmap(image.Width(), image.Height(), 1, 1, nullptr));
  if (mono) {
    MemoryDC dc;
    ScopedSelect select(dc.Get(), mono.Get());
    PatBlt(dc.Get(), 0, 0, image.Width(), image.Height(), BLACKNESS);
  }
  return mono;
}

}  // namespace

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner),
      width_(std::clamp(width, 1, kMaxBitmapDimension)),
      height_(std::clamp(height, 1, kMaxBitmapDimension)) {}

TImageList::~TImageList() {
  if (handle_) {
    ImageList_Destroy(handle_);
    HandleDestroyed(HandleKind::ImageList);
  }
}

void TImageList::Changed() {
  if (OnChange) OnChange(*this);
}

void TImageList::SetSize(int width, int height) {
  width = std::clamp(width, 1, kMaxBitmapDimension);
  height = std::clamp(height, 1, kMaxBitmapDimension);
  if (width == width_ && height == height_) return;
  if (handle_) {
    ImageList_Destroy(handle_);
    HandleDestroyed(HandleKind::ImageList);
    handle_ = nullptr;
  }
  width_ = width;
  height_ = height;
  Changed();
}

HIMAGELIST TImageList::Handle() {
  if (!handle_) {
    handle_ = ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, kInitialCapacity, kGrowBy);
    if (handle_) HandleCreated(HandleKind::ImageList);
  }
  return handle_;
}

int TImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

int TImageList::Add(const TBitmap& image, const TBitmap* mask) {
  if (image.Empty() || !Handle()) return -1;
  BitmapHandle picture = PictureFor(image, mask);
  BitmapHandle mono = MaskFor(image, mask);
  int index = ImageList_Add(handle_, picture.Get(), mono.Get());
  if (index >= 0) Changed();
  return index;
}

int TImageList::AddMasked(const TBitmap& image, TColor mask_color) {
  if (image.Empty() || !Handle()) return -1;
  BitmapHandle picture = image.CopyHandle();  // AddMasked blackens the masked source pixels
  int index = ImageList_AddMasked(handle_, picture.Get(), ColorToRGB(mask_color));
  if (index >= 0) Changed();
  return index;
}

int TImageList::AddIcon(const TIcon& icon) {
  if (icon.Empty() || !Handle()) return -1;
  int index = ImageList_ReplaceIcon(handle_, -1, icon.Handle());
  if (index >= 0) Changed();
  return index;
}

bool TImageList::Replace(int index, const TBitmap& image, const TBitmap* mask) {
  if (index < 0 || index >= Count() || image.Empty()) return false;
  BitmapHandle picture = PictureFor(image, mask);
  BitmapHandle mono = MaskFor(image, mask);
  bool ok = ImageList_Replace(handle_, index, picture.Get(), mono.Get()) != FALSE;
  if (ok) Changed();
  return ok;
}

bool TImageList::ReplaceMasked(int index, const TBitmap& image, TColor mask_color) {
  const COLORREF key = ColorToRGB(mask_color);
  TBitmap copy, mask;
  copy.Assign(image);
  copy.SetPixelFormat(pf24bit);
  mask.SetSize(copy.Width(), copy.Height());
  for (int y = 0; y < copy.Height(); ++y) {
    const uint8_t* p = copy.ScanLine(y);
    uint8_t* q = mask.ScanLine(y);
    for (int x = 0; x < copy.Width(); ++x, p += 3, q += 3) {
      bool masked = RGB(p[2], p[1], p[0]) == key;
      std::fill_n(q, 3, masked ? 0xFF : 0);
    }
  }
  return Replace(index, copy, &mask);
}

void TImageList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  ImageList_Remove(handle_, index);
  Changed();
}

void TImageList::Clear() {
  if (Count() == 0) return;
  ImageList_Remove(handle_, -1);
  Changed();
}

bool TImageList::GetBitmap(int index, TBitmap& image) {
  if (index < 0 || index >= Count()) return false;
  image.SetSize(width_, height_);
  return ImageList_Draw(handle_, index, image.Canvas().Handle(), 0, 0, ILD_NORMAL) != FALSE;
}

UINT TImageList::StyleFlags() const {
  static constexpr UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT flags = kStyles[drawing_style_];
  if (image_type_ == itMask) flags |= ILD_MASK;
  return flags;
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) {
  HDC dst = canvas.Handle();
  if (!dst || index < 0 || index >= Count()) return;
  if (enabled) {
    ImageList_DrawEx(handle_, index, dst, x, y, 0, 0, ImageListColor(bk_color_),
                     ImageListColor(blend_color_), StyleFlags());
    return;
  }
  // The shape: the image drawn over white on a monochrome bitmap; every pixel that is not
  // white (and not masked) becomes black.
  BitmapHandle mono(CreateBitmap(width_, height_, 1, 1, nullptr));
  MemoryDC mono_dc;
  if (!mono || !mono_dc.Get()) return;
  ScopedSelect select_mono(mono_dc.Get(), mono.Get());
  PatBlt(mono_dc.Get(), 0, 0, width_, height_, WHITENESS);
  ImageList_DrawEx(handle_, index, mono_dc.Get(), 0, 0, 0, 0, CLR_DEFAULT, 0, ILD_NORMAL);

  COLORREF old_text = SetTextColor(dst, RGB(255, 255, 255));
  COLORREF old_bk = ::SetBkColor(dst, RGB(0, 0, 0));
  const TColor layers[2] = {clBtnHighlight, clBtnShadow};
  for (int i = 0; i < 2; ++i) {
    BrushHandle brush(CreateSolidBrush(ColorToRGB(layers[i])));
    ScopedSelect select_brush(dst, brush.Get());
    int offset = i == 0 ? 1 : 0;
    BitBlt(dst, x + offset, y + offset, width_, height_, mono_dc.Get(), 0, 0, kRopDSPDxax);
  }
  SetTextColor(dst, old_text);
  ::SetBkColor(dst, old_bk);
}

}  // namespace framework
