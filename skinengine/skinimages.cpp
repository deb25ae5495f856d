// Framework bitmaps to skin images and back (see skinimages.h).
#include "skinengine/skinimages.h"

namespace skinengine {

skin::SkinImage ToSkinImage(const framework::TBitmap& bitmap) {
  skin::SkinImage image(bitmap.Width(), bitmap.Height());
  const int bpp = bitmap.PixelFormat() == framework::pf32bit ? 4 : 3;
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < image.width; ++x, row += bpp)
      image.SetPixel(x, y, skin::MakeColor(row[2], row[1], row[0]));
  }
  if (bitmap.TransparentMode() == framework::tmFixed) {
    image.transparentMode = skin::TransparentMode::Fixed;
    image.transparentColor = framework::ColorToRGB(bitmap.TransparentColor());
  }
  return image;
}

std::unique_ptr<framework::TBitmap> ToBitmap(const skin::SkinImage* image) {
  if (!image) return nullptr;
  auto bitmap = std::make_unique<framework::TBitmap>();
  bitmap->LoadFromSkinImage(*image);
  return bitmap;
}

}  // namespace skinengine
