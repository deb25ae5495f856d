// Lifecycles the skin engine depends on: a form frees its components while it is whole,
// insertions are announced with the inserted object complete, re-created windows announce
// themselves, message filters come and go (also from inside a filter), and everything the
// engine allocates (DCs, timers, hooks, subclasses) is back at its baseline after 100 cycles.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/formdef.h"
#include "framework/gdiobjects.h"
#include "framework/gui_testing.h"
#include "framework/menus.h"
#include "framework/subclass.h"
#include "framework/testform_testing.h"

namespace framework {
namespace {

using guitest::Pump;
using Log = std::vector<std::string>;

// What a component that restores its form's handler found in its destructor.
struct RestoreRecord {
  bool ran = false;
  std::string form_class;
  bool form_window_alive = false;
  bool form_whole = false;
  LRESULT after_restore = -1;
};

// Takes over its form's handler and gives it back in its destructor, as a skin wrapper does.
class HandlerRestorer : public TComponent {
 public:
  HandlerRestorer(TForm* form, RestoreRecord* record) : TComponent(form), form_(form) {
    record_ = record;
    hook_.Install(*form, [](TMessage& m, const TWndMethod& previous) {
      if (m.Msg == WM_APP) {
        m.Result = 5;
        return;
      }
      previous(m);
    });
  }
  ~HandlerRestorer() override {
    record_->ran = true;
    record_->form_class = form_->ClassName();
    record_->form_window_alive = form_->HandleAllocated() && IsWindow(form_->Handle());
    record_->form_whole = form_->InheritsFrom("TForm");
    hook_.Remove();
    record_->after_restore = form_->Perform(WM_APP, 0, 0);
  }

 private:
  TForm* form_;
  RestoreRecord* record_;
  TWindowProcHook hook_;
};

TEST(DestructionOrder, AComponentRestoringItsFormsHandlerFindsTheFormWhole) {
  RestoreRecord record;
  auto form = std::make_unique<TForm>(nullptr);
  new HandlerRestorer(form.get(), &record);
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  form->Show();
  Pump();
  EXPECT_EQ(form->Perform(WM_APP, 0, 0), 5);
  bool destroy_event = false;
  form->OnDestroy = [&](TObject*) { destroy_event = !record.ran; };  // OnDestroy comes first
  form.reset();
  EXPECT_TRUE(destroy_event);
  ASSERT_TRUE(record.ran);
  EXPECT_EQ(record.form_class, "TForm");  // not a half-destroyed TComponent
  EXPECT_TRUE(record.form_whole);
  EXPECT_TRUE(record.form_window_alive);
  EXPECT_EQ(record.after_restore, 0);  // the form's own handler answered
}

// Records the insertions it hears (class and name of the inserted component).
class InsertListener : public TComponent {
 public:
  using TComponent::TComponent;
  Log heard;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    if (op == opInsert) heard.push_back(std::string(c->ClassName()) + ":" + c->Name);
    TComponent::Notification(c, op);
  }
};

TEST(InsertNotification, OtherComponentsHearTheCompleteObjectOnce) {
  TForm form(nullptr);
  auto* listener = new InsertListener(&form);
  Application->ProcessMessages();
  auto* menu = new TMainMenu(&form);  // run-time creation
  menu->Name = "mnuMain";
  Application->ProcessMessages();  // announced before the next message is handled
  EXPECT_EQ(listener->heard, Log{"TMainMenu:mnuMain"});
  Application->ProcessMessages();
  EXPECT_EQ(listener->heard.size(), 1u);  // once

  // A component moved in by InsertComponent is complete already: heard at once.
  TComponent elsewhere(nullptr);
  auto* popup = new TPopupMenu(&elsewhere);
  popup->Name = "pmMoved";
  form.InsertComponent(popup);
  EXPECT_EQ(listener->heard.back(), "TPopupMenu:pmMoved");
  Application->ProcessMessages();
  EXPECT_EQ(listener->heard.size(), 2u);

  // A definition announces each component right after creating it (named, complete).
  TForm defined(nullptr);
  InsertListener* early = nullptr;
  TMainMenu* mnu = nullptr;
  size_t heard_when_applied = 0;
  LoadDefinition<TForm>(defined, nullptr,
                        {Def<InsertListener>("early", early, nullptr),
                         Def<TMainMenu>("mnuDefined", mnu, [&](TMainMenu&) {
                           heard_when_applied = early->heard.size();
                         })});
  EXPECT_EQ(heard_when_applied, 1u);
  EXPECT_EQ(early->heard, Log{"TMainMenu:mnuDefined"});

  // A component freed before it was announced is never announced.
  auto* gone = new TPopupMenu(&form);
  delete gone;
  Application->ProcessMessages();
  EXPECT_EQ(listener->heard.size(), 2u);
}

TEST(RecreateNotification, AHookSeesTheOldHandleBeforeAndTheNewOneAfter) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetText("kept");
  form.Show();
  Pump();
  HWND old_handle = edit->Handle();
  HWND before = nullptr, after = nullptr;
  TWindowProcHook hook;
  ASSERT_TRUE(hook.Install(*edit, [&](TMessage& m, const TWndMethod& previous) {
    if (m.Msg == CM_RECREATEWND) before = edit->Handle();
    previous(m);
    if (m.Msg == CM_RECREATEWND) after = edit->Handle();
  }));
  edit->SetBorderStyle(bsNone);  // a style change re-creates the window
  EXPECT_EQ(before, old_handle);
  EXPECT_NE(after, nullptr);
  EXPECT_NE(after, old_handle);
  EXPECT_EQ(after, edit->Handle());
  EXPECT_EQ(edit->Text(), "kept");
}

TEST(MessageFilters, AddedAndRemovedAlsoFromInsideAFilter) {
  TForm form(nullptr);
  std::vector<WPARAM> delivered;
  TWindowProcHook hook;
  ASSERT_TRUE(hook.Install(form, [&](TMessage& m, const TWndMethod& previous) {
    if (m.Msg == WM_APP + 1) delivered.push_back(m.WParam);
    previous(m);
  }));
  Log log;
  struct Probe {
    bool* running;
    bool* broken;
    ~Probe() {
      if (*running) *broken = true;
    }
  };
  bool first_running = false, first_destroyed_running = false;
  auto probe = std::make_shared<Probe>(Probe{&first_running, &first_destroyed_running});
  TMessageFilterRegistration first, second, late;
  first = Application->AddMessageFilter([&, probe](MSG& msg) {
    if (msg.message != WM_APP + 1) return false;
    first_running = true;
    log.push_back("a" + std::to_string(msg.wParam));
    if (msg.wParam == 1) {
      first.Remove();  // from inside itself
      late = Application->AddMessageFilter([&](MSG& m) {
        if (m.message == WM_APP + 1) log.push_back("l" + std::to_string(m.wParam));
        return false;
      });
    }
    first_running = false;
    return false;
  });
  probe.reset();
  second = Application->AddMessageFilter([&](MSG& msg) {
    if (msg.message != WM_APP + 1) return false;
    log.push_back("b" + std::to_string(msg.wParam));
    return msg.wParam == 2;  // swallowed
  });
  for (WPARAM w : {1, 2, 3}) PostMessageA(form.Handle(), WM_APP + 1, w, 0);
  Application->ProcessMessages();
  // The late filter waits for the next message; a swallowed message reaches nobody after.
  EXPECT_EQ(log, (Log{"a1", "b1", "b2", "b3", "l3"}));
  EXPECT_EQ(delivered, (std::vector<WPARAM>{1, 3}));
  EXPECT_FALSE(first_destroyed_running);
  EXPECT_FALSE(first.Active());

  log.clear();
  second.Remove();
  { TMessageFilterRegistration moved = std::move(late); }  // destroyed: removed
  PostMessageA(form.Handle(), WM_APP + 1, 4, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(delivered.back(), 4u);
}

// A component that allocates what a skin engine does: a thread hook, a timer on its form, a
// subclass of a control's window, a hook on the form's handler, a graphic control's canvas
// outside painting; all released by their owners when the form frees it.
class EngineLike : public TComponent {
 public:
  explicit EngineLike(testing::TfrmTest* form)
      : TComponent(form), hook_(WH_CBT, &EngineLike::CbtProc) {
    timer_.Start(form->Handle(), 1, 10);
    subclass_.Install(form->edtSearch->Handle(),
                      [](HWND w, UINT m, WPARAM wp, LPARAM lp, const TPreviousWndProc& prev) {
                        return prev(w, m, wp, lp);
                      });
    form_hook_.Install(*form, [](TMessage& m, const TWndMethod& previous) { previous(m); });
    TCanvas& canvas = form->Label1->Canvas();
    canvas.Brush().SetColor(clRed);
    canvas.FillRect({0, 0, 4, 4});
  }

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wparam, LPARAM lparam) {
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  WindowsHook hook_;
  WindowTimer timer_;
  TWindowSubclass subclass_;
  TWindowProcHook form_hook_;
};

TEST(HandleCounters, EverythingTheEngineAllocatesIsBackAfterAHundredCycles) {
  {
    testing::TfrmTest warm(nullptr);  // first-use allocations (fonts, classes) happen here
    warm.SetBorderStyle(bsNone);
    warm.Show();
    Pump(10);
  }
  Pump(10);
  HandleSnapshot before = HandleSnapshot::Take();
  auto live = [](HandleKind k) { return LiveHandles(k); };
  for (int i = 0; i < 100; ++i) {
    auto form = std::make_unique<testing::TfrmTest>(nullptr);
    // Without a caption Wine does not wait for a window manager when the window goes away.
    form->SetBorderStyle(bsNone);
    form->Show();
    auto* engine = new EngineLike(form.get());
    (void)engine;
    if (i == 0) {
      EXPECT_EQ(live(HandleKind::Timer), before.counts[int(HandleKind::Timer)] + 1);
      EXPECT_EQ(live(HandleKind::Hook), before.counts[int(HandleKind::Hook)] + 1);
      EXPECT_EQ(live(HandleKind::Subclass), before.counts[int(HandleKind::Subclass)] + 1);
      EXPECT_GT(live(HandleKind::Dc), before.counts[int(HandleKind::Dc)]);  // the label's canvas
    }
    UpdateWindow(form->Handle());  // paint DCs, and the flat edits' non-client DCs
    RedrawWindow(form->edtSearch->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    Application->ProcessMessages();
  }
  Pump(10);
  for (int k = 0; k < static_cast<int>(HandleKind::Count); ++k)
    EXPECT_EQ(HandleSnapshot::Take().counts[k], before.counts[k]) << "kind " << k;
}

}  // namespace
}  // namespace framework
