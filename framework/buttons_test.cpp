// Check boxes and radio buttons (state kept across the window's life, clicks, radio groups),
// and speed buttons: the hot frame of a flat one, clicks, and a wrapper that repaints it on
// mouse enter through its canvas outside painting.
#include <gtest/gtest.h>

#include "framework/checkbox.h"
#include "framework/gui_testing.h"
#include "framework/speedbutton.h"
#include "framework/subclass.h"

namespace framework {
namespace {

using guitest::Pump;

TEST(CheckBoxes, StateBeforeTheWindowClicksAndRadioGroups) {
  TForm form(nullptr);
  auto* check = new TCheckBox(&form);
  check->SetParent(&form);
  check->SetChecked(true);  // no window yet
  auto* r1 = new TRadioButton(&form);
  r1->SetParent(&form);
  auto* r2 = new TRadioButton(&form);
  r2->SetParent(&form);
  r2->SetTop(30);
  int clicks = 0;
  check->OnClick = [&](TObject*) { ++clicks; };
  form.Show();
  Pump();
  EXPECT_EQ(SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(check->Checked());
  EXPECT_EQ(clicks, 1);
  check->SetChecked(true);  // by program: no click
  EXPECT_EQ(clicks, 1);

  r1->SetChecked(true);
  SendMessageA(r2->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked());
  r1->SetChecked(true);  // by program, too
  EXPECT_FALSE(r2->Checked());
  EXPECT_EQ(guitest::WindowClass(check->Handle()), "TCheckBox");
}

COLORREF ScreenPixel(HWND wnd, int x, int y) {
  WindowDC dc(wnd);
  return GetPixel(dc.Get(), x, y);
}

class SpeedButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(60, 60, 200, 120);
    form->SetColor(clBtnFace);
    button = new TSpeedButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(20, 20, 40, 30);
    button->SetFlat(true);
    form->Show();
    Pump(50);
  }
  // The mouse to client point (x, y): the cursor itself, so no leave is reported meanwhile.
  void MoveTo(int x, int y) {
    POINT p{x, y};
    ClientToScreen(form->Handle(), &p);
    SetCursorPos(p.x, p.y);
    PostMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  }
  std::unique_ptr<TForm> form;
  TSpeedButton* button = nullptr;
};

TEST_F(SpeedButtons, AFlatButtonIsFramedOnlyWhileTheMouseIsOverIt) {
  HWND wnd = form->Handle();
  COLORREF face = ColorToRGB(clBtnFace);
  EXPECT_EQ(ScreenPixel(wnd, 20, 20), face);
  MoveTo(30, 30);
  Pump(50);
  EXPECT_TRUE(button->MouseInControl());
  EXPECT_EQ(ScreenPixel(wnd, 20, 20), ColorToRGB(clBtnHighlight));  // raised edge
  MoveTo(150, 60);
  Pump(50);
  EXPECT_FALSE(button->MouseInControl());
  EXPECT_EQ(ScreenPixel(wnd, 20, 20), face);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  guitest::ClickAt(wnd, 30, 30);
  EXPECT_EQ(clicks, 1);
}

TEST_F(SpeedButtons, AWrapperPaintsOnTheCanvasOnMouseEnterAndItsDcIsReleased) {
  HWND wnd = form->Handle();
  long dcs = LiveHandles(HandleKind::Dc);
  COLORREF inside = 0, corner = 0, outside_left = 0, outside_right = 0;
  long dcs_while_painting = 0;
  TWindowProcHook hook;
  ASSERT_TRUE(hook.Install(*button, [&](TMessage& m, const TWndMethod& previous) {
    previous(m);
    if (m.Msg != CM_MOUSEENTER || m.LParam != 0) return;
    TCanvas& canvas = button->Canvas();  // not inside WM_PAINT
    canvas.Brush().SetColor(clRed);
    canvas.FillRect({-5, -5, 100, 100});  // clipped to the button
    dcs_while_painting = LiveHandles(HandleKind::Dc);
    inside = ScreenPixel(wnd, 25, 25);
    corner = ScreenPixel(wnd, 59, 49);
    outside_left = ScreenPixel(wnd, 19, 19);
    outside_right = ScreenPixel(wnd, 60, 50);
  }));
  MoveTo(30, 30);
  Application->ProcessMessages();
  EXPECT_EQ(inside, ColorToRGB(clRed));
  EXPECT_EQ(corner, ColorToRGB(clRed));
  EXPECT_NE(outside_left, ColorToRGB(clRed));
  EXPECT_NE(outside_right, ColorToRGB(clRed));
  EXPECT_GT(dcs_while_painting, dcs);
  EXPECT_EQ(LiveHandles(HandleKind::Dc), dcs);  // released once the message was handled
}

}  // namespace
}  // namespace framework
