// dzglyphs: draws the program's button pictures (16 x 16, 24-bit BMP), the skin engine's two
// bitmaps (the menu check mark and the strip of MDI caption buttons) and the program icon (ICO
// with 32 x 32 and 16 x 16 images, 32-bit with alpha) into a directory, with the skin
// library's raster drawing (skin/raster.h) and BMP encoder (skin/bmp.h). A native build-time
// tool of the Windows build (cmake/HostTools.cmake); the resource script picks the files up.
//
//   dzglyphs OUTDIR    writes new.bmp edit.bmp delete.bmp play.bmp close.bmp menuchecked.bmp
//                      mdicontrols.bmp doziviz.ico
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/bytewriter.h"
#include "skin/bmp.h"
#include "skin/raster.h"

namespace {

using skin::ColorRef;
using skin::MakeColor;
using skin::Rect;
using skin::SkinImage;

// Magenta, the colour of the bottom-left pixel: the buttons draw it transparent.
constexpr ColorRef kBack = skin::kMagenta;
constexpr ColorRef kBlack = MakeColor(0, 0, 0);
constexpr ColorRef kWhite = MakeColor(255, 255, 255);
constexpr ColorRef kGrey = MakeColor(128, 128, 128);

void Box(SkinImage& img, const Rect& r, ColorRef c) { skin::Fill(img, r, skin::Solid(c)); }
void Set(SkinImage& img, int x, int y, ColorRef c) { skin::SetPixelSafe(img, x, y, c); }

// A sheet of paper with a folded top-right corner.
void Page(SkinImage& img) {
  Box(img, {3, 1, 13, 15}, kWhite);
  skin::FrameRect(img, {3, 1, 13, 15}, kBlack);
  for (int i = 0; i < 4; ++i)
    Set(img, 12 - i, 1 + i, kBlack), Box(img, {13 - i, 1, 13, i + 1}, kBack);
  skin::DrawPixelLine(img, 9, 1, 9, 4, kBlack);
  skin::DrawPixelLine(img, 9, 4, 12, 4, kBlack);
  Box(img, {10, 2, 12, 4}, MakeColor(192, 192, 192));
}

void Pencil(SkinImage& img) {
  const ColorRef green = MakeColor(0, 160, 0), dark = MakeColor(0, 96, 0);
  for (int i = 0; i < 7; ++i) {
    Set(img, 7 + i, 12 - i, green);
    Set(img, 8 + i, 12 - i, green);
    Set(img, 8 + i, 13 - i, dark);
  }
  Set(img, 6, 13, kBlack);
  Set(img, 7, 13, kGrey);
}

void Cross(SkinImage& img) {
  const ColorRef red = MakeColor(220, 0, 0);
  for (int i = 0; i < 7; ++i) {
    Set(img, 8 + i, 7 + i, red), Set(img, 9 + i, 7 + i, red);
    Set(img, 14 - i, 7 + i, red), Set(img, 15 - i, 7 + i, red);
  }
}

void Disc(SkinImage& img) {
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      double dx = x - 7.5, dy = y - 7.5, d = std::sqrt(dx * dx + dy * dy);
      if (d > 7.3) continue;
      double t = (x + y) / 30.0;  // a rainbow sheen across the disc
      ColorRef c =
          MakeColor(static_cast<uint8_t>(120 + 120 * t), static_cast<uint8_t>(200 - 60 * t),
                    static_cast<uint8_t>(255 - 150 * t));
      Set(img, x, y, d > 6.5 ? kGrey : c);
      if (d < 1.6) Set(img, x, y, kWhite);
    }
  for (int y = 4; y <= 11; ++y) {  // black play triangle
    int half = y <= 7 ? y - 4 : 11 - y;
    for (int x = 5; x <= 5 + half * 2 && x <= 11; ++x) Set(img, x, y, kBlack);
  }
}

void Door(SkinImage& img) {
  const ColorRef wood = MakeColor(150, 90, 30), arrow = MakeColor(0, 128, 0);
  Box(img, {1, 1, 9, 15}, wood);
  skin::FrameRect(img, {1, 1, 9, 15}, kBlack);
  Set(img, 7, 8, MakeColor(255, 215, 0));
  skin::DrawPixelLine(img, 9, 8, 15, 8, arrow);
  skin::DrawPixelLine(img, 9, 7, 14, 7, arrow);
  skin::DrawPixelLine(img, 15, 8, 12, 5, arrow);
  skin::DrawPixelLine(img, 15, 8, 12, 11, arrow);
  skin::DrawPixelLine(img, 14, 7, 12, 5, arrow);
}

// Sets the pixels marked '#' in `rows` (top to bottom) to `c`, the first row's first
// character at (x, y).
void Pattern(SkinImage& img, int x, int y, const std::vector<const char*>& rows, ColorRef c) {
  for (size_t r = 0; r < rows.size(); ++r)
    for (int i = 0; rows[r][i]; ++i)
      if (rows[r][i] == '#') Set(img, x + i, y + int(r), c);
}

// The check mark of checked menu items, 16 x 16: black on white, the colour the skin engine's
// image list masks out.
SkinImage MenuChecked() {
  SkinImage img(16, 16, kWhite);
  Pattern(img, 4, 4,
          {"......#",  //
           ".....##",  //
           "#...###",  //
           "##.###.",  //
           "#####..",  //
           ".###...",  //
           "..#...."},
          kBlack);
  return img;
}

// The caption buttons of a maximised MDI child, drawn on the menu bar: three 14 x 12 frames
// side by side (minimise, restore, close), black on the transparent magenta.
constexpr int kMdiFrameWidth = 14, kMdiFrameHeight = 12;

SkinImage MdiControls() {
  SkinImage img(3 * kMdiFrameWidth, kMdiFrameHeight, kBack);
  Box(img, {3, 8, 10, 10}, kBlack);  // minimise: a bar at the bottom
  const int r = kMdiFrameWidth;      // restore: a window behind another
  skin::FrameRect(img, {r + 5, 1, r + 12, 7}, kBlack);
  Box(img, {r + 5, 1, r + 12, 2}, kBlack);
  Box(img, {r + 2, 4, r + 9, 11}, kBack);
  skin::FrameRect(img, {r + 2, 4, r + 9, 11}, kBlack);
  Box(img, {r + 2, 4, r + 9, 5}, kBlack);
  const int c = 2 * kMdiFrameWidth;  // close: a cross
  for (int i = 0; i < 7; ++i) {
    Set(img, c + 3 + i, 2 + i, kBlack), Set(img, c + 4 + i, 2 + i, kBlack);
    Set(img, c + 10 - i, 2 + i, kBlack), Set(img, c + 9 - i, 2 + i, kBlack);
  }
  return img;
}

// An icon image: colours and, per pixel, its opacity (0 or 255).
struct IconImage {
  SkinImage colors;
  std::vector<uint8_t> alpha;  // rows top to bottom
  uint8_t Alpha(int x, int y) const { return alpha[size_t(y) * size_t(colors.width) + size_t(x)]; }
};

// The program icon: a white eighth note on a blue rounded square.
IconImage Icon(int size) {
  IconImage icon{SkinImage(size, size, kBlack), std::vector<uint8_t>(size_t(size) * size, 255)};
  SkinImage& img = icon.colors;
  double s = size / 32.0;
  const ColorRef blue = MakeColor(40, 80, 170);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double cx = std::max({0.0, 4 * s - x, x - (size - 1 - 4 * s)});
      double cy = std::max({0.0, 4 * s - y, y - (size - 1 - 4 * s)});
      bool inside = cx * cx + cy * cy <= 16 * s * s;
      icon.alpha[size_t(y) * size_t(size) + size_t(x)] = inside ? 255 : 0;
      if (inside) Set(img, x, y, blue);
    }
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double dx = (x - 12 * s) / (5 * s), dy = (y - 23 * s) / (3.6 * s);
      bool head = dx * dx + dy * dy <= 1.0;
      bool stem = x >= 16 * s && x < 18.5 * s && y >= 6 * s && y <= 23 * s;
      bool flag = y >= 6 * s && y < 10 * s + (x - 18 * s) * 0.6 && x >= 18 * s && x < 25 * s;
      if (head || stem || flag) Set(img, x, y, kWhite);
    }
  return icon;
}

// An ICO file: ICONDIR (reserved 0, type 1, count), one 16-byte ICONDIRENTRY per image (width,
// height, colours 0, reserved 0, planes 1, bits 32, size, offset), then each image as a BMP
// info header of double height, BGRA rows bottom-up and a 1-bit AND mask.
std::vector<uint8_t> Ico(const std::vector<IconImage>& images) {
  std::vector<std::vector<uint8_t>> bodies;
  for (const IconImage& icon : images) {
    const int n = icon.colors.width, mask_stride = ((n + 31) / 32) * 4;
    std::vector<uint8_t> b;
    skin::TBmpInfoHeader header;
    header.width = n;
    header.height = 2 * n;
    header.bitsPerPixel = 32;
    header.imageSize = uint32_t(n * n * 4 + mask_stride * n);
    skin::AppendBmpInfoHeader(b, header);
    for (int y = n - 1; y >= 0; --y)
      for (int x = 0; x < n; ++x) {
        const ColorRef c = icon.colors.Pixel(x, y);
        b.push_back(skin::BlueOf(c)), b.push_back(skin::GreenOf(c)), b.push_back(skin::RedOf(c));
        b.push_back(icon.Alpha(x, y));
      }
    for (int y = n - 1; y >= 0; --y) {
      std::vector<uint8_t> row(mask_stride, 0);
      for (int x = 0; x < n; ++x)
        if (icon.Alpha(x, y) == 0) row[x / 8] |= 0x80 >> (x % 8);
      b.insert(b.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(b));
  }
  std::vector<uint8_t> out;
  platform::AppendU16(out, 0), platform::AppendU16(out, 1);
  platform::AppendU16(out, static_cast<uint16_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const uint8_t size = static_cast<uint8_t>(images[i].colors.width);
    out.push_back(size), out.push_back(size);
    out.push_back(0), out.push_back(0);
    platform::AppendU16(out, 1), platform::AppendU16(out, 32);
    platform::AppendU32(out, static_cast<uint32_t>(bodies[i].size()));
    platform::AppendU32(out, offset);
    offset += static_cast<uint32_t>(bodies[i].size());
  }
  for (const auto& b : bodies) out.insert(out.end(), b.begin(), b.end());
  return out;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dzglyphs OUTDIR\n");
    return 2;
  }
  std::string dir = argv[1];
  struct Glyph {
    const char* file;
    void (*draw)(SkinImage&);
  };
  const Glyph glyphs[] = {
      {"new.bmp", [](SkinImage& img) { Page(img); }},
      {"edit.bmp", [](SkinImage& img) { Page(img), Pencil(img); }},
      {"delete.bmp", [](SkinImage& img) { Page(img), Cross(img); }},
      {"play.bmp", Disc},
      {"close.bmp", Door},
  };
  std::vector<std::pair<std::string, SkinImage>> bitmaps;
  for (const Glyph& g : glyphs) {
    SkinImage img(16, 16, kBack);
    g.draw(img);
    img.SetPixel(0, 15, kBack);  // the transparent colour comes from this pixel
    bitmaps.emplace_back(g.file, std::move(img));
  }
  bitmaps.emplace_back("menuchecked.bmp", MenuChecked());
  bitmaps.emplace_back("mdicontrols.bmp", MdiControls());
  for (const auto& [file, img] : bitmaps) {
    if (!Write(dir + "/" + file, skin::EncodeBmp24(img))) {
      std::fprintf(stderr, "dzglyphs: cannot write %s/%s\n", dir.c_str(), file.c_str());
      return 1;
    }
  }
  if (!Write(dir + "/doziviz.ico", Ico({Icon(32), Icon(16)}))) {
    std::fprintf(stderr, "dzglyphs: cannot write %s/doziviz.ico\n", dir.c_str());
    return 1;
  }
  return 0;
}
