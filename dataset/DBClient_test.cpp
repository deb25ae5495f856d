#include "dataset/DBClient.h"

#include <gtest/gtest.h>

#include "dataset/dbclient_testing.h"
#include "tableengine/engine_testing.h"

namespace db {
namespace {

using namespace db::testing;
using dsengine::testing::LyricsFields;
using dsengine::testing::MakeLyricsTable;
using Strings = std::vector<std::string>;

class ClientDataSetTest : public ::testing::Test {
 protected:
  ClientDataSetTest() : cds("cdsMain") {
    cds.SetFilterOptions(foCaseInsensitive);
    DefineLyrics(cds);
    cds.CreateDataSet();
  }
  void AddFive() {
    AddLyric(cds, "Beatles", "Yesterday");
    AddLyric(cds, "Abba", "Waterloo");
    AddLyric(cds, "Cream", "Badge");
    AddLyric(cds, "abc", "Poison Arrow");
    AddLyric(cds, "Abba", "Fernando");
  }
  std::string Artist() { return cds.FieldByName("Artist").AsString(); }
  std::string Title() { return cds.FieldByName("Title").AsString(); }
  TRecordingClientDataSet cds;
};

// ---- The edge cases of the facade ----

TEST_F(ClientDataSetTest, NewLyricsTableIsOpenEmptyAndBrowsing) {
  EXPECT_TRUE(cds.Called({"Attach", "MoveToBOF", "MoveRelative+", "GetCurrentRecord"}));
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.RecordCount(), 0);
  EXPECT_NO_THROW(cds.First());
  EXPECT_TRUE(cds.IsEmpty());
  EXPECT_TRUE(cds.Bof());
  EXPECT_TRUE(cds.Eof());
  EXPECT_EQ(cds.RecNo(), -1);
  ASSERT_EQ(cds.Fields().Count(), 6);
  EXPECT_EQ(cds.FieldByName("Id").DataType(), ftAutoInc);
  EXPECT_EQ(cds.FieldByName("lyric").DataType(), ftMemo);
  EXPECT_EQ(cds.FieldByName("SongFileName").Size(), 500);
  EXPECT_TRUE(cds.FieldByName("Artist").IsNull());
  EXPECT_EQ(cds.FieldByName("Artist").AsString(), "");
  EXPECT_EQ(cds.DSBase()->Name(), "cdsMain");
  EXPECT_EQ(cds.DSBase()->RecordSize(), 1058u);
}

TEST_F(ClientDataSetTest, AppendPostGivesIdOneAndFiresAfterPostOnce) {
  int afterPost = 0;
  cds.AfterPost = [&](TDataSet&) { ++afterPost; };
  cds.ClearLog();
  cds.Append();
  EXPECT_EQ(cds.State(), dsInsert);
  EXPECT_TRUE(cds.Called({"InitRecord", "SetNoCurrentRecord"}));
  EXPECT_EQ(cds.Count("InsertRecord"), 0) << "nothing reaches the table before the post";
  EXPECT_TRUE(cds.FieldByName("Id").IsNull());
  cds.FieldByName("Artist").SetAsString("Beatles");
  cds.FieldByName("Title").SetAsString("Yesterday");
  cds.Post();
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(afterPost, 1);
  EXPECT_EQ(cds.FieldByName("Id").AsInteger(), 1);
  EXPECT_EQ(Artist(), "Beatles");
  EXPECT_EQ(cds.RecordCount(), 1);
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(cds.UpdateStatus(), usInserted);
  EXPECT_EQ(cds.Count("InsertRecord"), 1);
}

TEST_F(ClientDataSetTest, AppendedRecordOutsideTheFilterStaysOutOfTheView) {
  AddLyric(cds, "xavier", "One");
  AddLyric(cds, "Xylo", "Two");
  AddLyric(cds, "Abba", "Three");
  cds.SetFilter("Artist like 'x%'");
  cds.SetFiltered(true);
  ASSERT_EQ(cds.RecordCount(), 2);
  cds.Append();
  cds.FieldByName("Artist").SetAsString("Beatles");
  cds.FieldByName("Title").SetAsString("Help");
  cds.Post();
  EXPECT_EQ(cds.RecordCount(), 2);
  EXPECT_NE(Artist(), "Beatles");
  EXPECT_EQ(cds.DSBase()->LiveCount(), 4u);
  cds.SetFiltered(false);
  EXPECT_EQ(cds.RecordCount(), 4);
}

TEST_F(ClientDataSetTest, EditAndPostWithoutChangeCreatesNoVersion) {
  AddLyric(cds, "Abba", "Waterloo");
  const uint32_t next = cds.DSBase()->NextRecordNumber();
  const size_t logSize = cds.DSBase()->Log().Size();
  cds.Edit();
  EXPECT_EQ(cds.State(), dsEdit);
  cds.Post();
  EXPECT_EQ(cds.DSBase()->NextRecordNumber(), next);
  EXPECT_EQ(cds.DSBase()->Log().Size(), logSize);
  cds.Edit();
  cds.FieldByName("Album").SetAsString("Waterloo");
  cds.Post();
  EXPECT_EQ(cds.DSBase()->NextRecordNumber(), next + 1);
  EXPECT_EQ(cds.FieldByName("Album").AsString(), "Waterloo");
  EXPECT_EQ(cds.UpdateStatus(), usModified);
}

TEST_F(ClientDataSetTest, DeleteInInsertStateCancelsTheInsert) {
  AddLyric(cds, "Abba", "Waterloo");
  AddLyric(cds, "Cream", "Badge");
  cds.First();
  int afterDelete = 0;
  cds.AfterDelete = [&](TDataSet&) { ++afterDelete; };
  cds.Append();
  cds.FieldByName("Artist").SetAsString("Zappa");
  cds.Delete();
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(afterDelete, 0);
  EXPECT_EQ(cds.RecordCount(), 2);
  EXPECT_EQ(Artist(), "Abba") << "the record current before the insert is current again";
}

TEST_F(ClientDataSetTest, DeleteMovesToTheFollowingRecordOrTheNewLast) {
  AddFive();
  cds.SetIndexFieldNames("Artist;Title");
  ASSERT_EQ(Artists(cds), (Strings{"Abba", "Abba", "abc", "Beatles", "Cream"}));
  int afterDelete = 0;
  cds.AfterDelete = [&](TDataSet&) { ++afterDelete; };
  cds.SetRecNo(3);
  cds.Delete();
  EXPECT_EQ(afterDelete, 1);
  EXPECT_EQ(Artist(), "Beatles");
  cds.Last();
  cds.Delete();
  EXPECT_EQ(Artist(), "Beatles");
  EXPECT_EQ(cds.RecordCount(), 3);
}

TEST_F(ClientDataSetTest, DeleteOfTheOnlyRecordLeavesAnEmptyView) {
  AddLyric(cds, "Abba", "Waterloo");
  cds.Delete();
  EXPECT_EQ(cds.RecordCount(), 0);
  EXPECT_TRUE(cds.IsEmpty());
  EXPECT_TRUE(cds.FieldByName("Artist").IsNull());
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Delete(); }),
            "cdsMain: Cannot perform this operation on an empty dataset");
}

TEST_F(ClientDataSetTest, FilterWhileUnfilteredOnlyStoresTheText) {
  AddFive();
  cds.ClearLog();
  cds.SetFilter("Artist like 'ab%'");
  EXPECT_EQ(cds.Count("AddFilter"), 0) << "an unfiltered dataset only keeps the text";
  EXPECT_EQ(cds.RecordCount(), 5);
  cds.SetFiltered(true);
  ASSERT_GE(cds.Log.size(), 2u);
  EXPECT_EQ(cds.Log[0], "MoveToBOF");
  EXPECT_EQ(cds.Log[1], "AddFilter");
  EXPECT_EQ(cds.RecordCount(), 3);  // case-insensitive: Abba, Abba, abc
  EXPECT_TRUE(cds.Bof());
}

TEST_F(ClientDataSetTest, SettingFilterWhileFilteredDropsAddsAndMovesFirst) {
  AddFive();
  cds.SetIndexFieldNames("Artist;Title");
  cds.SetFilter("Artist like 'ab%'");
  cds.SetFiltered(true);
  cds.Last();
  cds.ClearLog();
  cds.SetFilter("Artist like 'c%'");
  ASSERT_GE(cds.Log.size(), 4u);
  EXPECT_EQ(cds.Log[0], "DropFilter");
  EXPECT_EQ(cds.Log[1], "AddFilter");
  EXPECT_EQ(cds.Log[2], "MoveToBOF");
  EXPECT_EQ(Artist(), "Cream");
  EXPECT_EQ(cds.RecordCount(), 1);
  // The same text again: no filter change, but the move to the first record.
  cds.ClearLog();
  cds.SetFilter("Artist like 'c%'");
  EXPECT_EQ(cds.Count("AddFilter") + cds.Count("DropFilter"), 0);
  EXPECT_EQ(cds.Count("MoveToBOF"), 1);
  // Options alone are a change too.
  cds.ClearLog();
  cds.SetFilterOptions(0);
  EXPECT_EQ(cds.Count("AddFilter"), 1);
  EXPECT_EQ(cds.RecordCount(), 0) << "case-sensitive now: Cream does not start with c";
  cds.SetFilter("Artist like 'ab%'");
  EXPECT_EQ(cds.RecordCount(), 1) << "case-sensitive now: only abc";
  // Empty text: dropped, view unfiltered.
  cds.SetFilter("");
  EXPECT_EQ(cds.RecordCount(), 5);
  cds.SetFiltered(false);
  EXPECT_FALSE(cds.Filtered());
}

TEST_F(ClientDataSetTest, FailingFilterTextLeavesTheViewUnfiltered) {
  AddFive();
  cds.SetFilter("Artist like 'ab%'");
  cds.SetFiltered(true);
  ASSERT_EQ(cds.RecordCount(), 3);
  cds.ClearLog();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.SetFilter("Artist like 'rock 'n' roll%'"); }),
            "Filter expression incorrectly terminated");
  EXPECT_EQ(cds.Log.at(0), "DropFilter");
  EXPECT_EQ(cds.Count("MoveToBOF"), 0) << "the failed call skips the move to the first record";
  EXPECT_EQ(cds.RecordCount(), 5);
  EXPECT_TRUE(cds.Filtered());
  EXPECT_EQ(cds.Filter(), "Artist like 'ab%'");
  // Back to the stored text: unchanged, so nothing filters.
  cds.SetFilter("Artist like 'ab%'");
  EXPECT_EQ(cds.RecordCount(), 5);
  cds.SetFiltered(true);
  EXPECT_EQ(cds.RecordCount(), 5);
  // A different valid text filters again.
  cds.SetFilter("Artist like 'abb%'");
  EXPECT_EQ(cds.RecordCount(), 2);
}

TEST_F(ClientDataSetTest, FailingFilterWhenSwitchingOnKeepsFilteredOff) {
  AddFive();
  cds.SetFilter("Artist like");
  EXPECT_THROW(cds.SetFiltered(true), EDatabaseError);
  EXPECT_FALSE(cds.Filtered());
  EXPECT_EQ(cds.RecordCount(), 5);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] {
              cds.SetFilter("Nope like 'a%'");
              cds.SetFiltered(true);
            }),
            "cdsMain: Field 'Nope' not found");
}

TEST_F(ClientDataSetTest, NoFieldChosenGivesTheParsersMessage) {
  AddFive();
  cds.SetFilter(" like 'beat%'");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.SetFiltered(true); }),
            "Expression expected but 'like' found");
}

TEST_F(ClientDataSetTest, IndexFieldNamesSetTwiceSortsOnce) {
  AddFive();
  cds.ClearLog();
  cds.SetIndexFieldNames("Artist;Title");
  cds.SetIndexFieldNames("Artist;Title");
  EXPECT_EQ(cds.Count("SortOnFields"), 1);
  EXPECT_EQ(cds.Count("GetIndexDescriptor"), 1);
  EXPECT_EQ(Artists(cds), (Strings{"Abba", "Abba", "abc", "Beatles", "Cream"}));
  cds.First();
  EXPECT_EQ(Title(), "Fernando");
}

TEST_F(ClientDataSetTest, SortingKeepsTheCurrentRecord) {
  AddFive();
  cds.First();
  cds.MoveBy(2);  // Cream in insertion order
  ASSERT_EQ(Artist(), "Cream");
  cds.SetIndexFieldNames("Artist;Title");
  EXPECT_EQ(Artist(), "Cream");
  EXPECT_EQ(cds.RecNo(), 5);
  cds.SetIndexFieldNames("");
  EXPECT_EQ(Artist(), "Cream");
  EXPECT_EQ(cds.RecNo(), 3);
}

TEST_F(ClientDataSetTest, IndexFieldNamesLeavesEditAndRefusesUnknownFields) {
  AddFive();
  cds.Edit();
  cds.FieldByName("Album").SetAsString("Changed");
  cds.SetIndexFieldNames("Title");
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.FieldByName("Album").AsString(), "Changed") << "the modified record was posted";
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.SetIndexFieldNames("Artist;Nope"); }),
            "cdsMain: Field 'Nope' not found");
  EXPECT_EQ(cds.IndexFieldNames(), "Title");
}

TEST_F(ClientDataSetTest, IndexFieldNamesWhileInactiveIsAppliedAtOpen) {
  TRecordingClientDataSet other("cdsOther");
  DefineLyrics(other);
  other.SetIndexFieldNames("Artist");
  other.SetFilter("Artist like '%'");
  other.SetFiltered(true);
  other.CreateDataSet();
  EXPECT_TRUE(other.Called(
      {"Attach", "SortOnFields", "AddFilter", "MoveToBOF", "MoveRelative+", "GetCurrentRecord"}));
  AddLyric(other, "b", "1");
  AddLyric(other, "a", "2");
  EXPECT_EQ(Artists(other), (Strings{"a", "b"}));
}

// What the main window's search box does on each change of its text (with Artist chosen).
void Search(TDataSet& ds, std::string text) {
  if (text.empty()) {
    ds.SetFilter("");
    ds.SetFiltered(false);
    return;
  }
  for (char& c : text)
    if (c == '?') c = '%';
  if (text.back() != '%') text += '%';
  ds.SetFilter("Artist like '" + text + "'");
  ds.SetFiltered(true);
}

TEST_F(ClientDataSetTest, SearchBoxTypingThroughAnInvalidText) {
  AddLyric(cds, "rock 'n' roll band", "1");
  AddLyric(cds, "Rockets", "2");
  AddLyric(cds, "Abba", "3");
  cds.SetIndexFieldNames("Artist;Title");
  Search(cds, "rock");
  EXPECT_EQ(cds.RecordCount(), 2);
  EXPECT_EQ(Artist(), "rock 'n' roll band");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { Search(cds, "rock 'n' roll"); }),
            "Filter expression incorrectly terminated");
  EXPECT_EQ(cds.RecordCount(), 3);
  Search(cds, "rock");  // the same filter text as the one still stored
  EXPECT_EQ(cds.RecordCount(), 3);
  Search(cds, "rocke");
  EXPECT_EQ(cds.RecordCount(), 1);
  EXPECT_EQ(Artist(), "Rockets");
  Search(cds, "?");
  EXPECT_EQ(cds.RecordCount(), 3);
  Search(cds, "");
  EXPECT_FALSE(cds.Filtered());
  EXPECT_EQ(Artist(), "Abba") << "the first record of the order";
}

// ---- Field writes, memos, cancel ----

TEST_F(ClientDataSetTest, FieldWriteRefusals) {
  AddLyric(cds, "Abba", "Waterloo");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.FieldByName("Artist").SetAsString("x"); }),
            "cdsMain: Dataset not in edit or insert mode");
  cds.FieldByName("Id").ReadOnly = true;
  cds.Edit();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.FieldByName("Id").SetAsInteger(9); }),
            "Field 'Id' cannot be modified");
  cds.FieldByName("Title").Required = true;
  cds.FieldByName("Title").Clear();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Post(); }), "Field 'Title' must have a value");
  EXPECT_EQ(cds.State(), dsEdit) << "a failing post leaves the state";
  cds.Cancel();
  EXPECT_EQ(Title(), "Waterloo");
}

TEST_F(ClientDataSetTest, StringsAreCutToTheFieldSizeAndTrimmed) {
  cds.Append();
  cds.FieldByName("Artist").SetAsString(std::string(200, 'a'));
  cds.FieldByName("Title").SetAsString("Title   ");
  cds.Post();
  EXPECT_EQ(Artist(), std::string(180, 'a'));
  EXPECT_EQ(Title(), "Title");
}

TEST_F(ClientDataSetTest, MemoGoesThroughTheBlobCalls) {
  cds.Append();
  cds.FieldByName("Artist").SetAsString("Abba");
  cds.ClearLog();
  cds.FieldByName("Lyric").SetAsString("line one\r\nline two");
  EXPECT_EQ(cds.Count("PutBlob"), 1) << "the memo goes to the engine's blob store at once";
  cds.Post();
  cds.ClearLog();
  EXPECT_EQ(cds.FieldByName("Lyric").AsString(), "line one\r\nline two");
  EXPECT_TRUE(cds.Called({"GetBlobLength", "GetBlob"}));
  cds.Edit();
  cds.FieldByName("Lyric").SetAsString("");
  EXPECT_TRUE(cds.FieldByName("Lyric").IsNull()) << "an empty text makes the memo blank";
  cds.Post();
  EXPECT_TRUE(cds.FieldByName("Lyric").IsNull());
}

TEST_F(ClientDataSetTest, CancelReleasesUncommittedBlobsAndRestoresTheRecord) {
  AddLyric(cds, "Abba", "Waterloo", "first");
  const uint32_t blobs = cds.DSBase()->Blobs().Count();
  cds.Edit();
  cds.FieldByName("Lyric").SetAsString("second");
  cds.FieldByName("Artist").SetAsString("ABBA");
  EXPECT_EQ(cds.DSBase()->Blobs().Count(), blobs + 1);
  int afterCancel = 0;
  cds.AfterCancel = [&](TDataSet&) { ++afterCancel; };
  cds.Cancel();
  EXPECT_EQ(afterCancel, 1);
  EXPECT_EQ(cds.DSBase()->Blobs().Count(), blobs);
  EXPECT_EQ(cds.FieldByName("Lyric").AsString(), "first");
  EXPECT_EQ(Artist(), "Abba");
  EXPECT_EQ(cds.State(), dsBrowse);
}

TEST_F(ClientDataSetTest, EditOnAnEmptyViewInserts) {
  cds.Edit();
  EXPECT_EQ(cds.State(), dsInsert);
  cds.FieldByName("Artist").SetAsString("Abba");
  cds.Post();
  EXPECT_EQ(cds.RecordCount(), 1);
}

TEST_F(ClientDataSetTest, NavigationLeavesEditPostingOnlyModifiedRecords) {
  AddFive();
  cds.First();
  const uint32_t next = cds.DSBase()->NextRecordNumber();
  cds.Edit();
  cds.Next();  // unmodified: cancelled
  EXPECT_EQ(cds.State(), dsBrowse);
  EXPECT_EQ(cds.DSBase()->NextRecordNumber(), next);
  cds.Append();
  cds.First();  // unmodified insert: cancelled
  EXPECT_EQ(cds.RecordCount(), 5);
  cds.Append();
  cds.FieldByName("Artist").SetAsString("Doors");
  cds.First();  // modified insert: posted
  EXPECT_EQ(cds.RecordCount(), 6);
}

// ---- Statuses and messages ----

TEST_F(ClientDataSetTest, EngineStatusesBecomeEDBClientWithTheirText) {
  AddLyric(cds, "Abba", "Waterloo");
  cds.Edit();
  cds.FieldByName("Album").SetAsString("x");
  cds.DSBase()->SetProp(dsengine::dspropREADONLY, 1);
  try {
    cds.Post();
    FAIL() << "no exception";
  } catch (const EDBClient& e) {
    EXPECT_EQ(e.Message, "Data is read only.");
    EXPECT_EQ(e.ErrorCode, DBERR_READONLY);
  }
  EXPECT_EQ(cds.State(), dsEdit);
  EXPECT_EQ(cds.FieldByName("Album").AsString(), "x") << "the buffer is kept";
  EXPECT_EQ(MessageOf<EDBClient>([&] { cds.Check(DBERR_KEYVIOL); }), "Key violation.");
}

TEST_F(ClientDataSetTest, ClosedDatasetMessagesCarryThePrefix) {
  cds.Close();
  EXPECT_EQ(cds.State(), dsInactive);
  EXPECT_EQ(cds.DSBase(), nullptr);
  const std::string closed = "cdsMain: Cannot perform this operation on a closed dataset";
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Append(); }), closed);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Edit(); }), closed);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Delete(); }), closed);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.RecordCount(); }), closed);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.First(); }), closed);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Open(); }),
            "cdsMain: Missing data provider or data packet");
  // Filter properties are only stored while closed.
  cds.SetFilter("Artist like 'a%'");
  cds.SetFiltered(true);
  EXPECT_TRUE(cds.Filtered());
}

TEST_F(ClientDataSetTest, CreateRefusals) {
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.CreateDataSet(); }),
            "cdsMain: Cannot perform this operation on an open dataset");
  TCustomClientDataSet other("cdsOther");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { other.CreateDataSet(); }),
            "No fields defined.  Cannot create dataset");
  other.FieldDefs().Add(std::string(32, 'N'), ftInteger);
  EXPECT_EQ(MessageOf<EDSWriter>([&] { other.CreateDataSet(); }),
            "Fieldname " + std::string(32, 'N') + " exceeds 31 chars");
  other.FieldDefs().Clear();
  other.FieldDefs().Add(std::string(31, 'N'), ftInteger);
  EXPECT_NO_THROW(other.CreateDataSet());
}

TEST_F(ClientDataSetTest, MessagesOfAnUnnamedDatasetHaveNoPrefix) {
  TCustomClientDataSet anon;
  DefineLyrics(anon);
  anon.CreateDataSet();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { anon.FieldByName("Artist").SetAsString("x"); }),
            "Dataset not in edit or insert mode");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { anon.FieldByName("Nope"); }), "Field 'Nope' not found");
}

TEST(ClientDataSetOpenTable, DisabledOperationsAndReadOnlyTables) {
  auto make = [](auto configure) {
    auto t = MakeLyricsTable();
    dsengine::testing::Rec r(*t);
    r.Str(dsengine::testing::kArtist, "Abba");
    dsengine::DSCursor c;
    c.Attach(t.get());
    c.InsertRecord(r.data());
    configure(*t);
    return t;
  };
  TCustomClientDataSet cds("cdsMain");
  cds.OpenTable(make([](dsengine::DSBASE& t) { t.SetDisableInserts(true); }));
  EXPECT_EQ(cds.RecordCount(), 1);
  EXPECT_EQ(cds.FieldByName("Artist").AsString(), "Abba");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Append(); }), "cdsMain: Inserts are not allowed");
  cds.Close();
  cds.OpenTable(make([](dsengine::DSBASE& t) { t.SetDisableEdits(true); }));
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Edit(); }),
            "cdsMain: Modifications are not allowed");
  cds.Close();
  cds.OpenTable(make([](dsengine::DSBASE& t) { t.SetDisableDeletes(true); }));
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Delete(); }), "cdsMain: Deletes are not allowed");
  cds.Close();
  cds.OpenTable(make([](dsengine::DSBASE& t) { t.SetProp(dsengine::dspropREADONLY, 1); }));
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Append(); }),
            "cdsMain: Cannot modify a read-only dataset");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.Edit(); }),
            "cdsMain: Cannot modify a read-only dataset");
  EXPECT_EQ(cds.State(), dsBrowse);
}

TEST(ClientDataSetOpenTable, LoadedReadOnlyFieldsAndFilterAtOpen) {
  auto fields = LyricsFields();
  fields[0].attributes = dsengine::fldAttrREADONLY;
  auto t = dsengine::testing::MakeTable(fields);
  {
    dsengine::DSCursor c;  // gone before the dataset takes the table
    c.Attach(t.get());
    for (const char* a : {"Abba", "Beatles", "abc"}) {
      dsengine::testing::Rec r(*t);
      r.Str(dsengine::testing::kArtist, a);
      c.InsertRecord(r.data());
    }
  }
  TCustomClientDataSet cds("cdsMain");
  cds.SetFilterOptions(foCaseInsensitive);
  cds.SetFilter("Artist like 'ab%'");
  cds.SetFiltered(true);
  cds.OpenTable(std::move(t));
  EXPECT_EQ(cds.RecordCount(), 2);
  EXPECT_TRUE(cds.FieldByName("Id").ReadOnly);
  cds.Edit();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { cds.FieldByName("Id").SetAsInteger(5); }),
            "Field 'Id' cannot be modified");
}

}  // namespace
}  // namespace db
