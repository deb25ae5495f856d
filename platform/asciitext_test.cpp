// ASCII case folding: only the 26 letter pairs are equal across case.
#include "platform/asciitext.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(AsciiText, OnlyLettersAToZFold) {
  EXPECT_TRUE(EqualsAsciiNoCase("Skindata.Sk2", "SKINDATA.SK2"));
  EXPECT_TRUE(EqualsAsciiNoCase("azAZ", "AZaz"));
  EXPECT_TRUE(EqualsAsciiNoCase("", ""));
  // Bytes 32 apart that are not letters stay apart: '@' '`', '[' '{', ']' '}', '^' '~'.
  EXPECT_FALSE(EqualsAsciiNoCase("@", "`"));
  EXPECT_FALSE(EqualsAsciiNoCase("a[b", "A{B"));
  EXPECT_FALSE(EqualsAsciiNoCase("]", "}"));
  EXPECT_FALSE(EqualsAsciiNoCase("^", "~"));
  // Windows-1252 accented letters are not folded ('\xE9' is e acute, '\xC9' E acute).
  EXPECT_FALSE(EqualsAsciiNoCase("caf\xE9", "CAF\xC9"));
  EXPECT_TRUE(EqualsAsciiNoCase("caf\xE9", "CAF\xE9"));
}

TEST(AsciiText, LengthsMustMatch) {
  EXPECT_FALSE(EqualsAsciiNoCase("COUNT", "COUNT(*)"));
  EXPECT_FALSE(EqualsAsciiNoCase("ab", std::string_view("ab\0", 3)));
  EXPECT_TRUE(EqualsAsciiNoCase(std::string_view("a\0b", 3), std::string_view("A\0B", 3)));
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
