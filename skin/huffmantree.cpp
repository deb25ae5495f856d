// Canonical Huffman decoding tables (see huffmantree.h).
#include "skin/huffmantree.h"

#include <cassert>

namespace skin {

namespace {

constexpr int kMaxBound = 15;  // DEFLATE's longest code

// Reverses the low `n` bits of `code`: DEFLATE sends codes most significant bit first into a
// stream read least significant bit first.
uint32_t ReverseBits(uint32_t code, int n) {
  uint32_t r = 0;
  for (int i = 0; i < n; ++i) {
    r = (r << 1) | (code & 1);
    code >>= 1;
  }
  return r;
}

}  // namespace

THuffmanTree::THuffmanTree(int bound) : bound_(bound) {
  assert(bound >= 1 && bound <= kMaxBound);
  Clear();
}

void THuffmanTree::Clear() {
  maxLength_ = 0;
  table_.assign(1, kUnused);
}

bool THuffmanTree::Build(const uint8_t* lengths, int count, const uint8_t* extraBits) {
  int lengthCount[kMaxBound + 1] = {};
  int longest = 0;
  for (int sym = 0; sym < count; ++sym) {
    int n = lengths[sym];
    if (n > bound_) {
      Clear();
      return false;
    }
    ++lengthCount[n];
    if (n > longest) longest = n;
  }
  // Over-subscription check: at each length, the codes left must not go negative.
  int left = 1;
  for (int n = 1; n <= longest; ++n) {
    left = (left << 1) - lengthCount[n];
    if (left < 0) {
      Clear();
      return false;
    }
  }
  // First canonical code of each length (RFC 1951, 3.2.2).
  uint32_t nextCode[kMaxBound + 2] = {};
  uint32_t code = 0;
  for (int n = 1; n <= longest; ++n) {
    code = (code + (n > 1 ? lengthCount[n - 1] : 0)) << 1;
    nextCode[n] = code;
  }
  maxLength_ = longest;
  const uint32_t size = 1u << longest;
  table_.assign(size, kUnused);
  for (int sym = 0; sym < count; ++sym) {
    int n = lengths[sym];
    if (n == 0) continue;
    uint32_t extra = extraBits ? extraBits[sym] : 0;
    uint32_t entry = static_cast<uint32_t>(sym) | (static_cast<uint32_t>(n) << 16) | (extra << 24);
    // Every index whose low n bits are the reversed code decodes to this symbol.
    for (uint32_t i = ReverseBits(nextCode[n]++, n); i < size; i += 1u << n) table_[i] = entry;
  }
  return true;
}

}  // namespace skin
