// The drawing routines of blitters.h: plans of skin/drawplan.h and shapes of skin/shapes.h
// executed with GDI copies on framework canvases; pixel changes through skin/imageops.h.
#include "skinengine/blitters.h"

#include <cstring>
#include <optional>

#include "skin/drawplan.h"
#include "skin/imageops.h"
#include "skin/shapes.h"
#include "skinengine/skinimages.h"

namespace skinengine {
namespace {

using framework::pf24bit;
using framework::pf32bit;

skin::Rect ToSkinRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

skin::Size SizeOf(const TBitmap& bitmap) { return {bitmap.Width(), bitmap.Height()}; }

// The RGB value left out, or none when the colour names no colour (a missing skin colour).
std::optional<COLORREF> LeftOut(TColor transparent) {
  if (transparent < 0 && !framework::IsSystemColor(transparent)) return std::nullopt;
  return framework::ColorToRGB(transparent);
}

// Halftone stretching on a DC for the life of the object (the brush origin must be set after
// the mode, as HALFTONE requires); both are put back afterwards.
class HalftoneStretch {
 public:
  explicit HalftoneStretch(HDC dc) : dc_(dc), mode_(SetStretchBltMode(dc, HALFTONE)) {
    SetBrushOrgEx(dc_, 0, 0, &origin_);
  }
  ~HalftoneStretch() {
    SetBrushOrgEx(dc_, origin_.x, origin_.y, nullptr);
    if (mode_) SetStretchBltMode(dc_, mode_);
  }
  HalftoneStretch(const HalftoneStretch&) = delete;
  HalftoneStretch& operator=(const HalftoneStretch&) = delete;

 private:
  HDC dc_;
  int mode_;
  POINT origin_{};
};

// Copies `source` of the bitmap's DC into `dest`: leaving out `key` when the piece is
// transparent and a key is given, else a plain copy when the sizes agree, else a stretch copy
// (halftone, set up by the caller).
void CopyPiece(HDC dst, HDC src, const skin::Rect& source, const skin::Rect& dest, bool transparent,
               std::optional<COLORREF> key, DWORD rop) {
  const int sw = source.Width(), sh = source.Height(), dw = dest.Width(), dh = dest.Height();
  if (transparent && key) {
    TransparentBlt(dst, dest.left, dest.top, dw, dh, src, source.left, source.top, sw, sh, *key);
  } else if (sw == dw && sh == dh) {
    BitBlt(dst, dest.left, dest.top, dw, dh, src, source.left, source.top, rop);
  } else {
    StretchBlt(dst, dest.left, dest.top, dw, dh, src, source.left, source.top, sw, sh, rop);
  }
}

// Draws every piece of a plan, in order, from the bitmap onto the canvas.
void Execute(const skin::DrawPlan& plan, TBitmap& bitmap, TCanvas& canvas,
             std::optional<COLORREF> key) {
  if (plan.empty()) return;
  HDC dst = canvas.Handle();
  HDC src = bitmap.Canvas().Handle();
  if (!dst || !src) return;
  HalftoneStretch halftone(dst);
  for (const skin::PlanPiece& piece : plan)
    CopyPiece(dst, src, piece.source, piece.dest, piece.transparent, key, canvas.CopyMode());
}

bool Drawable(const TBitmap* bitmap) { return bitmap && !bitmap->Empty(); }

void FillTriangles(TCanvas& canvas, const std::vector<skin::Triangle>& triangles) {
  canvas.Pen().SetStyle(framework::psSolid);
  canvas.Pen().SetWidth(1);
  for (const skin::Triangle& t : triangles) {
    const POINT points[3] = {{t.corners[0].x, t.corners[0].y},
                             {t.corners[1].x, t.corners[1].y},
                             {t.corners[2].x, t.corners[2].y}};
    canvas.Pen().SetColor(TColor(t.color));
    canvas.Brush().SetColor(TColor(t.color));
    canvas.Polygon(points, 3);
  }
}

}  // namespace

bool CutFrame(const TBitmap* source, TBitmap& target, int n, int i) {
  if (!source) return false;
  const skin::Rect frame = skin::FrameRect(SizeOf(*source), n, i);
  if (frame.Empty()) return false;
  const int bpp = source->PixelFormat() == pf32bit ? 4 : 3;
  TBitmap cut;  // built apart, so a source that is the target stays readable
  cut.SetSize(frame.Width(), frame.Height());
  for (int y = 0; y < frame.Height(); ++y) {
    const uint8_t* from = source->ScanLine(y) + frame.left * bpp;
    uint8_t* to = cut.ScanLine(y);
    if (bpp == 3) {
      std::memcpy(to, from, size_t(frame.Width()) * 3);
    } else {
      for (int x = 0; x < frame.Width(); ++x) std::memcpy(to + x * 3, from + x * 4, 3);
    }
  }
  cut.SetTransparent(source->Transparent());
  if (source->TransparentMode() == framework::tmFixed)
    cut.SetTransparentColor(source->TransparentColor());
  target.Assign(cut);
  return true;
}

void RotateLeft(TBitmap& bitmap) {
  ChangePixels(bitmap, [](skin::SkinImage& image) { skin::RotateLeft(image); });
}

void Rotate180(TBitmap& bitmap) {
  ChangePixels(bitmap, [](skin::SkinImage& image) { skin::Rotate180(image); });
}

void RotateRight(TBitmap& bitmap) {
  ChangePixels(bitmap, [](skin::SkinImage& image) { skin::RotateRight(image); });
}

size_t ReplaceColor(TBitmap& bitmap, TColor from, TColor to) {
  size_t changed = 0;
  const skin::ColorRef old = framework::ColorToRGB(from), now = framework::ColorToRGB(to);
  ChangePixels(bitmap, [&](skin::SkinImage& image) { changed = image.ReplaceColor(old, now); });
  return changed;
}

void StretchBitmap(TBitmap* bitmap, TCanvas& canvas, const RECT& dest) {
  if (!Drawable(bitmap)) return;
  const skin::Rect all{0, 0, bitmap->Width(), bitmap->Height()};
  const skin::Rect to = ToSkinRect(dest);
  if (to.Empty()) return;
  Execute({{all, to, false, true}}, *bitmap, canvas, std::nullopt);  // a one-piece plan
}

void DrawThreePartH(TBitmap* bitmap, TCanvas& canvas, const RECT& dest, TColor transparent,
                    bool leaveOut) {
  if (!Drawable(bitmap)) return;
  Execute(skin::DrawThreePartH(SizeOf(*bitmap), ToSkinRect(dest), leaveOut), *bitmap, canvas,
          LeftOut(transparent));
}

void DrawThreePartHFixed(TBitmap* bitmap, TCanvas& canvas, const RECT& dest, int cap) {
  if (!Drawable(bitmap)) return;
  Execute(skin::DrawThreePartHFixed(SizeOf(*bitmap), ToSkinRect(dest), cap), *bitmap, canvas,
          std::nullopt);
}

void DrawThreePartV(TBitmap* bitmap, TCanvas& canvas, const RECT& dest, int cap) {
  if (!Drawable(bitmap)) return;
  Execute(skin::DrawThreePartV(SizeOf(*bitmap), ToSkinRect(dest), cap), *bitmap, canvas,
          std::nullopt);
}

void DrawNinePart(TBitmap* bitmap, TCanvas& canvas, const RECT& dest, TColor transparent,
                  bool transparentCorners) {
  if (!Drawable(bitmap)) return;
  Execute(skin::DrawNinePart(SizeOf(*bitmap), ToSkinRect(dest), transparentCorners), *bitmap,
          canvas, LeftOut(transparent));
}

void FillRectColor(TCanvas& canvas, const RECT& r, TColor color) {
  canvas.Brush().SetColor(color);
  canvas.FillRect(r);
}

void FrameRectColor(TCanvas& canvas, const RECT& r, TColor color) {
  canvas.Brush().SetColor(color);
  canvas.FrameRect(r);
}

void DrawMenuSeparator(TCanvas& canvas, const RECT& r, TColor color, bool imageSideLeft, int band) {
  const skin::Line line = skin::DrawMenuSeparator(ToSkinRect(r), imageSideLeft, band);
  canvas.Pen().SetStyle(framework::psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetColor(color);
  canvas.MoveTo(line.from.x, line.from.y);
  canvas.LineTo(line.to.x, line.to.y);
}

void DrawArrowDown(TCanvas& canvas, int x, int y, bool enabled) {
  FillTriangles(canvas, skin::DrawArrowDown(x, y, enabled));
}

void DrawArrowUp(TCanvas& canvas, int x, int y, bool enabled) {
  FillTriangles(canvas, skin::DrawArrowUp(x, y, enabled));
}

void DrawArrowLeft(TCanvas& canvas, int x, int y, bool enabled) {
  FillTriangles(canvas, skin::DrawArrowLeft(x, y, enabled));
}

void DrawArrowRight(TCanvas& canvas, int x, int y, bool enabled) {
  FillTriangles(canvas, skin::DrawArrowRight(x, y, enabled));
}

}  // namespace skinengine
