// Raster toolkit of the default skin's generator.
#include "skins/raster.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace skingen {
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

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBE32(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBE32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
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

std::vector<uint8_t> EncodePng(const SkinImage& img) {
  std::vector<uint8_t> raw;
  raw.reserve(size_t(img.height) * (1 + 3 * size_t(img.width)));
  for (int y = 0; y < img.height; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < img.width; ++x) {
      const ColorRef c = img.Pixel(x, y);
      raw.push_back(skin::RedOf(c));
      raw.push_back(skin::GreenOf(c));
      raw.push_back(skin::BlueOf(c));
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9);
  packed.resize(packedSize);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBE32(header, uint32_t(img.width));
  PutBE32(header, uint32_t(img.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace skingen
