// The error box: exceptions escaping event handlers are shown in a system message box with
// the application title, and the program carries on; the silent abort shows nothing.
#include <gtest/gtest.h>

#include <memory>

#include "framework/button.h"
#include "framework/datamodule.h"
#include "framework/gui_testing.h"
#include "framework/msgdialog.h"
#include "platform/exceptions.h"

namespace framework {
namespace {

using guitest::Pump;
using guitest::TimerAction;

TEST(ErrorBoxText, AppendsAFullStopWhenTheLastByteSortsAfterIt) {
  EXPECT_EQ(ErrorBoxText("Song file doesn't exist"), "Song file doesn't exist.");
  EXPECT_EQ(ErrorBoxText("Already ends."), "Already ends.");
  EXPECT_EQ(ErrorBoxText(""), "");
  EXPECT_EQ(ErrorBoxText("Expression expected but 'like' found"),
            "Expression expected but 'like' found.");
  EXPECT_EQ(ErrorBoxText("Bang!"), "Bang!");      // '!' sorts before '.'
  EXPECT_EQ(ErrorBoxText("(group)"), "(group)");  // ')' too
  EXPECT_EQ(ErrorBoxText("dir/"), "dir/.");       // '/' after
  EXPECT_EQ(ErrorBoxText("file 5"), "file 5.");
  EXPECT_EQ(ErrorBoxText("caf\xE9"), "caf\xE9.");  // bytes above 127 sort after
}

struct BoxSeen {
  int count = 0;
  std::string text, caption;
  HWND owner = nullptr;
  UINT icon_style = 0;
};

// Closes every system message box of this thread with OK, recording what it showed.
struct BoxCloser {
  explicit BoxCloser(BoxSeen& seen)
      : timer([&seen] {
          struct Find {
            HWND box = nullptr;
          } find;
          EnumThreadWindows(
              GetCurrentThreadId(),
              [](HWND w, LPARAM p) -> BOOL {
                if (IsWindowVisible(w) && guitest::WindowClass(w) == "#32770") {
                  reinterpret_cast<Find*>(p)->box = w;
                  return FALSE;
                }
                return TRUE;
              },
              reinterpret_cast<LPARAM>(&find));
          if (find.box) {
            ++seen.count;
            seen.text = guitest::MessageBoxText(find.box);
            seen.caption = guitest::WindowText(find.box);
            seen.owner = GetWindow(find.box, GW_OWNER);
            PostMessageA(find.box, WM_COMMAND, IDOK, 0);
          }
          return false;
        }) {}
  TimerAction timer;
};

class ErrorBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Title = "Doziviz";
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 300, 200);
    button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 10, 80, 24);
    button->SetCaption("Go");
    form->Show();
    Pump();
  }
  void Click() {
    PostMessageA(button->Handle(), BM_CLICK, 0, 0);
    Pump(400);
  }
  std::unique_ptr<TForm> form;
  TButton* button = nullptr;
  BoxSeen seen;
};

TEST_F(ErrorBoxTest, ExceptionInClickHandlerIsShownAndTheProgramGoesOn) {
  int clicks = 0, after_throw = 0;
  button->OnClick = [&](TObject*) {
    ++clicks;
    if (clicks == 1) throw Exception("Cannot perform this operation on a closed dataset");
    ++after_throw;
  };
  BoxCloser closer(seen);
  Click();
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.text, "Cannot perform this operation on a closed dataset.");
  EXPECT_EQ(seen.caption, "Doziviz");
  EXPECT_EQ(seen.owner, form->Handle());
  // The program carries on: the next click runs the handler to its end.
  Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(after_throw, 1);
  EXPECT_EQ(seen.count, 1);
}

TEST_F(ErrorBoxTest, SilentAbortShowsNothing) {
  int clicks = 0;
  button->OnClick = [&](TObject*) {
    ++clicks;
    Abort();
  };
  BoxCloser closer(seen);
  Click();
  Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(seen.count, 0);
}

TEST_F(ErrorBoxTest, ExceptionsInShowAndDestroyEventsAreReported) {
  BoxCloser closer(seen);
  auto other = std::make_unique<TForm>(nullptr);
  other->OnShow = [](TObject*) { throw Exception("show failed"); };
  other->Show();
  Pump(300);
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.text, "show failed.");
  EXPECT_TRUE(IsWindowVisible(other->Handle()));  // the form is shown all the same

  auto* module = new TDataModule(nullptr);
  module->OnDestroy = [](TObject*) { throw std::runtime_error("Unable to write to C:\\x"); };
  delete module;
  Pump(300);
  EXPECT_EQ(seen.count, 2);
  EXPECT_EQ(seen.text, "Unable to write to C:\\x.");
}

TEST_F(ErrorBoxTest, OnExceptionReplacesTheBox) {
  std::string reported;
  Application->OnException = [&](TObject* sender, const std::exception& e) {
    reported = std::string(sender->ClassName()) + ":" + e.what();
  };
  button->OnClick = [](TObject*) { throw Exception("x"); };
  BoxCloser closer(seen);
  Click();
  Application->OnException = nullptr;
  EXPECT_EQ(reported, "TForm:x");
  EXPECT_EQ(seen.count, 0);
}

// The colour at the left end of a top-level window's caption bar, as drawn on screen.
COLORREF CaptionColour(HWND wnd) {
  RECT window;
  GetWindowRect(wnd, &window);
  POINT client{0, 0};
  ClientToScreen(wnd, &client);
  HDC dc = GetWindowDC(wnd);
  int frame = client.x - window.left;
  COLORREF colour = GetPixel(dc, frame + 1, (client.y - window.top + frame) / 2);
  ReleaseDC(wnd, dc);
  return colour;
}

// A program's first window may be an error box from its main form's show event (a damaged
// table file): it comes up as the active window, as any message box of a started program.
TEST(StartUpErrorBox, ComesUpActiveBeforeAnyWindowOfTheProgramWasShown) {
  Application->Title = "Doziviz";
  SetForegroundWindow(GetDesktopWindow());  // as at a start: no window of ours has been active
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(100, 100, 300, 200);
  main->OnShow = [](TObject*) { throw Exception("Mismatch in datapacket"); };
  HWND box = nullptr, foreground = nullptr;
  COLORREF caption = CLR_INVALID;
  int ticks = 0;
  TimerAction answer([&] {
    if (!box) {
      box = FindWindowA("#32770", "Doziviz");
      return false;
    }
    if (++ticks < 10) return false;  // the box's own loop paints it meanwhile
    foreground = GetForegroundWindow();
    caption = CaptionColour(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
    return true;
  });
  Application->Run();
  Application->DestroyForms();
  Application->Initialize();
  ASSERT_TRUE(box);
  EXPECT_EQ(foreground, box);
  EXPECT_EQ(caption, GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_NE(caption, GetSysColor(COLOR_INACTIVECAPTION));
}

// After the loop has ended the application frees its modules; one whose save fails reports it
// (the error box) and tells where the work went instead (a message box). Both stay up until
// the user answers them.
TEST(ShutDownBoxes, StayUpUntilAnswered) {
  Application->Title = "Doziviz";
  TForm* main = nullptr;
  Application->CreateForm(main);
  TDataModule* module = nullptr;
  Application->CreateForm(module);
  int answer = -1;
  module->OnDestroy = [&](TObject*) {
    Application->ShowException(Exception("Unable to write to C:\\x"));
    answer = MessageDlg("Saved to a recovery file", mtInformation, MsgDlgButtons({mbOK}));
  };
  // Closes the main window, then answers each box once it has been up for a while.
  int error_box_ticks = 0, message_box_ticks = 0;
  bool closed = false;
  TimerAction user([&] {
    if (!closed) {
      closed = PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
      return false;
    }
    if (HWND box = FindWindowA("#32770", "Doziviz"); box && IsWindowVisible(box)) {
      if (++error_box_ticks == 5) PostMessageA(box, WM_COMMAND, IDOK, 0);
      return false;
    }
    if (HWND box = FindWindowA("TMessageForm", nullptr); box && IsWindowVisible(box)) {
      if (++message_box_ticks == 5)
        PostMessageA(FindWindowExA(box, nullptr, "TButton", "OK"), BM_CLICK, 0, 0);
      return false;
    }
    return answer != -1;
  });
  Application->Run();
  Application->Initialize();
  EXPECT_GE(error_box_ticks, 5);
  EXPECT_GE(message_box_ticks, 5);
  EXPECT_EQ(answer, mrOk);
}

}  // namespace
}  // namespace framework
