// Portable word-sort collation and Windows-1252 case mapping.
//
// Two strings compare level by level; a level is consulted only when all earlier levels are
// equal:
//   1. primary weights in order; when one sequence is a prefix of the other, it is less;
//   2. diacritic weights, one per primary weight;
//   3. case weights, one per primary weight;
//   4. word-sort weights (hyphen, apostrophe, dashes, controls) as (position, weight) pairs,
//      position = 0xFFFF - number of primary weights before the character, so that the same
//      hyphen earlier in a string sorts later; a shorter list is less.
// The first three levels are compared in one walk over both strings, the fourth in a second
// walk only when they tie. A common leading run of identical characters contributes equally
// to every level, so it is skipped once at the start. Nothing allocates.
#include <algorithm>
#include <iterator>

#include "platform/collation.h"
#include "platform/collation_portable.h"
#include "platform/collation_weights.h"
#include "platform/cp1252.h"

namespace platform::portable {
namespace {

// Non-1252 UTF-16 units: after every script of the table, by value.
constexpr uint32_t kForeignBase = 0x10000;

inline const CollationWeights& WeightsOf(char c) {
  return kCollationWeights[static_cast<unsigned char>(c)];
}

inline CollationWeights WeightsOf(char16_t unit) {
  int b = UnicodeToCp1252(unit);
  if (b >= 0) return kCollationWeights[b];
  return {{kForeignBase + unit, 0}, 1, kNoMark, kLowerCase, kLowerCase, 0};
}

// Walks the primary weights of a string, with the diacritic and case weight of each.
template <typename Char>
class ElementCursor {
 public:
  ElementCursor(const Char* p, const Char* end) : p_(p), end_(end) {}

  // Moves to the next primary weight; false at the end of the string.
  bool Next() {
    if (index_ + 1 < weights_.count) {
      ++index_;
      return true;
    }
    while (p_ < end_) {
      weights_ = WeightsOf(*p_++);
      if (weights_.count) {
        index_ = 0;
        return true;
      }
    }
    return false;
  }
  uint32_t Primary() const { return weights_.primary[index_]; }
  uint8_t Diacritic() const { return index_ == 0 ? weights_.diacritic : kNoMark; }
  uint8_t Case(bool ignore) const { return ignore ? weights_.case_ignore : weights_.case_exact; }

 private:
  const Char* p_;
  const Char* end_;
  CollationWeights weights_{};
  int index_ = 0;
};

// Compares the first three levels in one walk. While the primary weights agree, the elements
// of the two strings pair up one to one, so the first diacritic and the first case difference
// are noted on the way and decide only when the primary weights end up equal.
template <typename Char>
int CompareFirstLevels(const Char* a, const Char* aend, const Char* b, const Char* bend,
                       bool ignore_case) {
  ElementCursor<Char> ca(a, aend), cb(b, bend);
  int diacritic = 0, case_order = 0;
  for (;;) {
    bool more_a = ca.Next(), more_b = cb.Next();
    if (!more_a || !more_b) {
      if (more_a != more_b) return more_a ? 1 : -1;
      return diacritic != 0 ? diacritic : case_order;
    }
    uint32_t pa = ca.Primary(), pb = cb.Primary();
    if (pa != pb) return pa < pb ? -1 : 1;
    if (diacritic == 0 && ca.Diacritic() != cb.Diacritic()) {
      diacritic = ca.Diacritic() < cb.Diacritic() ? -1 : 1;
    }
    if (case_order == 0 && ca.Case(ignore_case) != cb.Case(ignore_case)) {
      case_order = ca.Case(ignore_case) < cb.Case(ignore_case) ? -1 : 1;
    }
  }
}

// Walks the word-sort weights of a string as (position << 8 | weight) keys.
template <typename Char>
class SpecialCursor {
 public:
  SpecialCursor(const Char* p, const Char* end, uint32_t primaries_before)
      : p_(p), end_(end), primaries_(primaries_before) {}

  bool Next(uint32_t& key) {
    while (p_ < end_) {
      const CollationWeights w = WeightsOf(*p_++);
      if (w.count == 0 && w.special != 0) {
        uint32_t position = (0xFFFFu - primaries_) & 0xFFFFu;
        key = position << 8 | w.special;
        return true;
      }
      primaries_ += w.count;
    }
    return false;
  }

 private:
  const Char* p_;
  const Char* end_;
  uint32_t primaries_;
};

template <typename Char>
int CompareSpecial(const Char* a, const Char* aend, const Char* b, const Char* bend,
                   uint32_t primaries_before) {
  SpecialCursor<Char> ca(a, aend, primaries_before), cb(b, bend, primaries_before);
  for (;;) {
    uint32_t ka = 0, kb = 0;
    bool more_a = ca.Next(ka), more_b = cb.Next(kb);
    if (!more_a || !more_b) return static_cast<int>(more_a) - static_cast<int>(more_b);
    if (ka != kb) return ka < kb ? -1 : 1;
  }
}

template <typename Char>
size_t TextLength(const Char* s, int len) {
  if (len >= 0) return static_cast<size_t>(len);
  size_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

template <typename Char>
int CompareText(uint32_t flags, const Char* a, int alen, const Char* b, int blen) {
  static const Char kEmpty[1] = {0};
  if (a == nullptr) a = kEmpty, alen = 0;
  if (b == nullptr) b = kEmpty, blen = 0;
  const Char* aend = a + TextLength(a, alen);
  const Char* bend = b + TextLength(b, blen);

  // Skip the common run; remember how many primary weights it held for level 4.
  uint32_t primaries = 0;
  while (a < aend && b < bend && *a == *b) {
    primaries += WeightsOf(*a).count;
    ++a, ++b;
  }
  const bool ignore_case = (flags & kNormIgnoreCase) != 0;
  int r = CompareFirstLevels(a, aend, b, bend, ignore_case);
  if (r == 0) r = CompareSpecial(a, aend, b, bend, primaries);
  return r < 0 ? kCompareLess : r > 0 ? kCompareGreater : kCompareEqual;
}

// Windows-1252 case pairs: a-z, the accented letters 0xE0-0xFE except the division sign,
// š ž œ (0x9A 0x9E 0x9C, capitals 0x8A 0x8E 0x8C) and ÿ (capital Ÿ at 0x9F). ß and µ have no
// capital in the code page and stay.
constexpr int UpperOf(int c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  if (c == 0x9A || c == 0x9C || c == 0x9E) return c - 0x10;
  if (c == 0xFF) return 0x9F;
  return c;
}

struct CaseTables {
  unsigned char upper[256];
  unsigned char lower[256];
};

constexpr CaseTables MakeCaseTables() {
  CaseTables t{};
  for (int c = 0; c < 256; ++c) t.upper[c] = t.lower[c] = static_cast<unsigned char>(c);
  for (int c = 0; c < 256; ++c) {
    int u = UpperOf(c);
    t.upper[c] = static_cast<unsigned char>(u);
    if (u != c) t.lower[u] = static_cast<unsigned char>(c);
  }
  return t;
}

constexpr CaseTables kCase = MakeCaseTables();

// Locale identifiers the platform reports as installed (language, sub-language and sort id).
constexpr uint32_t kInstalledLocales[] = {
    0x00001, 0x00002, 0x00003, 0x00004, 0x00005, 0x00006, 0x00007, 0x00008, 0x00009, 0x0000A,
    0x0000B, 0x0000C, 0x0000D, 0x0000E, 0x0000F, 0x00010, 0x00011, 0x00012, 0x00013, 0x00014,
    0x00015, 0x00016, 0x00017, 0x00018, 0x00019, 0x0001A, 0x0001B, 0x0001C, 0x0001D, 0x0001E,
    0x0001F, 0x00020, 0x00021, 0x00022, 0x00023, 0x00024, 0x00025, 0x00026, 0x00027, 0x00028,
    0x00029, 0x0002A, 0x0002B, 0x0002C, 0x0002D, 0x0002E, 0x0002F, 0x00030, 0x00031, 0x00032,
    0x00033, 0x00034, 0x00035, 0x00036, 0x00037, 0x00038, 0x00039, 0x0003A, 0x0003B, 0x0003C,
    0x0003D, 0x0003E, 0x0003F, 0x00040, 0x00041, 0x00042, 0x00043, 0x00044, 0x00045, 0x00046,
    0x00047, 0x00048, 0x00049, 0x0004A, 0x0004B, 0x0004C, 0x0004D, 0x0004E, 0x0004F, 0x00050,
    0x00051, 0x00052, 0x00053, 0x00054, 0x00055, 0x00056, 0x00057, 0x00058, 0x00059, 0x0005A,
    0x0005B, 0x0005C, 0x0005D, 0x0005E, 0x0005F, 0x00060, 0x00061, 0x00062, 0x00063, 0x00064,
    0x00065, 0x00066, 0x00067, 0x00068, 0x0006A, 0x0006B, 0x0006C, 0x0006D, 0x0006E, 0x0006F,
    0x00070, 0x00071, 0x00072, 0x00073, 0x00074, 0x00075, 0x00076, 0x00077, 0x00078, 0x0007A,
    0x0007C, 0x0007E, 0x0007F, 0x00080, 0x00081, 0x00082, 0x00083, 0x00084, 0x00085, 0x00086,
    0x00087, 0x00088, 0x0008C, 0x00091, 0x00092, 0x00401, 0x00402, 0x00403, 0x00404, 0x00405,
    0x00406, 0x00407, 0x00408, 0x00409, 0x0040A, 0x0040B, 0x0040C, 0x0040D, 0x0040E, 0x0040F,
    0x00410, 0x00411, 0x00412, 0x00413, 0x00414, 0x00415, 0x00416, 0x00417, 0x00418, 0x00419,
    0x0041A, 0x0041B, 0x0041C, 0x0041D, 0x0041E, 0x0041F, 0x00420, 0x00421, 0x00422, 0x00423,
    0x00424, 0x00425, 0x00426, 0x00427, 0x00428, 0x00429, 0x0042A, 0x0042B, 0x0042C, 0x0042D,
    0x0042E, 0x0042F, 0x00430, 0x00431, 0x00432, 0x00433, 0x00434, 0x00435, 0x00436, 0x00437,
    0x00438, 0x00439, 0x0043A, 0x0043B, 0x0043D, 0x0043E, 0x0043F, 0x00440, 0x00441, 0x00442,
    0x00443, 0x00444, 0x00445, 0x00446, 0x00447, 0x00448, 0x00449, 0x0044A, 0x0044B, 0x0044C,
    0x0044D, 0x0044E, 0x0044F, 0x00450, 0x00451, 0x00452, 0x00453, 0x00454, 0x00455, 0x00456,
    0x00457, 0x00458, 0x00459, 0x0045A, 0x0045B, 0x0045C, 0x0045D, 0x0045E, 0x00460, 0x00461,
    0x00462, 0x00463, 0x00464, 0x00465, 0x00466, 0x00467, 0x00468, 0x0046A, 0x0046B, 0x0046C,
    0x0046D, 0x0046E, 0x0046F, 0x00470, 0x00471, 0x00472, 0x00473, 0x00474, 0x00475, 0x00476,
    0x00477, 0x00478, 0x0047A, 0x0047C, 0x0047E, 0x00480, 0x00481, 0x00482, 0x00483, 0x00484,
    0x00485, 0x00486, 0x00487, 0x00488, 0x0048C, 0x00491, 0x00492, 0x00801, 0x00803, 0x00804,
    0x00807, 0x00809, 0x0080A, 0x0080C, 0x00810, 0x00813, 0x00814, 0x00816, 0x00818, 0x00819,
    0x0081D, 0x00820, 0x0082C, 0x0082E, 0x00832, 0x0083B, 0x0083C, 0x0083E, 0x00843, 0x00845,
    0x00846, 0x00849, 0x00850, 0x00859, 0x0085D, 0x0085F, 0x00860, 0x00861, 0x00867, 0x0086B,
    0x00873, 0x00C00, 0x00C01, 0x00C04, 0x00C07, 0x00C09, 0x00C0A, 0x00C0C, 0x00C3B, 0x00C50,
    0x00C51, 0x00C6B, 0x01000, 0x01001, 0x01004, 0x01007, 0x01009, 0x0100A, 0x0100C, 0x0101A,
    0x0103B, 0x01400, 0x01401, 0x01404, 0x01407, 0x01409, 0x0140A, 0x0140C, 0x0141A, 0x0143B,
    0x01801, 0x01809, 0x0180A, 0x0180C, 0x0181A, 0x0183B, 0x01C01, 0x01C09, 0x01C0A, 0x01C0C,
    0x01C1A, 0x01C3B, 0x02001, 0x02009, 0x0200A, 0x0200C, 0x0201A, 0x0203B, 0x02401, 0x02409,
    0x0240A, 0x0240C, 0x0241A, 0x0243B, 0x02801, 0x02809, 0x0280A, 0x0280C, 0x0281A, 0x02C01,
    0x02C09, 0x02C0A, 0x02C0C, 0x02C1A, 0x03001, 0x03009, 0x0300A, 0x0300C, 0x0301A, 0x03401,
    0x03409, 0x0340A, 0x0340C, 0x03801, 0x03809, 0x0380A, 0x0380C, 0x03C01, 0x03C09, 0x03C0A,
    0x03C0C, 0x04001, 0x04009, 0x0400A, 0x04409, 0x0440A, 0x04809, 0x0480A, 0x04C09, 0x04C0A,
    0x0500A, 0x0540A, 0x0580A, 0x05C0A, 0x0641A, 0x0681A, 0x06C1A, 0x0701A, 0x0703B, 0x0742C,
    0x0743B, 0x07804, 0x07814, 0x0781A, 0x0782C, 0x0783B, 0x07843, 0x07850, 0x0785D, 0x07C04,
    0x07C14, 0x07C1A, 0x07C28, 0x07C2E, 0x07C3B, 0x07C43, 0x07C46, 0x07C50, 0x07C59, 0x07C5C,
    0x07C5D, 0x07C5F, 0x07C67, 0x07C68, 0x07C86, 0x07C92, 0x1007F, 0x10407, 0x1040E, 0x10437,
    0x20804, 0x21004, 0x21404, 0x30404, 0x40404, 0x40411, 0x40C04, 0x41404, 0x50804, 0x51004,

};

}  // namespace

int Compare(uint32_t, uint32_t flags, const char* a, int alen, const char* b, int blen) {
  return CompareText(flags, a, alen, b, blen);
}

int CompareWide(uint32_t, uint32_t flags, const char16_t* a, int alen, const char16_t* b,
                int blen) {
  return CompareText(flags, a, alen, b, blen);
}

char ToUpper(char c) { return static_cast<char>(kCase.upper[static_cast<unsigned char>(c)]); }
char ToLower(char c) { return static_cast<char>(kCase.lower[static_cast<unsigned char>(c)]); }

void ToUpperBuffer(char* s, size_t n) {
  for (size_t i = 0; i < n; ++i) s[i] = ToUpper(s[i]);
}

void ToLowerBuffer(char* s, size_t n) {
  for (size_t i = 0; i < n; ++i) s[i] = ToLower(s[i]);
}

bool IsValidLocale(uint32_t lcid) {
  static_assert(std::is_sorted(std::begin(kInstalledLocales), std::end(kInstalledLocales)));
  return std::binary_search(std::begin(kInstalledLocales), std::end(kInstalledLocales), lcid);
}

}  // namespace platform::portable
