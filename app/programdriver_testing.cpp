// The user-like driver of the end-to-end tests (see programdriver_testing.h).
#include "app/programdriver_testing.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "app/dMain.h"
#include "app/fMain.h"
#include "app/uFunctions.h"
#include "framework/application.h"
#include "framework/label.h"
#include "framework/msgdialog.h"
#include "platform/files.h"

using namespace framework;

namespace apptest {
namespace {

constexpr int kWaitMs = 10000;
constexpr UINT kTaskMessage = WM_APP + 0x77;  // to the task window: run a task
constexpr WPARAM kDetached = 1;               // a task nobody waits for
HWND task_window = nullptr;                   // message-only window of the UI thread

struct Job {
  const std::function<void()>* task;
  std::promise<void>* done;
};

LRESULT CALLBACK TaskWindowProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kTaskMessage && wparam == kDetached) {
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lparam));
    (*task)();
    return 0;
  }
  if (msg == kTaskMessage) {
    auto* job = reinterpret_cast<Job*>(lparam);
    (*job->task)();
    job->done->set_value();
    return 0;
  }
  return DefWindowProcA(wnd, msg, wparam, lparam);
}

HWND CreateTaskWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = TaskWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DzAppTestTasks";
  RegisterClassA(&wc);
  return CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                       nullptr);
}

std::string Env(const char* name) {
  char value[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The message of a system error box: its longest child text.
std::string ErrorBoxText(HWND box) {
  std::string text;
  EnumChildWindows(
      box,
      [](HWND w, LPARAM p) -> BOOL {
        auto* longest = reinterpret_cast<std::string*>(p);
        std::string t = WindowText(w);
        if (t.size() > longest->size()) *longest = t;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

// Ends a program run whatever state the flow left: answers boxes, closes dialogs, confirms
// closing the main window.
void FinishRun() {
  for (int i = 0; i < 100 && FindWindowA("TfrmMain", nullptr); ++i) {
    if (FindWindowA("#32770", "Doziviz")) {
      Answer("#32770", "OK");
    } else if (HWND box = FindWindowA("TMessageForm", "Doziviz")) {
      if (HWND yes = ChildByText(box, "&Yes"))
        Click(yes);
      else if (HWND ok = ChildByText(box, "OK"))
        Click(ok);
    } else if (HWND dlg = FindWindowA("TfrmAlterData", nullptr)) {
      PostMessageA(dlg, WM_CLOSE, 0, 0);
    } else if (HWND main = FindWindowA("TfrmMain", nullptr)) {
      PostMessageA(main, WM_CLOSE, 0, 0);
    }
    Sleep(200);
  }
  // The shut-down may still report (the save, the recovery file): answer until it is over.
  for (int i = 0; i < 10; ++i) {
    if (FindWindowA("#32770", "Doziviz")) Answer("#32770", "OK");
    if (HWND box = FindWindowA("TMessageForm", "Doziviz"))
      if (HWND ok = ChildByText(box, "OK")) Click(ok);
    Sleep(100);
  }
}

}  // namespace

void OnUi(const std::function<void()>& task) {
  std::promise<void> done;
  Job job{&task, &done};
  PostMessageA(task_window, kTaskMessage, 0, reinterpret_cast<LPARAM>(&job));
  done.get_future().wait();
}

db::TClientDataSet& Table() { return dModule->cdsMain(); }

std::string WindowText(HWND w) {
  char buffer[1024] = {};
  GetWindowTextA(w, buffer, sizeof buffer);
  return buffer;
}

HWND ChildByText(HWND parent, const char* text) {
  struct Search {
    const char* text;
    HWND found;
  } s{text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND wnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (WindowText(wnd) != s->text) return TRUE;
        s->found = wnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitTopWindow(const char* cls, const char* title) {
  for (int waited = 0; waited < kWaitMs; waited += 20) {
    HWND w = FindWindowA(cls, title);
    if (w && IsWindowVisible(w)) return w;
    Sleep(20);
  }
  return nullptr;
}

void WaitGone(HWND w) {
  for (int waited = 0; waited < kWaitMs && IsWindow(w); waited += 20) Sleep(20);
}

std::string Answer(const char* cls, const char* button) {
  HWND box = WaitTopWindow(cls, "Doziviz");
  if (!box) return "<no box>";
  std::string text;
  if (std::strcmp(cls, "TMessageForm") == 0) {
    // The program's message dialog: its text is a label painted by the form.
    OnUi([&] {
      if (auto* form = static_cast<TMessageForm*>(TWinControl::FindControl(box)))
        text = form->Message->Caption();
    });
  } else {
    text = ErrorBoxText(box);
  }
  HWND b = ChildByText(box, button);
  if (!b) return "<no button " + std::string(button) + ">";
  PostMessageA(b, BM_CLICK, 0, 0);
  for (int waited = 0; waited < kWaitMs && IsWindow(box) && IsWindowVisible(box); waited += 20)
    Sleep(20);
  return text;
}

std::vector<std::string> AnswerErrorBoxes() {
  std::vector<std::string> texts;
  for (int quiet = 0; quiet < 5;) {
    HWND box = FindWindowA("#32770", "Doziviz");
    if (box && IsWindowVisible(box)) {
      std::string text = Answer("#32770", "OK");
      if (text != "<no box>") texts.push_back(text);
      quiet = 0;
    } else {
      Sleep(200);
      ++quiet;
    }
  }
  return texts;
}

std::string BoxUp() {
  OnUi([] {});
  for (const char* cls : {"#32770", "TMessageForm"}) {
    HWND box = FindWindowA(cls, "Doziviz");
    if (box && IsWindowVisible(box)) return std::string(cls) + " " + ErrorBoxText(box);
  }
  return {};
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void Type(HWND edit, const std::string& text) {
  PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  for (char ch : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(ch), 1);
}

void Retype(HWND edit, const std::string& text) {
  PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  PostMessageA(edit, EM_SETSEL, 0, -1);
  for (char ch : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(ch), 1);
}

void ReplaceText(HWND edit, int from, int to, const std::string& text) {
  // EM_REPLACESEL carries a pointer, so it cannot be posted: the UI thread sends it, in a task
  // nobody waits for (the replacement may raise a modal box that the driver must answer).
  auto* task = new std::function<void()>([=] {
    SendMessageA(edit, EM_SETSEL, from, to);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  });
  PostMessageA(task_window, kTaskMessage, kDetached, reinterpret_cast<LPARAM>(task));
}

void Key(HWND w, WORD key) {
  PostMessageA(w, WM_KEYDOWN, key, 1);
  PostMessageA(w, WM_KEYUP, key, 0xC0000001);
}

void DoubleClick(HWND w, int x, int y) {
  LPARAM at = MAKELPARAM(x, y);
  PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(w, WM_LBUTTONUP, 0, at);
  PostMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(w, WM_LBUTTONUP, 0, at);
}

void DropFiles(HWND w, const std::vector<std::string>& files) {
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
  PostMessageA(w, WM_DROPFILES, reinterpret_cast<WPARAM>(g), 0);
}

MainWindow WaitMainWindow(std::vector<std::string>& startup_errors) {
  MainWindow m;
  // The first program start in a new Wine prefix builds Wine's font cache: allow it a minute.
  for (int waited = 0; waited < 6 * kWaitMs && !m.wnd; waited += 50) {
    HWND box = FindWindowA("#32770", "Doziviz");
    if (box && IsWindowVisible(box)) {
      if (startup_errors.empty()) Screenshot(box, "doziviz-startup-error");
      startup_errors.push_back(Answer("#32770", "OK"));
    }
    HWND w = FindWindowA("TfrmMain", "Doziviz v1");
    if (w && IsWindowVisible(w)) m.wnd = w;
    Sleep(50);
  }
  if (!m.wnd) return m;
  // The show event may still be reporting.
  for (const std::string& text : AnswerErrorBoxes()) startup_errors.push_back(text);
  OnUi([&] {
    m.btnNew = frmMain->btnNew->Handle(), m.btnEdit = frmMain->btnEdit->Handle();
    m.btnDel = frmMain->btnDel->Handle(), m.btnPlay = frmMain->btnPlay->Handle();
    m.btnClose = frmMain->btnClose->Handle(), m.search = frmMain->edtSearch->Handle();
    m.field = frmMain->cbField->Handle(), m.grid = frmMain->dbgrdLyrics->Handle();
  });
  return m;
}

std::vector<std::string> GridColumn(int col) {
  std::vector<std::string> texts;
  OnUi([&] {
    for (int row = 0; row < 50; ++row) {
      std::string text = frmMain->dbgrdLyrics->CellText(col, row);
      if (text.empty()) break;
      texts.push_back(text);
    }
  });
  return texts;
}

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

void InsertLyric(const MainWindow& m, const std::string& artist, const std::string& title,
                 const std::string& album, const std::string& lyric) {
  Click(m.btnNew);
  Dialog d = WaitDialog();
  ASSERT_TRUE(d.wnd) << "editor dialog for " << artist;
  Type(d.artist, artist);
  Type(d.title, title);
  Type(d.album, album);
  Type(d.lyric, lyric);
  Click(d.ok);
  WaitGone(d.wnd);
}

void Screenshot(HWND w, const std::string& name) {
  std::string dir = Env("DZ_SCREENSHOT_DIR");
  if (dir.empty() || !w) return;
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  Sleep(500);  // let the UI thread paint
  RECT r;
  GetWindowRect(w, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int stride = (width * 3 + 3) & ~3;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * height;
  std::vector<uint8_t> bytes(file.bfSize);
  std::memcpy(bytes.data(), &file, sizeof file);
  std::memcpy(bytes.data() + sizeof file, &info.bmiHeader, sizeof(BITMAPINFOHEADER));
  std::memcpy(bytes.data() + file.bfOffBits, bits, static_cast<size_t>(stride) * height);
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(
      platform::ReplaceFileAtomically(dir + "\\" + name + ".bmp", bytes.data(), bytes.size()))
      << name;
}

std::vector<std::pair<DWORD, std::string>> Processes() {
  std::vector<std::pair<DWORD, std::string>> list;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return list;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    std::string name = entry.szExeFile;
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    list.emplace_back(entry.th32ProcessID, Lower(name));
  }
  CloseHandle(snapshot);
  return list;
}

std::string ChildFlow() { return Env("DZ_APP_FLOW"); }

void RunProgramWithDriver(const std::function<void()>& drive) {
  task_window = CreateTaskWindow();
  ASSERT_TRUE(task_window);
  // The same steps as the program entry.
  Application->Initialize();
  Application->Title = "Doziviz";
  Application->CreateForm(frmMain);
  Application->CreateForm(dModule);
  frmMain->BindDataSource(&dModule->cdsDataSource());
  std::thread driver([&] {
    drive();
    FinishRun();
  });
  Application->Run();
  // The data module's destroy event may report the shut-down save: the driver answers it.
  driver.join();
  DestroyWindow(task_window);
}

bool RunFlowInFolder(const std::string& folder, const std::string& flow) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string copy = folder + "\\app_test.exe";
  if (!platform::FileExists(copy) && !CopyFileA(self, copy.c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy the test program to " << copy;
    return false;
  }
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string command =
      "\"" + copy + "\" --gtest_filter=" + test->test_suite_name() + "." + test->name();
  SetEnvironmentVariableA("DZ_APP_FLOW", flow.c_str());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &si, &pi);
  SetEnvironmentVariableA("DZ_APP_FLOW", nullptr);
  if (!started) {
    ADD_FAILURE() << "cannot start " << command;
    return false;
  }
  DWORD code = 1;
  if (WaitForSingleObject(pi.hProcess, 300000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  else
    TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << "program run '" << flow << "' in " << folder << " failed (see above)";
  return code == 0;
}

std::string NewProgramFolder() {
  std::string folder = platform::TempPath() + "dzapp-" + platform::NewGuidString();
  EXPECT_TRUE(platform::CreateDirectory(folder)) << folder;
  return folder;
}

}  // namespace apptest
