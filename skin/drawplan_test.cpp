// Drawing plans: frame rectangles, three-part plans probed through a reference renderer, and
// nine-part plans against the step table (odd and even sizes, corners cut by their quarters),
// for rectangles and bitmaps under 4 and 2 pixels, and for every small size (the promises:
// sources inside the bitmap, nothing empty, unstretched pieces unscaled, the rectangle covered).
#include "skin/drawplan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "skin/imageops.h"

namespace skin {

void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}
void PrintTo(const PlanPiece& p, std::ostream* os) {
  PrintTo(p.source, os);
  *os << "->";
  PrintTo(p.dest, os);
  *os << (p.transparent ? " transparent" : "") << (p.stretch ? " stretch" : "");
}

namespace {

constexpr ColorRef kBackground = 0x010203, kTransparent = 0xFF00FF;

// Executes a plan as the blitters do, stretching by nearest pixel.
SkinImage Render(const SkinImage& bitmap, const DrawPlan& plan, Size canvas) {
  SkinImage out(canvas.width, canvas.height, kBackground);
  for (const PlanPiece& p : plan)
    for (int y = std::max(p.dest.top, 0); y < std::min(p.dest.bottom, canvas.height); ++y)
      for (int x = std::max(p.dest.left, 0); x < std::min(p.dest.right, canvas.width); ++x) {
        const int sx = p.source.left + (x - p.dest.left) * p.source.Width() / p.dest.Width();
        const int sy = p.source.top + (y - p.dest.top) * p.source.Height() / p.dest.Height();
        const ColorRef c = bitmap.Pixel(sx, sy);
        if (!p.transparent || c != kTransparent) out.SetPixel(x, y, c);
      }
  return out;
}

// A bitmap in vertical bands of the given colours and widths, `height` rows high.
SkinImage Bands(std::initializer_list<std::pair<int, ColorRef>> bands, int height) {
  int width = 0;
  for (auto [w, c] : bands) width += w;
  SkinImage image(width, height);
  int x0 = 0;
  for (auto [w, c] : bands) {
    for (int x = x0; x < x0 + w; ++x)
      for (int y = 0; y < height; ++y) image.SetPixel(x, y, c);
    x0 += w;
  }
  return image;
}

void ExpectPromises(const DrawPlan& plan, Size bitmap) {
  for (const PlanPiece& p : plan) {
    SCOPED_TRACE(testing::PrintToString(p));
    EXPECT_FALSE(p.source.Empty());
    EXPECT_FALSE(p.dest.Empty());
    EXPECT_GE(p.source.left, 0);
    EXPECT_GE(p.source.top, 0);
    EXPECT_LE(p.source.right, bitmap.width);
    EXPECT_LE(p.source.bottom, bitmap.height);
    if (!p.stretch) {
      EXPECT_EQ(p.source.Width(), p.dest.Width());
      EXPECT_EQ(p.source.Height(), p.dest.Height());
    }
  }
}

TEST(GeometryTest, PointInRectCountsAllFourEdgesAsInside) {
  const Rect r{2, 3, 10, 8};
  for (Point p : {Point{2, 3}, Point{10, 8}, Point{10, 3}, Point{2, 8}, Point{5, 5}})
    EXPECT_TRUE(PointInRect(p, r)) << p.x << "," << p.y;
  for (Point p : {Point{1, 5}, Point{11, 5}, Point{5, 2}, Point{5, 9}})
    EXPECT_FALSE(PointInRect(p, r)) << p.x << "," << p.y;
}

TEST(FrameRectTest, SixtyTwoPixelsInThreeFramesLeaveTheLastTwoColumnsUnused) {
  EXPECT_EQ(FrameRect({62, 7}, 3, 1), (Rect{0, 0, 20, 7}));
  EXPECT_EQ(FrameRect({62, 7}, 3, 2), (Rect{20, 0, 40, 7}));
  EXPECT_EQ(FrameRect({62, 7}, 3, 3), (Rect{40, 0, 60, 7}));
}

TEST(FrameRectTest, NoFrameForBadCountsIndexesOrSizes) {
  for (auto [size, n, i] : {std::tuple{Size{62, 7}, 0, 1},
                            {Size{62, 7}, -3, 1},
                            {Size{62, 7}, 3, 0},
                            {Size{62, 7}, 3, 4},
                            {Size{2, 7}, 3, 1},
                            {Size{0, 0}, 1, 1},
                            {Size{9, 0}, 3, 1}})
    EXPECT_TRUE(FrameRect(size, n, i).Empty()) << n << " " << i;
}

const ColorRef kLeft = 0x0000AA, kMid = 0x00AA00, kRight = 0xAA0000;

TEST(ThreePartTest, HorizontalEndsKeepTheirWidthAndTheMiddleStretches) {
  const SkinImage bmp = Bands({{10, kLeft}, {10, kMid}, {10, kRight}, {2, kTransparent}}, 6);
  const DrawPlan plan = DrawThreePartH(SizeOf(bmp), {0, 0, 100, 20}, true);
  ExpectPromises(plan, SizeOf(bmp));
  const SkinImage out = Render(bmp, plan, {100, 20});
  EXPECT_EQ(out.Pixel(5, 3), kLeft);
  EXPECT_EQ(out.Pixel(50, 3), kMid);
  EXPECT_EQ(out.Pixel(94, 3), kRight);
  EXPECT_EQ(out.Pixel(50, 6), kBackground);  // at the bitmap's own height, not the rectangle's
  for (const PlanPiece& p : plan) EXPECT_TRUE(p.transparent);
}

TEST(ThreePartTest, HorizontalNarrowRectanglesShowTheFirstStripOrTheEnds) {
  const Size bmp{30, 6};
  EXPECT_EQ(DrawThreePartH(bmp, {4, 1, 11, 3}, false),
            (DrawPlan{{{0, 0, 7, 6}, {4, 1, 11, 7}, false, false}}));
  // Narrower than two strips: the ends overlap and no middle is stretched inside out.
  const DrawPlan ends = DrawThreePartH(bmp, {0, 0, 15, 6}, false);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[1].dest, (Rect{5, 0, 15, 6}));
  EXPECT_TRUE(DrawThreePartH({2, 6}, {0, 0, 15, 6}, false).empty());
}

TEST(ThreePartTest, FixedCapsStretchToTheHeightAndShrinkInNarrowRectangles) {
  const SkinImage bmp = Bands({{2, kLeft}, {3, kMid}, {2, kRight}}, 4);
  const SkinImage out = Render(bmp, DrawThreePartHFixed(SizeOf(bmp), {0, 0, 40, 12}, 2), {40, 12});
  for (int y : {0, 11}) {
    EXPECT_EQ(out.Pixel(1, y), kLeft);
    EXPECT_EQ(out.Pixel(20, y), kMid);
    EXPECT_EQ(out.Pixel(38, y), kRight);
  }
  EXPECT_EQ(DrawThreePartHFixed(SizeOf(bmp), {0, 0, 3, 4}, 2),
            (DrawPlan{{{0, 0, 2, 4}, {0, 0, 2, 4}, false, true},
                      {{6, 0, 7, 4}, {2, 0, 3, 4}, false, true}}));
  EXPECT_TRUE(DrawThreePartHFixed(SizeOf(bmp), {-1, 0, 40, 12}, 2).empty());
  // A cap of half the bitmap or more leaves no middle columns: the next column stands in.
  const DrawPlan wide = DrawThreePartHFixed({4, 4}, {0, 0, 40, 12}, 9);
  ExpectPromises(wide, {4, 4});
  EXPECT_EQ(wide.back().source, (Rect{3, 0, 4, 4}));
}

TEST(ThreePartTest, VerticalCapZeroMeansAThirdOfTheHeight) {
  SkinImage bmp = Bands({{5, kLeft}}, 9);
  for (int x = 0; x < 5; ++x) {
    for (int y = 3; y < 6; ++y) bmp.SetPixel(x, y, kMid);
    for (int y = 6; y < 9; ++y) bmp.SetPixel(x, y, kRight);
  }
  const DrawPlan plan = DrawThreePartV(SizeOf(bmp), {2, 10, 22, 50}, 0);
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].dest, (Rect{2, 10, 22, 13}));
  EXPECT_EQ(plan[1].dest, (Rect{2, 47, 22, 50}));
  const SkinImage out = Render(bmp, plan, {30, 60});
  EXPECT_EQ(out.Pixel(12, 11), kLeft);
  EXPECT_EQ(out.Pixel(12, 30), kMid);
  EXPECT_EQ(out.Pixel(12, 48), kRight);
  EXPECT_TRUE(DrawThreePartV(SizeOf(bmp), {-2, 10, 22, 50}, 0).empty());
}

// The expected nine pieces, in step order, as (source, destination).
struct Step {
  Rect source, dest;
};

void ExpectNinePart(const DrawPlan& plan, const std::vector<Step>& steps) {
  ASSERT_EQ(plan.size(), steps.size());
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE("piece " + std::to_string(i + 1));
    EXPECT_EQ(plan[i].source, steps[i].source);
    EXPECT_EQ(plan[i].dest, steps[i].dest);
  }
}

TEST(NinePartTest, OddBitmapFollowsTheTable) {
  const DrawPlan plan = DrawNinePart({21, 21}, {0, 0, 100, 30}, true);
  ExpectNinePart(plan, {{{0, 0, 10, 10}, {0, 0, 10, 10}},
                        {{0, 12, 10, 21}, {0, 21, 10, 30}},
                        {{0, 10, 10, 11}, {0, 10, 10, 21}},
                        {{12, 0, 21, 10}, {91, 0, 100, 10}},
                        {{12, 12, 21, 21}, {91, 21, 100, 30}},
                        {{12, 11, 21, 12}, {91, 10, 100, 21}},
                        {{10, 0, 12, 10}, {10, 0, 91, 10}},
                        {{10, 10, 12, 11}, {10, 10, 91, 20}},
                        {{10, 11, 12, 21}, {9, 20, 91, 30}}});
  // Corners unscaled with the transparency asked for; edges and centre stretched, transparent.
  for (size_t i = 0; i < plan.size(); ++i) {
    const bool corner = i == 0 || i == 1 || i == 3 || i == 4;
    EXPECT_EQ(plan[i].stretch, !corner);
    EXPECT_TRUE(plan[i].transparent);
  }
  for (const PlanPiece& p : DrawNinePart({21, 21}, {0, 0, 100, 30}, false))
    EXPECT_EQ(p.transparent, p.stretch);
}

TEST(NinePartTest, EvenBitmapTakesTheRowBetweenTheCornersForTheLeftEdgeAndCentre) {
  ExpectNinePart(DrawNinePart({20, 20}, {0, 0, 101, 31}, false),
                 {{{0, 0, 10, 10}, {0, 0, 10, 10}},
                  {{0, 11, 10, 20}, {0, 22, 10, 31}},
                  {{0, 10, 10, 11}, {0, 10, 10, 22}},
                  {{11, 0, 20, 10}, {92, 0, 101, 10}},
                  {{11, 11, 20, 20}, {92, 22, 101, 31}},
                  {{11, 10, 20, 12}, {92, 10, 101, 22}},
                  {{10, 0, 11, 10}, {10, 0, 92, 10}},
                  {{10, 10, 11, 11}, {10, 10, 92, 21}},
                  {{10, 10, 11, 20}, {9, 21, 92, 31}}});
}

TEST(NinePartTest, CornersAreCutByTheirQuartersKeepingTheirOwnCorner) {
  // 12 x 8: quarters of 6 x 4 (left) and 5 x 3 (right, bottom). The centre is empty here.
  ExpectNinePart(DrawNinePart({21, 21}, {0, 0, 12, 8}, false), {{{0, 0, 6, 4}, {0, 0, 6, 4}},
                                                                {{0, 18, 6, 21}, {0, 5, 6, 8}},
                                                                {{0, 10, 6, 11}, {0, 4, 6, 5}},
                                                                {{16, 0, 21, 4}, {7, 0, 12, 4}},
                                                                {{16, 18, 21, 21}, {7, 5, 12, 8}},
                                                                {{16, 11, 21, 12}, {7, 4, 12, 5}},
                                                                {{10, 0, 12, 4}, {6, 0, 7, 4}},
                                                                {{10, 17, 12, 21}, {5, 4, 7, 8}}});
}

TEST(NinePartTest, RectanglesUnderFourRowsGetOnlyTheTopLeftCorner) {
  EXPECT_TRUE(DrawNinePart({21, 21}, {0, 0, 40, 0}, true).empty());
  EXPECT_TRUE(DrawNinePart({21, 21}, {0, 0, 40, 1}, true).empty());  // its quarter has no rows
  for (int h : {2, 3})
    EXPECT_EQ(DrawNinePart({21, 21}, {0, 0, 40, h}, true),
              (DrawPlan{{{0, 0, 10, 1}, {0, 0, 10, 1}, true, false}}));
  EXPECT_TRUE(DrawNinePart({21, 21}, {0, 5, 40, 2}, true).empty());  // inverted
}

TEST(NinePartTest, FollowsTheRectanglesOrigin) {
  const DrawPlan atOrigin = DrawNinePart({21, 21}, {0, 0, 100, 30}, true);
  const DrawPlan moved = DrawNinePart({21, 21}, {7, 5, 107, 35}, true);
  ASSERT_EQ(atOrigin.size(), moved.size());
  for (size_t i = 0; i < moved.size(); ++i) {
    const Rect& d = atOrigin[i].dest;
    EXPECT_EQ(moved[i].dest, (Rect{d.left + 7, d.top + 5, d.right + 7, d.bottom + 5}));
  }
}

// Every bitmap from 1 x 1 and every rectangle up to 12 x 12: nothing read outside the bitmap,
// nothing empty handed to a copy, and from 4 x 4 up every pixel of the rectangle painted.
TEST(NinePartTest, SmallBitmapsAndRectanglesKeepThePromisesAndCoverTheRectangle) {
  for (int W = 1; W <= 8; ++W)
    for (int H = 1; H <= 8; ++H)
      for (int w = 0; w <= 12; ++w)
        for (int h = 0; h <= 12; ++h) {
          SCOPED_TRACE(testing::Message() << W << "x" << H << " into " << w << "x" << h);
          const DrawPlan plan = DrawNinePart({W, H}, {0, 0, w, h}, true);
          ExpectPromises(plan, {W, H});
          if (w < 4 || h < 4) continue;
          std::vector<bool> covered(size_t(w * h));
          for (const PlanPiece& p : plan) {
            ASSERT_TRUE(Intersect(p.dest, {0, 0, w, h}) == p.dest);
            for (int y = p.dest.top; y < p.dest.bottom; ++y)
              for (int x = p.dest.left; x < p.dest.right; ++x) covered[size_t(y * w + x)] = true;
          }
          EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0);
          if (::testing::Test::HasFailure()) return;
        }
}

// A bitmap whose corner, edge and centre areas are solid colours: a probe at the centre of
// each piece's place names the piece.
TEST(NinePartTest, ProbesNameThePieces) {
  const int W = 21, H = 21;  // corners 10 (left, top) and 9 (right, bottom) wide
  auto zone = [](int v, int size) { return v < size / 2 ? 0 : v >= size - size / 2 + 1 ? 2 : 1; };
  SkinImage bmp(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      bmp.SetPixel(x, y, ColorRef(0x10 * (zone(y, H) * 3 + zone(x, W) + 1)));
  const SkinImage out = Render(bmp, DrawNinePart({W, H}, {0, 0, 100, 40}, false), {100, 40});
  const int xs[] = {5, 50, 95}, ys[] = {5, 20, 36};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      EXPECT_EQ(out.Pixel(xs[col], ys[row]), ColorRef(0x10 * (row * 3 + col + 1)))
          << "row " << row << " column " << col;
}

}  // namespace
}  // namespace skin
