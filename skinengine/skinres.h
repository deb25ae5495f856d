// The skin resource objects: the pieces the painters draw scroll bars, progress bars and tabs
// with, cut from the current skin (skin/skinpieces.h) and kept as 24-bit framework bitmaps.
// The engine owns one of each, calls AttachReader after every skin load, and outlives its
// painters; the reader is not owned and must live as long as the object uses it. Every
// Rebuild frees all old pieces, and a missing or not ready reader leaves the object empty.
// Accessors take 1-based indexes and return a bitmap owned by the object (valid until the
// next Rebuild; callers draw it and never free it), or nullptr for an absent piece or an index
// out of range. UI thread only.
#pragma once

#include <array>
#include <memory>

#include "framework/bitmap.h"
#include "skin/skinreader.h"

namespace skinengine {

using framework::TBitmap;

// A fixed number of pieces, each a bitmap or absent, indexed from 1.
template <size_t N>
class BitmapSet {
 public:
  TBitmap* At(int i) const {
    return i >= 1 && i <= int(N) ? bitmaps_[size_t(i - 1)].get() : nullptr;
  }
  void Set(int i, std::unique_ptr<TBitmap> bitmap) { bitmaps_[size_t(i - 1)] = std::move(bitmap); }

 private:
  std::array<std::unique_ptr<TBitmap>, N> bitmaps_;
};

// Base of the resource objects: holds the reader the pieces are cut from.
class ZizoSkinRes {
 public:
  ZizoSkinRes() = default;
  virtual ~ZizoSkinRes() = default;
  ZizoSkinRes(const ZizoSkinRes&) = delete;
  ZizoSkinRes& operator=(const ZizoSkinRes&) = delete;

  // Stores the reader (null: none) and rebuilds.
  void AttachReader(const skin::ZizoSkinReader* reader);
  // Frees every piece and cuts them again from the reader; nothing in the base class.
  virtual void Rebuild() {}

  const skin::ZizoSkinReader* Reader() const { return reader_; }

 private:
  const skin::ZizoSkinReader* reader_ = nullptr;
};

// Scroll bar pieces (see skin::ScrollBtnPieces for how they are cut):
//   VertArrow(1..6)      frames 1-3 of the up button, then 1-3 of the down button
//   HorzArrow(1..6)      the same turned a quarter to the left
//   VertThumbPiece(1..5) top cap, upper middle, grip, lower middle, bottom cap of the thumb
//   HorzThumbPiece(1..5) the same turned a quarter to the left
//   WholeThumbVert/Horz  the uncut thumb and its left turn, only when UseWholeThumb
// The skin's transparent colour is replaced by the track colour in every piece.
class ZizoSkinScrollBtnRes : public ZizoSkinRes {
 public:
  void Rebuild() override;

  TBitmap* VertArrow(int i) const { return vertArrow_.At(i); }
  TBitmap* HorzArrow(int i) const { return horzArrow_.At(i); }
  TBitmap* VertThumbPiece(int i) const { return vertThumb_.At(i); }
  TBitmap* HorzThumbPiece(int i) const { return horzThumb_.At(i); }
  TBitmap* WholeThumbVert() const { return whole_.At(1); }
  TBitmap* WholeThumbHorz() const { return whole_.At(2); }
  // Width of VertThumbPiece(1); 0 without a thumb.
  int ThumbWidth() const { return thumbWidth_; }
  bool UseWholeThumb() const { return useWholeThumb_; }

 private:
  BitmapSet<6> vertArrow_, horzArrow_;
  BitmapSet<5> vertThumb_, horzThumb_;
  BitmapSet<2> whole_;
  int thumbWidth_ = 0;
  bool useWholeThumb_ = false;
};

// Progress bar pieces: HorzPiece(1..4) the skin's four progress bar bitmaps, VertPiece(i)
// HorzPiece(i) turned a quarter to the left.
class ZizoSkinProgressBarRes : public ZizoSkinRes {
 public:
  void Rebuild() override;

  TBitmap* HorzPiece(int i) const { return horz_.At(i); }
  TBitmap* VertPiece(int i) const { return vert_.At(i); }
  // Widths of HorzPiece(1) and HorzPiece(4); 0 when absent.
  int FirstPieceWidth() const { return firstWidth_; }
  int LastPieceWidth() const { return lastWidth_; }

 private:
  BitmapSet<4> horz_, vert_;
  int firstWidth_ = 0;
  int lastWidth_ = 0;
};

// Tab pieces, each group in four turns (unchanged, a quarter left, half, a quarter right):
//   Piece(1..4)   the tab line; Piece(5..8) frame 2 of 2 of the tab bitmap (unselected);
//   Piece(9..12)  frame 1 of 2 (selected).
class ZizoSkinTabRes : public ZizoSkinRes {
 public:
  void Rebuild() override;

  TBitmap* Piece(int i) const { return pieces_.At(i); }

 private:
  BitmapSet<12> pieces_;
};

}  // namespace skinengine
