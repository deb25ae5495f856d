// Editing: insert, modify, delete and undo with their checks, statuses, record versions,
// attributes, change log, auto-increment counter and change count; every failing path leaves
// the table as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "tableengine/dsbase.h"
#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using namespace testing;

// Everything a failed call must leave untouched.
struct Snapshot {
  uint32_t nextRec, live, autoInc, blobs;
  std::vector<uint8_t> attrs, data;
  std::vector<uint32_t> log;
  std::vector<std::vector<uint32_t>> indexes;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const DSBASE& t) {
  Snapshot s{
      t.NextRecordNumber(), t.LiveCount(), t.AutoIncValue(), t.Blobs().Count(), {}, {}, {}, {}};
  for (uint32_t r = 1; r < t.NextRecordNumber(); ++r) {
    s.attrs.push_back(t.Attribute(r));
    for (uint32_t f = 1; f <= t.FieldCount(); ++f) {
      const uint8_t* v = t.ValuePtr(r, f);
      s.data.insert(s.data.end(), v, v + t.Field(f).length);
      s.data.push_back(t.NullFlagOf(r, f));
    }
  }
  for (size_t i = 0; i < t.Log().Size(); ++i) {
    const ChangeLogEntry& e = t.Log().At(i);
    s.log.insert(s.log.end(), {e.record, e.related, e.kind});
  }
  for (const auto& idx : t.Indexes()) s.indexes.push_back(Order(*idx));
  return s;
}

uint32_t Insert(DSBASE& t, Rec& r, DBResult want = DBERR_NONE) {
  uint32_t rec = 0;
  EXPECT_EQ(t.InsertRecord(r.data(), nullptr, 0, &rec), want);
  return rec;
}

uint32_t Add(DSBASE& t, const std::string& artist, const std::string& title = "T") {
  Rec r(t);
  r.Str(kArtist, artist).Str(kTitle, title);
  return Insert(t, r);
}

uint32_t Modify(DSBASE& t, uint32_t rec, uint32_t field, const std::string& value,
                DBResult want = DBERR_NONE) {
  Rec r(t);
  t.ReadRecord(rec, r.data());
  r.Str(field, value);
  uint32_t out = 0;
  EXPECT_EQ(t.ModifyRecord(rec, r.data(), nullptr, &out), want);
  return out;
}

std::vector<FieldDescriptor> FieldsWith(uint32_t field, uint32_t attributes) {
  auto f = LyricsFields();
  f[field - 1].attributes = attributes;
  return f;
}

IndexDescriptor UniqueOn(uint32_t field) {
  IndexDescriptor d{};
  strcpy(d.name, "u");
  d.fieldCount = 1;
  d.fields[0] = field;
  d.unique = 1;
  return d;
}

// ---- Insert ----

TEST(Insert, AssignsIdsLogsAndMarksInserted) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  r.Int(kId, 99).Str(kArtist, "Abba");
  const uint32_t a = Insert(*t, r);
  const uint32_t b = Add(*t, "Beatles");
  EXPECT_EQ(StoredInt(*t, a, kId), 1) << "a typed Id is ignored";
  EXPECT_EQ(StoredInt(*t, b, kId), 2);
  EXPECT_EQ(t->AutoIncValue(), 3u);
  EXPECT_EQ(t->Attribute(a), dsRecInserted);
  ASSERT_EQ(t->Log().Size(), 2u);
  EXPECT_EQ(t->Log().At(1).record, b);
  EXPECT_EQ(t->Log().At(1).related, 0u);
  EXPECT_EQ(t->Log().At(1).kind, uint32_t(kChangeInsert));
  uint32_t live;
  t->GetProp(dspropRECORDSINDS, &live);
  EXPECT_EQ(live, 2u);
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{a, b}));
}

TEST(Insert, BlankFieldsKeepTheirNullKind) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  r.Str(kArtist, "A").Blank(kAlbum);
  const uint32_t rec = Insert(*t, r);
  EXPECT_EQ(t->NullFlagOf(rec, kAlbum), kBlankByClient);
  EXPECT_EQ(t->NullFlagOf(rec, kTitle), kBlankUnassigned);
  EXPECT_EQ(t->NullFlagOf(rec, kId), kValuePresent);
}

TEST(Insert, RequiredFieldBlankOrEmptyFailsAndChangesNothing) {
  auto t = MakeTable(FieldsWith(kArtist, fldAttrREQUIRED));
  Add(*t, "Kept");
  const Snapshot before = Take(*t);
  Rec blank(*t);
  Insert(*t, blank, DBERR_REQDERR);
  Rec empty(*t);
  empty.Str(kArtist, "   ");  // trimmed to an empty string
  Insert(*t, empty, DBERR_REQDERR);
  EXPECT_EQ(Take(*t), before);
}

TEST(Insert, ReadOnlyOrDisabledTableRefusesWhileLogging) {
  auto t = MakeLyricsTable();
  Add(*t, "Kept");
  const Snapshot before = Take(*t);
  Rec r(*t);
  r.Str(kArtist, "X");
  t->SetProp(dspropREADONLY, 1);
  Insert(*t, r, DBERR_READONLY);
  t->SetProp(dspropREADONLY, 0);
  t->SetDisableInserts(true);
  Insert(*t, r, DBERR_READONLY);
  EXPECT_EQ(Take(*t), before);
  t->SetProp(dspropLOGCHANGES, 0);
  const uint32_t rec = Insert(*t, r);
  EXPECT_EQ(t->Attribute(rec), 0) << "no attribute and no log without logging";
  EXPECT_EQ(t->Log().Size(), 1u);
}

TEST(Insert, ChangeIndexAndDeltaModeRefuse) {
  auto t = MakeLyricsTable();
  const Snapshot before = Take(*t);
  Rec r(*t);
  uint32_t rec;
  EXPECT_EQ(t->InsertRecord(r.data(), t->ChangeIndex(), 0, &rec), DBERR_INDEXREADONLY);
  t->SetDeltaMode(true);
  EXPECT_EQ(t->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NA);
  EXPECT_EQ(Take(*t), before);
}

TEST(Insert, UniqueIndexRefusalLeavesEverythingAsBefore) {
  auto t = MakeLyricsTable();
  IndexDescriptor u = UniqueOn(kArtist);
  ASSERT_EQ(t->CreateIndex(&u), DBERR_NONE);
  Add(*t, "Abba");
  const Snapshot before = Take(*t);
  Rec dup(*t);
  dup.Str(kArtist, "Abba");
  Insert(*t, dup, DBERR_KEYVIOL);
  EXPECT_EQ(Take(*t), before);
  const uint32_t next = Add(*t, "Blondie");
  EXPECT_EQ(next, 2u) << "the slot stays free for the next insert";
  EXPECT_EQ(StoredInt(*t, next, kId), 2) << "a failed insert does not advance the counter";
}

bool RejectQueen(void*, const uint8_t* record) {
  return strcmp(reinterpret_cast<const char*>(record + 4), "Queen") != 0;
}

DBResult UpperAlbum(void*, uint8_t* record) {
  memcpy(record + 185, "CALC", 5);
  record[1054] = 0;
  return DBERR_NONE;
}

TEST(Insert, ConstraintFailureGivesItsMessageAndChangesNothing) {
  auto t = MakeLyricsTable();
  t->AddConstraint(RejectQueen, nullptr, "No Queen here");
  const Snapshot before = Take(*t);
  Rec r(*t);
  r.Str(kArtist, "Queen");
  Insert(*t, r, DBERR_CONSTRAINTFAILED);
  EXPECT_EQ(Take(*t), before);
  char text[kErrorTextSize];
  t->GetErrorString(DBERR_CONSTRAINTFAILED, text);
  EXPECT_STREQ(text, "No Queen here");
}

TEST(Insert, CalculatedFieldCallbackFillsTheStoredRecord) {
  auto t = MakeLyricsTable();
  t->SetCalcFieldsCallback(UpperAlbum, nullptr);
  const uint32_t rec = Add(*t, "A");
  EXPECT_EQ(StoredStr(*t, rec, kAlbum), "CALC");
}

// ---- Modify ----

TEST(Modify, UnchangedBufferMakesNoVersion) {
  auto t = MakeLyricsTable();
  const uint32_t rec = Add(*t, "Abba");
  const Snapshot before = Take(*t);
  Rec r(*t);
  t->ReadRecord(rec, r.data());
  uint32_t out;
  ASSERT_EQ(t->ModifyRecord(rec, r.data(), nullptr, &out), DBERR_NONE);
  EXPECT_EQ(out, rec);
  EXPECT_EQ(Take(*t), before);
}

TEST(Modify, MakesNewVersionSupersedesOldAndLogs) {
  auto t = MakeLyricsTable();
  t->SetProp(dspropLOGCHANGES, 0);
  const uint32_t loaded = Add(*t, "Abba");  // as if loaded: no attribute
  t->SetProp(dspropLOGCHANGES, 1);
  const uint32_t inserted = Add(*t, "Beatles");
  const uint32_t v1 = Modify(*t, loaded, kArtist, "ABBA");
  EXPECT_EQ(v1, 3u);
  EXPECT_EQ(t->Attribute(loaded), dsRecSuperseded);
  EXPECT_EQ(t->Attribute(v1), dsRecModified);
  EXPECT_EQ(StoredInt(*t, v1, kId), StoredInt(*t, loaded, kId)) << "Id unchanged";
  EXPECT_EQ(StoredStr(*t, loaded, kArtist), "Abba") << "old version stays in the store";
  const ChangeLogEntry& e = t->Log().Last();
  EXPECT_EQ(e.record, v1);
  EXPECT_EQ(e.related, loaded);
  EXPECT_EQ(e.kind, uint32_t(kChangeModify));
  const uint32_t v2 = Modify(*t, inserted, kTitle, "Help");
  EXPECT_EQ(t->Attribute(v2), dsRecModified | dsRecInserted) << "inserted bit carries over";
  EXPECT_EQ(t->LiveCount(), 2u);
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{v1, v2}));
}

TEST(Modify, ReadOnlyFieldChangeFailsUnchangedPasses) {
  auto t = MakeTable(FieldsWith(kId, fldAttrREADONLY));
  const uint32_t rec = Add(*t, "A");
  const Snapshot before = Take(*t);
  Rec r(*t);
  t->ReadRecord(rec, r.data());
  r.Int(kId, 42);
  uint32_t out;
  EXPECT_EQ(t->ModifyRecord(rec, r.data(), nullptr, &out), DBERR_FIELDREADONLY);
  EXPECT_EQ(Take(*t), before);
  r.Int(kId, 1).Str(kArtist, "B");
  EXPECT_EQ(t->ModifyRecord(rec, r.data(), nullptr, &out), DBERR_NONE);
  r.Blank(kId).Str(kArtist, "C");
  ASSERT_EQ(t->ModifyRecord(out, r.data(), nullptr, &out), DBERR_NONE);
  EXPECT_EQ(StoredInt(*t, out, kId), 1) << "a read-only field keeps its stored value";
  EXPECT_EQ(t->NullFlagOf(out, kId), kValuePresent);
}

TEST(Modify, RequiredBlankReadOnlyTableAndDeletedRecordFail) {
  auto t = MakeTable(FieldsWith(kTitle, fldAttrREQUIRED));
  const uint32_t rec = Add(*t, "A");
  const uint32_t gone = Add(*t, "B");
  ASSERT_EQ(t->DeleteRecord(gone, nullptr), DBERR_NONE);
  const Snapshot before = Take(*t);
  Modify(*t, rec, kTitle, "", DBERR_REQDERR);
  t->SetDisableEdits(true);
  Modify(*t, rec, kTitle, "New", DBERR_READONLY);
  t->SetDisableEdits(false);
  Modify(*t, gone, kTitle, "New", DBERR_KEYORRECDELETED);
  Modify(*t, 0, kTitle, "New", DBERR_NOCURRREC);
  Rec r(*t);
  uint32_t out;
  EXPECT_EQ(t->ModifyRecord(rec, r.data(), t->ChangeIndex(), &out), DBERR_INDEXREADONLY);
  EXPECT_EQ(Take(*t), before);
}

TEST(Modify, UniqueIndexRefusalLeavesEverythingAsBefore) {
  auto t = MakeLyricsTable();
  for (const char* a : {"A", "B", "C", "D"}) Add(*t, a);
  IndexDescriptor u = UniqueOn(kArtist);
  ASSERT_EQ(t->CreateIndex(&u), DBERR_NONE);
  const uint32_t b = 2;
  DSIDX* cursor = t->DefaultIndex();
  t->AdoptIndex(cursor);
  const uint32_t f = kTitle;
  ASSERT_EQ(t->SortOnFields(&cursor, 1, &f, nullptr, nullptr), DBERR_NONE);
  const Snapshot before = Take(*t);
  Modify(*t, b, kArtist, "D", DBERR_KEYVIOL);
  EXPECT_EQ(Take(*t), before) << "equal-key positions restored too";
  EXPECT_NE(Modify(*t, b, kArtist, "E"), 0u);
}

TEST(Modify, WithoutLoggingOverwritesInPlaceAndReorders) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A"), b = Add(*t, "B");
  DSIDX* cursor = t->DefaultIndex();
  t->AdoptIndex(cursor);
  const uint32_t f = kArtist;
  ASSERT_EQ(t->SortOnFields(&cursor, 1, &f, nullptr, nullptr), DBERR_NONE);
  t->SetProp(dspropLOGCHANGES, 0);
  EXPECT_EQ(Modify(*t, a, kArtist, "Z"), a);
  EXPECT_EQ(t->NextRecordNumber(), 3u);
  EXPECT_EQ(t->Log().Size(), 2u);
  EXPECT_EQ(Order(*cursor), (std::vector<uint32_t>{b, a}));
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{a, b}));
}

TEST(Modify, UniqueRefusalWithoutLoggingRestoresTheRecord) {
  auto t = MakeLyricsTable();
  Add(*t, "A");
  const uint32_t b = Add(*t, "B");
  IndexDescriptor u = UniqueOn(kArtist);
  ASSERT_EQ(t->CreateIndex(&u), DBERR_NONE);
  t->SetProp(dspropLOGCHANGES, 0);
  const Snapshot before = Take(*t);
  Modify(*t, b, kArtist, "A", DBERR_KEYVIOL);
  EXPECT_EQ(Take(*t), before);
}

// Random key changes against a model of what a key change does to an index: the old version
// leaves, the new one goes after every equal key (with its key unchanged it takes the old one's
// place); a unique index refuses a key another record
// holds, and then every index keeps its order.
TEST(Modify, RandomKeyChangesMoveRecordsAsRemovalAndInsertion) {
  auto t = MakeLyricsTable();
  std::mt19937 rng(7);
  auto pick = [&rng](const char* prefix, int count) {
    return prefix + std::to_string(std::uniform_int_distribution<int>(0, count - 1)(rng));
  };
  IndexDescriptor unique = UniqueOn(kArtist), titles{};
  strcpy(titles.name, "t");
  titles.fieldCount = 1;
  titles.fields[0] = kTitle;
  std::vector<uint32_t> byArtist, byTitle;  // the model's orders
  std::map<uint32_t, std::string> artistOf, titleOf;
  for (int k = 0; k < 12; ++k) {
    const std::string artist = "A" + std::to_string(k), title = pick("T", 4);
    const uint32_t rec = Add(*t, artist, title);
    artistOf[rec] = artist, titleOf[rec] = title;
  }
  ASSERT_EQ(t->CreateIndex(&unique), DBERR_NONE);
  ASSERT_EQ(t->CreateIndex(&titles), DBERR_NONE);
  const DSIDX *uniqueIndex = nullptr, *titleIndex = nullptr;
  for (const auto& idx : t->Indexes()) {
    if (strcmp(idx->Name(), "u") == 0) uniqueIndex = idx.get();
    if (strcmp(idx->Name(), "t") == 0) titleIndex = idx.get();
  }
  ASSERT_TRUE(uniqueIndex && titleIndex);
  byArtist = Order(*uniqueIndex), byTitle = Order(*titleIndex);
  auto place = [](std::vector<uint32_t>& order, uint32_t oldRec, uint32_t newRec,
                  std::map<uint32_t, std::string>& keyOf) {
    const auto old = std::find(order.begin(), order.end(), oldRec);
    if (keyOf[oldRec] == keyOf[newRec]) return void(*old = newRec);  // an unchanged key stays
    order.erase(old);
    auto at = std::upper_bound(order.begin(), order.end(), keyOf[newRec],
                               [&](const std::string& key, uint32_t r) { return key < keyOf[r]; });
    order.insert(at, newRec);
  };
  int refused = 0, moved = 0;
  for (int step = 0; step < 400; ++step) {
    const uint32_t rec = byTitle[std::uniform_int_distribution<size_t>(0, byTitle.size() - 1)(rng)];
    const bool artistChange = rng() % 2 == 0;
    const std::string value = artistChange ? pick("A", 16) : pick("T", 4);
    bool clash = false;
    for (uint32_t other : byArtist)
      clash |= artistChange && other != rec && artistOf[other] == value;
    const uint32_t now =
        Modify(*t, rec, artistChange ? kArtist : kTitle, value, clash ? DBERR_KEYVIOL : DBERR_NONE);
    if (clash) {
      ++refused;
    } else if (now != rec) {
      artistOf[now] = artistChange ? value : artistOf[rec];
      titleOf[now] = artistChange ? titleOf[rec] : value;
      moved += (artistChange ? artistOf[rec] : titleOf[rec]) != value;
      place(byArtist, rec, now, artistOf);
      place(byTitle, rec, now, titleOf);
    }
    ASSERT_EQ(Order(*uniqueIndex), byArtist) << "step " << step;
    ASSERT_EQ(Order(*titleIndex), byTitle) << "step " << step;
  }
  EXPECT_GT(refused, 20);
  EXPECT_GT(moved, 100);
}

// ---- Delete ----

TEST(Delete, MarksDeletedRemovesFromIndexesAndLogs) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A"), b = Add(*t, "B");
  ASSERT_EQ(t->DeleteRecord(a, nullptr), DBERR_NONE);
  EXPECT_EQ(t->Attribute(a), dsRecInserted | dsRecDeleted);
  EXPECT_EQ(t->LiveCount(), 1u);
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{b}));
  EXPECT_EQ(t->Log().Last().kind, uint32_t(kChangeDelete));
  EXPECT_EQ(t->Log().Last().record, a);
  EXPECT_EQ(StoredStr(*t, a, kArtist), "A") << "the slot is kept";
}

TEST(Delete, RefusalsChangeNothing) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A");
  const uint32_t old = Add(*t, "B");
  Modify(*t, old, kArtist, "C");
  ASSERT_EQ(t->DeleteRecord(a, nullptr), DBERR_NONE);
  const Snapshot before = Take(*t);
  EXPECT_EQ(t->DeleteRecord(a, nullptr), DBERR_NA) << "already deleted";
  EXPECT_EQ(t->DeleteRecord(old, nullptr), DBERR_NA) << "superseded";
  EXPECT_EQ(t->DeleteRecord(3, t->ChangeIndex()), DBERR_INDEXREADONLY);
  t->SetDisableDeletes(true);
  EXPECT_EQ(t->DeleteRecord(3, nullptr), DBERR_READONLY);
  t->SetDisableDeletes(false);
  t->SetDeltaMode(true);
  EXPECT_EQ(t->DeleteRecord(3, nullptr), DBERR_NA);
  EXPECT_EQ(Take(*t), before);
}

TEST(Delete, DeletedIdIsNotReused) {
  auto t = MakeLyricsTable();
  Add(*t, "A");
  const uint32_t two = Add(*t, "B");
  t->DeleteRecord(two, nullptr);
  EXPECT_EQ(StoredInt(*t, Add(*t, "C"), kId), 3);
}

// ---- Undo ----

TEST(Undo, EmptyLogHasNothingToUndo) {
  auto t = MakeLyricsTable();
  uint32_t follow;
  EXPECT_EQ(t->UndoLastChange(true, &follow), DBERR_NOTHINGTOUNDO);
  t->MutableLog().Reserve();
  t->MutableLog().Append(0, 0, kChangeNone);
  EXPECT_EQ(t->UndoLastChange(true, &follow), DBERR_NOTHINGTOUNDO);
  EXPECT_TRUE(t->Log().Empty()) << "kind 0 entries are dropped";
}

TEST(Undo, InsertOfNewestSlotGivesSlotAndIdBack) {
  auto t = MakeLyricsTable();
  Add(*t, "A");
  const Snapshot before = Take(*t);
  Rec r(*t);
  r.Str(kArtist, "B");
  t->PutBlob(r.data(), kLyric, 0, "words", 5);
  Insert(*t, r);
  uint32_t follow = 7;
  ASSERT_EQ(t->UndoLastChange(true, &follow), DBERR_NONE);
  EXPECT_EQ(follow, 0u);
  Snapshot after = Take(*t);
  after.blobs = before.blobs;  // committed blob entries stay
  EXPECT_EQ(after, before);
  EXPECT_EQ(StoredInt(*t, Add(*t, "C"), kId), 2) << "the next append reuses the Id";
}

TEST(Undo, InsertOfOlderSlotHidesIt) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A");
  t->SetProp(dspropLOGCHANGES, 0);
  const uint32_t b = Add(*t, "B");  // newer slot, not logged
  t->SetProp(dspropLOGCHANGES, 1);
  uint32_t follow;
  ASSERT_EQ(t->UndoLastChange(false, &follow), DBERR_NONE);
  EXPECT_EQ(t->Attribute(a), dsRecInserted | dsRecHidden);
  EXPECT_EQ(t->NextRecordNumber(), 3u);
  EXPECT_EQ(t->AutoIncValue(), 3u) << "counter steps back only for the newest slot";
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{b}));
  EXPECT_EQ(t->LiveCount(), 1u);
  EXPECT_TRUE(t->Log().Empty());
}

TEST(Undo, ModifyRestoresOldVersionNewestOrHidden) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A");
  const Snapshot before = Take(*t);
  const uint32_t v = Modify(*t, a, kArtist, "Z");
  uint32_t follow = 0;
  ASSERT_EQ(t->UndoLastChange(true, &follow), DBERR_NONE);
  EXPECT_EQ(follow, a);
  EXPECT_EQ(Take(*t), before);

  const uint32_t v2 = Modify(*t, a, kArtist, "Y");
  EXPECT_EQ(v2, v) << "the given-back slot is used again";
  t->SetProp(dspropLOGCHANGES, 0);
  Add(*t, "later");
  t->SetProp(dspropLOGCHANGES, 1);
  ASSERT_EQ(t->UndoLastChange(true, &follow), DBERR_NONE);
  EXPECT_EQ(t->Attribute(v2) & dsRecHidden, dsRecHidden);
  EXPECT_EQ(t->Attribute(a), dsRecInserted);
  EXPECT_EQ(t->DefaultIndex()->RecordAt(1), a);
}

TEST(Undo, DeleteMakesRecordLiveAgain) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A");
  t->DeleteRecord(a, nullptr);
  uint32_t follow;
  ASSERT_EQ(t->UndoLastChange(true, &follow), DBERR_NONE);
  EXPECT_EQ(follow, a);
  EXPECT_EQ(t->Attribute(a), dsRecInserted);
  EXPECT_EQ(t->LiveCount(), 1u);
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{a}));
  EXPECT_EQ(t->Log().Size(), 1u);
}

TEST(Undo, DeleteRefusedByUniqueIndexChangesNothing) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A");
  t->DeleteRecord(a, nullptr);
  IndexDescriptor u = UniqueOn(kArtist);
  ASSERT_EQ(t->CreateIndex(&u), DBERR_NONE);
  t->SetProp(dspropLOGCHANGES, 0);
  Add(*t, "A");
  t->SetProp(dspropLOGCHANGES, 1);
  const Snapshot before = Take(*t);
  uint32_t follow;
  EXPECT_EQ(t->UndoLastChange(true, &follow), DBERR_KEYVIOL);
  EXPECT_EQ(Take(*t), before);
}

TEST(Undo, ReleasesBlobsWrittenAfterTheLastCommit) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A");
  t->DeleteRecord(a, nullptr);
  Rec r(*t);
  t->PutBlob(r.data(), kLyric, 0, "pending", 7);
  EXPECT_EQ(t->Blobs().Count(), 1u);
  uint32_t follow;
  t->UndoLastChange(false, &follow);
  EXPECT_EQ(t->Blobs().Count(), 0u);
}

// ---- Change count ----

uint32_t Changes(DSBASE& t) {
  uint32_t n = 99;
  EXPECT_EQ(t.GetProp(dspropNOOFCHANGES, &n), DBERR_NONE);
  return n;
}

TEST(ChangeCount, FoldsPerRecord) {
  auto t = MakeLyricsTable();
  EXPECT_EQ(Changes(*t), 0u);
  const uint32_t a = Add(*t, "A"), b = Add(*t, "B"), c = Add(*t, "C");
  EXPECT_EQ(Changes(*t), 3u);
  Modify(*t, a, kTitle, "x");
  EXPECT_EQ(Changes(*t), 3u) << "insert + modify = one insert";
  t->DeleteRecord(b, nullptr);
  EXPECT_EQ(Changes(*t), 2u) << "insert + delete = nothing";
  (void)c;
}

TEST(ChangeCount, ModificationChainsOfLoadedRecords) {
  auto t = MakeLyricsTable();
  t->SetProp(dspropLOGCHANGES, 0);
  const uint32_t a = Add(*t, "A", "T"), b = Add(*t, "B", "T"), c = Add(*t, "C", "T");
  t->SetProp(dspropLOGCHANGES, 1);
  const uint32_t a1 = Modify(*t, a, kTitle, "changed");
  EXPECT_EQ(Changes(*t), 1u);
  const uint32_t a2 = Modify(*t, a1, kArtist, "AA");
  EXPECT_EQ(Changes(*t), 1u) << "a chain counts once";
  Modify(*t, Modify(*t, a2, kArtist, "A"), kTitle, "T");
  EXPECT_EQ(Changes(*t), 0u) << "back to the original: nothing";
  const uint32_t b1 = Modify(*t, b, kTitle, "x");
  t->DeleteRecord(b1, nullptr);
  EXPECT_EQ(Changes(*t), 1u) << "modified then deleted = one delete";
  t->DeleteRecord(c, nullptr);
  EXPECT_EQ(Changes(*t), 2u);
}

}  // namespace
}  // namespace dsengine
