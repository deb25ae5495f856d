// Pieces cut from a skin written with the resource file writer and loaded by the skin reader:
// every frame and piece a solid colour, so the colour at a piece's centre names it. Scroll bar
// arrows and thumbs (five pieces, the whole-thumb case, 8-pixel and tinier thumbs), the track
// colour in place of the transparent one, progress bar and tab pieces, rebuilds that free.
#include "skin/skinpieces.h"

#include <gtest/gtest.h>

#include "skin/bmp.h"
#include "skin/resfilewriter.h"
#include "skin/skinreader_testing.h"

namespace skin {
namespace {

constexpr ColorRef kTrans = 0xFF00FF, kTrack = 0x404040;
constexpr ColorRef kUp[3] = {0x000011, 0x000022, 0x000033};
constexpr ColorRef kDown[3] = {0x001100, 0x002200, 0x003300};
constexpr ColorRef kThumb[5] = {0x110000, 0x220000, 0x330000, 0x440000, 0x550000};

// A thumb of `height` rows banded as its five pieces would be cut (f = (height - 6) div 3);
// under 6 rows, an upper and a lower half.
SkinImage Thumb(int height) {
  if (height < 6) return Bands(false, 12, {{(height + 1) / 2, kThumb[0]}, {height / 2, kThumb[4]}});
  const int f = (height - 6) / 3;
  return Bands(false, 12,
               {{3, kThumb[0]},
                {f, kThumb[1]},
                {height - 6 - 2 * f, kThumb[2]},
                {f, kThumb[3]},
                {3, kThumb[4]}});
}

ColorRef Centre(const SkinImage* image) {
  return image ? image->Pixel(image->width / 2, image->height / 2) : 0xFFFFFFFF;
}

class SkinPiecesTest : public testing::Test {
 protected:
  // Loads a skin of the given entries (as if extracted from an archive).
  const ZizoSkinReader* Load(const std::vector<ResourceEntry>& entries) {
    skin_ = std::make_unique<LoadedSkin>(entries);
    return skin_->Reader();
  }

  // A scroll bar skin: arrows of 3 frames 16 x 14 (plus 2 unused columns), the given thumb.
  const ZizoSkinReader* LoadScrollSkin(ColorRef track, const SkinImage* thumb) {
    SkinImage up = Bands(true, 14, {{16, kUp[0]}, {16, kUp[1]}, {16, kUp[2]}, {2, kTrans}});
    up.SetPixel(0, 0, kTrans);
    const SkinImage down =
        Bands(true, 14, {{16, kDown[0]}, {16, kDown[1]}, {16, kDown[2]}, {2, kTrans}});
    std::vector<ResourceEntry> entries = {
        IntegerEntry("SKIN2_TRANSCOLOR", int32_t(kTrans)),
        IntegerEntry("SKIN2_SCROLLBARCOLOR", int32_t(track)),
        BitmapEntry(BitmapKey(kScrollBarUpButton), EncodeBmp24(up)),
        BitmapEntry(BitmapKey(kScrollBarDownButton), EncodeBmp24(down))};
    if (thumb) entries.push_back(BitmapEntry(BitmapKey(kScrollBarThumb), EncodeBmp24(*thumb)));
    return Load(entries);
  }

  std::unique_ptr<LoadedSkin> skin_;
};

TEST_F(SkinPiecesTest, ScrollArrowsAreTheButtonFramesAndTheirLeftTurns) {
  SkinImage thumb = Thumb(20);
  ScrollBtnPieces pieces;
  pieces.Rebuild(LoadScrollSkin(kTrack, &thumb));
  for (int i = 1; i <= 6; ++i) {
    const ColorRef colour = i <= 3 ? kUp[i - 1] : kDown[i - 4];
    const SkinImage *vert = pieces.VertArrow(i), *horz = pieces.HorzArrow(i);
    ASSERT_TRUE(vert && horz) << i;
    EXPECT_EQ(SizeOf(*vert), (Size{16, 14}));
    EXPECT_EQ(SizeOf(*horz), (Size{14, 16}));
    EXPECT_EQ(Centre(vert), colour);
    EXPECT_EQ(Centre(horz), colour);
  }
  // The transparent corner shows the track; turned left, the top-left goes to the bottom-left.
  EXPECT_EQ(pieces.VertArrow(1)->Pixel(0, 0), kTrack);
  EXPECT_EQ(pieces.HorzArrow(1)->Pixel(0, 15), kTrack);
  EXPECT_EQ(pieces.HorzArrow(1)->Pixel(0, 0), kUp[0]);
  EXPECT_EQ(pieces.VertArrow(0), nullptr);
  EXPECT_EQ(pieces.VertArrow(7), nullptr);
}

TEST_F(SkinPiecesTest, ThumbIsCutInFivePiecesWithTheTrackForTheTransparentColour) {
  SkinImage thumb = Thumb(20);  // f = 4: 3, 4, 6, 4, 3 rows
  thumb.SetPixel(11, 0, kTrans);
  ScrollBtnPieces pieces;
  pieces.Rebuild(LoadScrollSkin(kTrack, &thumb));
  const int heights[5] = {3, 4, 6, 4, 3};
  for (int i = 1; i <= 5; ++i) {
    const SkinImage *vert = pieces.VertThumbPiece(i), *horz = pieces.HorzThumbPiece(i);
    ASSERT_TRUE(vert && horz) << i;
    EXPECT_EQ(SizeOf(*vert), (Size{12, heights[i - 1]}));
    EXPECT_EQ(SizeOf(*horz), (Size{heights[i - 1], 12}));
    EXPECT_EQ(Centre(vert), kThumb[i - 1]);
    EXPECT_EQ(Centre(horz), kThumb[i - 1]);
  }
  EXPECT_EQ(pieces.VertThumbPiece(1)->Pixel(11, 0), kTrack);
  EXPECT_EQ(pieces.HorzThumbPiece(1)->Pixel(0, 0), kTrack);  // the top right turned left
  EXPECT_EQ(pieces.ThumbWidth(), 12);
  EXPECT_FALSE(pieces.UseWholeThumb());
  EXPECT_EQ(pieces.WholeThumbVert(), nullptr);
  EXPECT_EQ(pieces.WholeThumbHorz(), nullptr);
}

TEST_F(SkinPiecesTest, WholeThumbOnlyForItsTrackColourHeightAndMarkerPixel) {
  SkinImage marked = Thumb(33);
  marked.SetPixel(1, 10, ScrollBtnPieces::kWholeThumbProbeColor);
  marked.SetPixel(0, 0, kTrans);
  SkinImage unmarked = Thumb(33), shorter = Thumb(32);
  shorter.SetPixel(1, 10, ScrollBtnPieces::kWholeThumbProbeColor);
  const ColorRef grey = ScrollBtnPieces::kWholeThumbTrackColor;
  struct Case {
    ColorRef track;
    const SkinImage* thumb;
    bool whole;
  };
  for (const Case& c : {Case{grey, &marked, true}, Case{grey - 1, &marked, false},
                        Case{grey, &unmarked, false}, Case{grey, &shorter, false}}) {
    ScrollBtnPieces pieces;
    pieces.Rebuild(LoadScrollSkin(c.track, c.thumb));
    EXPECT_EQ(pieces.UseWholeThumb(), c.whole);
    EXPECT_EQ(pieces.WholeThumbVert() != nullptr, c.whole);
    // The five pieces are cut in either case: 3, 9, 9, 9, 3 rows for 33; a grip of 10 for 32.
    ASSERT_NE(pieces.VertThumbPiece(3), nullptr);
    EXPECT_EQ(pieces.VertThumbPiece(3)->height, c.thumb->height == 33 ? 9 : 10);
    EXPECT_EQ(pieces.VertThumbPiece(2)->height, c.thumb->height == 33 ? 9 : 8);
  }
  ScrollBtnPieces whole;
  whole.Rebuild(LoadScrollSkin(grey, &marked));
  ASSERT_TRUE(whole.WholeThumbVert() && whole.WholeThumbHorz());
  EXPECT_EQ(SizeOf(*whole.WholeThumbVert()), (Size{12, 33}));
  EXPECT_EQ(SizeOf(*whole.WholeThumbHorz()), (Size{33, 12}));
  EXPECT_EQ(whole.WholeThumbVert()->Pixel(1, 10), ScrollBtnPieces::kWholeThumbProbeColor);
  EXPECT_EQ(whole.WholeThumbVert()->Pixel(0, 0), grey);
  EXPECT_EQ(whole.WholeThumbHorz()->Pixel(0, 11), grey);
}

TEST_F(SkinPiecesTest, ShortThumbsGetOneRowMiddlesAndCapsInsideTheBitmap) {
  for (int height : {8, 6, 5, 3, 2, 1}) {
    SCOPED_TRACE(height);
    const SkinImage thumb = Thumb(height);
    ScrollBtnPieces pieces;
    pieces.Rebuild(LoadScrollSkin(kTrack, &thumb));
    const int cap = std::min(height, 3);
    for (int i : {1, 5}) {
      ASSERT_NE(pieces.VertThumbPiece(i), nullptr);
      EXPECT_EQ(SizeOf(*pieces.VertThumbPiece(i)), (Size{12, cap}));
    }
    EXPECT_EQ(Centre(pieces.VertThumbPiece(1)), thumb.Pixel(6, cap / 2));
    EXPECT_EQ(Centre(pieces.VertThumbPiece(5)), thumb.Pixel(6, height - cap + cap / 2));
    for (int i : {2, 3, 4}) {
      ASSERT_NE(pieces.VertThumbPiece(i), nullptr);
      EXPECT_EQ(SizeOf(*pieces.VertThumbPiece(i)), (Size{12, 1}));
      EXPECT_EQ(Centre(pieces.VertThumbPiece(i)), kTrack);
      EXPECT_EQ(SizeOf(*pieces.HorzThumbPiece(i)), (Size{1, 12}));
    }
  }
}

TEST_F(SkinPiecesTest, ArrowsShowTheTrackEvenWithoutAThumb) {
  ScrollBtnPieces pieces;
  pieces.Rebuild(LoadScrollSkin(kTrack, nullptr));
  ASSERT_NE(pieces.VertArrow(1), nullptr);
  EXPECT_EQ(pieces.VertArrow(1)->Pixel(0, 0), kTrack);
  EXPECT_EQ(pieces.VertThumbPiece(1), nullptr);
  EXPECT_EQ(pieces.ThumbWidth(), 0);
}

TEST_F(SkinPiecesTest, ProgressPiecesAreCopiesAndLeftTurns) {
  const ColorRef colours[4] = {0x0A, 0x0B, 0x0C, 0x0D};
  std::vector<ResourceEntry> entries;
  for (int i : {0, 1, 3})  // piece 3 missing
    entries.push_back(BitmapEntry(BitmapKey(kProgressBar1 + i),
                                  EncodeBmp24(Bands(true, 9, {{i + 2, colours[i]}}))));
  ProgressBarPieces pieces;
  pieces.Rebuild(Load(entries));
  for (int i : {1, 2, 4}) {
    ASSERT_TRUE(pieces.HorzPiece(i) && pieces.VertPiece(i)) << i;
    EXPECT_EQ(SizeOf(*pieces.HorzPiece(i)), (Size{i + 1, 9}));
    EXPECT_EQ(SizeOf(*pieces.VertPiece(i)), (Size{9, i + 1}));
    EXPECT_EQ(Centre(pieces.VertPiece(i)), colours[i - 1]);
  }
  EXPECT_EQ(pieces.HorzPiece(3), nullptr);
  EXPECT_EQ(pieces.VertPiece(3), nullptr);
  EXPECT_EQ(pieces.FirstPieceWidth(), 2);
  EXPECT_EQ(pieces.LastPieceWidth(), 5);
}

TEST_F(SkinPiecesTest, TabPiecesInFourTurns) {
  const ColorRef line = 0x0F, selected = 0x1F, other = 0x2F, corner = 0x3F;
  SkinImage tab = Bands(true, 5, {{8, selected}, {8, other}});
  tab.SetPixel(8, 0, corner);  // top-left of frame 2
  TabPieces pieces;
  pieces.Rebuild(
      Load({BitmapEntry(BitmapKey(kTabControlLine), EncodeBmp24(Bands(true, 2, {{10, line}}))),
            BitmapEntry(BitmapKey(kTabControlBitmap), EncodeBmp24(tab))}));
  const Size upright[3] = {{10, 2}, {8, 5}, {8, 5}};
  const ColorRef colours[3] = {line, other, selected};
  for (int i = 1; i <= 12; ++i) {
    const SkinImage* piece = pieces.Piece(i);
    ASSERT_NE(piece, nullptr) << i;
    const Size s = upright[(i - 1) / 4];
    const bool quarter = (i - 1) % 2 == 1;  // turns Left and Right
    EXPECT_EQ(SizeOf(*piece), (quarter ? Size{s.height, s.width} : s)) << i;
    EXPECT_EQ(Centre(piece), colours[(i - 1) / 4]) << i;
  }
  // Where frame 2's top-left corner went in each turn.
  EXPECT_EQ(pieces.TabFrame(2, Turn::None)->Pixel(0, 0), corner);
  EXPECT_EQ(pieces.TabFrame(2, Turn::Left)->Pixel(0, 7), corner);
  EXPECT_EQ(pieces.TabFrame(2, Turn::Half)->Pixel(7, 4), corner);
  EXPECT_EQ(pieces.TabFrame(2, Turn::Right)->Pixel(4, 0), corner);
  EXPECT_EQ(pieces.TabFrame(3, Turn::None), nullptr);
  EXPECT_EQ(pieces.Line(Turn::Half), pieces.Piece(3));
}

TEST_F(SkinPiecesTest, RebuildWithoutAReadySkinFreesEveryPiece) {
  const SkinImage thumb = Thumb(20), bar = Bands(true, 4, {{4, 0x77}});
  std::vector<ResourceEntry> entries = {BitmapEntry(BitmapKey(kScrollBarThumb), EncodeBmp24(thumb)),
                                        BitmapEntry(BitmapKey(kProgressBar1), EncodeBmp24(bar)),
                                        BitmapEntry(BitmapKey(kTabControlLine), EncodeBmp24(bar))};
  const ZizoSkinReader* loaded = Load(entries);
  const ZizoSkinReader notReady([](const std::string&, const std::string&) {
    return std::make_unique<Tsk2SkinFileReader>();
  });
  for (const ZizoSkinReader* reader : {static_cast<const ZizoSkinReader*>(nullptr), &notReady}) {
    ScrollBtnPieces scroll;
    ProgressBarPieces progress;
    TabPieces tabs;
    scroll.Rebuild(loaded);
    progress.Rebuild(loaded);
    tabs.Rebuild(loaded);
    ASSERT_TRUE(scroll.VertThumbPiece(1) && progress.HorzPiece(1) && tabs.Piece(1));
    scroll.Rebuild(reader);
    progress.Rebuild(reader);
    tabs.Rebuild(reader);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(scroll.VertArrow(i), nullptr);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(scroll.HorzThumbPiece(i), nullptr);
    EXPECT_EQ(scroll.ThumbWidth(), 0);
    EXPECT_EQ(progress.HorzPiece(1), nullptr);
    EXPECT_EQ(progress.FirstPieceWidth(), 0);
    for (int i = 1; i <= 12; ++i) EXPECT_EQ(tabs.Piece(i), nullptr);
  }
}

}  // namespace
}  // namespace skin
