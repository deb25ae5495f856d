// Arrow triangles (enabled, and the disabled white and grey pair) and the menu separator.
#include "skin/shapes.h"

#include <gtest/gtest.h>

namespace skin {
namespace {

using ArrowFn = std::vector<Triangle> (*)(int, int, bool);

TEST(ArrowTest, CornersAndColoursOfEveryDirection) {
  const int x = 20, y = 10;
  struct Case {
    ArrowFn fn;
    std::array<Point, 3> enabled, shadow;
  };
  const Case cases[] = {
      {DrawArrowDown, {{{20, 10}, {26, 10}, {23, 13}}}, {{{21, 11}, {27, 11}, {24, 14}}}},
      {DrawArrowUp, {{{20, 10}, {17, 13}, {23, 13}}}, {{{21, 11}, {18, 14}, {24, 14}}}},
      {DrawArrowLeft, {{{20, 10}, {23, 13}, {23, 7}}}, {{{21, 11}, {24, 14}, {24, 8}}}},
      {DrawArrowRight, {{{20, 10}, {20, 16}, {23, 13}}}, {{{21, 11}, {21, 17}, {24, 14}}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.fn(x, y, true), (std::vector<Triangle>{{c.enabled, 0x000000}}));
    EXPECT_EQ(c.fn(x, y, false),
              (std::vector<Triangle>{{c.shadow, 0xFFFFFF}, {c.enabled, 0x808080}}));
  }
}

TEST(MenuSeparatorTest, LineLeavesTheImageBandFree) {
  const Rect r{0, 40, 150, 49};
  EXPECT_EQ(DrawMenuSeparator(r, true, 26), (Line{{30, 42}, {148, 42}}));
  EXPECT_EQ(DrawMenuSeparator(r, false, 26), (Line{{2, 42}, {120, 42}}));
}

}  // namespace
}  // namespace skin
