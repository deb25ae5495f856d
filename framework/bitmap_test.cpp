// TBitmap and TIcon tests: size and format changes keep pixels, transparency (automatic and
// fixed) when drawing, halftone stretching, loading from BMP bytes, skin images and raw
// pixels, and no handle leaks.
#include "framework/bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "skin/skinimage.h"

namespace framework {
namespace {

constexpr TColor kBack = RGBColor(10, 20, 30);

void Fill(TBitmap& bmp, TColor color, const RECT& r) {
  bmp.Canvas().Brush().SetColor(color);
  bmp.Canvas().FillRect(r);
}

void Prepare(TBitmap& bmp, int w, int h, TColor color) {
  bmp.SetSize(w, h);
  Fill(bmp, color, RECT{0, 0, w, h});
}

TColor At(TBitmap& bmp, int x, int y) { return bmp.Canvas().Pixel(x, y); }

void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(x & 0xFF);
  v.push_back(x >> 8);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back((x >> (8 * i)) & 0xFF);
}

// A bottom-up 24-bit BMP file of `w` x `h` built field by field; pixel (x, y) (y = 0 at the
// top) gets colour f(x, y).
template <typename F>
std::vector<uint8_t> Bmp24(int w, int h, F f) {
  const uint32_t stride = (w * 3 + 3) & ~3u;
  std::vector<uint8_t> v;
  v.push_back('B');
  v.push_back('M');
  Put32(v, 14 + 40 + stride * h);  // bfSize
  Put32(v, 0);                     // bfReserved1, bfReserved2
  Put32(v, 14 + 40);               // bfOffBits
  Put32(v, 40);                    // biSize
  Put32(v, w);                     // biWidth
  Put32(v, h);                     // biHeight (positive: bottom-up)
  Put16(v, 1);                     // biPlanes
  Put16(v, 24);                    // biBitCount
  Put32(v, 0);                     // biCompression = BI_RGB
  Put32(v, stride * h);            // biSizeImage
  Put32(v, 2835);                  // biXPelsPerMeter
  Put32(v, 2835);                  // biYPelsPerMeter
  Put32(v, 0);                     // biClrUsed
  Put32(v, 0);                     // biClrImportant
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      COLORREF c = f(x, y);
      v.push_back(GetBValue(c));
      v.push_back(GetGValue(c));
      v.push_back(GetRValue(c));
    }
    for (uint32_t pad = w * 3; pad < stride; ++pad) v.push_back(0);
  }
  return v;
}

TEST(BitmapTest, ResizingKeepsTheCommonAreaAndWhitensTheRest) {
  TBitmap bmp;
  EXPECT_TRUE(bmp.Empty());
  Prepare(bmp, 4, 3, clRed);
  bmp.SetSize(6, 5);
  EXPECT_EQ(bmp.Width(), 6);
  EXPECT_EQ(bmp.Height(), 5);
  EXPECT_EQ(At(bmp, 3, 2), clRed);
  EXPECT_EQ(At(bmp, 4, 2), clWhite);
  EXPECT_EQ(At(bmp, 0, 3), clWhite);
  bmp.SetWidth(2);
  EXPECT_EQ(At(bmp, 1, 1), clRed);
  bmp.SetSize(-5, kMaxBitmapDimension + 100);  // clamped, and empty without width
  EXPECT_TRUE(bmp.Empty());
}

TEST(BitmapTest, ScanLinesAreTopDownBgrAndSeeCanvasDrawing) {
  TBitmap bmp;
  Prepare(bmp, 5, 4, kBack);
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(bmp.BytesPerScanLine(), 16);  // 15 bytes padded to 4
  bmp.Canvas().SetPixel(2, 0, RGBColor(1, 2, 3));
  const uint8_t* top = bmp.ScanLine(0);
  EXPECT_EQ(top[6], 3);  // blue
  EXPECT_EQ(top[7], 2);
  EXPECT_EQ(top[8], 1);  // red
  uint8_t* bottom = bmp.ScanLine(3);
  bottom[0] = 0xFF;
  bottom[1] = 0;
  bottom[2] = 0;
  EXPECT_EQ(At(bmp, 0, 3), clBlue);
}

TEST(BitmapTest, ThirtyTwoBitFormatKeepsThePicture) {
  TBitmap bmp;
  Prepare(bmp, 3, 3, clLime);
  bmp.SetPixelFormat(pf32bit);
  EXPECT_EQ(bmp.PixelFormat(), pf32bit);
  EXPECT_EQ(bmp.BytesPerScanLine(), 12);
  EXPECT_EQ(At(bmp, 2, 2), clLime);
  bmp.SetPixelFormat(pf8bit);  // stored as 24-bit
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(At(bmp, 1, 1), clLime);
}

TEST(BitmapTest, AutomaticTransparentColourIsTheBottomLeftPixel) {
  TBitmap bmp;
  Prepare(bmp, 4, 4, clRed);
  bmp.Canvas().SetPixel(0, 3, clFuchsia);
  EXPECT_EQ(bmp.TransparentMode(), tmAuto);
  EXPECT_EQ(bmp.TransparentColor(), clFuchsia);
  bmp.SetTransparentColor(clLime);
  EXPECT_EQ(bmp.TransparentMode(), tmFixed);
  EXPECT_EQ(bmp.TransparentColor(), clLime);
  EXPECT_EQ(TBitmap().TransparentColor(), clNone);
}

TEST(BitmapTest, TransparentDrawLeavesTheDestinationWhereTheSourceIsTransparent) {
  // Source: fuchsia with a red square at (1,1)-(3,3); bottom-left pixel fuchsia.
  TBitmap src;
  Prepare(src, 4, 4, clFuchsia);
  Fill(src, clRed, RECT{1, 1, 3, 3});
  src.SetTransparent(true);
  TBitmap dst;
  Prepare(dst, 10, 10, kBack);
  dst.Canvas().Draw(2, 2, src);
  EXPECT_EQ(At(dst, 2, 2), kBack);  // source (0,0) is transparent
  EXPECT_EQ(At(dst, 3, 3), clRed);
  EXPECT_EQ(At(dst, 4, 4), clRed);
  EXPECT_EQ(At(dst, 5, 5), kBack);

  // Fixed mode: now red is left out and fuchsia is drawn.
  src.SetTransparentColor(clRed);
  Prepare(dst, 10, 10, kBack);
  dst.Canvas().Draw(2, 2, src);
  EXPECT_EQ(At(dst, 2, 2), clFuchsia);
  EXPECT_EQ(At(dst, 3, 3), kBack);

  // Not transparent: everything is copied.
  src.SetTransparent(false);
  dst.Canvas().Draw(2, 2, src);
  EXPECT_EQ(At(dst, 3, 3), clRed);
  EXPECT_EQ(At(dst, 2, 2), clFuchsia);
}

TEST(BitmapTest, StretchDrawFillsExactlyTheDestinationRectangle) {
  TBitmap src;
  Prepare(src, 3, 3, clBlue);
  TBitmap dst;
  Prepare(dst, 20, 20, kBack);
  dst.Canvas().StretchDraw(RECT{2, 3, 12, 10}, src);  // halftone over one colour stays blue
  EXPECT_EQ(At(dst, 2, 3), clBlue);
  EXPECT_EQ(At(dst, 11, 9), clBlue);
  EXPECT_EQ(At(dst, 7, 6), clBlue);
  EXPECT_EQ(At(dst, 12, 9), kBack);
  EXPECT_EQ(At(dst, 11, 10), kBack);
  EXPECT_EQ(At(dst, 1, 3), kBack);

  // A two-colour source keeps its halves apart when enlarged four times.
  Prepare(src, 2, 1, clRed);
  src.Canvas().SetPixel(1, 0, clLime);
  dst.Canvas().StretchDraw(RECT{0, 12, 8, 16}, src);
  EXPECT_EQ(At(dst, 0, 13), clRed);
  EXPECT_EQ(At(dst, 7, 13), clLime);
  EXPECT_EQ(At(dst, 8, 13), kBack);
}

TEST(BitmapTest, LoadsBottomUpBmpBytesIntoRowsTopDown) {
  auto file = Bmp24(3, 2, [](int x, int y) { return RGB(x * 50, y * 100, 7); });
  TBitmap bmp;
  ASSERT_TRUE(bmp.LoadFromBmpBytes(file.data(), file.size()));
  EXPECT_EQ(bmp.Width(), 3);
  EXPECT_EQ(bmp.Height(), 2);
  EXPECT_EQ(At(bmp, 0, 0), RGBColor(0, 0, 7));
  EXPECT_EQ(At(bmp, 2, 0), RGBColor(100, 0, 7));
  EXPECT_EQ(At(bmp, 1, 1), RGBColor(50, 100, 7));
  EXPECT_EQ(bmp.TransparentColor(), RGBColor(0, 100, 7));  // bottom-left
}

TEST(BitmapTest, DamagedBmpBytesAreRefusedAndLeaveTheBitmapUnchanged) {
  auto file = Bmp24(4, 4, [](int, int) { return RGB(1, 1, 1); });
  TBitmap bmp;
  Prepare(bmp, 2, 2, clRed);
  EXPECT_FALSE(bmp.LoadFromBmpBytes(file.data(), file.size() - 5));  // pixels cut short
  EXPECT_FALSE(bmp.LoadFromBmpBytes(file.data(), 20));               // header cut short
  auto bad = file;
  bad[0] = 'X';
  EXPECT_FALSE(bmp.LoadFromBmpBytes(bad.data(), bad.size()));
  EXPECT_FALSE(bmp.LoadFromBmpBytes(nullptr, 0));
  EXPECT_EQ(bmp.Width(), 2);
  EXPECT_EQ(At(bmp, 1, 1), clRed);
}

TEST(BitmapTest, LoadsSkinImagesWithTheirTransparency) {
  skin::SkinImage image(3, 2, skin::MakeColor(9, 8, 7));
  image.SetPixel(2, 1, skin::MakeColor(255, 0, 0));
  image.transparentMode = skin::TransparentMode::Fixed;
  image.transparentColor = skin::MakeColor(9, 8, 7);
  TBitmap bmp;
  bmp.LoadFromSkinImage(image);
  EXPECT_EQ(bmp.Width(), 3);
  EXPECT_EQ(At(bmp, 2, 1), clRed);
  EXPECT_EQ(At(bmp, 0, 0), RGBColor(9, 8, 7));
  EXPECT_EQ(bmp.TransparentMode(), tmFixed);
  EXPECT_EQ(bmp.TransparentColor(), RGBColor(9, 8, 7));

  image.transparentMode = skin::TransparentMode::Auto;
  image.SetPixel(0, 1, skin::MakeColor(0, 0, 255));
  bmp.LoadFromSkinImage(image);
  EXPECT_EQ(bmp.TransparentMode(), tmAuto);
  EXPECT_EQ(bmp.TransparentColor(), clBlue);

  image.pixels.resize(2);  // inconsistent with its size: loads as empty
  bmp.LoadFromSkinImage(image);
  EXPECT_TRUE(bmp.Empty());
}

TEST(BitmapTest, LoadsRawPixelsInEitherByteOrder) {
  const uint8_t pixels[] = {1, 2, 3, 4,  5,  6,  0, 0,  // row 0 (padded to 8 bytes)
                            7, 8, 9, 10, 11, 12, 0, 0};
  TBitmap bmp;
  bmp.LoadFromPixels(2, 2, pixels, 8, PixelOrder::RGB);
  EXPECT_EQ(At(bmp, 0, 0), RGBColor(1, 2, 3));
  EXPECT_EQ(At(bmp, 1, 1), RGBColor(10, 11, 12));
  bmp.LoadFromPixels(2, 2, pixels, 8, PixelOrder::BGR);
  EXPECT_EQ(At(bmp, 0, 0), RGBColor(3, 2, 1));
  EXPECT_EQ(At(bmp, 0, 1), RGBColor(9, 8, 7));
}

TEST(BitmapTest, AssignCopiesPixelsAndTransparencyIndependently) {
  TBitmap a;
  Prepare(a, 3, 3, clTeal);
  a.SetTransparent(true);
  a.SetTransparentColor(clTeal);
  TBitmap b;
  b.Assign(a);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(At(b, 1, 1), clTeal);
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentColor(), clTeal);
  Fill(a, clRed, RECT{0, 0, 3, 3});
  EXPECT_EQ(At(b, 1, 1), clTeal);
}

TEST(BitmapTest, OnChangeFiresForSizeAndTransparency) {
  TBitmap bmp;
  int changes = 0;
  bmp.OnChange = [&](TBitmap&) { ++changes; };
  bmp.SetSize(2, 2);
  bmp.SetSize(2, 2);
  bmp.SetTransparent(true);
  EXPECT_EQ(changes, 2);
}

TEST(BitmapTest, LoadsAPictureFromAHandle) {
  TBitmap src;
  Prepare(src, 5, 3, clNavy);
  src.Canvas().SetPixel(4, 2, clYellow);
  BitmapHandle copy = src.CopyHandle();
  TBitmap bmp;
  ASSERT_TRUE(bmp.LoadFromHandle(copy.Get()));
  EXPECT_EQ(bmp.Width(), 5);
  EXPECT_EQ(At(bmp, 0, 0), clNavy);
  EXPECT_EQ(At(bmp, 4, 2), clYellow);
  EXPECT_FALSE(bmp.LoadFromHandle(nullptr));
}

TEST(IconTest, SystemIconsAreSharedAndCopiesOwned) {
  long before = LiveHandles(HandleKind::Icon);
  {
    TIcon shared;
    ASSERT_TRUE(shared.LoadSystem(IDI_ERROR));
    EXPECT_EQ(shared.Width(), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(LiveHandles(HandleKind::Icon), before);
    TIcon own;
    own.Assign(shared);
    EXPECT_FALSE(own.Empty());
    EXPECT_NE(own.Handle(), shared.Handle());
    EXPECT_EQ(LiveHandles(HandleKind::Icon), before + 1);

    TBitmap bmp;
    Prepare(bmp, 40, 40, kBack);
    bmp.Canvas().Draw(4, 4, own);
    int drawn = 0;
    for (int y = 4; y < 36; ++y) {
      for (int x = 4; x < 36; ++x) drawn += At(bmp, x, y) != kBack;
    }
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(At(bmp, 37, 37), kBack);
  }
  EXPECT_EQ(LiveHandles(HandleKind::Icon), before);
}

TEST(HandleLeakTest, ThousandBitmapsWithCanvasesReturnToBaseline) {
  HandleSnapshot before = HandleSnapshot::Take();
  {
    TBitmap target(16, 16);
    for (int i = 0; i < 1000; ++i) {
      TBitmap bmp(8 + i % 5, 8);
      bmp.Canvas().Brush().SetColor(RGBColor(i & 0xFF, 0, 0));
      bmp.Canvas().Rectangle(0, 0, 4, 4);
      bmp.SetSize(12, 9);  // re-creates the DIB under a live canvas
      bmp.Canvas().TextWidth("x");
      bmp.SetTransparent(i % 2 == 0);
      target.Canvas().Draw(0, 0, bmp);
      target.Canvas().StretchDraw(RECT{0, 0, 16, 16}, bmp);
      TBitmap copy;
      copy.Assign(bmp);
      BitmapHandle handle = copy.CopyHandle();
    }
    EXPECT_FALSE(HandleSnapshot::Take() == before);  // the target and its canvas are counted
  }
  EXPECT_TRUE(HandleSnapshot::Take() == before);
}

}  // namespace
}  // namespace framework
