// SkinImage helpers.
#include "skin/skinimage.h"

namespace skin {

SkinImage::SkinImage(int w, int h, ColorRef fill)
    : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

ColorRef SkinImage::EffectiveTransparentColor() const {
  if (transparentMode == TransparentMode::Fixed) return transparentColor;
  if (Empty()) return 0;
  return Pixel(0, height - 1);
}

size_t SkinImage::ReplaceColor(ColorRef from, ColorRef to) {
  size_t changed = 0;
  for (ColorRef& p : pixels) {
    if (p == from) {
      p = to;
      ++changed;
    }
  }
  return changed;
}

}  // namespace skin
