// Tests of the bounds-checked byte reader: little-endian values, and a failure that sticks.
#include "platform/bytereader.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ByteReaderTest, ReadsLittleEndianValuesInOrder) {
  const uint8_t bytes[] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.U8(), 0x01);
  EXPECT_EQ(r.U16(), 0x1234);
  EXPECT_EQ(r.U32(), 0x12345678u);
  EXPECT_EQ(r.I16(), -2);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReaderTest, ReadPastTheEndFailsForGood) {
  const uint8_t bytes[] = {1, 2, 3};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.U32(), 0u);  // only three bytes: nothing is consumed
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.U8(), 0);  // even a read that would fit now fails
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.pos(), 0u);
}

TEST(ByteReaderTest, SeekSkipAndTakeAreBounded) {
  const uint8_t bytes[] = {10, 20, 30, 40};
  ByteReader r(bytes, sizeof bytes);
  r.Seek(4);  // the end itself is a valid position
  EXPECT_TRUE(r.ok());
  r.Seek(1);
  const uint8_t* p = r.Take(2);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 20);
  r.Skip(2);  // one byte left
  EXPECT_FALSE(r.ok());

  ByteReader s(bytes, sizeof bytes);
  s.Seek(5);
  EXPECT_FALSE(s.ok());
  uint8_t out[2] = {9, 9};
  EXPECT_FALSE(s.Bytes(out, 2));
  EXPECT_EQ(out[0], 0);  // zero-filled on failure
}

}  // namespace
}  // namespace platform
