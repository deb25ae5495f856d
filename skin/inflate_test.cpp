// Tests of the DEFLATE decoder with streams written field by field (testing/deflatewriter.h):
// every block type, back references, window flushes, and one vector per malformed case.
#include "skin/inflate.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "testing/deflatewriter.h"

namespace skin {
namespace {

using dztest::BitWriter;
using dztest::Lit;
using dztest::Match;
using S = TInflateStatus;

constexpr uint64_t kNoLimit = UINT64_MAX;

TInflateResult Decode(const std::vector<uint8_t>& in, std::vector<uint8_t>& out,
                      uint64_t limit = kNoLimit) {
  return InflateMemory(in.data(), in.size(), out, limit);
}

// Literal/length code lengths for a dynamic block that can send every symbol 0-285.
std::vector<uint8_t> DynamicLengths() {
  std::vector<uint8_t> l(286);
  for (int i = 0; i < 286; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
  return l;
}

std::string AsText(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  unsigned value = 0;
  int digits = 0;
  for (char c : hex) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) continue;
    value = value * 16 + d;
    if (++digits == 2) {
      out.push_back(static_cast<uint8_t>(value));
      value = 0;
      digits = 0;
    }
  }
  return out;
}

TEST(InflateTest, StoredBlockCopiesBytesAndIgnoresTheComplement) {
  struct Case {
    const char* hex;
    const char* text;
  } cases[] = {
      {"01 00 00 ff ff", ""},                             // empty final stored block
      {"01 05 00 fa ff 68 65 6c 6c 6f", "hello"},         // LEN 5, NLEN its complement
      {"01 05 00 00 00 68 65 6c 6c 6f", "hello"},         // NLEN wrong: not checked
      {"00 02 00 fd ff 61 62 01 01 00 fe ff 63", "abc"},  // two stored blocks
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> out;
    EXPECT_EQ(Decode(FromHex(c.hex), out).status, S::kOk) << c.hex;
    EXPECT_EQ(AsText(out), c.text) << c.hex;
  }
}

TEST(InflateTest, FixedBlockWithLiteralsAndMatches) {
  BitWriter w;
  dztest::WriteFixedBlock(w, true,
                          {Lit('a'), Lit('b'), Lit('c'), Match(6, 3), Lit('x'), Match(258, 1)});
  std::vector<uint8_t> out;
  ASSERT_EQ(Decode(w.bytes(), out).status, S::kOk);
  EXPECT_EQ(AsText(out), "abcabcabcx" + std::string(258, 'x'));
}

TEST(InflateTest, DistanceOneLengthTenRepeatsOneByte) {
  BitWriter w;
  dztest::WriteFixedBlock(w, true, {Lit('q'), Match(10, 1)});
  std::vector<uint8_t> out;
  ASSERT_EQ(Decode(w.bytes(), out).status, S::kOk);
  EXPECT_EQ(AsText(out), std::string(11, 'q'));
}

TEST(InflateTest, OverlappingMatchesOfEveryShortDistance) {
  for (int dist = 2; dist <= 9; ++dist) {
    BitWriter w;
    std::vector<dztest::DeflateItem> items;
    std::string expected;
    for (int i = 0; i < dist; ++i) {
      items.push_back(Lit(static_cast<uint8_t>('a' + i)));
      expected += static_cast<char>('a' + i);
    }
    items.push_back(Match(37, dist));
    for (int i = 0; i < 37; ++i) expected += expected[expected.size() - dist];
    dztest::WriteFixedBlock(w, true, items);
    std::vector<uint8_t> out;
    ASSERT_EQ(Decode(w.bytes(), out).status, S::kOk) << dist;
    EXPECT_EQ(AsText(out), expected) << dist;
  }
}

TEST(InflateTest, DynamicBlockDecodesWithItsOwnCodes) {
  // Literals 'a' (2 bits), 'b' (2), end of block (2), length 3 (symbol 257, 2 bits); one
  // distance code of length 1 (an incomplete code is allowed).
  std::vector<uint8_t> lit(258, 0);
  lit['a'] = 2;
  lit['b'] = 2;
  lit[256] = 2;
  lit[257] = 2;
  std::vector<uint8_t> dist(1, 1);
  BitWriter w;
  dztest::WriteDynamicBlock(w, true, lit, dist, {Lit('a'), Lit('b'), Match(3, 1), Lit('a')});
  std::vector<uint8_t> out;
  ASSERT_EQ(Decode(w.bytes(), out).status, S::kOk);
  EXPECT_EQ(AsText(out), "abbbba");
}

TEST(InflateTest, MixedBlocksAboveSixtyFourKilobytesKeepBackReferences) {
  // 200 KB: stored, fixed and dynamic blocks, each block referring 32,768 bytes back across
  // the window flushes.
  std::string expected;
  BitWriter w;
  std::vector<uint8_t> raw(40000);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>((i * 7919) >> 5);
  dztest::WriteStoredBlock(w, false, raw);
  expected.append(raw.begin(), raw.end());
  std::vector<uint8_t> lit = DynamicLengths(), dist(30, 5);
  for (int block = 0; block < 6; ++block) {
    std::vector<dztest::DeflateItem> items;
    for (int i = 0; i < 100; ++i) {
      items.push_back(Match(258, 32768));
      for (int k = 0; k < 258; ++k) expected += expected[expected.size() - 32768];
      items.push_back(Lit(static_cast<uint8_t>(block * 31 + i)));
      expected += static_cast<char>(block * 31 + i);
    }
    bool final = block == 5;
    if (block % 2) {
      dztest::WriteFixedBlock(w, final, items);
    } else {
      dztest::WriteDynamicBlock(w, final, lit, dist, items);
    }
  }
  std::vector<uint8_t> out;
  TInflateResult r = Decode(w.bytes(), out);
  ASSERT_EQ(r.status, S::kOk);
  EXPECT_EQ(r.written, expected.size());
  EXPECT_TRUE(AsText(out) == expected);
}

// One malformed or truncated stream per failure mode, with the status it must end in.
struct BadStream {
  const char* what;
  std::function<void(BitWriter&)> write;
  S expected;
};

void Header(BitWriter& w, int final, int type) {
  w.Put(final, 1);
  w.Put(type, 2);
}

// A dynamic header with explicit HLIT/HDIST/HCLEN and code-length code lengths.
void DynamicStart(BitWriter& w, int hlit, int hdist, const std::vector<int>& clOrderLengths) {
  Header(w, 1, 2);
  w.Put(hlit, 5);
  w.Put(hdist, 5);
  w.Put(static_cast<uint32_t>(clOrderLengths.size() - 4), 4);
  for (int n : clOrderLengths) w.Put(n, 3);
}

// Code-length code: symbols 16, 17, 18, 0..15 in sending order, every one length 5
// (incomplete: 19/32), so symbol s is sent as its canonical 5-bit code.
const std::vector<int> kAllFive(19, 5);
int CanonicalFive(int symbol) { return symbol; }  // all lengths equal: code = symbol index

const BadStream kBadStreams[] = {
    {"empty input", [](BitWriter&) {}, S::kInputEnded},
    {"reserved block type 3", [](BitWriter& w) { Header(w, 1, 3); }, S::kReservedBlockType},
    {"stored header cut short",
     [](BitWriter& w) {
       Header(w, 1, 0);
       w.AlignToByte();
       w.Put(5, 16);
     },
     S::kInputEnded},
    {"stored data cut short",
     [](BitWriter& w) {
       Header(w, 1, 0);
       w.AlignToByte();
       w.Put(3, 16);
       w.Put(0xFFFC, 16);
       w.PutByte('a');
       w.PutByte('b');
     },
     S::kInputEnded},
    {"non-final empty block, then nothing",
     [](BitWriter& w) {
       Header(w, 0, 1);
       w.PutCode(0, 7);
     },
     S::kInputEnded},
    {"fixed literal without end of block",
     [](BitWriter& w) {
       Header(w, 1, 1);
       dztest::FixedLiteralCode().Write(w, 'a');
     },
     S::kInputEnded},
    {"length symbol 286",
     [](BitWriter& w) {
       Header(w, 1, 1);
       dztest::FixedLiteralCode().Write(w, 'a');
       dztest::FixedLiteralCode().Write(w, 286);
     },
     S::kInvalidLengthSymbol},
    {"distance symbol 30",
     [](BitWriter& w) {
       Header(w, 1, 1);
       dztest::FixedLiteralCode().Write(w, 'a');
       dztest::FixedLiteralCode().Write(w, 257);
       w.PutCode(30, 5);
     },
     S::kInvalidDistanceSymbol},
    {"distance before the start of the output",
     [](BitWriter& w) {
       Header(w, 1, 1);
       dztest::WriteItems(w, {Lit('a'), Match(3, 2)}, dztest::FixedLiteralCode(),
                          dztest::FixedDistanceCode());
     },
     S::kDistanceTooFar},
    {"HLIT 30: 287 literal/length codes", [](BitWriter& w) { DynamicStart(w, 30, 0, kAllFive); },
     S::kTooManyLengthCodes},
    {"HDIST 30: 31 distance codes", [](BitWriter& w) { DynamicStart(w, 0, 30, kAllFive); },
     S::kTooManyDistanceCodes},
    {"over-subscribed code-length code",
     [](BitWriter& w) {
       DynamicStart(w, 0, 0, {1, 1, 1, 0});
     },
     S::kBadCodeLengthCode},
    {"repeat symbol 16 first",
     [](BitWriter& w) {
       DynamicStart(w, 0, 0, kAllFive);
       w.PutCode(CanonicalFive(16), 5);
       w.Put(0, 2);
     },
     S::kRepeatWithoutPrevious},
    {"zero run past the last length",
     [](BitWriter& w) {
       DynamicStart(w, 0, 0, kAllFive);  // 257 + 1 lengths
       w.PutCode(CanonicalFive(18), 5);
       w.Put(127, 7);  // 138 zeros
       w.PutCode(CanonicalFive(18), 5);
       w.Put(127, 7);  // 138 more: 276 > 258
     },
     S::kRepeatTooLong},
    {"over-subscribed literal/length code",
     [](BitWriter& w) {
       DynamicStart(w, 0, 0, kAllFive);
       for (int i = 0; i < 3; ++i) w.PutCode(CanonicalFive(1), 5);  // three codes of length 1
       for (int i = 3; i < 258; ++i) w.PutCode(CanonicalFive(0), 5);
     },
     S::kBadLiteralLengthCode},
    {"code that no symbol uses",
     [](BitWriter& w) {
       DynamicStart(w, 0, 0, kAllFive);
       w.PutCode(CanonicalFive(2), 5);  // literal 0: length 2 (codes 00)
       for (int i = 1; i < 256; ++i) w.PutCode(CanonicalFive(0), 5);
       w.PutCode(CanonicalFive(2), 5);  // end of block: length 2 (code 01)
       w.PutCode(CanonicalFive(0), 5);  // distance 0 unused
       w.PutCode(3, 2);                 // code 11: reached by nothing
     },
     S::kInvalidCode},
    {"one thousand zero bytes: empty stored blocks that never end",
     [](BitWriter& w) {
       for (int i = 0; i < 1000; ++i) w.PutByte(0);
     },
     S::kInputEnded},
};

TEST(InflateTest, MalformedStreamsEndWithTheirStatus) {
  for (const BadStream& bad : kBadStreams) {
    BitWriter w;
    bad.write(w);
    std::vector<uint8_t> out;
    EXPECT_EQ(Decode(w.bytes(), out).status, bad.expected) << bad.what;
  }
}

TEST(InflateTest, DistanceCodeOverSubscribed) {
  std::vector<uint8_t> lit(257, 0);
  lit[0] = 1;
  lit[256] = 1;
  BitWriter w;
  dztest::WriteDynamicHeader(w, true, lit, {1, 1, 1});
  std::vector<uint8_t> out;
  EXPECT_EQ(Decode(w.bytes(), out).status, S::kBadDistanceCode);
}

TEST(InflateTest, EveryTruncationOfAValidStreamFails) {
  BitWriter w;
  dztest::WriteStoredBlock(w, false, {'s', 't', 'o', 'r', 'e', 'd'});
  dztest::WriteFixedBlock(w, false, {Lit('f'), Match(20, 1), Lit('g')});
  std::vector<uint8_t> lit = DynamicLengths(), dist(30, 5);
  dztest::WriteDynamicBlock(w, true, lit, dist, {Lit('d'), Match(100, 3), Lit('e')});
  const std::vector<uint8_t>& full = w.bytes();
  std::vector<uint8_t> out;
  ASSERT_EQ(Decode(full, out).status, S::kOk);
  for (size_t n = 0; n < full.size(); ++n) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + n);
    out.clear();
    EXPECT_NE(Decode(cut, out).status, S::kOk) << "cut at " << n;
  }
}

TEST(InflateTest, OutputLimitStopsBeforeWritingMore) {
  BitWriter w;
  std::vector<dztest::DeflateItem> items = {Lit('z')};
  for (int i = 0; i < 1000; ++i) items.push_back(Match(258, 1));  // 258,001 bytes
  dztest::WriteFixedBlock(w, true, items);
  std::vector<uint8_t> out;
  TInflateResult r = Decode(w.bytes(), out, 100000);
  EXPECT_EQ(r.status, S::kOutputLimit);
  EXPECT_LE(r.written, 100000u);
  EXPECT_EQ(out.size(), r.written);
  out.clear();
  EXPECT_EQ(Decode(w.bytes(), out, 258001).status, S::kOk);
  EXPECT_EQ(out.size(), 258001u);
  out.clear();
  EXPECT_EQ(Decode(w.bytes(), out, 258000).status, S::kOutputLimit);
}

TEST(InflateTest, FailureAfterAFlushKeepsOnlyWholeFlushedSteps) {
  // 70,000 bytes decoded, then a reserved block: the first 32 KB were written, the rest not.
  BitWriter w;
  std::vector<dztest::DeflateItem> items = {Lit('r')};
  for (int i = 0; i < 271; ++i) items.push_back(Match(258, 1));
  dztest::WriteFixedBlock(w, false, items);
  Header(w, 1, 3);
  std::vector<uint8_t> out;
  TInflateResult r = Decode(w.bytes(), out);
  EXPECT_EQ(r.status, S::kReservedBlockType);
  EXPECT_EQ(r.written, kInflateFlushSize);
  EXPECT_EQ(out, std::vector<uint8_t>(kInflateFlushSize, 'r'));
}

}  // namespace
}  // namespace skin
