#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

TEST(CodePage, AnsiBytesMapToTheirWindows1252Characters) {
  EXPECT_EQ(AnsiToWide("Abba \xE9t\xE9"), u"Abba \u00E9t\u00E9");
  EXPECT_EQ(AnsiToWide("\x80\x8A\x9F\x96\x85"), u"\u20AC\u0160\u0178\u2013\u2026");
  // The five undefined bytes become the C1 controls of the same value.
  EXPECT_EQ(AnsiToWide("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(AnsiToWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(AnsiToWide(""), u"");
}

TEST(CodePage, EveryByteRoundTripsLosslessly) {
  std::string all(256, '\0');
  for (int c = 0; c < 256; ++c) all[c] = static_cast<char>(c);
  bool lossless = false;
  EXPECT_EQ(WideToAnsi(AnsiToWide(all), &lossless), all);
  EXPECT_TRUE(lossless);
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  bool lossless = true;
  // Ā (no best-fit 'A'), a Cyrillic letter, and a surrogate pair (one '?' per unit).
  EXPECT_EQ(WideToAnsi(u"x\u0100\u0416\U0001F600y", &lossless), "x????y");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(WideToAnsi(u"\u20AC"), "\x80");
}

TEST(Utf8, ConvertsWellFormedTextBothWays) {
  const std::string utf8 = "Abba \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
  std::u16string wide;
  ASSERT_TRUE(Utf8ToWide(utf8, wide));
  EXPECT_EQ(wide, u"Abba \u00E9t\u00E9 \u20AC \U0001F600");
  EXPECT_EQ(WideToUtf8(wide), utf8);
  ASSERT_TRUE(Utf8ToWide("", wide));
  EXPECT_TRUE(wide.empty());
}

TEST(Utf8, RejectsIllFormedInput) {
  const char* bad[] = {
      "\x80",              // continuation without a lead
      "\xC3",              // truncated
      "\xE2\x82",          // truncated
      "\xC0\xAF",          // overlong '/'
      "\xE0\x80\xAF",      // overlong
      "\xED\xA0\x80",      // encoded surrogate
      "\xF4\x90\x80\x80",  // past U+10FFFF
      "\xFF",              // never valid
      "a\xC3(",            // bad continuation
  };
  for (const char* s : bad) {
    std::u16string wide = u"stale";
    EXPECT_FALSE(Utf8ToWide(s, wide)) << s;
  }
}

TEST(Utf8, LoneSurrogatesBecomeTheReplacementCharacter) {
  EXPECT_EQ(WideToUtf8(std::u16string(1, u'\xD800') + u"a"),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(WideToUtf8(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace platform
