// The skin resource objects as framework bitmaps: scroll bar arrows and thumb pieces (with the
// track colour for the transparent one, the whole-thumb case), progress bar and tab pieces, and
// rebuilds that free every bitmap. Every piece of the test skins is one solid colour, so the
// colour at a bitmap's centre names the piece it holds.
#include "skinengine/skinres.h"

#include <gtest/gtest.h>

#include "framework/gdiobjects.h"
#include "skin/bmp.h"
#include "skin/skinkeys.h"
#include "skin/skinpieces.h"
#include "skin/skinreader_testing.h"
#include "skinengine/drawing_testing.h"

namespace skinengine::testing {
namespace {

using skin::ColorRef;
using skin::SkinImage;

constexpr ColorRef kTrans = 0xFF00FF, kTrack = 0x404040;
constexpr ColorRef kUp[3] = {0x000011, 0x000022, 0x000033};
constexpr ColorRef kDown[3] = {0x001100, 0x002200, 0x003300};
constexpr ColorRef kThumb[5] = {0x110000, 0x220000, 0x330000, 0x440000, 0x550000};
constexpr int kThumbHeight = 33;  // f = 9: pieces of 3, 9, 9, 9, 3 rows

skin::ResourceEntry Entry(int index, const SkinImage& image) {
  return skin::BitmapEntry(skin::BitmapKey(index), skin::EncodeBmp24(image));
}

// A scroll bar skin: arrows of 3 frames 16 x 14, a thumb 12 x 33 in five bands whose top-left
// pixel is transparent; with `marked`, the thumb carries the whole-thumb marker pixel.
std::vector<skin::ResourceEntry> ScrollSkin(ColorRef track, bool marked) {
  SkinImage up = skin::Bands(true, 14, {{16, kUp[0]}, {16, kUp[1]}, {16, kUp[2]}});
  up.SetPixel(0, 0, kTrans);
  SkinImage thumb = skin::Bands(
      false, 12, {{3, kThumb[0]}, {9, kThumb[1]}, {9, kThumb[2]}, {9, kThumb[3]}, {3, kThumb[4]}});
  thumb.SetPixel(0, 0, kTrans);
  if (marked) thumb.SetPixel(1, 10, skin::ScrollBtnPieces::kWholeThumbProbeColor);
  return {skin::IntegerEntry("SKIN2_TRANSCOLOR", int32_t(kTrans)),
          skin::IntegerEntry("SKIN2_SCROLLBARCOLOR", int32_t(track)),
          Entry(skin::kScrollBarUpButton, up),
          Entry(skin::kScrollBarDownButton,
                skin::Bands(true, 14, {{16, kDown[0]}, {16, kDown[1]}, {16, kDown[2]}})),
          Entry(skin::kScrollBarThumb, thumb)};
}

void ExpectBitmap(const TBitmap* bitmap, int width, int height, ColorRef centre) {
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width(), width);
  EXPECT_EQ(bitmap->Height(), height);
  EXPECT_EQ(bitmap->PixelFormat(), framework::pf24bit);
  EXPECT_EQ(ColorRef(Centre(bitmap)), centre);
}

TEST(ScrollBtnResTest, ArrowsAndThumbPiecesAreBitmapsShowingTheTrackWhereTransparent) {
  skin::LoadedSkin skin(ScrollSkin(kTrack, false));
  ZizoSkinScrollBtnRes res;
  res.AttachReader(skin.Reader());
  EXPECT_EQ(res.Reader(), skin.Reader());
  for (int i = 1; i <= 6; ++i) {
    SCOPED_TRACE(i);
    const ColorRef colour = i <= 3 ? kUp[i - 1] : kDown[i - 4];
    ExpectBitmap(res.VertArrow(i), 16, 14, colour);
    ExpectBitmap(res.HorzArrow(i), 14, 16, colour);
  }
  // The up button's transparent top-left shows the track, and turned left sits bottom-left.
  EXPECT_EQ(ColorRef(ColorAt(*res.VertArrow(1), 0, 0)), kTrack);
  EXPECT_EQ(ColorRef(ColorAt(*res.HorzArrow(1), 0, 15)), kTrack);
  const int heights[5] = {3, 9, 9, 9, 3};
  for (int i = 1; i <= 5; ++i) {
    SCOPED_TRACE(i);
    ExpectBitmap(res.VertThumbPiece(i), 12, heights[i - 1], kThumb[i - 1]);
    ExpectBitmap(res.HorzThumbPiece(i), heights[i - 1], 12, kThumb[i - 1]);
  }
  EXPECT_EQ(ColorRef(ColorAt(*res.VertThumbPiece(1), 0, 0)), kTrack);
  EXPECT_EQ(res.ThumbWidth(), 12);
  EXPECT_FALSE(res.UseWholeThumb());
  EXPECT_EQ(res.WholeThumbVert(), nullptr);
  EXPECT_EQ(res.WholeThumbHorz(), nullptr);
  for (int outside : {0, 7}) EXPECT_EQ(res.VertArrow(outside), nullptr);
  EXPECT_EQ(res.VertThumbPiece(6), nullptr);
}

TEST(ScrollBtnResTest, TheMarkedThumbOnItsTrackColourIsAlsoKeptWhole) {
  const ColorRef grey = skin::ScrollBtnPieces::kWholeThumbTrackColor;
  skin::LoadedSkin skin(ScrollSkin(grey, true));
  ZizoSkinScrollBtnRes res;
  res.AttachReader(skin.Reader());
  EXPECT_TRUE(res.UseWholeThumb());
  ExpectBitmap(res.WholeThumbVert(), 12, kThumbHeight, kThumb[2]);
  ExpectBitmap(res.WholeThumbHorz(), kThumbHeight, 12, kThumb[2]);
  EXPECT_EQ(ColorRef(ColorAt(*res.WholeThumbVert(), 1, 10)),
            skin::ScrollBtnPieces::kWholeThumbProbeColor);
  EXPECT_EQ(ColorRef(ColorAt(*res.WholeThumbVert(), 0, 0)), grey);
  ASSERT_NE(res.VertThumbPiece(3), nullptr);  // the five pieces are cut as well
}

TEST(ProgressBarResTest, PiecesAreCopiesAndLeftTurnsWithTheEndWidths) {
  const ColorRef colours[4] = {0x0A, 0x0B, 0x0C, 0x0D};
  std::vector<skin::ResourceEntry> entries;
  for (int i : {0, 1, 3})  // piece 3 missing
    entries.push_back(Entry(skin::kProgressBar1 + i, skin::Bands(true, 9, {{i + 2, colours[i]}})));
  skin::LoadedSkin skin(entries);
  ZizoSkinProgressBarRes res;
  res.AttachReader(skin.Reader());
  for (int i : {1, 2, 4}) {
    SCOPED_TRACE(i);
    ExpectBitmap(res.HorzPiece(i), i + 1, 9, colours[i - 1]);
    ExpectBitmap(res.VertPiece(i), 9, i + 1, colours[i - 1]);
  }
  EXPECT_EQ(res.HorzPiece(3), nullptr);
  EXPECT_EQ(res.VertPiece(3), nullptr);
  EXPECT_EQ(res.FirstPieceWidth(), 2);
  EXPECT_EQ(res.LastPieceWidth(), 5);
}

TEST(TabResTest, LineAndBothTabFramesInFourTurns) {
  const ColorRef line = 0x0F, selected = 0x1F, unselected = 0x2F;
  skin::LoadedSkin skin(
      {Entry(skin::kTabControlLine, skin::Bands(true, 2, {{10, line}})),
       Entry(skin::kTabControlBitmap, skin::Bands(true, 5, {{8, selected}, {8, unselected}}))});
  ZizoSkinTabRes res;
  res.AttachReader(skin.Reader());
  const SIZE upright[3] = {{10, 2}, {8, 5}, {8, 5}};
  const ColorRef colours[3] = {line, unselected, selected};
  for (int i = 1; i <= 12; ++i) {
    SCOPED_TRACE(i);
    const SIZE s = upright[(i - 1) / 4];
    const bool quarter = (i - 1) % 2 == 1;  // a quarter to the left or to the right
    ExpectBitmap(res.Piece(i), quarter ? s.cy : s.cx, quarter ? s.cx : s.cy, colours[(i - 1) / 4]);
  }
  EXPECT_EQ(res.Piece(13), nullptr);
}

TEST(SkinResTest, RebuildWithoutAReadySkinFreesEveryBitmap) {
  std::vector<skin::ResourceEntry> entries = ScrollSkin(kTrack, false);
  entries.push_back(Entry(skin::kProgressBar1, skin::Bands(true, 4, {{4, 0x77}})));
  entries.push_back(Entry(skin::kTabControlLine, skin::Bands(true, 4, {{4, 0x77}})));
  skin::LoadedSkin loaded(entries);
  const skin::ZizoSkinReader notReady([](const std::string&, const std::string&) {
    return std::make_unique<skin::Tsk2SkinFileReader>();
  });
  for (const skin::ZizoSkinReader* empty :
       {static_cast<const skin::ZizoSkinReader*>(nullptr), &notReady}) {
    const framework::HandleSnapshot before = framework::HandleSnapshot::Take();
    ZizoSkinScrollBtnRes scroll;
    ZizoSkinProgressBarRes progress;
    ZizoSkinTabRes tabs;
    ZizoSkinRes* all[] = {&scroll, &progress, &tabs};
    for (ZizoSkinRes* res : all) res->AttachReader(loaded.Reader());
    ASSERT_TRUE(scroll.VertThumbPiece(1) && progress.HorzPiece(1) && tabs.Piece(1));
    const framework::HandleSnapshot loadedOnce = framework::HandleSnapshot::Take();
    ASSERT_FALSE(loadedOnce == before);
    for (ZizoSkinRes* res : all) res->AttachReader(loaded.Reader());
    EXPECT_TRUE(framework::HandleSnapshot::Take() == loadedOnce);  // the old pieces went
    for (ZizoSkinRes* res : all) res->AttachReader(empty);
    // Every bitmap is gone (the handle counters are back), and the accessors say so.
    EXPECT_TRUE(framework::HandleSnapshot::Take() == before);
    EXPECT_FALSE(scroll.VertArrow(1) || scroll.HorzThumbPiece(5) || progress.VertPiece(1) ||
                 tabs.Piece(12));
    EXPECT_EQ(scroll.ThumbWidth(), 0);
    EXPECT_EQ(progress.FirstPieceWidth(), 0);
  }
}

}  // namespace
}  // namespace skinengine::testing
