// Cutting frames (62-pixel strip, refused frames) and the three rotations: where each corner
// goes on a non-square image, and how the turns compose and undo each other.
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

TEST(RotateTest, EachCornerGoesWhereTheTurnTakesIt) {
  const int W = 5, H = 3;
  const SkinImage src = Numbered(W, H);
  const ColorRef tl = src.Pixel(0, 0), tr = src.Pixel(W - 1, 0), bl = src.Pixel(0, H - 1),
                 br = src.Pixel(W - 1, H - 1);
  // The source corners that land in the result's top-left, top-right, bottom-left, bottom-right.
  struct Case {
    void (*rotate)(SkinImage&);
    Size size;
    ColorRef corners[4];
  };
  for (const Case& c :
       {Case{RotateLeft, {H, W}, {tr, br, tl, bl}}, Case{Rotate180, {W, H}, {br, bl, tr, tl}},
        Case{RotateRight, {H, W}, {bl, tl, br, tr}}}) {
    SkinImage out = src;
    c.rotate(out);
    ASSERT_EQ(SizeOf(out), c.size);
    const int w = out.width, h = out.height;
    EXPECT_EQ(out.Pixel(0, 0), c.corners[0]);
    EXPECT_EQ(out.Pixel(w - 1, 0), c.corners[1]);
    EXPECT_EQ(out.Pixel(0, h - 1), c.corners[2]);
    EXPECT_EQ(out.Pixel(w - 1, h - 1), c.corners[3]);
  }
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
