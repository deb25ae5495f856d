// TBitBtn drawing: glyph left of the caption at Spacing, the pair centred, the bottom-left
// colour transparent, pressed offset and the generated disabled image. Drawn through the
// owner-draw protocol (WM_DRAWITEM to the parent) onto a bitmap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "framework/bitbtn.h"
#include "framework/gui_testing.h"

namespace framework {
namespace {

constexpr TColor kMagenta = RGBColor(255, 0, 255);
constexpr TColor kRed = RGBColor(255, 0, 0);

struct Extent {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  int count = 0;
  void Add(int x, int y) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x);
    bottom = std::max(bottom, y);
    ++count;
  }
};

class BitBtnDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->Font().SetName("MS Sans Serif");
    form->Font().SetHeight(-11);
    button = new TBitBtn(form.get());
    button->SetParent(form.get());
    button->SetBounds(8, 4, 78, 21);
    button->SetCaption("Insert Lyric");
    button->SetSpacing(1);
    TBitmap glyph(16, 16);
    glyph.Canvas().Brush().SetColor(kMagenta);
    glyph.Canvas().FillRect({0, 0, 16, 16});
    glyph.Canvas().Brush().SetColor(kRed);
    glyph.Canvas().FillRect({3, 3, 13, 13});
    button->Glyph().Assign(glyph);
    form->HandleNeeded();
  }

  // Draws the button in `state` and returns the picture.
  std::unique_ptr<TBitmap> Draw(UINT state) {
    int w = button->Width(), h = button->Height();
    auto picture = std::make_unique<TBitmap>(w, h);
    DRAWITEMSTRUCT d{};
    d.CtlType = ODT_BUTTON;
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = state;
    d.hwndItem = button->Handle();
    d.hDC = picture->Canvas().Handle();
    d.rcItem = {0, 0, w, h};
    SendMessageA(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
    GdiFlush();
    return picture;
  }

  static Extent Find(TBitmap& b, std::function<bool(int r, int g, int bl)> match) {
    Extent e;
    for (int y = 0; y < b.Height(); ++y) {
      const uint8_t* row = b.ScanLine(y);
      for (int x = 0; x < b.Width(); ++x)
        if (match(row[3 * x + 2], row[3 * x + 1], row[3 * x])) e.Add(x, y);
    }
    return e;
  }
  static bool IsRed(int r, int g, int b) { return r == 255 && g == 0 && b == 0; }
  // Caption ink in the default black: only where it lies, never its glyph shapes.
  static bool IsDark(int r, int g, int b) { return r < 60 && g < 60 && b < 60; }
  static bool IsMagenta(int r, int g, int b) { return r == 255 && g == 0 && b == 255; }

  // The caption's extent in the button's font, as the font's metrics give it.
  SIZE CaptionExtent() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, button->Font().Handle());
    std::string caption = button->Caption();
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
  }

  // Where the glyph's left edge belongs: glyph, spacing and caption centred as one block.
  int CentredGlyphLeft() {
    return (button->Width() - (16 + button->Spacing() + CaptionExtent().cx)) / 2;
  }

  // Counts the pixels of `picture` that differ from the caption as the font itself draws it
  // at (x, y) on the button face, over the caption's box inside the button's frame and right
  // of `from_x`. Zero when the button put its caption at (x, y), whatever the font's glyphs
  // look like (bitmap or antialiased outline).
  int CaptionMismatches(TBitmap& picture, int x, int y, int from_x) {
    int w = button->Width(), h = button->Height();
    TBitmap reference(w, h);
    TCanvas& c = reference.Canvas();
    c.Brush().SetColor(clBtnFace);
    c.FillRect({0, 0, w, h});
    c.Font().Assign(button->Font());
    c.Brush().SetStyle(bsClear);
    c.TextOut(x, y, button->Caption());
    GdiFlush();
    SIZE extent = CaptionExtent();
    int mismatches = 0;
    for (int py = std::max(y, 2); py < std::min<int>(y + extent.cy, h - 2); ++py)
      for (int px = std::max({x, from_x, 2}); px < std::min<int>(x + extent.cx, w - 2); ++px)
        mismatches +=
            std::memcmp(picture.ScanLine(py) + 3 * px, reference.ScanLine(py) + 3 * px, 3) != 0;
    return mismatches;
  }

  std::unique_ptr<TForm> form;
  TBitBtn* button = nullptr;
};

TEST_F(BitBtnDrawing, GlyphSitsLeftOfTheCaptionAtSpacingAndThePairIsCentred) {
  auto picture = Draw(0);
  Extent red = Find(*picture, IsRed);
  ASSERT_EQ(red.count, 100);  // the 10 x 10 block, whole
  int glyph_x = red.left - 3, glyph_y = red.top - 3;
  EXPECT_EQ(glyph_x, CentredGlyphLeft());
  EXPECT_EQ(glyph_y, (21 - 16 + 1) / 2);
  // The bottom-left colour is transparent: no magenta anywhere.
  EXPECT_EQ(Find(*picture, IsMagenta).count, 0);
  // The caption follows the glyph after Spacing, centred vertically, straight on the face
  // (no box of another colour behind it).
  int text_y = (21 - CaptionExtent().cy + 1) / 2;
  EXPECT_EQ(CaptionMismatches(*picture, glyph_x + 16 + 1, text_y, glyph_x + 16), 0);
  // One pixel off is seen.
  EXPECT_GT(CaptionMismatches(*picture, glyph_x + 16 + 2, text_y, glyph_x + 16), 0);

  // The "Close" button: Spacing 20 puts the caption 20 pixels right of the glyph, the pair
  // still centred.
  button->SetBounds(453, 4, 84, 21);
  button->SetCaption("Close");
  button->SetSpacing(20);
  auto wide = Draw(0);
  Extent red2 = Find(*wide, IsRed);
  ASSERT_EQ(red2.count, 100);
  EXPECT_EQ(red2.left - 3, CentredGlyphLeft());
  EXPECT_EQ(CaptionMismatches(*wide, red2.left - 3 + 16 + 20, text_y, red2.left - 3 + 16), 0);
}

TEST_F(BitBtnDrawing, PressedShiftsByOnePixelAndDisabledUsesAnEmbossedImage) {
  Extent up = Find(*Draw(0), IsRed);
  Extent down = Find(*Draw(ODS_SELECTED), IsRed);
  EXPECT_EQ(down.left, up.left + 1);
  EXPECT_EQ(down.top, up.top + 1);

  auto disabled = Draw(ODS_DISABLED);
  EXPECT_EQ(Find(*disabled, IsRed).count, 0);
  EXPECT_EQ(Find(*disabled, IsMagenta).count, 0);
  COLORREF shadow = ColorToRGB(clBtnShadow);
  // The block's pixels are drawn in the shadow colour where the red block was.
  int shadow_in_block = 0;
  for (int y = up.top; y <= up.bottom; ++y)
    for (int x = up.left; x <= up.right; ++x) {
      const uint8_t* p = disabled->ScanLine(y) + 3 * x;
      shadow_in_block += RGB(p[2], p[1], p[0]) == shadow;
    }
  EXPECT_EQ(shadow_in_block, 100);
}

TEST_F(BitBtnDrawing, SecondImageOfAStripIsTheDisabledGlyph) {
  TBitmap strip(32, 16);
  strip.Canvas().Brush().SetColor(kMagenta);
  strip.Canvas().FillRect({0, 0, 32, 16});
  strip.Canvas().Brush().SetColor(kRed);
  strip.Canvas().FillRect({3, 3, 13, 13});
  strip.Canvas().Brush().SetColor(RGBColor(0, 0, 255));
  strip.Canvas().FillRect({16 + 3, 3, 16 + 13, 13});
  button->Glyph().Assign(strip);
  EXPECT_EQ(button->NumGlyphs(), 2);
  auto disabled = Draw(ODS_DISABLED);
  EXPECT_EQ(Find(*disabled, [](int r, int g, int b) { return r == 0 && g == 0 && b == 255; }).count,
            100);
  EXPECT_EQ(Find(*Draw(0), IsRed).count, 100);
}

TEST_F(BitBtnDrawing, LayoutPutsTheGlyphOnItsSideOfTheCaption) {
  button->SetBounds(8, 4, 90, 60);
  button->SetCaption("Go");
  button->SetSpacing(4);
  struct Placed {
    Extent glyph, caption;
  };
  auto place = [&](TButtonLayout layout, int margin) {
    button->SetLayout(layout);
    button->SetMargin(margin);
    auto picture = Draw(0);
    Placed p{Find(*picture, IsRed), {}};
    // Caption ink: dark pixels away from the button's edges.
    for (int y = 3; y < 57; ++y)
      for (int x = 3; x < 87; ++x) {
        const uint8_t* px = picture->ScanLine(y) + 3 * x;
        if (IsDark(px[2], px[1], px[0])) p.caption.Add(x, y);
      }
    EXPECT_EQ(p.glyph.count, 100) << layout;
    EXPECT_GT(p.caption.count, 5) << layout;
    return p;
  };
  int centre_x = (90 - 16 + 1) / 2 + 3, centre_y = (60 - 16 + 1) / 2 + 3;  // the red block's
  Placed right = place(blGlyphRight, 5);
  EXPECT_EQ(right.glyph.right, 90 - 5 - 16 + 12);  // the glyph's right side 5 from the edge
  EXPECT_EQ(right.glyph.top, centre_y);
  EXPECT_LT(right.caption.right, right.glyph.left - 3);
  Placed top = place(blGlyphTop, 4);
  EXPECT_EQ(top.glyph.top, 4 + 3);
  EXPECT_EQ(top.glyph.left, centre_x);
  EXPECT_GT(top.caption.top, top.glyph.bottom + 3);
  Placed bottom = place(blGlyphBottom, 4);
  EXPECT_EQ(bottom.glyph.bottom, 60 - 4 - 16 + 12);
  EXPECT_LT(bottom.caption.bottom, bottom.glyph.top - 3);
  // Centred (no margin): the glyph, spacing and caption block sits in the middle.
  RECT text{0, 0, 0, 0};
  {
    ScreenFontDC dc(button->Font().Handle());
    DrawTextA(dc.Get(), "Go", -1, &text, DT_CALCRECT | DT_SINGLELINE);
  }
  int block = 16 + 4 + text.right;
  Placed centred = place(blGlyphRight, -1);
  int glyph_right = centred.glyph.right - 12 + 16;
  EXPECT_NEAR(glyph_right, (90 + block) / 2, 1);
  Placed left = place(blGlyphLeft, -1);
  EXPECT_NEAR(left.glyph.left - 3, (90 - block) / 2, 1);
  EXPECT_GT(left.caption.left, left.glyph.right + 3);
}

}  // namespace
}  // namespace framework
