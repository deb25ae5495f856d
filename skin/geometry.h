// Plain geometry of the skin drawing routines: points, sizes and rectangles with Win32's
// conventions (y grows downwards, right and bottom exclusive for areas) but no Win32 types.
// Used by the drawing plans here and by the Win32 blitters that execute them. Value types.
#pragma once

#include <algorithm>

namespace skin {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

// An area from (left, top) up to but excluding (right, bottom), as a Win32 RECT.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // No pixel inside: zero or negative width or height (an inverted rectangle is empty too).
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

// The part of `r` inside `bounds`; possibly empty.
inline Rect Intersect(const Rect& r, const Rect& bounds) {
  return {std::max(r.left, bounds.left), std::max(r.top, bounds.top),
          std::min(r.right, bounds.right), std::min(r.bottom, bounds.bottom)};
}

// Mirrors a rectangle across the main diagonal (x and y swap), so a routine written along
// one axis serves the other.
inline Rect Transposed(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }

// True when left <= x <= right and top <= y <= bottom: unlike an area test, the right and
// bottom edges count as inside (hit tests of caption buttons and scroll bar parts rely on it).
inline bool PointInRect(Point p, const Rect& r) {
  return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

}  // namespace skin
