// Cutting and turning skin bitmaps.
#include "skin/imageops.h"

#include <utility>

#include "skin/drawplan.h"

namespace skin {
namespace {

// Rebuilds `image` with width and height `size`, each new pixel (x, y) taken from the old
// pixel `from(x, y)`.
template <typename Map>
void Remap(SkinImage& image, Size size, Map from) {
  SkinImage turned(size.width, size.height);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) {
      const Point p = from(x, y);
      turned.SetPixel(x, y, image.Pixel(p.x, p.y));
    }
  image.width = turned.width;
  image.height = turned.height;
  image.pixels = std::move(turned.pixels);
}

}  // namespace

SkinImage CropImage(const SkinImage& source, const Rect& area) {
  const Rect r = Intersect(area, {0, 0, source.width, source.height});
  SkinImage out;
  if (!r.Empty()) {
    out = SkinImage(r.Width(), r.Height());
    for (int y = 0; y < r.Height(); ++y)
      for (int x = 0; x < r.Width(); ++x) out.SetPixel(x, y, source.Pixel(r.left + x, r.top + y));
  }
  out.transparentMode = source.transparentMode;
  out.transparentColor = source.transparentColor;
  return out;
}

bool CutFrame(const SkinImage* source, SkinImage& target, int n, int i) {
  if (!source) return false;
  const Rect frame = FrameRect(SizeOf(*source), n, i);
  if (frame.Empty()) return false;
  target = CropImage(*source, frame);
  return true;
}

void RotateLeft(SkinImage& image) {
  // New (x, y) shows old (W - 1 - y, x): the old top row runs up the new left column.
  const int W = image.width;
  Remap(image, {image.height, W}, [W](int x, int y) { return Point{W - 1 - y, x}; });
}

void Rotate180(SkinImage& image) {
  const int W = image.width, H = image.height;
  Remap(image, {W, H}, [W, H](int x, int y) { return Point{W - 1 - x, H - 1 - y}; });
}

void RotateRight(SkinImage& image) {
  // New (x, y) shows old (y, H - 1 - x): the old left column, bottom first, runs along the top.
  const int H = image.height;
  Remap(image, {H, image.width}, [H](int x, int y) { return Point{y, H - 1 - x}; });
}

SkinImage Turned(const SkinImage& image, Turn turn) {
  SkinImage out = image;
  switch (turn) {
    case Turn::None:
      break;
    case Turn::Left:
      RotateLeft(out);
      break;
    case Turn::Half:
      Rotate180(out);
      break;
    case Turn::Right:
      RotateRight(out);
      break;
  }
  return out;
}

}  // namespace skin
