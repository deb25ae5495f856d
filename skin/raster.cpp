// Raster drawing for the picture generators (see raster.h).
#include "skin/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace skin {
namespace {

constexpr int kSamples = 4;  // supersampling per axis for anti-aliased shapes

// 5x7 glyphs, one string of 35 characters per glyph, rows top to bottom.
struct Glyph {
  char c;
  const char* rows;
};
const Glyph kFont[] = {
    {'A', " ### #   ##   #######   ##   ##   #"}, {'B', "#### #   ##### #   ##   ##   ##### "},
    {'C', " ### #   ##    #    #    #   # ### "}, {'D', "#### #   ##   ##   ##   ##   ##### "},
    {'E', "######    #### #    #    #    #####"}, {'F', "######    #### #    #    #    #    "},
    {'G', " ### #   ##    # ####   ##   # ####"}, {'H', "#   ##   #######   ##   ##   ##   #"},
    {'I', " ###   #    #    #    #    #   ### "}, {'J', "  ###   #    #    # #  # #  #  ##  "},
    {'K', "#   ##  # # #  ##   # #  #  # #   #"}, {'L', "#    #    #    #    #    #    #####"},
    {'M', "#   ### ### # ##   ##   ##   ##   #"}, {'N', "#   ###  ## # ##  ###   ##   ##   #"},
    {'O', " ### #   ##   ##   ##   ##   # ### "}, {'P', "#### #   ##   ##### #    #    #    "},
    {'Q', " ### #   ##   ##   ## # ##  #  ## #"}, {'R', "#### #   ##   ##### # #  #  # #   #"},
    {'S', " #####    #     ###     #    ##### "}, {'T', "#####  #    #    #    #    #    #  "},
    {'U', "#   ##   ##   ##   ##   ##   # ### "}, {'V', "#   ##   ##   ##   # # #  # #   #  "},
    {'W', "#   ##   ##   ## # ## # ## # # # # "}, {'X', "#   ##   # # #   #   # # #   ##   #"},
    {'Y', "#   ##   # # #   #    #    #    #  "}, {'Z', "#####    #   #   #   #   #    #####"},
    {'0', " ### #   ##  ### # ###  ##   # ### "}, {'1', "  #   ##    #    #    #    #   ### "},
    {'2', " ### #   #    #   #   #   #   #####"}, {'3', "#####   #   #     #     ##   # ### "},
    {'4', "   #   ##  # # #  # #####   #    # "}, {'5', "######    ####     #    ##   # ### "},
    {'6', "  ##  #   #    #### #   ##   # ### "}, {'7', "#####    #   #   #   #    #    #   "},
    {'8', " ### #   ##   # ### #   ##   # ### "}, {'9', " ### #   ##   # ####    #   #  ##  "},
    {'_', "                              #####"}, {'-', "          #####                    "},
    {'.', "                              ##   "}, {':', "      ##   ##        ##   ##       "},
    {'/', "    #    #   #   #   #   #    #    "}, {'(', "   #   #   #    #    #     #     # "},
    {')', " #     #     #    #    #   #   #   "}, {'x', "          #   # # #   #   # # #   #"},
    {' ', "                                   "},
};

const char* GlyphRows(char c) {
  if (c >= 'a' && c <= 'z' && c != 'x') c = char(c - 'a' + 'A');
  for (const Glyph& g : kFont) {
    if (g.c == c) return g.rows;
  }
  return nullptr;
}

double Coverage(const Shape& shape, int x, int y) {
  int inside = 0;
  for (int sy = 0; sy < kSamples; ++sy)
    for (int sx = 0; sx < kSamples; ++sx)
      if (shape(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples)) ++inside;
  return double(inside) / (kSamples * kSamples);
}

void Plot(SkinImage& img, int x, int y, ColorRef c, double cover, Edge edge) {
  if (x < 0 || y < 0 || x >= img.width || y >= img.height || cover <= 0) return;
  const ColorRef under = img.Pixel(x, y);
  if (cover >= 1) {
    img.SetPixel(x, y, c);
  } else if (under != kMagenta) {
    img.SetPixel(x, y, Mix(under, c, cover));
  } else if (edge.hasMatte) {
    if (cover >= 0.2) img.SetPixel(x, y, Mix(edge.matte, c, cover));
  } else if (cover >= 0.5) {
    img.SetPixel(x, y, c);
  }
}

}  // namespace

ColorRef Mix(ColorRef a, ColorRef b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto ch = [&](int shift) {
    const double va = (a >> shift) & 0xFF, vb = (b >> shift) & 0xFF;
    return ColorRef(std::lround(va + (vb - va) * t)) << shift;
  };
  return ch(0) | ch(8) | ch(16);
}

Shader Solid(ColorRef c) {
  return [c](int, int) { return c; };
}

Shader VGradient(const Rect& r, ColorRef c0, ColorRef c1) {
  return [=](int, int y) {
    return Mix(c0, c1, r.Height() > 1 ? double(y - r.top) / (r.Height() - 1) : 0);
  };
}

Shader HGradient(const Rect& r, ColorRef c0, ColorRef c1) {
  return [=](int x, int) {
    return Mix(c0, c1, r.Width() > 1 ? double(x - r.left) / (r.Width() - 1) : 0);
  };
}

Shape RoundRectShape(const Rect& r, double radius) {
  return [=](double x, double y) {
    if (x < r.left || y < r.top || x > r.right || y > r.bottom) return false;
    const double cx = std::clamp(x, r.left + radius, r.right - radius);
    const double cy = std::clamp(y, r.top + radius, r.bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Shape TopRoundRectShape(const Rect& r, double radius) {
  return [=](double x, double y) {
    if (x < r.left || y < r.top || x > r.right || y > r.bottom) return false;
    if (y >= r.top + radius) return true;
    const double cx = std::clamp(x, r.left + radius, r.right - radius);
    const double cy = r.top + radius;
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Shape EllipseShape(double cx, double cy, double rx, double ry) {
  return [=](double x, double y) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  };
}

Edge Crisp() { return Edge{}; }
Edge Matte(ColorRef c) { return Edge{true, c}; }

void SetPixelSafe(SkinImage& img, int x, int y, ColorRef c) {
  if (x >= 0 && y >= 0 && x < img.width && y < img.height) img.SetPixel(x, y, c);
}

void FrameRect(SkinImage& img, const Rect& r, ColorRef c) {
  Fill(img, {r.left, r.top, r.right, r.top + 1}, Solid(c));
  Fill(img, {r.left, r.bottom - 1, r.right, r.bottom}, Solid(c));
  Fill(img, {r.left, r.top, r.left + 1, r.bottom}, Solid(c));
  Fill(img, {r.right - 1, r.top, r.right, r.bottom}, Solid(c));
}

void DrawPixelLine(SkinImage& img, int x0, int y0, int x1, int y1, ColorRef c) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    SetPixelSafe(img, x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

void Fill(SkinImage& img, const Rect& r, const Shader& shade) {
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, img.height); ++y)
    for (int x = std::max(r.left, 0); x < std::min(r.right, img.width); ++x)
      img.SetPixel(x, y, shade(x, y));
}

void FillShape(SkinImage& img, const Shape& shape, const Shader& shade, Edge edge) {
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const double cover = Coverage(shape, x, y);
      if (cover > 0) Plot(img, x, y, shade(x, y), cover, edge);
    }
}

void DrawLine(SkinImage& img, double x0, double y0, double x1, double y1, double width, ColorRef c,
              Edge edge) {
  const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  const double half = width / 2;
  Shape segment = [=](double x, double y) {
    // Distance from the segment between the pixel centres (x0 + .5, y0 + .5) ...
    const double px = x - (x0 + 0.5), py = y - (y0 + 0.5);
    const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
    const double ex = px - t * dx, ey = py - t * dy;
    return ex * ex + ey * ey <= half * half;
  };
  FillShape(img, segment, Solid(c), edge);
}

void Blit(SkinImage& dst, const SkinImage& src, int x, int y, const ColorRef* keyOut) {
  for (int sy = 0; sy < src.height; ++sy)
    for (int sx = 0; sx < src.width; ++sx) {
      const ColorRef c = src.Pixel(sx, sy);
      if (keyOut && c == *keyOut) continue;
      SetPixelSafe(dst, x + sx, y + sy, c);
    }
}

void StretchBlit(SkinImage& dst, const Rect& to, const SkinImage& src, const Rect& from,
                 const ColorRef* keyOut) {
  if (to.Width() <= 0 || to.Height() <= 0 || from.Width() <= 0 || from.Height() <= 0) return;
  for (int y = to.top; y < to.bottom; ++y)
    for (int x = to.left; x < to.right; ++x) {
      const int sx = from.left + (x - to.left) * from.Width() / to.Width();
      const int sy = from.top + (y - to.top) * from.Height() / to.Height();
      const ColorRef c = src.Pixel(sx, sy);
      if (keyOut && c == *keyOut) continue;
      SetPixelSafe(dst, x, y, c);
    }
}

SkinImage CutFrame(const SkinImage& src, int count, int index) {
  const int w = src.width / count;
  SkinImage out(w, src.height);
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < w; ++x) out.SetPixel(x, y, src.Pixel((index - 1) * w + x, y));
  return out;
}

SkinImage JoinFrames(const std::vector<SkinImage>& frames) {
  int w = 0;
  for (const SkinImage& f : frames) w += f.width;
  SkinImage out(w, frames.empty() ? 0 : frames[0].height);
  int x = 0;
  for (const SkinImage& f : frames) {
    Blit(out, f, x, 0);
    x += f.width;
  }
  return out;
}

void DrawLabel(SkinImage& img, int x, int y, const std::string& text, ColorRef c, int scale) {
  for (char ch : text) {
    if (const char* rows = GlyphRows(ch)) {
      for (int gy = 0; gy < 7; ++gy)
        for (int gx = 0; gx < 5; ++gx)
          if (rows[gy * 5 + gx] == '#')
            Fill(img, {x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale},
                 Solid(c));
    }
    x += 6 * scale;
  }
}

int LabelWidth(const std::string& text, int scale) {
  return text.empty() ? 0 : int(text.size()) * 6 * scale - scale;
}

}  // namespace skin
