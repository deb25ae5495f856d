// End-to-end tests of the program, driven as a user would: a driver thread clicks buttons,
// types into edits, presses keys, drops files through a real HDROP and answers message boxes by
// finding them and pressing their buttons, while the UI thread runs the real forms and message
// loop. The flow runs in a copy of this executable in a fresh folder, because the program keeps
// its Database and Settings beside its executable.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "app/dMain.h"
#include "app/fAlterData.h"
#include "app/fMain.h"
#include "app/uFunctions.h"
#include "framework/application.h"
#include "framework/label.h"
#include "framework/msgdialog.h"
#include "platform/files.h"

using namespace framework;

namespace {

constexpr UINT kTaskMessage = WM_APP + 0x77;  // thread message: run a task on the UI thread
constexpr int kWaitMs = 10000;
DWORD ui_thread = 0;

// Runs `task` on the UI thread and waits for it. Posted after everything the driver posted
// before, so it is also a barrier. Only while no system message box is up.
void OnUi(const std::function<void()>& task) {
  std::promise<void> done;
  std::pair<const std::function<void()>*, std::promise<void>*> job{&task, &done};
  while (!PostThreadMessageA(ui_thread, kTaskMessage, 0, reinterpret_cast<LPARAM>(&job))) Sleep(10);
  done.get_future().wait();
}

template <class T>
T OnUiGet(const std::function<T()>& task) {
  T value{};
  OnUi([&] { value = task(); });
  return value;
}

HWND WaitTopWindow(const char* cls, const char* title = nullptr) {
  for (int waited = 0; waited < kWaitMs; waited += 20) {
    HWND w = FindWindowA(cls, title);
    if (w && IsWindowVisible(w)) return w;
    Sleep(20);
  }
  return nullptr;
}

struct ChildSearch {
  const char* text;
  HWND found;
};
BOOL CALLBACK FindChildByText(HWND wnd, LPARAM param) {
  auto* s = reinterpret_cast<ChildSearch*>(param);
  char buffer[256] = {};
  GetWindowTextA(wnd, buffer, sizeof buffer);
  if (std::strcmp(buffer, s->text) == 0) {
    s->found = wnd;
    return FALSE;
  }
  return TRUE;
}
HWND ChildByText(HWND parent, const char* text) {
  ChildSearch s{text, nullptr};
  EnumChildWindows(parent, FindChildByText, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string WindowText(HWND w) {
  char buffer[1024] = {};
  GetWindowTextA(w, buffer, sizeof buffer);
  return buffer;
}

// Waits for a message box of the program (class TMessageForm) or the error box ("#32770"),
// returns its text and presses the button captioned `button`.
std::string Answer(const char* cls, const char* button) {
  HWND box = WaitTopWindow(cls, "Doziviz");
  if (!box) return "<no box>";
  std::string text;
  if (std::strcmp(cls, "TMessageForm") == 0) {
    // The program's message dialog: its text is a label painted by the form.
    OnUi([&] {
      text = static_cast<TMessageForm*>(TWinControl::FindControl(box))->Message->Caption();
    });
  } else {
    // The system error box: the message is its longest child text.
    EnumChildWindows(
        box,
        [](HWND w, LPARAM p) -> BOOL {
          auto* longest = reinterpret_cast<std::string*>(p);
          std::string t = WindowText(w);
          if (t.size() > longest->size()) *longest = t;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
  }
  HWND b = ChildByText(box, button);
  if (!b) return "<no button " + std::string(button) + ">";
  PostMessageA(b, BM_CLICK, 0, 0);
  for (int waited = 0; waited < kWaitMs && IsWindow(box) && IsWindowVisible(box); waited += 20)
    Sleep(20);
  return text;
}

void Click(HWND w) { PostMessageA(w, BM_CLICK, 0, 0); }

void Type(HWND edit, const std::string& text) {
  PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  for (char ch : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(ch), 1);
}

void Key(HWND w, WORD key) {
  PostMessageA(w, WM_KEYDOWN, key, 1);
  PostMessageA(w, WM_KEYUP, key, 0xC0000001);
}

// A real HDROP naming `files`, as the shell builds it.
HGLOBAL MakeDrop(const std::vector<std::string>& files) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const auto& f : files) size += f.size() + 1;
  HGLOBAL g = GlobalAlloc(GHND, size);
  auto* d = static_cast<DROPFILES*>(GlobalLock(g));
  d->pFiles = sizeof(DROPFILES);
  d->fWide = FALSE;
  char* p = reinterpret_cast<char*>(d) + sizeof(DROPFILES);
  for (const auto& f : files) {
    std::memcpy(p, f.c_str(), f.size() + 1);
    p += f.size() + 1;
  }
  GlobalUnlock(g);
  return g;
}

db::TClientDataSet& Table() { return dModule->cdsMain(); }

struct Dialog {
  HWND wnd = nullptr;
  HWND artist, title, album, lyric, song, ok, abort;
};

Dialog WaitDialog() {
  Dialog d;
  d.wnd = WaitTopWindow("TfrmAlterData");
  if (!d.wnd) return d;
  OnUi([&] {
    auto* f = static_cast<TfrmAlterData*>(TWinControl::FindControl(d.wnd));
    d.artist = f->dbedtArtist->Handle(), d.title = f->dbedtTitle->Handle();
    d.album = f->dbedtAlbum->Handle(), d.lyric = f->dbmLyric->Handle();
    d.song = f->dbedtSongFileName->Handle(), d.ok = f->btnOk->Handle();
    d.abort = f->btnCancel->Handle();
  });
  return d;
}

void WaitGone(HWND w) {
  for (int waited = 0; waited < kWaitMs && IsWindow(w); waited += 20) Sleep(20);
}

// The whole flow, run by the driver thread; failures are recorded by gtest.
void DriveFlow(const std::string& folder) {
  // Start-up: whatever the table file step reports goes to the error box; answer it.
  HWND main = nullptr;
  for (int waited = 0; waited < kWaitMs && !main; waited += 50) {
    if (FindWindowA("#32770", "Doziviz")) Answer("#32770", "OK");
    main = FindWindowA("TfrmMain", "Doziviz v1");
    if (main && !IsWindowVisible(main)) main = nullptr;
    Sleep(50);
  }
  ASSERT_TRUE(main) << "main window";
  EXPECT_TRUE(platform::DirectoryExists(folder + "\\Database"));
  EXPECT_TRUE(platform::DirectoryExists(folder + "\\Settings"));
  EXPECT_FALSE(platform::FileExists(folder + "\\Settings\\Doziviz.Settings"));

  HWND btnNew, btnEdit, btnDel, btnClose, search, field;
  OnUi([&] {
    btnNew = frmMain->btnNew->Handle(), btnEdit = frmMain->btnEdit->Handle();
    btnDel = frmMain->btnDel->Handle(), btnClose = frmMain->btnClose->Handle();
    search = frmMain->edtSearch->Handle(), field = frmMain->cbField->Handle();
  });
  if (!OnUiGet<bool>([] { return Table().Active(); })) {
    GTEST_SKIP() << "the lyrics table did not open";
  }

  // Insert three lyrics, the first one checked on the way: empty Title refused, Abort -> Cancel.
  const char* rows[][3] = {{"abc", "Song One", "Album A"},
                           {"ac", "Song Two", "Album B"},
                           {"Beatles", "Yesterday", "Help"}};
  for (int i = 0; i < 3; ++i) {
    Click(btnNew);
    Dialog d = WaitDialog();
    ASSERT_TRUE(d.wnd);
    EXPECT_EQ(WindowText(d.wnd), "Inserting new lyric");
    Type(d.artist, rows[i][0]);
    if (i == 0) {
      Click(d.ok);
      EXPECT_EQ(Answer("TMessageForm", "OK"), "The TITLE field must not be empty");
      EXPECT_TRUE(IsWindow(d.wnd));
      EXPECT_EQ(OnUiGet<HWND>([] { return GetFocus(); }), d.title);
      Click(d.abort);
      EXPECT_EQ(Answer("TMessageForm", "Cancel"), "Cancel lyric changes?");
      EXPECT_TRUE(IsWindowVisible(d.wnd));
      EXPECT_EQ(WindowText(d.artist), "abc");
    }
    Type(d.title, rows[i][1]);
    Type(d.album, rows[i][2]);
    Type(d.lyric, std::string("Lyric of ") + rows[i][1]);
    Click(d.ok);
    WaitGone(d.wnd);
  }
  EXPECT_EQ(OnUiGet<int>([] { return Table().RecordCount(); }), 3);

  // Search with "?" and "_" on Artist (chosen with the keyboard when start-up chose none).
  if (OnUiGet<int>([] { return frmMain->cbField->ItemIndex(); }) != 0) {
    Key(field, VK_HOME);
    OnUi([] {});
  }
  ASSERT_EQ(OnUiGet<int>([] { return frmMain->cbField->ItemIndex(); }), 0);
  Type(search, "?");
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().Filter(); }), "Artist like '%'");
  EXPECT_EQ(OnUiGet<int>([] { return Table().RecordCount(); }), 3);
  OnUi([] { frmMain->edtSearch->SetText(""); });
  Type(search, "a_c");
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().Filter(); }), "Artist like 'a_c%'");
  EXPECT_EQ(OnUiGet<int>([] { return Table().RecordCount(); }), 1);
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().FieldByName("Artist").AsString(); }), "abc");

  // Switch the field: setting written, search cleared, no filter.
  Key(field, VK_DOWN);
  OnUi([] {});
  EXPECT_EQ(OnUiGet<int>([] { return frmMain->cbField->ItemIndex(); }), 1);
  EXPECT_EQ(OnUiGet<std::string>([] { return ReadSetting("LyricSearch", "FieldIndex", "?"); }),
            "1");
  EXPECT_EQ(WindowText(search), "");
  EXPECT_FALSE(OnUiGet<bool>([] { return Table().Filtered(); }));

  // Edit: the dialog drops one file, then two files, then a folder.
  std::string song = folder + "\\song.txt";
  ASSERT_TRUE(platform::ReplaceFileAtomically(song, "la la", 5));
  Click(btnEdit);
  Dialog d = WaitDialog();
  ASSERT_TRUE(d.wnd);
  EXPECT_EQ(WindowText(d.wnd), "Editing lyric");
  PostMessageA(d.wnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({song})), 0);
  OnUi([] {});
  EXPECT_EQ(WindowText(d.song), song);
  PostMessageA(d.wnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({song, song})), 0);
  EXPECT_EQ(Answer("TMessageForm", "OK"), "Only one file can be dropped");
  EXPECT_EQ(WindowText(d.song), song);
  PostMessageA(d.wnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({folder})), 0);
  EXPECT_EQ(Answer("TMessageForm", "OK"), "Only file can be dropped");
  EXPECT_EQ(WindowText(d.song), "");
  PostMessageA(d.wnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({song})), 0);
  OnUi([] {});
  Click(d.ok);
  WaitGone(d.wnd);
  EXPECT_EQ(OnUiGet<std::string>([] { return Table().FieldByName("SongFileName").AsString(); }),
            song);

  // Play Song goes to the shell with the current record's file.
  std::string opened;
  OnUi([&] { ShellOpenFile = [&](HWND, const std::string& f) { opened = f; }; });
  OnUi([] { frmMain->PlaySong(); });
  EXPECT_EQ(opened, song);

  // Delete: No keeps the record, Yes deletes it.
  Click(btnDel);
  EXPECT_EQ(Answer("TMessageForm", "&No"), "Delete current Lyric?");
  EXPECT_EQ(OnUiGet<int>([] { return Table().RecordCount(); }), 3);
  Click(btnDel);
  EXPECT_EQ(Answer("TMessageForm", "&Yes"), "Delete current Lyric?");
  EXPECT_EQ(OnUiGet<int>([] { return Table().RecordCount(); }), 2);

  // rock 'n' roll: the filter error, the grid keeps every record.
  Key(field, VK_UP);  // back to Artist
  Type(search, "rock 'n' roll");
  std::string error;
  for (int quiet = 0; quiet < 5;) {  // one box per failing keystroke
    if (FindWindowA("#32770", "Doziviz")) {
      std::string text = Answer("#32770", "OK");
      if (text != "<no box>") error = text;
      quiet = 0;
    } else {
      Sleep(200);
      ++quiet;
    }
  }
  EXPECT_EQ(error, "Filter expression incorrectly terminated.");
  EXPECT_EQ(WindowText(search), "rock 'n' roll");
  EXPECT_EQ(OnUiGet<int>([] { return Table().RecordCount(); }), 2);

  // Close: No keeps running, Yes ends the loop.
  Click(btnClose);
  EXPECT_EQ(Answer("TMessageForm", "&No"), "Close Doziviz?");
  EXPECT_TRUE(IsWindowVisible(main));
  Click(btnClose);
  EXPECT_EQ(Answer("TMessageForm", "&Yes"), "Close Doziviz?");
}

// Runs the program in this process (the same steps as the entry) with the driver alongside.
void RunProgramWithDriver(const std::string& folder) {
  ui_thread = GetCurrentThreadId();
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // the UI thread's queue exists from here
  Application->Initialize();
  Application->Title = "Doziviz";
  Application->OnMessage = [](MSG& msg, bool& handled) {
    if (msg.hwnd == nullptr && msg.message == kTaskMessage) {
      auto* job = reinterpret_cast<std::pair<const std::function<void()>*, std::promise<void>*>*>(
          msg.lParam);
      (*job->first)();
      job->second->set_value();
      handled = true;
    }
  };
  Application->CreateForm(frmMain);
  Application->CreateForm(dModule);
  frmMain->BindDataSource(&dModule->cdsDataSource());
  std::thread driver([&] {
    DriveFlow(folder);
    // Whatever happened, end the run: answer what is up and confirm closing.
    for (int i = 0; i < 50 && FindWindowA("TfrmMain", nullptr); ++i) {
      if (FindWindowA("#32770", "Doziviz")) Answer("#32770", "OK");
      if (HWND box = FindWindowA("TMessageForm", "Doziviz")) {
        if (HWND yes = ChildByText(box, "&Yes"))
          Click(yes);
        else if (HWND ok = ChildByText(box, "OK"))
          Click(ok);
      } else if (HWND dlg = FindWindowA("TfrmAlterData", nullptr)) {
        PostMessageA(dlg, WM_CLOSE, 0, 0);
      } else if (HWND mainw = FindWindowA("TfrmMain", nullptr)) {
        PostMessageA(mainw, WM_CLOSE, 0, 0);
      }
      Sleep(200);
    }
  });
  Application->Run();
  // The data module's destroy event may report the shut-down save; answer it.
  driver.join();
}

std::string ModuleDirectory() { return ExeDirectory(); }

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

// The program in a fresh folder: this executable copies itself there and runs the flow in the
// copy (DZ_APP_FLOW set), so ExeDirectory() is the fresh folder.
TEST(ProgramFlow, DrivenAsAUserInAFreshFolder) {
  char flag[8] = {};
  if (GetEnvironmentVariableA("DZ_APP_FLOW", flag, sizeof flag) > 0) {
    RunProgramWithDriver(ModuleDirectory());
    return;
  }
  std::string folder = platform::TempPath() + "dzapp-" + platform::NewGuidString();
  ASSERT_TRUE(platform::CreateDirectory(folder));
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string copy = folder + "\\app_test.exe";
  ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
  SetEnvironmentVariableA("DZ_APP_FLOW", "1");
  std::string command = "\"" + copy + "\" --gtest_filter=ProgramFlow.*";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder.c_str(), &si, &pi));
  SetEnvironmentVariableA("DZ_APP_FLOW", nullptr);
  WaitForSingleObject(pi.hProcess, 300000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << "the flow in " << folder << " failed (see its output above)";
}
