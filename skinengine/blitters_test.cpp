// The drawing routines on framework bitmaps. A test skin, written with the resource file writer
// and loaded by the skin reader, holds bitmaps in which every piece and frame is one solid
// colour; each routine draws onto a surface, and a probe at each piece's place names the piece
// found there. Cutting, turning and colour replacement check every pixel they move.
#include "skinengine/blitters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "skin/bmp.h"
#include "skin/skinkeys.h"
#include "skin/skinreader_testing.h"
#include "skinengine/drawing_testing.h"

namespace skinengine::testing {
namespace {

using skin::ColorRef;
using skin::SkinImage;

constexpr ColorRef kTrans = 0xFF00FF;
constexpr ColorRef kFirst = 0x0000A0, kSecond = 0x00A000, kThird = 0xA00000, kUnused = 0x505050;
// The nine-part test bitmap, 21 x 21 cut into column bands [0, 10), [10, 12), [12, 21) and the
// same row bands: each band pair the colour of the piece its source lies in.
constexpr int kNineSize = 21, kNineBands[4] = {0, 10, 12, 21};
constexpr ColorRef kNine[3][3] = {
    {0x0000B0, 0x0000C0, 0x0000D0}, {0x00B000, 0x00C000, 0x00D000}, {0xB00000, 0xC00000, 0xD00000}};
const char* const kNineNames[3][3] = {{"top-left", "top edge", "top-right"},
                                      {"left edge", "centre", "right edge"},
                                      {"bottom-left", "bottom edge", "bottom-right"}};

struct Named {
  std::string name;
  ColorRef color;
};

// The name of the piece whose colour is at (x, y) of the surface.
std::string PieceAt(const TBitmap& surface, int x, int y) {
  std::vector<Named> names = {{"background", ColorRef(kBackground)},
                              {"transparent", kTrans},
                              {"first", kFirst},
                              {"second", kSecond},
                              {"third", kThird},
                              {"unused", kUnused}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) names.push_back({kNineNames[r][c], kNine[r][c]});
  const TColor found = ColorAt(surface, x, y);
  for (const Named& n : names)
    if (ColorRef(found) == n.color) return n.name;
  char text[32];
  std::snprintf(text, sizeof text, "colour %06X", unsigned(found));
  return text;
}

SkinImage NinePartImage() {
  SkinImage image(kNineSize, kNineSize);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (int y = kNineBands[r]; y < kNineBands[r + 1]; ++y)
        for (int x = kNineBands[c]; x < kNineBands[c + 1]; ++x) image.SetPixel(x, y, kNine[r][c]);
  image.SetPixel(0, 0, kTrans);                                // a corner's own transparent pixel
  for (int x = 10; x < 12; ++x) image.SetPixel(x, 0, kTrans);  // the top edge's outer row
  return image;
}

class BlitterTest : public ::testing::Test {
 protected:
  static constexpr int kNinePart = skin::kButtonBitmap, kThreePart = skin::kTitleBar1,
                       kFixedCaps = skin::kFormBottomBorder1, kVertical = skin::kFormLeftBorder,
                       kQuadrants = skin::kCheckedMenuIcon, kStrip = skin::kTitleButtons;

  BlitterTest() : skin_(Entries()) {}

  static std::vector<skin::ResourceEntry> Entries() {
    SkinImage threePart =
        skin::Bands(true, 8, {{10, kFirst}, {10, kSecond}, {10, kThird}, {2, kUnused}});
    for (int y = 0; y < 8; ++y) threePart.SetPixel(0, y, kTrans);
    // Four blocks of 8 x 8, so a halftone stretch keeps each block's middle pure.
    SkinImage quadrants(16, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) quadrants.SetPixel(x, y, kNine[y < 8 ? 0 : 2][x < 8 ? 0 : 2]);
    auto entry = [](int index, const SkinImage& image) {
      return skin::BitmapEntry(skin::BitmapKey(index), skin::EncodeBmp24(image));
    };
    return {skin::IntegerEntry("SKIN2_TRANSCOLOR", int32_t(kTrans)),
            entry(kNinePart, NinePartImage()),
            entry(kThreePart, threePart),
            entry(kFixedCaps, skin::Bands(true, 6, {{5, kFirst}, {20, kSecond}, {5, kThird}})),
            entry(kVertical, skin::Bands(false, 8, {{10, kFirst}, {10, kSecond}, {10, kThird}})),
            entry(kQuadrants, quadrants),
            entry(kStrip,
                  skin::Bands(true, 5, {{20, kFirst}, {20, kSecond}, {20, kThird}, {2, kUnused}}))};
  }

  std::unique_ptr<TBitmap> Bitmap(int index) {
    auto bitmap = SkinBitmap(skin_.Reader(), index);
    EXPECT_NE(bitmap, nullptr) << index;
    return bitmap;
  }
  TColor SkinTrans() const { return skin_.Reader()->SkinColor(skin::kTransColor); }

  skin::LoadedSkin skin_;
};

struct Probe {
  int x, y;
  const char* piece;
};

void ExpectPieces(const TBitmap& surface, std::initializer_list<Probe> probes) {
  for (const Probe& p : probes)
    EXPECT_EQ(PieceAt(surface, p.x, p.y), p.piece) << "at " << p.x << ", " << p.y;
}

TEST_F(BlitterTest, NinePartPutsEachPieceInItsPlaceAndLeavesOutTheTransparentColour) {
  auto button = Bitmap(kNinePart);
  for (bool transparentCorners : {true, false}) {
    SCOPED_TRACE(transparentCorners);
    auto surface = Surface(70, 50);
    DrawNinePart(button.get(), surface->Canvas(), RECT{0, 0, 60, 40}, SkinTrans(),
                 transparentCorners);
    // Corners unscaled in the corners of the rectangle, edges and centre between them.
    ExpectPieces(*surface, {{5, 5, "top-left"},
                            {55, 5, "top-right"},
                            {5, 35, "bottom-left"},
                            {55, 35, "bottom-right"},
                            {5, 20, "left edge"},
                            {55, 20, "right edge"},
                            {30, 5, "top edge"},
                            {30, 20, "centre"},
                            {30, 35, "bottom edge"},
                            {65, 20, "background"},
                            {30, 45, "background"}});
    // The corner's transparent pixel is left out only when asked; the edge's always.
    EXPECT_EQ(PieceAt(*surface, 0, 0), transparentCorners ? "background" : "transparent");
    EXPECT_EQ(PieceAt(*surface, 30, 0), "background");
  }
  // A skin without a transparent colour leaves nothing out.
  auto surface = Surface(70, 50);
  DrawNinePart(button.get(), surface->Canvas(), RECT{0, 0, 60, 40}, kNoTransparentColor, true);
  EXPECT_EQ(PieceAt(*surface, 30, 0), "transparent");
}

TEST_F(BlitterTest, NinePartOfATinyRectangleOrBitmapDrawsInsideTheRectangleOnly) {
  auto button = Bitmap(kNinePart);
  auto surface = Surface(70, 50);
  // Under 4 rows: only the top-left corner, cut to the quarter's height.
  DrawNinePart(button.get(), surface->Canvas(), RECT{0, 0, 60, 3}, SkinTrans(), true);
  ExpectPieces(*surface, {{5, 0, "top-left"}, {5, 1, "background"}, {55, 0, "background"}});
  TBitmap one(1, 1);
  DrawNinePart(&one, surface->Canvas(), RECT{0, 10, 60, 40}, SkinTrans(), true);
  DrawNinePart(nullptr, surface->Canvas(), RECT{0, 10, 60, 40}, SkinTrans(), true);
  EXPECT_EQ(PieceAt(*surface, 5, 9), "background");
  EXPECT_EQ(PieceAt(*surface, 5, 40), "background");
}

TEST_F(BlitterTest, ThreePartHorizontalDrawsTheEndsAtTheirSizeAndStretchesTheMiddle) {
  auto title = Bitmap(kThreePart);
  for (bool leaveOut : {true, false}) {
    SCOPED_TRACE(leaveOut);
    auto surface = Surface(100, 20);
    DrawThreePartH(title.get(), surface->Canvas(), RECT{5, 4, 85, 16}, SkinTrans(), leaveOut);
    ExpectPieces(*surface, {{10, 8, "first"},
                            {45, 8, "second"},
                            {80, 8, "third"},
                            {84, 11, "third"},
                            {45, 12, "background"},  // the bitmap's own height, not the rectangle's
                            {86, 8, "background"},
                            {45, 3, "background"}});
    EXPECT_EQ(PieceAt(*surface, 5, 8), leaveOut ? "background" : "transparent");
  }
  // Narrower than one strip: the first strip cut to the rectangle's width.
  auto surface = Surface(100, 20);
  DrawThreePartH(title.get(), surface->Canvas(), RECT{5, 4, 11, 16}, SkinTrans(), true);
  ExpectPieces(*surface, {{10, 8, "first"}, {11, 8, "background"}, {5, 8, "background"}});
}

TEST_F(BlitterTest, ThreePartFixedStretchesCapsAndMiddleToTheRectangle) {
  auto border = Bitmap(kFixedCaps);
  auto surface = Surface(100, 30);
  DrawThreePartHFixed(border.get(), surface->Canvas(), RECT{10, 2, 90, 22}, 5);
  ExpectPieces(*surface, {{10, 12, "first"},
                          {14, 21, "first"},
                          {15, 12, "second"},
                          {84, 2, "second"},
                          {85, 12, "third"},
                          {89, 21, "third"},
                          {50, 22, "background"},
                          {9, 12, "background"},
                          {90, 12, "background"}});
  // A rectangle whose left is negative draws nothing.
  auto untouched = Surface(100, 30);
  DrawThreePartHFixed(border.get(), untouched->Canvas(), RECT{-1, 2, 90, 22}, 5);
  EXPECT_EQ(PieceAt(*untouched, 50, 12), "background");
}

TEST_F(BlitterTest, ThreePartVerticalTakesAThirdOfTheHeightForCapsByDefault) {
  auto border = Bitmap(kVertical);
  auto surface = Surface(30, 90);
  DrawThreePartV(border.get(), surface->Canvas(), RECT{4, 5, 24, 85}, 0);
  ExpectPieces(*surface, {{4, 5, "first"},
                          {23, 14, "first"},
                          {14, 15, "second"},
                          {14, 74, "second"},
                          {14, 75, "third"},
                          {23, 84, "third"},
                          {14, 85, "background"},
                          {24, 45, "background"}});
  auto untouched = Surface(30, 90);
  DrawThreePartV(border.get(), untouched->Canvas(), RECT{-4, 5, 24, 85}, 0);
  EXPECT_EQ(PieceAt(*untouched, 14, 45), "background");
}

TEST_F(BlitterTest, StretchBitmapFillsTheRectangleAndPutsTheStretchModeBack) {
  auto quadrants = Bitmap(kQuadrants);
  auto surface = Surface(60, 60);
  HDC dc = surface->Canvas().Handle();
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBitmap(quadrants.get(), surface->Canvas(), RECT{10, 10, 50, 50});
  EXPECT_EQ(GetStretchBltMode(dc), COLORONCOLOR);
  ExpectPieces(*surface, {{20, 20, "top-left"},
                          {40, 20, "top-right"},
                          {20, 40, "bottom-left"},
                          {40, 40, "bottom-right"},
                          {9, 30, "background"},
                          {50, 30, "background"},
                          {30, 50, "background"}});
}

TEST_F(BlitterTest, CutFrameTakesTheEqualStripAndNeverTheSpareColumns) {
  auto strip = Bitmap(kStrip);  // 62 wide in 3 frames: 20 each, 2 spare
  const ColorRef colours[3] = {kFirst, kSecond, kThird};
  for (int i = 1; i <= 3; ++i) {
    TBitmap frame;
    ASSERT_TRUE(CutFrame(strip.get(), frame, 3, i));
    ASSERT_EQ(frame.Width(), 20);
    ASSERT_EQ(frame.Height(), 5);
    EXPECT_EQ(frame.PixelFormat(), framework::pf24bit);
    EXPECT_EQ(frame.TransparentColor(), TColor(kTrans));  // the source's settings
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 20; ++x) ASSERT_EQ(ColorRef(ColorAt(frame, x, y)), colours[i - 1]);
  }
  // No source, no such frame, or strips under a pixel: the target stays as it was.
  TBitmap target(3, 3);
  EXPECT_FALSE(CutFrame(nullptr, target, 3, 1));
  EXPECT_FALSE(CutFrame(strip.get(), target, 0, 1));
  EXPECT_FALSE(CutFrame(strip.get(), target, 3, 4));
  EXPECT_FALSE(CutFrame(strip.get(), target, 63, 1));
  EXPECT_EQ(target.Width(), 3);
  // The source may be the target.
  ASSERT_TRUE(CutFrame(strip.get(), *strip, 3, 2));
  EXPECT_EQ(strip->Width(), 20);
  EXPECT_EQ(ColorRef(Centre(strip.get())), kSecond);
}

// A 3 x 2 bitmap of six colours, 32-bit, with fixed transparency.
std::unique_ptr<TBitmap> SixColours() {
  auto bitmap = std::make_unique<TBitmap>(3, 2);
  bitmap->SetPixelFormat(framework::pf32bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) bitmap->Canvas().SetPixel(x, y, framework::RGBColor(x, y, 7));
  bitmap->SetTransparent(true);
  bitmap->SetTransparentColor(framework::clFuchsia);
  return bitmap;
}

TEST(RotationTest, EachTurnMovesEveryPixelAndKeepsTheTransparency) {
  struct Case {
    const char* name;
    void (*turn)(TBitmap&);
    bool swaps;
    // The former position of the new pixel (x, y), for a former size of 3 x 2.
    POINT (*from)(int x, int y);
  };
  const Case cases[] = {
      // The new left column read upwards is the former top row read rightwards.
      {"left", RotateLeft, true,
       [](int x, int y) {
         return POINT{2 - y, x};
       }},
      {"half", Rotate180, false,
       [](int x, int y) {
         return POINT{2 - x, 1 - y};
       }},
      // The new top row read rightwards is the former left column read upwards.
      {"right", RotateRight, true,
       [](int x, int y) {
         return POINT{y, 1 - x};
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto original = SixColours(), turned = SixColours();
    c.turn(*turned);
    ASSERT_EQ(turned->Width(), c.swaps ? 2 : 3);
    ASSERT_EQ(turned->Height(), c.swaps ? 3 : 2);
    EXPECT_EQ(turned->PixelFormat(), framework::pf24bit);
    EXPECT_TRUE(turned->Transparent());
    EXPECT_EQ(turned->TransparentColor(), framework::clFuchsia);
    for (int y = 0; y < turned->Height(); ++y)
      for (int x = 0; x < turned->Width(); ++x) {
        const POINT p = c.from(x, y);
        EXPECT_EQ(ColorAt(*turned, x, y), ColorAt(*original, p.x, p.y)) << x << ", " << y;
      }
  }
  TBitmap empty;
  RotateLeft(empty);
  EXPECT_TRUE(empty.Empty());
}

TEST(ReplaceColorTest, ReplacesExactlyTheOldColourAndMakesTheBitmap24Bit) {
  TBitmap bitmap(4, 1);
  bitmap.SetPixelFormat(framework::pf32bit);
  const TColor old = 0x102030, close = 0x102031, other = 0x405060, now = 0x0A0B0C;
  const TColor before[4] = {old, other, old, close};
  for (int x = 0; x < 4; ++x) bitmap.Canvas().SetPixel(x, 0, before[x]);
  EXPECT_EQ(ReplaceColor(bitmap, old, now), 2u);
  EXPECT_EQ(bitmap.PixelFormat(), framework::pf24bit);
  const TColor after[4] = {now, other, now, close};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(ColorAt(bitmap, x, 0), after[x]) << x;
}

TEST(ShapeTest, MenuSeparatorRunsBesideTheImageBand) {
  const RECT item{0, 0, 60, 10};
  struct Case {
    bool imageLeft;
    int first, last;  // the line's first and last pixel
  };
  for (const Case& c : {Case{true, 24, 57}, Case{false, 2, 35}}) {
    SCOPED_TRACE(c.imageLeft);
    auto surface = Surface(60, 10);
    DrawMenuSeparator(surface->Canvas(), item, TColor(kThird), c.imageLeft, 20);
    EXPECT_EQ(ColorAt(*surface, c.first, 2), TColor(kThird));
    EXPECT_EQ(ColorAt(*surface, c.last, 2), TColor(kThird));
    EXPECT_EQ(ColorAt(*surface, c.first - 1, 2), kBackground);
    EXPECT_EQ(ColorAt(*surface, c.last + 1, 2), kBackground);
    EXPECT_EQ(ColorAt(*surface, c.first + 5, 1), kBackground);
    EXPECT_EQ(ColorAt(*surface, c.first + 5, 3), kBackground);
  }
}

TEST(ShapeTest, ArrowsAreFilledTrianglesAndDisabledOnesHaveAWhiteShadow) {
  constexpr TColor black = 0x000000, grey = 0x808080, white = 0xFFFFFF;
  struct Case {
    const char* name;
    void (*draw)(framework::TCanvas&, int, int, bool);
    POINT corners[3];  // of the arrow drawn at (20, 20)
    POINT inside;      // a pixel inside the triangle
    POINT beyond;      // the pixel past the point
  };
  const Case cases[] = {
      {"down", DrawArrowDown, {{20, 20}, {26, 20}, {23, 23}}, {23, 21}, {23, 24}},
      {"up", DrawArrowUp, {{20, 20}, {17, 23}, {23, 23}}, {20, 22}, {20, 19}},
      {"left", DrawArrowLeft, {{20, 20}, {23, 23}, {23, 17}}, {22, 20}, {19, 20}},
      {"right", DrawArrowRight, {{20, 20}, {20, 26}, {23, 23}}, {21, 23}, {24, 23}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto enabled = Surface(40, 40), disabled = Surface(40, 40);
    c.draw(enabled->Canvas(), 20, 20, true);
    c.draw(disabled->Canvas(), 20, 20, false);
    for (const POINT& p : c.corners) {
      EXPECT_EQ(ColorAt(*enabled, p.x, p.y), black) << p.x << ", " << p.y;
      EXPECT_EQ(ColorAt(*disabled, p.x, p.y), grey) << p.x << ", " << p.y;
    }
    EXPECT_EQ(ColorAt(*enabled, c.inside.x, c.inside.y), black);
    EXPECT_EQ(ColorAt(*disabled, c.inside.x, c.inside.y), grey);
    EXPECT_EQ(ColorAt(*enabled, c.beyond.x, c.beyond.y), kBackground);
    // The white copy lies one pixel right and down, under the grey one: its far corners show.
    const POINT shadow = {c.corners[2].x + 1, c.corners[2].y + 1};
    EXPECT_EQ(ColorAt(*disabled, shadow.x, shadow.y), white);
    EXPECT_EQ(ColorAt(*enabled, shadow.x, shadow.y), kBackground);
  }
}

}  // namespace
}  // namespace skinengine::testing
