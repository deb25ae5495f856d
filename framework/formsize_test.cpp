// A form's size constraints (SetBounds, WM_GETMINMAXINFO, a resize by the window manager and
// a user's drag of the sizing corner) and its own icon beside the application's.
#include <gtest/gtest.h>

#include "framework/bitmap.h"
#include "framework/form.h"
#include "framework/gui_testing.h"

namespace framework {
namespace {

using guitest::Pump;

SIZE WindowSize(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// The form's answer to WM_GETMINMAXINFO when the system proposes small tracking minima and
// large maxima.
MINMAXINFO MinMaxAnswer(TForm& form) {
  MINMAXINFO info{};
  info.ptMinTrackSize = {11, 12};
  info.ptMaxTrackSize = {3000, 3000};
  info.ptMaxSize = {2000, 2000};
  SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  return info;
}

TEST(FormConstraints, SetBoundsAndTheMinMaxAnswerFollowTheLimits) {
  TForm form(nullptr);
  form.SetConstraints({200, 150, 400, 300});
  form.SetBounds(10, 10, 100, 100);
  EXPECT_EQ(form.Width(), 200);
  EXPECT_EQ(form.Height(), 150);
  form.SetBounds(10, 10, 500, 500);
  EXPECT_EQ(form.Width(), 400);
  EXPECT_EQ(form.Height(), 300);

  MINMAXINFO info = MinMaxAnswer(form);
  EXPECT_EQ(info.ptMinTrackSize.x, 200);
  EXPECT_EQ(info.ptMinTrackSize.y, 150);
  EXPECT_EQ(info.ptMaxTrackSize.x, 400);
  EXPECT_EQ(info.ptMaxTrackSize.y, 300);
  EXPECT_EQ(info.ptMaxSize.x, 400);  // maximised, too

  // Only the limits that are set replace the system's answer.
  form.SetConstraints({0, 160, 0, 0});
  info = MinMaxAnswer(form);
  EXPECT_EQ(info.ptMinTrackSize.x, 11);
  EXPECT_EQ(info.ptMinTrackSize.y, 160);
  EXPECT_EQ(info.ptMaxTrackSize.x, 3000);

  // New limits apply at once to a window outside them.
  form.SetConstraints({450, 0, 0, 0});
  EXPECT_EQ(WindowSize(form.Handle()).cx, 450);
  EXPECT_EQ(form.Width(), 450);
}

TEST(FormConstraints, AResizeByTheWindowManagerStopsAtTheLimits) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 300, 250);
  form.SetConstraints({200, 150, 400, 320});
  form.Show();
  Pump();
  SetWindowPos(form.Handle(), nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(WindowSize(form.Handle()).cx, 200);
  EXPECT_EQ(WindowSize(form.Handle()).cy, 150);
  EXPECT_EQ(form.Width(), 200);
  EXPECT_EQ(form.Height(), 150);
  SetWindowPos(form.Handle(), nullptr, 0, 0, 900, 900, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(WindowSize(form.Handle()).cx, 400);
  EXPECT_EQ(WindowSize(form.Handle()).cy, 320);
}

void MouseButton(DWORD flag) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flag;
  SendInput(1, &input, sizeof input);
}

// Drags the bottom-right sizing corner of `form` to screen point `to` as a user would: the
// button goes down on the corner, the system's sizing loop runs, a timer moves the mouse and
// lets go.
SIZE DragCornerTo(TForm& form, POINT to) {
  RECT r;
  GetWindowRect(form.Handle(), &r);
  POINT corner{r.right - 2, r.bottom - 2};
  EXPECT_EQ(SendMessageA(form.Handle(), WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)),
            HTBOTTOMRIGHT);
  SetCursorPos(corner.x, corner.y);
  Pump();
  int step = 0;
  guitest::TimerAction drag([&] {
    switch (step++) {
      case 0:
        SetCursorPos(to.x, to.y);
        return false;
      case 1:
        SetCursorPos(to.x + 1, to.y + 1);
        return false;
      default:
        MouseButton(MOUSEEVENTF_LEFTUP);
        return true;
    }
  });
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  for (int i = 0; i < 100 && !drag.Done(); ++i) Pump(20);
  Pump();
  EXPECT_TRUE(drag.Done());
  return WindowSize(form.Handle());
}

TEST(FormConstraints, AUserDraggingTheSizingCornerStopsAtTheLimits) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 300, 250);
  form.SetConstraints({200, 150, 400, 320});
  form.Show();
  Pump(100);
  SIZE small = DragCornerTo(form, {110, 110});
  EXPECT_EQ(small.cx, 200);
  EXPECT_EQ(small.cy, 150);
  // Wine's sizing loop keeps the mouse one pixel inside the maximum.
  SIZE large = DragCornerTo(form, {900, 900});
  EXPECT_NEAR(large.cx, 400, 1);
  EXPECT_NEAR(large.cy, 320, 1);
  EXPECT_EQ(form.Width(), large.cx);
}

HICON WindowIcon(TForm& form, WPARAM which) {
  return reinterpret_cast<HICON>(SendMessageA(form.Handle(), WM_GETICON, which, 0));
}

TEST(FormIcon, EachFormShowsItsOwnIconOrElseTheApplications) {
  HICON app = LoadIcon(nullptr, IDI_WARNING);
  HICON question = LoadIcon(nullptr, IDI_QUESTION);
  HICON error = LoadIcon(nullptr, IDI_ERROR);
  Application->SetIcon(app);
  TForm a(nullptr), b(nullptr);
  a.Icon().LoadSystem(IDI_QUESTION);  // before the window exists
  a.HandleNeeded();
  b.HandleNeeded();
  EXPECT_EQ(WindowIcon(a, ICON_BIG), question);
  EXPECT_EQ(WindowIcon(a, ICON_SMALL), question);
  EXPECT_EQ(WindowIcon(b, ICON_BIG), app);
  b.Icon().LoadSystem(IDI_ERROR);  // after: the window follows
  EXPECT_EQ(WindowIcon(b, ICON_SMALL), error);
  EXPECT_EQ(WindowIcon(a, ICON_BIG), question);
  a.Icon().SetHandle(nullptr, false);  // empty again: the application's
  EXPECT_EQ(WindowIcon(a, ICON_BIG), app);
  Application->SetIcon(nullptr);
}

}  // namespace
}  // namespace framework
