// Sort keys against Compare: on random pairs of Windows-1252 strings (accented letters, case,
// letters that sort as two, blanks, punctuation, hyphens and apostrophes, controls, ignored
// characters) the keys' memcmp order must be Compare's, with and without ignoring case, and keys
// of two values laid end to end must compare value by value.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/collation.h"

namespace platform {
namespace {

// Characters that exercise every level: plain and accented letters in both cases, the letters
// that weigh as two (æ Æ ß þ œ), digits, blank, punctuation, hyphen and apostrophe (word-sort
// weights only), controls, NUL and soft hyphen (ignored).
const std::string kAlphabet =
    "abeoABEO\xE9\xC9\xE8\xEA\xEB\xF6\xD6\xF8\xE6\xC6\xDF\xFE\xDE\x9C\x8C\x9A\x8A\xFF\x9F"
    "019 !,.-'\x01\x09\x7F\xAD" +
    std::string(1, '\0');

std::string RandomText(std::mt19937& rng, size_t minLength = 0, size_t spread = 9) {
  std::string s(minLength + rng() % spread, ' ');
  for (char& c : s) c = kAlphabet[rng() % kAlphabet.size()];
  return s;
}

// A string near `a` (a case change, an accent, an ignored character, a swap) so that many pairs
// share levels and some are equal under the collation.
std::string Near(std::string a, std::mt19937& rng) {
  if (a.empty()) return RandomText(rng);
  const size_t at = rng() % a.size();
  switch (rng() % 5) {
    case 0:
      a[at] = ToUpper(a[at]) == a[at] ? ToLower(a[at]) : ToUpper(a[at]);
      break;
    case 1:
      a.insert(at, 1, rng() % 2 ? '\xAD' : '\0');
      break;
    case 2:
      a[at] = kAlphabet[rng() % kAlphabet.size()];
      break;
    case 3:
      a.insert(at, 1, rng() % 2 ? '-' : '\'');
      break;
    default:
      std::swap(a[at], a[rng() % a.size()]);
  }
  return a;
}

std::vector<uint8_t> KeyOf(const std::string& s, uint32_t flags) {
  std::vector<uint8_t> key;
  EXPECT_TRUE(AppendSortKey(kLocaleUserDefault, flags, s.data(), s.size(), key));
  return key;
}

int KeyOrder(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end())) return -1;
  return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end()) ? 1 : 0;
}

int CompareOrder(const std::string& a, const std::string& b, uint32_t flags) {
  return Compare(kLocaleUserDefault, flags, a.data(), int(a.size()), b.data(), int(b.size())) -
         kCompareEqual;
}

bool HasSortKeys() {
  std::vector<uint8_t> key;
  return AppendSortKey(kLocaleUserDefault, 0, "a", 1, key);
}

TEST(SortKey, OrdersRandomPairsAsCompareDoes) {
  if (!HasSortKeys()) GTEST_SKIP() << "the platform gives no sort keys";
  std::mt19937 rng(1252);
  int equal = 0;
  for (uint32_t flags : {0u, kNormIgnoreCase}) {
    for (int i = 0; i < 40000; ++i) {
      const std::string a = RandomText(rng);
      const std::string b = i % 2 ? Near(a, rng) : RandomText(rng);
      const int expected = CompareOrder(a, b, flags);
      equal += expected == 0;
      ASSERT_EQ(KeyOrder(KeyOf(a, flags), KeyOf(b, flags)), expected)
          << "flags " << flags << " «" << a << "» «" << b << "»";
    }
  }
  EXPECT_GT(equal, 1000) << "the pairs should include many equal under the collation";
}

TEST(SortKey, KeysOfSeveralValuesCompareValueByValue) {
  if (!HasSortKeys()) GTEST_SKIP() << "the platform gives no sort keys";
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    const std::string a1 = RandomText(rng), a2 = RandomText(rng);
    const std::string b1 = i % 2 ? Near(a1, rng) : RandomText(rng), b2 = Near(a2, rng);
    std::vector<uint8_t> a = KeyOf(a1, 0), b = KeyOf(b1, 0);
    ASSERT_TRUE(AppendSortKey(kLocaleUserDefault, 0, a2.data(), a2.size(), a));
    ASSERT_TRUE(AppendSortKey(kLocaleUserDefault, 0, b2.data(), b2.size(), b));
    int expected = CompareOrder(a1, b1, 0);
    if (expected == 0) expected = CompareOrder(a2, b2, 0);
    ASSERT_EQ(KeyOrder(a, b), expected)
        << "«" << a1 << "|" << a2 << "» «" << b1 << "|" << b2 << "»";
  }
}

TEST(SortKey, LongTextsOrderAsCompareDoes) {
  if (!HasSortKeys()) GTEST_SKIP() << "the platform gives no sort keys";
  std::mt19937 rng(65531);
  for (int i = 0; i < 2000; ++i) {
    const std::string a = RandomText(rng, 150, 150);
    const std::string b = i % 4 ? Near(a, rng) : RandomText(rng, 150, 150);
    const uint32_t flags = i % 2 ? kNormIgnoreCase : 0;
    ASSERT_EQ(KeyOrder(KeyOf(a, flags), KeyOf(b, flags)), CompareOrder(a, b, flags)) << i;
  }
}

TEST(SortKey, AppendsAfterWhatTheBufferHolds) {
  if (!HasSortKeys()) GTEST_SKIP() << "the platform gives no sort keys";
  std::vector<uint8_t> key = {0xAA, 0xBB};
  const std::vector<uint8_t> alone = KeyOf("Beatles", 0);
  ASSERT_TRUE(AppendSortKey(kLocaleUserDefault, 0, "Beatles", 7, key));
  ASSERT_EQ(key.size(), alone.size() + 2);
  EXPECT_TRUE(std::equal(alone.begin(), alone.end(), key.begin() + 2));
}

// Equal-length strings of classed bytes: equal ignoring case exactly when the classes agree.
TEST(IgnoreCaseClasses, DecideEqualityOfClassedStringsAsCompareDoes) {
  uint8_t classes[256];
  if (!IgnoreCaseClasses(kLocaleUserDefault, classes)) GTEST_SKIP() << "no byte classes";
  EXPECT_EQ(classes['a'], classes['A']);
  EXPECT_NE(classes['a'], classes[0xE1]) << "an accent is not a case";
  EXPECT_EQ(classes[0xE9], classes[0xC9]);
  for (int c : {0x00, 0x2D, 0x27, 0xAD, 0xE6, 0xDF}) EXPECT_EQ(classes[c], 0) << c;
  std::string classed;
  for (int c = 0; c < 256; ++c)
    if (classes[c] != 0) classed += char(c);
  std::mt19937 rng(99);
  int equal = 0;
  for (int i = 0; i < 50000; ++i) {
    std::string a(1 + rng() % 6, ' ');
    for (char& c : a) c = classed[rng() % classed.size()];
    std::string b = a;
    for (char& c : b) {
      if (rng() % 2) c = rng() % 2 ? ToUpper(c) : ToLower(c);
      if (rng() % 8 == 0) c = classed[rng() % classed.size()];
    }
    bool same = true;
    for (size_t k = 0; k < a.size(); ++k)
      same = same && classes[uint8_t(a[k])] == classes[uint8_t(b[k])];
    equal += same;
    ASSERT_EQ(same, CompareOrder(a, b, kNormIgnoreCase) == 0) << "«" << a << "» «" << b << "»";
  }
  EXPECT_GT(equal, 5000);
}

}  // namespace
}  // namespace platform
