// Menu tests: HMENUs built from item trees and kept in step, WM_COMMAND through a real window
// to OnClick, shortcuts, owner-draw measure/draw events from a real menu bar, popup menus
// chosen with the keyboard, and handle counts back at their baseline.
#include "framework/menus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/imagelist.h"

namespace framework {
namespace {

// A plain top-level window whose procedure hands menu messages to DispatchMenuMessage, as a
// form does.
LRESULT CALLBACK TestWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (DispatchMenuMessage(wnd, msg, wp, lp, result)) return result;
  return DefWindowProcA(wnd, msg, wp, lp);
}

HWND CreateTestWindow() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TMenuTestWindow";
    return RegisterClassA(&wc) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExA(0, "TMenuTestWindow", "menus", WS_OVERLAPPEDWINDOW, 50, 50, 400, 300,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

TMenuItem* NewItem(TComponent* owner, TMenuItem& parent, const std::string& caption) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  parent.Add(item);
  return item;
}

std::string MenuText(HMENU menu, int position) {
  char buffer[128] = {};
  GetMenuStringA(menu, position, buffer, sizeof buffer, MF_BYPOSITION);
  return buffer;
}

MENUITEMINFOA MenuInfo(HMENU menu, int position) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP | MIIM_DATA;
  EXPECT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &info));
  return info;
}

TEST(ShortCutTest, TextNamesModifiersInOrderThenTheKey) {
  EXPECT_EQ(ShortCutToText(ShortCut('S', ssCtrl)), "Ctrl+S");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, ssShift | ssCtrl)), "Shift+Ctrl+F5");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, ssAlt)), "Alt+Del");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_RETURN, 0)), "Enter");
  EXPECT_EQ(ShortCutToText(ShortCut('7', 0)), "7");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_LWIN, ssCtrl)), "");  // no name: no text
  EXPECT_EQ(ShortCutToText(scNone), "");
}

TEST(MenuTest, HandleHoldsTheVisibleItemsWithTheirTextsAndStates) {
  TComponent owner(nullptr);
  auto* menu = new TMainMenu(&owner);
  TMenuItem* file = NewItem(&owner, menu->Items(), "&File");
  TMenuItem* open = NewItem(&owner, *file, "&Open...");
  open->SetShortCut(ShortCut('O', ssCtrl));
  open->SetDefault(true);
  NewItem(&owner, *file, "-");
  TMenuItem* wrap = NewItem(&owner, *file, "&Wrap");
  wrap->SetChecked(true);
  TMenuItem* hidden = NewItem(&owner, *file, "Hidden");
  hidden->SetVisible(false);
  TMenuItem* quit = NewItem(&owner, *file, "E&xit");
  quit->SetEnabled(false);

  HMENU bar = menu->Handle();
  ASSERT_TRUE(IsMenu(bar));
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  EXPECT_EQ(MenuText(bar, 0), "&File");
  MENUITEMINFOA file_info = MenuInfo(bar, 0);
  EXPECT_EQ(file_info.hSubMenu, file->Handle());
  HMENU sub = file->Handle();
  ASSERT_EQ(GetMenuItemCount(sub), 4);  // the hidden item is left out
  EXPECT_EQ(MenuText(sub, 0), "&Open...\tCtrl+O");
  EXPECT_TRUE(MenuInfo(sub, 0).fState & MFS_DEFAULT);
  EXPECT_EQ(MenuInfo(sub, 0).wID, open->Command());
  EXPECT_TRUE(MenuInfo(sub, 1).fType & MFT_SEPARATOR);
  EXPECT_TRUE(MenuInfo(sub, 2).fState & MFS_CHECKED);
  EXPECT_EQ(MenuText(sub, 3), "E&xit");
  EXPECT_TRUE(MenuInfo(sub, 3).fState & MFS_GRAYED);

  // Changes after the handle exists show at once.
  open->SetCaption("&Load");
  wrap->SetChecked(false);
  hidden->SetVisible(true);
  ASSERT_EQ(GetMenuItemCount(sub), 5);
  EXPECT_EQ(MenuText(sub, 0), "&Load\tCtrl+O");
  EXPECT_FALSE(MenuInfo(sub, 2).fState & MFS_CHECKED);
  EXPECT_EQ(MenuText(sub, 3), "Hidden");
  delete hidden;
  EXPECT_EQ(GetMenuItemCount(sub), 4);
  EXPECT_EQ(file->Count(), 4);
}

TEST(MenuTest, ItemTreesMoveFreeAndRefuseCycles) {
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  TMenuItem* a = NewItem(&owner, menu.Items(), "a");
  TMenuItem* b = NewItem(&owner, menu.Items(), "b");
  TMenuItem* a1 = NewItem(&owner, *a, "a1");
  NewItem(&owner, *a1, "a11");
  EXPECT_EQ(a1->GetParentMenu(), &menu);
  EXPECT_EQ(b->MenuIndex(), 1);

  b->Insert(0, a1);  // moves, with its sub-item
  EXPECT_EQ(a->Count(), 0);
  EXPECT_EQ(b->Items(0), a1);
  EXPECT_EQ(a1->Parent(), b);
  a1->Add(b);  // b holds a1: refused
  EXPECT_EQ(b->Parent(), &menu.Items());
  a1->Add(a1);
  EXPECT_EQ(a1->Count(), 1);

  int before = owner.ComponentCount();
  delete b;  // frees a1 and a11 with it
  EXPECT_EQ(owner.ComponentCount(), before - 3);
  EXPECT_EQ(menu.Items().Count(), 1);
}

TEST(MenuTest, CommandsFromARealWindowRunOnClick) {
  HWND wnd = CreateTestWindow();
  ASSERT_TRUE(wnd);
  TMainMenu menu(nullptr);
  TMenuItem* file = NewItem(nullptr, menu.Items(), "&File");
  TMenuItem* save = NewItem(nullptr, *file, "&Save");
  TMenuItem* off = NewItem(nullptr, *file, "Off");
  off->SetEnabled(false);
  TObject* clicked = nullptr;
  int clicks = 0;
  save->OnClick = [&](TObject* sender) {
    clicked = sender;
    ++clicks;
  };
  off->OnClick = [&](TObject*) { ++clicks; };
  menu.AttachTo(wnd);
  EXPECT_EQ(GetMenu(wnd), menu.Handle());

  SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(save->Command(), 0), 0);
  EXPECT_EQ(clicked, save);
  EXPECT_EQ(clicks, 1);
  SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(off->Command(), 0), 0);  // disabled: nothing
  SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(save->Command(), BN_CLICKED),
               reinterpret_cast<LPARAM>(wnd));  // a control's notification, not a menu's
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(menu.FindItem(save->Command()), save);

  save->SetShortCut(ShortCut('S', ssCtrl));
  EXPECT_TRUE(menu.IsShortCut(ShortCut('S', ssCtrl)));
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(menu.IsShortCut(ShortCut('S', ssAlt)));

  // Destroying the window leaves the menu's handles alive: it detaches first.
  HMENU bar = menu.Handle();
  DestroyWindow(wnd);
  EXPECT_EQ(menu.Window(), nullptr);
  EXPECT_TRUE(IsMenu(bar));
  EXPECT_TRUE(IsMenu(file->Handle()));
}

TEST(MenuTest, OwnerDrawnMenuBarFiresMeasureAndDrawOnARealWindow) {
  HWND wnd = CreateTestWindow();
  ASSERT_TRUE(wnd);
  TMainMenu menu(nullptr);
  menu.SetOwnerDraw(true);
  TMenuItem* items[2] = {NewItem(nullptr, menu.Items(), "&File"),
                         NewItem(nullptr, menu.Items(), "&Edit")};
  NewItem(nullptr, *items[0], "&Open");
  const int widths[2] = {77, 150};
  int measured[2] = {0, 0}, drawn[2] = {0, 0};
  RECT drawn_rect[2] = {};
  for (int i = 0; i < 2; ++i) {
    items[i]->OnMeasureItem = [&, i](TObject* sender, TCanvas& canvas, int& width, int& height) {
      EXPECT_EQ(sender, items[i]);
      EXPECT_GT(canvas.TextWidth("File"), 0);  // a canvas on a real DC with the menu font
      ++measured[i];
      width = widths[i];
      height = std::max(height, 10);
    };
    items[i]->OnDrawItem = [&, i](TObject* sender, TCanvas& canvas, const RECT& rect,
                                  TOwnerDrawState) {
      EXPECT_EQ(sender, items[i]);
      canvas.Brush().SetColor(clRed);
      canvas.FillRect(rect);
      drawn_rect[i] = rect;
      ++drawn[i];
    };
  }
  menu.AttachTo(wnd);
  ShowWindow(wnd, SW_SHOWNORMAL);
  RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpMessages();
  for (int i = 0; i < 2; ++i) {
    EXPECT_GT(measured[i], 0);
    EXPECT_GT(drawn[i], 0);
    EXPECT_GE(drawn_rect[i].right - drawn_rect[i].left, widths[i]);
  }
  // The system adds the same spacing to every bar item: the measured widths show through.
  EXPECT_EQ((drawn_rect[1].right - drawn_rect[1].left) - (drawn_rect[0].right - drawn_rect[0].left),
            widths[1] - widths[0]);
  EXPECT_TRUE(MenuInfo(menu.Handle(), 0).fType & MFT_OWNERDRAW);
  DestroyWindow(wnd);
}

TEST(MenuTest, APopupMenuChosenWithTheKeyboardRunsTheItem) {
  TPopupMenu menu(nullptr);
  TMenuItem* first = NewItem(nullptr, menu.Items(), "&First");
  TMenuItem* second = NewItem(nullptr, menu.Items(), "&Second");
  int first_clicks = 0, second_clicks = 0, popups = 0;
  first->OnClick = [&](TObject*) { ++first_clicks; };
  second->OnClick = [&](TObject*) { ++second_clicks; };
  menu.OnPopup = [&](TObject* sender) {
    EXPECT_EQ(sender, &menu);
    ++popups;
    // The menu's own loop reads these once it runs: down to the second item, then choose.
    HWND target = TPopupMenu::PopupWindow();
    PostMessageA(target, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(target, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0);
  };
  menu.Popup(100, 100);
  PumpMessages();
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(second_clicks, 1);
  EXPECT_EQ(first_clicks, 0);
}

TEST(MenuTest, ImagesOfPlainItemsAreDrawnThroughTheBitmapCallback) {
  TImageList* images = new TImageList(nullptr);
  TBitmap glyph(16, 16);
  images->AddMasked(glyph, clFuchsia);
  TPopupMenu menu(nullptr);
  menu.SetImages(images);
  TMenuItem* item = NewItem(nullptr, menu.Items(), "Item");
  item->SetImageIndex(0);
  TMenuItem* plain = NewItem(nullptr, menu.Items(), "Plain");
  EXPECT_EQ(MenuInfo(menu.Handle(), 0).hbmpItem, HBMMENU_CALLBACK);
  EXPECT_EQ(MenuInfo(menu.Handle(), 1).hbmpItem, nullptr);
  plain->Bitmap().SetSize(8, 8);  // an item's own picture also goes through the callback
  plain->BitmapChanged();
  EXPECT_EQ(MenuInfo(menu.Handle(), 1).hbmpItem, HBMMENU_CALLBACK);
  delete images;  // the menu forgets the list and its items lose their images
  EXPECT_EQ(menu.Images(), nullptr);
  EXPECT_EQ(MenuInfo(menu.Handle(), 0).hbmpItem, nullptr);
}

TEST(MenuTest, DefaultOwnerDrawingPaintsSelectionAndSeparatorColours) {
  TPopupMenu menu(nullptr);
  menu.SetOwnerDraw(true);
  TMenuItem* item = NewItem(nullptr, menu.Items(), "&Item");
  TMenuItem* line = NewItem(nullptr, menu.Items(), "-");
  TBitmap bmp(100, 20);
  item->DrawItem(bmp.Canvas(), RECT{0, 0, 100, 20}, odSelected);
  EXPECT_EQ(static_cast<COLORREF>(bmp.Canvas().Pixel(1, 1)), ColorToRGB(clHighlight));
  item->DrawItem(bmp.Canvas(), RECT{0, 0, 100, 20}, 0);
  EXPECT_EQ(static_cast<COLORREF>(bmp.Canvas().Pixel(1, 1)), ColorToRGB(clMenu));
  line->DrawItem(bmp.Canvas(), RECT{0, 0, 100, 8}, 0);
  EXPECT_EQ(static_cast<COLORREF>(bmp.Canvas().Pixel(50, 4)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(static_cast<COLORREF>(bmp.Canvas().Pixel(50, 5)), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(static_cast<COLORREF>(bmp.Canvas().Pixel(50, 1)), ColorToRGB(clMenu));
}

TEST(HandleLeakTest, ThousandMenusWithHandlesReturnToBaseline) {
  HandleSnapshot before = HandleSnapshot::Take();
  for (int i = 0; i < 1000; ++i) {
    TComponent owner(nullptr);
    auto* menu = i % 2 ? static_cast<TMenu*>(new TMainMenu(&owner))
                       : static_cast<TMenu*>(new TPopupMenu(&owner));
    TMenuItem* top = NewItem(&owner, menu->Items(), "Top");
    NewItem(&owner, *NewItem(&owner, *top, "Sub"), "SubSub");
    menu->Handle();
    if (i % 3 == 0) TPopupMenu::PopupWindow();
  }
  EXPECT_TRUE(HandleSnapshot::Take() == before);
}

}  // namespace
}  // namespace framework
