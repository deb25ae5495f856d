// dzglyphs: draws the program's button pictures (16 x 16, 24-bit BMP) and its icon (ICO with
// 32 x 32 and 16 x 16 images, 32-bit with alpha) into a directory. A native build-time tool of
// the Windows build (cmake/HostTools.cmake); the resource script picks the files up.
//
//   dzglyphs OUTDIR    writes new.bmp edit.bmp delete.bmp play.bmp close.bmp doziviz.ico
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb {
  uint8_t r, g, b;
};

// Magenta, the colour of the bottom-left pixel: the buttons draw it transparent.
constexpr Rgb kBack{255, 0, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrey{128, 128, 128};

class Raster {
 public:
  explicit Raster(int size, Rgb fill)
      : size_(size), px_(size * size, fill), alpha_(size * size, 255) {}
  int Size() const { return size_; }
  void Set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < size_ && y < size_) px_[y * size_ + x] = c;
  }
  Rgb Get(int x, int y) const { return px_[y * size_ + x]; }
  void SetAlpha(int x, int y, uint8_t a) { alpha_[y * size_ + x] = a; }
  uint8_t Alpha(int x, int y) const { return alpha_[y * size_ + x]; }
  void Fill(int x0, int y0, int x1, int y1, Rgb c) {  // inclusive corners
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) Set(x, y, c);
  }
  void Frame(int x0, int y0, int x1, int y1, Rgb c) {
    for (int x = x0; x <= x1; ++x) Set(x, y0, c), Set(x, y1, c);
    for (int y = y0; y <= y1; ++y) Set(x0, y, c), Set(x1, y, c);
  }
  void Line(int x0, int y0, int x1, int y1, Rgb c) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
      Set(x0, y0, c);
      if (x0 == x1 && y0 == y1) break;
      int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }

 private:
  int size_;
  std::vector<Rgb> px_;
  std::vector<uint8_t> alpha_;
};

// A sheet of paper with a folded top-right corner.
void Page(Raster& r) {
  r.Fill(3, 1, 12, 14, kWhite);
  r.Frame(3, 1, 12, 14, kBlack);
  for (int i = 0; i < 4; ++i) r.Set(12 - i, 1 + i, kBlack), r.Fill(13 - i, 1, 12, i, kBack);
  r.Line(9, 1, 9, 4, kBlack);
  r.Line(9, 4, 12, 4, kBlack);
  r.Fill(10, 2, 11, 3, Rgb{192, 192, 192});
}

void Pencil(Raster& r) {
  const Rgb green{0, 160, 0}, dark{0, 96, 0};
  for (int i = 0; i < 7; ++i) {
    r.Set(7 + i, 12 - i, green);
    r.Set(8 + i, 12 - i, green);
    r.Set(8 + i, 13 - i, dark);
  }
  r.Set(6, 13, kBlack);
  r.Set(7, 13, kGrey);
}

void Cross(Raster& r) {
  const Rgb red{220, 0, 0};
  for (int i = 0; i < 7; ++i) {
    r.Set(8 + i, 7 + i, red), r.Set(9 + i, 7 + i, red);
    r.Set(14 - i, 7 + i, red), r.Set(15 - i, 7 + i, red);
  }
}

void Disc(Raster& r) {
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      double dx = x - 7.5, dy = y - 7.5, d = std::sqrt(dx * dx + dy * dy);
      if (d > 7.3) continue;
      double t = (x + y) / 30.0;  // a rainbow sheen across the disc
      Rgb c{static_cast<uint8_t>(120 + 120 * t), static_cast<uint8_t>(200 - 60 * t),
            static_cast<uint8_t>(255 - 150 * t)};
      r.Set(x, y, d > 6.5 ? kGrey : c);
      if (d < 1.6) r.Set(x, y, kWhite);
    }
  for (int y = 4; y <= 11; ++y) {  // black play triangle
    int half = y <= 7 ? y - 4 : 11 - y;
    for (int x = 5; x <= 5 + half * 2 && x <= 11; ++x) r.Set(x, y, kBlack);
  }
}

void Door(Raster& r) {
  const Rgb wood{150, 90, 30}, arrow{0, 128, 0};
  r.Fill(1, 1, 8, 14, wood);
  r.Frame(1, 1, 8, 14, kBlack);
  r.Set(7, 8, Rgb{255, 215, 0});
  r.Line(9, 8, 15, 8, arrow);
  r.Line(9, 7, 14, 7, arrow);
  r.Line(15, 8, 12, 5, arrow);
  r.Line(15, 8, 12, 11, arrow);
  r.Line(14, 7, 12, 5, arrow);
}

// The program icon: a white eighth note on a blue rounded square.
Raster Icon(int size) {
  Raster r(size, Rgb{0, 0, 0});
  double s = size / 32.0;
  const Rgb blue{40, 80, 170};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double cx = std::max({0.0, 4 * s - x, x - (size - 1 - 4 * s)});
      double cy = std::max({0.0, 4 * s - y, y - (size - 1 - 4 * s)});
      bool inside = cx * cx + cy * cy <= 16 * s * s;
      r.SetAlpha(x, y, inside ? 255 : 0);
      if (inside) r.Set(x, y, blue);
    }
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double dx = (x - 12 * s) / (5 * s), dy = (y - 23 * s) / (3.6 * s);
      bool head = dx * dx + dy * dy <= 1.0;
      bool stem = x >= 16 * s && x < 18.5 * s && y >= 6 * s && y <= 23 * s;
      bool flag = y >= 6 * s && y < 10 * s + (x - 18 * s) * 0.6 && x >= 18 * s && x < 25 * s;
      if (head || stem || flag) r.Set(x, y, kWhite);
    }
  return r;
}

void Put16(std::vector<uint8_t>& b, uint16_t v) { b.push_back(v & 0xFF), b.push_back(v >> 8); }
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

// BITMAPINFOHEADER (40 bytes): size, width, height, planes 1, bits, compression 0, image size,
// resolution x/y, colours used, colours important.
void PutInfoHeader(std::vector<uint8_t>& b, int width, int height, int bits, uint32_t image) {
  Put32(b, 40), Put32(b, width), Put32(b, height), Put16(b, 1), Put16(b, bits);
  Put32(b, 0), Put32(b, image), Put32(b, 2835), Put32(b, 2835), Put32(b, 0), Put32(b, 0);
}

// A 24-bit bottom-up BMP file: BITMAPFILEHEADER (14 bytes: "BM", file size, 0, pixel offset),
// the info header, then rows padded to 4 bytes.
std::vector<uint8_t> Bmp(const Raster& r) {
  int n = r.Size(), stride = (n * 3 + 3) & ~3;
  std::vector<uint8_t> b;
  b.push_back('B'), b.push_back('M');
  Put32(b, 54 + stride * n), Put32(b, 0), Put32(b, 54);
  PutInfoHeader(b, n, n, 24, stride * n);
  for (int y = n - 1; y >= 0; --y) {
    for (int x = 0; x < n; ++x) {
      Rgb c = r.Get(x, y);
      b.push_back(c.b), b.push_back(c.g), b.push_back(c.r);
    }
    for (int p = n * 3; p < stride; ++p) b.push_back(0);
  }
  return b;
}

// An ICO file: ICONDIR (reserved 0, type 1, count), one 16-byte ICONDIRENTRY per image (width,
// height, colours 0, reserved 0, planes 1, bits 32, size, offset), then each image as a
// BITMAPINFOHEADER of double height, BGRA rows bottom-up and a 1-bit AND mask.
std::vector<uint8_t> Ico(const std::vector<Raster>& images) {
  std::vector<std::vector<uint8_t>> bodies;
  for (const Raster& r : images) {
    int n = r.Size(), mask_stride = ((n + 31) / 32) * 4;
    std::vector<uint8_t> b;
    PutInfoHeader(b, n, 2 * n, 32, n * n * 4 + mask_stride * n);
    for (int y = n - 1; y >= 0; --y)
      for (int x = 0; x < n; ++x) {
        Rgb c = r.Get(x, y);
        b.push_back(c.b), b.push_back(c.g), b.push_back(c.r), b.push_back(r.Alpha(x, y));
      }
    for (int y = n - 1; y >= 0; --y) {
      std::vector<uint8_t> row(mask_stride, 0);
      for (int x = 0; x < n; ++x)
        if (r.Alpha(x, y) == 0) row[x / 8] |= 0x80 >> (x % 8);
      b.insert(b.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(b));
  }
  std::vector<uint8_t> out;
  Put16(out, 0), Put16(out, 1), Put16(out, static_cast<uint16_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<uint8_t>(images[i].Size())),
        out.push_back(static_cast<uint8_t>(images[i].Size()));
    out.push_back(0), out.push_back(0);
    Put16(out, 1), Put16(out, 32), Put32(out, static_cast<uint32_t>(bodies[i].size())),
        Put32(out, offset);
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
    void (*draw)(Raster&);
  };
  const Glyph glyphs[] = {
      {"new.bmp", [](Raster& r) { Page(r); }},
      {"edit.bmp", [](Raster& r) { Page(r), Pencil(r); }},
      {"delete.bmp", [](Raster& r) { Page(r), Cross(r); }},
      {"play.bmp", Disc},
      {"close.bmp", Door},
  };
  for (const Glyph& g : glyphs) {
    Raster r(16, kBack);
    g.draw(r);
    r.Set(0, 15, kBack);  // the transparent colour comes from this pixel
    if (!Write(dir + "/" + g.file, Bmp(r))) {
      std::fprintf(stderr, "dzglyphs: cannot write %s/%s\n", dir.c_str(), g.file);
      return 1;
    }
  }
  if (!Write(dir + "/doziviz.ico", Ico({Icon(32), Icon(16)}))) {
    std::fprintf(stderr, "dzglyphs: cannot write %s/doziviz.ico\n", dir.c_str());
    return 1;
  }
  return 0;
}
