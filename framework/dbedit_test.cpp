// The data-aware edit and memo, typed into as a user would: the field's text shown and
// limited to its size, typing marks modified and puts the dataset into edit state, Esc
// restores, leaving writes back before OnExit, read-only rules, the memo's wrapping and its
// write path (an empty text makes the field blank).
#include <gtest/gtest.h>

#include "framework/dbtestdata_testing.h"

namespace framework::dbtest {
namespace {

using guitest::Pump;

// Types `text` into the focused window, character by character.
void Type(const std::string& text) {
  HWND focus = GetFocus();
  for (char c : text) PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(c), 1);
  Pump();
}

class DBEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds = MakeLyrics(6);
    source.SetDataSet(ds.get());
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(40, 40, 420, 330);
    artist = new TDBEdit(form.get());
    artist->SetBounds(51, 9, 318, 21);
    artist->SetParent(form.get());
    artist->SetDataSource(&source);
    artist->SetDataField("Artist");
    title = new TDBEdit(form.get());
    title->SetBounds(51, 39, 318, 21);
    title->SetParent(form.get());
    title->SetDataSource(&source);
    title->SetDataField("Title");
    memo = new TDBMemo(form.get());
    memo->SetBounds(51, 96, 120, 121);
    memo->SetParent(form.get());
    memo->SetDataSource(&source);
    memo->SetDataField("Lyric");
    form->Show();
    Pump();
  }
  void TearDown() override {
    form.reset();
    source.SetDataSet(nullptr);
  }

  std::unique_ptr<TCountingDataSet> ds;
  db::TDataSource source;
  std::unique_ptr<TForm> form;
  TDBEdit* artist = nullptr;
  TDBEdit* title = nullptr;
  TDBMemo* memo = nullptr;
};

TEST_F(DBEditTest, ShowsTheCurrentRecordAndFollowsMoves) {
  EXPECT_EQ(guitest::WindowClass(artist->Handle()), "TDBEdit");
  EXPECT_EQ(guitest::WindowClass(memo->Handle()), "TDBMemo");
  EXPECT_TRUE(memo->InheritsFrom("TCustomEdit"));
  EXPECT_EQ(artist->Text(), ArtistOf(0));
  EXPECT_EQ(memo->Text(), LyricOf(0));
  ds->Next();
  EXPECT_EQ(title->Text(), TitleOf(1));
  EXPECT_EQ(memo->Text(), LyricOf(1));
  EXPECT_EQ(artist->MaxLength(), 180);
  EXPECT_EQ(memo->MaxLength(), 0);
  // Without a current record the controls are blank.
  ds->SetFilter("Artist like 'x%'");
  ds->SetFiltered(true);
  EXPECT_EQ(artist->Text(), "");
  EXPECT_EQ(memo->Text(), "");
}

TEST_F(DBEditTest, TypingEditsTheRecordAndTheTextIsWrittenWhenTheFocusLeaves) {
  std::string field_at_exit;
  artist->OnExit = [&](TObject*) { field_at_exit = ds->FieldByName("Artist").AsString(); };
  artist->SetFocus();
  artist->SelectAll();
  Type("Zed");
  EXPECT_EQ(ds->State(), db::dsEdit);  // typing put the browsing dataset into edit state
  EXPECT_EQ(artist->Text(), "Zed");
  EXPECT_TRUE(artist->Modified());
  EXPECT_EQ(ds->FieldByName("Artist").AsString(), ArtistOf(0));  // not yet written
  title->SetFocus();
  Pump();
  EXPECT_EQ(ds->FieldByName("Artist").AsString(), "Zed");
  EXPECT_EQ(field_at_exit, "Zed");  // written before the exit handler ran
  ds->Post();
  EXPECT_EQ(ds->FieldByName("Artist").AsString(), "Zed");
}

TEST_F(DBEditTest, EscRestoresTheFieldsValue) {
  title->SetFocus();
  title->SelectAll();
  Type("Something else");
  EXPECT_EQ(title->Text(), "Something else");
  Type("\x1b");
  EXPECT_EQ(title->Text(), TitleOf(0));
  title->SetFocus();
  artist->SetFocus();
  Pump();
  EXPECT_EQ(ds->FieldByName("Title").AsString(), TitleOf(0));  // nothing written
}

TEST_F(DBEditTest, ATextFieldRefusesThe181stCharacter) {
  ds->Edit();
  artist->SetFocus();
  artist->SelectAll();
  Type(std::string(180, 'a'));
  EXPECT_EQ(artist->Text().size(), 180u);
  Type("b");
  EXPECT_EQ(artist->Text(), std::string(180, 'a'));
  title->SetFocus();
  Pump();
  EXPECT_EQ(ds->FieldByName("Artist").AsString(), std::string(180, 'a'));
}

TEST_F(DBEditTest, PostWritesWhatIsStillBeingTyped) {
  ds->Edit();
  title->SetFocus();
  title->SelectAll();
  Type("Pending");
  ds->Post();
  EXPECT_EQ(ds->FieldByName("Title").AsString(), "Pending");
  EXPECT_FALSE(title->Modified());
}

TEST_F(DBEditTest, ReadOnlyControlsAndFieldsRefuseTyping) {
  artist->SetReadOnly(true);
  EXPECT_TRUE(GetWindowLongA(artist->Handle(), GWL_STYLE) & ES_READONLY);
  artist->SetFocus();
  Type("x");
  EXPECT_EQ(artist->Text(), ArtistOf(0));
  EXPECT_EQ(ds->State(), db::dsBrowse);
  ds->FieldByName("Title").ReadOnly = true;
  source.SetDataSet(nullptr);  // the controls look at the field again
  source.SetDataSet(ds.get());
  EXPECT_TRUE(GetWindowLongA(title->Handle(), GWL_STYLE) & ES_READONLY);
  title->SetFocus();
  Type("y");
  PostMessageA(title->Handle(), WM_PASTE, 0, 0);
  Pump();
  EXPECT_EQ(title->Text(), TitleOf(0));
  EXPECT_EQ(ds->State(), db::dsBrowse);
  EXPECT_FALSE(GetWindowLongA(memo->Handle(), GWL_STYLE) & ES_READONLY);
}

TEST_F(DBEditTest, TheMemoWrapsAndWritesThroughTheMemoPath) {
  const LONG style = GetWindowLongA(memo->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_FALSE(style & ES_AUTOHSCROLL);  // word wrap
  EXPECT_FALSE(style & WS_VSCROLL);      // no scroll bar unless asked for
  memo->SetFocus();
  memo->SelectAll();
  Type("one two three four five six seven eight nine ten eleven twelve");
  // The text has no line break; the narrow memo shows it on several lines.
  EXPECT_GT(SendMessageA(memo->Handle(), EM_GETLINECOUNT, 0, 0), 2);
  Type("\r");
  Type("next");
  artist->SetFocus();
  Pump();
  EXPECT_EQ(ds->FieldByName("Lyric").AsString(),
            "one two three four five six seven eight nine ten eleven twelve\r\nnext");
  // An empty text makes the field blank.
  memo->SetFocus();
  memo->SelectAll();
  PostMessageA(memo->Handle(), WM_CHAR, VK_BACK, 1);
  Pump();
  EXPECT_EQ(memo->Text(), "");
  artist->SetFocus();
  Pump();
  EXPECT_TRUE(ds->FieldByName("Lyric").IsNull());
  ds->Post();
  EXPECT_TRUE(ds->FieldByName("Lyric").IsNull());
  memo->SetScrollBars(ssVertical);
  EXPECT_TRUE(GetWindowLongA(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(memo->Text(), "");
}

}  // namespace
}  // namespace framework::dbtest
