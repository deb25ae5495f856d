// BMP decoding and encoding.
//
// File header (14 bytes):
//   OFFSET SIZE MEANING
//        0    2 "BM"
//        2    4 file size (not trusted)
//        6    4 reserved
//       10    4 offset of the pixel data from the start of the file
// Info header, at 14; its first 4 bytes give its size:
//   12 (core):   width u16, height u16, planes u16, bits per pixel u16; colour table entries
//                are 3 bytes (blue, green, red)
//   40 or more:  width i32, height i32 (negative = top-down), planes u16, bits per pixel u16,
//                compression u32 (0 = RGB, 3 = bit fields), image size u32, resolutions 2 x
//                i32, colours used u32, colours important u32; then, in headers of 52 bytes or
//                more, the red, green and blue masks. A 40-byte header with bit fields is
//                followed by the three masks. Colour table entries are 4 bytes (b, g, r, 0).
// Pixel rows are padded to 4 bytes; bottom row first unless the height is negative.
#include "skin/bmp.h"

#include <algorithm>
#include <cstdlib>

#include "platform/bytereader.h"
#include "platform/bytewriter.h"

namespace skin {
namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = kBmpInfoHeaderSize;
constexpr uint32_t kInfoHeaderWithMasks = 52;
constexpr uint32_t kMaxInfoHeaderSize = 124;  // BITMAPV5HEADER, the largest defined
constexpr uint32_t kFileHeaderSize = kBmpFileHeaderSize;
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionBitFields = 3;

// One channel of a bit-field pixel: where it sits and how wide it is.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint8_t Extract(uint32_t pixel) const {
    if (bits == 0) return 0;
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return uint8_t(v >> (bits - 8));
    uint32_t max = (1u << bits) - 1;
    return uint8_t((v * 255 + max / 2) / max);
  }
};

struct Header {
  int64_t width = 0;
  int64_t height = 0;  // positive; topDown says the row order
  bool topDown = false;
  uint32_t bitsPerPixel = 0;
  uint32_t compression = kCompressionRgb;
  uint32_t colorsUsed = 0;
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  bool core = false;
  size_t tableOffset = 0;  // where the colour table (if any) begins
};

BmpStatus ReadHeader(platform::ByteReader& r, Header& h) {
  r.Seek(kFileHeaderSize);
  uint32_t headerSize = r.U32();
  if (!r.ok()) return BmpStatus::kTruncated;
  if (headerSize == kCoreHeaderSize) {
    h.core = true;
    h.width = r.U16();
    h.height = r.U16();
    if (r.U16() != 1) return BmpStatus::kUnsupported;
    h.bitsPerPixel = r.U16();
  } else if (headerSize >= kInfoHeaderSize && headerSize <= kMaxInfoHeaderSize) {
    h.width = int32_t(r.U32());
    int64_t height = int32_t(r.U32());
    h.topDown = height < 0;
    h.height = std::llabs(height);
    if (r.U16() != 1) return BmpStatus::kUnsupported;
    h.bitsPerPixel = r.U16();
    h.compression = r.U32();
    r.Skip(12);  // image size, resolutions
    h.colorsUsed = r.U32();
    r.Skip(4);  // colours important
    if (h.compression == kCompressionBitFields) {
      // Masks follow a 40-byte header, or sit inside a larger one at the same place.
      for (uint32_t& m : h.masks) m = r.U32();
      if (headerSize >= kInfoHeaderWithMasks) r.Seek(kFileHeaderSize + headerSize);
      headerSize = std::max(headerSize, kInfoHeaderWithMasks);
    }
  } else {
    return BmpStatus::kNotBitmap;
  }
  if (!r.ok()) return BmpStatus::kTruncated;
  h.tableOffset = kFileHeaderSize + headerSize;
  return BmpStatus::kOk;
}

BmpStatus CheckHeader(const Header& h) {
  switch (h.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 24:
      if (h.compression != kCompressionRgb) return BmpStatus::kUnsupported;
      break;
    case 16:
    case 32:
      if (h.compression != kCompressionRgb && h.compression != kCompressionBitFields)
        return BmpStatus::kUnsupported;
      break;
    default:
      return BmpStatus::kUnsupported;
  }
  if (h.width <= 0 || h.height <= 0) return BmpStatus::kBadDimensions;
  if (h.width > kMaxBmpDimension || h.height > kMaxBmpDimension ||
      h.width * h.height > kMaxBmpPixels)
    return BmpStatus::kTooLarge;
  return BmpStatus::kOk;
}

BmpStatus ReadColorTable(platform::ByteReader& r, const Header& h, std::vector<ColorRef>& table) {
  if (h.bitsPerPixel > 8) return BmpStatus::kOk;
  uint32_t entries = 1u << h.bitsPerPixel;
  if (!h.core && h.colorsUsed != 0 && h.colorsUsed < entries) entries = h.colorsUsed;
  r.Seek(h.tableOffset);
  table.resize(entries);
  for (ColorRef& c : table) {
    uint8_t b = r.U8(), g = r.U8(), red = r.U8();
    if (!h.core) r.Skip(1);
    c = MakeColor(red, g, b);
  }
  return r.ok() ? BmpStatus::kOk : BmpStatus::kTruncated;
}

// Decodes one row of `h.width` pixels starting at `row`.
void DecodeRow(const uint8_t* row, const Header& h, const std::vector<ColorRef>& table,
               const Channel (&ch)[3], ColorRef* out) {
  const int64_t w = h.width;
  switch (h.bitsPerPixel) {
    case 1:
    case 4:
    case 8: {
      const uint32_t bpp = h.bitsPerPixel;
      const uint32_t perByte = 8 / bpp, mask = (1u << bpp) - 1;
      for (int64_t x = 0; x < w; ++x) {
        uint32_t shift = 8 - bpp * (uint32_t(x % perByte) + 1);
        uint32_t index = (row[x / perByte] >> shift) & mask;
        out[x] = index < table.size() ? table[index] : 0;
      }
      break;
    }
    case 16:
      for (int64_t x = 0; x < w; ++x) {
        uint32_t p = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        out[x] = MakeColor(ch[0].Extract(p), ch[1].Extract(p), ch[2].Extract(p));
      }
      break;
    case 24:
      for (int64_t x = 0; x < w; ++x) {
        const uint8_t* p = row + 3 * x;
        out[x] = MakeColor(p[2], p[1], p[0]);
      }
      break;
    case 32:
      for (int64_t x = 0; x < w; ++x) {
        const uint8_t* b = row + 4 * x;
        uint32_t p =
            uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        out[x] = MakeColor(ch[0].Extract(p), ch[1].Extract(p), ch[2].Extract(p));
      }
      break;
  }
}

}  // namespace

const char* BmpStatusText(BmpStatus status) {
  switch (status) {
    case BmpStatus::kOk:
      return "ok";
    case BmpStatus::kTruncated:
      return "bitmap data is truncated";
    case BmpStatus::kNotBitmap:
      return "not a bitmap file";
    case BmpStatus::kUnsupported:
      return "unsupported bitmap format";
    case BmpStatus::kBadDimensions:
      return "bitmap has no pixels";
    case BmpStatus::kTooLarge:
      return "bitmap is too large";
  }
  return "unknown bitmap status";
}

BmpStatus DecodeBmp(const uint8_t* data, size_t size, SkinImage& image) {
  platform::ByteReader r(data, size);
  if (r.U8() != 'B' || r.U8() != 'M') return r.ok() ? BmpStatus::kNotBitmap : BmpStatus::kTruncated;
  r.Seek(10);
  const uint32_t pixelOffset = r.U32();
  if (!r.ok()) return BmpStatus::kTruncated;

  Header h;
  if (BmpStatus s = ReadHeader(r, h); s != BmpStatus::kOk) return s;
  if (BmpStatus s = CheckHeader(h); s != BmpStatus::kOk) return s;
  std::vector<ColorRef> table;
  if (BmpStatus s = ReadColorTable(r, h, table); s != BmpStatus::kOk) return s;

  uint32_t masks[3] = {h.masks[0], h.masks[1], h.masks[2]};
  if (h.compression == kCompressionRgb) {
    if (h.bitsPerPixel == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
      masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
  }
  const Channel ch[3] = {Channel(masks[0]), Channel(masks[1]), Channel(masks[2])};

  // Widths and heights are at most kMaxBmpDimension, so these products cannot overflow.
  const uint64_t rowBytes = (uint64_t(h.width) * h.bitsPerPixel + 7) / 8;
  const uint64_t stride = (uint64_t(h.width) * h.bitsPerPixel + 31) / 32 * 4;
  const uint64_t needed = uint64_t(pixelOffset) + stride * uint64_t(h.height - 1) + rowBytes;
  if (needed > size) return BmpStatus::kTruncated;

  SkinImage out(int(h.width), int(h.height));
  for (int64_t row = 0; row < h.height; ++row) {
    const uint8_t* src = data + pixelOffset + stride * uint64_t(row);
    const int64_t y = h.topDown ? row : h.height - 1 - row;
    DecodeRow(src, h, table, ch, &out.pixels[size_t(y * h.width)]);
  }
  image = std::move(out);
  return BmpStatus::kOk;
}

void AppendBmpFileHeader(std::vector<uint8_t>& out, uint32_t fileSize, uint32_t pixelOffset) {
  out.push_back('B');
  out.push_back('M');
  platform::AppendU32(out, fileSize);
  platform::AppendU32(out, 0);  // reserved
  platform::AppendU32(out, pixelOffset);
}

void AppendBmpInfoHeader(std::vector<uint8_t>& out, const TBmpInfoHeader& h) {
  platform::AppendU32(out, kInfoHeaderSize);
  platform::AppendU32(out, uint32_t(h.width));
  platform::AppendU32(out, uint32_t(h.height));
  platform::AppendU16(out, 1);  // planes
  platform::AppendU16(out, h.bitsPerPixel);
  platform::AppendU32(out, h.compression);
  platform::AppendU32(out, h.imageSize);
  platform::AppendU32(out, uint32_t(h.xPelsPerMeter));
  platform::AppendU32(out, uint32_t(h.yPelsPerMeter));
  platform::AppendU32(out, h.colorsUsed);
  platform::AppendU32(out, h.colorsImportant);
}

std::vector<uint8_t> EncodeBmp24(const SkinImage& image) {
  const uint32_t w = uint32_t(image.width), h = uint32_t(image.height);
  const uint32_t stride = (w * 3 + 3) & ~3u;
  const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize;
  std::vector<uint8_t> out;
  out.reserve(pixelOffset + size_t(stride) * h);
  AppendBmpFileHeader(out, pixelOffset + stride * h, pixelOffset);
  TBmpInfoHeader info;
  info.width = int32_t(w);
  info.height = int32_t(h);  // positive: bottom-up
  info.imageSize = stride * h;
  AppendBmpInfoHeader(out, info);
  for (uint32_t row = 0; row < h; ++row) {
    const uint32_t y = h - 1 - row;
    for (uint32_t x = 0; x < w; ++x) {
      ColorRef c = image.Pixel(int(x), int(y));
      out.push_back(BlueOf(c));
      out.push_back(GreenOf(c));
      out.push_back(RedOf(c));
    }
    for (uint32_t pad = w * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace skin
