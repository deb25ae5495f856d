// Differential test: the portable collation, case mapping, code page and locale table against
// the real Windows APIs (run under Wine). Every comparison must agree in sign.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/collation.h"
#include "platform/collation_portable.h"
#include "platform/cp1252.h"

namespace platform {
namespace {

// Characters the generated strings are made of: plain and accented letters of both cases,
// the letters that sort as two, digits, blanks, hyphens, apostrophes, dashes and controls.
const std::string kPool =
    "aAbBcCeEiIoOsStTuUyYzZ"
    "\xE0\xC0\xE1\xC1\xE2\xE4\xC4\xE5\xC5\xE7\xC7\xE8\xE9\xC9\xEA\xEB\xED\xEF\xF1\xD1\xF3\xF6"
    "\xD6\xF8\xD8\xFA\xFC\xDC\xFD\xFF\x9F\x8A\x9A\x8E\x9E\xE6\xC6\x9C\x8C\xDF\xF0\xD0\xFE\xDE"
    "\xAA\xBA\xB2\xB9\x83"
    "0123456789  \xA0--''\x96\x97\xAD\x01\x7F.,;!?&";

std::string RandomWord(std::mt19937& rng, size_t max_len) {
  std::string s;
  size_t len = rng() % (max_len + 1);
  for (size_t i = 0; i < len; ++i) s += kPool[rng() % kPool.size()];
  return s;
}

// A few thousand strings: random words, all prefixes of some of them, case variants, random
// bytes, and the empty string.
std::vector<std::string> MakeCorpus() {
  std::mt19937 rng(20261209);
  std::vector<std::string> corpus = {"",      "abba",      "Abba",  "ABBA", "Beatles",   "beatles",
                                     "co-op", "coop",      "co'op", "Coop", "a b",       "ab",
                                     "a-b",   "\xE9t\xE9", "ete",   "Ete",  "\xC9t\xE9", "\xE6",
                                     "ae",    "AE",        "\xDF",  "ss"};
  for (int i = 0; i < 1800; ++i) corpus.push_back(RandomWord(rng, 8));
  for (int i = 0; i < 150; ++i) {
    std::string w = RandomWord(rng, 12);
    for (size_t n = 0; n <= w.size(); ++n) corpus.push_back(w.substr(0, n));
  }
  for (int i = 0; i < 400; ++i) {
    std::string w = corpus[rng() % corpus.size()];
    for (char& c : w) {
      if (rng() % 2) c = rng() % 2 ? portable::ToUpper(c) : portable::ToLower(c);
    }
    corpus.push_back(w);
  }
  for (int i = 0; i < 300; ++i) {
    std::string w(rng() % 10, '\0');
    for (char& c : w) c = static_cast<char>(rng() % 256);
    corpus.push_back(w);
  }
  return corpus;
}

std::string Hex(const std::string& s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) snprintf(buf, sizeof buf, "%02X", c), out += buf;
  return out;
}

struct Tally {
  long total = 0;
  long agree = 0;
  void Report(const char* what) const {
    printf("%s: %ld of %ld comparisons agree (%.4f%%)\n", what, agree, total,
           total ? 100.0 * agree / total : 100.0);
  }
};

TEST(CollationDifferential, PortableCompareAgreesWithCompareStringEverywhere) {
  const std::vector<std::string> corpus = MakeCorpus();
  std::mt19937 rng(7);
  std::vector<std::pair<size_t, size_t>> pairs;
  for (int i = 0; i < 60000; ++i) pairs.emplace_back(rng() % corpus.size(), rng() % corpus.size());
  // Neighbours in sorted order are the closest calls; prefix families sit together there.
  std::vector<size_t> order(corpus.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t x, size_t y) { return corpus[x] < corpus[y]; });
  for (size_t i = 1; i < order.size(); ++i) pairs.emplace_back(order[i - 1], order[i]);
  std::sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    return portable::Compare(0, 0, corpus[x].c_str(), -1, corpus[y].c_str(), -1) == kCompareLess;
  });
  for (size_t i = 1; i < order.size(); ++i) pairs.emplace_back(order[i - 1], order[i]);

  Tally narrow, wide;
  for (uint32_t lcid : {0u, 0x409u}) {
    for (uint32_t flags : {0u, static_cast<uint32_t>(NORM_IGNORECASE)}) {
      for (auto [i, j] : pairs) {
        const std::string& a = corpus[i];  // counted: embedded NULs take part
        const std::string& b = corpus[j];
        const int alen = static_cast<int>(a.size()), blen = static_cast<int>(b.size());
        int expected = CompareStringA(lcid, flags, a.data(), alen, b.data(), blen);
        int actual = portable::Compare(lcid, flags, a.data(), alen, b.data(), blen);
        ++narrow.total;
        if (expected == actual) {
          ++narrow.agree;
        } else {
          ADD_FAILURE() << "CompareStringA lcid " << lcid << " flags " << flags << ": " << Hex(a)
                        << " vs " << Hex(b) << " expected " << expected << " got " << actual;
        }
        std::u16string wa = portable::AnsiToWide(a), wb = portable::AnsiToWide(b);
        expected = CompareStringW(lcid, flags, reinterpret_cast<const wchar_t*>(wa.c_str()), -1,
                                  reinterpret_cast<const wchar_t*>(wb.c_str()), -1);
        actual = portable::CompareWide(lcid, flags, wa.c_str(), -1, wb.c_str(), -1);
        ++wide.total;
        if (expected == actual) {
          ++wide.agree;
        } else {
          ADD_FAILURE() << "CompareStringW lcid " << lcid << " flags " << flags << ": " << Hex(a)
                        << " vs " << Hex(b) << " expected " << expected << " got " << actual;
        }
      }
    }
  }
  narrow.Report("CompareStringA");
  wide.Report("CompareStringW");
}

TEST(CollationDifferential, NulTerminatedAndCountedLengthsAgree) {
  // Each text is padded with NULs, so every counted length below stays inside it.
  const char text[][8] = {"abc", "ab\0c", "abd", "", "a\0", "\0b", "Ab", "a-b\0z"};
  const int lens[] = {-1, 0, 1, 2, 3, 4, 5};
  for (const char* a : text) {
    for (const char* b : text) {
      for (int al : lens) {
        for (int bl : lens) {
          for (uint32_t flags : {0u, static_cast<uint32_t>(NORM_IGNORECASE)}) {
            EXPECT_EQ(CompareStringA(0, flags, a, al, b, bl),
                      portable::Compare(0, flags, a, al, b, bl))
                << Hex(std::string(a, 4)) << "/" << al << " vs " << Hex(std::string(b, 4)) << "/"
                << bl;
          }
        }
      }
    }
  }
}

// Word-sort positions are 16-bit: strings with more primary weights than that wrap around.
TEST(CollationDifferential, LongStringsWithHyphensAgree) {
  std::vector<std::string> texts;
  for (size_t n : {254u, 255u, 256u, 300u, 65533u, 65534u, 65535u, 65536u, 70000u}) {
    texts.push_back(std::string(n, 'a') + "-b");
    texts.push_back(std::string(n, 'a') + "b-");
    texts.push_back("-" + std::string(n, 'a') + "b");
    texts.push_back(std::string(n / 2, '\xDF') + "-b");  // each sharp s weighs twice
  }
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      for (uint32_t flags : {0u, static_cast<uint32_t>(NORM_IGNORECASE)}) {
        const int al = static_cast<int>(a.size()), bl = static_cast<int>(b.size());
        EXPECT_EQ(CompareStringA(0, flags, a.data(), al, b.data(), bl),
                  portable::Compare(0, flags, a.data(), al, b.data(), bl))
            << a.size() << " vs " << b.size();
      }
    }
  }
}

TEST(CaseMappingDifferential, AllBytesMapAsCharUpperAndCharLower) {
  int agree = 0;
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    const auto arg = reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(c));
    char upper = static_cast<char>(reinterpret_cast<UINT_PTR>(CharUpperA(arg)) & 0xFF);
    char lower = static_cast<char>(reinterpret_cast<UINT_PTR>(CharLowerA(arg)) & 0xFF);
    EXPECT_EQ(upper, portable::ToUpper(ch)) << "byte " << c;
    EXPECT_EQ(lower, portable::ToLower(ch)) << "byte " << c;
    agree += (upper == portable::ToUpper(ch)) + (lower == portable::ToLower(ch));
  }
  std::string all(256, '\0'), up, down;
  for (int c = 0; c < 256; ++c) all[c] = static_cast<char>(c);
  up = down = all;
  CharUpperBuffA(up.data(), 256);
  CharLowerBuffA(down.data(), 256);
  std::string pup = all, pdown = all;
  portable::ToUpperBuffer(pup.data(), pup.size());
  portable::ToLowerBuffer(pdown.data(), pdown.size());
  EXPECT_EQ(up, pup);
  EXPECT_EQ(down, pdown);
  printf("CharUpperA/CharLowerA: %d of 512 mappings agree\n", agree);
}

TEST(CodePageDifferential, AllBytesConvertAsMultiByteToWideChar) {
  ASSERT_EQ(GetACP(), 1252u) << "the tests run with Windows-1252 as the system code page";
  for (int c = 0; c < 256; ++c) {
    char ch = static_cast<char>(c);
    wchar_t w = 0;
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &ch, 1, &w, 1), 1);
    EXPECT_EQ(static_cast<char16_t>(w), Cp1252ToUnicode(static_cast<uint8_t>(c))) << "byte " << c;
  }
  // Every UTF-16 unit back: the same byte, or '?' for the units the code page lacks.
  for (uint32_t u = 1; u < 0x10000; ++u) {
    if (u >= 0xD800 && u < 0xE000) continue;
    wchar_t w = static_cast<wchar_t>(u);
    char out = 0;
    BOOL used_default = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &w, 1, &out, 1, "?", &used_default);
    bool lossless = true;
    std::string mine = portable::WideToAnsi(std::u16string(1, static_cast<char16_t>(u)), &lossless);
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(out, mine[0]) << "unit " << u;
    EXPECT_EQ(used_default == FALSE, lossless) << "unit " << u;
  }
}

TEST(LocaleDifferential, InstalledLocaleTableMatchesIsValidLocale) {
  int disagree = 0;
  for (uint32_t lcid = 0; lcid < 0x100000; ++lcid) {
    bool real = ::IsValidLocale(lcid, LCID_INSTALLED) != FALSE;
    if (real != portable::IsValidLocale(lcid)) {
      if (++disagree < 10) ADD_FAILURE() << "locale " << std::hex << lcid << " real " << real;
    }
  }
  EXPECT_EQ(disagree, 0);
}

}  // namespace
}  // namespace platform
