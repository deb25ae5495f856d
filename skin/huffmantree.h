// Decoding tables for the Huffman codes of DEFLATE streams, used by the inflater (inflate.h).
// A table for a code whose longest length is L has 2^L entries indexed by the next L input bits
// (least significant bit first); each entry packs the symbol, its code length and the number of
// extra bits that follow it. Immutable after Build(); one table per code, not thread-safe.
#pragma once

#include <cstdint>
#include <vector>

namespace skin {

class THuffmanTree {
 public:
  // Entry layout: bits 0-15 symbol, bits 16-23 code length, bits 24-31 extra bits.
  static constexpr uint32_t kUnused = 0xFFFFFFFF;  // an index that no code reaches

  // `bound` is the longest code length the table accepts (7 for the code-length code, 15 for
  // literal/length and distance codes). A new table is empty: every lookup yields kUnused.
  explicit THuffmanTree(int bound);

  // Builds the canonical code from `count` code lengths (0 = symbol unused). `extraBits` holds
  // the extra bits of each symbol, or is null. Returns false, and leaves an empty table, when a
  // length exceeds the bound or the lengths over-subscribe the code. Incomplete codes are
  // accepted; their unreached entries hold kUnused.
  bool Build(const uint8_t* lengths, int count, const uint8_t* extraBits);

  int bound() const { return bound_; }
  int maxLength() const { return maxLength_; }  // L; the table has 2^L entries
  uint32_t mask() const { return (1u << maxLength_) - 1; }
  const uint32_t* table() const { return table_.data(); }
  uint32_t Lookup(uint32_t bits) const { return table_[bits & mask()]; }

  static unsigned Symbol(uint32_t entry) { return entry & 0xFFFF; }
  static unsigned Length(uint32_t entry) { return (entry >> 16) & 0xFF; }
  static unsigned Extra(uint32_t entry) { return entry >> 24; }

 private:
  void Clear();

  std::vector<uint32_t> table_;  // 2^maxLength_ entries
  int bound_;                    // longest length accepted
  int maxLength_ = 0;            // longest length present
};

}  // namespace skin
