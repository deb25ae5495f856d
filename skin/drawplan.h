// Drawing plans of the skin's bitmap routines: which source rectangle of a bitmap goes to which
// destination rectangle, and how (plain or stretched copy, transparent colour left out or not),
// for frame strips, three-part and nine-part drawing. Each Draw* function here computes the plan
// of the skin engine's routine of the same name; the Win32 blitter of that name (skinengine/)
// executes the pieces in order on a canvas. Pure functions of sizes and rectangles; thread-safe.
//
// Every plan keeps these promises, whatever the sizes (a tiny or missing bitmap is a skin's
// choice, never a fault): each source lies inside the bitmap, no source or destination is
// empty or inverted, and a piece that is not stretched has a destination of its source's size.
#pragma once

#include <vector>

#include "skin/geometry.h"

namespace skin {

struct PlanPiece {
  Rect source;               // inside the bitmap, never empty
  Rect dest;                 // never empty; the source's size unless `stretch`
  bool transparent = false;  // leave out the transparent colour the caller gives
  bool stretch = false;      // a stretch copy (halftone) instead of a plain copy
  bool operator==(const PlanPiece&) const = default;
};

// Pieces in drawing order; later pieces may overlap earlier ones.
using DrawPlan = std::vector<PlanPiece>;

// Frame i (1-based) of n equal vertical strips of a bitmap of size `bitmap`: width = bitmap
// width div n, the full height, from x = (i - 1) * width. Columns past n strips are never used
// (62 pixels in 3 frames: x = 0, 20, 40, each 20 wide). Empty when n <= 0, i is outside 1..n,
// or the strips would have no width or height.
Rect FrameRect(Size bitmap, int n, int i);

// `DrawThreePartH`: the bitmap split into three equal vertical strips (width W div 3), all at
// the bitmap's own height from the rectangle's top. A rectangle narrower than one strip gets the
// first strip cut to its width at its left. Otherwise the first strip goes to the left end, the
// third to the right end and the second is stretched between them (left out when the rectangle
// is narrower than two strips, where the ends overlap).
DrawPlan DrawThreePartH(Size bitmap, const Rect& r, bool transparent);

// `DrawThreePartHFixed`: the left `cap` columns to the rectangle's left (at most its width), the
// right `cap` columns to its right end (at most the width the left cap leaves), columns cap to
// W - cap stretched over the rest; every part stretched to the rectangle's height. A cap below 0
// counts as 0, one above W as W. Nothing when r.left < 0.
DrawPlan DrawThreePartHFixed(Size bitmap, const Rect& r, int cap);

// `DrawThreePartV`: the same along the height: the top `cap` rows (cap <= 0 means H div 3), the
// bottom cap rows, rows cap to H - cap stretched between; every part stretched to the
// rectangle's width. Nothing when r.left < 0.
DrawPlan DrawThreePartV(Size bitmap, const Rect& r, int cap);

// `DrawNinePart` (push buttons): the bitmap cut at its middle into four corners, four edges and
// a centre (half(x) = x div 2):
//
//   step piece         source (left, top, right, bottom)          destination
//   1    top-left      0, 0, half(W), half(H)                     corner at (0, 0)
//   2    bottom-left   0, H-half(H)+1, half(W), H                 corner at (0, h - its height)
//   3    left edge     0, half(H), half(W), H-half(H)             D1.bottom .. D2.top, D1's width
//   4    top-right     W-half(W)+1, 0, W, half(H)                 corner at (w - its width, 0)
//   5    bottom-right  W-half(W)+1, H-half(H)+1, W, H             corner at the bottom right
//   6    right edge    W-half(W)+1, H-half(H), W, half(H)+2       D4.bottom .. D5.top, D4's width
//   7    top edge      half(W), 0, W-half(W)+1, half(H)           D1.right .. D4.left, D1's height
//   8    centre        half(W), half(H), W-half(W)+1, H-half(H)   D1.right, D1.bottom, D4.left,
//                                                                 D5.top - 1
//   9    bottom edge   half(W), H-half(H), W-half(W)+1, H         D1.right - 1, D2.top - 1,
//                                                                 D5.left, D5.bottom
//
// (w, h: the rectangle's size; destinations relative to its top-left corner.) A corner is
// copied unscaled, as large as both its source and its destination quarter allow (quarters:
// (0, 0, half(w), half(h)), (0, h-half(h)+1, half(w), h), and the same mirrored at the right),
// keeping the pixels at its own corner; it leaves out the transparent colour when
// `transparentCorners`. Dn is the rectangle corner n was drawn in; a corner too small to draw
// is an empty rectangle at its own corner of the destination, so the edges and the centre
// reach the border. Edges and the centre are stretched and always leave out the transparent
// colour; across its length an edge's source is cut to the destination's thickness on the side
// away from the bitmap's border. A source range the table leaves empty or outside the bitmap
// (the left edge and the centre of an even height, bitmaps under 4 pixels) is the one row or
// column at its start, clamped to the bitmap: for an even height the row between the two
// corners. Destinations are clipped to the rectangle. Nothing when the rectangle is empty; only
// step 1 when the quarter of step 2 has no height (h < 4). Destinations are offset by r.left and
// r.top (the painters pass rectangles at the origin).
DrawPlan DrawNinePart(Size bitmap, const Rect& r, bool transparentCorners);

}  // namespace skin
