// Forms built from definitions: every control, window classes, alignment, Tab order, the
// first-show events and the handle balance over many create/destroy cycles.
#include <gtest/gtest.h>

#include <memory>

#include "framework/gdiobjects.h"
#include "framework/gui_testing.h"
#include "framework/screen.h"
#include "framework/testform_testing.h"
#include "framework/windowclass.h"
#include "platform/exceptions.h"

namespace framework::testing {
namespace {

using guitest::Pump;
using guitest::WindowClass;

void ExpectBounds(TControl* c, int l, int t, int w, int h) {
  EXPECT_EQ(c->Left(), l) << c->Name;
  EXPECT_EQ(c->Top(), t) << c->Name;
  EXPECT_EQ(c->Width(), w) << c->Name;
  EXPECT_EQ(c->Height(), h) << c->Name;
}

TEST(FormDefinition, BuildsEveryControlWithItsPropertiesAndFramewokClassNames) {
  auto form = std::make_unique<TfrmTest>(nullptr);
  // Loaded ran after the whole definition was applied.
  EXPECT_EQ(form->Probe->tag_at_loaded, 9999);
  EXPECT_EQ(form->Probe->owner_components_at_loaded, form->ComponentCount());
  EXPECT_EQ(form->log, std::vector<std::string>{"create"});
  EXPECT_EQ(form->FindComponent("edtsearch"), form->edtSearch);
  EXPECT_EQ(form->edtSearch->Parent(), form->Panel1);
  EXPECT_EQ(form->edtSearch->Owner(), form.get());

  form->Show();
  Pump();
  EXPECT_EQ(form->log, (std::vector<std::string>{"create", "show"}));
  EXPECT_EQ(WindowClass(form->Handle()), "TfrmTest");
  EXPECT_EQ(WindowClass(form->gbDatabase->Handle()), "TGroupBox");
  EXPECT_EQ(WindowClass(form->edtSearch->Handle()), "TEdit");
  EXPECT_EQ(WindowClass(form->cbField->Handle()), "TComboBox");
  EXPECT_EQ(WindowClass(form->btnNew->Handle()), "TBitBtn");
  EXPECT_EQ(WindowClass(form->dbmLyric->Handle()), "TMemo");
  EXPECT_EQ(WindowClass(form->dbgrdLyrics->Handle()), "TStubGrid");

  // Client size, fixed border, no system menu, centred on the desktop.
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 546);
  EXPECT_EQ(client.bottom, 399);
  LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_SYSMENU);
  EXPECT_EQ(form->Left(), (Screen->Width() - form->Width()) / 2);
  EXPECT_EQ(form->Top(), (Screen->Height() - form->Height()) / 2);

  // The edits superclass EDIT: the window answers EDIT's messages.
  form->edtSearch->SetMaxLength(5);
  form->edtSearch->SetText("abcdefgh");
  SendMessageA(form->edtSearch->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  SendMessageA(form->edtSearch->Handle(), WM_CHAR, 'x', 1);
  EXPECT_EQ(form->edtSearch->Text(), "x");
  EXPECT_TRUE(form->edtSearch->Modified());
  EXPECT_EQ(form->edtSearch->Color(), kMoneyGreen);
  EXPECT_FALSE(GetWindowLongA(form->edtSearch->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // Flat bevel: two pixels on each side between window and client area.
  RECT wr, cr;
  GetWindowRect(form->edtSearch->Handle(), &wr);
  GetClientRect(form->edtSearch->Handle(), &cr);
  EXPECT_EQ((wr.right - wr.left) - cr.right, 4);
  EXPECT_TRUE(GetWindowLongA(form->dbmLyric->Handle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(GetWindowLongA(form->dbmLyric->Handle(), GWL_STYLE) & ES_MULTILINE);

  // Combo box: items, a drop-down list, ItemIndex set by program fires no OnChange.
  EXPECT_EQ(SendMessageA(form->cbField->Handle(), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(GetWindowLongA(form->cbField->Handle(), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
  form->log.clear();
  form->cbField->SetItemIndex(1);
  EXPECT_EQ(form->cbField->ItemIndex(), 1);
  EXPECT_EQ(form->cbField->Text(), "Title");
  EXPECT_TRUE(form->log.empty());
  // A user's choice does (the list's selection notification).
  SendMessageA(form->cbField->Handle(), CB_SETCURSEL, 2, 0);
  SendMessageA(form->Panel1->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(form->cbField->Handle()));
  EXPECT_EQ(form->log, std::vector<std::string>{"field:2"});

  // Text set by the program fires OnChange once; the same text again does not.
  form->log.clear();
  form->edtSearch->SetText("beat");
  form->edtSearch->SetText("beat");
  EXPECT_EQ(form->log, std::vector<std::string>{"change:beat"});
}

TEST(FormDefinition, TopAlignedChildrenStackInsideTheGroupBox) {
  auto form = std::make_unique<TfrmTest>(nullptr);
  form->HandleNeeded();
  int caption = ScreenTextHeight(form->gbDatabase->Font(), "0");
  int top = caption + 2;  // below the caption, then 2 pixels of frame
  ExpectBounds(form->gbDatabase, 0, 0, 546, 399);
  ExpectBounds(form->Panel1, 2, top, 542, 43);
  ExpectBounds(form->dbgrdLyrics, 2, top + 43, 542, 137);
  ExpectBounds(form->Panel2, 2, top + 43 + 137, 542, 26);
  ExpectBounds(form->GroupBox1, 2, top + 43 + 137 + 26, 542, 168);
  // The bottom-aligned memo sits on the inner group box's lower frame.
  ExpectBounds(form->dbmLyric, 2, 168 - 2 - 126, 538, 126);
  // With the 13-pixel caption font of the main window these are the designed positions.
  if (caption == 13) {
    ExpectBounds(form->Panel1, 2, 15, 542, 43);
    ExpectBounds(form->dbgrdLyrics, 2, 58, 542, 137);
    ExpectBounds(form->Panel2, 2, 195, 542, 26);
    ExpectBounds(form->GroupBox1, 2, 221, 542, 168);
    ExpectBounds(form->dbmLyric, 2, 40, 538, 126);
  }
  // Windows sit where the objects say.
  RECT r;
  GetWindowRect(form->Panel2->Handle(), &r);
  MapWindowPoints(nullptr, form->gbDatabase->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.top, form->Panel2->Top());

  // Growing the form: the client-aligned box follows, the top stack keeps its heights.
  form->SetClientSize(600, 450);
  Pump();
  ExpectBounds(form->gbDatabase, 0, 0, 600, 450);
  ExpectBounds(form->GroupBox1, 2, top + 43 + 137 + 26, 596, 168);
  // Hiding a stacked control closes the gap.
  form->Panel2->Hide();
  EXPECT_EQ(form->GroupBox1->Top(), top + 43 + 137);
}

TEST(FormDefinition, AnchorsKeepDistancesWhenTheParentGrows) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetClientSize(200, 100);
  auto* right = new TButton(form.get());
  right->SetParent(form.get());
  right->SetBounds(150, 10, 40, 20);
  right->SetAnchors(akRight | akTop);
  auto* wide = new TEdit(form.get());
  wide->SetParent(form.get());
  wide->SetBounds(10, 40, 180, 20);
  wide->SetAnchors(akLeft | akRight | akTop);
  form->HandleNeeded();
  form->SetClientSize(260, 100);
  EXPECT_EQ(right->Left(), 210);
  EXPECT_EQ(wide->Width(), 240);
  EXPECT_EQ(wide->Left(), 10);
}

TEST(TabOrder, CyclesThroughTabStopsByTabOrderAndSkipsButtons) {
  auto form = std::make_unique<TfrmTest>(nullptr);
  form->Show();
  Pump();
  form->dbgrdLyrics->SetFocus();
  Pump();
  ASSERT_EQ(GetFocus(), form->dbgrdLyrics->Handle());
  std::vector<TWinControl*> expected{form->edtSearch, form->cbField,     form->dbedtSong,
                                     form->dbmLyric,  form->dbgrdLyrics, form->edtSearch};
  for (TWinControl* c : expected) {
    guitest::PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), c->Handle()) << c->Name;
    EXPECT_EQ(form->ActiveControl(), c) << c->Name;
  }
  // Shift+Tab goes back.
  guitest::PressKey(VK_TAB, true);
  EXPECT_EQ(GetFocus(), form->dbgrdLyrics->Handle());
  guitest::PressKey(VK_TAB, true);
  EXPECT_EQ(GetFocus(), form->dbmLyric->Handle());
  // Changing TabOrder at run time renumbers the siblings.
  form->cbField->SetTabOrder(0);
  EXPECT_EQ(form->edtSearch->TabOrder(), 1);
  form->edtSearch->SetFocus();
  guitest::PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), form->dbedtSong->Handle());
}

TEST(TabOrder, EnterAndExitEventsFollowTheFocusInsideTheForm) {
  auto form = std::make_unique<TfrmTest>(nullptr);
  std::vector<std::string> events;
  form->edtSearch->OnEnter = [&](TObject*) { events.push_back("enter search"); };
  form->edtSearch->OnExit = [&](TObject*) { events.push_back("exit search"); };
  form->dbedtSong->OnEnter = [&](TObject*) { events.push_back("enter song"); };
  form->Show();
  Pump();
  form->edtSearch->SetFocus();
  Pump();
  form->dbedtSong->SetFocus();
  Pump();
  EXPECT_EQ(events, (std::vector<std::string>{"enter search", "exit search", "enter song"}));
}

TEST(FormLifetime, ThousandCreateDestroyCyclesLeaveNoHandles) {
  {
    // Warm-up: class registration and cached system objects happen once.
    auto warm = std::make_unique<TfrmTest>(nullptr);
    warm->Show();
    Pump(10);
  }
  Pump(10);
  HandleSnapshot before = HandleSnapshot::Take();
  int windows = LiveWindowCount();
  int forms = Screen->FormCount();
  for (int i = 0; i < 1000; ++i) {
    auto form = std::make_unique<TfrmTest>(nullptr);
    if (i % 100 == 0) {
      form->Show();
      Application->ProcessMessages();
    } else {
      form->HandleNeeded();
    }
    ASSERT_GT(LiveWindowCount(), windows + 10);
  }
  Pump(10);
  EXPECT_EQ(LiveWindowCount(), windows);
  EXPECT_EQ(Screen->FormCount(), forms);
  EXPECT_TRUE(HandleSnapshot::Take() == before);
  for (int k = 0; k < static_cast<int>(HandleKind::Count); ++k)
    EXPECT_EQ(HandleSnapshot::Take().counts[k], before.counts[k]) << "kind " << k;
}

TEST(FormLifetime, CloseActionsHideFreeOrKeepTheForm) {
  auto* form = new TForm(nullptr);
  bool destroyed = false;
  form->OnDestroy = [&](TObject*) { destroyed = true; };
  TCloseAction next = caHide;
  form->OnClose = [&](TObject*, TCloseAction& a) { a = next; };
  form->Show();
  Pump();
  form->Close();
  EXPECT_FALSE(form->Visible());
  form->Show();
  next = caNone;
  SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(form->Visible());
  bool can_close = false;
  form->OnCloseQuery = [&](TObject*, bool& c) { c = can_close; };
  next = caFree;
  form->Close();
  Pump();
  EXPECT_FALSE(destroyed);
  can_close = true;
  form->Close();
  Pump();
  EXPECT_TRUE(destroyed);  // released after the queued messages
}

}  // namespace
}  // namespace framework::testing

namespace framework::testing {
namespace {

TEST(FormLifetime, DefinitionCreatesNoWindowUntilShownThenOneWindowPerControl) {
  int windows = LiveWindowCount();
  auto form = std::make_unique<TfrmTest>(nullptr);
  EXPECT_EQ(LiveWindowCount(), windows);  // loading builds objects only
  form->Show();
  Pump();
  // One window for the form and one for every windowed control.
  int windowed = 1;
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (dynamic_cast<TWinControl*>(form->Components(i))) ++windowed;
  EXPECT_EQ(LiveWindowCount(), windows + windowed);
  // Nothing is left to paint once the messages are handled.
  EXPECT_FALSE(GetUpdateRect(form->Handle(), nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(form->gbDatabase->Handle(), nullptr, FALSE));
}

TEST(ApplicationObject, FirstCreatedFormIsMainAndClosingItEndsTheProgram) {
  TForm* main = nullptr;
  TForm* second = nullptr;
  Application->CreateForm(main);
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), main);
  main->Show();
  second->Show();
  Pump();
  second->Close();
  EXPECT_FALSE(second->Visible());
  EXPECT_FALSE(Application->Terminated());
  // A close handler that raises the silent abort drops the request.
  main->OnClose = [](TObject*, TCloseAction&) { Abort(); };
  SendMessageA(main->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(main->Visible());
  EXPECT_FALSE(Application->Terminated());
  main->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  main->Close();
  EXPECT_TRUE(Application->Terminated());
  Application->ProcessMessages();  // takes the quit message
  Application->DestroyForms();
  Application->Initialize();
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_FALSE(Application->Terminated());
}

// The cursor Windows shows, for the whole desktop.
HCURSOR ShownCursor() {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  GetCursorInfo(&info);
  return info.hCursor;
}

TEST(ScreenObject, HourGlassIsTheCursorShownWhileTheWorkRuns) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 300, 200);
  form.Show();
  Pump();
  RECT r;
  GetWindowRect(form.Handle(), &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  SetCursorPos(x, y);  // the mouse rests on the form's client area
  Pump();
  const HCURSOR wait = LoadCursor(nullptr, IDC_WAIT), arrow = LoadCursor(nullptr, IDC_ARROW);
  ASSERT_EQ(GetCursor(), arrow);

  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EXPECT_EQ(GetCursor(), wait);
  // While the work runs the mouse moves; the window asked for its cursor keeps the hourglass.
  SetCursorPos(x + 10, y + 5);
  Pump();
  EXPECT_EQ(GetCursor(), wait);
  EXPECT_EQ(ShownCursor(), wait);

  // Done: the window's own cursor again, without the mouse having to move.
  Screen->SetCursor(crDefault);
  Pump();
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(ShownCursor(), arrow);
}

TEST(ScreenObject, WorkAreaLiesOnTheScreen) {
  RECT r = Screen->WorkAreaRect();
  EXPECT_GE(r.left, 0);
  EXPECT_GE(r.top, 0);
  EXPECT_GT(r.right - r.left, 0);
  EXPECT_LE(r.right - r.left, Screen->Width());
  EXPECT_LE(r.bottom - r.top, Screen->Height());
}

}  // namespace
}  // namespace framework::testing
