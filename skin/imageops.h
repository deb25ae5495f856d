// Cutting and turning skin bitmaps: frames of a strip (`CutFrame`), sub-images, and the three
// rotations the scroll bar, progress bar and tab pieces are built with. Colour replacement is
// SkinImage::ReplaceColor. Used when a skin loads (skinpieces.h) and by painters that cut a
// frame; operates on caller-owned images, no shared state.
#pragma once

#include "skin/geometry.h"
#include "skin/skinimage.h"

namespace skin {

inline Size SizeOf(const SkinImage& image) { return {image.width, image.height}; }

// A new image holding the pixels of `area` clipped to `source` (empty when nothing is left),
// with the source's transparent mode and colour.
SkinImage CropImage(const SkinImage& source, const Rect& area);

// `CutFrame`: `target` becomes frame i (1-based) of n equal vertical strips of `source`
// (FrameRect in drawplan.h). Returns false and leaves `target` unchanged when there is no
// source or no such frame (n <= 0, i outside 1..n, strips narrower than a pixel).
bool CutFrame(const SkinImage* source, SkinImage& target, int n, int i);

// `RotateLeft`: a quarter turn to the left in place; width and height swap, and the result's
// left column read from bottom to top is the former top row read from left to right.
void RotateLeft(SkinImage& image);
// `Rotate180`: a half turn in place.
void Rotate180(SkinImage& image);
// `RotateRight`: a quarter turn to the right in place; the result's top row read from left to
// right is the former left column read from bottom to top.
void RotateRight(SkinImage& image);

enum class Turn { None, Left, Half, Right };
// A copy of `image` turned as asked.
SkinImage Turned(const SkinImage& image, Turn turn);

}  // namespace skin
