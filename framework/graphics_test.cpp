// Canvas painter tests: draw on bitmaps and check the pixels our own drawing fixes (fonts are
// measured, never rasterised); graphics object change tracking; handle counters.
#include "framework/graphics.h"

#include <gtest/gtest.h>

#include "framework/bitmap.h"
#include "framework/gdiobjects.h"

namespace framework {
namespace {

constexpr TColor kBack = RGBColor(10, 20, 30);

// A bitmap of `w` x `h` filled with kBack.
void Prepare(TBitmap& bmp, int w, int h) {
  bmp.SetSize(w, h);
  bmp.Canvas().Brush().SetColor(kBack);
  bmp.Canvas().FillRect(RECT{0, 0, w, h});
}

TEST(ColorTest, SystemColoursResolveThroughTheSystemAndOthersKeepTheirBytes) {
  EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0xFF00000Fu);
  EXPECT_TRUE(IsSystemColor(clBtnFace));
  EXPECT_FALSE(IsSystemColor(clBlue));
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ColorToRGB(RGBColor(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(ColorToRGB(clBlue), RGB(0, 0, 255));
}

TEST(CanvasTest, FillRectFillsExactlyTheRectangle) {
  TBitmap bmp;
  Prepare(bmp, 20, 20);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(clRed);
  c.FillRect(RECT{5, 6, 12, 14});
  EXPECT_EQ(c.Pixel(5, 6), clRed);
  EXPECT_EQ(c.Pixel(11, 13), clRed);
  EXPECT_EQ(c.Pixel(12, 13), kBack);  // right and bottom edges are exclusive
  EXPECT_EQ(c.Pixel(11, 14), kBack);
  EXPECT_EQ(c.Pixel(4, 6), kBack);
}

TEST(CanvasTest, FrameRectDrawsOnlyTheBorderInTheBrushColour) {
  TBitmap bmp;
  Prepare(bmp, 20, 20);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(clLime);
  c.FrameRect(RECT{2, 2, 10, 8});
  EXPECT_EQ(c.Pixel(2, 2), clLime);
  EXPECT_EQ(c.Pixel(9, 7), clLime);
  EXPECT_EQ(c.Pixel(5, 2), clLime);
  EXPECT_EQ(c.Pixel(2, 5), clLime);
  EXPECT_EQ(c.Pixel(5, 5), kBack);
  EXPECT_EQ(c.Pixel(10, 8), kBack);
}

TEST(CanvasTest, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  TBitmap bmp;
  Prepare(bmp, 20, 20);
  TCanvas& c = bmp.Canvas();
  c.Pen().SetColor(clBlue);
  c.Brush().SetColor(clYellow);
  c.Rectangle(3, 3, 13, 11);
  EXPECT_EQ(c.Pixel(3, 3), clBlue);
  EXPECT_EQ(c.Pixel(12, 10), clBlue);
  EXPECT_EQ(c.Pixel(7, 7), clYellow);
  EXPECT_EQ(c.Pixel(13, 11), kBack);

  c.Brush().SetStyle(bsClear);  // a clear brush leaves the inside alone
  c.Pen().SetColor(clRed);
  c.Rectangle(1, 1, 19, 19);
  EXPECT_EQ(c.Pixel(1, 1), clRed);
  EXPECT_EQ(c.Pixel(7, 7), clYellow);
  EXPECT_EQ(c.Pixel(2, 2), kBack);
}

TEST(CanvasTest, PolygonIsFilledInsideAndLeavesTheOutside) {
  TBitmap bmp;
  Prepare(bmp, 30, 30);
  TCanvas& c = bmp.Canvas();
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(clAqua);
  const POINT triangle[] = {{2, 2}, {27, 2}, {2, 27}};
  c.Polygon(triangle, 3);
  EXPECT_EQ(c.Pixel(2, 2), clBlack);
  EXPECT_EQ(c.Pixel(8, 8), clAqua);
  EXPECT_EQ(c.Pixel(25, 25), kBack);
}

TEST(CanvasTest, LinesUseTheCurrentPenAndStopBeforeTheEndPoint) {
  TBitmap bmp;
  Prepare(bmp, 20, 20);
  TCanvas& c = bmp.Canvas();
  c.Pen().SetColor(clRed);
  c.MoveTo(2, 5);
  c.LineTo(10, 5);
  EXPECT_EQ(c.Pixel(2, 5), clRed);
  EXPECT_EQ(c.Pixel(9, 5), clRed);
  EXPECT_EQ(c.Pixel(10, 5), kBack);
  EXPECT_EQ(c.PenPos().x, 10);

  // A pen change after the pen was selected is picked up by the next line.
  c.Pen().SetColor(clBlue);
  c.LineTo(10, 12);
  EXPECT_EQ(c.Pixel(10, 8), clBlue);

  const POINT zigzag[] = {{0, 15}, {5, 15}, {5, 19}};
  c.Pen().SetColor(clGreen);
  c.Polyline(zigzag, 3);
  EXPECT_EQ(c.Pixel(3, 15), clGreen);
  EXPECT_EQ(c.Pixel(5, 17), clGreen);

  c.Pen().SetStyle(psClear);
  c.MoveTo(0, 0);
  c.LineTo(15, 0);
  EXPECT_EQ(c.Pixel(5, 0), kBack);
}

TEST(CanvasTest, PixelsReadBackWhatWasSet) {
  TBitmap bmp;
  Prepare(bmp, 4, 4);
  bmp.Canvas().SetPixel(1, 2, RGBColor(200, 100, 50));
  EXPECT_EQ(bmp.Canvas().Pixel(1, 2), RGBColor(200, 100, 50));
  EXPECT_EQ(bmp.Canvas().Pixel(2, 1), kBack);
  EXPECT_EQ(bmp.Canvas().Pixel(10, 10), -1);  // outside the bitmap
  bmp.Canvas().SetPixel(0, 0, clBtnFace);
  EXPECT_EQ(static_cast<COLORREF>(bmp.Canvas().Pixel(0, 0)), GetSysColor(COLOR_BTNFACE));
}

TEST(CanvasTest, FocusRectangleIsXorSoDrawingTwiceRestores) {
  TBitmap bmp;
  Prepare(bmp, 20, 20);
  TCanvas& c = bmp.Canvas();
  c.DrawFocusRect(RECT{2, 2, 18, 18});
  int changed = 0;
  for (int x = 2; x < 18; ++x) changed += c.Pixel(x, 2) != kBack;
  EXPECT_GT(changed, 0);
  c.DrawFocusRect(RECT{2, 2, 18, 18});
  for (int x = 0; x < 20; ++x) EXPECT_EQ(c.Pixel(x, 2), kBack) << x;
}

TEST(CanvasTest, CopyRectCopiesAndStretchesFromAnotherCanvas) {
  TBitmap src, dst;
  Prepare(src, 4, 4);
  src.Canvas().Brush().SetColor(clRed);
  src.Canvas().FillRect(RECT{0, 0, 2, 4});
  Prepare(dst, 20, 20);
  dst.Canvas().CopyRect(RECT{5, 5, 9, 9}, src.Canvas(), RECT{0, 0, 4, 4});
  EXPECT_EQ(dst.Canvas().Pixel(5, 5), clRed);
  EXPECT_EQ(dst.Canvas().Pixel(8, 8), kBack);
  EXPECT_EQ(dst.Canvas().Pixel(9, 5), kBack);
  dst.Canvas().CopyRect(RECT{0, 10, 8, 18}, src.Canvas(), RECT{0, 0, 4, 4});
  EXPECT_EQ(dst.Canvas().Pixel(3, 17), clRed);
  EXPECT_EQ(dst.Canvas().Pixel(4, 17), kBack);
  EXPECT_EQ(dst.Canvas().Pixel(7, 17), kBack);
}

TEST(CanvasTest, TextMeasuresWithoutPaintingAndGrowsWithText) {
  TBitmap bmp;
  Prepare(bmp, 50, 50);
  TCanvas& c = bmp.Canvas();
  int one = c.TextWidth("W");
  EXPECT_GT(one, 0);
  EXPECT_EQ(c.TextWidth("WWW"), 3 * one);  // advances add up
  int small = c.TextHeight("W");
  EXPECT_GT(small, 0);
  c.Font().SetSize(20);
  EXPECT_GT(c.TextHeight("W"), small);  // the bigger font is measured
  RECT r{0, 0, 40, 0};
  int h = c.TextRect(r, "one two three four five six", DT_CALCRECT | DT_WORDBREAK);
  EXPECT_GT(h, c.TextHeight("W"));  // wrapped onto several lines
  EXPECT_EQ(r.bottom, h);
  for (int y = 0; y < 50; y += 7) {
    for (int x = 0; x < 50; x += 7) EXPECT_EQ(c.Pixel(x, y), kBack);
  }
}

TEST(CanvasTest, TextRectFillsTheClipRectangleWithASolidBrushOnly) {
  TBitmap bmp;
  Prepare(bmp, 40, 20);
  TCanvas& c = bmp.Canvas();
  c.Brush().SetColor(clWhite);
  c.TextRect(RECT{0, 0, 10, 10}, 0, 0, "");  // empty text: only the opaque background
  EXPECT_EQ(c.Pixel(9, 9), clWhite);
  EXPECT_EQ(c.Pixel(10, 10), kBack);
  c.Brush().SetStyle(bsClear);
  c.TextRect(RECT{20, 0, 30, 10}, 20, 0, "");
  EXPECT_EQ(c.Pixel(25, 5), kBack);
}

TEST(CanvasTest, DetachingRestoresTheDcsOriginalObjects) {
  MemoryDC dc;
  HGDIOBJ pen = GetCurrentObject(dc.Get(), OBJ_PEN);
  HGDIOBJ brush = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  HGDIOBJ font = GetCurrentObject(dc.Get(), OBJ_FONT);
  long before = LiveHandles(HandleKind::GdiObject);
  {
    TCanvas c(dc.Get());
    c.Rectangle(0, 0, 1, 1);
    c.TextWidth("x");
    EXPECT_NE(GetCurrentObject(dc.Get(), OBJ_PEN), pen);
    EXPECT_EQ(LiveHandles(HandleKind::GdiObject), before + 3);
    c.Font().SetStyle(fsBold);  // re-creates the font while it is selected
    c.TextWidth("x");
    EXPECT_EQ(LiveHandles(HandleKind::GdiObject), before + 3);
    c.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font);
    c.SetHandle(dc.Get());
    c.LineTo(1, 1);
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen);
  EXPECT_EQ(LiveHandles(HandleKind::GdiObject), before);
}

// The metrics of the font GDI makes from `font`.
TEXTMETRICA RealisedMetrics(TFont& font) {
  MemoryDC dc;
  ScopedSelect select(dc.Get(), font.Handle());
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc.Get(), &metrics);
  return metrics;
}

TEST(FontTest, SizeInPointsGivesThatCharacterHeightOnTheScreen) {
  const int dpi = GetDeviceCaps(WindowDC().Get(), LOGPIXELSY);
  ASSERT_GT(dpi, 0);
  EXPECT_EQ(TFont::ScreenPixelsPerInch(), dpi);
  for (int points : {8, 10, 12, 24}) {
    TFont f;
    f.SetName("Tahoma");  // an outline font: every size exists
    f.SetSize(points);
    EXPECT_EQ(f.Size(), points);
    // The character height (the cell less its internal leading) is the size, to half a pixel.
    TEXTMETRICA m = RealisedMetrics(f);
    EXPECT_NEAR((m.tmHeight - m.tmInternalLeading) * 72.0 / dpi, points, 36.0 / dpi) << points;
  }
  // A negative height is the character height in pixels; a positive one is the cell's, which
  // holds the internal leading too, so its characters are smaller.
  TFont g;
  g.SetName("Tahoma");
  g.SetHeight(-20);
  TEXTMETRICA m = RealisedMetrics(g);
  EXPECT_EQ(m.tmHeight - m.tmInternalLeading, 20);
  g.SetHeight(20);
  TEXTMETRICA cell = RealisedMetrics(g);
  EXPECT_LT(cell.tmHeight - cell.tmInternalLeading, 20);
}

TEST(FontTest, ChangesFireOnceAndOnlyForRealChanges) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TGraphicsObject&) { ++changes; };
  f.SetName(f.Name());
  f.SetColor(f.Color());
  EXPECT_EQ(changes, 0);
  f.SetStyle(fsBold | fsItalic);
  EXPECT_EQ(changes, 1);
  TFont g;
  g.SetName("Courier New");
  g.SetSize(10);
  g.SetColor(clRed);
  f.Assign(g);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(f.Equals(g));
}

TEST(FontTest, LogFontRoundTripKeepsEveryProperty) {
  TFont f;
  f.SetName("Arial");
  f.SetHeight(-17);
  f.SetStyle(fsBold | fsUnderline | fsStrikeOut);
  f.SetCharset(ANSI_CHARSET);
  f.SetPitch(fpVariable);
  TFont g;
  g.AssignLogFont(f.ToLogFont());
  g.SetColor(f.Color());
  EXPECT_TRUE(g.Equals(f));
  f.SetName(std::string(40, 'x'));  // longer than a face name holds: truncated
  EXPECT_EQ(f.Name().size(), static_cast<size_t>(LF_FACESIZE - 1));
}

TEST(BrushTest, SettingAColourMakesAClearBrushSolid) {
  TBrush b;
  b.SetStyle(bsClear);
  b.SetColor(clRed);
  EXPECT_EQ(b.Style(), bsSolid);
}

TEST(HandleLeakTest, ThousandCanvasesWithObjectsReturnToBaseline) {
  MemoryDC dc;
  BitmapHandle target(CreateCompatibleBitmap(WindowDC().Get(), 8, 8));
  ScopedSelect select(dc.Get(), target.Get());
  HandleSnapshot before = HandleSnapshot::Take();
  for (int i = 0; i < 1000; ++i) {
    TCanvas c(dc.Get());
    c.Pen().SetColor(RGBColor(i & 0xFF, 0, 0));
    c.Brush().SetStyle(static_cast<TBrushStyle>(i % 8));
    c.Font().SetSize(8 + i % 5);
    c.Rectangle(0, 0, 8, 8);
    c.TextWidth("x");
    c.Pen().SetWidth(2);
    c.LineTo(4, 4);
  }
  EXPECT_TRUE(HandleSnapshot::Take() == before);
}

}  // namespace
}  // namespace framework
