// A form's main menu and a control's popup menu driven as a user does: the bar keeps the
// client height, Alt+letter opens a menu whose letter runs an item, a shortcut typed in an
// edit runs its item (and the edit never sees the key), a right click pops the menu up.
#include <gtest/gtest.h>

#include <memory>

#include "framework/edit.h"
#include "framework/form.h"
#include "framework/gui_testing.h"
#include "framework/menus.h"
#include "framework/panel.h"

namespace framework::testing {
namespace {

using guitest::Pump;

TMenuItem* AddItem(TComponent* owner, TMenuItem& parent, const char* caption, int* clicks) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  if (clicks) item->OnClick = [clicks](TObject*) { ++*clicks; };
  parent.Add(item);
  return item;
}

struct MenuForm {
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TMainMenu* menu = new TMainMenu(form.get());
  TEdit* edit = new TEdit(form.get());
  TMenuItem* file = nullptr;
  int news = 0, opens = 0;

  MenuForm() {
    form->SetClientSize(320, 200);
    file = AddItem(form.get(), menu->Items(), "&File", nullptr);
    AddItem(form.get(), *file, "&New", &news)->SetShortCut(ShortCut('N', ssCtrl));
    AddItem(form.get(), *file, "&Open", &opens);
    edit->SetParent(form.get());
    edit->SetBounds(8, 8, 120, 21);
    form->SetMenu(menu);
    form->Show();
    Pump();
  }
};

TEST(FormMainMenu, TheMenuBarKeepsTheClientSizeAndFollowsTheProperty) {
  MenuForm f;
  EXPECT_EQ(GetMenu(f.form->Handle()), f.menu->Handle());
  EXPECT_EQ(f.menu->Window(), f.form->Handle());
  RECT client;
  GetClientRect(f.form->Handle(), &client);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_EQ(f.form->ClientHeight(), 200);
  EXPECT_EQ(f.form->ClientWidth(), 320);

  f.form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(f.form->Handle()), nullptr);
  EXPECT_EQ(f.form->ClientHeight(), 200);
  f.form->SetMenu(f.menu);
  EXPECT_EQ(GetMenu(f.form->Handle()), f.menu->Handle());
  // A freed menu is forgotten and leaves the window.
  delete f.menu;
  EXPECT_EQ(f.form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(f.form->Handle()), nullptr);
  EXPECT_EQ(f.form->ClientHeight(), 200);
}

TEST(FormMainMenu, AltAndTheItemLettersRunTheItemFromTheKeyboard) {
  MenuForm f;
  f.edit->SetFocus();
  int popups = 0;
  HWND form_wnd = f.form->Handle();
  // The File menu pops up; its own loop then reads the letter of "&Open".
  f.file->OnClick = [&](TObject*) {
    if (++popups == 1) PostMessageA(form_wnd, WM_CHAR, 'o', 1);
  };
  PostMessageA(f.edit->Handle(), WM_SYSKEYDOWN, 'F', 0x20000001);
  PostMessageA(f.edit->Handle(), WM_SYSCHAR, 'f', 0x20000001);
  Pump(200);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(f.opens, 1);
  EXPECT_EQ(f.news, 0);
}

TEST(FormMainMenu, AShortcutTypedInAControlRunsTheItemInsteadOfTyping) {
  MenuForm f;
  f.edit->SetFocus();
  guitest::PressKey('N', false, true);
  EXPECT_EQ(f.news, 1);
  guitest::PressKey('N');  // no Ctrl: not the shortcut
  EXPECT_EQ(f.news, 1);
  // A disabled item's shortcut does nothing.
  f.file->Items(0)->SetEnabled(false);
  guitest::PressKey('N', false, true);
  EXPECT_EQ(f.news, 1);
}

TEST(ControlPopupMenu, ARightClickPopsUpTheControlsMenu) {
  auto form = std::make_unique<TForm>(nullptr);
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(10, 10, 100, 80);
  auto* popup = new TPopupMenu(form.get());
  int first = 0, second = 0;
  AddItem(form.get(), popup->Items(), "&First", &first);
  AddItem(form.get(), popup->Items(), "&Second", &second);
  popup->OnPopup = [](TObject*) {
    HWND target = TPopupMenu::PopupWindow();
    PostMessageA(target, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(target, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0);
  };
  panel->SetPopupMenu(popup);
  form->Show();
  Pump();
  PostMessageA(panel->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  PostMessageA(panel->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump(100);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(first, 0);
  delete popup;
  EXPECT_EQ(panel->PopupMenu(), nullptr);
}

}  // namespace
}  // namespace framework::testing
