// Differential tests of the DEFLATE decoder against zlib (native build only: the Windows
// toolchain has no zlib). zlib compresses random and structured data with every strategy;
// the decoder must give back the original, and must agree with zlib on corrupted streams
// that zlib accepts.
#ifdef DZ_HAVE_ZLIB

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "skin/inflate.h"

namespace skin {
namespace {

// Raw DEFLATE (no zlib header) of `data` at `level` with `strategy`.
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data, int level, int strategy) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
  std::vector<uint8_t> out(deflateBound(&z, data.size()) + 16);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// zlib's raw inflate: true when the stream ends properly, with its output.
bool ZlibInflate(const std::vector<uint8_t>& in, std::vector<uint8_t>& out, size_t cap) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  out.assign(cap, 0);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int rc = inflate(&z, Z_FINISH);
  out.resize(z.total_out);
  inflateEnd(&z);
  return rc == Z_STREAM_END;
}

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n, int alphabet) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng() % alphabet);
  return v;
}

// Text-like data: words from a small vocabulary, with long repeated passages and runs.
std::vector<uint8_t> StructuredBytes(std::mt19937& rng, size_t n) {
  static const char* const kWords[] = {"the ",  "song ",  "lyric ", "artist ", "album ",  "title ",
                                       "love ", "night ", "\r\n",   "and ",    "Doziviz "};
  std::vector<uint8_t> v;
  while (v.size() < n) {
    switch (rng() % 8) {
      case 0:  // a run: distance-1 matches
        v.insert(v.end(), 1 + rng() % 700, static_cast<uint8_t>(rng()));
        break;
      case 1:  // a long passage repeated from up to 32 KB back
        if (v.size() > 1000) {
          size_t back = 1 + rng() % std::min<size_t>(v.size(), 32768);
          size_t len = 1 + rng() % 2000;
          for (size_t i = 0; i < len; ++i) v.push_back(v[v.size() - back]);
        }
        break;
      default: {
        const char* w = kWords[rng() % (sizeof kWords / sizeof *kWords)];
        v.insert(v.end(), w, w + std::char_traits<char>::length(w));
      }
    }
  }
  v.resize(n);
  return v;
}

void ExpectRoundTrip(const std::vector<uint8_t>& data, int level, int strategy) {
  std::vector<uint8_t> compressed = Deflate(data, level, strategy);
  std::vector<uint8_t> out;
  TInflateResult r = InflateMemory(compressed.data(), compressed.size(), out, data.size());
  ASSERT_EQ(r.status, TInflateStatus::kOk) << InflateStatusName(r.status) << " level " << level
                                           << " strategy " << strategy << " size " << data.size();
  EXPECT_EQ(r.written, data.size());
  EXPECT_TRUE(out == data) << "level " << level << " strategy " << strategy;
}

TEST(InflateZlibTest, EveryLevelAndStrategyRoundTrips) {
  std::mt19937 rng(1951);
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  const size_t sizes[] = {0, 1, 100, 40000, 70000, 300000};
  for (size_t size : sizes) {
    std::vector<std::vector<uint8_t>> inputs = {
        RandomBytes(rng, size, 256),  // incompressible: stored blocks
        RandomBytes(rng, size, 4),    // small alphabet: short codes
        StructuredBytes(rng, size)};  // text, runs and long matches
    for (const auto& data : inputs) {
      for (int level : {0, 1, 6, 9}) {
        for (int strategy : strategies) ExpectRoundTrip(data, level, strategy);
      }
    }
  }
}

TEST(InflateZlibTest, LongOutputsInOneStream) {
  std::mt19937 rng(7);
  ExpectRoundTrip(StructuredBytes(rng, 5 << 20), 6, Z_DEFAULT_STRATEGY);
  ExpectRoundTrip(std::vector<uint8_t>(3 << 20, 'x'), 9, Z_DEFAULT_STRATEGY);  // distance 1
}

TEST(InflateZlibTest, StreamsMixingBlockTypesRoundTrip) {
  // deflateParams between chunks switches levels and strategies inside one stream, so stored,
  // fixed and dynamic blocks follow one another with matches reaching across them.
  std::mt19937 rng(99);
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<uint8_t> data;
    z_stream z{};
    ASSERT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::vector<uint8_t> compressed(1 << 22);
    z.next_out = compressed.data();
    z.avail_out = static_cast<uInt>(compressed.size());
    for (int chunk = 0; chunk < 8; ++chunk) {
      std::vector<uint8_t> piece = rng() % 3 == 0 ? RandomBytes(rng, 5000 + rng() % 30000, 256)
                                                  : StructuredBytes(rng, 5000 + rng() % 60000);
      ASSERT_EQ(deflateParams(&z, static_cast<int>(rng() % 10), static_cast<int>(rng() % 5)), Z_OK);
      size_t start = data.size();
      data.insert(data.end(), piece.begin(), piece.end());
      z.next_in = data.data() + start;
      z.avail_in = static_cast<uInt>(piece.size());
      ASSERT_EQ(deflate(&z, Z_NO_FLUSH), Z_OK);
    }
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    compressed.resize(z.total_out);
    deflateEnd(&z);
    std::vector<uint8_t> out;
    TInflateResult r = InflateMemory(compressed.data(), compressed.size(), out, data.size());
    ASSERT_EQ(r.status, TInflateStatus::kOk) << InflateStatusName(r.status);
    EXPECT_TRUE(out == data) << "trial " << trial;
  }
}

TEST(InflateZlibTest, TruncatedZlibStreamsFail) {
  std::mt19937 rng(3);
  std::vector<uint8_t> data = StructuredBytes(rng, 3000);
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED}) {
    std::vector<uint8_t> compressed = Deflate(data, 9, strategy);
    for (size_t n = 0; n < compressed.size(); ++n) {
      std::vector<uint8_t> out;
      TInflateResult r = InflateMemory(compressed.data(), n, out, UINT64_MAX);
      EXPECT_NE(r.status, TInflateStatus::kOk) << "cut at " << n;
    }
  }
}

TEST(InflateZlibTest, CorruptedStreamsThatZlibAcceptsDecodeAlike) {
  // zlib is stricter (it rejects incomplete codes and checks the stored length's complement),
  // so whatever zlib decodes completely, this decoder must decode to the same bytes.
  std::mt19937 rng(4);
  int agreed = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    std::vector<uint8_t> data = StructuredBytes(rng, 200 + rng() % 5000);
    std::vector<uint8_t> compressed =
        Deflate(data, static_cast<int>(rng() % 10), static_cast<int>(rng() % 5));
    int flips = 1 + static_cast<int>(rng() % 3);
    for (int f = 0; f < flips && !compressed.empty(); ++f) {
      compressed[rng() % compressed.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
    }
    std::vector<uint8_t> expected;
    const size_t cap = 1 << 20;
    bool zlibOk = ZlibInflate(compressed, expected, cap);
    std::vector<uint8_t> out;
    TInflateResult r = InflateMemory(compressed.data(), compressed.size(), out, cap);
    if (zlibOk && expected.size() < cap) {
      ++agreed;
      ASSERT_EQ(r.status, TInflateStatus::kOk) << "trial " << trial;
      EXPECT_TRUE(out == expected) << "trial " << trial;
    }
  }
  EXPECT_GT(agreed, 0);
}

}  // namespace
}  // namespace skin

#endif  // DZ_HAVE_ZLIB
