// The dataset model seen from its users: data-aware controls through a data source (a fake
// link), navigation and bookmarks, the grid's row window, typed fields.
#include "dataset/db.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "dataset/datasource.h"
#include "dataset/dbclient_testing.h"

namespace db {
namespace {

using namespace db::testing;
using Strings = std::vector<std::string>;

// Records every notification, the way a grid or an edit would receive them.
class FakeLink : public TDataLink {
 public:
  Strings Events;
  std::function<void()> OnUpdateData;  // an edit writing its pending text

 protected:
  void ActiveChanged() override { Events.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { Events.push_back("changed"); }
  void DataSetScrolled(int d) override { Events.push_back("scrolled " + std::to_string(d)); }
  void RecordChanged(TField* f) override {
    Events.push_back("record " + (f ? f->FieldName() : std::string("*")));
  }
  void EditingChanged() override { Events.push_back(Editing() ? "editing" : "not editing"); }
  void UpdateData() override {
    Events.push_back("update");
    if (OnUpdateData) OnUpdateData();
  }
  void FocusControl(TField* f) override { Events.push_back("focus " + f->FieldName()); }
};

class DataSetModelTest : public ::testing::Test {
 protected:
  DataSetModelTest() : cds("cdsMain") {
    DefineLyrics(cds);
    cds.CreateDataSet();
    source.SetDataSet(&cds);
    link.SetDataSource(&source);
    link.Events.clear();
  }
  void AddSorted(int n) {
    for (int i = 0; i < n; ++i) {
      char artist[16];
      snprintf(artist, sizeof artist, "A%05d", i);
      AddLyric(cds, artist, "T");
    }
    cds.First();
  }
  std::string Artist() { return cds.FieldByName("Artist").AsString(); }
  TRecordingClientDataSet cds;
  TDataSource source;
  FakeLink link;
};

TEST_F(DataSetModelTest, EditorRoundTripNotifications) {
  AddLyric(cds, "Abba", "Waterloo");
  link.Events.clear();
  cds.Append();
  EXPECT_EQ(link.Events, (Strings{"editing", "changed"}));
  link.Events.clear();
  cds.FieldByName("Artist").SetAsString("Cream");
  EXPECT_EQ(link.Events, (Strings{"record Artist"}));
  link.Events.clear();
  // The edit writes its pending text when asked, before the post stores the record.
  link.OnUpdateData = [&] { cds.FieldByName("Title").SetAsString("Badge"); };
  cds.Post();
  EXPECT_EQ(link.Events, (Strings{"update", "record Title", "not editing", "changed"}));
  EXPECT_EQ(cds.FieldByName("Title").AsString(), "Badge");
  link.OnUpdateData = nullptr;
  link.Events.clear();
  cds.Edit();
  EXPECT_EQ(link.Events, (Strings{"editing", "record *"}));
  link.Events.clear();
  cds.Cancel();
  EXPECT_EQ(link.Events, (Strings{"not editing", "changed"}));
}

TEST_F(DataSetModelTest, GridNotificationsForMovesAndViewChanges) {
  AddSorted(5);
  link.Events.clear();
  cds.Next();
  cds.MoveBy(2);
  cds.Prior();
  EXPECT_EQ(link.Events, (Strings{"scrolled 1", "scrolled 2", "scrolled -1"}));
  link.Events.clear();
  cds.Last();
  cds.Next();  // nothing to move to: no notification
  EXPECT_EQ(link.Events, (Strings{"changed"}));
  link.Events.clear();
  cds.SetFilter("Artist like 'A0000%'");
  cds.SetFiltered(true);
  EXPECT_FALSE(link.Events.empty());
  EXPECT_EQ(link.Events.back(), "changed");
  link.Events.clear();
  cds.SetIndexFieldNames("Title;Artist");
  EXPECT_EQ(link.Events, (Strings{"changed"}));
  link.Events.clear();
  cds.Delete();
  EXPECT_EQ(link.Events, (Strings{"changed"}));
}

TEST_F(DataSetModelTest, ActiveChangesAndDisabledSources) {
  int stateChanges = 0;
  source.OnStateChange = [&](TDataSource&) { ++stateChanges; };
  TField* changed = nullptr;
  int dataChanges = 0;
  source.OnDataChange = [&](TDataSource&, TField* f) {
    ++dataChanges;
    changed = f;
  };
  source.SetEnabled(false);
  cds.Append();
  cds.FieldByName("Artist").SetAsString("x");
  cds.Post();
  EXPECT_TRUE(link.Events.empty());
  EXPECT_EQ(dataChanges, 0);
  source.SetEnabled(true);
  EXPECT_EQ(link.Events, (Strings{"active"}));
  cds.Edit();
  cds.FieldByName("Album").SetAsString("y");
  EXPECT_EQ(changed, cds.FindField("Album"));
  EXPECT_GE(stateChanges, 2);
  cds.Post();
  link.Events.clear();
  cds.Close();
  EXPECT_EQ(link.Events, (Strings{"inactive"}));
  EXPECT_FALSE(link.Active());
}

TEST_F(DataSetModelTest, LinkEditFollowsAutoEditAndReadOnly) {
  AddLyric(cds, "Abba", "Waterloo");
  link.ReadOnly = true;
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(cds.State(), dsBrowse);
  link.ReadOnly = false;
  source.AutoEdit = false;
  EXPECT_FALSE(link.Edit());
  source.AutoEdit = true;
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(cds.State(), dsEdit);
}

TEST_F(DataSetModelTest, RequiredFieldFocusesItsControl) {
  cds.FieldByName("Artist").Required = true;
  cds.Append();
  link.Events.clear();
  EXPECT_THROW(cds.Post(), EDatabaseError);
  EXPECT_EQ(link.Events.back(), "focus Artist");
}

TEST_F(DataSetModelTest, DestroyingALinkOrSourceDetachesIt) {
  {
    FakeLink temporary;
    temporary.SetDataSource(&source);
  }
  auto other = std::make_unique<TDataSource>();
  other->SetDataSet(&cds);
  FakeLink orphan;
  orphan.SetDataSource(other.get());
  other.reset();
  EXPECT_EQ(orphan.DataSource(), nullptr);
  AddLyric(cds, "Abba", "Waterloo");  // would reach freed objects if they were still linked
  EXPECT_FALSE(link.Events.empty());
}

// ---- Navigation and bookmarks ----

TEST_F(DataSetModelTest, NavigationFlagsAndPositions) {
  AddSorted(5);
  EXPECT_TRUE(cds.Bof());
  EXPECT_FALSE(cds.Eof());
  EXPECT_EQ(cds.RecNo(), 1);
  EXPECT_EQ(cds.MoveBy(10), 4);
  EXPECT_TRUE(cds.Eof());
  EXPECT_EQ(Artist(), "A00004");
  EXPECT_EQ(cds.MoveBy(-2), -2) << "back from past the end starts at the last record";
  EXPECT_EQ(Artist(), "A00002");
  EXPECT_EQ(cds.MoveBy(-10), -2);
  EXPECT_TRUE(cds.Bof());
  cds.Prior();
  EXPECT_EQ(Artist(), "A00000");
  cds.Last();
  EXPECT_TRUE(cds.Eof());
  EXPECT_EQ(cds.RecNo(), 5);
  cds.SetRecNo(3);
  EXPECT_EQ(Artist(), "A00002");
  int scrolls = 0;
  cds.AfterScroll = [&](TDataSet&) { ++scrolls; };
  cds.Next();
  cds.First();
  EXPECT_EQ(scrolls, 2);
}

TEST_F(DataSetModelTest, BookmarksFindTheirRecordAfterChanges) {
  AddSorted(5);
  cds.SetRecNo(4);
  const TBookmark mark = cds.GetBookmark();
  ASSERT_EQ(mark.size(), 20u);
  cds.First();
  const TBookmark first = cds.GetBookmark();
  EXPECT_EQ(cds.CompareBookmarks(first, mark), -1);
  EXPECT_EQ(cds.CompareBookmarks(mark, mark), 0);
  AddLyric(cds, "A", "before everything");
  cds.SetIndexFieldNames("Artist");
  cds.GotoBookmark(mark);
  EXPECT_EQ(Artist(), "A00003");
  EXPECT_EQ(cds.RecNo(), 5);
  cds.Append();
  EXPECT_TRUE(cds.GetBookmark().empty()) << "a new record has no bookmark yet";
  cds.Cancel();
}

// ---- Row window ----

TEST_F(DataSetModelTest, RowWindowReadsOnlyTheRowsItShows) {
  AddSorted(300);
  cds.SetRecNo(150);
  cds.ClearLog();
  const int current = cds.CurrentRow();
  ASSERT_EQ(current, 150);
  ASSERT_EQ(cds.RowCount(), 300);
  TField& artist = cds.FieldByName("Artist");
  Strings shown;
  TRecordBuffer row;
  for (int r = current - 4; r <= current + 5; ++r) {
    ASSERT_TRUE(cds.GetRow(r, row));
    shown.push_back(artist.AsStringIn(row));
  }
  EXPECT_EQ(shown.front(), "A00145");
  EXPECT_EQ(shown[4], "A00149");
  EXPECT_EQ(shown.back(), "A00154");
  EXPECT_EQ(cds.Count("GetRecordAt"), 9) << "the current row comes from the active buffer";
  EXPECT_EQ(cds.Count("GetCurrentRecord") + cds.Count("MoveRelative+"), 0);
  EXPECT_EQ(Artist(), "A00149") << "reading rows does not move the current record";
  EXPECT_FALSE(cds.GetRow(0, row));
  EXPECT_FALSE(cds.GetRow(301, row));
  cds.MoveToRow(299);
  EXPECT_EQ(Artist(), "A00298");
}

TEST_F(DataSetModelTest, RowWindowShowsTheNewRecordWhileInserting) {
  AddSorted(3);
  cds.Append();
  cds.FieldByName("Artist").SetAsString("new");
  EXPECT_EQ(cds.RowCount(), 4);
  EXPECT_EQ(cds.CurrentRow(), 4);
  TRecordBuffer row;
  ASSERT_TRUE(cds.GetRow(4, row));
  EXPECT_EQ(cds.FieldByName("Artist").AsStringIn(row), "new");
  ASSERT_TRUE(cds.GetRow(3, row));
  EXPECT_EQ(cds.FieldByName("Artist").AsStringIn(row), "A00002");
  EXPECT_TRUE(cds.FieldByName("Lyric").IsNullIn(row));
  cds.Cancel();
  EXPECT_EQ(cds.RowCount(), 3);
}

// ---- Typed fields ----

class TypedFieldsTest : public ::testing::Test {
 protected:
  TypedFieldsTest() : cds("cdsTypes") {
    auto& d = cds.FieldDefs();
    d.Add("S", ftString, 10);
    d.Add("I", ftInteger);
    d.Add("Small", ftSmallint);
    d.Add("W", ftWord);
    d.Add("B", ftBoolean);
    d.Add("F", ftFloat);
    d.Add("C", ftCurrency);
    d.Add("D", ftDate);
    d.Add("T", ftTime);
    d.Add("DT", ftDateTime);
    d.Add("L", ftLargeint);
    d.Add("Bin", ftBlob);
    d.Add("A", ftAutoInc);
    cds.CreateDataSet();
    cds.Append();
  }
  TField& F(const char* name) { return cds.FieldByName(name); }
  TCustomClientDataSet cds;
};

TEST_F(TypedFieldsTest, ValuesSurviveAPost) {
  F("S").SetAsString("text");
  F("I").SetAsString(" -42");
  F("Small").SetAsInteger(-300);
  F("W").SetAsInteger(65535);
  F("B").SetAsString("true");
  F("F").SetAsFloat(2.5);
  F("C").SetAsString("12.25");
  F("D").SetAsString("2024-02-29");
  F("T").SetAsString("13:45:10");
  F("DT").SetAsString("1999-12-31 23:59:58");
  F("L").SetValue(TVariant(int64_t(1) << 40));
  F("Bin").SetAsString(std::string("a\0b", 3));
  cds.Post();
  EXPECT_EQ(F("S").AsString(), "text");
  EXPECT_EQ(F("I").AsInteger(), -42);
  EXPECT_EQ(F("Small").AsInteger(), -300);
  EXPECT_EQ(F("W").AsInteger(), 65535);
  EXPECT_TRUE(F("B").AsBoolean());
  EXPECT_EQ(F("B").AsString(), "True");
  EXPECT_DOUBLE_EQ(F("F").AsFloat(), 2.5);
  EXPECT_EQ(F("C").AsString(), "12.25");
  EXPECT_EQ(F("D").AsString(), "2/29/2024");
  EXPECT_DOUBLE_EQ(F("D").AsDateTime(), 45351.0);  // the framework's serial date of that day
  EXPECT_EQ(F("T").AsString(), "13:45:10");
  EXPECT_EQ(F("DT").AsString(), "12/31/1999 23:59:58");
  EXPECT_EQ(F("L").AsLargeInt(), int64_t(1) << 40);
  EXPECT_EQ(std::get<int64_t>(F("L").Value()), int64_t(1) << 40);
  EXPECT_EQ(F("Bin").AsString(), std::string("a\0b", 3));
  EXPECT_EQ(F("A").AsInteger(), 1);
}

TEST_F(TypedFieldsTest, ConversionAndRangeErrors) {
  EXPECT_EQ(MessageOf<EConvertError>([&] { F("I").SetAsString("abc"); }),
            "'abc' is not a valid integer value");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { F("Small").SetAsInteger(40000); }),
            "40000 is not a valid value for field 'Small'. The allowed range is -32768 to 32767");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { F("W").SetAsInteger(-1); }),
            "-1 is not a valid value for field 'W'. The allowed range is 0 to 65535");
  EXPECT_THROW(F("F").SetAsString("1.2.3"), EConvertError);
  EXPECT_THROW(F("D").SetAsString("2023-02-29"), EConvertError);
  EXPECT_TRUE(F("I").IsNull()) << "a refused value writes nothing";
}

TEST_F(TypedFieldsTest, ClearAndVariantNull) {
  F("I").SetAsInteger(5);
  EXPECT_FALSE(F("I").IsNull());
  F("I").Clear();
  EXPECT_TRUE(F("I").IsNull());
  EXPECT_TRUE(VarIsNull(F("I").Value()));
  F("S").SetValue(TVariant(std::string("v")));
  F("S").SetValue(TVariant());
  EXPECT_TRUE(F("S").IsNull());
  F("I").SetAsString("");
  EXPECT_TRUE(F("I").IsNull()) << "an empty text clears a numeric field";
  EXPECT_EQ(F("I").AsInteger(), 0);
}

TEST_F(TypedFieldsTest, FieldChangeAndValidateEvents) {
  int changes = 0;
  F("I").OnChange = [&](TField&) { ++changes; };
  F("I").OnValidate = [](TField&) { throw EDatabaseError("refused"); };
  EXPECT_THROW(F("I").SetAsInteger(1), EDatabaseError);
  EXPECT_EQ(changes, 0);
  F("I").OnValidate = nullptr;
  F("I").SetAsInteger(1);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(cds.Modified());
}

}  // namespace
}  // namespace db

namespace db {
namespace {

// Random editing and navigation against a sorted reference list of artists.
TEST(DataSetModelProperty, RandomOperationsFollowTheReference) {
  TRecordingClientDataSet cds("cdsMain");
  DefineLyrics(cds);
  cds.CreateDataSet();
  cds.SetIndexFieldNames("Artist");
  std::vector<std::string> ref;  // artists in view order
  size_t idx = 0;                // expected current position
  uint32_t seed = 12345;
  auto rnd = [&](uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  int nextName = 0;
  auto newArtist = [&] {
    char buf[16];
    snprintf(buf, sizeof buf, "A%05u", (unsigned)(rnd(50000) * 2 + (nextName++ % 2)));
    return std::string(buf);
  };
  auto place = [&](const std::string& a) {
    return size_t(std::lower_bound(ref.begin(), ref.end(), a) - ref.begin());
  };
  for (int step = 0; step < 600; ++step) {
    const uint32_t op = rnd(9);
    if (op <= 1 || ref.empty()) {  // insert through the editor
      std::string a = newArtist();
      while (std::binary_search(ref.begin(), ref.end(), a)) a = newArtist();
      cds.Append();
      cds.FieldByName("Artist").SetAsString(a);
      if (op == 1 && !ref.empty()) {
        cds.Cancel();
      } else {
        cds.Post();
        idx = place(a);
        ref.insert(ref.begin() + long(idx), a);
      }
    } else if (op == 2) {  // edit the current artist
      std::string a = newArtist();
      while (std::binary_search(ref.begin(), ref.end(), a)) a = newArtist();
      cds.Edit();
      cds.FieldByName("Artist").SetAsString(a);
      cds.Post();
      ref.erase(ref.begin() + long(idx));
      idx = place(a);
      ref.insert(ref.begin() + long(idx), a);
    } else if (op == 3) {
      cds.Delete();
      ref.erase(ref.begin() + long(idx));
      if (idx >= ref.size() && idx > 0) idx = ref.size() - 1;
      if (ref.empty()) idx = 0;
    } else if (op == 4) {
      cds.Next();
      if (idx + 1 < ref.size()) ++idx;
    } else if (op == 5) {
      cds.Prior();
      if (idx > 0) --idx;
    } else if (op == 6) {
      const int n = int(rnd(7)) - 3;
      cds.MoveBy(n);
      idx = size_t(std::clamp<long>(long(idx) + n, 0, long(ref.size()) - 1));
    } else if (op == 7) {
      idx = rnd(uint32_t(ref.size()));
      cds.SetRecNo(int(idx) + 1);
    } else {
      rnd(2) ? cds.First() : cds.Last();
      idx = cds.Bof() ? 0 : ref.size() - 1;
    }
    ASSERT_EQ(cds.RecordCount(), int(ref.size())) << "step " << step;
    if (ref.empty()) {
      ASSERT_TRUE(cds.IsEmpty()) << "step " << step;
      continue;
    }
    ASSERT_EQ(cds.FieldByName("Artist").AsString(), ref[idx]) << "step " << step << " op " << op;
    ASSERT_EQ(cds.RecNo(), int(idx) + 1) << "step " << step;
  }
  TRecordBuffer row;
  for (size_t i = 0; i < ref.size(); ++i) {
    ASSERT_TRUE(cds.GetRow(int(i) + 1, row));
    ASSERT_EQ(cds.FieldByName("Artist").AsStringIn(row), ref[i]);
  }
}

}  // namespace
}  // namespace db
