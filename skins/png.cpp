// PNG encoding of the contact sheet (see png.h).
#include "skins/png.h"

#include <zlib.h>

namespace skingen {
namespace {

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBE32(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBE32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

}  // namespace

std::vector<uint8_t> EncodePng(const skin::SkinImage& img) {
  std::vector<uint8_t> raw;
  raw.reserve(size_t(img.height) * (1 + 3 * size_t(img.width)));
  for (int y = 0; y < img.height; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < img.width; ++x) {
      const skin::ColorRef c = img.Pixel(x, y);
      raw.push_back(skin::RedOf(c));
      raw.push_back(skin::GreenOf(c));
      raw.push_back(skin::BlueOf(c));
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9);
  packed.resize(packedSize);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBE32(header, uint32_t(img.width));
  PutBE32(header, uint32_t(img.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace skingen
