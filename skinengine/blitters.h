// The skin engine's drawing routines on framework canvases: cutting frames, turning bitmaps and
// replacing colours (at skin load time), and the three-part, nine-part and stretch copies,
// fills, frames, arrows and menu separators every painter of the engine and the skinned
// controls draws with (at paint time). The geometry comes from the portable plans of
// skin/drawplan.h and skin/shapes.h; these functions execute them. UI thread only.
#pragma once

#include <windows.h>

#include "framework/bitmap.h"
#include "framework/graphics.h"

namespace skinengine {

using framework::TBitmap;
using framework::TCanvas;
using framework::TColor;

// A transparent colour that names no colour (a skin's missing "SKIN2_TRANSCOLOR" reads as -1):
// passed to the routines below it leaves nothing out.
constexpr TColor kNoTransparentColor = -1;

// --- Cutting and turning (skin load time; these work on the bitmap's pixels) ---------------

// `target` becomes frame i (1-based) of n equal vertical strips of `source` (width = source
// width div n, full height, from x = (i - 1) * width), a 24-bit bitmap with the source's
// transparency settings. Returns false and leaves `target` unchanged when the source is null
// or there is no such frame (n <= 0, i outside 1..n, strips narrower than a pixel).
bool CutFrame(const TBitmap* source, TBitmap& target, int n, int i);

// Quarter turn to the left in place: width and height swap, and the result's left column read
// from bottom to top is the former top row read from left to right. The bitmap becomes 24-bit;
// its transparency settings stay.
void RotateLeft(TBitmap& bitmap);
// Half turn in place.
void Rotate180(TBitmap& bitmap);
// Quarter turn to the right in place: the result's top row read from left to right is the
// former left column read from bottom to top.
void RotateRight(TBitmap& bitmap);

// Converts the bitmap to 24 bits per pixel and sets every pixel of exactly `from` to `to`
// (system colours are resolved first). Returns how many pixels changed.
size_t ReplaceColor(TBitmap& bitmap, TColor from, TColor to);

// --- Drawing (paint time) ------------------------------------------------------------------
// Each routine draws nothing for a null or empty bitmap. `transparent` is the colour left out
// where a routine draws transparently (kNoTransparentColor: nothing left out).

// The whole bitmap stretched into `dest` with halftone stretching.
void StretchBitmap(TBitmap* bitmap, TCanvas& canvas, const RECT& dest);

// Three equal vertical strips (W div 3) at the bitmap's own height from dest's top: the first
// at the left end, the third at the right end, the second stretched between; a rectangle
// narrower than one strip gets the first strip cut to its width. With `leaveOut` the strips
// leave out `transparent`.
void DrawThreePartH(TBitmap* bitmap, TCanvas& canvas, const RECT& dest, TColor transparent,
                    bool leaveOut);

// The left `cap` columns at the left of dest, the right `cap` columns at its right end,
// columns cap to W - cap stretched between, all stretched to dest's height. Nothing when
// dest.left < 0.
void DrawThreePartHFixed(TBitmap* bitmap, TCanvas& canvas, const RECT& dest, int cap);

// The same along the height: top and bottom `cap` rows (0: H div 3), the rows between
// stretched, all stretched to dest's width. Nothing when dest.left < 0.
void DrawThreePartV(TBitmap* bitmap, TCanvas& canvas, const RECT& dest, int cap);

// Push-button drawing: the bitmap cut at its middle into four corners (copied unscaled, leaving
// out `transparent` when `transparentCorners`), four edges and a centre (stretched between the
// corners, always leaving out `transparent`); see skin::DrawNinePart for the pieces. Painters
// pass a rectangle at the origin.
void DrawNinePart(TBitmap* bitmap, TCanvas& canvas, const RECT& dest, TColor transparent,
                  bool transparentCorners);

// A solid fill of `r`, or a one-pixel frame along its inside edge, in `color`. The canvas's
// brush keeps that colour.
void FillRectColor(TCanvas& canvas, const RECT& r, TColor color);
void FrameRectColor(TCanvas& canvas, const RECT& r, TColor color);

// The separator line of a drop-down menu item at r.top + 2: from r.left + band + 4 to
// r.right - 2 when the image band is at the left, else from r.left + 2 to r.right - band - 4.
// The canvas's pen keeps that colour.
void DrawMenuSeparator(TCanvas& canvas, const RECT& r, TColor color, bool imageSideLeft, int band);

// The small filled arrows of combo boxes, up-down controls and menus, with their point or
// left corner at (x, y): black when enabled; disabled, a white copy one pixel right and down
// under the arrow in grey. The canvas's pen and brush keep the last colour.
void DrawArrowDown(TCanvas& canvas, int x, int y, bool enabled);
void DrawArrowUp(TCanvas& canvas, int x, int y, bool enabled);
void DrawArrowLeft(TCanvas& canvas, int x, int y, bool enabled);
void DrawArrowRight(TCanvas& canvas, int x, int y, bool enabled);

}  // namespace skinengine
