// Drawing plans: frame strips, three-part and nine-part drawing.
#include "skin/drawplan.h"

#include <algorithm>

namespace skin {
namespace {

// Appends a piece unless its source or destination is empty.
void Add(DrawPlan& plan, const Rect& source, const Rect& dest, bool transparent, bool stretch) {
  if (!source.Empty() && !dest.Empty()) plan.push_back({source, dest, transparent, stretch});
}

// [first, last) clamped to [0, size); a range that ends up empty becomes the one row or column
// at its (clamped) start. REQUIRES: size >= 1.
void FitRange(int& first, int& last, int size) {
  first = std::clamp(first, 0, size - 1);
  last = std::min(last, size);
  if (last <= first) last = first + 1;
}

Rect FitToBitmap(Rect r, Size bitmap) {
  FitRange(r.left, r.right, bitmap.width);
  FitRange(r.top, r.bottom, bitmap.height);
  return r;
}

bool HasPixels(Size s) { return s.width > 0 && s.height > 0; }

// Three parts along x: caps of `cap` columns copied to the ends, the columns between stretched
// over the rest, all stretched to the rectangle's height. REQUIRES: cap in [0, W].
DrawPlan ThreePartAlongX(Size bitmap, const Rect& r, int cap) {
  DrawPlan plan;
  if (!HasPixels(bitmap) || r.Empty()) return plan;
  const int w = r.Width();
  const int leftCap = std::min(cap, w);
  const int rightCap = std::min(cap, w - leftCap);
  Add(plan, {0, 0, leftCap, bitmap.height}, {r.left, r.top, r.left + leftCap, r.bottom}, false,
      true);
  Add(plan, {bitmap.width - rightCap, 0, bitmap.width, bitmap.height},
      {r.right - rightCap, r.top, r.right, r.bottom}, false, true);
  Add(plan, FitToBitmap({cap, 0, bitmap.width - cap, bitmap.height}, bitmap),
      {r.left + leftCap, r.top, r.right - rightCap, r.bottom}, false, true);
  return plan;
}

// Which corner of the bitmap and of the destination a nine-part corner sits at, and so which
// side of its source is kept when it is cut.
enum class Corner { TopLeft, BottomLeft, TopRight, BottomRight };
// Which border an edge lies along: its source keeps the rows or columns at that border.
enum class Side { Left, Right, Top, Bottom };

// The nine-part plan under construction, in coordinates relative to the rectangle's top left.
class NinePart {
 public:
  NinePart(Size bitmap, const Rect& r, DrawPlan& plan)
      : bitmap_(bitmap), w_(r.Width()), h_(r.Height()), dx_(r.left), dy_(r.top), plan_(plan) {}

  // Draws a corner unscaled and returns where it went (empty, at its corner, when not drawn).
  Rect AddCorner(Corner corner, const Rect& tableSource, const Rect& quarter, bool transparent) {
    const Rect src = Intersect(tableSource, {0, 0, bitmap_.width, bitmap_.height});
    int cw = std::min(src.Width(), quarter.Width());
    int ch = std::min(src.Height(), quarter.Height());
    if (cw <= 0 || ch <= 0) cw = ch = 0;
    const bool left = corner == Corner::TopLeft || corner == Corner::BottomLeft;
    const bool top = corner == Corner::TopLeft || corner == Corner::TopRight;
    const int sx = left ? src.left : src.right - cw, sy = top ? src.top : src.bottom - ch;
    const int dx = left ? 0 : w_ - cw, dy = top ? 0 : h_ - ch;
    const Rect dest{dx, dy, dx + cw, dy + ch};
    Emit({sx, sy, sx + cw, sy + ch}, dest, transparent, false);
    return dest;
  }

  // Stretches an edge into `dest`, its source cut across to the destination's thickness.
  void AddEdge(Side side, const Rect& tableSource, const Rect& dest) {
    const Rect d = Intersect(dest, {0, 0, w_, h_});
    if (d.Empty()) return;
    Rect s = FitToBitmap(tableSource, bitmap_);
    switch (side) {
      case Side::Left:
        s.right = std::min(s.right, s.left + d.Width());
        break;
      case Side::Right:
        s.left = std::max(s.left, s.right - d.Width());
        break;
      case Side::Top:
        s.bottom = std::min(s.bottom, s.top + d.Height());
        break;
      case Side::Bottom:
        s.top = std::max(s.top, s.bottom - d.Height());
        break;
    }
    Emit(s, d, true, true);
  }

  void AddCentre(const Rect& tableSource, const Rect& dest) {
    Emit(FitToBitmap(tableSource, bitmap_), Intersect(dest, {0, 0, w_, h_}), true, true);
  }

 private:
  void Emit(const Rect& source, const Rect& dest, bool transparent, bool stretch) {
    Add(plan_, source, {dest.left + dx_, dest.top + dy_, dest.right + dx_, dest.bottom + dy_},
        transparent, stretch);
  }

  Size bitmap_;
  int w_, h_, dx_, dy_;
  DrawPlan& plan_;
};

}  // namespace

Rect FrameRect(Size bitmap, int n, int i) {
  if (n <= 0 || i < 1 || i > n || bitmap.height <= 0) return {};
  const int width = bitmap.width / n;
  if (width <= 0) return {};
  return {(i - 1) * width, 0, i * width, bitmap.height};
}

DrawPlan DrawThreePartH(Size bitmap, const Rect& r, bool transparent) {
  DrawPlan plan;
  if (!HasPixels(bitmap)) return plan;
  const int strip = bitmap.width / 3, H = bitmap.height;
  if (r.Width() < strip) {
    Add(plan, {0, 0, r.Width(), H}, {r.left, r.top, r.right, r.top + H}, transparent, false);
    return plan;
  }
  Add(plan, {0, 0, strip, H}, {r.left, r.top, r.left + strip, r.top + H}, transparent, false);
  Add(plan, {2 * strip, 0, 3 * strip, H}, {r.right - strip, r.top, r.right, r.top + H}, transparent,
      false);
  Add(plan, {strip, 0, 2 * strip, H}, {r.left + strip, r.top, r.right - strip, r.top + H},
      transparent, true);
  return plan;
}

DrawPlan DrawThreePartHFixed(Size bitmap, const Rect& r, int cap) {
  if (r.left < 0) return {};
  return ThreePartAlongX(bitmap, r, std::clamp(cap, 0, std::max(bitmap.width, 0)));
}

DrawPlan DrawThreePartV(Size bitmap, const Rect& r, int cap) {
  if (r.left < 0) return {};
  if (cap <= 0) cap = bitmap.height / 3;
  DrawPlan plan = ThreePartAlongX({bitmap.height, bitmap.width}, Transposed(r),
                                  std::clamp(cap, 0, std::max(bitmap.height, 0)));
  for (PlanPiece& p : plan) {
    p.source = Transposed(p.source);
    p.dest = Transposed(p.dest);
  }
  return plan;
}

DrawPlan DrawNinePart(Size bitmap, const Rect& r, bool transparentCorners) {
  DrawPlan plan;
  if (!HasPixels(bitmap) || r.Empty()) return plan;
  const int W = bitmap.width, H = bitmap.height, w = r.Width(), h = r.Height();
  const int hW = W / 2, hH = H / 2, hw = w / 2, hh = h / 2;
  NinePart nine(bitmap, r, plan);
  const bool tc = transparentCorners;

  const Rect d1 = nine.AddCorner(Corner::TopLeft, {0, 0, hW, hH}, {0, 0, hw, hh}, tc);
  // The quarters of steps 2 and 5 have height hh - 1, that of step 4 hh: when the first has
  // none (h < 4), the drawing ends after step 1.
  if (hh - 1 <= 0) return plan;
  const Rect d2 =
      nine.AddCorner(Corner::BottomLeft, {0, H - hH + 1, hW, H}, {0, h - hh + 1, hw, h}, tc);
  nine.AddEdge(Side::Left, {0, hH, hW, H - hH}, {0, d1.bottom, d1.right, d2.top});
  const Rect d4 =
      nine.AddCorner(Corner::TopRight, {W - hW + 1, 0, W, hH}, {w - hw + 1, 0, w, hh}, tc);
  const Rect d5 = nine.AddCorner(Corner::BottomRight, {W - hW + 1, H - hH + 1, W, H},
                                 {w - hw + 1, h - hh + 1, w, h}, tc);
  nine.AddEdge(Side::Right, {W - hW + 1, H - hH, W, hH + 2},
               {d4.left, d4.bottom, d4.right, d5.top});
  nine.AddEdge(Side::Top, {hW, 0, W - hW + 1, hH}, {d1.right, 0, d4.left, d1.bottom});
  nine.AddCentre({hW, hH, W - hW + 1, H - hH}, {d1.right, d1.bottom, d4.left, d5.top - 1});
  nine.AddEdge(Side::Bottom, {hW, H - hH, W - hW + 1, H},
               {d1.right - 1, d2.top - 1, d5.left, d5.bottom});
  return plan;
}

}  // namespace skin
