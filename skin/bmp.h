// Windows bitmap files (BMP) <-> SkinImage. The decoder reads the bitmaps of skin resource
// files, which are untrusted: every offset is bounds-checked and sizes are limited. The encoder
// writes 24-bit files for the skin tools and tests. Stateless and thread-safe.
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

// Encodes an image as a bottom-up, uncompressed 24-bit BMP file.
std::vector<uint8_t> EncodeBmp24(const SkinImage& image);

}  // namespace skin
