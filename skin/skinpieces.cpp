// Scroll bar, progress bar and tab pieces cut from a skin.
#include "skin/skinpieces.h"

#include <span>

namespace skin {
namespace {

// The piece of 1-based index i, or nullptr when i is out of range or the piece is absent.
template <size_t N>
const SkinImage* PieceAt(const std::array<SkinImage, N>& pieces, int i) {
  if (i < 1 || i > int(N) || pieces[size_t(i - 1)].Empty()) return nullptr;
  return &pieces[size_t(i - 1)];
}

const SkinImage* Present(const SkinImage& image) { return image.Empty() ? nullptr : &image; }

bool Usable(const ZizoSkinReader* reader) { return reader && reader->Ready(); }

// A colour value of the skin that is an RGB colour (not missing, not a system colour).
bool IsRgb(int32_t value) { return value >= 0 && value <= 0xFFFFFF; }

}  // namespace

void ScrollBtnPieces::Rebuild(const ZizoSkinReader* reader) {
  *this = ScrollBtnPieces();
  if (!Usable(reader)) return;
  const int32_t transparent = reader->SkinColor(kTransColor);
  const int32_t track = reader->SkinColor(kScrollBarColor);
  for (int i = 0; i < 6; ++i) {
    const SkinImage* button = reader->SkinBitmap(i < 3 ? kScrollBarUpButton : kScrollBarDownButton);
    CutFrame(button, vertArrow_[size_t(i)], 3, i % 3 + 1);
    horzArrow_[size_t(i)] = Turned(vertArrow_[size_t(i)], Turn::Left);
  }
  const SkinImage* thumb = reader->SkinBitmap(kScrollBarThumb);
  if (thumb && !thumb->Empty()) {
    const Point probe = kWholeThumbProbe;
    useWholeThumb_ = track == int32_t(kWholeThumbTrackColor) &&
                     thumb->height == kWholeThumbHeight && thumb->width > probe.x &&
                     thumb->Pixel(probe.x, probe.y) == kWholeThumbProbeColor;
    if (useWholeThumb_) {
      wholeVert_ = *thumb;
      wholeHorz_ = Turned(*thumb, Turn::Left);
    }
    CutThumb(*thumb, ColorRef(transparent) & 0xFFFFFF);
    thumbWidth_ = vertThumb_[0].width;
  }
  // Also when the skin has no thumb: the arrows are drawn opaque over the track.
  if (!IsRgb(transparent) || !IsRgb(track)) return;
  const std::span<SkinImage> all[] = {vertArrow_, horzArrow_,       vertThumb_,
                                      horzThumb_, {&wholeVert_, 1}, {&wholeHorz_, 1}};
  for (std::span<SkinImage> set : all)
    for (SkinImage& image : set) image.ReplaceColor(ColorRef(transparent), ColorRef(track));
}

void ScrollBtnPieces::CutThumb(const SkinImage& thumb, ColorRef transparent) {
  const int W = thumb.width, H = thumb.height, f = (H - 6) / 3;
  // The caps are clipped to the thumb, so a thumb under 3 rows gives the rows it has.
  vertThumb_[0] = CropImage(thumb, {0, 0, W, 3});
  vertThumb_[4] = CropImage(thumb, {0, H - 3, W, H});
  if (f > 0) {
    vertThumb_[1] = CropImage(thumb, {0, 3, W, 3 + f});
    vertThumb_[2] = CropImage(thumb, {0, 3 + f, W, H - 3 - f});
    vertThumb_[3] = CropImage(thumb, {0, H - 3 - f, W, H - 3});
  } else {
    // No room for the middle: one row of the transparent colour, which becomes the track's.
    SkinImage row(W, 1, transparent);
    row.transparentMode = thumb.transparentMode;
    row.transparentColor = thumb.transparentColor;
    vertThumb_[1] = vertThumb_[2] = vertThumb_[3] = row;
  }
  for (size_t i = 0; i < vertThumb_.size(); ++i) horzThumb_[i] = Turned(vertThumb_[i], Turn::Left);
}

const SkinImage* ScrollBtnPieces::VertArrow(int i) const { return PieceAt(vertArrow_, i); }
const SkinImage* ScrollBtnPieces::HorzArrow(int i) const { return PieceAt(horzArrow_, i); }
const SkinImage* ScrollBtnPieces::VertThumbPiece(int i) const { return PieceAt(vertThumb_, i); }
const SkinImage* ScrollBtnPieces::HorzThumbPiece(int i) const { return PieceAt(horzThumb_, i); }
const SkinImage* ScrollBtnPieces::WholeThumbVert() const { return Present(wholeVert_); }
const SkinImage* ScrollBtnPieces::WholeThumbHorz() const { return Present(wholeHorz_); }

void ProgressBarPieces::Rebuild(const ZizoSkinReader* reader) {
  *this = ProgressBarPieces();
  if (!Usable(reader)) return;
  for (size_t i = 0; i < horz_.size(); ++i) {
    if (const SkinImage* piece = reader->SkinBitmap(kProgressBar1 + int(i))) {
      horz_[i] = *piece;
      vert_[i] = Turned(*piece, Turn::Left);
    }
  }
}

const SkinImage* ProgressBarPieces::HorzPiece(int i) const { return PieceAt(horz_, i); }
const SkinImage* ProgressBarPieces::VertPiece(int i) const { return PieceAt(vert_, i); }

void TabPieces::Rebuild(const ZizoSkinReader* reader) {
  *this = TabPieces();
  if (!Usable(reader)) return;
  const SkinImage* tab = reader->SkinBitmap(kTabControlBitmap);
  SkinImage unselected, selected;
  CutFrame(tab, unselected, 2, 2);
  CutFrame(tab, selected, 2, 1);
  const SkinImage* line = reader->SkinBitmap(kTabControlLine);
  const SkinImage* groups[3] = {line, &unselected, &selected};
  for (size_t g = 0; g < 3; ++g) {
    if (!groups[g]) continue;
    for (int turn = 0; turn < 4; ++turn)
      pieces_[g * 4 + size_t(turn)] = Turned(*groups[g], Turn(turn));
  }
}

const SkinImage* TabPieces::Piece(int i) const { return PieceAt(pieces_, i); }

const SkinImage* TabPieces::TabFrame(int frame, Turn turn) const {
  if (frame != 1 && frame != 2) return nullptr;
  return Piece((frame == 2 ? 5 : 9) + int(turn));
}

}  // namespace skin
