// The message dialog: captions, button order and metrics, Enter/Esc defaults, the close
// result and the Ctrl+C text.
#include <gtest/gtest.h>

#include <memory>

#include "framework/button.h"
#include "framework/gui_testing.h"
#include "framework/label.h"
#include "framework/msgdialog.h"
#include "framework/screen.h"

namespace framework {
namespace {

using guitest::TimerAction;

TButton* ButtonNamed(TForm& f, const char* name) {
  return dynamic_cast<TButton*>(f.FindComponent(name));
}

// Shows the dialog modally and, once it is up, runs `act` on it; returns the modal result.
int ShowAndAct(TMessageForm& dialog, std::function<void(TMessageForm&)> act) {
  TimerAction timer([&] {
    if (!dialog.HandleAllocated() || !IsWindowVisible(dialog.Handle())) return false;
    act(dialog);
    return true;
  });
  return dialog.ShowModal();
}

void PostKey(WORD key) {
  PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
  PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
}

TEST(MessageDialog, KindsGiveCaptionsAndButtonsComeInFixedOrder) {
  struct Case {
    TMsgDlgType type;
    const char* caption;
  } cases[] = {{mtWarning, "Warning"},
               {mtError, "Error"},
               {mtInformation, "Information"},
               {mtConfirmation, "Confirm"}};
  for (const Case& c : cases) {
    std::unique_ptr<TMessageForm> d(CreateMessageDialog("x", c.type, MsgDlgButtons({mbOK})));
    EXPECT_EQ(d->Caption(), c.caption);
    EXPECT_NE(d->FindComponent("Image"), nullptr);
  }
  Application->Title = "Doziviz";
  std::unique_ptr<TMessageForm> custom(CreateMessageDialog("x", mtCustom, MsgDlgButtons({mbOK})));
  EXPECT_EQ(custom->Caption(), "Doziviz");
  EXPECT_EQ(custom->FindComponent("Image"), nullptr);

  // All buttons given in reverse: they still appear Yes, No, OK, Cancel, ... Help.
  std::unique_ptr<TMessageForm> d(
      CreateMessageDialog("Delete current Lyric?", mtConfirmation,
                          MsgDlgButtons({mbHelp, mbYesToAll, mbNoToAll, mbAll, mbIgnore, mbRetry,
                                         mbAbort, mbCancel, mbOK, mbNo, mbYes})));
  const char* names[] = {"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                         "Ignore", "All", "NoToAll", "YesToAll", "Help"};
  const char* captions[] = {"&Yes",    "&No",  "OK",         "Cancel",      "&Abort", "&Retry",
                            "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"};
  int results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
  int last_left = -1;
  for (int i = 0; i < 11; ++i) {
    TButton* b = ButtonNamed(*d, names[i]);
    ASSERT_NE(b, nullptr) << names[i];
    EXPECT_EQ(b->Caption(), captions[i]);
    EXPECT_EQ(b->ModalResult, results[i]);
    EXPECT_GT(b->Left(), last_left);
    last_left = b->Left();
  }
}

TEST(MessageDialog, LayoutFollowsDialogUnitsOfTheMessageFont) {
  std::unique_ptr<TMessageForm> d(
      CreateMessageDialog("Close Doziviz?", mtConfirmation, MsgDlgButtons({mbYes, mbNo})));
  EXPECT_EQ(guitest::WindowClass(d->Handle()), "TMessageForm");
  // Dialog units from the form's font, measured here independently.
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, d->Font().Handle());
  SIZE s;
  GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int ux = s.cx / 52, uy = s.cy;
  TButton* yes = ButtonNamed(*d, "Yes");
  TButton* no = ButtonNamed(*d, "No");
  EXPECT_EQ(yes->Width(), MulDiv(50, ux, 4));
  EXPECT_EQ(yes->Height(), MulDiv(14, uy, 8));
  EXPECT_EQ(no->Left() - (yes->Left() + yes->Width()), MulDiv(4, ux, 4));
  // The row is centred; the icon is at the top left margin; the text right of it.
  int group = no->Left() + no->Width() - yes->Left();
  EXPECT_EQ(yes->Left(), (d->ClientWidth() - group) / 2);
  TControl* image = dynamic_cast<TControl*>(d->FindComponent("Image"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Left(), MulDiv(8, ux, 4));
  EXPECT_EQ(image->Top(), MulDiv(8, uy, 8));
  EXPECT_EQ(d->Message->Left(), image->Left() + 32 + MulDiv(10, ux, 4));
  // The text block is at least 32 pixels high with an icon; buttons sit 10 units below it.
  EXPECT_EQ(yes->Top(), MulDiv(8, uy, 8) + 32 + MulDiv(10, uy, 8));
  EXPECT_EQ(d->ClientHeight(), yes->Top() + yes->Height() + MulDiv(8, uy, 8));
  // Centred on the screen.
  EXPECT_EQ(d->Left(), Screen->Width() / 2 - d->Width() / 2);
  // A long text wraps at half the screen's width.
  std::unique_ptr<TMessageForm> wide(CreateMessageDialog(
      [] {
        std::string words;
        for (int i = 0; i < 200; ++i) words += "lyric ";
        return words;
      }(),
      mtError, MsgDlgButtons({mbOK})));
  EXPECT_LE(wide->Message->Width(), Screen->Width() / 2);
  // A caption wider than 50 units widens every button to caption + 8.
  std::unique_ptr<TMessageForm> all(
      CreateMessageDialog("x", mtError, MsgDlgButtons({mbOK, mbYesToAll})));
  EXPECT_EQ(ButtonNamed(*all, "OK")->Width(), ButtonNamed(*all, "YesToAll")->Width());
}

TEST(MessageDialog, EnterEscAndCloseGiveTheSpecifiedResults) {
  auto run = [](TMsgDlgButtons buttons, std::function<void(TMessageForm&)> act) {
    std::unique_ptr<TMessageForm> d(CreateMessageDialog("q", mtConfirmation, buttons));
    return ShowAndAct(*d, act);
  };
  auto enter = [](TMessageForm&) { PostKey(VK_RETURN); };
  auto esc = [](TMessageForm&) { PostKey(VK_ESCAPE); };
  auto close = [](TMessageForm& d) { PostMessageA(d.Handle(), WM_CLOSE, 0, 0); };
  TMsgDlgButtons yes_no = MsgDlgButtons({mbYes, mbNo});
  TMsgDlgButtons yes_cancel = MsgDlgButtons({mbYes, mbCancel});
  TMsgDlgButtons ok = MsgDlgButtons({mbOK});
  TMsgDlgButtons ari = MsgDlgButtons({mbAbort, mbRetry, mbIgnore});
  EXPECT_EQ(run(yes_no, enter), mrYes);
  EXPECT_EQ(run(yes_no, esc), mrNo);
  EXPECT_EQ(run(yes_no, close), 2);
  EXPECT_EQ(run(yes_cancel, enter), mrYes);
  EXPECT_EQ(run(yes_cancel, esc), mrCancel);
  EXPECT_EQ(run(ok, enter), mrOk);
  EXPECT_EQ(run(ok, esc), mrOk);
  EXPECT_EQ(run(ok, close), 2);
  EXPECT_EQ(run(ari, enter), mrRetry);
  // Without Cancel, No or OK, Esc presses nothing: only the close that follows ends it.
  EXPECT_EQ(run(ari,
                [](TMessageForm& d) {
                  PostKey(VK_ESCAPE);
                  PostMessageA(d.Handle(), WM_CLOSE, 0, 0);
                }),
            2);
}

TEST(MessageDialog, ClickingAButtonReturnsItsResult) {
  std::unique_ptr<TMessageForm> d(
      CreateMessageDialog("q", mtConfirmation, MsgDlgButtons({mbYes, mbNo})));
  int r = ShowAndAct(
      *d, [](TMessageForm& f) { PostMessageA(ButtonNamed(f, "No")->Handle(), BM_CLICK, 0, 0); });
  EXPECT_EQ(r, mrNo);
}

TEST(MessageDialog, CtrlCCopiesTheDialogAsText) {
  std::unique_ptr<TMessageForm> d(
      CreateMessageDialog("Close Doziviz?", mtConfirmation, MsgDlgButtons({mbYes, mbNo})));
  d->SetCaption("Doziviz");
  std::string clip;
  ShowAndAct(*d, [&](TMessageForm&) {
    guitest::HoldKeys(false, true);
    SendMessageA(GetFocus(), WM_KEYDOWN, 'C', 1);
    guitest::HoldKeys(false, false);
    if (OpenClipboard(nullptr)) {
      if (HANDLE h = GetClipboardData(CF_TEXT)) {
        clip = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
      }
      CloseClipboard();
    }
    PostKey(VK_ESCAPE);
  });
  const std::string divider = "---------------------------\r\n";
  EXPECT_EQ(clip, divider + "Doziviz\r\n" + divider + "Close Doziviz?\r\n" + divider +
                      "Yes   No   \r\n" + divider);
}

}  // namespace
}  // namespace framework
