// BMP decoder: every supported bit depth and row order, built field by field here, and the
// failure modes of hostile headers.
#include "skin/bmp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/bytereader.h"
#include "platform/bytewriter.h"

namespace skin {
namespace {

// Headers of other kinds than the encoders write (core, version 4), field by field.
struct BmpBuilder {
  std::vector<uint8_t> bytes;
  void U8(uint32_t v) { bytes.push_back(uint8_t(v)); }
  void U16(uint32_t v) { platform::AppendU16(bytes, uint16_t(v)); }
  void U32(uint32_t v) { platform::AppendU32(bytes, v); }
};

// A BMP with a 40-byte info header; `extra` (masks, colour table) sits between the info
// header and the pixel rows, which are given already padded.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, uint16_t bpp, uint32_t compression,
                             const std::vector<uint8_t>& extra, const std::vector<uint8_t>& rows,
                             uint32_t colorsUsed = 0) {
  std::vector<uint8_t> b;
  const uint32_t pixelOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize + uint32_t(extra.size());
  AppendBmpFileHeader(b, pixelOffset + uint32_t(rows.size()), pixelOffset);
  TBmpInfoHeader info;
  info.width = width;
  info.height = height;
  info.bitsPerPixel = bpp;
  info.compression = compression;
  info.imageSize = uint32_t(rows.size());
  info.xPelsPerMeter = info.yPelsPerMeter = 0;
  info.colorsUsed = colorsUsed;
  AppendBmpInfoHeader(b, info);
  b.insert(b.end(), extra.begin(), extra.end());
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

SkinImage Decode(const std::vector<uint8_t>& file, BmpStatus expect = BmpStatus::kOk) {
  SkinImage img;
  EXPECT_EQ(DecodeBmp(file.data(), file.size(), img), expect);
  return img;
}

const ColorRef kRed = MakeColor(255, 0, 0), kGreen = MakeColor(0, 255, 0),
               kBlue = MakeColor(0, 0, 255), kWhite = MakeColor(255, 255, 255);

TEST(BmpDecode, TwentyFourBitBottomUpPutsFirstRowAtTheBottom) {
  // 2 x 2: bottom row red, green; top row blue, white. Rows padded to 8 bytes.
  std::vector<uint8_t> rows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
  SkinImage img = Decode(MakeBmp(2, 2, 24, 0, {}, rows));
  ASSERT_EQ(img.width, 2);
  ASSERT_EQ(img.height, 2);
  EXPECT_EQ(img.Pixel(0, 1), kRed);
  EXPECT_EQ(img.Pixel(1, 1), kGreen);
  EXPECT_EQ(img.Pixel(0, 0), kBlue);
  EXPECT_EQ(img.Pixel(1, 0), kWhite);
}

TEST(BmpDecode, NegativeHeightIsTopDown) {
  std::vector<uint8_t> rows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
  SkinImage img = Decode(MakeBmp(2, -2, 24, 0, {}, rows));
  EXPECT_EQ(img.Pixel(0, 0), kRed);
  EXPECT_EQ(img.Pixel(1, 1), kWhite);
}

TEST(BmpDecode, OneBitUsesTheColourTableMostSignificantBitFirst) {
  std::vector<uint8_t> table = {0, 0, 0, 0, 255, 255, 255, 0};  // black, white
  std::vector<uint8_t> rows = {0xA0, 0, 0, 0};                  // 1,0,1 then padding
  SkinImage img = Decode(MakeBmp(3, 1, 1, 0, table, rows));
  EXPECT_EQ(img.Pixel(0, 0), kWhite);
  EXPECT_EQ(img.Pixel(1, 0), 0u);
  EXPECT_EQ(img.Pixel(2, 0), kWhite);
}

TEST(BmpDecode, FourAndEightBitIndexesAndShortColourTable) {
  // colorsUsed = 2: index 2 is beyond the table and reads as black.
  std::vector<uint8_t> table = {255, 0, 0, 0, 0, 0, 255, 0};  // blue, red
  SkinImage four = Decode(MakeBmp(3, 1, 4, 0, table, {0x10, 0x20, 0, 0}, 2));
  EXPECT_EQ(four.Pixel(0, 0), kRed);
  EXPECT_EQ(four.Pixel(1, 0), kBlue);
  EXPECT_EQ(four.Pixel(2, 0), 0u);
  SkinImage eight = Decode(MakeBmp(3, 1, 8, 0, table, {1, 0, 7, 0}, 2));
  EXPECT_EQ(eight.Pixel(0, 0), kRed);
  EXPECT_EQ(eight.Pixel(1, 0), kBlue);
  EXPECT_EQ(eight.Pixel(2, 0), 0u);
}

TEST(BmpDecode, SixteenBitDefaultsTo555AndHonoursBitFields) {
  // 555: 0x7C00 is full red. Scaled 5-bit channels reach 255.
  SkinImage rgb = Decode(MakeBmp(1, 1, 16, 0, {}, {0x00, 0x7C, 0, 0}));
  EXPECT_EQ(rgb.Pixel(0, 0), kRed);
  // 565 bit fields: 0x07E0 is full green.
  BmpBuilder masks;
  masks.U32(0xF800), masks.U32(0x07E0), masks.U32(0x001F);
  SkinImage fields = Decode(MakeBmp(2, 1, 16, 3, masks.bytes, {0xE0, 0x07, 0x1F, 0x00}));
  EXPECT_EQ(fields.Pixel(0, 0), kGreen);
  EXPECT_EQ(fields.Pixel(1, 0), kBlue);
}

TEST(BmpDecode, ThirtyTwoBitPlainAndBitFields) {
  SkinImage plain = Decode(MakeBmp(1, 1, 32, 0, {}, {0x30, 0x20, 0x10, 0xFF}));
  EXPECT_EQ(plain.Pixel(0, 0), MakeColor(0x10, 0x20, 0x30));
  BmpBuilder masks;  // R, G, B in the low three bytes, in reverse order
  masks.U32(0x000000FF), masks.U32(0x0000FF00), masks.U32(0x00FF0000);
  SkinImage fields = Decode(MakeBmp(1, 1, 32, 3, masks.bytes, {0x30, 0x20, 0x10, 0}));
  EXPECT_EQ(fields.Pixel(0, 0), MakeColor(0x30, 0x20, 0x10));
}

TEST(BmpDecode, LargerHeadersCarryTheirOwnMasks) {
  // A 108-byte (version 4) header: masks at offset 40 inside it, colour space data after.
  BmpBuilder b;
  const uint32_t pixelOffset = 14 + 108;
  b.U8('B'), b.U8('M'), b.U32(pixelOffset + 4), b.U32(0), b.U32(pixelOffset);
  b.U32(108), b.U32(1), b.U32(uint32_t(-1)), b.U16(1), b.U16(32), b.U32(3), b.U32(4);
  b.U32(0), b.U32(0), b.U32(0), b.U32(0);
  b.U32(0x0000FF00), b.U32(0x00FF0000), b.U32(0xFF000000), b.U32(0x000000FF);  // R G B A
  b.bytes.resize(pixelOffset, 0);
  b.U32(0x30201000);  // red 0x10, green 0x20, blue 0x30
  SkinImage img = Decode(b.bytes);
  EXPECT_EQ(img.Pixel(0, 0), MakeColor(0x10, 0x20, 0x30));
}

TEST(BmpDecode, CoreHeaderWithThreeByteColourTable) {
  BmpBuilder b;
  const uint32_t pixelOffset = 14 + 12 + 6;
  b.U8('B'), b.U8('M'), b.U32(pixelOffset + 4), b.U32(0), b.U32(pixelOffset);
  b.U32(12), b.U16(2), b.U16(1), b.U16(1), b.U16(1);
  b.U8(0), b.U8(255), b.U8(0);  // green
  b.U8(0), b.U8(0), b.U8(255);  // red
  b.U32(0x40);                  // 0, 1
  SkinImage img = Decode(b.bytes);
  EXPECT_EQ(img.Pixel(0, 0), kGreen);
  EXPECT_EQ(img.Pixel(1, 0), kRed);
}

TEST(BmpDecode, RejectsHostileOrUnsupportedHeaders) {
  std::vector<uint8_t> rows = {1, 2, 3, 0};
  std::vector<uint8_t> good = MakeBmp(1, 1, 24, 0, {}, rows);
  Decode(good);

  std::vector<uint8_t> pk = good;
  pk[0] = 'P';
  Decode(pk, BmpStatus::kNotBitmap);
  Decode(MakeBmp(1, 1, 24, 1, {}, rows), BmpStatus::kUnsupported);  // RLE8
  Decode(MakeBmp(1, 1, 12, 0, {}, rows), BmpStatus::kUnsupported);
  Decode(MakeBmp(0, 1, 24, 0, {}, rows), BmpStatus::kBadDimensions);
  Decode(MakeBmp(-1, 1, 24, 0, {}, rows), BmpStatus::kBadDimensions);
  Decode(MakeBmp(1, 0, 24, 0, {}, rows), BmpStatus::kBadDimensions);
  Decode(MakeBmp(kMaxBmpDimension + 1, 1, 24, 0, {}, rows), BmpStatus::kTooLarge);
  Decode(MakeBmp(4096, 4096, 24, 0, {}, rows), BmpStatus::kTooLarge);
  // Claims more rows than the data holds.
  Decode(MakeBmp(1, 3, 24, 0, {}, rows), BmpStatus::kTruncated);
  // Pixel offset pointing past the end.
  std::vector<uint8_t> far = good;
  far[10] = 0xF0;
  Decode(far, BmpStatus::kTruncated);
  // Every truncation of the file fails without reading past it (only the last row's padding
  // byte may be missing).
  for (size_t n = 0; n + 1 < good.size(); ++n) {
    SkinImage img;
    EXPECT_NE(DecodeBmp(good.data(), n, img), BmpStatus::kOk) << n;
    EXPECT_TRUE(img.Empty());
  }
}

TEST(BmpEncode, HeadersGiveSizesBottomUpRowsAndSeventyTwoDpi) {
  const std::vector<uint8_t> file = EncodeBmp24(SkinImage(3, 2, kRed));
  // Rows of 3 * 3 bytes padded to 12.
  ASSERT_EQ(file.size(), 14u + 40u + 2 * 12u);
  platform::ByteReader r(file.data(), file.size());
  EXPECT_EQ(r.U8(), 'B');
  EXPECT_EQ(r.U8(), 'M');
  EXPECT_EQ(r.U32(), file.size());  // file size
  EXPECT_EQ(r.U32(), 0u);           // reserved
  EXPECT_EQ(r.U32(), 54u);          // pixel offset
  EXPECT_EQ(r.U32(), 40u);          // info header size
  EXPECT_EQ(r.I32(), 3);            // width
  EXPECT_EQ(r.I32(), 2);            // height, positive: bottom-up
  EXPECT_EQ(r.U16(), 1u);           // planes
  EXPECT_EQ(r.U16(), 24u);          // bits per pixel
  EXPECT_EQ(r.U32(), 0u);           // compression: RGB
  EXPECT_EQ(r.U32(), 24u);          // image size
  EXPECT_EQ(r.U32(), 2835u);        // pixels per metre, x and y
  EXPECT_EQ(r.U32(), 2835u);
  EXPECT_EQ(r.U32(), 0u);  // colours used
  EXPECT_EQ(r.U32(), 0u);  // colours important
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.pos(), 54u);
  const uint8_t bgr[3] = {r.U8(), r.U8(), r.U8()};
  EXPECT_EQ(bgr[0], 0);
  EXPECT_EQ(bgr[1], 0);
  EXPECT_EQ(bgr[2], 255);
}

TEST(BmpEncode, TwentyFourBitRoundTripIsExact) {
  SkinImage img(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) img.SetPixel(x, y, MakeColor(uint8_t(x * 50), uint8_t(y * 90), 7));
  std::vector<uint8_t> file = EncodeBmp24(img);
  EXPECT_EQ(file.size(), 14u + 40u + 16u * 3u);  // 5 * 3 bytes padded to 16 per row
  SkinImage back = Decode(file);
  EXPECT_EQ(back.width, 5);
  EXPECT_EQ(back.height, 3);
  EXPECT_EQ(back.pixels, img.pixels);
}

}  // namespace
}  // namespace skin
