// Packed decimals (engine types 8 and 25): unpacking to a fixed-point form, comparison and
// re-packing to a field's digits and places. Used by the key comparers and by put-field.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dsengine {

// Packed decimal as held in a record (2 + ceil(precision / 2) bytes, at most 34):
//   OFFSET SIZE MEANING
//      0    1   precision: number of digits
//      1    1   bit 7 sign (1 = negative), bits 0-5 decimal places
//      2    n   digits, two per byte, high nibble first, most significant first

constexpr int kBcdIntDigits = 64;   // integer digits of the fixed-point form
constexpr int kBcdFracDigits = 64;  // fraction digits of the fixed-point form

struct BcdValue {
  bool negative;
  uint8_t digits[kBcdIntDigits + kBcdFracDigits];  // most significant first, one per byte
};

// False for a malformed value (precision or places beyond the bytes, a nibble above 9).
bool BcdUnpack(const uint8_t* src, size_t length, BcdValue* value);
// Sign first, then the digits; -0 equals 0.
int BcdCompare(const BcdValue& a, const BcdValue& b);
// Writes the value with `precision` digits and `places` decimal places into `length` bytes
// (fraction digits beyond `places` are dropped). False when the integer part does not fit.
bool BcdPack(const BcdValue& value, uint32_t precision, uint32_t places, uint8_t* dst,
             size_t length);

}  // namespace dsengine
