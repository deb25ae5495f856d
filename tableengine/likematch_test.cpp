// LIKE patterns: every documented example, case rules, and random patterns against a plain
// backtracking matcher.
#include "tableengine/likematch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace dsengine {
namespace {

bool Ci(const char* pattern, const char* text) { return LikeMatch(pattern, text, true, 0); }
bool Cs(const char* pattern, const char* text) { return LikeMatch(pattern, text, false, 0); }

TEST(LikePattern, DocumentedExamplesCaseInsensitive) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"b%", "Beatles", true},      {"b%", "b", true},
      {"b%", "Abba", false},        {"%", "", true},
      {"%", "anything", true},      {"ab%cd%", "ABCD", true},
      {"ab%cd%", "abXcdY", true},   {"ab%cd%", "aB cD", true},
      {"ab%cd%", "abc", false},     {"ab%cd%", "xabcd", false},
      {"a%bx%", "abxBq", true},     {"a_c%", "abc", true},
      {"a_c%", "a c", true},        {"a_c%", "ac", false},
      {"abc\\%", "abc%", true},     {"abc\\%", "ABC%", true},
      {"abc\\%", "abcd", false},    {"abc\\%", "abc%x", false},
      {"%%x", "aax", true},         {"%%x", "xa", false},
      {"a%%", "abc", true},         {"a%%", "ba", false},
      {"a%\xE9%", "a\xE9", true},   {"a%\xE9%", "A\xC9", true},
      {"b%tles%", "Beatles", true}, {"beat%", "Beatles", true},
      {"abc", "ABC", true},         {"abc", "abcd", false},
      {"%les", "Beatles", true},    {"%les", "Beatlesx", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Ci(c.pattern, c.text), c.match) << c.pattern << " ~ " << c.text;
}

TEST(LikePattern, CaseSensitiveComparesBytes) {
  EXPECT_FALSE(Cs("b%", "Beatles"));
  EXPECT_TRUE(Cs("B%", "Beatles"));
  EXPECT_FALSE(Cs("a%bx%", "aBxbq"));
  EXPECT_FALSE(Cs("%X", "abx"));
  EXPECT_TRUE(Cs("\xFF%\x80", "\xFFzz\x80"));
  EXPECT_FALSE(Cs("\xE9", "\xC9"));
}

TEST(LikePattern, CompiledStepsAndFixedLength) {
  LikePattern p;
  p.Compile("ab%cd%", true, 0);
  EXPECT_EQ(p.FixedLength(), 4u);
  ASSERT_EQ(p.Steps().size(), 4u);
  EXPECT_EQ(p.Steps()[0].kind, LikePattern::kCompare);
  EXPECT_EQ(p.Steps()[1].kind, LikePattern::kFind);
  EXPECT_EQ(p.Steps()[2].kind, LikePattern::kCompare);
  EXPECT_EQ(p.Steps()[3].kind, LikePattern::kSuccess);
  // No "%" at the end: the end check goes right after the last find.
  p.Compile("a%__b_c", false, 0);
  EXPECT_EQ(p.FixedLength(), 6u);
  std::vector<LikePattern::StepKind> kinds;
  for (const auto& s : p.Steps()) kinds.push_back(s.kind);
  EXPECT_EQ(kinds, (std::vector<LikePattern::StepKind>{LikePattern::kCompare, LikePattern::kSkip,
                                                       LikePattern::kFind, LikePattern::kEndCheck,
                                                       LikePattern::kSkip, LikePattern::kCompare,
                                                       LikePattern::kSuccess}));
  // Without any find the end check comes first.
  p.Compile("abc", false, 0);
  EXPECT_EQ(p.Steps()[0].kind, LikePattern::kEndCheck);
}

TEST(LikePattern, PercentFollowedOnlyByUnderscoresLeavesTheSlackToThePercent) {
  EXPECT_TRUE(Cs("a%_", "abcd"));
  EXPECT_TRUE(Cs("%_", "xyz"));
  EXPECT_FALSE(Cs("%_", ""));
  EXPECT_TRUE(Cs("a%b%_", "axbyz"));
}

TEST(LikePattern, TrailingBackslashIsAnOrdinaryCharacter) {
  EXPECT_TRUE(Cs("ab\\", "ab\\"));
  EXPECT_FALSE(Cs("ab\\", "ab"));
  EXPECT_TRUE(Cs("a\\\\%", "a\\x"));
  EXPECT_TRUE(Cs("a\\_", "a_"));
  EXPECT_FALSE(Cs("a\\_", "ab"));
}

// A plain backtracking LIKE, the reference for the random test.
bool Reference(const std::string& p, size_t i, const std::string& t, size_t j) {
  if (i == p.size()) return j == t.size();
  char c = p[i];
  if (c == '%') {
    for (size_t k = j; k <= t.size(); ++k)
      if (Reference(p, i + 1, t, k)) return true;
    return false;
  }
  if (j == t.size()) return false;
  if (c == '\\' && i + 1 < p.size()) return p[i + 1] == t[j] && Reference(p, i + 2, t, j + 1);
  return (c == '_' || c == t[j]) && Reference(p, i + 1, t, j + 1);
}

TEST(LikePattern, RandomPatternsAgreeWithABacktrackingMatcher) {
  std::mt19937 rng(20261209);
  const char patternChars[] = "ab%_\\";
  const char textChars[] = "ab%_";
  LikePattern compiled;
  for (int round = 0; round < 40000; ++round) {
    std::string pattern, text;
    int pn = rng() % 8, tn = rng() % 9;
    for (int i = 0; i < pn; ++i) pattern += patternChars[rng() % 5];
    for (int i = 0; i < tn; ++i) text += textChars[rng() % (round % 3 == 0 ? 4 : 2)];
    compiled.Compile(pattern, false, 0);
    ASSERT_EQ(compiled.Match(text.data(), text.size()), Reference(pattern, 0, text, 0))
        << "pattern «" << pattern << "» text «" << text << "»";
  }
}

// Ignoring case, compare runs go through byte classes where they can; a pattern compiled once
// must match every text exactly as the same pattern comparing each run through the collation.
TEST(LikePattern, ByteClassRunsMatchAsTheCollationDoes) {
  const std::string alphabet =
      "abAB\xE9\xC9"
      "e\xE6\xC6\xDF-' %%__\\\xAD";
  const std::string letters =
      "abAB\xE9\xC9"
      "e\xE6\xC6\xDF\xF6\xD6-' \xAD";
  std::mt19937 rng(2024);
  for (int i = 0; i < 3000; ++i) {
    std::string pattern(1 + rng() % 6, ' ');
    for (char& c : pattern) c = alphabet[rng() % alphabet.size()];
    LikePattern fast, plain;
    fast.Compile(pattern, true, 0);
    plain.Compile(pattern, true, 0, false);
    for (int k = 0; k < 40; ++k) {
      std::string text(rng() % 9, ' ');
      for (char& c : text) c = letters[rng() % letters.size()];
      ASSERT_EQ(fast.Match(text.data(), text.size()), plain.Match(text.data(), text.size()))
          << "«" << pattern << "» ~ «" << text << "»";
    }
  }
}

TEST(LikePattern, LongTextsWithManyPercentsStayFast) {
  std::string text(100000, 'a');
  text += 'b';
  EXPECT_TRUE(Cs("%a%a%a%a%b", text.c_str()));
  EXPECT_FALSE(Cs("%a%a%a%a%c", text.c_str()));
  EXPECT_FALSE(Cs("%aab%a", text.c_str()));
}

// A field's text ends at its first NUL or at the field's end. MatchField must answer exactly as
// Match over that text for every shape of pattern, also with bytes after the NUL that would
// match, and must not read past the field (each field is its own allocation of exactly its
// capacity, which the sanitizers check).
TEST(LikePattern, MatchFieldAnswersAsMatchOverTheTextBeforeTheFirstNul) {
  const std::string patternChars("abAB\xE9\xC9%%%__\\\0", 13);
  const std::string fieldChars("abAB\xE9\xC9%_\\\0\0", 11);
  std::mt19937 rng(1209);
  int shapes[3] = {};
  LikePattern compiled;
  for (int round = 0; round < 6000; ++round) {
    std::string pattern(rng() % 7, ' ');
    for (char& c : pattern) c = patternChars[rng() % (round % 5 ? 12 : 13)];
    if (round % 3 == 0) pattern = "%" + pattern + "%";  // the search box's other shape
    const bool ci = round % 2 == 0;
    compiled.Compile(pattern, ci, 0, round % 4 != 1);
    ++shapes[compiled.FieldShape()];
    for (int k = 0; k < 20; ++k) {
      const size_t capacity = rng() % 11;
      std::unique_ptr<char[]> field(new char[capacity]);
      for (size_t i = 0; i < capacity; ++i)
        field[i] = fieldChars[rng() % (k % 2 ? 9 : fieldChars.size())];
      const size_t length = strnlen(field.get(), capacity);
      ASSERT_EQ(compiled.MatchField(field.get(), capacity), compiled.Match(field.get(), length))
          << "«" << pattern << "» ~ «" << std::string(field.get(), capacity) << "» ci " << ci;
    }
  }
  EXPECT_GT(shapes[LikePattern::kAnchored], 500);
  EXPECT_GT(shapes[LikePattern::kLeadingFind], 300);
  EXPECT_GT(shapes[LikePattern::kGeneral], 500);
}

TEST(LikePattern, FieldShapes) {
  LikePattern p;
  for (const char* anchored : {"b%", "%", "a_c%", "ab%_", "_%", "abc\\%%"}) {
    p.Compile(anchored, true, 0);
    EXPECT_EQ(p.FieldShape(), LikePattern::kAnchored) << anchored;
  }
  for (const char* leading : {"%love%", "%l%", "%%l_ve%", "%l%%"}) {
    p.Compile(leading, true, 0);
    EXPECT_EQ(p.FieldShape(), LikePattern::kLeadingFind) << leading;
  }
  for (const char* general : {"", "abba", "%love", "%a%b%", "a%b%", "_%a%", "abc\\%"}) {
    p.Compile(general, true, 0);
    EXPECT_EQ(p.FieldShape(), LikePattern::kGeneral) << general;
  }
}

}  // namespace
}  // namespace dsengine
