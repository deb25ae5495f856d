// TfrmAlterData: definition of the editor dialog, the edit it runs and its handlers.
#include "app/fAlterData.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "app/dMain.h"
#include "app/uFunctions.h"
#include "framework/bitmap.h"
#include "framework/formdef.h"
#include "framework/screen.h"
#include "platform/files.h"

using namespace framework;

namespace {

constexpr TColor kFormColor = 12094311;
constexpr TColor kMoneyGreen = RGBColor(192, 220, 192);
// DragQueryFileA buffer: a longer dropped name comes back cut to 499 characters.
constexpr UINT kDropNameBuffer = 500;
constexpr int kGlyphSize = 15;

void Bold(TLabel& c) { c.Font().SetStyle(fsBold); }

}  // namespace

TfrmAlterData::TfrmAlterData(TComponent* owner) : TForm(owner) {
  Name = "frmAlterData";
  auto data_control = [this](TCustomEdit& c, int left, int top, int width, int height,
                             int tab_order) {
    c.SetBounds(left, top, width, height);
    c.SetColor(kMoneyGreen);
    c.SetBevelKind(bkFlat);
    c.SetBevelInner(bvLowered);
    c.SetBevelOuter(bvRaised);
    c.SetBorderStyle(bsNone);
    c.AutoSelect = false;
    c.AutoSize = false;
    c.SetTabOrder(tab_order);
    c.OnExit = [this](TObject* s) { dbedtOnExit(s); };
    c.OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { dbedtsOnKeyDown(s, k, sh); };
  };
  auto label = [](const char* name, TLabel*& field, int left, int top, int width,
                  const char* caption) {
    return Def<TLabel>(name, field, [=](TLabel& c) {
      c.SetBounds(left, top, width, 13);
      c.SetCaption(caption);
      Bold(c);
    });
  };
  auto edit = [data_control](const char* name, TDBEdit*& field, int left, int top, int width,
                             const char* data_field, int tab_order) {
    return Def<TDBEdit>(name, field, [=](TDBEdit& c) {
      data_control(c, left, top, width, 21, tab_order);
      c.SetDataField(data_field);
    });
  };
  auto button = [](const char* name, TBitBtn*& field, int left, const char* caption, int tab_order,
                   TNotifyEvent click) {
    return Def<TBitBtn>(name, field, [=](TBitBtn& b) {
      b.SetBounds(left, 284, 78, 21);
      b.SetCaption(caption);
      b.SetTabStop(false);
      b.SetTabOrder(tab_order);
      b.SetSpacing(1);
      b.OnClick = click;
    });
  };
  LoadDefinition<TfrmAlterData>(
      *this,
      [this](TfrmAlterData& f) {
        f.SetBounds(294, 189, f.Width(), f.Height());
        f.SetBorderStyle(bsDialog);
        f.SetBorderIcons(0);
        f.SetClientSize(379, 318);
        f.SetColor(kFormColor);
        f.Font().SetName("MS Sans Serif");
        f.Font().SetHeight(-11);
        f.SetPosition(poDesigned);
        f.OnShow = [this](TObject* s) { FormShow(s); };
      },
      {
          label("Label3", Label3, 15, 12, 30, "Artist"),
          edit("dbedtArtist", dbedtArtist, 51, 9, 318, "Artist", 0),
          label("Label2", Label2, 18, 42, 26, "Title"),
          edit("dbedtTitle", dbedtTitle, 51, 39, 318, "Title", 1),
          label("Label1", Label1, 9, 72, 35, "Album"),
          edit("dbedtAlbum", dbedtAlbum, 51, 69, 318, "Album", 2),
          label("Label5", Label5, 16, 95, 28, "Lyric"),
          Def<TDBMemo>("dbmLyric", dbmLyric,
                       [data_control](TDBMemo& c) {
                         data_control(c, 51, 96, 318, 121, 3);
                         c.SetDataField("Lyric");
                         c.SetScrollBars(ssNone);
                       }),
          Def<TGroupBox>("GroupBox1", GroupBox1,
                         [](TGroupBox& c) {
                           c.SetBounds(0, 224, 369, 49);
                           c.SetCaption("Drag && Drop a song in the window");
                           c.SetTabOrder(4);
                         },
                         {
                             label("Label4", Label4, 9, 25, 30, "Song"),
                             Def<TDBEdit>("dbedtSongFileName", dbedtSongFileName,
                                          [data_control](TDBEdit& c) {
                                            data_control(c, 51, 20, 310, 21, 0);
                                            c.SetDataField("SongFileName");
                                            c.SetReadOnly(true);
                                            c.SetTabStop(false);
                                          }),
                         }),
          button("btnOk", btnOk, 211, "OK", 5, [this](TObject* s) { btnOkClick(s); }),
          button("btnCancel", btnCancel, 291, "Abort", 6,
                 [this](TObject* s) { btnCancelClick(s); }),
      });
  db::TDataSource* source = &dModule->cdsDataSource();
  for (TDBEdit* e : {dbedtArtist, dbedtTitle, dbedtAlbum, dbedtSongFileName})
    e->SetDataSource(source);
  dbmLyric->SetDataSource(source);
}

TfrmAlterData::~TfrmAlterData() {
  if (HandleAllocated()) DragAcceptFiles(Handle(), FALSE);
}

void TfrmAlterData::CreateWithMode(TAlterMode mode) {
  std::unique_ptr<TfrmAlterData> dialog(new TfrmAlterData(nullptr));
  DragAcceptFiles(dialog->Handle(), TRUE);
  db::TClientDataSet& table = dModule->cdsMain();
  if (mode == amEdit && table.RecordCount() > 0) {
    table.Edit();
    dialog->SetCaption("Editing lyric");
  } else {
    table.Append();
    dialog->SetCaption("Inserting new lyric");
  }
  if (dialog->ShowModal() == mrOk)
    table.Post();
  else
    table.Cancel();
}

void TfrmAlterData::FormShow(TObject*) { DrawButtonGlyphs(); }

void TfrmAlterData::DrawButtonGlyphs() {
  auto draw = [](TBitBtn& button, UINT kind, UINT state) {
    TBitmap picture;
    picture.SetSize(kGlyphSize, kGlyphSize);
    RECT r{0, 0, kGlyphSize, kGlyphSize};
    DrawFrameControl(picture.Canvas().Handle(), &r, kind, state);
    button.Glyph().Assign(picture);
  };
  draw(*btnCancel, DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_FLAT);
  draw(*btnOk, DFC_MENU, DFCS_MENUCHECK);
}

void TfrmAlterData::btnOkClick(TObject*) {
  if (ValidateEntry()) SetModalResult(mrOk);
}

bool TfrmAlterData::ValidateEntry() {
  if (dbedtArtist->Text().empty()) {
    ShowMessageBox("Doziviz", "The ARTIST field must not be empty", mtError, MsgDlgButtons({mbOK}));
    dbedtArtist->SetFocus();
    return false;
  }
  if (dbedtTitle->Text().empty()) {
    ShowMessageBox("Doziviz", "The TITLE field must not be empty", mtError, MsgDlgButtons({mbOK}));
    dbedtTitle->SetFocus();
    return false;
  }
  return true;
}

void TfrmAlterData::btnCancelClick(TObject*) {
  if (ShowMessageBox("Doziviz", "Cancel lyric changes?", mtConfirmation,
                     MsgDlgButtons({mbYes, mbCancel})) == mrYes)
    SetModalResult(mrCancel);
}

void TfrmAlterData::dbedtsOnKeyDown(TObject*, WORD& key, TShiftState) {
  if (key != VK_RETURN) return;
  key = 0;
  TWinControl* active = ActiveControl();
  if (active == dbedtSongFileName) {
    dbedtAlbum->SetFocus();
  } else if (active == dbmLyric) {
    if (dbmLyric->LineCount() == 0 && dbmLyric->Text().empty()) {
      dbmLyric->Clear();
      SelectNext(active, true, true);
    }
  } else if (active) {
    SelectNext(active, true, true);
  }
}

void TfrmAlterData::dbedtOnExit(TObject* sender) {
  db::TClientDataSet& table = dModule->cdsMain();
  if (auto* edit = dynamic_cast<TDBEdit*>(sender)) {
    if (db::TField* field = edit->Field()) field->SetAsString(edit->Text());
  } else if (auto* memo = dynamic_cast<TDBMemo*>(sender)) {
    table.FieldByName("Lyric").SetAsString(memo->Text());
  }
}

void TfrmAlterData::WndProc(TMessage& message) {
  if (message.Msg == WM_DROPFILES) {
    WMDropFiles(reinterpret_cast<HDROP>(message.WParam));
    message.Result = 0;
    return;
  }
  TForm::WndProc(message);
}

void TfrmAlterData::WMDropFiles(HDROP drop) {
  Screen->SetCursor(crHourGlass);
  struct CursorBack {
    ~CursorBack() { Screen->SetCursor(crDefault); }
  } cursor_back;
  struct DropRelease {
    HDROP drop;
    ~DropRelease() { DragFinish(drop); }
  } drop_release{drop};

  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  if (count >= 2) {
    ShowMessageBox("Doziviz", "Only one file can be dropped", mtError, MsgDlgButtons({mbOK}));
    return;
  }
  char name[kDropNameBuffer] = {};
  DragQueryFileA(drop, 0, name, kDropNameBuffer);
  db::TField& song = dModule->cdsMain().FieldByName("SongFileName");
  dbedtSongFileName->SetText(name);
  song.SetAsString(name);
  if (!platform::FileExists(dbedtSongFileName->Text())) {
    dbedtSongFileName->SetText("");
    song.SetAsString("");
    ShowMessageBox("Doziviz", "Only file can be dropped", mtError, MsgDlgButtons({mbOK}));
  }
}
