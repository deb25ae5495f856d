// Sort keys and ignore-case byte classes of the portable word-sort collation
// (collation_portable.cpp compares the same levels directly).
//
// Key layout, level after level, each level closed by the byte 01, which is below every byte
// that can start an element of that level:
//   1. primary weights: one byte each, the rank of the weight among all primary weights of the
//      code page, plus 2 (so 02 .. FF);
//   2. diacritic weights, one per primary weight, with trailing kNoMark (the lowest weight)
//      left out;
//   3. case weights (the ignore-case column under kNormIgnoreCase), one per primary weight,
//      with trailing kLowerCase (the lowest weight) left out;
//   4. word-sort weights as entries of four bytes: 02, then (position << 8 | weight) in three
//      bytes, most significant first; position = 0xFFFF - primary weights before the character.
// Why memcmp order equals Compare's: Compare decides by level 1 as a sequence (a prefix is
// less), and only on equal primaries by level 2, then 3 (sequences of equal length there,
// one weight per primary weight, so leaving out trailing lowest weights keeps their order),
// then by level 4 (a shorter list is less). The closing 01 makes a shorter sequence sort first
// at each level, and the parse of a key is determined by its bytes, so no key is a proper
// prefix of another.
#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "platform/collation.h"
#include "platform/collation_portable.h"
#include "platform/collation_weights.h"

namespace platform::portable {
namespace {

constexpr uint8_t kLevelEnd = 0x01;
constexpr uint8_t kSpecialEntry = 0x02;

// Rank byte of every primary weight of the table; 0 when the table does not fit the layout
// (more than 254 distinct primary weights, or a diacritic or case weight below the lowest one).
struct PrimaryRanks {
  std::array<uint32_t, 256> weight{};  // sorted distinct primary weights
  int count = 0;
  bool ok = true;

  PrimaryRanks() {
    for (const CollationWeights& w : kCollationWeights) {
      for (int i = 0; i < w.count; ++i) Insert(w.primary[i]);
      if (w.count &&
          (w.diacritic < kNoMark || w.case_exact < kLowerCase || w.case_ignore < kLowerCase))
        ok = false;
    }
  }
  void Insert(uint32_t p) {
    int at = 0;
    while (at < count && weight[at] < p) ++at;
    if (at < count && weight[at] == p) return;
    if (count == 254) {
      ok = false;
      return;
    }
    for (int k = count; k > at; --k) weight[k] = weight[k - 1];
    weight[at] = p;
    ++count;
  }
  uint8_t Rank(uint32_t p) const {
    int lo = 0, hi = count;
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (weight[mid] < p)
        lo = mid + 1;
      else
        hi = mid;
    }
    return static_cast<uint8_t>(lo + 2);
  }
};

// Per byte value, everything its key needs, packed: primary rank bytes, diacritic, case
// weights and word-sort weight.
struct KeyChar {
  uint8_t count;  // primary weights: 0, 1 or 2
  uint8_t rank[2];
  uint8_t diacritic;      // of the first primary weight; a second one carries kNoMark
  uint8_t caseWeight[2];  // [0] case-sensitive, [1] ignoring case
  uint8_t special;
};

struct KeyTables {
  bool ok;
  KeyChar chars[256];

  KeyTables() {
    static const PrimaryRanks ranks;
    ok = ranks.ok;
    for (int c = 0; c < 256; ++c) {
      const CollationWeights& w = kCollationWeights[c];
      KeyChar& k = chars[c];
      k = {w.count, {0, 0}, w.diacritic, {w.case_exact, w.case_ignore}, w.special};
      for (int i = 0; i < w.count; ++i) k.rank[i] = ranks.Rank(w.primary[i]);
    }
  }
};

const KeyTables& Tables() {
  static const KeyTables tables;
  return tables;
}

// Writes the key of s[0 .. len) at `out`, which has room for KeyBound(len) bytes; returns the
// end. The four levels are gathered in one walk: level 1 at its final place, levels 2 to 4 in
// `rest` (also KeyBound(len) bytes) at offsets that cannot overlap, then moved behind it.
size_t KeyBound(size_t len) { return 10 * len + 4; }

uint8_t* WriteKey(const KeyTables& t, bool ignoreCase, const unsigned char* text, size_t len,
                  uint8_t* out, uint8_t* rest) {
  uint8_t* primary = out;
  uint8_t* diacritic = rest;                                // at most 2 per byte
  uint8_t* caseLevel = rest + 2 * len;                      // at most 2 per byte
  uint8_t* special = rest + 4 * len;                        // at most 4 per byte
  uint8_t *diacriticEnd = diacritic, *caseEnd = caseLevel;  // past the last weight above lowest
  uint8_t *d = diacritic, *c = caseLevel, *sp = special;
  uint32_t primaries = 0;
  for (size_t i = 0; i < len; ++i) {
    const KeyChar& k = t.chars[text[i]];
    if (k.count == 0) {
      if (k.special != 0) {
        const uint32_t entry = ((0xFFFFu - primaries) & 0xFFFFu) << 8 | k.special;
        *sp++ = kSpecialEntry;
        *sp++ = static_cast<uint8_t>(entry >> 16);
        *sp++ = static_cast<uint8_t>(entry >> 8);
        *sp++ = static_cast<uint8_t>(entry);
      }
      continue;
    }
    const uint8_t cw = k.caseWeight[ignoreCase];
    for (int n = 0; n < k.count; ++n) {
      *primary++ = k.rank[n];
      *d++ = n == 0 ? k.diacritic : kNoMark;
      if (d[-1] != kNoMark) diacriticEnd = d;
      *c++ = cw;
      if (cw != kLowerCase) caseEnd = c;
    }
    primaries += k.count;
  }
  *primary++ = kLevelEnd;
  for (const uint8_t* p = diacritic; p < diacriticEnd; ++p) *primary++ = *p;
  *primary++ = kLevelEnd;
  for (const uint8_t* p = caseLevel; p < caseEnd; ++p) *primary++ = *p;
  *primary++ = kLevelEnd;
  for (const uint8_t* p = special; p < sp; ++p) *primary++ = *p;
  *primary++ = kLevelEnd;
  return primary;
}

constexpr size_t kStackText = 200;  // texts up to this long are keyed without allocating

}  // namespace

bool AppendSortKey(uint32_t, uint32_t flags, const char* s, size_t len, std::vector<uint8_t>& key) {
  const KeyTables& t = Tables();
  if (!t.ok) return false;
  const bool ignoreCase = (flags & kNormIgnoreCase) != 0;
  const auto* text = reinterpret_cast<const unsigned char*>(s);
  if (len <= kStackText) {
    uint8_t out[10 * kStackText + 4], rest[10 * kStackText + 4];
    const uint8_t* end = WriteKey(t, ignoreCase, text, len, out, rest);
    key.insert(key.end(), static_cast<const uint8_t*>(out), end);
    return true;
  }
  std::vector<uint8_t> rest(KeyBound(len));
  const size_t start = key.size();
  key.resize(start + KeyBound(len));
  const uint8_t* end = WriteKey(t, ignoreCase, text, len, key.data() + start, rest.data());
  key.resize(static_cast<size_t>(end - key.data()));
  return true;
}

// A byte weighing as exactly one primary weight, with no word-sort weight, is one element of
// levels 1 to 3 and nothing at level 4; strings of such bytes pair element by element, so they
// are equal ignoring case when each pair has the same primary, diacritic and ignore-case weight.
bool IgnoreCaseClasses(uint32_t, uint8_t classes[256]) {
  struct Classes {
    uint8_t of[256] = {};
    Classes() {
      uint8_t next = 1;
      for (int c = 0; c < 256; ++c) {
        const CollationWeights& w = kCollationWeights[c];
        if (w.count != 1 || w.special != 0) continue;
        for (int d = 0; d < c && of[c] == 0; ++d) {
          const CollationWeights& v = kCollationWeights[d];
          if (of[d] != 0 && v.primary[0] == w.primary[0] && v.diacritic == w.diacritic &&
              v.case_ignore == w.case_ignore)
            of[c] = of[d];
        }
        if (of[c] == 0 && next < 255) of[c] = next++;
      }
    }
  };
  static const Classes table;
  std::copy(std::begin(table.of), std::end(table.of), classes);
  return true;
}

}  // namespace platform::portable
