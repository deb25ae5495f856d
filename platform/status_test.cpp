#include "platform/status.h"

#include <gtest/gtest.h>

#include <set>

namespace platform {
namespace {

TEST(StatusText, KnownCodesHaveTheirTexts) {
  const std::pair<uint16_t, const char*> samples[] = {
      {0, "Successful completion."},
      {8705, "At beginning of table."},
      {8712, "Could not find object."},
      {9729, "Key violation."},
      {10038, "Field name can't be null, datapacket may be corrupted"},
      {11871, "Type mismatch in expression."},
      {16397, "Special case: wrong order of updates for fly-away!"},
      {16401, "Delayed fetching not supported for XML."},
  };
  for (auto [code, expected] : samples) {
    std::string text = "stale";
    EXPECT_TRUE(LoadStatusText(code, text)) << code;
    EXPECT_EQ(text, expected) << code;
  }
}

TEST(StatusText, UnknownCodesGiveFalseAndAnEmptyText) {
  for (uint16_t code : {1, 8704, 8707, 9730, 16402, 65535}) {
    std::string text = "stale";
    EXPECT_FALSE(LoadStatusText(code, text)) << code;
    EXPECT_TRUE(text.empty()) << code;
  }
}

// Exactly the engine's 45 codes have a text, none longer than a string resource holds.
TEST(StatusText, TableHoldsExactlyTheEngineCodes) {
  const std::set<uint16_t> codes = {0,     8705,  8706,  8708,  8709,  8710,  8712,  9473,  9729,
                                    9732,  9734,  9740,  9985,  9986,  9997,  10000, 10009, 10010,
                                    10022, 10030, 10035, 10038, 10502, 10756, 10757, 10763, 10767,
                                    11871, 11950, 12289, 16385, 16386, 16387, 16388, 16389, 16392,
                                    16393, 16394, 16395, 16396, 16397, 16398, 16399, 16400, 16401};
  int found = 0;
  for (uint32_t code = 0; code <= 0xFFFF; ++code) {
    std::string text;
    bool known = LoadStatusText(static_cast<uint16_t>(code), text);
    EXPECT_EQ(known, codes.count(static_cast<uint16_t>(code)) == 1) << code;
    if (!known) continue;
    ++found;
    EXPECT_LE(text.size(), 127u) << code;
    EXPECT_FALSE(text.empty()) << code;
  }
  EXPECT_EQ(found, 45);
}

}  // namespace
}  // namespace platform
