// Filter programs: parsed filters run against flat records of the lyrics table and of a table
// with more field types; null rules, string comparison, LIKE on strings and blobs, type errors
// and malformed blocks.
#include "tableengine/filterprog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tableengine/DBCommon.h"
#include "tableengine/exprblock.h"
#include "tableengine/filter_testing.h"

namespace dsengine {
namespace {

using testing::Lyrics;
using testing::Typed;

TEST(FilterProgram, LyricsLayoutMatchesTheFlatRecord) {
  EXPECT_EQ(Lyrics().NewRecord().size(), 1058u);
  EXPECT_EQ(Lyrics().Field("SongFileName").offset, 551u);
  EXPECT_EQ(Lyrics().Field("Id").nullOffset, 1052u);
}

// Which of the given artists (nullptr = null) pass the filter.
std::vector<bool> Passing(const std::string& filter, const std::vector<const char*>& artists,
                          db::TFilterOptions options = db::foCaseInsensitive) {
  FilterProgram program;
  EXPECT_EQ(Lyrics().Compile(program, filter, options), DBERR_NONE) << filter;
  std::vector<bool> out;
  for (const char* a : artists) {
    std::vector<uint8_t> r = Lyrics().NewRecord();
    if (a) Lyrics().SetText(r, "Artist", a);
    out.push_back(program.Evaluate(r.data(), nullptr));
  }
  return out;
}

TEST(FilterProgram, LikeExamplesOnTheArtistField) {
  using V = std::vector<bool>;
  EXPECT_EQ(Passing("Artist like 'b%'", {"Beatles", "b", "Abba", nullptr}), V({1, 1, 0, 0}));
  EXPECT_EQ(Passing("Artist like '%'", {"", "x", nullptr}), V({1, 1, 0}));
  EXPECT_EQ(Passing("Artist like 'ab%cd%'", {"ABCD", "abXcdY", "aB cD", "abc", "xabcd"}),
            V({1, 1, 1, 0, 0}));
  EXPECT_EQ(Passing("Artist like 'a%bx%'", {"abxBq"}), V({1}));
  EXPECT_EQ(Passing("Artist like 'a_c%'", {"abc", "a c", "ac"}), V({1, 1, 0}));
  EXPECT_EQ(Passing("Artist like 'abc\\%'", {"abc%", "ABC%", "abcd", "abc"}), V({1, 1, 0, 0}));
  EXPECT_EQ(Passing("Artist like 'b%'", {"Beatles", "bee"}, 0), V({0, 1}));
  EXPECT_EQ(Passing("Artist like 'it's%'", {"It's me", "its"}), V({1, 0}));
  // «abc*»: the constant is «abc» with a partial length that LIKE ignores.
  EXPECT_EQ(Passing("Artist like 'abc*'", {"ABC", "abcd", "abc*"}), V({1, 0, 0}));
}

TEST(FilterProgram, StringComparisons) {
  using V = std::vector<bool>;
  EXPECT_EQ(Passing("Artist = 'abba'", {"ABBA", "abba", "abbax", nullptr}), V({1, 1, 0, 0}));
  EXPECT_EQ(Passing("Artist = 'abba'", {"ABBA", "abba"}, 0), V({0, 1}));
  EXPECT_EQ(Passing("Artist = 'ab*'", {"ABBA", "ab", "a", "xab"}), V({1, 1, 0, 0}));
  EXPECT_EQ(Passing("Artist <> 'ab*'", {"ABBA", "a", nullptr}), V({0, 1, 0}));
  // Ordering comparisons are binary nodes: case-sensitive, and the collation puts "b" before "B".
  EXPECT_EQ(Passing("Artist > 'b'", {"a", "c", "B", "Beatles"}), V({0, 1, 1, 1}));
  EXPECT_EQ(Passing("Artist <= 'b'", {"a", "c", "b"}), V({1, 0, 1}));
  // The ordering comparisons ignore the partial length.
  EXPECT_EQ(Passing("Artist >= 'bz*'", {"bzz", "bz*", "c"}), V({1, 1, 1}));
  EXPECT_EQ(Passing("Artist in ('x', 'y')", {"x", "Y", "z", nullptr}), V({1, 0, 0, 0}));
  EXPECT_EQ(Passing("upper(Artist) = 'ABBA'", {"abba", "Abba"}, 0), V({1, 1}));
  EXPECT_EQ(Passing("lower(Artist) + 'x' = 'abbax'", {"ABBA"}, 0), V({1}));
  EXPECT_EQ(Passing("trim(Artist) = 'a'", {"  a  "}, 0), V({1}));
  EXPECT_EQ(Passing("substring(Artist, 2, 3) = 'bcd'", {"abcdef", "xbcd"}, 0), V({1, 1}));
  EXPECT_EQ(Passing("substring(Artist, 3) = 'cdef'", {"abcdef"}, 0), V({1}));
}

TEST(FilterProgram, NullRules) {
  using V = std::vector<bool>;
  EXPECT_EQ(Passing("Artist = NULL", {"x", nullptr}), V({0, 1}));
  EXPECT_EQ(Passing("Artist is not null", {"x", nullptr}), V({1, 0}));
  EXPECT_EQ(Passing("Artist <> 'x'", {"y", nullptr}), V({1, 0}));
  // NOT, AND and OR combine the computed values and never take the null flag: a cleared field's
  // bytes (zeros: the empty string) take part.
  EXPECT_EQ(Passing("not (Artist = 'x')", {"x", "y", nullptr}), V({0, 1, 1}));
  EXPECT_EQ(Passing("(Artist = '') or (Artist = 'q')", {nullptr, "q", "r"}), V({1, 1, 0}));
  EXPECT_EQ(Passing("(Artist > '') and (Artist <> 'x')", {nullptr, "y"}), V({0, 1}));
}

TEST(FilterProgram, NumericComparisonsAndArithmetic) {
  FilterProgram p;
  ASSERT_EQ(Lyrics().Compile(p, "Id - 1 = 2"), DBERR_NONE);
  auto withId = [](int32_t id) {
    std::vector<uint8_t> r = Lyrics().NewRecord();
    Lyrics().SetValue(r, "Id", id);
    return r;
  };
  EXPECT_TRUE(p.Evaluate(withId(3).data(), nullptr));
  EXPECT_FALSE(p.Evaluate(withId(2).data(), nullptr));
  ASSERT_EQ(Lyrics().Compile(p, "-1 = Id"), DBERR_NONE);
  EXPECT_TRUE(p.Evaluate(withId(-1).data(), nullptr));
  ASSERT_EQ(Lyrics().Compile(p, "Id in (2, 4, 6)"), DBERR_NONE);
  EXPECT_TRUE(p.Evaluate(withId(4).data(), nullptr));
  EXPECT_FALSE(p.Evaluate(withId(5).data(), nullptr));
  ASSERT_EQ(Lyrics().Compile(p, "Id / 0 > 1"), DBERR_NONE);
  EXPECT_FALSE(p.Evaluate(withId(5).data(), nullptr));
  ASSERT_EQ(Lyrics().Compile(p, "Id * 2.5 >= 10"), DBERR_NONE);
  EXPECT_TRUE(p.Evaluate(withId(4).data(), nullptr));
  EXPECT_FALSE(p.Evaluate(withId(3).data(), nullptr));
  std::vector<uint8_t> nullId = Lyrics().NewRecord();
  ASSERT_EQ(Lyrics().Compile(p, "Id < 1"), DBERR_NONE);
  EXPECT_FALSE(p.Evaluate(nullId.data(), nullptr));
}

TEST(FilterProgram, LikeOnMemoMatchesTheBlobBytes) {
  testing::BlobTexts blobs;
  blobs.expectedField = 5;
  blobs.texts[1] = std::string("All you need is LOVE\0tail", 25);
  blobs.texts[2] = "Help!";
  FilterProgram p;
  ASSERT_EQ(Lyrics().Compile(p, "Lyric like '%love%'"), DBERR_NONE);
  auto withLyric = [](int32_t handle, bool null) {
    std::vector<uint8_t> r = Lyrics().NewRecord();
    if (!null) Lyrics().SetValue(r, "Lyric", handle);
    return r;
  };
  EXPECT_TRUE(p.Evaluate(withLyric(1, false).data(), &blobs));
  EXPECT_FALSE(p.Evaluate(withLyric(2, false).data(), &blobs));
  int before = blobs.calls;
  EXPECT_FALSE(p.Evaluate(withLyric(0, true).data(), &blobs));
  EXPECT_EQ(blobs.calls, before);  // a null blob is never fetched
  EXPECT_FALSE(p.Evaluate(withLyric(1, false).data(), nullptr));
  // Matched over the stored length, bytes after a NUL included.
  ASSERT_EQ(Lyrics().Compile(p, "Lyric like '%tail'"), DBERR_NONE);
  EXPECT_TRUE(p.Evaluate(withLyric(1, false).data(), &blobs));
}

TEST(FilterProgram, OtherFieldTypes) {
  const testing::FilterTable& t = Typed();
  const std::vector<uint8_t> r = testing::TypedRecord();
  struct Case {
    const char* filter;
    bool pass;
  } cases[] = {
      {"Flag", true},
      {"not Flag", false},
      {"Flag = true", true},
      {"Small < 0", true},
      {"Small + 5 = 0", true},
      {"W > 30000", false},
      {"Price > 2", true},
      {"Price = Small", false},
      {"Born = '1/1/2000'", true},
      {"Born < '12/31/1999'", false},
      {"Year(Born) = 2000", true},
      {"Month(Born) = 1", true},
      {"Stamp > Born", true},
      {"Hour(Stamp) = 13", true},
      {"Minute(Stamp) = 30", true},
      {"Date(Stamp) = Born", true},
      {"Fixed = 'ab'", true},
      {"Fixed = 'ab*'", true},
      {"Name = 'ab  '", false},
      {"Fixed <> 'ab'", true},
      {"Born - 1 < Born", true},
      {"Stamp - Born > 0.5", true},
  };
  for (const Case& c : cases) {
    FilterProgram p;
    ASSERT_EQ(t.Compile(p, c.filter, 0), DBERR_NONE) << c.filter;
    EXPECT_EQ(p.Evaluate(r.data(), nullptr), c.pass) << c.filter;
  }
}

TEST(FilterProgram, OperandTypesWithoutAnOperationFailWithTypeMismatch) {
  const char* filters[] = {"Id = Artist",
                           "Artist like Id",
                           "Id like 'x'",
                           "upper(Id) = 'x'",
                           "Artist + Id = 'x'",
                           "Year(Artist) = 1",
                           "sum(Id) = Id and Id = 1",
                           "Lyric = Lyric"};
  for (const char* f : filters) {
    db::TExprFieldList list("cdsMain", {{"Id", "", 1, db::ftAutoInc, 0, db::fkData},
                                        {"Artist", "", 2, db::ftString, 180, db::fkData},
                                        {"Lyric", "", 5, db::ftString, 180, db::fkData}});
    db::TExprParser parser(list, f, 0);
    if (!parser.Ok()) continue;  // the parser caught it already
    FilterProgram p;
    EXPECT_EQ(p.Build(parser.FilterData(), parser.DataSize(), Lyrics().Fields().data(), 6, 0),
              DBERR_TYPEMISMATCH)
        << f;
  }
}

TEST(FilterProgram, MalformedBlocksAreRefused) {
  db::TExprFieldList list("cdsMain", {{"Artist", "", 2, db::ftString, 180, db::fkData}});
  db::TExprParser parser(list, "Artist like 'b%'", db::foCaseInsensitive);
  ASSERT_TRUE(parser.Ok());
  const std::vector<uint8_t> good = parser.Block();
  FilterProgram p;
  auto build = [&](const std::vector<uint8_t>& b) {
    return p.Build(b.data(), b.size(), Lyrics().Fields().data(), 6, 0);
  };
  ASSERT_EQ(build(good), DBERR_NONE);
  auto edited = [&](size_t at, uint8_t v) {
    std::vector<uint8_t> b = good;
    b[at] = v;
    return b;
  };
  EXPECT_EQ(build(std::vector<uint8_t>(good.begin(), good.end() - 1)), DBERR_INVALIDPARAM);
  EXPECT_EQ(build(edited(0, 3)), DBERR_INVALIDPARAM);          // version
  EXPECT_EQ(build(edited(8, 200)), DBERR_INVALIDPARAM);        // literal area beyond the end
  EXPECT_EQ(build(edited(10 + 12, 0)), DBERR_INVALIDPARAM);    // left operand points at its parent
  EXPECT_EQ(build(edited(10 + 14, 100)), DBERR_INVALIDPARAM);  // right operand out of range
  EXPECT_EQ(build(edited(10, 77)), DBERR_INVALIDPARAM);        // unknown node class
  EXPECT_EQ(build(edited(52, 'X')), DBERR_INVALIDPARAM);       // unknown field name
  std::vector<uint8_t> unterminated = edited(58, 'x');
  unterminated[61] = 'x';
  EXPECT_EQ(build(unterminated), DBERR_INVALIDPARAM);               // name no longer NUL-terminated
  EXPECT_EQ(build(edited(10 + 28 + 10, 200)), DBERR_INVALIDPARAM);  // constant size too large
  EXPECT_EQ(p.Build(nullptr, 0, nullptr, 0, 0), DBERR_INVALIDPARAM);
  // A failed build leaves a program that passes nothing.
  std::vector<uint8_t> r = Lyrics().NewRecord();
  EXPECT_FALSE(p.Evaluate(r.data(), nullptr));
}

TEST(FilterProgram, NonBooleanRootPassesNothing) {
  // A block whose root is a string constant: well formed, never true.
  std::vector<uint8_t> b = {2, 0,  26, 0, 0xFF, 0xFF, 10, 0, 24, 0, 5, 0,   0,
                            0, 14, 0,  0, 0,    1,    0,  2, 0,  0, 0, 'x', 0};
  FilterProgram p;
  ASSERT_EQ(p.Build(b.data(), b.size(), Lyrics().Fields().data(), 6, 0), DBERR_NONE);
  std::vector<uint8_t> r = Lyrics().NewRecord();
  EXPECT_FALSE(p.Evaluate(r.data(), nullptr));
}

}  // namespace
}  // namespace dsengine
