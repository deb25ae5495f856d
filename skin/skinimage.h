// SkinImage: the portable picture a skin bitmap decodes into (width, height, 24-bit pixels and
// the transparent mode and colour). The skin resource file owns these; the Win32 layer turns
// them into framework bitmaps. A plain value type; not thread-safe while being changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

// A platform colour reference: red in bits 0-7, green in 8-15, blue in 16-23.
using ColorRef = uint32_t;

constexpr ColorRef MakeColor(uint8_t r, uint8_t g, uint8_t b) {
  return ColorRef(r) | (ColorRef(g) << 8) | (ColorRef(b) << 16);
}
constexpr uint8_t RedOf(ColorRef c) { return uint8_t(c); }
constexpr uint8_t GreenOf(ColorRef c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(ColorRef c) { return uint8_t(c >> 16); }

// How a bitmap picks the colour it leaves out when drawn transparently: automatically (its
// bottom-left pixel, as framework bitmaps do) or a fixed colour.
enum class TransparentMode : uint8_t { Auto, Fixed };

struct SkinImage {
  int width = 0;
  int height = 0;
  std::vector<ColorRef> pixels;  // width * height colours, rows top to bottom
  TransparentMode transparentMode = TransparentMode::Auto;
  ColorRef transparentColor = 0;  // used when transparentMode is Fixed

  SkinImage() = default;
  // A width x height image filled with `fill`. REQUIRES: width, height >= 0.
  SkinImage(int w, int h, ColorRef fill = 0);

  bool Empty() const { return width <= 0 || height <= 0; }
  // REQUIRES: 0 <= x < width, 0 <= y < height.
  ColorRef Pixel(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  void SetPixel(int x, int y, ColorRef c) { pixels[size_t(y) * size_t(width) + size_t(x)] = c; }

  // The colour left out when drawn transparently: the fixed colour, or in automatic mode the
  // bottom-left pixel (0 for an empty image).
  ColorRef EffectiveTransparentColor() const;

  // Sets every pixel of exactly `from` to `to`; returns how many changed.
  size_t ReplaceColor(ColorRef from, ColorRef to);
};

}  // namespace skin
