// Filtered index rebuilds from all records: whether the index sorts by keys, by remembered key
// ranks or takes its remembered complete view, it must hold exactly the records, in exactly the
// order, that testing every indexable record in record-number order and sorting the passing
// ones with SortIndexEntries over CompareRecords gives (equal keys included). Random tables,
// descriptors, filter sequences and edits in between.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tableengine/DBCommon.h"
#include "tableengine/dsfilter.h"
#include "tableengine/dssort.h"
#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using namespace testing;

const char* const kFilters[] = {"Artist like 'b%'",
                                "Artist like 'B%'",
                                "Title like '%love%'",
                                "Title like '%a%'",
                                "Artist like '%'",
                                "Artist like 'a_%'",
                                "Artist like '%\xE9%'",
                                "Title like 'l_ve%'",
                                "Title like 'l\\_ve%'",
                                "Artist like '100\\%%'",
                                "Artist like '%b'",
                                "Title like 'abba'",
                                "Artist like 'ab%' or Title like '%c'",
                                "Artist >= 'b'",
                                "Album is null",
                                "Title like '%\xC6%'",
                                "Artist like '\xE9%'",
                                "Album like '_%'"};

struct Added {
  uint32_t handle;
  std::vector<uint8_t> expr;
};

class KeyOrderModel {
 public:
  explicit KeyOrderModel(uint32_t seed) : rng_(seed) {}

  void Run() {
    table_ = MakeLyricsTable();
    ASSERT_NE(table_, nullptr);
    for (int i = 0; i < 300; ++i) InsertRandom();
    for (int i = 0; i < 40; ++i) EditRandom();
    IndexDescriptor desc{};
    desc.fieldCount = 1 + rng_() % 2;
    const uint32_t candidates[] = {kArtist, kTitle, kAlbum, kId};
    for (uint32_t k = 0; k < desc.fieldCount; ++k) {
      desc.fields[k] = candidates[rng_() % 4];
      desc.descending[k] = rng_() % 4 == 0;
      desc.caseInsensitive[k] = rng_() % 3 == 0;
    }
    std::unique_ptr<DSFilteredIndex> made;
    ASSERT_EQ(MakeFilteredIndex(*table_, desc, &made), DBERR_NONE);
    index_ = static_cast<DSIDXFILT*>(table_->RegisterIndex(std::move(made)));
    ASSERT_NE(index_, nullptr);
    for (int step = 0; step < 40; ++step) {
      const uint32_t what = rng_() % 10;
      if (what < 4 || added_.empty()) {
        Add();
      } else if (what < 8) {
        Drop();
      } else {
        for (int i = 1 + int(rng_() % 3); i > 0; --i) EditRandom();
        continue;  // maintenance keeps its own order; rebuilds are checked
      }
      if (::testing::Test::HasFatalFailure()) return;
    }
    table_->ReleaseIndex(index_);
  }

  int remembered = 0;  // rebuilds that found a current remembered order

 private:
  std::string Word() { return kWords[rng_() % kWords.size()]; }
  void Fill(Rec& r) {
    for (uint32_t f : {kArtist, kAlbum, kTitle}) {
      if (rng_() % 8)
        r.Str(f, Word());
      else
        r.Blank(f);
    }
  }
  void InsertRandom() {
    if (table_->DeltaMode()) return;
    Rec r(*table_);
    Fill(r);
    uint32_t rec = 0;
    ASSERT_EQ(table_->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  }
  uint32_t SomeLiveRecord() {
    for (int tries = 0; tries < 50; ++tries) {
      const uint32_t rec = 1 + rng_() % (table_->NextRecordNumber() - 1);
      if (table_->Visible(rec)) return rec;
    }
    return 0;
  }
  void EditRandom() {
    const uint32_t what = rng_() % 12;
    if (what == 0) {
      table_->SetDeltaMode(!table_->DeltaMode());  // changes which records are indexable
      return;
    }
    if (what < 4) return InsertRandom();
    if (what == 4) {
      uint32_t follow = 0;
      table_->UndoLastChange(false, &follow);  // may find nothing to undo
      return;
    }
    const uint32_t rec = SomeLiveRecord();
    if (rec == 0) return;
    if (what == 5 && !table_->DeltaMode()) {
      ASSERT_EQ(table_->DeleteRecord(rec, nullptr), DBERR_NONE);
      return;
    }
    Rec r(*table_);
    ASSERT_EQ(table_->ReadRecord(rec, r.data()), DBERR_NONE);
    if (rng_() % 2)
      r.Str(rng_() % 2 ? kArtist : kTitle, Word());
    else
      r.Str(kAlbum, Word());  // a change that leaves the keys alone (unless Album is one)
    uint32_t newRec = 0;
    ASSERT_EQ(table_->ModifyRecord(rec, r.data(), nullptr, &newRec), DBERR_NONE);
  }

  void Add() {
    const char* text = kFilters[rng_() % std::size(kFilters)];
    db::TExprParser parser(LyricsFieldList(), text, rng_() % 4 ? db::foCaseInsensitive : 0);
    ASSERT_TRUE(parser.Ok()) << text;
    if (index_->RemembersKeyOrder()) ++remembered;
    uint32_t handle = 0;
    ASSERT_EQ(index_->AddFilter(parser.FilterData(), parser.DataSize(), nullptr, &handle),
              DBERR_NONE);
    added_.push_back({handle, std::vector<uint8_t>(parser.FilterData(),
                                                   parser.FilterData() + parser.DataSize())});
    Check(text);
  }
  void Drop() {
    const size_t at = rng_() % added_.size();
    if (index_->RemembersKeyOrder()) ++remembered;
    ASSERT_EQ(index_->DropFilter(added_[at].handle), DBERR_NONE);
    added_.erase(added_.begin() + std::ptrdiff_t(at));
    Check("after a drop");
  }

  // The slow way: every indexable record in record-number order, each program run on the
  // record gathered into a flat buffer, the passing ones sorted by comparing records.
  void Check(const char* what) {
    std::vector<std::unique_ptr<FilterProgram>> programs;
    for (const Added& a : added_) {
      programs.push_back(std::make_unique<FilterProgram>());
      ASSERT_EQ(programs.back()->Build(a.expr.data(), a.expr.size(), &table_->Field(1),
                                       table_->FieldCount(), table_->Locale()),
                DBERR_NONE);
    }
    std::vector<int32_t> passing = {0};
    Rec flat(*table_);
    for (uint32_t rec = 1; rec < table_->NextRecordNumber(); ++rec) {
      if (!table_->Indexable(rec)) continue;
      ASSERT_EQ(table_->ReadRecord(rec, flat.data()), DBERR_NONE);
      bool passes = true;
      for (auto& p : programs) passes = passes && p->Evaluate(flat.data(), nullptr);
      if (passes) passing.push_back(int32_t(rec));
    }
    SortIndexEntries(passing.data(), uint32_t(passing.size() - 1), [&](int32_t a, int32_t b) {
      return index_->CompareRecords(uint32_t(a), uint32_t(b)) < 0;
    });
    const std::vector<uint32_t> expected(passing.begin() + 1, passing.end());
    ASSERT_EQ(Order(*index_), expected) << what << ", " << added_.size() << " filters";
  }

  std::mt19937 rng_;
  std::unique_ptr<DSBASE> table_;
  DSIDXFILT* index_ = nullptr;
  std::vector<Added> added_;
};

TEST(FilteredViewKeyOrder, RebuildsGiveTheQuicksortOrderOfAllPassingRecords) {
  int remembered = 0;
  for (uint32_t seed = 1; seed <= 25; ++seed) {
    KeyOrderModel model(seed);
    model.Run();
    if (::testing::Test::HasFatalFailure()) return;
    remembered += model.remembered;
  }
  EXPECT_GT(remembered, 100);  // the remembered order served many of the rebuilds
}

// The facade's keystroke: drop the old filter (back to the complete view), add the new one.
// Many records share each key, so the order among equal keys is the quicksort's own; a sort
// that kept equal keys in record order (or any other) would differ.
TEST(FilteredViewKeyOrder, EqualKeysKeepTheQuicksortOrderThroughDropAndAdd) {
  auto table = MakeLyricsTable();
  std::mt19937 rng(7);
  for (int i = 0; i < 400; ++i) {
    Rec r(*table);
    r.Str(kArtist, rng() % 2 ? "Beatles" : "beatles").Str(kTitle, kWords[rng() % 5]);
    uint32_t rec = 0;
    ASSERT_EQ(table->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  }
  IndexDescriptor desc{};
  desc.fieldCount = 1;
  desc.fields[0] = kArtist;
  desc.caseInsensitive[0] = 1;  // all 400 keys equal
  std::unique_ptr<DSFilteredIndex> made;
  ASSERT_EQ(MakeFilteredIndex(*table, desc, &made), DBERR_NONE);
  auto* index = static_cast<DSIDXFILT*>(table->RegisterIndex(std::move(made)));
  auto add = [&](const char* text, uint32_t* handle) {
    db::TExprParser parser(LyricsFieldList(), text, db::foCaseInsensitive);
    return index->AddFilter(parser.FilterData(), parser.DataSize(), nullptr, handle);
  };
  // All records, or those whose Title starts with an «a» of either case.
  auto reference = [&](bool titleA) {
    std::vector<int32_t> recs = {0};
    for (uint32_t rec = 1; rec < table->NextRecordNumber(); ++rec) {
      const std::string title = StoredStr(*table, rec, kTitle);
      if (!titleA || (!title.empty() && (title[0] == 'a' || title[0] == 'A')))
        recs.push_back(int32_t(rec));
    }
    SortIndexEntries(recs.data(), uint32_t(recs.size() - 1), [&](int32_t a, int32_t b) {
      return index->CompareRecords(uint32_t(a), uint32_t(b)) < 0;
    });
    return std::vector<uint32_t>(recs.begin() + 1, recs.end());
  };
  uint32_t first = 0, second = 0;
  ASSERT_EQ(add("Title like 'a%'", &first), DBERR_NONE);
  ASSERT_EQ(index->DropFilter(first), DBERR_NONE);  // the complete view, remembered
  const std::vector<uint32_t> all = Order(*index);
  EXPECT_EQ(all, reference(false));
  std::vector<uint32_t> inRecordOrder(all);
  std::sort(inRecordOrder.begin(), inRecordOrder.end());
  EXPECT_NE(all, inRecordOrder);  // the quicksort does move equal keys
  ASSERT_TRUE(index->RemembersKeyOrder());
  ASSERT_EQ(add("Title like 'a%'", &second), DBERR_NONE);  // sorted by rank
  EXPECT_EQ(Order(*index), reference(true));
  EXPECT_GT(index->Count(), 100u);
  ASSERT_EQ(index->DropFilter(second), DBERR_NONE);  // the remembered complete view
  EXPECT_EQ(Order(*index), all);
  // A change the index hears of makes it sort by keys again, with the same results.
  Rec r(*table);
  r.Str(kArtist, "BEATLES").Str(kTitle, "abc");
  uint32_t rec = 0;
  ASSERT_EQ(table->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  EXPECT_FALSE(index->RemembersKeyOrder());
  ASSERT_EQ(add("Title like 'a%'", &first), DBERR_NONE);
  EXPECT_EQ(Order(*index), reference(true));
  table->ReleaseIndex(index);
}

// Keys without byte keys (fixed bytes here; on Windows every string key, compared by the
// platform) take their ranks from comparing sorted neighbours, and serve the same way. A
// floating-point key is no total order (NaN compares equal to everything): nothing is
// remembered and every rebuild sorts by comparing records.
TEST(FilteredViewKeyOrder, KeysWithoutByteKeysAndFloatingPointKeys) {
  auto table = MakeTable({MakeField("Id", fldINT32, fldstAUTOINC, 0),
                          MakeField("Code", fldBYTES, 0, 2), MakeField("Amount", fldFLOAT, 0, 0)});
  ASSERT_NE(table, nullptr);
  const db::TExprFieldList fields("t", {{"Id", "", 1, db::ftAutoInc, 0, db::fkData},
                                        {"Code", "", 2, db::ftBytes, 2, db::fkData},
                                        {"Amount", "", 3, db::ftFloat, 0, db::fkData}});
  std::mt19937 rng(3);
  const double amounts[] = {1.0, 2.0, std::nan(""), -1.0};
  for (int i = 0; i < 300; ++i) {
    Rec r(*table);
    const uint8_t code[2] = {uint8_t(rng() % 3), uint8_t(rng() % 2 ? 0x80 : 0x01)};
    table->PutField(r.data(), 2, code);
    table->PutField(r.data(), 3, &amounts[rng() % 4]);
    uint32_t rec = 0;
    ASSERT_EQ(table->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  }
  for (const uint32_t keyField : {2u, 3u}) {
    IndexDescriptor desc{};
    desc.fieldCount = 1;
    desc.fields[0] = keyField;
    std::unique_ptr<DSFilteredIndex> made;
    ASSERT_EQ(MakeFilteredIndex(*table, desc, &made), DBERR_NONE);
    auto* index = static_cast<DSIDXFILT*>(table->RegisterIndex(std::move(made)));
    auto expected = [&](int32_t minId) {
      std::vector<int32_t> recs = {0};
      for (uint32_t rec = 1; rec < table->NextRecordNumber(); ++rec)
        if (StoredInt(*table, rec, 1) > minId) recs.push_back(int32_t(rec));
      SortIndexEntries(recs.data(), uint32_t(recs.size() - 1), [&](int32_t a, int32_t b) {
        return index->CompareRecords(uint32_t(a), uint32_t(b)) < 0;
      });
      return std::vector<uint32_t>(recs.begin() + 1, recs.end());
    };
    uint32_t handle = 0;
    for (int round = 0; round < 3; ++round) {
      db::TExprParser parser(fields, "Id > " + std::to_string(40 * round), 0);
      ASSERT_TRUE(parser.Ok());
      ASSERT_EQ(index->AddFilter(parser.FilterData(), parser.DataSize(), nullptr, &handle),
                DBERR_NONE);
      EXPECT_EQ(Order(*index), expected(40 * round)) << keyField;
      ASSERT_EQ(index->DropFilter(handle), DBERR_NONE);
      EXPECT_EQ(Order(*index), expected(INT32_MIN)) << keyField;
      EXPECT_EQ(index->RemembersKeyOrder(), keyField == 2);
    }
    table->ReleaseIndex(index);
  }
}

}  // namespace
}  // namespace dsengine
