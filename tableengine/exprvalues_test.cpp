// Value conversions of filter constants: day numbers, text to numbers, dates and times, packed
// decimals and SQL time stamps.
#include "tableengine/exprvalues.h"

#include <gtest/gtest.h>

namespace db {
namespace {

TEST(ExprValues, DayNumbersCountFromTheFirstOfJanuaryOfYearOne) {
  int32_t n = 0;
  ASSERT_TRUE(EncodeDayNumber(1, 1, 1, n));
  EXPECT_EQ(n, 1);
  ASSERT_TRUE(EncodeDayNumber(1899, 12, 30, n));
  EXPECT_EQ(n, 693594);  // the framework's date-time origin
  ASSERT_TRUE(EncodeDayNumber(1970, 1, 1, n));
  EXPECT_EQ(n, 719163);
  EXPECT_FALSE(EncodeDayNumber(2023, 2, 29, n));
  EXPECT_TRUE(EncodeDayNumber(2024, 2, 29, n));
  EXPECT_FALSE(EncodeDayNumber(0, 1, 1, n));
  // Every day of four centuries round-trips.
  for (int32_t d = 1; d < 146097 * 4; d += 7) {
    int y, m, day;
    DecodeDayNumber(d, y, m, day);
    int32_t back = 0;
    ASSERT_TRUE(EncodeDayNumber(y, m, day, back)) << d;
    ASSERT_EQ(back, d);
  }
}

TEST(ExprValues, TextConversions) {
  int64_t i = 0;
  EXPECT_TRUE(TextToInteger(" -42 ", i));
  EXPECT_EQ(i, -42);
  EXPECT_FALSE(TextToInteger("1.5", i));
  EXPECT_FALSE(TextToInteger("2147483648", i));
  EXPECT_FALSE(TextToInteger("", i));
  double d = 0;
  EXPECT_TRUE(TextToFloat("1,5e2", ',', d));
  EXPECT_EQ(d, 150);
  EXPECT_FALSE(TextToFloat("1.5", ',', d));
  EXPECT_FALSE(TextToFloat("1-2", '.', d));
  EXPECT_FALSE(TextToFloat("1e999", '.', d));
  bool b = false;
  EXPECT_TRUE(TextToBoolean("true", '.', b) && b);
  EXPECT_TRUE(TextToBoolean("0", '.', b) && !b);
  EXPECT_FALSE(TextToBoolean("yes", '.', b));
  int32_t day = 0, ms = 0;
  EXPECT_TRUE(TextToDate("2/29/2000", day));
  EXPECT_FALSE(TextToDate("2/30/2000", day));
  EXPECT_TRUE(TextToTime("1:30 PM", ms));
  EXPECT_EQ(ms, 13 * 3600000 + 30 * 60000);
  EXPECT_TRUE(TextToTime("23:59:59.5", ms));
  EXPECT_EQ(ms, 86399500);
  EXPECT_FALSE(TextToTime("24:00", ms));
  EXPECT_TRUE(TextToDateTime("1/2/1970 0:00:01", d));
  EXPECT_EQ(d, 719164.0 * kMsPerDay + 1000);
}

TEST(ExprValues, PackedDecimals) {
  uint8_t bcd[kBcdSize];
  ASSERT_TRUE(TextToBcd("-12.50", '.', 32, bcd));
  EXPECT_EQ(bcd[0], 32);
  EXPECT_EQ(bcd[1], 0x80 | 1);   // negative, one place (trailing zero dropped)
  EXPECT_EQ(bcd[2 + 15], 0x25);  // digits ...0125
  EXPECT_EQ(bcd[2 + 14], 0x01);
  EXPECT_DOUBLE_EQ(BcdToDouble(bcd, kBcdSize), -12.5);
  ASSERT_TRUE(TextToBcd("7", '.', 0, bcd));
  EXPECT_EQ(bcd[0], 1);
  EXPECT_EQ(bcd[2], 0x70);
  EXPECT_FALSE(TextToBcd(std::string(33, '9'), '.', 0, bcd));
  EXPECT_FALSE(TextToBcd("1x", '.', 0, bcd));
}

TEST(ExprValues, TimeStampsRoundTrip) {
  uint8_t ts[kTimeStampSize];
  double ms = 730120.0 * kMsPerDay + 45296789;  // 1 January 2000 12:34:56.789
  MsToTimeStamp(ms, ts);
  EXPECT_EQ(ts[0] | ts[1] << 8, 2000);
  EXPECT_EQ(ts[6], 12);
  EXPECT_EQ(ts[8], 34);
  EXPECT_EQ(ts[10], 56);
  EXPECT_EQ(ts[12] | ts[13] << 8, 789);
  EXPECT_EQ(TimeStampToMs(ts), ms);
}

}  // namespace
}  // namespace db
