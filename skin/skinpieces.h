// The pieces the skin engine cuts from a skin when it loads, as portable images: scroll bar
// arrows and thumb pieces (ScrollBtnPieces), progress bar pieces (ProgressBarPieces) and tab
// pieces (TabPieces). The Win32 resource objects `ZizoSkinScrollBtnRes`,
// `ZizoSkinProgressBarRes` and `ZizoSkinTabRes` (skinengine/) each own one of these, rebuild it
// from their reader on `AttachReader` / `Rebuild`, and turn its images into bitmaps.
// Each Rebuild frees every piece first; a missing or not ready reader leaves them all absent.
// Accessors take the 1-based index of the tables below and return nullptr for an absent piece
// or an index out of range. The images are owned by the object and valid until the next
// Rebuild. Not thread-safe; used on the user-interface thread.
#pragma once

#include <array>

#include "skin/imageops.h"
#include "skin/skinimage.h"
#include "skin/skinreader.h"

namespace skin {

// Scroll bar pieces, cut from "SKIN2_SCROLLBARUPBUTTON", "SKIN2_SCROLLBARDOWNBUTTON" and the
// thumb "SKIN2_SCROLLBAR":
//   VertArrow(1..3)  frames 1-3 of 3 of the up button; VertArrow(4..6) those of the down button
//   HorzArrow(i)     VertArrow(i) turned a quarter to the left (up points left, down right)
//   VertThumbPiece   the thumb of height H cut in five, with f = (H - 6) div 3:
//                      1 top cap      rows 0 .. 3
//                      2 upper middle rows 3 .. 3 + f
//                      3 grip         rows 3 + f .. H - 3 - f
//                      4 lower middle rows H - 3 - f .. H - 3
//                      5 bottom cap   rows H - 3 .. H
//                    When f <= 0, pieces 2-4 are one row of the track colour, and caps of a
//                    thumb under 3 rows are the rows it has.
//   HorzThumbPiece(i) VertThumbPiece(i) turned a quarter to the left
//   WholeThumbVert/Horz the uncut thumb and its left turn, only when UseWholeThumb: the track
//                    colour is 0xCBCBCB, the thumb 33 rows high and its pixel (1, 10) 0xB23901
// In every arrow and thumb image the skin's transparent colour is replaced by the track colour
// ("SKIN2_SCROLLBARCOLOR"), so the transparent parts show the track.
class ScrollBtnPieces {
 public:
  static constexpr ColorRef kWholeThumbTrackColor = 0xCBCBCB;
  static constexpr int kWholeThumbHeight = 33;
  static constexpr Point kWholeThumbProbe = {1, 10};
  static constexpr ColorRef kWholeThumbProbeColor = 0xB23901;

  void Rebuild(const ZizoSkinReader* reader);

  const SkinImage* VertArrow(int i) const;
  const SkinImage* HorzArrow(int i) const;
  const SkinImage* VertThumbPiece(int i) const;
  const SkinImage* HorzThumbPiece(int i) const;
  const SkinImage* WholeThumbVert() const;
  const SkinImage* WholeThumbHorz() const;
  // Width of VertThumbPiece(1); 0 without a thumb.
  int ThumbWidth() const { return thumbWidth_; }
  bool UseWholeThumb() const { return useWholeThumb_; }

 private:
  void CutThumb(const SkinImage& thumb, ColorRef transparent);

  std::array<SkinImage, 6> vertArrow_, horzArrow_;
  std::array<SkinImage, 5> vertThumb_, horzThumb_;
  SkinImage wholeVert_, wholeHorz_;
  int thumbWidth_ = 0;
  bool useWholeThumb_ = false;
};

// Progress bar pieces: HorzPiece(1..4) copies of "SKIN2_PROGRESSBAR1" .. "SKIN2_PROGRESSBAR4",
// VertPiece(i) HorzPiece(i) turned a quarter to the left.
class ProgressBarPieces {
 public:
  void Rebuild(const ZizoSkinReader* reader);

  const SkinImage* HorzPiece(int i) const;
  const SkinImage* VertPiece(int i) const;
  // Widths of HorzPiece(1) and HorzPiece(4); 0 when absent.
  int FirstPieceWidth() const { return horz_[0].width; }
  int LastPieceWidth() const { return horz_[3].width; }

 private:
  std::array<SkinImage, 4> horz_, vert_;
};

// Tab pieces, twelve images in four turns each (None, Left, Half, Right):
//   Piece(1..4)   "SKIN2_TABCONTROLLINE"
//   Piece(5..8)   frame 2 of 2 of "SKIN2_TABCONTROL" (the unselected tab)
//   Piece(9..12)  frame 1 of 2 (the selected tab)
class TabPieces {
 public:
  void Rebuild(const ZizoSkinReader* reader);

  const SkinImage* Piece(int i) const;
  const SkinImage* Line(Turn turn) const { return Piece(1 + int(turn)); }
  // frame: 1 (selected) or 2.
  const SkinImage* TabFrame(int frame, Turn turn) const;

 private:
  std::array<SkinImage, 12> pieces_;
};

}  // namespace skin
