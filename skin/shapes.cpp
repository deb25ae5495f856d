// Arrow triangles and the menu separator line.
#include "skin/shapes.h"

namespace skin {
namespace {

std::vector<Triangle> Arrow(Point a, Point b, Point c, bool enabled) {
  if (enabled) return {{{a, b, c}, kArrowColor}};
  auto moved = [](Point p) { return Point{p.x + 1, p.y + 1}; };
  return {{{moved(a), moved(b), moved(c)}, kArrowShadowColor}, {{a, b, c}, kArrowDisabledColor}};
}

}  // namespace

std::vector<Triangle> DrawArrowDown(int x, int y, bool enabled) {
  return Arrow({x, y}, {x + 6, y}, {x + 3, y + 3}, enabled);
}

std::vector<Triangle> DrawArrowUp(int x, int y, bool enabled) {
  return Arrow({x, y}, {x - 3, y + 3}, {x + 3, y + 3}, enabled);
}

std::vector<Triangle> DrawArrowLeft(int x, int y, bool enabled) {
  return Arrow({x, y}, {x + 3, y + 3}, {x + 3, y - 3}, enabled);
}

std::vector<Triangle> DrawArrowRight(int x, int y, bool enabled) {
  return Arrow({x, y}, {x, y + 6}, {x + 3, y + 3}, enabled);
}

Line DrawMenuSeparator(const Rect& r, bool imageSideLeft, int band) {
  const int y = r.top + 2;
  if (imageSideLeft) return {{r.left + band + 4, y}, {r.right - 2, y}};
  return {{r.left + 2, y}, {r.right - band - 4, y}};
}

}  // namespace skin
