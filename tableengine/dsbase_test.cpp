// The table object: creation, record store, flat record buffers, properties, blobs, texts.
#include "tableengine/dsbase.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tableengine/engine_testing.h"

namespace dsengine {
namespace {

using namespace testing;

uint32_t U32At(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

TEST(Table, CreateComputesLayoutIndexesAndAutoIncField) {
  auto t = MakeLyricsTable();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->RecordSize(), 1058u);
  EXPECT_EQ(t->AutoIncField(), kId);
  EXPECT_EQ(t->AutoIncValue(), 1u);
  EXPECT_TRUE(t->HasBlobStore());
  ASSERT_EQ(t->Indexes().size(), 2u);
  EXPECT_STREQ(t->DefaultIndex()->Name(), "DEFAULT_ORDER");
  EXPECT_STREQ(t->ChangeIndex()->Name(), "CHANGEINDEX");
  EXPECT_NE(t->DefaultIndex()->Identity(), t->ChangeIndex()->Identity());
  FieldDescriptor out[6];
  ASSERT_EQ(t->GetFieldDescs(out), DBERR_NONE);
  EXPECT_EQ(out[3].offset, 366u);
  EXPECT_EQ(out[5].nullOffset, 1057u);
}

TEST(Table, SecondCreateDoesNothing) {
  auto t = MakeLyricsTable();
  auto other = std::vector<FieldDescriptor>{MakeField("X", fldINT16, 0, 0)};
  EXPECT_EQ(t->CreateTable(1, other.data(), "x"), DBERR_NONE);
  EXPECT_EQ(t->FieldCount(), 6u);
  EXPECT_EQ(t->Name(), "cdsMain");
}

TEST(Table, FailedCreateLeavesTableEmptyAndCreatableAgain) {
  DSBASE t;
  auto bad = std::vector<FieldDescriptor>{MakeField("Id", fldINT32, 0, 0),
                                          MakeField("S", fldZSTRING, 0, 0)};
  EXPECT_EQ(t.CreateTable(2, bad.data(), "t"), DBERR_INVALIDPARAM);
  EXPECT_FALSE(t.Created());
  EXPECT_EQ(t.FieldCount(), 0u);
  EXPECT_TRUE(t.Indexes().empty());
  auto huge = std::vector<FieldDescriptor>{MakeField("B", fldVARBYTES, 0, 70000)};
  EXPECT_EQ(t.CreateTable(1, huge.data(), "t"), DBERR_INVALIDFLDTYPE);
  auto good = LyricsFields();
  EXPECT_EQ(t.CreateTable(6, good.data(), "t"), DBERR_NONE);
  EXPECT_EQ(t.RecordSize(), 1058u);
}

TEST(Table, ReadRecordRefusesZeroAndUnusedNumbers) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  EXPECT_EQ(t->ReadRecord(0, r.data()), DBERR_OUTOFRANGE);
  EXPECT_EQ(t->ReadRecord(1, r.data()), DBERR_OUTOFRANGE);
  uint32_t rec;
  ASSERT_EQ(t->InsertRecord(Rec(*t).Str(kArtist, "A").data(), nullptr, 0, &rec), DBERR_NONE);
  EXPECT_EQ(t->ReadRecord(1, r.data()), DBERR_NONE);
  EXPECT_EQ(r.GetStr(kArtist), "A");
  EXPECT_EQ(t->ReadRecord(2, r.data()), DBERR_OUTOFRANGE);
}

TEST(Table, WriteAndReadRecordRoundTrip) {
  auto t = MakeLyricsTable();
  ASSERT_EQ(t->EnsureSlot(), DBERR_NONE);
  Rec in(*t);
  in.Int(kId, 77).Str(kArtist, "Abba").Str(kTitle, "Waterloo").Blank(kAlbum);
  ASSERT_EQ(t->WriteRecord(1, in.data()), DBERR_NONE);
  EXPECT_EQ(StoredStr(*t, 1, kTitle), "Waterloo");
  EXPECT_EQ(t->NullFlagOf(1, kAlbum), kBlankByClient);
  EXPECT_EQ(t->NullFlagOf(1, kSongFile), kBlankUnassigned);
  EXPECT_EQ(t->WriteRecord(0, in.data()), DBERR_OUTOFRANGE);
  EXPECT_EQ(t->WriteRecord(t->Capacity() + 1, in.data()), DBERR_OUTOFRANGE);
}

TEST(Table, FieldAccessGivesValuesAndAttributeByte) {
  auto t = MakeLyricsTable();
  uint32_t rec;
  t->InsertRecord(Rec(*t).Str(kArtist, "Queen").data(), nullptr, 0, &rec);
  uint8_t* v;
  uint8_t nf = 9;
  ASSERT_EQ(t->FieldAccess(rec, kArtist, &v, &nf), DBERR_NONE);
  EXPECT_STREQ(reinterpret_cast<char*>(v), "Queen");
  EXPECT_EQ(nf, 0);
  ASSERT_EQ(t->FieldAccess(rec, 0, &v, &nf), DBERR_NONE);
  EXPECT_EQ(*v, dsRecInserted);
  EXPECT_EQ(t->FieldAccess(rec, 7, &v, &nf), DBERR_INVALIDPARAM);
  EXPECT_EQ(t->FieldAccess(2, 1, &v, &nf), DBERR_OUTOFRANGE);
}

TEST(Table, StoreGrowsByHalfItsCapacityAtLeast100SlotsKeepingContents) {
  auto t = MakeLyricsTable();
  EXPECT_EQ(t->Capacity(), 0u);
  std::vector<uint32_t> capacities;
  for (int i = 1; i <= 451; ++i) {
    uint32_t rec;
    ASSERT_EQ(
        t->InsertRecord(Rec(*t).Str(kArtist, "A" + std::to_string(i)).data(), nullptr, 0, &rec),
        DBERR_NONE);
    if (capacities.empty() || capacities.back() != t->Capacity())
      capacities.push_back(t->Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<uint32_t>{100, 200, 300, 450, 675}));
  for (uint32_t i = 1; i <= 451; ++i) {
    EXPECT_EQ(StoredStr(*t, i, kArtist), "A" + std::to_string(i));
    EXPECT_EQ(StoredInt(*t, i, kId), int32_t(i));
  }
  EXPECT_EQ(t->NextRecordNumber(), 452u);
  EXPECT_EQ(t->LiveCount(), 451u);
}

TEST(Table, ReserveSlotsSizesTheStoreOnceAndNeverShrinksIt) {
  auto t = MakeLyricsTable();
  ASSERT_EQ(t->ReserveSlots(1000), DBERR_NONE);
  EXPECT_EQ(t->Capacity(), 1000u);
  Rec r(*t);
  r.Str(kArtist, "kept");
  uint32_t rec = 0;
  ASSERT_EQ(t->AppendStoredRecord(r.data(), 0, &rec), DBERR_NONE);
  ASSERT_EQ(t->ReserveSlots(10), DBERR_NONE);
  EXPECT_EQ(t->Capacity(), 1000u);
  ASSERT_EQ(t->ReserveSlots(1500), DBERR_NONE);
  EXPECT_EQ(t->Capacity(), 1500u);
  EXPECT_EQ(StoredStr(*t, rec, kArtist), "kept");
  DSBASE notCreated;
  EXPECT_EQ(notCreated.ReserveSlots(5), DBERR_INVALIDPARAM);
}

TEST(RecordBuffer, InitMarksEveryFieldUnassigned) {
  auto t = MakeLyricsTable();
  std::vector<uint8_t> b(t->RecordSize(), 0xAB);
  ASSERT_EQ(t->InitRecord(b.data()), DBERR_NONE);
  for (uint32_t i = 0; i < 1052; ++i) ASSERT_EQ(b[i], 0) << i;
  for (uint32_t i = 1052; i < 1058; ++i) EXPECT_EQ(b[i], kBlankUnassigned);
}

TEST(RecordBuffer, PutStringTrimsTrailingBlanksAndZeroFills) {
  auto t = MakeLyricsTable();
  std::vector<uint8_t> b(t->RecordSize(), 0xAB);
  t->InitRecord(b.data());
  memset(b.data() + 4, 'x', 181);
  ASSERT_EQ(t->PutField(b.data(), kArtist, "Beatles   "), DBERR_NONE);
  EXPECT_EQ(memcmp(b.data() + 4, "Beatles", 7), 0);
  for (int i = 7; i < 181; ++i) ASSERT_EQ(b[4 + i], 0) << i;
  EXPECT_EQ(b[1053], kValuePresent);
  ASSERT_EQ(t->PutField(b.data(), kArtist, "  lead"), DBERR_NONE);
  EXPECT_STREQ(reinterpret_cast<char*>(b.data() + 4), "  lead") << "leading blanks stay";
}

TEST(RecordBuffer, FullLengthStringEndsWithItsNul) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  const std::string s(180, 'z'), longer(200, 'y');
  r.Str(kArtist, s);
  EXPECT_EQ(r.GetStr(kArtist), s);
  EXPECT_EQ(r.data()[4 + 180], 0);
  r.Str(kArtist, longer);
  EXPECT_EQ(r.GetStr(kArtist), std::string(180, 'y')) << "cut to the field's size";
  EXPECT_EQ(r.data()[185], 0) << "Album untouched";
}

TEST(RecordBuffer, TrimmingOffKeepsBlanks) {
  auto t = MakeLyricsTable();
  uint32_t v = 0;
  ASSERT_EQ(t->GetProp(dspropTRIMSTRINGS, &v), DBERR_NONE);
  EXPECT_EQ(v, 1u);
  ASSERT_EQ(t->SetProp(dspropTRIMSTRINGS, 0), DBERR_NONE);
  Rec r(*t);
  r.Str(kArtist, "Beatles   ");
  EXPECT_EQ(r.GetStr(kArtist), "Beatles   ");
}

TEST(RecordBuffer, PutNothingBlanksAndZeroesTheValue) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  r.Str(kTitle, "Song").Blank(kTitle);
  EXPECT_EQ(r.Null(kTitle), kBlankByClient);
  for (uint32_t i = 366; i < 547; ++i) ASSERT_EQ(r.data()[i], 0);
  uint8_t nf;
  char value[181];
  ASSERT_EQ(t->GetField(r.data(), kTitle, value, &nf), DBERR_NONE);
  EXPECT_EQ(nf, kBlankByClient);
  r.Int(kId, -5);
  int32_t id;
  ASSERT_EQ(t->GetField(r.data(), kId, &id, &nf), DBERR_NONE);
  EXPECT_EQ(id, -5);
  EXPECT_EQ(nf, 0);
  EXPECT_EQ(t->PutField(r.data(), 0, "x"), DBERR_INVALIDPARAM);
  EXPECT_EQ(t->GetField(r.data(), 7, nullptr, &nf), DBERR_INVALIDPARAM);
}

TEST(RecordBuffer, PackedDecimalTakesTheFieldsDigitsAndPlaces) {
  auto t = MakeTable({MakeField("N", fldBCD, 0, 6)});
  ASSERT_TRUE(t);
  // The field: 6 digits, 0 places.
  // 12.50 as 4 digits with 2 places: precision 4, places 2, digits 1 2 5 0.
  uint8_t v[34] = {4, 2, 0x12, 0x50};
  std::vector<uint8_t> b(t->RecordSize());
  ASSERT_EQ(t->PutField(b.data(), 1, v), DBERR_NONE);
  const uint8_t want[] = {6, 0, 0x00, 0x00, 0x12};
  EXPECT_EQ(memcmp(b.data(), want, sizeof want), 0);
  uint8_t neg[34] = {2, 0x80, 0x34};
  ASSERT_EQ(t->PutField(b.data(), 1, neg), DBERR_NONE);
  EXPECT_EQ(b[1], 0x80);
  EXPECT_EQ(b[4], 0x34);
  uint8_t tooBig[34] = {8, 0, 0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(t->PutField(b.data(), 1, tooBig), DBERR_INVALIDPARAM);
}

TEST(Properties, BlockHoldsNameCountsAndFlags) {
  auto t = MakeLyricsTable();
  uint8_t props[kPropsSize];
  memset(props, 0xEE, sizeof props);
  ASSERT_EQ(t->GetProps(props), DBERR_NONE);
  EXPECT_STREQ(reinterpret_cast<char*>(props), "cdsMain");
  for (size_t i = 7; i < 261; ++i) ASSERT_EQ(props[i], 0) << i;
  EXPECT_EQ(U32At(props + 261), 6u);
  EXPECT_EQ(U32At(props + 265), 1058u);
  EXPECT_EQ(U32At(props + 269), 20u);
  EXPECT_EQ(U32At(props + 273), 0u);
  EXPECT_EQ(U32At(props + 277), 2u);
  EXPECT_EQ(U32At(props + 281), 0u);
  EXPECT_EQ(U32At(props + 285), 0u);
  EXPECT_EQ(U32At(props + 289), 0u);
  for (size_t i = 293; i < kPropsSize; ++i) ASSERT_EQ(props[i], 0) << i;
  t->SetProp(dspropREADONLY, 1);
  t->SetDeltaMode(true);
  t->GetProps(props);
  EXPECT_EQ(U32At(props + 273), 1u);
  EXPECT_EQ(U32At(props + 285), 1u);
}

TEST(Properties, KeptParametersAreCountedAndStreamModeIsKept) {
  auto t = MakeLyricsTable();
  const uint8_t v[2] = {1, 0};
  ASSERT_EQ(t->AddKeptParameter(0, "TABLENAME", 0x80490001, v, 2), DBERR_NONE);
  ASSERT_EQ(t->AddKeptParameter(2, "MINVALUE", 0x00020002, v, 2), DBERR_NONE);
  uint8_t props[kPropsSize];
  ASSERT_EQ(t->GetProps(props), DBERR_NONE);
  EXPECT_EQ(U32At(props + 281), 2u);
  ASSERT_EQ(t->KeptParameters().size(), 2u);
  EXPECT_EQ(t->KeptParameters()[1].field, 2u);
  EXPECT_EQ(t->KeptParameters()[1].name, "MINVALUE");
  uint32_t mode = 9;
  ASSERT_EQ(t->GetProp(dspropSTREAMMODE, &mode), DBERR_NONE);
  EXPECT_EQ(mode, 0u);
  ASSERT_EQ(t->SetProp(dspropSTREAMMODE, 5), DBERR_NONE);
  ASSERT_EQ(t->SetProp(dspropDISABLEINSERTS, 1), DBERR_NONE);
  t->ResetTable();  // the definition goes, the properties stay
  EXPECT_FALSE(t->Created());
  EXPECT_TRUE(t->KeptParameters().empty());
  t->GetProp(dspropSTREAMMODE, &mode);
  EXPECT_EQ(mode, 5u);
  EXPECT_TRUE(t->DisableInserts());
}

TEST(Properties, UnknownPropertyIsInvalid) {
  auto t = MakeLyricsTable();
  uint32_t v;
  EXPECT_EQ(t->GetProp(77, &v), DBERR_INVALIDPARAM);
  EXPECT_EQ(t->SetProp(dspropRECORDSINDS, 3), DBERR_INVALIDPARAM);
}

TEST(Properties, InvalidLocaleBecomesZero) {
  auto t = MakeLyricsTable();
  t->SetLocale(0x7FFFFFFF);
  EXPECT_EQ(t->Locale(), 0u);
  t->SetLocale(0x0409);
  EXPECT_EQ(t->Locale(), 0x0409u);
}

TEST(ErrorText, KnownCodesGiveTheirTextUnknownGive8712) {
  auto t = MakeLyricsTable();
  char text[kErrorTextSize];
  ASSERT_EQ(t->GetErrorString(DBERR_KEYVIOL, text), DBERR_NONE);
  EXPECT_STREQ(text, "Key violation.");
  ASSERT_EQ(t->GetErrorString(DBERR_NONE, text), DBERR_NONE);
  EXPECT_STREQ(text, "Successful completion.");
  memset(text, 'x', sizeof text);
  EXPECT_EQ(t->GetErrorString(1234, text), DBERR_OBJNOTFOUND);
  EXPECT_STREQ(text, "");
}

TEST(Loading, StoredRecordsKeepAttributesAndIndexesFollowOnRebuild) {
  auto t = MakeLyricsTable();
  const uint8_t attrs[] = {0, dsRecSuperseded, dsRecModified, dsRecInserted | dsRecDeleted,
                           dsRecInserted | dsRecHidden};
  for (uint8_t a : attrs) {
    uint32_t rec;
    ASSERT_EQ(t->AppendStoredRecord(Rec(*t).Str(kArtist, "x").data(), a, &rec), DBERR_NONE);
    EXPECT_EQ(t->Attribute(rec), a);
  }
  EXPECT_EQ(t->NextRecordNumber(), 6u);
  EXPECT_EQ(t->LiveCount(), 2u) << "hidden slots are not live either";
  t->MutableLog().Append(4, 0, kChangeDelete);
  ASSERT_EQ(t->RebuildIndexes(), DBERR_NONE);
  EXPECT_EQ(Order(*t->DefaultIndex()), (std::vector<uint32_t>{1, 3}));
  EXPECT_EQ(Order(*t->ChangeIndex()), (std::vector<uint32_t>{4}));
  t->SetDeltaMode(true);
  EXPECT_FALSE(t->LoggingOn());
  ASSERT_EQ(t->RebuildIndexes(), DBERR_NONE);
  EXPECT_EQ(t->DefaultIndex()->Count(), 5u) << "a delta table indexes every slot";
}

// ---- Blobs ----

TEST(Blobs, WriteReadAndEmptyMemoIsBlank) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  ASSERT_EQ(t->PutBlob(r.data(), kLyric, 0, "la la", 5), DBERR_NONE);
  EXPECT_EQ(r.Null(kLyric), kValuePresent);
  EXPECT_EQ(r.GetInt(kLyric), 1);
  uint32_t len = 0, got = 0;
  ASSERT_EQ(t->GetBlobLength(r.data(), kLyric, &len), DBERR_NONE);
  EXPECT_EQ(len, 5u);
  char buf[8] = {};
  ASSERT_EQ(t->GetBlob(r.data(), kLyric, 3, 8, buf, &got), DBERR_NONE);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(std::string(buf, 2), "la");
  ASSERT_EQ(t->PutBlob(r.data(), kLyric, 0, "", 0), DBERR_NONE);
  EXPECT_EQ(r.Null(kLyric), kBlankByClient);
  EXPECT_EQ(r.GetInt(kLyric), 0);
  ASSERT_EQ(t->GetBlobLength(r.data(), kLyric, &len), DBERR_NONE);
  EXPECT_EQ(len, 0u);
  EXPECT_EQ(t->PutBlob(r.data(), kArtist, 0, "x", 1), DBERR_INVALIDPARAM);
}

TEST(Blobs, LaterPositionExtendsTheEntry) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  t->PutBlob(r.data(), kLyric, 0, "abc", 3);
  ASSERT_EQ(t->PutBlob(r.data(), kLyric, 2, "XYZ", 3), DBERR_NONE);
  EXPECT_EQ(r.GetInt(kLyric), 1);
  char buf[5];
  uint32_t got;
  t->GetBlob(r.data(), kLyric, 0, 5, buf, &got);
  EXPECT_EQ(std::string(buf, got), "abXYZ");
}

TEST(Blobs, BadHandlesAreRefused) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  t->PutBlob(r.data(), kLyric, 0, "abc", 3);
  r.Int(kLyric, -1);
  uint32_t len;
  EXPECT_EQ(t->GetBlobLength(r.data(), kLyric, &len), DBERR_BLOBNOTFETCHED);
  r.Int(kLyric, 2);
  EXPECT_EQ(t->GetBlobLength(r.data(), kLyric, &len), DBERR_INVALIDBLOBHANDLE);
  EXPECT_EQ(t->PutBlob(r.data(), kLyric, 1, "q", 1), DBERR_INVALIDBLOBHANDLE);
}

TEST(Blobs, NewEntryPerWriteUnlessLoggingIsOff) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  t->PutBlob(r.data(), kLyric, 0, "one", 3);
  t->PutBlob(r.data(), kLyric, 0, "two", 3);
  EXPECT_EQ(r.GetInt(kLyric), 2);
  EXPECT_EQ(t->Blobs().Length(1), 3u) << "the previous entry stays for older versions";
  t->SetProp(dspropLOGCHANGES, 0);
  t->PutBlob(r.data(), kLyric, 0, "three", 5);
  EXPECT_EQ(r.GetInt(kLyric), 3);
  EXPECT_EQ(t->Blobs().Length(2), 0u) << "without a log the previous entry is freed";
}

TEST(Blobs, UncommittedEntriesAreReleasedCommittedStay) {
  auto t = MakeLyricsTable();
  Rec r(*t);
  r.Str(kArtist, "A");
  t->PutBlob(r.data(), kLyric, 0, "kept", 4);
  uint32_t rec;
  ASSERT_EQ(t->InsertRecord(r.data(), nullptr, 0, &rec), DBERR_NONE);
  t->PutBlob(r.data(), kLyric, 0, "cancelled", 9);
  EXPECT_EQ(t->Blobs().Count(), 2u);
  ASSERT_EQ(t->ReleaseBlobs(), DBERR_NONE);
  EXPECT_EQ(t->Blobs().Count(), 1u);
  Rec back(*t);
  t->ReadRecord(rec, back.data());
  char buf[4];
  uint32_t got;
  ASSERT_EQ(t->GetBlob(back.data(), kLyric, 0, 4, buf, &got), DBERR_NONE);
  EXPECT_EQ(std::string(buf, got), "kept");
}

}  // namespace
}  // namespace dsengine
