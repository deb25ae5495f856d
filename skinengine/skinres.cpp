// The skin resource objects of skinres.h: the portable pieces of skin/skinpieces.h cut from the
// reader, then each made a framework bitmap.
#include "skinengine/skinres.h"

#include "skin/skinpieces.h"
#include "skinengine/skinimages.h"

namespace skinengine {
namespace {

// Replaces every slot of `set` with a bitmap of piece(i), or leaves it absent; the bitmaps the
// set held are freed.
template <size_t N, class Piece>
void Fill(BitmapSet<N>& set, Piece piece) {
  for (int i = 1; i <= int(N); ++i) set.Set(i, ToBitmap(piece(i)));
}

}  // namespace

void ZizoSkinRes::AttachReader(const skin::ZizoSkinReader* reader) {
  reader_ = reader;
  Rebuild();
}

void ZizoSkinScrollBtnRes::Rebuild() {
  skin::ScrollBtnPieces pieces;
  pieces.Rebuild(Reader());
  Fill(vertArrow_, [&](int i) { return pieces.VertArrow(i); });
  Fill(horzArrow_, [&](int i) { return pieces.HorzArrow(i); });
  Fill(vertThumb_, [&](int i) { return pieces.VertThumbPiece(i); });
  Fill(horzThumb_, [&](int i) { return pieces.HorzThumbPiece(i); });
  Fill(whole_, [&](int i) { return i == 1 ? pieces.WholeThumbVert() : pieces.WholeThumbHorz(); });
  thumbWidth_ = pieces.ThumbWidth();
  useWholeThumb_ = pieces.UseWholeThumb();
}

void ZizoSkinProgressBarRes::Rebuild() {
  skin::ProgressBarPieces pieces;
  pieces.Rebuild(Reader());
  Fill(horz_, [&](int i) { return pieces.HorzPiece(i); });
  Fill(vert_, [&](int i) { return pieces.VertPiece(i); });
  firstWidth_ = pieces.FirstPieceWidth();
  lastWidth_ = pieces.LastPieceWidth();
}

void ZizoSkinTabRes::Rebuild() {
  skin::TabPieces pieces;
  pieces.Rebuild(Reader());
  Fill(pieces_, [&](int i) { return pieces.Piece(i); });
}

}  // namespace skinengine
