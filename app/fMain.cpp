// TfrmMain: definition of the main window and its handlers.
#include "app/fMain.h"

#include <windows.h>

#include <shellapi.h>

#include "app/dMain.h"
#include "app/fAlterData.h"
#include "app/uFunctions.h"
#include "framework/application.h"
#include "framework/formdef.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/sysutils.h"

using namespace framework;

TfrmMain* frmMain = nullptr;

TShellExecute ShellExecuteCall = [](HWND owner, const char* verb, const char* file,
                                    const char* parameters, const char* directory, int show) {
  ShellExecuteA(owner, verb, file, parameters, directory, show);
};

namespace {

constexpr TColor kFormColor = 12094311;                  // red 103, green 139, blue 184
constexpr TColor kMoneyGreen = RGBColor(192, 220, 192);  // clMoneyGreen

// Flat bevel (inner lowered, outer raised) and no border of its own.
void FlatNoBorder(TCustomEdit& c) {
  c.SetBevelKind(bkFlat);
  c.SetBevelInner(bvLowered);
  c.SetBevelOuter(bvRaised);
  c.SetBorderStyle(bsNone);
}

void LoadGlyph(TBitBtn& button, const char* resource) {
  button.Glyph().LoadFromResourceName(GetModuleHandleA(nullptr), resource);
}

// Text without leading and trailing blanks and control characters.
std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

std::string SearchFilterText(int field_index, std::string text) {
  static const char* const kFields[] = {"Artist", "Title", "Album"};
  std::string field = field_index >= 0 && field_index <= 2 ? kFields[field_index] : "";
  for (char& c : text)
    if (c == '?') c = '%';
  if (text.back() != '%') text += '%';
  return field + " like '" + text + "'";
}

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner) {
  Name = "frmMain";
  auto button = [](const char* name, TBitBtn*& field, int left, int top, int width,
                   const char* caption, const char* glyph, int spacing, int tab_order,
                   TNotifyEvent click) {
    return Def<TBitBtn>(name, field, [=](TBitBtn& b) {
      b.SetBounds(left, top, width, 21);
      b.SetCaption(caption);
      LoadGlyph(b, glyph);
      b.SetSpacing(spacing);
      b.SetTabOrder(tab_order);
      b.SetTabStop(false);
      b.OnClick = click;
    });
  };
  LoadDefinition<TfrmMain>(
      *this,
      [this](TfrmMain& f) {
        f.SetBounds(261, 151, f.Width(), f.Height());
        f.SetCaption("Doziviz v1");
        f.SetBorderStyle(bsSingle);
        f.SetBorderIcons(0);
        f.SetClientSize(546, 399);
        f.SetColor(kFormColor);
        f.Font().SetName("MS Sans Serif");
        f.Font().SetHeight(-11);
        f.SetPosition(poDesktopCenter);
        f.OnShow = [this](TObject* s) { FormShow(s); };
        f.OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
      },
      {
          // rovOvad (the skin engine component) takes its place here, first in the definition.
          Def<TGroupBox>(
              "gbDatabase", gbDatabase,
              [](TGroupBox& c) {
                c.SetBounds(0, 0, 546, 399);
                c.SetAlign(alClient);
                c.SetCaption("Lyrics");
                c.SetTabOrder(0);
              },
              {
                  Def<TPanel>("Panel1", Panel1,
                              [](TPanel& c) {
                                c.SetBounds(2, 15, 542, 43);
                                c.SetAlign(alTop);
                                c.SetBevelOuter(bvNone);
                                c.SetColor(kFormColor);
                                c.SetTabOrder(1);
                              },
                              {
                                  Def<TLabel>("Label1", Label1,
                                              [](TLabel& c) {
                                                c.SetBounds(8, 8, 34, 13);
                                                c.SetCaption("Search");
                                              }),
                                  Def<TEdit>("edtSearch", edtSearch,
                                             [this](TEdit& c) {
                                               c.SetBounds(48, 5, 297, 20);
                                               FlatNoBorder(c);
                                               c.SetColor(kMoneyGreen);
                                               c.SetTabOrder(0);
                                               c.OnChange = [this](TObject* s) {
                                                 edtSearchChange(s);
                                               };
                                             }),
                                  Def<TLabel>("Label2", Label2,
                                              [](TLabel& c) {
                                                c.SetBounds(360, 8, 22, 13);
                                                c.SetCaption("Field");
                                              }),
                                  Def<TComboBox>("cbField", cbField,
                                                 [this](TComboBox& c) {
                                                   c.SetBounds(392, 4, 121, 21);
                                                   c.SetStyle(csDropDownList);
                                                   c.SetBevelKind(bkFlat);
                                                   c.SetColor(kMoneyGreen);
                                                   c.SetItemHeight(13);
                                                   c.SetItems({"Artist", "Title", "Album"});
                                                   c.SetTabOrder(1);
                                                   c.OnChange = [this](TObject* s) {
                                                     cbFieldChange(s);
                                                   };
                                                 }),
                                  Def<TLabel>("Label4", Label4,
                                              [](TLabel& c) {
                                                c.SetBounds(48, 27, 154, 13);
                                                c.SetCaption("note: ? can be used as wildcard ");
                                              }),
                              }),
                  Def<TDBGrid>("dbgrdLyrics", dbgrdLyrics,
                               [this](TDBGrid& c) {
                                 c.SetBounds(2, 58, 542, 137);
                                 c.SetAlign(alTop);
                                 c.SetColor(kMoneyGreen);
                                 c.SetOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines |
                                              dgTabs | dgRowSelect | dgConfirmDelete |
                                              dgCancelOnExit);
                                 c.ReadOnly = true;
                                 c.TitleFont().SetName("MS Sans Serif");
                                 c.TitleFont().SetHeight(-11);
                                 c.AddColumn("Artist", 120, "Artist");
                                 c.AddColumn("Title", 180, "Title");
                                 c.AddColumn("Album", 150, "Album");
                                 c.SetTabOrder(0);
                                 c.OnDblClick = [this](TObject* s) { dbgrdLyricsDblClick(s); };
                               }),
                  Def<TPanel>("Panel2", Panel2,
                              [](TPanel& c) {
                                c.SetBounds(2, 195, 542, 26);
                                c.SetAlign(alTop);
                                c.SetBevelOuter(bvNone);
                                c.SetColor(kFormColor);
                                c.SetTabOrder(3);
                              },
                              {
                                  // One pixel apart: neighbours never overlap.
                                  button("btnNew", btnNew, 8, 4, 77, "Insert Lyric", "BTN_NEW", 1,
                                         0, [this](TObject* s) { btnNewClick(s); }),
                                  button("btnEdit", btnEdit, 86, 4, 77, "Edit Lyric", "BTN_EDIT", 8,
                                         1, [this](TObject* s) { btnEditClick(s); }),
                                  button("btnDel", btnDel, 164, 4, 82, "Delete Lyric", "BTN_DELETE",
                                         1, 2, [this](TObject* s) { btnDelClick(s); }),
                                  button("btnPlay", btnPlay, 306, 5, 84, "Play Song", "BTN_PLAY", 1,
                                         4, [this](TObject* s) { btnPlayClick(s); }),
                                  button("btnClose", btnClose, 453, 4, 84, "Close", "BTN_CLOSE", 20,
                                         3, [this](TObject* s) { btnCloseClick(s); }),
                              }),
                  Def<TGroupBox>("GroupBox1", GroupBox1,
                                 [](TGroupBox& c) {
                                   c.SetBounds(2, 221, 542, 168);
                                   c.SetAlign(alTop);
                                   c.SetCaption("Lyric - Song to play");
                                   c.SetTabOrder(2);
                                 },
                                 {
                                     Def<TLabel>("Label3", Label3,
                                                 [](TLabel& c) {
                                                   c.SetBounds(8, 19, 70, 13);
                                                   c.SetCaption("Song Filename");
                                                 }),
                                     Def<TDBEdit>("dbedtSong", dbedtSong,
                                                  [](TDBEdit& c) {
                                                    c.SetBounds(88, 16, 449, 21);
                                                    c.SetDataField("SongFileName");
                                                    c.SetReadOnly(true);
                                                    c.AutoSelect = false;
                                                    c.AutoSize = false;
                                                    FlatNoBorder(c);
                                                    c.SetColor(kMoneyGreen);
                                                    c.SetTabOrder(0);
                                                  }),
                                     Def<TDBMemo>("dbmLyric", dbmLyric,
                                                  [](TDBMemo& c) {
                                                    c.SetBounds(2, 40, 538, 126);
                                                    c.SetAlign(alBottom);
                                                    c.SetDataField("Lyric");
                                                    c.SetReadOnly(true);
                                                    c.SetScrollBars(ssVertical);
                                                    FlatNoBorder(c);
                                                    c.SetColor(kMoneyGreen);
                                                    c.SetParentFont(false);
                                                    c.Font().SetName("MS Sans Serif");
                                                    c.Font().SetHeight(-13);
                                                    c.SetTabOrder(1);
                                                  }),
                                 }),
              }),
      });
}

void TfrmMain::BindDataSource(db::TDataSource* source) {
  dbgrdLyrics->SetDataSource(source);
  dbedtSong->SetDataSource(source);
  dbmLyric->SetDataSource(source);
}

void TfrmMain::FormShow(TObject*) { OpenDatabase(); }

void TfrmMain::FormClose(TObject*, TCloseAction& action) {
  if (ShowMessageBox("Doziviz", "Close Doziviz?", mtConfirmation, MsgDlgButtons({mbYes, mbNo})) ==
      mrYes)
    action = caFree;
  else
    Abort();
}

void TfrmMain::edtSearchChange(TObject*) { SearchLyrics(); }

void TfrmMain::SearchLyrics() {
  db::TClientDataSet& table = dModule->cdsMain();
  std::string text = edtSearch->Text();
  if (text.empty()) {
    table.SetFilter("");
    table.SetFiltered(false);
    return;
  }
  table.SetFilter(SearchFilterText(cbField->ItemIndex(), text));
  table.SetFiltered(true);
}

void TfrmMain::cbFieldChange(TObject*) {
  WriteSetting("LyricSearch", "FieldIndex", IntToStr(cbField->ItemIndex()));
  edtSearch->SetText("");
}

void TfrmMain::btnNewClick(TObject*) { TfrmAlterData::CreateWithMode(amInsert); }

void TfrmMain::btnEditClick(TObject*) { TfrmAlterData::CreateWithMode(amEdit); }

void TfrmMain::btnDelClick(TObject*) {
  db::TClientDataSet& table = dModule->cdsMain();
  if (table.RecordCount() == 0) return;
  if (ShowMessageBox("Doziviz", "Delete current Lyric?", mtConfirmation,
                     MsgDlgButtons({mbYes, mbNo})) == mrYes)
    table.Delete();
}

void TfrmMain::btnPlayClick(TObject*) { PlaySong(); }

void TfrmMain::dbgrdLyricsDblClick(TObject*) { PlaySong(); }

void TfrmMain::btnCloseClick(TObject*) { Close(); }

void TfrmMain::PlaySong() {
  std::string file = dbedtSong->Text();
  if (Trim(file).empty()) {
    ShowMessageBox("Doziviz", "No song file is available", mtError, MsgDlgButtons({mbOK}));
    return;
  }
  if (!platform::FileExists(file)) {
    ShowMessageBox("Doziviz", "Song file doesn't exist", mtError, MsgDlgButtons({mbOK}));
    return;
  }
  // The shell's result is not looked at: it has started the program or said why not.
  ShellExecuteCall(Handle(), "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
