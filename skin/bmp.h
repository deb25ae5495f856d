// Windows bitmap files (BMP) <-> SkinImage. The decoder reads the bitmaps of skin resource
// files, which are untrusted: every offset is bounds-checked and sizes are limited. The encoder
// writes 24-bit files for the skin tools, the picture generators and tests; its header writers
// also serve the icon images of dzglyphs and the decoder tests. Stateless and thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/skinimage.h"

namespace skin {

// Limits on hostile input: no skin piece comes near these, and they bound the memory one
// bitmap can claim (kMaxBmpPixels colours of 4 bytes = 16 MB).
constexpr int kMaxBmpDimension = 8192;
constexpr int64_t kMaxBmpPixels = int64_t(1) << 22;

enum class BmpStatus {
  kOk,
  kTruncated,      // a header, colour table or pixel row lies beyond the data
  kNotBitmap,      // no "BM" signature, or an unknown info header size
  kUnsupported,    // compressed (RLE, JPEG, PNG) or an unusual bit depth or plane count
  kBadDimensions,  // zero or negative width, zero height
  kTooLarge,       // beyond kMaxBmpDimension or kMaxBmpPixels
};

const char* BmpStatusText(BmpStatus status);

// Decodes a complete BMP file (file header, info header, optional masks and colour table,
// pixels): uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up or top-down, core
// (12-byte) or Windows (40-byte and larger) info headers, 16/32-bit bit fields. Palette indexes
// beyond the colour table read as black. On failure `image` is left unchanged.
BmpStatus DecodeBmp(const uint8_t* data, size_t size, SkinImage& image);

constexpr uint32_t kBmpFileHeaderSize = 14;
constexpr uint32_t kBmpInfoHeaderSize = 40;  // BITMAPINFOHEADER

// The values of a 40-byte info header as the encoders write it (planes are always 1).
struct TBmpInfoHeader {
  int32_t width = 0;
  int32_t height = 0;  // positive: bottom-up
  uint16_t bitsPerPixel = 24;
  uint32_t compression = 0;      // 0 RGB, 3 bit fields
  uint32_t imageSize = 0;        // bytes of the pixel rows
  int32_t xPelsPerMeter = 2835;  // 72 dpi
  int32_t yPelsPerMeter = 2835;
  uint32_t colorsUsed = 0;
  uint32_t colorsImportant = 0;
};

// Append the 14-byte file header ("BM", file size, reserved 0, pixel data offset) and the
// 40-byte info header to `out`.
void AppendBmpFileHeader(std::vector<uint8_t>& out, uint32_t fileSize, uint32_t pixelOffset);
void AppendBmpInfoHeader(std::vector<uint8_t>& out, const TBmpInfoHeader& header);

// Encodes an image as a bottom-up, uncompressed 24-bit BMP file.
std::vector<uint8_t> EncodeBmp24(const SkinImage& image);

}  // namespace skin
