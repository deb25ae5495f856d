// Indexes: descriptor layout, key comparison and collation, build order (the position-array
// sort), insertion after equal keys, replacement, unique indexes, create/find/delete, sort on
// fields with temporary indexes.
#include "tableengine/dsindex.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <random>

#include "tableengine/dsbase.h"
#include "tableengine/dssort.h"
#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using namespace testing;

uint32_t Add(DSBASE& t, const std::string& artist, const std::string& title,
             const std::string& album = "") {
  Rec r(t);
  if (!artist.empty()) r.Str(kArtist, artist);
  if (!title.empty()) r.Str(kTitle, title);
  if (!album.empty()) r.Str(kAlbum, album);
  uint32_t rec = 0;
  EXPECT_EQ(t.InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  return rec;
}

DSIDX* SortOn(DSBASE& t, std::vector<uint32_t> fields, DSIDX* current = nullptr) {
  if (current == nullptr) {
    current = t.DefaultIndex();
    t.AdoptIndex(current);
  }
  EXPECT_EQ(t.SortOnFields(&current, uint32_t(fields.size()), fields.data(), nullptr, nullptr),
            DBERR_NONE);
  return current;
}

IndexDescriptor Desc(const char* name, std::vector<uint32_t> fields, bool unique = false) {
  IndexDescriptor d{};
  strncpy(d.name, name, 31);
  d.fieldCount = uint32_t(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) d.fields[i] = fields[i];
  d.unique = unique;
  return d;
}

TEST(IndexDescriptor, LayoutIs236Bytes) {
  EXPECT_EQ(offsetof(IndexDescriptor, fieldCount), 32u);
  EXPECT_EQ(offsetof(IndexDescriptor, fields), 36u);
  EXPECT_EQ(offsetof(IndexDescriptor, unique), 104u);
  EXPECT_EQ(offsetof(IndexDescriptor, descending), 108u);
  EXPECT_EQ(offsetof(IndexDescriptor, caseInsensitive), 172u);
}

TEST(IndexOrder, CaseVariantsSitTogetherAheadOfLaterLetters) {
  auto t = MakeLyricsTable();
  const uint32_t beatles = Add(*t, "Beatles", "x");
  const uint32_t upper = Add(*t, "Abba", "x");
  const uint32_t lower = Add(*t, "abba", "x");
  DSIDX* idx = SortOn(*t, {kArtist, kTitle});
  const auto order = Order(*idx);
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[2], beatles);
  EXPECT_NE(idx->CompareRecords(upper, lower), 0) << "abba and Abba are not equal";
  EXPECT_TRUE((order[0] == upper && order[1] == lower) || (order[0] == lower && order[1] == upper));
}

TEST(IndexOrder, CaseInsensitiveFlagMakesCaseVariantsEqual) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "abba", "x"), b = Add(*t, "ABBA", "x");
  DSIDX* idx = t->DefaultIndex();
  t->AdoptIndex(idx);
  const uint32_t f = kArtist;
  const bool ci = true;
  ASSERT_EQ(t->SortOnFields(&idx, 1, &f, nullptr, &ci), DBERR_NONE);
  EXPECT_EQ(idx->CompareRecords(a, b), 0);
}

TEST(IndexOrder, BlankSortsFirstAndLastWhenDescending) {
  auto t = MakeLyricsTable();
  Add(*t, "Cream", "x");
  const uint32_t blank = Add(*t, "", "x");
  Add(*t, "Abba", "x");
  DSIDX* idx = SortOn(*t, {kArtist});
  EXPECT_EQ(idx->RecordAt(1), blank);
  const uint32_t f = kArtist;
  const bool desc = true;
  ASSERT_EQ(t->SortOnFields(&idx, 1, &f, &desc, nullptr), DBERR_NONE);
  EXPECT_EQ(idx->RecordAt(3), blank);
  EXPECT_EQ(StoredStr(*t, idx->RecordAt(1), kArtist), "Cream");
}

TEST(IndexOrder, NumericComparersFollowTheEngineType) {
  auto t = MakeTable({MakeField("I16", fldINT16, 0, 0), MakeField("U16", fldUINT16, 0, 0),
                      MakeField("I64", fldINT64, 0, 0), MakeField("F", fldFLOAT, 0, 0),
                      MakeField("U32", fldUINT32, 0, 0), MakeField("B", fldBYTES, 0, 2),
                      MakeField("V", fldVARBYTES, 0, 4), MakeField("I8", fldINT8, 0, 0)});
  ASSERT_TRUE(t);
  struct Row {
    int16_t i16;
    uint16_t u16;
    int64_t i64;
    double f;
    uint32_t u32;
    uint8_t bytes[2];
    uint8_t var[6];
    int8_t i8;
  };
  const Row rows[2] = {{-1, 0xFFFF, -5, -0.5, 0x80000000u, {1, 2}, {2, 0, 'a', 'b'}, -1},
                       {1, 1, 3, 0.25, 1, {1, 3}, {1, 0, 'a'}, 1}};
  for (const Row& row : rows) {
    Rec r(*t);
    t->PutField(r.data(), 1, &row.i16);
    t->PutField(r.data(), 2, &row.u16);
    t->PutField(r.data(), 3, &row.i64);
    t->PutField(r.data(), 4, &row.f);
    t->PutField(r.data(), 5, &row.u32);
    t->PutField(r.data(), 6, row.bytes);
    t->PutField(r.data(), 7, row.var);
    int16_t i8 = row.i8;
    t->PutField(r.data(), 8, &i8);
    uint32_t rec;
    ASSERT_EQ(t->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  }
  // Signed types put record 1 first, unsigned ones record 2; bytes compare as bytes and
  // variable bytes put the shorter equal prefix first.
  const int expectSign[] = {-1, 1, -1, -1, 1, -1, 1, -1};
  for (uint32_t f = 1; f <= 8; ++f) {
    DSIDX idx(*t, kIndexOrdinary);
    ASSERT_EQ(idx.SetDescriptor(Desc("k", {f})), DBERR_NONE) << f;
    const int c = idx.CompareRecords(1, 2);
    EXPECT_EQ(c < 0 ? -1 : 1, expectSign[f - 1]) << "field " << f;
  }
}

TEST(IndexOrder, WideStringsCompareTheirCountedCharacters) {
  auto t = MakeTable({MakeField("W", fldUNICODE, fldstUNICODE, 20)});
  ASSERT_TRUE(t);
  for (const std::u16string& s :
       {std::u16string(u"beta"), std::u16string(u"Alpha"), std::u16string(u"alpha")}) {
    uint8_t v[22] = {};
    v[0] = uint8_t(s.size() * 2);
    memcpy(v + 2, s.data(), s.size() * 2);
    Rec r(*t);
    ASSERT_EQ(t->PutField(r.data(), 1, v), DBERR_NONE);
    uint32_t rec;
    ASSERT_EQ(t->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  }
  DSIDX* idx = SortOn(*t, {1});
  EXPECT_EQ(idx->RecordAt(3), 1u) << "beta after both alphas";
  EXPECT_NE(idx->CompareRecords(2, 3), 0);
}

TEST(IndexOrder, PackedDecimalsCompareBySignThenValue) {
  auto t = MakeTable({MakeField("N", fldBCD, 0, 6)});
  t->SetAutoIncValue(1);
  const uint8_t values[][34] = {{2, 0x80, 0x99}, {4, 2, 0x01, 0x50}, {2, 0, 0x02}, {2, 0x80, 0x01}};
  for (const auto& v : values) {
    Rec r(*t);
    ASSERT_EQ(t->PutField(r.data(), 1, v), DBERR_NONE);
    uint32_t rec;
    ASSERT_EQ(t->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  }
  DSIDX* idx = SortOn(*t, {1});
  // -99 < -1 < 1.50 -> stored as 1 (no places) ... 1 < 2
  EXPECT_EQ(Order(*idx), (std::vector<uint32_t>{1, 4, 2, 3}));
}

TEST(IndexOrder, BlobAndStructureFieldsCannotBeKeys) {
  auto t = MakeLyricsTable();
  DSIDX* idx = t->DefaultIndex();
  t->AdoptIndex(idx);
  const uint32_t f = kLyric;
  EXPECT_EQ(t->SortOnFields(&idx, 1, &f, nullptr, nullptr), DBERR_INVALIDFLDTYPE);
  EXPECT_EQ(idx, t->DefaultIndex());
  IndexDescriptor d = Desc("byLyric", {kLyric});
  EXPECT_EQ(t->CreateIndex(&d), DBERR_INVALIDFLDTYPE);
  const uint32_t bad[] = {0};
  EXPECT_EQ(t->SortOnFields(&idx, 1, bad, nullptr, nullptr), DBERR_INVALIDPARAM);
  const uint32_t beyond[] = {7};
  EXPECT_EQ(t->SortOnFields(&idx, 1, beyond, nullptr, nullptr), DBERR_INVALIDPARAM);
  EXPECT_EQ(t->SortOnFields(&idx, 0, beyond, nullptr, nullptr), DBERR_INVALIDPARAM);
}

// ---- Build order ----

// The position-array sort as the index must do it, on plain keys: quicksort (pivot from lo, mid,
// hi; ranges of 10 or fewer left alone; smaller part first) and then one insertion pass.
std::vector<int> ReferenceSort(std::vector<int> keys, std::vector<int> ids) {
  const int n = int(ids.size());
  std::vector<int> p(n + 2);
  for (int i = 0; i < n; ++i) p[i + 1] = ids[i];
  auto key = [&](int id) { return keys[id]; };
  std::function<void(int, int)> qs = [&](int lo, int hi) {
    const int mid = lo + (hi - lo) / 2;
    if (hi - lo + 1 > 4) {
      if (key(p[lo]) > key(p[hi])) std::swap(p[lo], p[hi]);
      if (key(p[mid]) > key(p[lo])) {
        std::swap(p[lo], p[mid]);
        if (key(p[lo]) > key(p[hi])) std::swap(p[lo], p[hi]);
      }
    } else {
      std::swap(p[lo], p[mid]);
    }
    const int pivot = key(p[lo]);
    int i = lo + 1, j = hi;
    while (true) {
      while (key(p[i]) < pivot) i++;
      while (pivot < key(p[j])) j--;
      if (i >= j) break;
      std::swap(p[i++], p[j--]);
    }
    std::swap(p[lo], p[j]);
    const int left = j - lo, right = hi - j;
    if (left <= right) {
      if (left > 10) qs(lo, j - 1);
      if (right > 10) qs(j + 1, hi);
    } else {
      if (right > 10) qs(j + 1, hi);
      if (left > 10) qs(lo, j - 1);
    }
  };
  if (n > 10) qs(1, n);
  for (int i = 2; i <= n; ++i) {
    const int v = p[i];
    int j = i - 1;
    while (j >= 1 && key(p[j]) > key(v)) {
      p[j + 1] = p[j];
      j--;
    }
    p[j + 1] = v;
  }
  return std::vector<int>(p.begin() + 1, p.begin() + 1 + n);
}

TEST(IndexBuild, EqualKeysTakeTheOrderOfTheSpecifiedSort) {
  for (int n : {5, 11, 12, 40, 257}) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
      auto t = MakeLyricsTable();
      std::mt19937 rng(seed * 100 + n);
      std::vector<int> keys(n + 1), ids;
      for (int i = 1; i <= n; ++i) {
        keys[i] = int(rng() % 6);  // few distinct keys: many equal ones
        ids.push_back(int(Add(*t, std::string(1, char('A' + keys[i])), "same")));
        ASSERT_EQ(ids.back(), i);
      }
      DSIDX* idx = SortOn(*t, {kArtist, kTitle});
      const auto want = ReferenceSort(keys, ids);
      const auto got = Order(*idx);
      ASSERT_EQ(got.size(), size_t(n));
      for (int i = 0; i < n; ++i) ASSERT_EQ(int(got[i]), want[i]) << "n=" << n << " pos " << i;
    }
  }
}

TEST(IndexBuild, LaterInsertWithEqualKeyGoesAfterAllEqualOnes) {
  auto t = MakeLyricsTable();
  for (int i = 0; i < 30; ++i) Add(*t, i % 2 ? "Same" : "Other" + std::to_string(i), "T");
  DSIDX* idx = SortOn(*t, {kArtist, kTitle});
  std::vector<uint32_t> before = Order(*idx);
  const uint32_t late = Add(*t, "Same", "T");
  std::vector<uint32_t> after = Order(*idx);
  uint32_t lastSame = 0;
  for (uint32_t p = 1; p <= idx->Count(); ++p)
    if (StoredStr(*t, idx->RecordAt(p), kArtist) == "Same") lastSame = p;
  EXPECT_EQ(idx->RecordAt(lastSame), late);
  after.erase(after.begin() + (lastSame - 1));
  EXPECT_EQ(after, before) << "the other records keep their order";
}

TEST(IndexBuild, SortedResultForManyDistinctKeys) {
  auto t = MakeLyricsTable();
  std::mt19937 rng(7);
  for (int i = 0; i < 500; ++i) Add(*t, "A" + std::to_string(rng() % 1000), std::to_string(i));
  DSIDX* idx = SortOn(*t, {kArtist, kTitle});
  ASSERT_EQ(idx->Count(), 500u);
  for (uint32_t p = 2; p <= idx->Count(); ++p)
    ASSERT_LE(idx->CompareRecords(idx->RecordAt(p - 1), idx->RecordAt(p)), 0) << p;
  EXPECT_EQ(idx->Positions()[0], 0);
  EXPECT_EQ(idx->Positions()[501], -1);
}

// ---- Replacement ----

// `count` words of one to six characters from a small alphabet with case variants, accents and
// characters the collation ignores, so that some differ in bytes and still collate equal.
std::vector<std::string> MadeUpWords(std::mt19937& rng, size_t count) {
  static const char kLetters[] = "aAbBeE\xE9\xC9oO\xF6 -'";
  std::vector<std::string> words;
  while (words.size() < count) {
    std::string w(1 + rng() % 6, ' ');
    for (char& c : w) c = kLetters[rng() % (sizeof kLetters - 1)];
    words.push_back(w);
  }
  return words;
}

// A build sorts byte keys of the records instead of comparing records; the order, equal keys
// included, must be the one the same sort gives by comparing records, for strings with accents,
// case variants, blanks and equal values, integers, several fields, descending and
// case-insensitive flags. The vocabularies make leading string fields repeat few values (keyed
// by a one-byte rank), some hundreds (a two-byte rank), or hardly any (keyed directly), or
// begin alike for longer than a key's head.
TEST(IndexBuild, ByteKeySortGivesTheOrderOfComparingRecords) {
  const std::vector<std::string> fixedWords = {"",
                                               "abba",
                                               "Abba",
                                               "ABBA",
                                               "\xE9t\xE9",
                                               "ete",
                                               "\xC9t\xE9",
                                               "co-op",
                                               "coop",
                                               "Co'op",
                                               "b\xF6z",
                                               "boz",
                                               " x",
                                               "x",
                                               "stra\xDF"
                                               "e",
                                               "strasse"};
  std::mt19937 rng(31);
  for (int trial = 0; trial < 80; ++trial) {
    std::vector<std::string> words = fixedWords;
    int n = 50 + int(rng() % 400);
    if (trial % 4 == 1) {
      words = MadeUpWords(rng, 600);
      n = 1200 + int(rng() % 400);
    } else if (trial % 4 == 2) {
      words = MadeUpWords(rng, 5000);
    } else if (trial % 4 == 3) {
      // One long beginning: every head ties, and the keys' rests run past 127 bytes.
      words = MadeUpWords(rng, 300);
      for (std::string& w : words) w = "Greatest Hits of the Year, Volume One - Remastered " + w;
    }
    auto t = MakeLyricsTable();
    for (int i = 0; i < n; ++i)
      Add(*t, words[rng() % words.size()], words[rng() % words.size()],
          words[rng() % words.size()]);
    for (int i = 0; i < n / 10; ++i) {
      Rec r(*t);
      r.Str(kArtist, words[rng() % words.size()]);
      uint32_t rec = 1 + rng() % (t->NextRecordNumber() - 1), newRec = 0;
      if (t->Visible(rec)) {
        ASSERT_EQ(t->ModifyRecord(rec, r.data(), nullptr, &newRec), DBERR_NONE);
      }
    }
    const uint32_t candidates[] = {kArtist, kTitle, kAlbum, kId};
    const uint32_t count = 1 + rng() % 3;
    std::vector<uint32_t> fields;
    bool descending[3], caseInsensitive[3];
    for (uint32_t k = 0; k < count; ++k) {
      fields.push_back(candidates[rng() % 4]);
      descending[k] = rng() % 3 == 0;
      caseInsensitive[k] = rng() % 3 == 0;
    }
    DSIDX* idx = t->DefaultIndex();
    t->AdoptIndex(idx);
    ASSERT_EQ(t->SortOnFields(&idx, count, fields.data(), descending, caseInsensitive), DBERR_NONE);
    std::vector<int32_t> expected = {0};
    for (uint32_t rec = 1; rec < t->NextRecordNumber(); ++rec)
      if (t->Indexable(rec)) expected.push_back(int32_t(rec));
    SortIndexEntries(expected.data(), uint32_t(expected.size() - 1), [&](int32_t a, int32_t b) {
      return idx->CompareRecords(uint32_t(a), uint32_t(b)) < 0;
    });
    ASSERT_EQ(Order(*idx), std::vector<uint32_t>(expected.begin() + 1, expected.end()))
        << "trial " << trial;
  }
}

TEST(IndexReplace, ChangedTitleMovesChangedAlbumStays) {
  auto t = MakeLyricsTable();
  Add(*t, "Abba", "Alpha");
  const uint32_t mid = Add(*t, "Abba", "Mamma Mia");
  Add(*t, "Abba", "Waterloo");
  DSIDX* idx = SortOn(*t, {kArtist, kTitle});
  ASSERT_EQ(idx->RecordAt(2), mid);
  Rec r(*t);
  t->ReadRecord(mid, r.data());
  r.Str(kAlbum, "Arrival");
  uint32_t v2;
  ASSERT_EQ(t->ModifyRecord(mid, r.data(), idx, &v2), DBERR_NONE);
  EXPECT_NE(v2, mid);
  EXPECT_EQ(idx->RecordAt(2), v2) << "album change keeps the place";
  r.Str(kTitle, "Zebra");
  uint32_t v3;
  ASSERT_EQ(t->ModifyRecord(v2, r.data(), idx, &v3), DBERR_NONE);
  EXPECT_EQ(idx->RecordAt(3), v3) << "title change moves the record at once";
  EXPECT_EQ(idx->FindPosition(v2), 0u);
  EXPECT_EQ(t->DefaultIndex()->RecordAt(2), v3) << "natural order keeps the replaced place";
}

// ---- Sort on fields and temporary indexes ----

TEST(SortOnFields, SecondIdenticalRequestBuildsNothing) {
  auto t = MakeLyricsTable();
  Add(*t, "B", "1");
  Add(*t, "A", "2");
  DSIDX* idx = SortOn(*t, {kArtist, kTitle});
  EXPECT_TRUE(idx->IsTemporary());
  EXPECT_STREQ(idx->Name(), "Artist");
  const uint32_t changes = idx->ChangeCounter();
  const size_t registered = t->Indexes().size();
  DSIDX* again = SortOn(*t, {kArtist, kTitle}, idx);
  EXPECT_EQ(again, idx);
  EXPECT_EQ(idx->ChangeCounter(), changes);
  EXPECT_EQ(t->Indexes().size(), registered);
}

TEST(SortOnFields, TemporaryIndexIsRebuiltInPlaceAndFreedOnRelease) {
  auto t = MakeLyricsTable();
  Add(*t, "B", "1");
  Add(*t, "A", "2");
  DSIDX* idx = SortOn(*t, {kArtist});
  EXPECT_EQ(t->DefaultIndex()->UseCount(), 1u) << "the cursor let the default index go";
  EXPECT_EQ(t->Indexes().size(), 3u);
  DSIDX* same = SortOn(*t, {kTitle}, idx);
  EXPECT_EQ(same, idx);
  EXPECT_STREQ(idx->Name(), "Title");
  EXPECT_EQ(Order(*idx), (std::vector<uint32_t>{1, 2}));
  t->ReleaseIndex(idx);
  EXPECT_EQ(t->Indexes().size(), 2u);
}

TEST(SortOnFields, SharedTemporaryIndexIsNotReorderedUnderAnotherCursor) {
  auto t = MakeLyricsTable();
  Add(*t, "B", "1");
  Add(*t, "A", "2");
  DSIDX* first = SortOn(*t, {kArtist});
  t->AdoptIndex(first);  // a second cursor shares it
  DSIDX* second = first;
  ASSERT_EQ(t->SortOnFields(&second, 1, std::vector<uint32_t>{kTitle}.data(), nullptr, nullptr),
            DBERR_NONE);
  EXPECT_NE(second, first);
  EXPECT_EQ(Order(*first), (std::vector<uint32_t>{2, 1}));
  EXPECT_EQ(Order(*second), (std::vector<uint32_t>{1, 2}));
}

TEST(SortOnFields, SourceIndexGivesItsOrderToEqualKeys) {
  auto t = MakeLyricsTable();
  // 20 records, 2 artists; titles descend so that Artist;Title reverses the natural order.
  for (int i = 0; i < 20; ++i) Add(*t, i % 2 ? "X" : "Y", std::string(1, char('z' - i)));
  DSIDX* full = SortOn(*t, {kArtist, kTitle});
  t->AdoptIndex(full);  // stays registered for the second cursor
  DSIDX* byArtist = SortOn(*t, {kArtist});
  std::vector<uint32_t> want = Order(*full);
  EXPECT_EQ(Order(*byArtist), want) << "built from Artist;Title in its order";
}

// ---- Create, find, delete ----

TEST(IndexCatalogue, CreateFindAndDelete) {
  auto t = MakeLyricsTable();
  Add(*t, "B", "1");
  Add(*t, "A", "2");
  IndexDescriptor d = Desc("byArtist", {kArtist});
  ASSERT_EQ(t->CreateIndex(&d), DBERR_NONE);
  DSIDX* found = nullptr;
  EXPECT_EQ(t->FindIndex("BYARTIST", &found), DBERR_NOSUCHINDEX) << "names compare with case";
  ASSERT_EQ(t->FindIndex("byArtist", &found), DBERR_NONE);
  EXPECT_EQ(Order(*found), (std::vector<uint32_t>{2, 1}));
  EXPECT_EQ(t->CreateIndex(&d), DBERR_NONE) << "same definition again: nothing happens";
  IndexDescriptor other = Desc("byArtist", {kTitle});
  EXPECT_EQ(t->CreateIndex(&other), DBERR_NAMENOTUNIQUE);
  EXPECT_EQ(t->FindIndex("nope", &found), DBERR_NOSUCHINDEX);
  DSIDX* def = nullptr;
  ASSERT_EQ(t->FindIndex("", &def), DBERR_NONE);
  EXPECT_EQ(def, t->DefaultIndex());
  EXPECT_EQ(t->CreateIndex(nullptr), DBERR_INVALIDPARAM);

  EXPECT_EQ(t->DeleteIndex(""), DBERR_ACTIVEINDEX);
  EXPECT_EQ(t->DeleteIndex("DEFAULT_ORDER"), DBERR_ACTIVEINDEX);
  EXPECT_EQ(t->DeleteIndex("CHANGEINDEX"), DBERR_ACTIVEINDEX);
  EXPECT_EQ(t->DeleteIndex("nope"), DBERR_NOSUCHINDEX);
  ASSERT_EQ(t->FindIndex("byArtist", &found), DBERR_NONE);
  t->AdoptIndex(found);
  EXPECT_EQ(t->DeleteIndex("byArtist"), DBERR_ACTIVEINDEX) << "in use by a cursor";
  t->ReleaseIndex(found);
  EXPECT_EQ(t->DeleteIndex("byArtist"), DBERR_NONE);
  EXPECT_EQ(t->FindIndex("byArtist", &found), DBERR_NOSUCHINDEX);
}

TEST(IndexCatalogue, TemporaryIndexesAreNotFoundByName) {
  auto t = MakeLyricsTable();
  SortOn(*t, {kArtist});
  DSIDX* found;
  EXPECT_EQ(t->FindIndex("Artist", &found), DBERR_NOSUCHINDEX);
}

TEST(IndexCatalogue, DefaultIndexIsRedefinedOnce) {
  auto t = MakeLyricsTable();
  Add(*t, "B", "1");
  Add(*t, "A", "2");
  IndexDescriptor d = Desc("", {kArtist});
  ASSERT_EQ(t->CreateIndex(&d), DBERR_NONE);
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{2, 1}));
  EXPECT_STREQ(t->DefaultIndex()->Name(), "DEFAULT_ORDER");
  EXPECT_EQ(t->CreateIndex(&d), DBERR_ACTIVEINDEX);
}

TEST(IndexCatalogue, UniqueIndexOverDuplicatesFails) {
  auto t = MakeLyricsTable();
  Add(*t, "Abba", "1");
  Add(*t, "Abba", "2");
  IndexDescriptor d = Desc("u", {kArtist}, true);
  EXPECT_EQ(t->CreateIndex(&d), DBERR_KEYVIOL);
  DSIDX* found;
  EXPECT_EQ(t->FindIndex("u", &found), DBERR_NOSUCHINDEX);
}

TEST(IndexCatalogue, IdentitiesAreUniqueWithinTheTable) {
  auto t = MakeLyricsTable();
  IndexDescriptor a = Desc("a", {kArtist}), b = Desc("b", {kTitle});
  t->CreateIndex(&a);
  t->CreateIndex(&b);
  std::vector<uint32_t> ids;
  for (const auto& idx : t->Indexes()) ids.push_back(idx->Identity());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
}

TEST(IndexInsert, HintPlacesRecordInIndexWithoutKeys) {
  auto t = MakeLyricsTable();
  Add(*t, "A", "1");
  Add(*t, "B", "2");
  Rec r(*t);
  r.Str(kArtist, "C");
  uint32_t rec;
  ASSERT_EQ(t->InsertRecord(r.data(), t->DefaultIndex(), 2, &rec), DBERR_NONE);
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{1, 3, 2}));
  EXPECT_EQ(t->DefaultIndex()->InsertHint(), 0u);
  ASSERT_EQ(t->InsertRecord(r.data(), t->DefaultIndex(), 0, &rec), DBERR_NONE);
  EXPECT_EQ(t->DefaultIndex()->RecordAt(4), rec);
}

// The default index and the change index answer position searches from their record-to-position
// maps; after every kind of change (appends, hinted inserts, modifies, deletes, undos) they must
// agree with a scan, which finds a record the change index lists twice at its first position.
TEST(IndexSearch, PositionMapOfIndexWithoutKeysAgreesWithAScan) {
  auto t = MakeLyricsTable();
  DSIDX& idx = *t->DefaultIndex();
  std::mt19937 rng(12);
  auto scan = [](const DSIDX& index, uint32_t rec) -> uint32_t {
    for (uint32_t p = 1; p <= index.Count(); ++p)
      if (index.RecordAt(p) == rec) return p;
    return 0;
  };
  for (int step = 0; step < 600; ++step) {
    const uint32_t live = idx.Count();
    const uint32_t pick = live ? idx.RecordAt(1 + rng() % live) : 0;
    Rec r(*t);
    r.Str(kArtist, "A" + std::to_string(rng() % 50));
    uint32_t rec = 0, follow = 0;
    switch (live < 5 ? 0 : rng() % 5) {
      case 0:
        ASSERT_EQ(t->InsertRecord(r.data(), &idx, rng() % 3 ? 0 : 1 + rng() % live, &rec),
                  DBERR_NONE);
        break;
      case 1:
      case 2:
        ASSERT_EQ(t->ModifyRecord(pick, r.data(), nullptr, &rec), DBERR_NONE);
        break;
      case 3:
        ASSERT_EQ(t->DeleteRecord(pick, nullptr), DBERR_NONE);
        break;
      default:
        ASSERT_EQ(t->UndoLastChange(false, &follow), DBERR_NONE);
    }
    for (const DSIDX* index : {&idx, static_cast<DSIDX*>(t->ChangeIndex())})
      for (uint32_t rec = 1; rec < t->NextRecordNumber() + 2; ++rec)
        ASSERT_EQ(index->FindPosition(rec), scan(*index, rec))
            << index->Name() << " record " << rec << " after step " << step;
  }
}

TEST(ChangeIndex, ListsLoggedRecordsInLogOrder) {
  auto t = MakeLyricsTable();
  const uint32_t a = Add(*t, "A", "1");
  const uint32_t b = Add(*t, "B", "2");
  ASSERT_EQ(t->DeleteRecord(a, nullptr), DBERR_NONE);
  EXPECT_EQ(Order(*t->ChangeIndex()), (std::vector<uint32_t>{a, b, a}));
  uint32_t follow;
  ASSERT_EQ(t->UndoLastChange(false, &follow), DBERR_NONE);
  EXPECT_EQ(Order(*t->ChangeIndex()), (std::vector<uint32_t>{a, b}));
  EXPECT_TRUE(t->ChangeIndex()->IsReadOnly());
}

}  // namespace
}  // namespace dsengine
