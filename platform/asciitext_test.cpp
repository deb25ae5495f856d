// ASCII case folding: only the 26 letter pairs are equal across case.
#include "platform/asciitext.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(AsciiText, OnlyLettersAToZFoldAndLengthsMustMatch) {
  const struct {
    std::string_view a, b;
    bool equal;
  } cases[] = {
      {"Skindata.Sk2", "SKINDATA.SK2", true},
      {"azAZ", "AZaz", true},
      {"", "", true},
      // Bytes 32 apart that are not letters stay apart.
      {"@", "`", false},
      {"a[b", "A{B", false},
      {"]", "}", false},
      {"^", "~", false},
      // Windows-1252 accented letters are not folded (e acute, E acute).
      {"caf\xE9", "CAF\xC9", false},
      {"caf\xE9", "CAF\xE9", true},
      {"COUNT", "COUNT(*)", false},
      {"ab", std::string_view("ab\0", 3), false},
      {std::string_view("a\0b", 3), std::string_view("A\0B", 3), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualsAsciiNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(EqualsAsciiNoCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
}

TEST(AsciiText, UpperChangesOnlyLowerCaseLetters) {
  EXPECT_EQ(AsciiUpper('a'), 'A');
  EXPECT_EQ(AsciiUpper('z'), 'Z');
  EXPECT_EQ(AsciiUpper('Q'), 'Q');
  EXPECT_EQ(AsciiUpper('`'), '`');  // just below 'a'
  EXPECT_EQ(AsciiUpper('{'), '{');  // just above 'z'
  EXPECT_EQ(AsciiUpper('\xE9'), '\xE9');
}

}  // namespace
}  // namespace platform
