// Test helper: writes DEFLATE streams (RFC 1951) bit by bit — stored blocks, fixed-code blocks
// and dynamic-code blocks from explicit code lengths — so decoder tests can state a stream
// field by field and run where no reference compressor is available. Header-only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dztest {

class BitWriter {
 public:
  // Appends the low `n` bits of `value`, least significant first (header fields, extra bits).
  void Put(uint32_t value, int n) {
    for (int i = 0; i < n; ++i) PutBit((value >> i) & 1);
  }
  // Appends a Huffman code of `n` bits, most significant first.
  void PutCode(uint32_t code, int n) {
    for (int i = n - 1; i >= 0; --i) PutBit((code >> i) & 1);
  }
  void AlignToByte() {
    while (bits_ != 0) PutBit(0);
  }
  void PutByte(uint8_t b) { Put(b, 8); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  void PutBit(uint32_t bit) {
    if (bits_ == 0) bytes_.push_back(0);
    bytes_.back() |= static_cast<uint8_t>(bit << bits_);
    bits_ = (bits_ + 1) & 7;
  }
  std::vector<uint8_t> bytes_;
  int bits_ = 0;  // bits used in the last byte
};

// A canonical Huffman code (RFC 1951, 3.2.2) from code lengths.
struct CanonicalCode {
  std::vector<uint8_t> lengths;
  std::vector<uint32_t> codes;
  explicit CanonicalCode(std::vector<uint8_t> l) : lengths(std::move(l)), codes(lengths.size()) {
    int count[16] = {};
    for (uint8_t n : lengths) ++count[n];
    count[0] = 0;
    uint32_t next[16] = {};
    uint32_t code = 0;
    for (int n = 1; n < 16; ++n) {
      code = (code + count[n - 1]) << 1;
      next[n] = code;
    }
    for (size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s]) codes[s] = next[lengths[s]]++;
  }
  void Write(BitWriter& w, int symbol) const { w.PutCode(codes[symbol], lengths[symbol]); }
};

// Length and distance symbols of RFC 1951, 3.2.5.
struct LengthCode {
  int symbol, extraBits, extra;
};
inline LengthCode EncodeLength(int length) {
  static const int base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const int bits[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  int i = 28;
  while (base[i] > length) --i;
  if (length == 258) i = 28;
  return {257 + i, bits[i], length - base[i]};
}
inline LengthCode EncodeDistance(int distance) {
  static const int base[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                               33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  int i = 29;
  while (base[i] > distance) --i;
  int bits = i < 4 ? 0 : i / 2 - 1;
  return {i, bits, distance - base[i]};
}

// The fixed literal/length and distance codes (block type 1).
inline const CanonicalCode& FixedLiteralCode() {
  static const CanonicalCode code([] {
    std::vector<uint8_t> l(288);
    for (int i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    return l;
  }());
  return code;
}
inline const CanonicalCode& FixedDistanceCode() {
  static const CanonicalCode code(std::vector<uint8_t>(32, 5));
  return code;
}

// One item of a block: a literal byte, or a match (length, distance).
struct DeflateItem {
  int literal = -1;
  int length = 0, distance = 0;
};
inline DeflateItem Lit(uint8_t b) { return {b, 0, 0}; }
inline DeflateItem Match(int length, int distance) { return {-1, length, distance}; }

inline void WriteItems(BitWriter& w, const std::vector<DeflateItem>& items,
                       const CanonicalCode& lit, const CanonicalCode& dist) {
  for (const DeflateItem& it : items) {
    if (it.literal >= 0) {
      lit.Write(w, it.literal);
      continue;
    }
    LengthCode l = EncodeLength(it.length);
    lit.Write(w, l.symbol);
    w.Put(l.extra, l.extraBits);
    LengthCode d = EncodeDistance(it.distance);
    dist.Write(w, d.symbol);
    w.Put(d.extra, d.extraBits);
  }
  lit.Write(w, 256);
}

inline void WriteStoredBlock(BitWriter& w, bool final, const std::vector<uint8_t>& data) {
  w.Put(final, 1);
  w.Put(0, 2);
  w.AlignToByte();
  w.Put(static_cast<uint32_t>(data.size()), 16);
  w.Put(static_cast<uint32_t>(~data.size()) & 0xFFFF, 16);
  for (uint8_t b : data) w.PutByte(b);
}

inline void WriteFixedBlock(BitWriter& w, bool final, const std::vector<DeflateItem>& items) {
  w.Put(final, 1);
  w.Put(1, 2);
  WriteItems(w, items, FixedLiteralCode(), FixedDistanceCode());
}

// The header of a dynamic block: the code-length code gives symbols 0-15 four bits each, so
// every length is sent as itself (no repeat symbols).
inline void WriteDynamicHeader(BitWriter& w, bool final, const std::vector<uint8_t>& litLengths,
                               const std::vector<uint8_t>& distLengths) {
  w.Put(final, 1);
  w.Put(2, 2);
  w.Put(static_cast<uint32_t>(litLengths.size() - 257), 5);
  w.Put(static_cast<uint32_t>(distLengths.size() - 1), 5);
  w.Put(19 - 4, 4);
  static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  for (int s : order) w.Put(s >= 16 ? 0 : 4, 3);
  for (uint8_t n : litLengths) w.PutCode(n, 4);
  for (uint8_t n : distLengths) w.PutCode(n, 4);
}

inline void WriteDynamicBlock(BitWriter& w, bool final, const std::vector<uint8_t>& litLengths,
                              const std::vector<uint8_t>& distLengths,
                              const std::vector<DeflateItem>& items) {
  WriteDynamicHeader(w, final, litLengths, distLengths);
  WriteItems(w, items, CanonicalCode(litLengths), CanonicalCode(distLengths));
}

// A whole stream of one final fixed-code block holding `text` as literals.
inline std::vector<uint8_t> FixedLiterals(const std::string& text) {
  BitWriter w;
  std::vector<DeflateItem> items;
  for (char c : text) items.push_back(Lit(static_cast<uint8_t>(c)));
  WriteFixedBlock(w, true, items);
  return w.bytes();
}

}  // namespace dztest
