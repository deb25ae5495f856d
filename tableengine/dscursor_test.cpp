// Cursors: attach, moves and statuses, the position rules after the cursor's own changes,
// bookmarks, rows read without moving, sort order, filters through a test filtered index,
// changes of a second cursor seen by synchronisation, and random steps against a model.
#include "tableengine/dscursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using namespace testing;

// A filtered index for the tests: each filter is an Artist prefix (the expression's bytes); an
// empty expression stands for a filter that does not compile.
class PrefixFilterIndex : public DSFilteredIndex {
 public:
  explicit PrefixFilterIndex(DSBASE& t) : DSFilteredIndex(t) {}

  bool Accepts(uint32_t rec) override {
    const std::string artist = StoredStr(Table(), rec, kArtist);
    for (const auto& f : filters_)
      if (artist.compare(0, f.prefix.size(), f.prefix) != 0) return false;
    return true;
  }
  DBResult AddFilter(const uint8_t* expr, uint32_t size, const DSIDX* source,
                     uint32_t* handle) override {
    if (size == 0) return DBERR_TYPEMISMATCH;
    filters_.push_back({++lastHandle_, std::string(reinterpret_cast<const char*>(expr), size)});
    *handle = lastHandle_;
    return Build(source);
  }
  DBResult DropFilter(uint32_t handle) override {
    if (filters_.empty()) return DBERR_NA;
    auto it = std::find_if(filters_.begin(), filters_.end(),
                           [handle](const Filter& f) { return f.handle == handle; });
    if (it == filters_.end()) return DBERR_OBJNOTFOUND;
    filters_.erase(it);
    return Build(Table().FindSourceIndex(Descriptor(), this));
  }

  static DBResult Make(DSBASE& t, const IndexDescriptor& keys,
                       std::unique_ptr<DSFilteredIndex>* made) {
    auto idx = std::make_unique<PrefixFilterIndex>(t);
    if (DBResult st = idx->SetDescriptor(keys)) return st;
    *made = std::move(idx);
    return DBERR_NONE;
  }

 private:
  struct Filter {
    uint32_t handle;
    std::string prefix;
  };
  std::vector<Filter> filters_;
  uint32_t lastHandle_ = 0;
};

DBResult AddPrefixFilter(DSCursor& c, const std::string& prefix, uint32_t* handle) {
  return c.AddFilter(reinterpret_cast<const uint8_t*>(prefix.data()),
                     static_cast<uint32_t>(prefix.size()), handle);
}

class CursorTest : public ::testing::Test {
 protected:
  CursorTest() : table_(MakeLyricsTable()), cursor_(&PrefixFilterIndex::Make) {
    EXPECT_EQ(cursor_.Attach(table_.get()), DBERR_NONE);
  }

  // Inserts through `c` (the fixture's cursor by default); returns the new record's Id.
  int32_t Add(const std::string& artist, const std::string& title = "t", DSCursor* c = nullptr) {
    Rec r(*table_);
    r.Str(kArtist, artist).Str(kTitle, title);
    EXPECT_EQ((c ? c : &cursor_)->InsertRecord(r.data()), DBERR_NONE);
    return static_cast<int32_t>(table_->AutoIncValue()) - 1;
  }
  // Id and Artist of the current record ("" with the status when there is none).
  int32_t CurrentId(DSCursor* c = nullptr) {
    Rec r(*table_);
    if ((c ? c : &cursor_)->GetCurrentRecord(r.data()) != DBERR_NONE) return 0;
    return r.GetInt(kId);
  }
  std::string CurrentArtist(DSCursor* c = nullptr) {
    Rec r(*table_);
    if ((c ? c : &cursor_)->GetCurrentRecord(r.data()) != DBERR_NONE) return "";
    return r.GetStr(kArtist);
  }
  uint32_t Count(DSCursor* c = nullptr) {
    uint32_t n = 0;
    EXPECT_EQ((c ? c : &cursor_)->GetRecordCount(&n), DBERR_NONE);
    return n;
  }
  uint32_t SeqNo(DSCursor* c = nullptr) {
    uint32_t n = 0;
    return (c ? c : &cursor_)->GetSequenceNumber(&n) == DBERR_NONE ? n : 0;
  }
  // Artists of the view in order, read row by row without moving.
  std::string View(DSCursor* c = nullptr) {
    std::string s;
    Rec r(*table_);
    for (uint32_t i = 1; (c ? c : &cursor_)->GetRecordAt(i, r.data(), nullptr, nullptr) == 0; ++i)
      s += r.GetStr(kArtist);
    return s;
  }
  void SortOnArtist(DSCursor* c = nullptr) {
    const uint32_t f[] = {kArtist};
    ASSERT_EQ((c ? c : &cursor_)->SortOnFields(1, f, nullptr, nullptr), DBERR_NONE);
  }
  // Appends one record per artist letter through the fixture's cursor, the way the facade
  // does (no current record first, so each goes to the end of the default order).
  void AddEach(const std::string& artists) {
    for (char a : artists) {
      ASSERT_EQ(cursor_.SetNoCurrentRecord(), DBERR_NONE);
      Add(std::string(1, a));
    }
  }

  std::unique_ptr<DSBASE> table_;
  DSCursor cursor_;
};

// ---- Attach and properties ----

TEST_F(CursorTest, AttachOnceOnlyAndPropertiesOfTheLyricsTable) {
  EXPECT_EQ(cursor_.Attach(table_.get()), DBERR_NA);
  CursorProps p{};
  ASSERT_EQ(cursor_.GetCursorProps(&p), DBERR_NONE);
  EXPECT_EQ(p.recordSize, 1058u);
  EXPECT_EQ(p.bookmarkSize, 20u);
  EXPECT_FALSE(p.readOnly);
  std::vector<FieldDescriptor> f(6);
  ASSERT_EQ(cursor_.GetFieldDescs(f.data()), DBERR_NONE);
  EXPECT_STREQ(f[5].name, "SongFileName");
  EXPECT_EQ(f[5].offset, 551u);
  EXPECT_EQ(f[5].nullOffset, 1057u);
}

TEST_F(CursorTest, UnattachedCursorAndUncreatedTableAreRefused) {
  DSCursor loose;
  uint32_t n;
  EXPECT_EQ(loose.MoveRelative(1), DBERR_NA);
  EXPECT_EQ(loose.GetRecordCount(&n), DBERR_NA);
  DSBASE empty;
  EXPECT_EQ(loose.Attach(&empty), DBERR_INVALIDPARAM);
  EXPECT_EQ(loose.Attach(nullptr), DBERR_INVALIDPARAM);
}

// ---- Moves on an empty and a filled table ----

TEST_F(CursorTest, EmptyTableGivesEndAndCountZero) {
  EXPECT_EQ(cursor_.MoveToBOF(), DBERR_NONE);
  EXPECT_EQ(cursor_.Status(), DBERR_BOF);
  EXPECT_EQ(cursor_.MoveRelative(1), DBERR_EOF);
  EXPECT_EQ(Count(), 0u);
  EXPECT_EQ(cursor_.GetCurrentRecord(nullptr), DBERR_EOF);
  EXPECT_EQ(cursor_.MoveRelative(-1), DBERR_BOF);
  EXPECT_EQ(cursor_.MoveToSeqNo(1), DBERR_EOF);
  uint32_t seq;
  EXPECT_EQ(cursor_.GetSequenceNumber(&seq), DBERR_EOF);
}

TEST_F(CursorTest, RelativeAndSequenceMovesStopAtBothEnds) {
  AddEach("ABCDE");
  ASSERT_EQ(cursor_.MoveToBOF(), DBERR_NONE);
  EXPECT_EQ(cursor_.MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "A");
  EXPECT_EQ(cursor_.MoveRelative(3), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "D");
  EXPECT_EQ(cursor_.MoveRelative(0), DBERR_NONE);
  EXPECT_EQ(cursor_.MoveRelative(2), DBERR_EOF);
  EXPECT_EQ(cursor_.MoveRelative(0), DBERR_EOF);
  EXPECT_EQ(cursor_.MoveRelative(-1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "E");
  EXPECT_EQ(cursor_.MoveRelative(-5), DBERR_BOF);
  EXPECT_EQ(cursor_.MoveRelative(INT32_MAX), DBERR_EOF);
  EXPECT_EQ(cursor_.MoveRelative(INT32_MIN), DBERR_BOF);

  EXPECT_EQ(cursor_.MoveToSeqNo(0), DBERR_BOF);
  EXPECT_EQ(cursor_.MoveToSeqNo(6), DBERR_EOF);
  EXPECT_EQ(cursor_.MoveToSeqNo(UINT32_MAX), DBERR_EOF);
  EXPECT_EQ(cursor_.MoveToSeqNo(3), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "C");
  EXPECT_EQ(SeqNo(), 3u);
  uint8_t attr = 0;
  EXPECT_EQ(cursor_.GetRecordAttribute(&attr), DBERR_NONE);
  EXPECT_EQ(attr, dsRecInserted);
  EXPECT_EQ(cursor_.MoveToEOF(), DBERR_NONE);
  EXPECT_EQ(cursor_.GetRecordAttribute(&attr), DBERR_EOF);
}

TEST_F(CursorTest, RowsAreReadAroundThePositionWithoutMoving) {
  AddEach("ABCDEFGHIJ");
  ASSERT_EQ(cursor_.MoveToSeqNo(4), DBERR_NONE);
  Rec r(*table_);
  uint8_t attr = 0, bm[kBookmarkSize], here[kBookmarkSize];
  ASSERT_EQ(cursor_.GetRecordAt(7, r.data(), &attr, bm), DBERR_NONE);
  EXPECT_EQ(r.GetStr(kArtist), "G");
  EXPECT_EQ(attr, dsRecInserted);
  EXPECT_EQ(SeqNo(), 4u);
  EXPECT_EQ(CurrentArtist(), "D");
  EXPECT_EQ(cursor_.GetRecordAt(0, r.data(), nullptr, nullptr), DBERR_BOF);
  EXPECT_EQ(cursor_.GetRecordAt(11, r.data(), nullptr, nullptr), DBERR_EOF);
  // A row's bookmark is the one the cursor gives when standing there.
  ASSERT_EQ(cursor_.MoveToSeqNo(7), DBERR_NONE);
  ASSERT_EQ(cursor_.GetBookmark(here), DBERR_NONE);
  EXPECT_EQ(memcmp(bm, here, kBookmarkSize), 0);
}

TEST_F(CursorTest, FieldsAndBlobsOfABufferGoThroughTheTable) {
  std::vector<uint8_t> buf(1058, 0xAA);
  ASSERT_EQ(cursor_.InitRecord(buf.data()), DBERR_NONE);
  uint8_t flag = 0;
  ASSERT_EQ(cursor_.GetField(buf.data(), kArtist, nullptr, &flag), DBERR_NONE);
  EXPECT_EQ(flag, kBlankUnassigned);
  ASSERT_EQ(cursor_.PutField(buf.data(), kArtist, "Queen   "), DBERR_NONE);
  const std::string lyric = "Is this the real life?";
  ASSERT_EQ(cursor_.PutBlob(buf.data(), kLyric, 0, lyric.data(), uint32_t(lyric.size())),
            DBERR_NONE);
  EXPECT_EQ(cursor_.PutField(buf.data(), 7, "x"), DBERR_INVALIDPARAM);
  ASSERT_EQ(cursor_.InsertRecord(buf.data()), DBERR_NONE);

  std::vector<uint8_t> got(1058);
  ASSERT_EQ(cursor_.GetCurrentRecord(got.data()), DBERR_NONE);
  char artist[181] = {};
  ASSERT_EQ(cursor_.GetField(got.data(), kArtist, artist, &flag), DBERR_NONE);
  EXPECT_STREQ(artist, "Queen");
  EXPECT_EQ(flag, kValuePresent);
  uint32_t len = 0, copied = 0;
  ASSERT_EQ(cursor_.GetBlobLength(got.data(), kLyric, &len), DBERR_NONE);
  ASSERT_EQ(len, lyric.size());
  std::string back(len, '\0');
  ASSERT_EQ(cursor_.GetBlob(got.data(), kLyric, 5, len - 5, back.data(), &copied), DBERR_NONE);
  EXPECT_EQ(back.substr(0, copied), lyric.substr(5));
}

// ---- Position rules after the cursor's own changes ----

TEST_F(CursorTest, DeletingTheLastRecordThenForwardGivesEndAndBackLandsOnNewLast) {
  AddEach("ABC");
  ASSERT_EQ(cursor_.MoveToEOF(), DBERR_NONE);
  ASSERT_EQ(cursor_.MoveRelative(-1), DBERR_NONE);
  ASSERT_EQ(cursor_.DeleteRecord(), DBERR_NONE);
  EXPECT_EQ(cursor_.Status(), DBERR_KEYORRECDELETED);
  EXPECT_EQ(cursor_.GetCurrentRecord(nullptr), DBERR_KEYORRECDELETED);
  EXPECT_EQ(cursor_.MoveRelative(1), DBERR_EOF);
  EXPECT_EQ(cursor_.MoveRelative(-1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "B");
  EXPECT_EQ(Count(), 2u);
}

TEST_F(CursorTest, DeletingInTheMiddleThenForwardLandsOnTheFollower) {
  AddEach("ABCD");
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  ASSERT_EQ(cursor_.DeleteRecord(), DBERR_NONE);
  EXPECT_EQ(cursor_.DeleteRecord(), DBERR_KEYORRECDELETED);  // nothing current to delete
  uint8_t buf[1058];
  EXPECT_EQ(cursor_.ModifyRecord(buf), DBERR_KEYORRECDELETED);
  EXPECT_EQ(cursor_.MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "C");
  // From the vanished record one step back is the record before it.
  ASSERT_EQ(cursor_.DeleteRecord(), DBERR_NONE);
  EXPECT_EQ(cursor_.MoveRelative(-1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "A");
}

TEST_F(CursorTest, InsertGoesAheadOfTheCurrentRecordInDefaultOrderElseToTheEnd) {
  for (const char* a : {"A", "B", "C"}) Add(a);  // each new record is current: the next goes ahead
  EXPECT_EQ(View(), "CBA");
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  Add("X");
  EXPECT_EQ(View(), "CXBA");
  EXPECT_EQ(CurrentArtist(), "X");
  EXPECT_EQ(SeqNo(), 2u);
  ASSERT_EQ(cursor_.SetNoCurrentRecord(), DBERR_NONE);
  EXPECT_EQ(cursor_.GetCurrentRecord(nullptr), DBERR_NOCURRREC);
  Add("Y");  // the facade's append: no current record, so at the end
  EXPECT_EQ(View(), "CXBAY");
  EXPECT_EQ(CurrentArtist(), "Y");
  EXPECT_EQ(SeqNo(), 5u);
}

TEST_F(CursorTest, InsertAndModifyInSortedOrderFollowTheRecord) {
  SortOnArtist();
  AddEach("DBF");
  EXPECT_EQ(View(), "BDF");
  EXPECT_EQ(CurrentArtist(), "F");
  EXPECT_EQ(SeqNo(), 3u);
  Add("C");
  EXPECT_EQ(SeqNo(), 2u);
  const int32_t id = CurrentId();
  Rec r(*table_);
  ASSERT_EQ(cursor_.GetCurrentRecord(r.data()), DBERR_NONE);
  r.Str(kArtist, "Z");
  ASSERT_EQ(cursor_.ModifyRecord(r.data()), DBERR_NONE);
  EXPECT_EQ(View(), "BDFZ");
  EXPECT_EQ(CurrentId(), id);
  EXPECT_EQ(SeqNo(), 4u);
  // A modify that changes nothing leaves the cursor where it is.
  ASSERT_EQ(cursor_.ModifyRecord(r.data()), DBERR_NONE);
  EXPECT_EQ(SeqNo(), 4u);
}

TEST_F(CursorTest, RefusedChangesLeaveTheCursorAsItWas) {
  AddEach("AB");
  ASSERT_EQ(cursor_.MoveToSeqNo(1), DBERR_NONE);
  ASSERT_EQ(table_->SetProp(dspropREADONLY, 1), DBERR_NONE);
  Rec r(*table_);
  r.Str(kArtist, "Q");
  EXPECT_EQ(cursor_.InsertRecord(r.data()), DBERR_READONLY);
  EXPECT_EQ(cursor_.DeleteRecord(), DBERR_READONLY);
  EXPECT_EQ(cursor_.ModifyRecord(r.data()), DBERR_READONLY);
  EXPECT_EQ(cursor_.Status(), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "A");
  CursorProps p{};
  cursor_.GetCursorProps(&p);
  EXPECT_TRUE(p.readOnly);
}

TEST_F(CursorTest, UndoWithFollowGoesToTheRestoredRecord) {
  AddEach("ABC");
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  ASSERT_EQ(CurrentArtist(), "B");
  ASSERT_EQ(cursor_.DeleteRecord(), DBERR_NONE);
  ASSERT_EQ(cursor_.MoveToBOF(), DBERR_NONE);
  ASSERT_EQ(cursor_.UndoLastChange(true), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "B");
  EXPECT_EQ(Count(), 3u);
}

// ---- Bookmarks ----

TEST_F(CursorTest, BookmarkLayoutIsPositionStatusRecordCounterIdentity) {
  AddEach("AB");
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  uint8_t bm[kBookmarkSize];
  ASSERT_EQ(cursor_.GetBookmark(bm), DBERR_NONE);
  const DSIDX& idx = *cursor_.CurrentIndex();
  const uint32_t expect[5] = {2, 0, idx.RecordAt(2), idx.ChangeCounter(), idx.Identity()};
  for (int i = 0; i < 5; ++i) {
    const uint32_t v =
        bm[i * 4] | bm[i * 4 + 1] << 8 | bm[i * 4 + 2] << 16 | uint32_t(bm[i * 4 + 3]) << 24;
    EXPECT_EQ(v, expect[i]) << "value " << i;
  }
}

TEST_F(CursorTest, BookmarkTakenBeforeAnInsertStillFindsItsRecord) {
  SortOnArtist();
  AddEach("BDF");
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);  // D
  uint8_t bm[kBookmarkSize], first[kBookmarkSize];
  ASSERT_EQ(cursor_.GetBookmark(bm), DBERR_NONE);
  Add("A");
  ASSERT_EQ(cursor_.MoveToSeqNo(1), DBERR_NONE);
  ASSERT_EQ(cursor_.GetBookmark(first), DBERR_NONE);
  EXPECT_EQ(cursor_.MoveToBookmark(bm), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "D");
  EXPECT_EQ(SeqNo(), 3u);
  int32_t cmp = 0;
  ASSERT_EQ(cursor_.CompareBookmarks(first, bm, &cmp), DBERR_NONE);
  EXPECT_EQ(cmp, -1);
  ASSERT_EQ(cursor_.CompareBookmarks(bm, first, &cmp), DBERR_NONE);
  EXPECT_EQ(cmp, 1);
  ASSERT_EQ(cursor_.CompareBookmarks(bm, bm, &cmp), DBERR_NONE);
  EXPECT_EQ(cmp, 0);
}

TEST_F(CursorTest, BookmarkOfAModifiedRecordFindsItsNewVersion) {
  SortOnArtist();
  AddEach("BDF");
  ASSERT_EQ(cursor_.MoveToSeqNo(1), DBERR_NONE);
  uint8_t bm[kBookmarkSize];
  ASSERT_EQ(cursor_.GetBookmark(bm), DBERR_NONE);
  Rec r(*table_);
  ASSERT_EQ(cursor_.GetCurrentRecord(r.data()), DBERR_NONE);
  ASSERT_EQ(cursor_.ModifyRecord(r.Str(kArtist, "E").data()), DBERR_NONE);
  ASSERT_EQ(cursor_.ModifyRecord(r.Str(kArtist, "G").data()), DBERR_NONE);
  ASSERT_EQ(cursor_.MoveToBOF(), DBERR_NONE);
  EXPECT_EQ(cursor_.MoveToBookmark(bm), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "G");
}

TEST_F(CursorTest, BookmarkOfADeletedRecordOrOfTheEndsGoesToAnEnd) {
  AddEach("ABC");
  uint8_t gone[kBookmarkSize], eof[kBookmarkSize], bof[kBookmarkSize];
  ASSERT_EQ(cursor_.MoveToEOF(), DBERR_NONE);
  ASSERT_EQ(cursor_.GetBookmark(eof), DBERR_NONE);
  ASSERT_EQ(cursor_.MoveToBOF(), DBERR_NONE);
  ASSERT_EQ(cursor_.GetBookmark(bof), DBERR_NONE);
  EXPECT_EQ(cursor_.MoveToBookmark(eof), DBERR_EOF);  // unchanged index: its position
  EXPECT_EQ(cursor_.MoveToBookmark(bof), DBERR_BOF);
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  ASSERT_EQ(cursor_.GetBookmark(gone), DBERR_NONE);
  ASSERT_EQ(cursor_.DeleteRecord(), DBERR_NONE);
  ASSERT_EQ(cursor_.MoveToSeqNo(1), DBERR_NONE);
  EXPECT_EQ(cursor_.MoveToBookmark(gone), DBERR_BOF);
  EXPECT_EQ(cursor_.MoveToBookmark(eof), DBERR_BOF);  // changed index: no record to find
}

// ---- Order ----

TEST_F(CursorTest, SortingWhileOnTheFifthRecordKeepsItCurrent) {
  AddEach("GCJAHEBDFI");
  ASSERT_EQ(cursor_.MoveToSeqNo(5), DBERR_NONE);
  ASSERT_EQ(CurrentArtist(), "H");
  const int32_t id = CurrentId();
  SortOnArtist();
  EXPECT_EQ(CurrentId(), id);
  EXPECT_EQ(SeqNo(), 8u);
  EXPECT_EQ(View(), "ABCDEFGHIJ");
  // Back to the default order by name, still on the same record.
  ASSERT_EQ(cursor_.UseIndexOrder(""), DBERR_NONE);
  EXPECT_EQ(CurrentId(), id);
  EXPECT_EQ(SeqNo(), 5u);
  EXPECT_EQ(cursor_.UseIndexOrder("NoSuchIndex"), DBERR_NOSUCHINDEX);
  EXPECT_EQ(CurrentId(), id);
}

TEST_F(CursorTest, SortingFromAnEndOrWithBadFields) {
  AddEach("CAB");
  ASSERT_EQ(cursor_.MoveToEOF(), DBERR_NONE);
  SortOnArtist();
  EXPECT_EQ(cursor_.Status(), DBERR_BOF);
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  const uint32_t bad[] = {7};
  EXPECT_EQ(cursor_.SortOnFields(1, bad, nullptr, nullptr), DBERR_INVALIDPARAM);
  const uint32_t blob[] = {kLyric};
  EXPECT_EQ(cursor_.SortOnFields(1, blob, nullptr, nullptr), DBERR_INVALIDFLDTYPE);
  EXPECT_EQ(CurrentArtist(), "B");
  IndexDescriptor d{};
  ASSERT_EQ(cursor_.GetIndexDescriptor(&d), DBERR_NONE);
  EXPECT_EQ(d.fieldCount, 1u);
  EXPECT_EQ(d.fields[0], uint32_t(kArtist));
}

TEST_F(CursorTest, DestroyingTheCursorFreesItsTemporaryIndex) {
  const size_t before = table_->Indexes().size();
  {
    DSCursor c;
    ASSERT_EQ(c.Attach(table_.get()), DBERR_NONE);
    SortOnArtist(&c);
    EXPECT_EQ(table_->Indexes().size(), before + 1);
  }
  EXPECT_EQ(table_->Indexes().size(), before);
  EXPECT_EQ(table_->DefaultIndex()->UseCount(), 2u);  // the table and the fixture's cursor
}

// ---- Filters ----

TEST_F(CursorTest, FilterOfThreeInTenCountsThreeAndDroppingGivesTen) {
  for (const char* a : {"Abba", "Beatles", "Blur", "Cream", "Bee Gees", "Doors", "Eagles", "Free",
                        "Genesis", "Heart"})
    Add(a);
  SortOnArtist();
  uint32_t h = 0;
  ASSERT_EQ(AddPrefixFilter(cursor_, "B", &h), DBERR_NONE);
  EXPECT_EQ(h, 1u);
  EXPECT_EQ(Count(), 3u);
  EXPECT_EQ(cursor_.CurrentIndex()->Kind(), kIndexFiltered);
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "Bee Gees");
  ASSERT_EQ(cursor_.DropFilter(h), DBERR_NONE);
  EXPECT_EQ(Count(), 10u);
  EXPECT_EQ(CurrentArtist(), "Bee Gees");  // not moved: found again by synchronisation
  EXPECT_EQ(SeqNo(), 3u);
  EXPECT_EQ(cursor_.DropFilter(h), DBERR_NA);  // the list is empty now
  EXPECT_EQ(cursor_.DropFilter(0), DBERR_NONE);
}

TEST_F(CursorTest, AddingAFilterKeepsAPassingRecordElseGoesToTheBeginning) {
  AddEach("ABCAB");
  ASSERT_EQ(cursor_.MoveToSeqNo(3), DBERR_NONE);  // C
  uint32_t h1 = 0, h2 = 0;
  ASSERT_EQ(AddPrefixFilter(cursor_, "C", &h1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "C");
  EXPECT_EQ(SeqNo(), 1u);
  // A further filter on the filtered view: C fails "A", the view is empty.
  ASSERT_EQ(AddPrefixFilter(cursor_, "A", &h2), DBERR_NONE);
  EXPECT_EQ(h2, 2u);
  EXPECT_EQ(Count(), 0u);
  EXPECT_EQ(cursor_.Status(), DBERR_BOF);
  ASSERT_EQ(cursor_.DropFilter(h1), DBERR_NONE);
  EXPECT_EQ(Count(), 2u);
  EXPECT_EQ(cursor_.DropFilter(99), DBERR_OBJNOTFOUND);
  // From the end, adding a filter goes to the beginning.
  ASSERT_EQ(cursor_.DropFilter(h2), DBERR_NONE);
  ASSERT_EQ(cursor_.MoveToEOF(), DBERR_NONE);
  ASSERT_EQ(AddPrefixFilter(cursor_, "B", &h1), DBERR_NONE);
  EXPECT_EQ(cursor_.Status(), DBERR_BOF);
}

TEST_F(CursorTest, FailedOrUnsupportedFilterLeavesTheViewAlone) {
  AddEach("AB");
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  DSIDX* before = cursor_.CurrentIndex();
  uint32_t h = 7;
  EXPECT_EQ(AddPrefixFilter(cursor_, "", &h), DBERR_TYPEMISMATCH);
  EXPECT_EQ(h, 7u);
  EXPECT_EQ(cursor_.CurrentIndex(), before);
  EXPECT_EQ(CurrentArtist(), "B");
  EXPECT_EQ(cursor_.DropFilter(1), DBERR_NA);  // not a filtered view
  DSCursor plain;
  ASSERT_EQ(plain.Attach(table_.get()), DBERR_NONE);
  EXPECT_EQ(AddPrefixFilter(plain, "A", &h), DBERR_NOTSUPPORTED);
}

TEST_F(CursorTest, InsertOutsideTheFilterLeavesNoCurrentRecord) {
  SortOnArtist();
  AddEach("ABAB");
  uint32_t h = 0;
  ASSERT_EQ(AddPrefixFilter(cursor_, "A", &h), DBERR_NONE);
  ASSERT_EQ(cursor_.MoveToSeqNo(1), DBERR_NONE);
  Add("B");
  EXPECT_EQ(cursor_.Status(), DBERR_NOCURRREC);
  EXPECT_EQ(Count(), 2u);
  // Once the view changes, synchronisation finds the record missing.
  DSCursor other;
  ASSERT_EQ(other.Attach(table_.get()), DBERR_NONE);
  Add("A", "u", &other);
  EXPECT_EQ(cursor_.Status(), DBERR_KEYORRECDELETED);
  EXPECT_EQ(Count(), 3u);
}

TEST_F(CursorTest, ModifyThatLeavesTheFilterActsLikeADelete) {
  SortOnArtist();
  for (const char* a : {"xA", "xB", "xC", "xD", "yA"}) Add(a);
  uint32_t h = 0;
  Rec r(*table_);
  ASSERT_EQ(AddPrefixFilter(cursor_, "x", &h), DBERR_NONE);
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);
  ASSERT_EQ(cursor_.GetCurrentRecord(r.data()), DBERR_NONE);
  ASSERT_EQ(cursor_.ModifyRecord(r.Str(kArtist, "yB").data()), DBERR_NONE);
  EXPECT_EQ(cursor_.Status(), DBERR_KEYORRECDELETED);
  EXPECT_EQ(cursor_.MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "xC");
  EXPECT_EQ(View(), "xAxCxD");
}

TEST_F(CursorTest, SortingAFilteredViewKeepsItsFilter) {
  AddEach("BDACB");
  uint32_t h = 0;
  ASSERT_EQ(AddPrefixFilter(cursor_, "B", &h), DBERR_NONE);
  const uint32_t f[] = {kArtist, kId};
  const bool desc[] = {false, true};
  ASSERT_EQ(cursor_.SortOnFields(2, f, desc, nullptr), DBERR_NONE);
  EXPECT_EQ(cursor_.CurrentIndex()->Kind(), kIndexFiltered);
  EXPECT_EQ(View(), "BB");
  ASSERT_EQ(cursor_.MoveToSeqNo(1), DBERR_NONE);
  EXPECT_EQ(CurrentId(), 5);
}

// ---- A second cursor's changes ----

TEST_F(CursorTest, SecondCursorChangesAreSeenThroughSynchronisation) {
  SortOnArtist();
  AddEach("BDF");
  DSCursor other;
  ASSERT_EQ(other.Attach(table_.get()), DBERR_NONE);
  SortOnArtist(&other);
  ASSERT_EQ(cursor_.MoveToSeqNo(2), DBERR_NONE);  // D
  Add("A", "t", &other);
  EXPECT_EQ(CurrentArtist(), "D");
  EXPECT_EQ(SeqNo(), 3u);
  EXPECT_EQ(Count(), 4u);
  // The other cursor edits our record: we follow it to its new version and place.
  ASSERT_EQ(other.MoveToSeqNo(3), DBERR_NONE);
  Rec r(*table_);
  ASSERT_EQ(other.GetCurrentRecord(r.data()), DBERR_NONE);
  ASSERT_EQ(other.ModifyRecord(r.Str(kArtist, "E").data()), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "E");
  EXPECT_EQ(SeqNo(), 3u);
  // It deletes our record: we see it vanish, and +1 reaches its follower.
  ASSERT_EQ(other.DeleteRecord(), DBERR_NONE);
  EXPECT_EQ(cursor_.GetCurrentRecord(nullptr), DBERR_KEYORRECDELETED);
  EXPECT_EQ(cursor_.MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "F");
  // From the end we stay at the end however the view changes.
  ASSERT_EQ(cursor_.MoveToEOF(), DBERR_NONE);
  Add("Z", "t", &other);
  EXPECT_EQ(cursor_.Status(), DBERR_EOF);
  EXPECT_EQ(cursor_.MoveRelative(-1), DBERR_NONE);
  EXPECT_EQ(CurrentArtist(), "Z");
}

// Two threads, one cursor each, on one table: the table's lock keeps every step whole, so the
// final count is exactly what the successful inserts and deletes leave.
TEST_F(CursorTest, CursorsOfOneTableOnTwoThreadsKeepTheTableWhole) {
  SortOnArtist();
  auto work = [this](DSCursor* c, unsigned seed, int* net) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> buf(1058);
    for (int i = 0; i < 1500; ++i) {
      const uint32_t op = rng() % 4;
      if (op == 0) {
        c->InitRecord(buf.data());
        const std::string a(1, char('A' + rng() % 26));
        c->PutField(buf.data(), kArtist, a.c_str());
        if (c->InsertRecord(buf.data()) == DBERR_NONE) ++*net;
      } else if (op == 1) {
        if (c->DeleteRecord() == DBERR_NONE) --*net;
      } else {
        c->MoveRelative(int32_t(rng() % 5) - 2);
        c->GetCurrentRecord(buf.data());
      }
    }
  };
  DSCursor other;
  ASSERT_EQ(other.Attach(table_.get()), DBERR_NONE);
  int netA = 0, netB = 0;
  std::thread t(work, &other, 7u, &netB);
  work(&cursor_, 11u, &netA);
  t.join();
  EXPECT_EQ(Count(), uint32_t(netA + netB));
  EXPECT_EQ(Count(&other), uint32_t(netA + netB));
  EXPECT_EQ(table_->LiveCount(), uint32_t(netA + netB));
  std::string view = View();
  EXPECT_TRUE(std::is_sorted(view.begin(), view.end()));
}

// ---- Random steps against a model ----

// The model: the visible order of each cursor's index as a vector of Ids, and per cursor the
// position, status and Id of its record. Artists are single letters, so plain string order is
// the collation order, and ties are frequent.
struct ModelCursor {
  bool sorted = false;
  uint32_t pos = 0;
  DBResult status = DBERR_BOF;
  int32_t id = 0;
  bool dirty = false;  // its index changed since it last synchronised
};

class CursorModel {
 public:
  std::vector<int32_t> byDefault, bySort;
  std::map<int32_t, std::string> artist;

  std::vector<int32_t>& Order(const ModelCursor& c) { return c.sorted ? bySort : byDefault; }

  // Every change dirties every cursor; the one that made it then stands where it says.
  void Changed(ModelCursor* all, int n) {
    for (int i = 0; i < n; ++i) all[i].dirty = true;
  }
  void Sync(ModelCursor& c) {
    if (!c.dirty) return;
    c.dirty = false;
    const auto& o = Order(c);
    const uint32_t n = uint32_t(o.size());
    if (c.status == DBERR_BOF) return void(c.pos = 0);
    if (c.status == DBERR_EOF) return void(c.pos = n + 1);
    if (c.pos >= 1 && c.pos <= n && o[c.pos - 1] == c.id) return;
    auto it = std::find(o.begin(), o.end(), c.id);
    if (c.id != 0 && it != o.end()) return void(c.pos = uint32_t(it - o.begin()) + 1);
    if (c.id != 0) c.status = DBERR_KEYORRECDELETED;
    c.pos = std::clamp<uint32_t>(c.pos, c.id != 0 ? 1 : 0, n + 1);
  }
  DBResult Move(ModelCursor& c, int n) {
    const auto& o = Order(c);
    const int64_t size = int64_t(o.size());
    if (n == 0) return c.status;
    int64_t t;
    if (n > 0)
      t = (c.status == DBERR_BOF ? 0 : c.pos) + n - (c.status == DBERR_KEYORRECDELETED);
    else
      t = (c.status == DBERR_EOF ? size + 1 : c.pos) + n;
    if (t > size) return Set(c, uint32_t(size + 1), DBERR_EOF);
    if (t < 1) return Set(c, 0, DBERR_BOF);
    return Set(c, uint32_t(t), DBERR_NONE);
  }
  DBResult Set(ModelCursor& c, uint32_t pos, DBResult st) {
    c.pos = pos;
    c.status = st;
    if (st == DBERR_NONE) c.id = Order(c)[pos - 1];
    return st;
  }
  // Sorted place: after the last record with an equal or smaller artist.
  void PlaceSorted(int32_t id) {
    auto it = std::upper_bound(bySort.begin(), bySort.end(), id,
                               [this](int32_t a, int32_t b) { return artist[a] < artist[b]; });
    bySort.insert(it, id);
  }
  void Insert(ModelCursor& c, int32_t id, const std::string& a) {
    artist[id] = a;
    if (!c.sorted && c.status == DBERR_NONE)
      byDefault.insert(byDefault.begin() + (c.pos - 1), id);
    else
      byDefault.push_back(id);
    PlaceSorted(id);
    const auto& o = Order(c);
    Set(c, uint32_t(std::find(o.begin(), o.end(), id) - o.begin()) + 1, DBERR_NONE);
  }
  void Modify(ModelCursor& c, const std::string& a) {
    const int32_t id = c.id;
    const bool moves = artist[id] != a;
    artist[id] = a;
    if (moves) {
      bySort.erase(std::find(bySort.begin(), bySort.end(), id));
      PlaceSorted(id);
    }
    const auto& o = Order(c);
    Set(c, uint32_t(std::find(o.begin(), o.end(), id) - o.begin()) + 1, DBERR_NONE);
  }
  void Delete(ModelCursor& c) {
    byDefault.erase(std::find(byDefault.begin(), byDefault.end(), c.id));
    bySort.erase(std::find(bySort.begin(), bySort.end(), c.id));
    c.status = DBERR_KEYORRECDELETED;
  }
};

void CheckAgainstModel(DSCursor& c, CursorModel& m, ModelCursor& mc, const std::string& where) {
  SCOPED_TRACE(where);
  m.Sync(mc);
  ASSERT_EQ(c.Status(), mc.status);
  const auto& o = m.Order(mc);
  uint32_t n = 0;
  ASSERT_EQ(c.GetRecordCount(&n), DBERR_NONE);
  ASSERT_EQ(n, o.size());
  if (mc.status != DBERR_NONE) return;
  uint32_t seq = 0;
  ASSERT_EQ(c.GetSequenceNumber(&seq), DBERR_NONE);
  ASSERT_EQ(seq, mc.pos);
}

class CursorModelTest : public CursorTest, public ::testing::WithParamInterface<int> {};

TEST_P(CursorModelTest, RandomStepsOfTwoCursorsMatchTheModel) {
  const int mode = GetParam();  // 0: both default order; 1: A sorted; 2: both sorted
  std::mt19937 rng(1234 + mode);
  DSCursor other;
  ASSERT_EQ(other.Attach(table_.get()), DBERR_NONE);
  DSCursor* cur[2] = {&cursor_, &other};
  CursorModel m;
  ModelCursor mc[2];
  if (mode >= 1) {
    SortOnArtist(&cursor_);
    mc[0].sorted = true;
  }
  if (mode == 2) {
    SortOnArtist(&other);
    mc[1].sorted = true;
  }
  auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
  Rec r(*table_);
  for (int step = 0; step < 600; ++step) {
    const int who = pick(2);
    DSCursor& c = *cur[who];
    ModelCursor& x = mc[who];
    m.Sync(x);
    const int op = pick(10);
    std::string what;
    if (op <= 2) {
      const int n = pick(7) - 3;
      what = "move " + std::to_string(n);
      ASSERT_EQ(c.MoveRelative(n), m.Move(x, n)) << what << " step " << step;
    } else if (op == 3) {
      const uint32_t n = uint32_t(pick(int(m.Order(x).size()) + 2));
      what = "seqno " + std::to_string(n);
      const DBResult st = n == 0 ? m.Set(x, 0, DBERR_BOF)
                          : n > m.Order(x).size()
                              ? m.Set(x, uint32_t(m.Order(x).size()) + 1, DBERR_EOF)
                              : m.Set(x, n, DBERR_NONE);
      ASSERT_EQ(c.MoveToSeqNo(n), st) << what << " step " << step;
    } else if (op == 4) {
      what = pick(2) ? "bof" : "eof";
      ASSERT_EQ(what == "bof" ? c.MoveToBOF() : c.MoveToEOF(), DBERR_NONE);
      const uint32_t n = uint32_t(m.Order(x).size());
      what == "bof" ? m.Set(x, 0, DBERR_BOF) : m.Set(x, n + 1, DBERR_EOF);
    } else if (op <= 6) {
      const std::string a(1, char('A' + pick(5)));
      what = "insert " + a;
      ASSERT_EQ(table_->InitRecord(r.data()), DBERR_NONE);
      r.Str(kArtist, a).Str(kTitle, std::to_string(step));
      ASSERT_EQ(c.InsertRecord(r.data()), DBERR_NONE) << step;
      m.Changed(mc, 2);
      x.dirty = false;
      m.Insert(x, int32_t(table_->AutoIncValue()) - 1, a);
    } else if (op == 7 && x.status == DBERR_NONE) {
      const std::string a(1, char('A' + pick(5)));
      what = "modify " + a;
      ASSERT_EQ(c.GetCurrentRecord(r.data()), DBERR_NONE) << step;
      ASSERT_EQ(r.GetInt(kId), x.id) << step;
      r.Str(kArtist, a).Str(kTitle, "m" + std::to_string(step));
      ASSERT_EQ(c.ModifyRecord(r.data()), DBERR_NONE) << step;
      m.Changed(mc, 2);
      x.dirty = false;
      m.Modify(x, a);
    } else if (op == 8 && x.status == DBERR_NONE) {
      what = "delete";
      ASSERT_EQ(c.DeleteRecord(), DBERR_NONE) << step;
      m.Changed(mc, 2);
      x.dirty = false;
      m.Delete(x);
    } else if (op == 9) {
      what = "no current record";
      ASSERT_EQ(c.SetNoCurrentRecord(), DBERR_NONE);
      if (x.status == DBERR_BOF || x.status == DBERR_EOF) x.id = 0;
      x.status = DBERR_NOCURRREC;
    }
    for (int i = 0; i < 2; ++i)
      CheckAgainstModel(*cur[i], m, mc[i],
                        "step " + std::to_string(step) + " " + what + " by " + std::to_string(who) +
                            ", checking " + std::to_string(i));
    if (::testing::Test::HasFatalFailure()) return;
  }
  // The whole order, row by row, against the model.
  for (int i = 0; i < 2; ++i) {
    const auto& o = m.Order(mc[i]);
    for (uint32_t s = 1; s <= o.size(); ++s) {
      ASSERT_EQ(cur[i]->GetRecordAt(s, r.data(), nullptr, nullptr), DBERR_NONE);
      EXPECT_EQ(r.GetInt(kId), o[s - 1]) << "cursor " << i << " row " << s;
      EXPECT_EQ(r.GetStr(kArtist), m.artist[o[s - 1]]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, CursorModelTest, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace dsengine
