// Byte encodings of the value converters, and their reads at the end of the bytes.
#include "datapacket/fldconv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dspacket {
namespace {

std::unique_ptr<FLDConv> Conv(uint32_t word) {
  std::unique_ptr<FLDConv> c;
  EXPECT_EQ(MakeConverter(word, &c), 0);
  return c;
}

std::vector<uint8_t> Encode(uint32_t word, const void* value, uint32_t length) {
  auto c = Conv(word);
  const uint8_t* v = static_cast<const uint8_t*>(value);
  const size_t size = c->PacketSize(v, length);
  EXPECT_NE(size, FLDConv::kUnencodable);
  std::vector<uint8_t> out(size + 1, 0xEE);
  EXPECT_EQ(c->Write(out.data(), v, length), out.data() + size);
  EXPECT_EQ(out.back(), 0xEE);  // nothing written past the packet size
  out.pop_back();
  return out;
}

using V = std::vector<uint8_t>;

TEST(FLDConv, EncodingsOfTheLyricsColumns) {
  EXPECT_EQ(Encode(0x00490001, "Rock", 4), (V{0x04, 0x52, 0x6F, 0x63, 0x6B}));
  EXPECT_EQ(Encode(0x00490001, "", 1), (V{0x01, 0x00}));  // empty string: its zero
  const int32_t id = 1;
  EXPECT_EQ(Encode(0x00010004, &id, 4), (V{0x01, 0x00, 0x00, 0x00}));
  const std::string song(300, 'a');
  V expected(2 + 300, 'a');
  expected[0] = 0x2C;  // 300 = 0x012C
  expected[1] = 0x01;
  EXPECT_EQ(Encode(0x00490002, song.data(), 300), expected);
  EXPECT_EQ(Encode(0x004B0004, "la", 2), (V{2, 0, 0, 0, 'l', 'a'}));
  EXPECT_EQ(Encode(0x004B0004, nullptr, 0), (V{0, 0, 0, 0}));  // empty BLOB: length 0
}

TEST(FLDConv, FixedKindsUseTheirWidthWhateverTheLength) {
  const uint8_t v[20] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  EXPECT_EQ(Encode(0x00010001, v, 2), (V{1}));  // int8 from a 2-byte field
  EXPECT_EQ(Encode(0x00010002, v, 0), (V{1, 2}));
  EXPECT_EQ(Encode(0x0004000A, v, 0), (V(v, v + 10)));
  EXPECT_EQ(Encode(0x00110010, v, 0), (V(v, v + 16)));
  EXPECT_EQ(Encode(0x000B0003, v, 9), (V{1, 2, 3}));
  EXPECT_TRUE(Encode(0x010C0002, v, 5).empty());  // structures carry no value
  V bcd(v, v + 6);
  bcd.resize(18, 0);  // always 18 bytes, zero filler
  EXPECT_EQ(Encode(0x00050006, v, 6), bcd);
  EXPECT_EQ(Encode(0x00120022, v, 34), (V(v, v + 18)));
}

TEST(FLDConv, VaryingLengthsBeyondThePrefixAreUnencodable) {
  const std::string big(70000, 'x');
  EXPECT_EQ(Conv(0x00490001)->PacketSize(nullptr, 256), FLDConv::kUnencodable);
  EXPECT_EQ(Conv(0x00490001)->PacketSize(nullptr, 255), 256u);
  EXPECT_EQ(Conv(0x00490002)->PacketSize(nullptr, 65536), FLDConv::kUnencodable);
  EXPECT_EQ(Conv(0x004B0004)->PacketSize(nullptr, 0x80000000u), FLDConv::kUnencodable);
  EXPECT_EQ(Encode(0x004B0004, big.data(), 70000).size(), 70004u);
}

TEST(FLDConv, ArraysCarryTheirCountThenTheElements) {
  const uint32_t log[] = {6, 1, 0, 4, 2, 0, 4};  // count 6: two change-log entries
  V expected;
  for (uint32_t x : log) expected.insert(expected.end(), {uint8_t(x), 0, 0, 0});
  EXPECT_EQ(Encode(0x00820004, log, sizeof log), expected);
  const uint8_t order[] = {2, 0, 0, 0, 1, 0x80, 2, 0x40};
  EXPECT_EQ(Encode(0x00820002, order, sizeof order), V(order, order + 8));
  const uint32_t overlong[] = {5, 1};  // count says 5, one element given
  EXPECT_EQ(Conv(0x00820004)->PacketSize(reinterpret_cast<const uint8_t*>(overlong), 8),
            FLDConv::kUnencodable);
}

TEST(FLDConv, ReadsStopAtTheEndOfTheBytes) {
  struct Case {
    uint32_t word;
    V bytes;
    uint32_t length;  // of the engine value when it fits
  } cases[] = {
      {0x00010004, {1, 2, 3, 4}, 4},
      {0x00050006, V(18, 1), 6},
      {0x00490001, {3, 'a', 'b', 'c'}, 3},
      {0x00490002, {3, 0, 'a', 'b', 'c'}, 3},
      {0x004B0004, {2, 0, 0, 0, 'a', 'b'}, 2},
      {0x00820002, {2, 0, 0, 0, 1, 0, 2, 0}, 8},
      {0x00850009, {1, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, 13},
  };
  for (const Case& c : cases) {
    auto conv = Conv(c.word);
    PacketValue value;
    const uint8_t* begin = c.bytes.data();
    EXPECT_EQ(conv->Read(begin, begin + c.bytes.size(), &value), begin + c.bytes.size());
    EXPECT_EQ(value.length, c.length) << std::hex << c.word;
    for (size_t cut = 0; cut < c.bytes.size(); ++cut) {
      EXPECT_EQ(conv->Read(begin, begin + cut, &value), nullptr) << std::hex << c.word << cut;
    }
  }
}

TEST(FLDConv, BlobNotFetchedMarkerHasNoBytes) {
  const V bytes{0x05, 0x00, 0x00, 0x80};
  PacketValue value;
  EXPECT_EQ(Conv(0x004B0004)->Read(bytes.data(), bytes.data() + 4, &value), bytes.data() + 4);
  EXPECT_EQ(value.length, 0u);
  EXPECT_EQ(value.blobMarker, 0x80000005u);
}

TEST(FLDConv, BcdArrayElementsKeepTheFieldLength) {
  V bytes{2, 0, 0, 0};
  for (int e = 0; e < 2; ++e) {
    for (int i = 0; i < 18; ++i) bytes.push_back(static_cast<uint8_t>(e * 18 + i));
  }
  auto conv = Conv(0x00850003);
  PacketValue value;
  ASSERT_EQ(conv->Read(bytes.data(), bytes.data() + bytes.size(), &value),
            bytes.data() + bytes.size());
  ASSERT_EQ(value.length, 4 + 2 * 3u);
  V out(value.length);
  conv->Extract(value, out.data());
  EXPECT_EQ(out, (V{2, 0, 0, 0, 0, 1, 2, 18, 19, 20}));
}

}  // namespace
}  // namespace dspacket
