// End-to-end tests of the program, driven as a user would (see programdriver_testing.h): a fresh
// program folder through a first run, a restart and a damaged table file; a settings value
// that is no integer; plus the pure helpers (search filter text, recovery file).
#include <windows.h>

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/dMain.h"
#include "app/fAlterData.h"
#include "app/fMain.h"
#include "app/programdriver_testing.h"
#include "app/uFunctions.h"
#include "platform/files.h"
#include "tableengine/dsbase.h"

using namespace apptest;
using Texts = std::vector<std::string>;

namespace {

// What the first run leaves for the restart to compare: the change log's length and the
// highest Id the table gave.
const char kFactsFile[] = "\\flow-facts.txt";

std::string SearchText() {
  return OnUiGet<std::string>([] { return frmMain->edtSearch->Text(); });
}
int FieldChoice() {
  return OnUiGet<int>([] { return frmMain->cbField->ItemIndex(); });
}
int RecordCount() {
  return OnUiGet<int>([] { return Table().RecordCount(); });
}
std::string Current(const char* field) {
  return OnUiGet<std::string>([=] { return Table().FieldByName(field).AsString(); });
}
HWND Focus() {
  return OnUiGet<HWND>([] { return GetFocus(); });
}
int CenterYOfGridRow(int row) {
  return OnUiGet<int>([=] {
    RECT r = frmMain->dbgrdLyrics->RowRect(row);
    return (r.top + r.bottom) / 2;
  });
}
size_t FileSize(const std::string& path) {
  std::vector<uint8_t> bytes;
  return platform::ReadWholeFile(path, bytes) ? bytes.size() : 0;
}
// The file system's number for the file `path` names (a save gives the name a new file), and
// its last write time; zero when it cannot be read.
std::pair<uint64_t, uint64_t> FileIndexAndTime(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (!ok) return {0, 0};
  return {uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
          uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime};
}

// True when the 15 x 15 picture shows a close cross: dark pixels along both diagonals of its
// middle and none at the middle of its sides. A letter drawn in place of the Marlett glyph
// (as when Wine cannot find the font) fails.
bool IsCloseCross(framework::TBitmap& picture) {
  if (picture.Width() != 15 || picture.Height() != 15) return false;
  const int bytes = picture.PixelFormat() == framework::pf32bit ? 4 : 3;
  auto dark = [&](int x, int y) {
    const uint8_t* p = picture.ScanLine(y) + x * bytes;
    return p[0] + p[1] + p[2] < 3 * 96;
  };
  auto near_dark = [&](int x, int y) { return dark(x - 1, y) || dark(x, y) || dark(x + 1, y); };
  int on_diagonals = 0;
  for (int i = 4; i <= 10; ++i) on_diagonals += near_dark(i, i) + near_dark(14 - i, i);
  return on_diagonals >= 12 && !dark(7, 3) && !dark(3, 7) && !dark(11, 7) && !dark(7, 11);
}

// Double-clicking grid row `row` plays its song file through the real shell: the program
// associated with the file's extension starts. It is ended again here.
void ExpectShellStartsAssociatedProgram(HWND grid, int row, const std::string& extension) {
  char exe[MAX_PATH] = {};
  DWORD length = MAX_PATH;
  ASSERT_EQ(AssocQueryStringA(0, ASSOCSTR_EXECUTABLE, extension.c_str(), "open", exe, &length),
            S_OK)
      << "no program is associated with " << extension;
  std::string name = exe;
  name = name.substr(name.find_last_of("\\/") + 1);
  CharLowerBuffA(name.data(), static_cast<DWORD>(name.size()));
  auto before = Processes();
  DoubleClick(grid, 40, CenterYOfGridRow(row));
  DWORD started = 0;
  for (int waited = 0; waited < 15000 && !started; waited += 100) {
    for (const auto& [pid, process] : Processes()) {
      bool is_new = true;
      for (const auto& old : before) is_new = is_new && old.first != pid;
      if (is_new && process == name) started = pid;
    }
    if (!started) Sleep(100);
  }
  EXPECT_NE(started, 0u) << name << " did not start";
  if (HANDLE h = started ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, started) : nullptr) {
    TerminateProcess(h, 0);
    WaitForSingleObject(h, 5000);
    CloseHandle(h);
  }
}

// ---- Program runs (each runs in a child process, in its program folder) ----

// First run in an empty folder: creation, inserts with the editor's refusals, searches, the
// field switch, an edit with Enter and drops, Play Song, delete, a failing search, close.
void DriveFirstRun() {
  const std::string folder = ExeDirectory();
  Texts startup;
  MainWindow m = WaitMainWindow(startup);
  ASSERT_TRUE(m.wnd) << "main window";
  EXPECT_EQ(startup, Texts{});
  EXPECT_TRUE(platform::DirectoryExists(folder + "\\Database"));
  EXPECT_TRUE(platform::DirectoryExists(folder + "\\Settings"));
  EXPECT_FALSE(platform::FileExists(folder + "\\Settings\\Doziviz.Settings"));
  EXPECT_EQ(FileSize(folder + "\\Database\\Lyrics.roZoreda"), 225u);
  EXPECT_EQ(FieldChoice(), 0);
  EXPECT_EQ(GridColumn(0), Texts{});
  ASSERT_TRUE(OnUiGet<bool>([] { return Table().Active(); }));

  // An empty table: Delete Lyric shows nothing, Play Song finds no song file.
  Click(m.btnDel);
  EXPECT_EQ(BoxUp(), "");
  Click(m.btnPlay);
  EXPECT_EQ(Answer("TMessageForm", "OK"), "No song file is available");

  // The first insert: OK refuses an empty Artist, then an empty Title, each focusing its edit;
  // Abort answered with Cancel keeps the dialog and the texts.
  Click(m.btnNew);
  Dialog d = WaitDialog();
  ASSERT_TRUE(d.wnd);
  EXPECT_EQ(WindowText(d.wnd), "Inserting new lyric");
  Click(d.ok);
  EXPECT_EQ(Answer("TMessageForm", "OK"), "The ARTIST field must not be empty");
  EXPECT_EQ(Focus(), d.artist);
  Type(d.artist, "Beatles");
  Click(d.ok);
  EXPECT_EQ(Answer("TMessageForm", "OK"), "The TITLE field must not be empty");
  EXPECT_TRUE(IsWindow(d.wnd));
  EXPECT_EQ(Focus(), d.title);
  Click(d.abort);
  EXPECT_EQ(Answer("TMessageForm", "Cancel"), "Cancel lyric changes?");
  EXPECT_TRUE(IsWindowVisible(d.wnd));
  EXPECT_EQ(WindowText(d.artist), "Beatles");
  Type(d.title, "Yesterday");
  Type(d.album, "Help");
  Type(d.lyric, "Lyric of Yesterday");
  Click(d.ok);
  WaitGone(d.wnd);
  int max_id = OnUiGet<int>([] { return Table().FieldByName("Id").AsInteger(); });
  InsertLyric(m, "abc", "Song One", "Album A", "Lyric of Song One");
  max_id = std::max(max_id, OnUiGet<int>([] { return Table().FieldByName("Id").AsInteger(); }));
  InsertLyric(m, "ac", "Song Two", "Album B", "Lyric of Song Two");
  max_id = std::max(max_id, OnUiGet<int>([] { return Table().FieldByName("Id").AsInteger(); }));
  // Abort answered with Yes: nothing is added.
  Click(m.btnNew);
  d = WaitDialog();
  ASSERT_TRUE(d.wnd);
  Type(d.artist, "zzz");
  Click(d.abort);
  EXPECT_EQ(Answer("TMessageForm", "&Yes"), "Cancel lyric changes?");
  WaitGone(d.wnd);
  EXPECT_EQ(RecordCount(), 3);
  EXPECT_EQ(GridColumn(0), (Texts{"abc", "ac", "Beatles"}));

  // Search on Artist: "?" stands for any run of characters, "_" for one character.
  Type(m.search, "?");
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().Filter(); }), "Artist like '%'");
  EXPECT_EQ(RecordCount(), 3);
  OnUi([] { frmMain->edtSearch->SetText(""); });
  Type(m.search, "a_c");
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().Filter(); }), "Artist like 'a_c%'");
  EXPECT_EQ(GridColumn(0), Texts{"abc"});

  // Switching the field writes the setting at once, clears the search and the filter.
  Key(m.field, VK_DOWN);
  EXPECT_EQ(FieldChoice(), 1);
  EXPECT_EQ(OnUiGet<std::string>([] { return ReadSetting("LyricSearch", "FieldIndex", "?"); }),
            "1");
  EXPECT_EQ(SearchText(), "");
  EXPECT_FALSE(OnUiGet<bool>([] { return Table().Filtered(); }));
  EXPECT_EQ(GridColumn(0), (Texts{"abc", "ac", "Beatles"}));
  EXPECT_EQ(Current("Artist"), "abc");

  // Edit the current record: the Abort picture is a close cross; Enter walks the edits; the
  // album is retyped; drops of one file, two files and a folder.
  // A text file of a type that Windows and every new Wine prefix open with Notepad (Wine leaves
  // ".txt" to the desktop's associations).
  const std::string song = folder + "\\song.ini";
  ASSERT_TRUE(platform::ReplaceFileAtomically(song, "la la", 5));
  Click(m.btnEdit);
  d = WaitDialog();
  ASSERT_TRUE(d.wnd);
  EXPECT_EQ(WindowText(d.wnd), "Editing lyric");
  EXPECT_EQ(WindowText(d.artist), "abc");
  OnUi([&] {
    auto* f = static_cast<TfrmAlterData*>(framework::TWinControl::FindControl(d.wnd));
    EXPECT_TRUE(IsCloseCross(f->btnCancel->Glyph())) << "the Abort picture is no close cross";
  });
  Type(d.artist, "");
  Key(d.artist, VK_RETURN);
  EXPECT_EQ(Focus(), d.title);
  Key(d.title, VK_RETURN);
  EXPECT_EQ(Focus(), d.album);
  Key(d.album, VK_RETURN);
  EXPECT_EQ(Focus(), d.lyric);
  Retype(d.album, "First Album");
  DropFiles(d.wnd, {song});
  OnUi([] {});
  EXPECT_EQ(WindowText(d.song), song);
  DropFiles(d.wnd, {song, song});
  EXPECT_EQ(Answer("TMessageForm", "OK"), "Only one file can be dropped");
  EXPECT_EQ(WindowText(d.song), song);
  DropFiles(d.wnd, {folder});
  EXPECT_EQ(Answer("TMessageForm", "OK"), "Only file can be dropped");
  EXPECT_EQ(WindowText(d.song), "");
  DropFiles(d.wnd, {song});
  OnUi([] {});
  Screenshot(d.wnd, "doziviz-editor");
  Click(d.ok);
  WaitGone(d.wnd);
  EXPECT_EQ(Current("SongFileName"), song);
  EXPECT_EQ(Current("Album"), "First Album");
  EXPECT_EQ(GridColumn(2), (Texts{"First Album", "Album B", "Help"}));
  Screenshot(m.wnd, "doziviz-main-lyrics");

  // Play Song asks the shell to open the song file, owned by the main window.
  struct ShellCall {
    HWND owner = nullptr;
    std::string verb, file;
    bool no_parameters = false, no_directory = false;
    int show = -1;
  } call;
  TShellExecute real_shell = ShellExecuteCall;
  OnUi([&] {
    ShellExecuteCall = [&](HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* directory, int show) {
      call = {owner, verb, file, parameters == nullptr, directory == nullptr, show};
    };
  });
  Click(m.btnPlay);
  OnUi([&] { ShellExecuteCall = real_shell; });
  EXPECT_EQ(call.owner, m.wnd);
  EXPECT_EQ(call.verb, "open");
  EXPECT_EQ(call.file, song);
  EXPECT_TRUE(call.no_parameters && call.no_directory);
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
  // A double-click on the grid does the same through the real shell.
  ExpectShellStartsAssociatedProgram(m.grid, 0, ".ini");

  // Delete the second row: No keeps it, Yes deletes it.
  PostMessageA(m.grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, CenterYOfGridRow(1)));
  PostMessageA(m.grid, WM_LBUTTONUP, 0, MAKELPARAM(40, CenterYOfGridRow(1)));
  EXPECT_EQ(Current("Artist"), "ac");
  Click(m.btnDel);
  Screenshot(WaitTopWindow("TMessageForm", "Doziviz"), "doziviz-messagebox");
  EXPECT_EQ(Answer("TMessageForm", "&No"), "Delete current Lyric?");
  EXPECT_EQ(RecordCount(), 3);
  Click(m.btnDel);
  EXPECT_EQ(Answer("TMessageForm", "&Yes"), "Delete current Lyric?");
  EXPECT_EQ(GridColumn(0), (Texts{"abc", "Beatles"}));

  // rock 'n' roll on Artist: typing rock filters; pasting the rest makes the filter fail once,
  // and the table stops filtering; deleting the pasted part in one step gives back the filter
  // text the table still holds, so it still shows every record; one more character filters.
  Key(m.field, VK_UP);
  EXPECT_EQ(FieldChoice(), 0);
  Type(m.search, "rock");
  EXPECT_EQ(GridColumn(0), Texts{});
  ReplaceText(m.search, 4, 4, " 'n' roll");
  EXPECT_EQ(AnswerErrorBoxes(), Texts{"Filter expression incorrectly terminated."});
  EXPECT_EQ(SearchText(), "rock 'n' roll");
  EXPECT_EQ(GridColumn(0), (Texts{"abc", "Beatles"}));
  EXPECT_EQ(RecordCount(), 2);
  ReplaceText(m.search, 4, 13, "");
  EXPECT_EQ(BoxUp(), "");
  EXPECT_EQ(SearchText(), "rock");
  EXPECT_EQ(GridColumn(0), (Texts{"abc", "Beatles"}));
  ReplaceText(m.search, 4, 4, "s");
  EXPECT_EQ(GridColumn(0), Texts{});
  Key(m.field, VK_DOWN);  // Title: the choice the restart must find
  EXPECT_EQ(SearchText(), "");
  EXPECT_EQ(GridColumn(0), (Texts{"abc", "Beatles"}));

  int log_size = OnUiGet<int>([] { return static_cast<int>(Table().DSBase()->Log().Size()); });
  std::string facts = std::to_string(log_size) + " " + std::to_string(max_id);
  ASSERT_TRUE(platform::ReplaceFileAtomically(folder + kFactsFile, facts.data(), facts.size()));

  // Close: No keeps the program running without another message, Yes ends it.
  Click(m.btnClose);
  EXPECT_EQ(Answer("TMessageForm", "&No"), "Close Doziviz?");
  EXPECT_EQ(BoxUp(), "");
  EXPECT_TRUE(IsWindowVisible(m.wnd));
  Click(m.btnClose);
  EXPECT_EQ(Answer("TMessageForm", "&Yes"), "Close Doziviz?");
}

// Second run in the same folder: everything of the first run is back, history included.
void DriveRestart() {
  const std::string folder = ExeDirectory();
  Texts startup;
  MainWindow m = WaitMainWindow(startup);
  ASSERT_TRUE(m.wnd) << "main window";
  EXPECT_EQ(startup, Texts{});
  EXPECT_EQ(FieldChoice(), 1);
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().IndexFieldNames(); }), "Artist;Title");
  EXPECT_EQ(GridColumn(0), (Texts{"abc", "Beatles"}));
  EXPECT_EQ(GridColumn(1), (Texts{"Song One", "Yesterday"}));
  EXPECT_EQ(GridColumn(2), (Texts{"First Album", "Help"}));
  EXPECT_EQ(Current("Artist"), "abc");
  EXPECT_EQ(Current("Lyric"), "Lyric of Song One");
  EXPECT_EQ(Current("SongFileName"), folder + "\\song.ini");
  EXPECT_EQ(OnUiGet<std::string>([] { return frmMain->dbmLyric->Text(); }), "Lyric of Song One");

  std::vector<uint8_t> facts;
  ASSERT_TRUE(platform::ReadWholeFile(folder + kFactsFile, facts));
  int log_size = -1, max_id = -1;
  std::sscanf(std::string(facts.begin(), facts.end()).c_str(), "%d %d", &log_size, &max_id);
  EXPECT_EQ(OnUiGet<int>([] { return static_cast<int>(Table().DSBase()->Log().Size()); }),
            log_size);
  // The counter goes on from where the first run left it.
  InsertLyric(m, "Zappa", "Peaches", "Hot Rats", "");
  EXPECT_GT(OnUiGet<int>([] { return Table().FieldByName("Id").AsInteger(); }), max_id);
  EXPECT_EQ(GridColumn(0), (Texts{"abc", "Beatles", "Zappa"}));
}

// A table file that is no packet: the loader's message, then the closed-table behaviour.
void DriveDamagedTableFile() {
  Texts startup;
  MainWindow m = WaitMainWindow(startup);
  ASSERT_TRUE(m.wnd) << "main window";
  EXPECT_EQ(startup, Texts{"Mismatch in datapacket."});
  EXPECT_FALSE(OnUiGet<bool>([] { return Table().Active(); }));
  EXPECT_EQ(FieldChoice(), -1);
  const char* closed = "cdsMain: Cannot perform this operation on a closed dataset.";
  for (HWND button : {m.btnNew, m.btnEdit, m.btnDel}) {
    Click(button);
    EXPECT_EQ(Answer("#32770", "OK"), closed) << WindowText(button);
    EXPECT_FALSE(FindWindowA("TfrmAlterData", nullptr));
  }
  Type(m.search, "x");  // the filter is only kept
  Sleep(300);
  EXPECT_EQ(BoxUp(), "");
  Click(m.btnPlay);
  EXPECT_EQ(Answer("TMessageForm", "OK"), "No song file is available");
}

// FieldIndex "abc": the conversion message, no field, no order; a search then has no field.
void DriveFieldIndexNotAnInteger() {
  Texts startup;
  MainWindow m = WaitMainWindow(startup);
  ASSERT_TRUE(m.wnd) << "main window";
  EXPECT_EQ(startup, Texts{"'abc' is not a valid integer value."});
  EXPECT_EQ(FieldChoice(), -1);
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().IndexFieldNames(); }), "");
  InsertLyric(m, "Wings", "Jet", "Band on the Run", "");
  InsertLyric(m, "Abba", "Waterloo", "Waterloo", "");
  EXPECT_EQ(GridColumn(0), (Texts{"Wings", "Abba"}));  // in the order they came

  Type(m.search, "w");
  EXPECT_EQ(AnswerErrorBoxes(), Texts{"Expression expected but 'like' found."});
  EXPECT_EQ(SearchText(), "w");
  // Picking a field writes a valid FieldIndex and clears the search.
  Key(m.field, VK_DOWN);
  EXPECT_EQ(FieldChoice(), 0);
  EXPECT_EQ(OnUiGet<std::string>([] { return ReadSetting("LyricSearch", "FieldIndex", "?"); }),
            "0");
  EXPECT_EQ(SearchText(), "");
  EXPECT_EQ(GridColumn(0).size(), 2u);
}

// FieldIndex 7 in the folder of the run above: no message and no field, but ordered and on the
// first record as usual.
void DriveFieldIndexOutOfRange() {
  Texts startup;
  MainWindow m = WaitMainWindow(startup);
  ASSERT_TRUE(m.wnd) << "main window";
  EXPECT_EQ(startup, Texts{});
  EXPECT_EQ(FieldChoice(), -1);
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().IndexFieldNames(); }), "Artist;Title");
  EXPECT_EQ(GridColumn(0), (Texts{"Abba", "Wings"}));
  EXPECT_EQ(Current("Artist"), "Abba");
}

// In a program run (child process): performs the run DZ_APP_FLOW names; true there.
bool PerformChildRun() {
  const std::string flow = ChildFlow();
  if (flow.empty()) return false;
  if (flow == "first")
    RunProgramWithDriver(DriveFirstRun);
  else if (flow == "restart")
    RunProgramWithDriver(DriveRestart);
  else if (flow == "damaged")
    RunProgramWithDriver(DriveDamagedTableFile);
  else if (flow == "abc")
    RunProgramWithDriver(DriveFieldIndexNotAnInteger);
  else if (flow == "seven")
    RunProgramWithDriver(DriveFieldIndexOutOfRange);
  else
    ADD_FAILURE() << "unknown program run " << flow;
  return true;
}

}  // namespace

TEST(SearchFilterText, BuildsTheLikeFilterOfEachField) {
  struct Case {
    int field;
    const char* text;
    const char* filter;
  } cases[] = {
      {0, "beat", "Artist like 'beat%'"}, {0, "b?tles", "Artist like 'b%tles%'"},
      {1, "love%", "Title like 'love%'"}, {2, "?", "Album like '%'"},
      {-1, "beat", " like 'beat%'"},      {0, "a_c", "Artist like 'a_c%'"},
      {0, "it's", "Artist like 'it's%'"}, {1, "x?", "Title like 'x%'"},
  };
  for (const Case& c : cases) EXPECT_EQ(SearchFilterText(c.field, c.text), c.filter) << c.text;
}

TEST(RecoveryFile, KeepsThePacketUnderANewName) {
  std::vector<uint8_t> packet = {0x96, 0x19, 0xE0, 0xBD, 1, 2, 3};
  std::string dir = platform::TempPath();
  std::string a = WriteRecoveryFile(dir, packet), b = WriteRecoveryFile(dir, packet);
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(dir, 0), 0u) << a;
  std::vector<uint8_t> back;
  ASSERT_TRUE(platform::ReadWholeFile(a, back));
  EXPECT_EQ(back, packet);
  platform::DeleteFile(a);
  platform::DeleteFile(b);
  EXPECT_EQ(WriteRecoveryFile(dir + "no such dir\\", packet), "");
}

// One program folder through three runs: the first run in the empty folder, a restart that
// finds everything, and a run after the table file was overwritten with bytes that are no
// packet (the shut-down then leaves the file as it is).
TEST(ProgramFlow, FirstRunRestartAndDamagedTableFile) {
  if (PerformChildRun()) return;
  const std::string folder = NewProgramFolder();
  const std::string table = folder + "\\Database\\Lyrics.roZoreda";
  const std::string settings = folder + "\\Settings\\Doziviz.Settings";
  ASSERT_TRUE(RunFlowInFolder(folder, "first"));
  EXPECT_GT(FileSize(table), 225u);
  std::vector<uint8_t> settings_before;
  ASSERT_TRUE(platform::ReadWholeFile(settings, settings_before));

  // The shut-down save keeps the attributes the user gave the table file (hidden and system:
  // the ones Wine stores too) and removes what an interrupted save left beside it.
  constexpr DWORD kSet = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesA(table.c_str(), GetFileAttributesA(table.c_str()) | kSet));
  const std::string stale = table + ".{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9}.tmp";
  ASSERT_TRUE(platform::ReplaceFileAtomically(stale, "interrupted", 11));
  {
    HANDLE h =
        CreateFileA(stale.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const FILETIME longAgo{0, 0x01D00000};  // years ago
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &longAgo));
    CloseHandle(h);
  }
  const auto before = FileIndexAndTime(table);

  ASSERT_TRUE(RunFlowInFolder(folder, "restart"));
  std::vector<uint8_t> settings_after;
  ASSERT_TRUE(platform::ReadWholeFile(settings, settings_after));
  EXPECT_EQ(settings_after, settings_before) << "the start-up rewrote the settings";
  EXPECT_NE(FileIndexAndTime(table), before) << "no save at shut-down";
  EXPECT_EQ(GetFileAttributesA(table.c_str()) & kSet, kSet);
  EXPECT_FALSE(platform::FileExists(stale));

  const std::string garbage = "These bytes are no data packet.";
  ASSERT_TRUE(platform::ReplaceFileAtomically(table, garbage.data(), garbage.size()));
  ASSERT_TRUE(RunFlowInFolder(folder, "damaged"));
  std::vector<uint8_t> after;
  ASSERT_TRUE(platform::ReadWholeFile(table, after));
  EXPECT_EQ(std::string(after.begin(), after.end()), garbage);
}

// Settings values that select no field: a text that is no integer (a run in a new folder),
// then an integer outside 0 to 2 (a second run in the same folder).
TEST(ProgramFlow, FieldIndexThatSelectsNoField) {
  if (PerformChildRun()) return;
  const std::string folder = NewProgramFolder();
  const std::string settings = folder + "\\Settings\\Doziviz.Settings";
  auto set_field_index = [&](const char* value) {
    ASSERT_TRUE(WritePrivateProfileStringA("LyricSearch", "FieldIndex", value, settings.c_str()));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings.c_str());  // flush
  };
  ASSERT_TRUE(platform::CreateDirectory(folder + "\\Settings"));
  set_field_index("abc");
  ASSERT_TRUE(RunFlowInFolder(folder, "abc"));
  set_field_index("7");
  RunFlowInFolder(folder, "seven");
}
