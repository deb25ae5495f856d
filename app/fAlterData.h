// TfrmAlterData: the lyric editor dialog. CreateWithMode runs one whole edit: it appends a
// record (insert) or edits the current one, shows the dialog modally, then posts (OK) or
// cancels. The user types Artist, Title, Album and Lyric into data-aware controls and drops a
// song file from the shell onto the dialog. Created per edit, without owner, freed when the
// edit is over. UI thread only. Keeps the platform's own look (the skin engine does not reach
// dialogs created after the main window was first shown).
#pragma once

#include <cstdint>

#include "framework/bitbtn.h"
#include "framework/dbedit.h"
#include "framework/dbmemo.h"
#include "framework/form.h"
#include "framework/groupbox.h"
#include "framework/label.h"

enum TAlterMode : uint8_t { amInsert = 0, amEdit = 1 };

class TfrmAlterData : public framework::TForm {
 public:
  DZ_CLASS(TfrmAlterData, framework::TForm)
  explicit TfrmAlterData(framework::TComponent* owner);
  ~TfrmAlterData() override;

  // Constructs a dialog and runs one edit in `mode`; returns when the edit is posted or
  // cancelled. An error before the dialog shows discards it and goes to the caller.
  static void CreateWithMode(TAlterMode mode);

  framework::TLabel* Label3 = nullptr;
  framework::TDBEdit* dbedtArtist = nullptr;
  framework::TLabel* Label2 = nullptr;
  framework::TDBEdit* dbedtTitle = nullptr;
  framework::TLabel* Label1 = nullptr;
  framework::TDBEdit* dbedtAlbum = nullptr;
  framework::TLabel* Label5 = nullptr;
  framework::TDBMemo* dbmLyric = nullptr;
  framework::TGroupBox* GroupBox1 = nullptr;
  framework::TLabel* Label4 = nullptr;
  framework::TDBEdit* dbedtSongFileName = nullptr;
  framework::TBitBtn* btnOk = nullptr;
  framework::TBitBtn* btnCancel = nullptr;

  void FormShow(framework::TObject* sender);
  void btnOkClick(framework::TObject* sender);
  void btnCancelClick(framework::TObject* sender);
  void dbedtsOnKeyDown(framework::TObject* sender, WORD& key, framework::TShiftState shift);
  void dbedtOnExit(framework::TObject* sender);
  // Accepts when Artist and Title are not empty; otherwise says which is empty and focuses it.
  bool ValidateEntry();
  // The pictures of OK (menu check mark) and Abort (flat caption close cross), 15 x 15.
  void DrawButtonGlyphs();

 protected:
  void WndProc(framework::TMessage& message) override;

 private:
  void WMDropFiles(HDROP drop);
};
