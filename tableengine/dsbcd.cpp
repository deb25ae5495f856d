// Packed decimal conversion and comparison.
#include "tableengine/dsbcd.h"

#include <cstring>

namespace dsengine {

namespace {
uint8_t Nibble(const uint8_t* digits, uint32_t i) {
  const uint8_t b = digits[i / 2];
  return (i % 2 == 0) ? uint8_t(b >> 4) : uint8_t(b & 0x0F);
}
bool IsZero(const BcdValue& v) {
  for (uint8_t d : v.digits)
    if (d) return false;
  return true;
}
}  // namespace

bool BcdUnpack(const uint8_t* src, size_t length, BcdValue* value) {
  memset(value, 0, sizeof *value);
  if (length < 2) return false;
  const uint32_t precision = src[0];
  const uint32_t places = src[1] & 0x3F;
  if (precision > 2 * (length - 2) || places > precision) return false;
  const uint32_t intDigits = precision - places;
  if (intDigits > uint32_t(kBcdIntDigits)) return false;
  value->negative = (src[1] & 0x80) != 0;
  for (uint32_t i = 0; i < precision; ++i) {
    const uint8_t d = Nibble(src + 2, i);
    if (d > 9) return false;
    value->digits[kBcdIntDigits - intDigits + i] = d;
  }
  if (IsZero(*value)) value->negative = false;
  return true;
}

int BcdCompare(const BcdValue& a, const BcdValue& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  const int c = memcmp(a.digits, b.digits, sizeof a.digits);
  const int sign = c < 0 ? -1 : (c > 0 ? 1 : 0);
  return a.negative ? -sign : sign;
}

bool BcdPack(const BcdValue& value, uint32_t precision, uint32_t places, uint8_t* dst,
             size_t length) {
  if (places > precision || places > 63 || length < 2 + (precision + 1) / 2) return false;
  const uint32_t intDigits = precision - places;
  if (intDigits > uint32_t(kBcdIntDigits) || places > uint32_t(kBcdFracDigits)) return false;
  for (int i = 0; i < kBcdIntDigits - int(intDigits); ++i)
    if (value.digits[i]) return false;
  memset(dst, 0, length);
  dst[0] = static_cast<uint8_t>(precision);
  dst[1] = static_cast<uint8_t>(places);
  const uint8_t* first = value.digits + kBcdIntDigits - intDigits;
  bool any = false;
  for (uint32_t i = 0; i < precision; ++i) {
    const uint8_t d = first[i];
    any |= d != 0;
    dst[2 + i / 2] |= (i % 2 == 0) ? uint8_t(d << 4) : d;
  }
  if (value.negative && any) dst[1] |= 0x80;
  return true;
}

}  // namespace dsengine
