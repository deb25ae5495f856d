// Per-byte collation weights of Windows-1252 text under the platform's word sort, one row per
// byte value. Used only by the portable collation (collation_portable.cpp). Read-only data.
#pragma once

#include <cstdint>

namespace platform {

// Every character contributes, level by level:
//   1. primary weights (the letter, digit or symbol itself): none, one, or two for the
//      characters that sort as two letters (Æ = A E, ß = s s, Þ = t h, Œ = O E);
//   2. a diacritic weight for each primary weight (kNoMark when it carries no accent);
//   3. a case weight for each primary weight (kLowerCase, or more for capitals, ordinal and
//      superscript forms); NORM_IGNORECASE uses the second case column instead;
//   4. characters without primary weight but with a word-sort weight (hyphen, apostrophe,
//      dashes, control characters) contribute only at the last level: their weight together
//      with their position (the number of primary weights before them).
// Characters with neither (NUL, soft hyphen) are ignored altogether.
struct CollationWeights {
  uint32_t primary[2];  // script (high byte) and weight within it; [1] only for count 2
  uint8_t count;        // number of primary weights: 0, 1 or 2
  uint8_t diacritic;    // of the first primary weight; a second one carries kNoMark
  uint8_t case_exact;   // case weight of each primary weight, case-sensitive comparison
  uint8_t case_ignore;  // the same under NORM_IGNORECASE
  uint8_t special;      // word-sort weight when count is 0; 0 for an ignored character
};

constexpr uint8_t kNoMark = 0x02;     // the lowest diacritic weight
constexpr uint8_t kLowerCase = 0x02;  // the lowest case weight

extern const CollationWeights kCollationWeights[256];

}  // namespace platform
