#include "platform/sysutils.h"

#include <gtest/gtest.h>

#include "platform/exceptions.h"

namespace {

struct IntCase {
  const char* text;
  bool ok;
  int32_t value;
};

TEST(StrToInt, AcceptsBlanksSignsAndHexPrefixes) {
  const IntCase cases[] = {
      {"0", true, 0},
      {"  42", true, 42},
      {"+7", true, 7},
      {"-13", true, -13},
      {"   -2147483648", true, INT32_MIN},
      {"2147483647", true, INT32_MAX},
      {"$1F", true, 31},
      {"0x10", true, 16},
      {"0XfF", true, 255},
      {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},
      {"$80000000", true, INT32_MIN},
      {"007", true, 7},
  };
  for (const IntCase& c : cases) {
    int32_t v = 12345;
    EXPECT_EQ(platform::TryStrToInt(c.text, v), c.ok) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(StrToInt, RefusesOverflowTrailingTextAndEmptyDigits) {
  const char* bad[] = {"",   " ",   "abc",        "12 ",         "1 2", "2147483648", "-2147483649",
                       "$",  "0x",  "$100000000", "99999999999", "+",   "-",          "1.5",
                       "$G", "- 1", "0x-1",       "\t5"};
  for (const char* text : bad) {
    int32_t v = 77;
    EXPECT_FALSE(platform::TryStrToInt(text, v)) << text;
    EXPECT_EQ(v, 77) << "value untouched on failure: " << text;
  }
}

TEST(StrToInt, RaisesConvertErrorWithTheText) {
  EXPECT_EQ(StrToInt(" 2"), 2);
  try {
    StrToInt("abc");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'abc' is not a valid integer value");
  }
  try {
    StrToInt("");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'' is not a valid integer value");
  }
}

}  // namespace
