// Between framework bitmaps and the portable skin images: a bitmap's pixels as a SkinImage, a
// pixel operation of skin/ applied to a bitmap, and a skin image made a bitmap. Private to the
// skin engine (blitters and resource objects); used at skin load time. UI thread only.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "skin/skinimage.h"

namespace skinengine {

// The bitmap's pixels and transparent mode and colour.
skin::SkinImage ToSkinImage(const framework::TBitmap& bitmap);

// A new 24-bit bitmap of the image (pixels, transparent mode and colour), or null for none.
std::unique_ptr<framework::TBitmap> ToBitmap(const skin::SkinImage* image);

// Runs `change` on the bitmap's pixels and takes the result back as a 24-bit bitmap, keeping
// the bitmap's transparency settings.
template <class Change>
void ChangePixels(framework::TBitmap& bitmap, Change change) {
  skin::SkinImage image = ToSkinImage(bitmap);
  change(image);
  const bool fixed = bitmap.TransparentMode() == framework::tmFixed;
  const framework::TColor key = bitmap.TransparentColor();
  bitmap.LoadFromSkinImage(image);
  if (fixed) bitmap.SetTransparentColor(key);
}

}  // namespace skinengine
