// Raster drawing on SkinImage for the build-time picture generators (the default skin's
// dzskingen and the program's dzglyphs): fills, frames, pixel lines, gradients, anti-aliased
// shapes (edges blended onto a matte colour so no fringe of the transparent colour remains),
// copies and a 5x7 label font. Not used by the program. Pure functions on the image passed in;
// not thread-safe on one image.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "skin/skinimage.h"

namespace skin {

// "#RRGGBB"-style literal helper: Rgb(0x678BB8).
constexpr ColorRef Rgb(uint32_t rrggbb) {
  return MakeColor(uint8_t(rrggbb >> 16), uint8_t(rrggbb >> 8), uint8_t(rrggbb));
}

// The transparent colour the generators draw on: shapes treat its pixels as not yet painted.
constexpr ColorRef kMagenta = Rgb(0xFF00FF);

ColorRef Mix(ColorRef a, ColorRef b, double t);  // t = 0 gives a, 1 gives b

struct Rect {
  int left, top, right, bottom;  // right and bottom excluded
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  Rect Inset(int d) const { return {left + d, top + d, right - d, bottom - d}; }
};

// Colour of a pixel as a function of its position.
using Shader = std::function<ColorRef(int x, int y)>;
Shader Solid(ColorRef c);
// Vertical gradient from c0 at row r.top to c1 at row r.bottom - 1.
Shader VGradient(const Rect& r, ColorRef c0, ColorRef c1);
Shader HGradient(const Rect& r, ColorRef c0, ColorRef c1);

// Whether a point (in pixel units, pixel centres at +0.5) lies inside a shape.
using Shape = std::function<bool(double x, double y)>;
Shape RoundRectShape(const Rect& r, double radius);
Shape EllipseShape(double cx, double cy, double rx, double ry);
// Rounded only at the top corners.
Shape TopRoundRectShape(const Rect& r, double radius);

// How partially covered pixels are blended where the image is still transparent (magenta):
// against `matte` when given, else snapped (half coverage or more draws fully).
struct Edge {
  bool hasMatte = false;
  ColorRef matte = 0;
};
Edge Crisp();
Edge Matte(ColorRef c);

void Fill(SkinImage& img, const Rect& r, const Shader& shade);
void FillShape(SkinImage& img, const Shape& shape, const Shader& shade, Edge edge);
// A line of `width` pixels from (x0, y0) to (x1, y1) (pixel centres), anti-aliased.
void DrawLine(SkinImage& img, double x0, double y0, double x1, double y1, double width, ColorRef c,
              Edge edge);
void SetPixelSafe(SkinImage& img, int x, int y, ColorRef c);
// A one-pixel outline along the inside of `r`.
void FrameRect(SkinImage& img, const Rect& r, ColorRef c);
// A one-pixel line from (x0, y0) to (x1, y1), both ends included, not anti-aliased
// (Bresenham), clipped to the image.
void DrawPixelLine(SkinImage& img, int x0, int y0, int x1, int y1, ColorRef c);

// Copies `src` into `dst` at (x, y), clipped; with `keyOut`, pixels of that colour are skipped.
void Blit(SkinImage& dst, const SkinImage& src, int x, int y, const ColorRef* keyOut = nullptr);
// Nearest-neighbour stretch of a source rectangle into a destination rectangle.
void StretchBlit(SkinImage& dst, const Rect& to, const SkinImage& src, const Rect& from,
                 const ColorRef* keyOut = nullptr);
// Frame `index` (1-based) of `count` equal vertical strips.
SkinImage CutFrame(const SkinImage& src, int count, int index);
// Joins images side by side (all must have the same height).
SkinImage JoinFrames(const std::vector<SkinImage>& frames);

// Draws text in the built-in 5x7 font (upper-case letters, digits, "_-.:/()x ") at `scale`.
void DrawLabel(SkinImage& img, int x, int y, const std::string& text, ColorRef c, int scale = 1);
int LabelWidth(const std::string& text, int scale = 1);

}  // namespace skin
