// The small shapes painters draw beside the skin's bitmaps: the arrow triangles of combo boxes,
// up-down controls and menus (`DrawArrowDown` and its siblings) and the menu separator line
// (`DrawMenuSeparator`), as coordinates and colours; the Win32 side fills the polygons and draws
// the line. Pure functions; thread-safe.
#pragma once

#include <array>
#include <vector>

#include "skin/geometry.h"
#include "skin/skinimage.h"

namespace skin {

constexpr ColorRef kArrowColor = 0x000000;          // enabled arrows
constexpr ColorRef kArrowShadowColor = 0xFFFFFF;    // disabled: the copy one pixel right and down
constexpr ColorRef kArrowDisabledColor = 0x808080;  // disabled: the arrow itself

struct Triangle {
  std::array<Point, 3> corners;
  ColorRef color = 0;  // fill and outline
  bool operator==(const Triangle&) const = default;
};

// The triangles to fill, in order: one black one when enabled; when disabled, first a white
// copy moved one pixel right and down, then the arrow in grey.
//   Down:  (x, y), (x + 6, y), (x + 3, y + 3)
//   Up:    (x, y), (x - 3, y + 3), (x + 3, y + 3)
//   Left:  (x, y), (x + 3, y + 3), (x + 3, y - 3)
//   Right: (x, y), (x, y + 6), (x + 3, y + 3)
std::vector<Triangle> DrawArrowDown(int x, int y, bool enabled);
std::vector<Triangle> DrawArrowUp(int x, int y, bool enabled);
std::vector<Triangle> DrawArrowLeft(int x, int y, bool enabled);
std::vector<Triangle> DrawArrowRight(int x, int y, bool enabled);

// A line from `from` towards `to`, drawn as MoveTo/LineTo draw it (`to` itself is not drawn).
struct Line {
  Point from;
  Point to;
  bool operator==(const Line&) const = default;
};

// `DrawMenuSeparator`: the horizontal line at r.top + 2 of a drop-down menu separator, from
// r.left + band + 4 to r.right - 2 when the image band (`band` pixels wide) is at the left,
// else from r.left + 2 to r.right - band - 4.
Line DrawMenuSeparator(const Rect& r, bool imageSideLeft, int band);

}  // namespace skin
