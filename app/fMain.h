// TfrmMain: the program's main window. A grid of the lyrics table, a wildcard search on one
// field (its choice kept in the settings file), Insert/Edit/Delete of entries through the
// editor dialog, playing the current entry's song file through the shell, and a confirmed
// close. Its show event runs OpenDatabase. The first form created (frmMain), so closing it ends
// the program. UI thread only; freed by the application.
//
// Skin seam: the skin engine component rovOvad belongs to this window's definition, created
// with it before any other component; until the skin engine exists the window has the
// platform's own look.
#pragma once

#include <functional>
#include <string>

#include "dataset/datasource.h"
#include "framework/bitbtn.h"
#include "framework/combobox.h"
#include "framework/dbedit.h"
#include "framework/dbgrid.h"
#include "framework/dbmemo.h"
#include "framework/edit.h"
#include "framework/form.h"
#include "framework/groupbox.h"
#include "framework/label.h"
#include "framework/panel.h"

// The shell call through which PlaySong opens a song file, with ShellExecuteA's arguments
// (owner, verb, file, parameters, directory, show command). It is ShellExecuteA itself; tests
// replace it to observe the call.
using TShellExecute = std::function<void(HWND owner, const char* verb, const char* file,
                                         const char* parameters, const char* directory, int show)>;
extern TShellExecute ShellExecuteCall;

class TfrmMain : public framework::TForm {
 public:
  DZ_CLASS(TfrmMain, framework::TForm)
  explicit TfrmMain(framework::TComponent* owner);

  // Binds the grid, the song file edit and the lyric memo to the data module's source.
  void BindDataSource(db::TDataSource* source);

  framework::TGroupBox* gbDatabase = nullptr;
  framework::TPanel* Panel1 = nullptr;
  framework::TLabel* Label1 = nullptr;
  framework::TEdit* edtSearch = nullptr;
  framework::TLabel* Label2 = nullptr;
  framework::TComboBox* cbField = nullptr;
  framework::TLabel* Label4 = nullptr;
  framework::TDBGrid* dbgrdLyrics = nullptr;
  framework::TPanel* Panel2 = nullptr;
  framework::TBitBtn* btnNew = nullptr;
  framework::TBitBtn* btnEdit = nullptr;
  framework::TBitBtn* btnDel = nullptr;
  framework::TBitBtn* btnPlay = nullptr;
  framework::TBitBtn* btnClose = nullptr;
  framework::TGroupBox* GroupBox1 = nullptr;
  framework::TLabel* Label3 = nullptr;
  framework::TDBEdit* dbedtSong = nullptr;
  framework::TDBMemo* dbmLyric = nullptr;

  void FormShow(framework::TObject* sender);
  void FormClose(framework::TObject* sender, framework::TCloseAction& action);
  void edtSearchChange(framework::TObject* sender);
  void cbFieldChange(framework::TObject* sender);
  void btnNewClick(framework::TObject* sender);
  void btnEditClick(framework::TObject* sender);
  void btnDelClick(framework::TObject* sender);
  void btnPlayClick(framework::TObject* sender);
  void btnCloseClick(framework::TObject* sender);
  void dbgrdLyricsDblClick(framework::TObject* sender);

  // Applies the search text of edtSearch as a LIKE filter on the chosen field.
  void SearchLyrics();
  void PlaySong();
};

// The filter text SearchLyrics applies for a field index (0 Artist, 1 Title, 2 Album, other:
// none) and a non-empty search text: "?" becomes "%", a "%" is appended unless the text ends in
// one, and the text is quoted as it stands.
std::string SearchFilterText(int field_index, std::string text);

extern TfrmMain* frmMain;
