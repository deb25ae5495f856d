// Collation, case mapping and locale checks through the public entry points: the portable
// implementation natively, the real APIs on Windows. The same expectations hold for both.
#include "platform/collation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace platform {
namespace {

int Sign(const std::string& a, const std::string& b, uint32_t flags = 0) {
  int r = Compare(kLocaleUserDefault, flags, a.data(), static_cast<int>(a.size()), b.data(),
                  static_cast<int>(b.size()));
  EXPECT_TRUE(r == kCompareLess || r == kCompareEqual || r == kCompareGreater) << r;
  return r - kCompareEqual;
}

// Each list is in strictly ascending order under the case-sensitive word sort.
TEST(Collation, OrdersTheCasesTheEngineDependsOn) {
  const std::vector<std::vector<std::string>> chains = {
      {"abba", "Abba", "ABBA", "Beatles"},           // case weighs after the letters
      {"beatles", "Beatles", "BEATLES"},             // lower case first
      {"cote", "cot\xE9", "c\xF4te", "c\xF4t\xE9"},  // accents after letters, left to right
      {"Ea",
       "\xE9"
       "a",
       "eb"},                                     // letters, then accents, then case
      {"coop", "co'op", "co-op", "Coop"},         // apostrophe and hyphen only break ties
      {"coo-p", "co-op", "-coop"},                // an earlier hyphen sorts later
      {"ab", "a-c"},                              // a hyphen is not a letter
      {"", " ", "a", "a b", "ab", "ab-", "abc"},  // blank first, prefixes first
      {"!", "1", "10", "9", "a"},                 // punctuation, digits, letters
      {"o", "\xF6", "\xF8", "p"},                 // ö and ø are accented o
      {"d", "\xF0", "\xD0", "e"},                 // ð is an accented d
      {"s", "\x9A", "\x8A", "t"},                 // š and Š
  };
  for (const auto& chain : chains) {
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
      EXPECT_LT(Sign(chain[i], chain[i + 1]), 0) << chain[i] << " < " << chain[i + 1];
      EXPECT_GT(Sign(chain[i + 1], chain[i]), 0) << chain[i + 1] << " > " << chain[i];
    }
  }
}

TEST(Collation, IgnoreCaseEqualsOnlyWhatDiffersInCase) {
  const uint32_t ic = kNormIgnoreCase;
  EXPECT_EQ(Sign("abba", "ABBA", ic), 0);
  EXPECT_EQ(Sign("Beatles", "bEATLES", ic), 0);
  EXPECT_EQ(Sign("\xE9t\xE9", "\xC9T\xC9", ic), 0);
  EXPECT_EQ(Sign("\xFF", "\x9F", ic), 0);      // ÿ and Ÿ
  EXPECT_LT(Sign("ete", "\xC9T\xC9", ic), 0);  // accents still count
  EXPECT_LT(Sign("coop", "Co-op", ic), 0);     // so does the hyphen
  EXPECT_LT(Sign("Abba", "beatles", ic), 0);
}

TEST(Collation, LettersThatSortAsTwoEqualTheirPairs) {
  EXPECT_EQ(Sign("\xE6", "ae"), 0);  // æ
  EXPECT_EQ(Sign("\xC6", "AE"), 0);  // Æ
  EXPECT_EQ(Sign("\xDF", "ss"), 0);  // ß
  EXPECT_EQ(Sign("\x9C"
                 "uvre",
                 "oeuvre"),
            0);                      // œuvre
  EXPECT_EQ(Sign("\xDE", "TH"), 0);  // Þ
  EXPECT_LT(Sign("\xE6", "af"), 0);
  EXPECT_GT(Sign("\xDF", "sr"), 0);
}

TEST(Collation, NulsSoftHyphensAndLengths) {
  const char text[] = "ab\0c";
  EXPECT_EQ(Compare(0, 0, text, 4, "abc", 3), kCompareEqual);   // a counted NUL is ignored
  EXPECT_EQ(Compare(0, 0, text, -1, "ab", -1), kCompareEqual);  // -1 stops at the first NUL
  EXPECT_EQ(Compare(0, 0, "abc", 2, "ab", -1), kCompareEqual);
  EXPECT_EQ(Compare(0, 0, "abc", 0, "", -1), kCompareEqual);
  EXPECT_EQ(Compare(0, 0, "abd", 2, "abc", 3), kCompareLess);
  EXPECT_EQ(Sign("co\xADop", "coop"), 0);  // the soft hyphen weighs nothing at all
  EXPECT_EQ(Sign("", std::string(1, '\0')), 0);
  EXPECT_EQ(Compare(0x409, 0, "b", -1, "a", -1), kCompareGreater);
}

TEST(Collation, WideTextCollatesAsTheSameAnsiText) {
  const std::vector<std::string> texts = {"",      "abba", "Abba",      "Beatles",
                                          "co-op", "coop", "\xE9t\xE9", "\xC6on"};
  for (const auto& a : texts) {
    for (const auto& b : texts) {
      for (uint32_t flags : {0u, kNormIgnoreCase}) {
        std::u16string wa = AnsiToWide(a), wb = AnsiToWide(b);
        EXPECT_EQ(CompareWide(0, flags, wa.c_str(), -1, wb.c_str(), -1),
                  Compare(0, flags, a.c_str(), -1, b.c_str(), -1))
            << a << " vs " << b;
      }
    }
  }
}

// Random strings over letters, accents, ligatures, blanks, digits, hyphens and apostrophes.
std::vector<std::string> RandomTexts(int count, uint32_t seed) {
  const std::string pool = "aAbBeEsSoO \xE9\xC9\xE8\xF6\xD6\xE6\xC6\xDF\x9C\x8C-'019";
  std::mt19937 rng(seed);
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) {
    std::string s(rng() % 6, ' ');
    for (char& c : s) c = pool[rng() % pool.size()];
    texts.push_back(s);
  }
  return texts;
}

TEST(CollationProperties, AntisymmetricAndTransitive) {
  const auto texts = RandomTexts(400, 1);
  std::mt19937 rng(2);
  for (uint32_t flags : {0u, kNormIgnoreCase}) {
    for (int n = 0; n < 20000; ++n) {
      const auto& a = texts[rng() % texts.size()];
      const auto& b = texts[rng() % texts.size()];
      const auto& c = texts[rng() % texts.size()];
      const int ab = Sign(a, b, flags), bc = Sign(b, c, flags), ac = Sign(a, c, flags);
      ASSERT_EQ(ab, -Sign(b, a, flags)) << a << " / " << b;
      if (ab <= 0 && bc <= 0) {
        ASSERT_LE(ac, 0) << a << " / " << b << " / " << c;
      }
      if (ab == 0 && bc == 0) {
        ASSERT_EQ(ac, 0) << a << " / " << b << " / " << c;
      }
    }
  }
}

TEST(CollationProperties, IgnoreCaseEqualIffUpperCaseEqualForLetters) {
  // Letters with a single weight and a case partner in the code page.
  const std::string pool = "aAbBzZ\xE0\xC0\xE9\xC9\xF1\xD1\xFF\x9F\x9A\x8A\x9E\x8E\xF0\xD0";
  std::mt19937 rng(3);
  for (int n = 0; n < 20000; ++n) {
    std::string a(1 + rng() % 3, ' '), b;
    for (char& c : a) c = pool[rng() % pool.size()];
    b = a;
    for (char& c : b) {
      if (rng() % 4 == 0) c = pool[rng() % pool.size()];
    }
    std::string ua = a, ub = b;
    ToUpperBuffer(ua.data(), ua.size());
    ToUpperBuffer(ub.data(), ub.size());
    ASSERT_EQ(Sign(a, b, kNormIgnoreCase) == 0, ua == ub) << a << " / " << b;
    ASSERT_EQ(Sign(a, b) == 0, a == b) << a << " / " << b;
  }
}

TEST(CaseMapping, MapsWindows1252LettersAndLeavesTheRest) {
  struct Pair {
    unsigned char lower, upper;
  };
  const Pair pairs[] = {{'a', 'A'},   {'z', 'Z'},   {0xE0, 0xC0}, {0xE9, 0xC9},
                        {0xFE, 0xDE}, {0xFF, 0x9F}, {0x9A, 0x8A}, {0x9C, 0x8C},
                        {0x9E, 0x8E}, {0xF0, 0xD0}, {0xE6, 0xC6}};
  for (Pair p : pairs) {
    EXPECT_EQ(ToUpper(static_cast<char>(p.lower)), static_cast<char>(p.upper)) << int{p.lower};
    EXPECT_EQ(ToLower(static_cast<char>(p.upper)), static_cast<char>(p.lower)) << int{p.upper};
    EXPECT_EQ(ToUpper(static_cast<char>(p.upper)), static_cast<char>(p.upper)) << int{p.upper};
    EXPECT_EQ(ToLower(static_cast<char>(p.lower)), static_cast<char>(p.lower)) << int{p.lower};
  }
  // No partner in the code page: µ, ß, ƒ, the signs × ÷, digits, punctuation.
  for (unsigned char c : {0xB5, 0xDF, 0x83, 0xD7, 0xF7, 0x35, 0x2D, 0x00}) {
    EXPECT_EQ(ToUpper(static_cast<char>(c)), static_cast<char>(c)) << int{c};
    EXPECT_EQ(ToLower(static_cast<char>(c)), static_cast<char>(c)) << int{c};
  }
  std::string text = "Abba \xE9t\xE9 \xFF\x9A-1";
  ToUpperBuffer(text.data(), text.size());
  EXPECT_EQ(text, "ABBA \xC9T\xC9 \x9F\x8A-1");
  ToLowerBuffer(text.data(), text.size());
  EXPECT_EQ(text, "abba \xE9t\xE9 \xFF\x9A-1");
}

TEST(Locale, KnowsInstalledLocalesOnly) {
  for (uint32_t lcid : {0x409u, 0x407u, 0x40Cu, 0x809u, 0x411u, 0x10407u}) {
    EXPECT_TRUE(IsValidLocale(lcid)) << std::hex << lcid;
  }
  for (uint32_t lcid : {0u, 0xFFFFu, 0x12345u, 0x7FFFFFFFu}) {
    EXPECT_FALSE(IsValidLocale(lcid)) << std::hex << lcid;
  }
}

}  // namespace
}  // namespace platform
