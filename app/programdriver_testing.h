// The user-like driver of the end-to-end tests: a driver thread clicks buttons, types into
// edits, presses keys, drops files through a real HDROP and answers message boxes by finding
// them and pressing their buttons, while the UI thread runs the program's real forms and
// message loop. Each program run happens in a copy of the test executable placed in a program
// folder, because the program keeps its Database and Settings beside its executable.
// Test code only; the driver functions run on the driver thread unless they say otherwise.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/fAlterData.h"
#include "dataset/clientdataset.h"

namespace apptest {

// Runs `task` on the UI thread and waits for it, also while a modal box is up (the task goes
// through a window message, which every modal loop dispatches). Posted after everything the
// driver posted before, so it is also a barrier.
void OnUi(const std::function<void()>& task);
template <class T>
T OnUiGet(const std::function<T()>& task) {
  T value{};
  OnUi([&] { value = task(); });
  return value;
}

db::TClientDataSet& Table();  // the program's lyrics table (UI thread)
std::string WindowText(HWND w);
HWND ChildByText(HWND parent, const char* text);

// Waits for a visible top-level window of class `cls` (and `title`); null after 10 s.
HWND WaitTopWindow(const char* cls, const char* title = nullptr);
void WaitGone(HWND w);

// Waits for a box captioned "Doziviz" of class `cls` ("TMessageForm" for the program's message
// dialog, "#32770" for the error box), returns its text and presses its button `button`.
// Returns "<no box>" or "<no button ...>" when there is none.
std::string Answer(const char* cls, const char* button);
// Answers every error box that comes up until none has come for a second; returns their
// texts in order.
std::vector<std::string> AnswerErrorBoxes();
// The class and text of a message dialog or error box of the program that is up, "" when
// there is none.
std::string BoxUp();

// Input through the message queue, as a user's.
void Click(HWND button);
void Type(HWND edit, const std::string& text);    // click into the edit, then the characters
void Retype(HWND edit, const std::string& text);  // the same, replacing the whole text
// Selects characters [from, to) of the edit and replaces them with `text` in one step, as a
// paste or a deletion does.
void ReplaceText(HWND edit, int from, int to, const std::string& text);
void Key(HWND w, WORD key);
void DoubleClick(HWND w, int x, int y);
// Posts WM_DROPFILES with a real HDROP naming `files` (as the shell builds it) to `w`.
void DropFiles(HWND w, const std::vector<std::string>& files);

// The main window's controls (handles), once it is up.
struct MainWindow {
  HWND wnd = nullptr;
  HWND btnNew, btnEdit, btnDel, btnPlay, btnClose, search, field, grid;
};
// Waits for the main window, answering the error boxes of start-up; `startup_errors` gets
// their texts. `wnd` stays null when the window did not come.
MainWindow WaitMainWindow(std::vector<std::string>& startup_errors);
// The texts the grid shows in column `col` (0 Artist, 1 Title, 2 Album), top row first, up to
// the first empty row.
std::vector<std::string> GridColumn(int col);

// The editor dialog's controls, once it is up (`wnd` null when it did not come).
struct Dialog {
  HWND wnd = nullptr;
  HWND artist, title, album, lyric, song, ok, abort;
};
Dialog WaitDialog();
// One complete insert through the editor dialog (Insert Lyric, four texts, OK).
void InsertLyric(const MainWindow& m, const std::string& artist, const std::string& title,
                 const std::string& album, const std::string& lyric);

// Screenshot mode: when DZ_SCREENSHOT_DIR names a directory, saves the screen area of the
// top-level window `w` there as <name>.bmp (24 bits). Does nothing otherwise.
void Screenshot(HWND w, const std::string& name);

// Processes running now: id and executable file name (lower case, without directory).
std::vector<std::pair<DWORD, std::string>> Processes();

// The name of the program run this process performs (DZ_APP_FLOW), "" in the test runner.
std::string ChildFlow();
// In a program run: the program's entry steps (application titled "Doziviz", main window,
// data module, message loop) with `drive` on the driver thread; when `drive` returns, the
// driver answers whatever is up and confirms closing until the loop has ended.
void RunProgramWithDriver(const std::function<void()>& drive);
// In the test runner: copies this executable into `folder` (once) and performs program run
// `flow` there as the current test; true when the run passed.
bool RunFlowInFolder(const std::string& folder, const std::string& flow);
// A new empty folder under the temporary directory.
std::string NewProgramFolder();

}  // namespace apptest
