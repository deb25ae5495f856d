// Filtered indexes: views made by cursors from parsed filters, kept up to date with changes made
// through another cursor; handles, dropping, failed adds and the sizing rule.
#include "tableengine/dsfilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tableengine/DBCommon.h"
#include "tableengine/dssort.h"
#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using namespace testing;

class FilteredViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = MakeLyricsTable();
    ASSERT_NE(table_, nullptr);
    ASSERT_EQ(view_.Attach(table_.get()), DBERR_NONE);
    ASSERT_EQ(editor_.Attach(table_.get()), DBERR_NONE);
  }
  // Adds «text» (case-insensitive, as the lyrics table's filter options) to the view's cursor.
  DBResult Filter(const std::string& text, uint32_t* handle,
                  db::TFilterOptions options = db::foCaseInsensitive) {
    db::TExprParser parser(LyricsFieldList(), text, options);
    EXPECT_TRUE(parser.Ok()) << parser.Error().message;
    return view_.AddFilter(parser.FilterData(), parser.DataSize(), handle);
  }
  void Insert(const char* artist, const char* title = "t") {
    Rec r(*table_);
    if (artist) r.Str(kArtist, artist);
    r.Str(kTitle, title);
    ASSERT_EQ(editor_.InsertRecord(r.data()), DBERR_NONE);
  }
  // The Artists of the view, in its order.
  std::vector<std::string> Artists() {
    std::vector<std::string> out;
    uint32_t count = 0;
    EXPECT_EQ(view_.GetRecordCount(&count), DBERR_NONE);
    Rec r(*table_);
    for (uint32_t n = 1; n <= count; ++n) {
      EXPECT_EQ(view_.GetRecordAt(n, r.data(), nullptr, nullptr), DBERR_NONE);
      out.push_back(r.GetStr(kArtist));
    }
    return out;
  }
  // Puts the editor on the record whose Artist is `artist`.
  void EditorTo(const std::string& artist) {
    editor_.MoveToBOF();
    Rec r(*table_);
    while (editor_.MoveRelative(1) == DBERR_NONE) {
      editor_.GetCurrentRecord(r.data());
      if (r.GetStr(kArtist) == artist) return;
    }
    FAIL() << artist;
  }
  void SetArtist(const std::string& from, const char* to) {
    EditorTo(from);
    Rec r(*table_);
    ASSERT_EQ(editor_.GetCurrentRecord(r.data()), DBERR_NONE);
    if (to)
      r.Str(kArtist, to);
    else
      r.Blank(kArtist);
    ASSERT_EQ(editor_.ModifyRecord(r.data()), DBERR_NONE);
  }

  using Names = std::vector<std::string>;
  std::unique_ptr<DSBASE> table_;
  DSCursor view_{MakeFilteredIndex};
  DSCursor editor_{MakeFilteredIndex};
};

TEST_F(FilteredViewTest, ViewFollowsChangesMadeThroughAnotherCursor) {
  Insert("Beatles");
  Insert("Abba");
  Insert(nullptr);
  uint32_t handle = 0;
  ASSERT_EQ(Filter("Artist like 'b%'", &handle), DBERR_NONE);
  EXPECT_EQ(handle, 1u);
  EXPECT_EQ(view_.CurrentIndex()->Kind(), kIndexFiltered);
  EXPECT_EQ(Artists(), Names({"Beatles"}));
  Insert("bee gees");
  Insert("Cream");
  EXPECT_EQ(Artists(), Names({"Beatles", "bee gees"}));
  SetArtist("Beatles", "Abba II");  // leaves the view
  EXPECT_EQ(Artists(), Names({"bee gees"}));
  SetArtist("Cream", "Blur");  // enters the view
  EXPECT_EQ(Artists(), Names({"bee gees", "Blur"}));
  SetArtist("bee gees", nullptr);  // null never passes
  EXPECT_EQ(Artists(), Names({"Blur"}));
  EditorTo("Blur");
  ASSERT_EQ(editor_.DeleteRecord(), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({}));
}

TEST_F(FilteredViewTest, ViewKeepsTheOrderOfTheIndexItWasMadeFrom) {
  for (const char* a : {"Bz", "Ba", "Abba", "Bm"}) Insert(a);
  const uint32_t artist = kArtist;
  ASSERT_EQ(view_.SortOnFields(1, &artist, nullptr, nullptr), DBERR_NONE);
  uint32_t handle;
  ASSERT_EQ(Filter("Artist like 'b%'", &handle), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"Ba", "Bm", "Bz"}));
  Insert("Bb");
  EXPECT_EQ(Artists(), Names({"Ba", "Bb", "Bm", "Bz"}));
  // Dropping the only filter refills the view in the same order with every record.
  ASSERT_EQ(view_.DropFilter(handle), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"Abba", "Ba", "Bb", "Bm", "Bz"}));
}

TEST_F(FilteredViewTest, HandlesCountPerListAndDroppingRebuildsWithTheRest) {
  for (const char* a : {"Bay", "Bee", "Cay"}) Insert(a);
  uint32_t first = 0, second = 0;
  ASSERT_EQ(Filter("Artist like 'b%'", &first), DBERR_NONE);
  ASSERT_EQ(Filter("Artist like '%y'", &second), DBERR_NONE);
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(second, 2u);
  EXPECT_EQ(Artists(), Names({"Bay"}));
  EXPECT_EQ(view_.DropFilter(7), DBERR_OBJNOTFOUND);
  ASSERT_EQ(view_.DropFilter(first), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"Bay", "Cay"}));
  EXPECT_EQ(view_.DropFilter(first), DBERR_OBJNOTFOUND);
  ASSERT_EQ(view_.DropFilter(second), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"Bay", "Bee", "Cay"}));
  EXPECT_EQ(view_.DropFilter(second), DBERR_NA);  // the list went with its last filter
  uint32_t again = 0;
  ASSERT_EQ(Filter("Artist like 'c%'", &again), DBERR_NONE);
  EXPECT_EQ(again, 1u);  // a new list
  EXPECT_EQ(Artists(), Names({"Cay"}));
}

TEST_F(FilteredViewTest, FailedAddLeavesTheViewUnchanged) {
  Insert("Beatles");
  Insert("Abba");
  db::TExprFieldList wrongTypes("cdsMain", {{"Id", "", 1, db::ftString, 10, db::fkData}});
  db::TExprParser parser(wrongTypes, "Id = 'x'", 0);  // a string test on an integer field
  ASSERT_TRUE(parser.Ok());
  uint32_t handle = 99;
  DSIDX* before = view_.CurrentIndex();
  EXPECT_EQ(view_.AddFilter(parser.FilterData(), parser.DataSize(), &handle), DBERR_TYPEMISMATCH);
  EXPECT_EQ(handle, 99u);
  EXPECT_EQ(view_.CurrentIndex(), before);
  EXPECT_EQ(Artists().size(), 2u);
  // The same on a view that is already filtered.
  ASSERT_EQ(Filter("Artist like 'b%'", &handle), DBERR_NONE);
  EXPECT_EQ(view_.AddFilter(parser.FilterData(), parser.DataSize(), &handle), DBERR_TYPEMISMATCH);
  EXPECT_EQ(handle, 1u);
  EXPECT_EQ(Artists(), Names({"Beatles"}));
  const uint8_t garbage[12] = {2, 0, 12, 0};
  EXPECT_EQ(view_.AddFilter(garbage, sizeof garbage, &handle), DBERR_INVALIDPARAM);
  EXPECT_EQ(Artists(), Names({"Beatles"}));
}

TEST_F(FilteredViewTest, LikeOnTheLyricMemo) {
  Rec r(*table_);
  r.Str(kArtist, "A");
  const char lyric[] = "she loves you, yeah";
  ASSERT_EQ(table_->PutBlob(r.data(), kLyric, 0, lyric, sizeof lyric - 1), DBERR_NONE);
  ASSERT_EQ(editor_.InsertRecord(r.data()), DBERR_NONE);
  Insert("B");
  uint32_t handle;
  ASSERT_EQ(Filter("Lyric like '%LOVES%'", &handle), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"A"}));
}

TEST_F(FilteredViewTest, CaseSensitiveFilterWithoutTheOption) {
  Insert("Beatles");
  Insert("bee gees");
  uint32_t handle;
  ASSERT_EQ(Filter("Artist like 'b%'", &handle, 0), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"bee gees"}));
}

TEST(FilteredIndex, PositionArraySizing) {
  auto table = MakeLyricsTable();
  DSIDXFILT index(*table);
  EXPECT_EQ(index.InitialCapacity(0), 10u);
  EXPECT_EQ(index.InitialCapacity(500), 510u);
  EXPECT_EQ(index.InitialCapacity(501), 110u);
  EXPECT_EQ(index.InitialCapacity(100000), 20010u);
}

}  // namespace
}  // namespace dsengine

namespace dsengine {
namespace {

TEST_F(FilteredViewTest, RefilteringASortedViewWithOtherOptions) {
  for (const char* a : {"Beatles", "Abba", "Cream", "abc", "Abba"}) Insert(a);
  const uint32_t keys[2] = {kArtist, kTitle};
  ASSERT_EQ(view_.SortOnFields(2, keys, nullptr, nullptr), DBERR_NONE);
  uint32_t handle = 0;
  ASSERT_EQ(Filter("Artist like 'ab%'", &handle), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"Abba", "Abba", "abc"}));
  ASSERT_EQ(view_.DropFilter(handle), DBERR_NONE);
  ASSERT_EQ(Filter("Artist like 'c%'", &handle), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"Cream"}));
  ASSERT_EQ(view_.DropFilter(handle), DBERR_NONE);
  ASSERT_EQ(Filter("Artist like 'c%'", &handle, 0), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({}));
  ASSERT_EQ(view_.DropFilter(handle), DBERR_NONE);
  ASSERT_EQ(Filter("Artist like 'ab%'", &handle, 0), DBERR_NONE);
  EXPECT_EQ(Artists(), Names({"abc"}));
}

// A filtered view over a sorted order holds exactly the records a reference gives: the sorted
// order's records kept when the filter program passes the record gathered into a flat buffer.
// Random tables (accents, case variants, blanks, modified and deleted records) and filters;
// views made from the sorted index and rebuilt after dropping a filter.
TEST(FilteredView, RandomViewsHoldWhatEvaluatingFlatRecordsGives) {
  const std::vector<std::string> words = {"",          "abba",      "Abba",   "Beatles", "b",
                                          "\xE9t\xE9", "\xC9T\xC9", "love",   "gLOVEs",  "co-op",
                                          "a c",       "abc",       "x\xE6y", "bl\xF6k", "BEAT"};
  const char* const filters[] = {"Artist like 'b%'",
                                 "Title like '%love%'",
                                 "Artist like '%\xE9%'",
                                 "Title like 'a_c%'",
                                 "Artist like 'ab%' or Title like '%c'",
                                 "Artist = 'abba'",
                                 "Artist > 'b' and Title like '%e%'",
                                 "Artist is null or Album like 'x%'",
                                 "Title like '%co-op'"};
  std::mt19937 rng(5);
  auto word = [&] { return words[rng() % words.size()]; };
  for (int trial = 0; trial < 12; ++trial) {
    auto table = MakeLyricsTable();
    DSCursor view(MakeFilteredIndex), editor(MakeFilteredIndex);
    ASSERT_EQ(view.Attach(table.get()), DBERR_NONE);
    ASSERT_EQ(editor.Attach(table.get()), DBERR_NONE);
    auto Filter = [&](const char* text, uint32_t* handle) {
      db::TExprParser parser(LyricsFieldList(), text, db::foCaseInsensitive);
      EXPECT_TRUE(parser.Ok()) << parser.Error().message;
      return view.AddFilter(parser.FilterData(), parser.DataSize(), handle);
    };
    for (int i = 0; i < 300; ++i) {
      Rec r(*table);
      for (uint32_t f : {kArtist, kAlbum, kTitle})
        if (rng() % 8) r.Str(f, word());
      ASSERT_EQ(editor.InsertRecord(r.data()), DBERR_NONE);
    }
    for (int i = 0; i < 60; ++i) {
      ASSERT_EQ(editor.MoveToSeqNo(1 + rng() % 250), DBERR_NONE);
      Rec r(*table);
      ASSERT_EQ(editor.GetCurrentRecord(r.data()), DBERR_NONE);
      r.Str(rng() % 2 ? kArtist : kTitle, word());
      ASSERT_EQ(i % 5 ? editor.ModifyRecord(r.data()) : editor.DeleteRecord(), DBERR_NONE);
    }
    const uint32_t keys[2] = {kArtist, kTitle};
    ASSERT_EQ(view.SortOnFields(2, keys, nullptr, nullptr), DBERR_NONE);
    DSIDX* sorted = table->DefaultIndex();
    table->AdoptIndex(sorted);
    ASSERT_EQ(table->SortOnFields(&sorted, 2, keys, nullptr, nullptr), DBERR_NONE);
    uint32_t handle = 0;
    for (int round = 0; round < 3; ++round) {
      const char* text = filters[rng() % std::size(filters)];
      if (round > 0) {
        ASSERT_EQ(view.DropFilter(handle), DBERR_NONE);
      }
      ASSERT_EQ(Filter(text, &handle), DBERR_NONE) << text;
      db::TExprParser parser(LyricsFieldList(), text, db::foCaseInsensitive);
      FilterProgram program;
      ASSERT_EQ(program.Build(parser.FilterData(), parser.DataSize(), &table->Field(1),
                              table->FieldCount(), table->Locale()),
                DBERR_NONE);
      // The first filter keeps the sorted index's order; a filter added after dropping one
      // refills the view from all live records and sorts them (SortIndexEntries).
      std::vector<uint32_t> candidates = Order(*sorted);
      if (round > 0) std::sort(candidates.begin(), candidates.end());
      std::vector<int32_t> passing = {0}, expected, got;
      Rec flat(*table);
      for (uint32_t rec : candidates) {
        ASSERT_EQ(table->ReadRecord(rec, flat.data()), DBERR_NONE);
        if (program.Evaluate(flat.data(), nullptr)) passing.push_back(int32_t(rec));
      }
      if (round > 0)
        SortIndexEntries(passing.data(), uint32_t(passing.size() - 1), [&](int32_t a, int32_t b) {
          return sorted->CompareRecords(uint32_t(a), uint32_t(b)) < 0;
        });
      for (size_t k = 1; k < passing.size(); ++k)
        expected.push_back(StoredInt(*table, uint32_t(passing[k]), kId));
      uint32_t count = 0;
      ASSERT_EQ(view.GetRecordCount(&count), DBERR_NONE);
      for (uint32_t n = 1; n <= count; ++n) {
        ASSERT_EQ(view.GetRecordAt(n, flat.data(), nullptr, nullptr), DBERR_NONE);
        got.push_back(flat.GetInt(kId));
      }
      ASSERT_EQ(got, expected) << "trial " << trial << " «" << text << "»";
    }
    table->ReleaseIndex(sorted);
  }
}

}  // namespace
}  // namespace dsengine
