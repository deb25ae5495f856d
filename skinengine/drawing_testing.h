// Test helpers of the skin engine: surfaces to draw on, pixels read from bitmaps, and test
// skin bitmaps made framework bitmaps. Test code only.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "skin/skinreader.h"
#include "skinengine/skinimages.h"

namespace skinengine::testing {

using framework::TBitmap;
using framework::TColor;

// A colour no test skin uses: whatever a routine did not draw over.
constexpr TColor kBackground = 0x203040;

// A 24-bit bitmap of w x h filled with kBackground.
inline std::unique_ptr<TBitmap> Surface(int w, int h) {
  auto surface = std::make_unique<TBitmap>(w, h);
  surface->Canvas().Brush().SetColor(kBackground);
  surface->Canvas().FillRect(RECT{0, 0, w, h});
  return surface;
}

// The colour of pixel (x, y) from the bitmap's own pixels; -1 outside it.
inline TColor ColorAt(const TBitmap& bitmap, int x, int y) {
  if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) return -1;
  const int bpp = bitmap.PixelFormat() == framework::pf32bit ? 4 : 3;
  const uint8_t* p = bitmap.ScanLine(y) + x * bpp;
  return framework::RGBColor(p[2], p[1], p[0]);
}

// The colour at the centre of a bitmap; -1 for none.
inline TColor Centre(const TBitmap* bitmap) {
  return bitmap ? ColorAt(*bitmap, bitmap->Width() / 2, bitmap->Height() / 2) : -1;
}

// Bitmap `index` of the skin as a framework bitmap (null when the skin has none).
inline std::unique_ptr<TBitmap> SkinBitmap(const skin::ZizoSkinReader* reader, int index) {
  return ToBitmap(reader->SkinBitmap(index));
}

}  // namespace skinengine::testing
