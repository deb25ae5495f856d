// Cutting frames (62-pixel strip, refused frames) and the three rotations: where each corner
// goes on a non-square image, the row/column reading of the quarter turns, and their inverses.
#include "skin/imageops.h"

#include <gtest/gtest.h>

namespace skin {
namespace {

// Each pixel's colour encodes its position, so any misplaced pixel is seen.
SkinImage Numbered(int w, int h) {
  SkinImage image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.SetPixel(x, y, ColorRef(y * 1000 + x));
  return image;
}

TEST(CutFrameTest, ThreeFramesOfASixtyTwoPixelStrip) {
  SkinImage strip = Numbered(62, 5);
  strip.transparentMode = TransparentMode::Fixed;
  strip.transparentColor = 0xFF00FF;
  for (int i = 1; i <= 3; ++i) {
    SkinImage frame;
    ASSERT_TRUE(CutFrame(&strip, frame, 3, i));
    EXPECT_EQ(SizeOf(frame), (Size{20, 5}));
    EXPECT_EQ(frame.Pixel(0, 0), strip.Pixel((i - 1) * 20, 0));
    EXPECT_EQ(frame.Pixel(19, 4), strip.Pixel((i - 1) * 20 + 19, 4));
    EXPECT_EQ(frame.transparentMode, TransparentMode::Fixed);
    EXPECT_EQ(frame.transparentColor, 0xFF00FFu);
  }
}

TEST(CutFrameTest, MissingSourceOrFrameLeavesTheTargetAlone) {
  const SkinImage strip = Numbered(6, 2), empty;
  const SkinImage before = Numbered(3, 3);
  SkinImage target = before;
  EXPECT_FALSE(CutFrame(nullptr, target, 3, 1));
  EXPECT_FALSE(CutFrame(&strip, target, 0, 1));  // no division by zero
  EXPECT_FALSE(CutFrame(&strip, target, -2, 1));
  EXPECT_FALSE(CutFrame(&strip, target, 3, 0));
  EXPECT_FALSE(CutFrame(&strip, target, 3, 4));
  EXPECT_FALSE(CutFrame(&strip, target, 7, 1));  // strips narrower than a pixel
  EXPECT_FALSE(CutFrame(&empty, target, 1, 1));
  EXPECT_EQ(target.pixels, before.pixels);
  EXPECT_EQ(SizeOf(target), SizeOf(before));
}

TEST(CropImageTest, ClipsToTheSource) {
  const SkinImage src = Numbered(4, 3);
  const SkinImage part = CropImage(src, {2, -5, 9, 2});
  EXPECT_EQ(SizeOf(part), (Size{2, 2}));
  EXPECT_EQ(part.Pixel(1, 1), src.Pixel(3, 1));
  EXPECT_TRUE(CropImage(src, {5, 0, 9, 2}).Empty());
}

TEST(RotateTest, EachCornerGoesWhereTheTurnTakesIt) {
  const int W = 5, H = 3;
  const SkinImage src = Numbered(W, H);
  const ColorRef tl = src.Pixel(0, 0), tr = src.Pixel(W - 1, 0), bl = src.Pixel(0, H - 1),
                 br = src.Pixel(W - 1, H - 1);

  SkinImage left = src;
  RotateLeft(left);
  ASSERT_EQ(SizeOf(left), (Size{H, W}));
  EXPECT_EQ(left.Pixel(0, 0), tr);
  EXPECT_EQ(left.Pixel(0, W - 1), tl);
  EXPECT_EQ(left.Pixel(H - 1, 0), br);
  EXPECT_EQ(left.Pixel(H - 1, W - 1), bl);

  SkinImage right = src;
  RotateRight(right);
  ASSERT_EQ(SizeOf(right), (Size{H, W}));
  EXPECT_EQ(right.Pixel(0, 0), bl);
  EXPECT_EQ(right.Pixel(H - 1, 0), tl);
  EXPECT_EQ(right.Pixel(0, W - 1), br);
  EXPECT_EQ(right.Pixel(H - 1, W - 1), tr);

  SkinImage half = src;
  Rotate180(half);
  ASSERT_EQ(SizeOf(half), (Size{W, H}));
  EXPECT_EQ(half.Pixel(0, 0), br);
  EXPECT_EQ(half.Pixel(W - 1, 0), bl);
  EXPECT_EQ(half.Pixel(0, H - 1), tr);
  EXPECT_EQ(half.Pixel(W - 1, H - 1), tl);
}

TEST(RotateTest, QuarterTurnsReadRowsAndColumnsAsDescribed) {
  const int W = 4, H = 3;
  const SkinImage src = Numbered(W, H);
  const SkinImage left = Turned(src, Turn::Left), right = Turned(src, Turn::Right);
  // Left: the new left column, bottom to top, is the old top row, left to right.
  for (int x = 0; x < W; ++x) EXPECT_EQ(left.Pixel(0, W - 1 - x), src.Pixel(x, 0));
  // Right: the new top row, left to right, is the old left column, bottom to top.
  for (int i = 0; i < H; ++i) EXPECT_EQ(right.Pixel(i, 0), src.Pixel(0, H - 1 - i));
}

TEST(RotateTest, TurnsComposeAndUndoEachOther) {
  const SkinImage src = Numbered(7, 2);
  SkinImage a = src;
  RotateLeft(a);
  RotateRight(a);
  EXPECT_EQ(a.pixels, src.pixels);
  SkinImage b = src;
  RotateLeft(b);
  RotateLeft(b);
  EXPECT_EQ(b.pixels, Turned(src, Turn::Half).pixels);
  RotateLeft(b);
  RotateLeft(b);
  EXPECT_EQ(b.pixels, src.pixels);
  EXPECT_EQ(SizeOf(b), SizeOf(src));
  SkinImage empty;
  RotateLeft(empty);
  EXPECT_TRUE(empty.Empty());
}

}  // namespace
}  // namespace skin
