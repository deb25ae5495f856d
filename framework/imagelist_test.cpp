// TImageList tests: masked adds leave the destination where the mask colour was, wide strips
// split into images, explicit masks, the disabled style's embossed shape, and no leaks.
#include "framework/imagelist.h"

#include <gtest/gtest.h>

namespace framework {
namespace {

constexpr TColor kBack = RGBColor(10, 120, 30);

void Fill(TBitmap& bmp, TColor color, const RECT& r) {
  bmp.Canvas().Brush().SetColor(color);
  bmp.Canvas().FillRect(r);
}

// A 16x16 picture: fuchsia (the mask colour) with a dark red square at (4,4)-(12,12).
void Glyph(TBitmap& bmp) {
  bmp.SetSize(16, 16);
  Fill(bmp, clFuchsia, RECT{0, 0, 16, 16});
  Fill(bmp, clMaroon, RECT{4, 4, 12, 12});
}

void Background(TBitmap& bmp) {
  bmp.SetSize(32, 32);
  Fill(bmp, kBack, RECT{0, 0, 32, 32});
}

TColor At(TBitmap& bmp, int x, int y) { return bmp.Canvas().Pixel(x, y); }

TEST(ImageListTest, MaskedImagesLeaveTheDestinationWhereTheMaskColourWas) {
  TImageList list;
  TBitmap glyph;
  Glyph(glyph);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.AddMasked(glyph, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(At(glyph, 0, 0), clFuchsia);  // the caller's picture is not touched

  TBitmap dst;
  Background(dst);
  list.Draw(dst.Canvas(), 8, 8, 0);
  EXPECT_EQ(At(dst, 8, 8), kBack);
  EXPECT_EQ(At(dst, 12, 12), clMaroon);
  EXPECT_EQ(At(dst, 19, 19), clMaroon);
  EXPECT_EQ(At(dst, 20, 20), kBack);

  list.Draw(dst.Canvas(), 0, 0, 5);  // no such image: nothing drawn
  EXPECT_EQ(At(dst, 5, 5), kBack);
}

TEST(ImageListTest, AWideStripAddsOneImagePerWidth) {
  TImageList list(nullptr, 16, 16);
  TBitmap strip;
  strip.SetSize(48, 16);
  Fill(strip, clFuchsia, RECT{0, 0, 48, 16});
  Fill(strip, clRed, RECT{16, 0, 32, 16});
  Fill(strip, clBlue, RECT{32, 0, 48, 16});
  EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 3);

  TBitmap dst;
  Background(dst);
  list.Draw(dst.Canvas(), 0, 0, 0);
  EXPECT_EQ(At(dst, 5, 5), kBack);
  list.Draw(dst.Canvas(), 0, 0, 2);
  EXPECT_EQ(At(dst, 5, 5), clBlue);

  TBitmap second;
  ASSERT_TRUE(list.GetBitmap(1, second));
  EXPECT_EQ(second.Width(), 16);
  EXPECT_EQ(At(second, 8, 8), clRed);

  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(ImageListTest, AnExplicitMaskHidesItsWhitePixels) {
  TImageList list;
  TBitmap image, mask;
  image.SetSize(16, 16);
  Fill(image, clRed, RECT{0, 0, 16, 16});
  mask.SetSize(16, 16);
  Fill(mask, clWhite, RECT{0, 0, 16, 16});
  Fill(mask, clBlack, RECT{0, 0, 8, 16});  // left half visible
  EXPECT_EQ(list.Add(image, &mask), 0);
  TBitmap dst;
  Background(dst);
  list.Draw(dst.Canvas(), 0, 0, 0);
  EXPECT_EQ(At(dst, 2, 2), clRed);
  EXPECT_EQ(At(dst, 12, 2), kBack);

  Fill(image, clLime, RECT{0, 0, 16, 16});
  EXPECT_TRUE(list.Replace(0, image, nullptr));
  list.Draw(dst.Canvas(), 0, 0, 0);
  EXPECT_EQ(At(dst, 12, 2), clLime);
  EXPECT_FALSE(list.Replace(3, image, nullptr));

  TBitmap glyph;
  Glyph(glyph);
  EXPECT_TRUE(list.ReplaceMasked(0, glyph, clFuchsia));
  Background(dst);
  list.Draw(dst.Canvas(), 0, 0, 0);
  EXPECT_EQ(At(dst, 1, 1), kBack);
  EXPECT_EQ(At(dst, 6, 6), clMaroon);
  EXPECT_EQ(list.Count(), 1);
}

TEST(ImageListTest, DisabledStyleDrawsTheShapeEmbossedInButtonColours) {
  TImageList list;
  TBitmap glyph;
  Glyph(glyph);
  list.AddMasked(glyph, clFuchsia);
  TBitmap normal, disabled;
  Background(normal);
  Background(disabled);
  list.Draw(normal.Canvas(), 8, 8, 0, true);
  list.Draw(disabled.Canvas(), 8, 8, 0, false);

  const TColor shadow = static_cast<TColor>(ColorToRGB(clBtnShadow));
  const TColor highlight = static_cast<TColor>(ColorToRGB(clBtnHighlight));
  EXPECT_EQ(At(normal, 12, 12), clMaroon);
  EXPECT_EQ(At(disabled, 12, 12), shadow);  // the shape, in the shadow colour
  EXPECT_EQ(At(disabled, 19, 19), shadow);
  EXPECT_EQ(At(disabled, 20, 20), highlight);  // shifted one pixel: only the highlight
  EXPECT_EQ(At(disabled, 20, 13), highlight);
  EXPECT_EQ(At(disabled, 20, 12), kBack);
  EXPECT_EQ(At(disabled, 8, 8), kBack);  // masked pixels stay untouched
  EXPECT_EQ(At(disabled, 21, 21), kBack);
}

TEST(ImageListTest, ResizingClearsAndHandlesDoNotLeak) {
  HandleSnapshot before = HandleSnapshot::Take();
  for (int i = 0; i < 200; ++i) {
    TImageList list;
    TBitmap glyph;
    Glyph(glyph);
    list.AddMasked(glyph, clFuchsia);
    TBitmap dst;
    Background(dst);
    list.Draw(dst.Canvas(), 0, 0, 0, i % 2 == 0);
    list.SetSize(24, 24);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Width(), 24);
  }
  EXPECT_TRUE(HandleSnapshot::Take() == before);
}

}  // namespace
}  // namespace framework
