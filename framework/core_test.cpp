// Core: class identity, ownership and removal notifications, the published-property
// registry, parent colour and font, and message routing to graphic controls (mouse, enter and
// leave, a WindowProc taken over through the hook seam).
#include <gtest/gtest.h>

#include <memory>

#include "framework/bitbtn.h"
#include "framework/edit.h"
#include "framework/gui_testing.h"
#include "framework/label.h"
#include "framework/memo.h"
#include "framework/panel.h"
#include "framework/properties.h"
#include "framework/subclass.h"
#include "framework/testform_testing.h"

namespace framework {
namespace {

using guitest::Pump;

TEST(ClassIdentity, NamesAndInheritanceByName) {
  TBitBtn button(nullptr);
  EXPECT_STREQ(button.ClassName(), "TBitBtn");
  for (const char* ancestor :
       {"TBitBtn", "TButton", "TWinControl", "TControl", "TComponent", "TObject"})
    EXPECT_TRUE(button.InheritsFrom(ancestor)) << ancestor;
  EXPECT_FALSE(button.InheritsFrom("TLabel"));
  EXPECT_FALSE(button.InheritsFrom("tbutton"));  // exact names
  testing::TStubGrid grid(nullptr);
  EXPECT_TRUE(grid.InheritsFrom("TCustomGrid"));
  EXPECT_TRUE(grid.InheritsFrom("TCustomControl"));
  TMemo memo(nullptr);
  EXPECT_TRUE(memo.InheritsFrom("TCustomEdit"));
  EXPECT_FALSE(memo.InheritsFrom("TEdit"));
}

class Watcher : public TComponent {
 public:
  using TComponent::TComponent;
  std::vector<std::string> removed;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    if (op == opRemove) removed.push_back(c->Name);
    TComponent::Notification(c, op);
  }
};

TEST(Components, OwnerFreesOwnedAndPartnersHearOfRemoval) {
  auto owner = std::make_unique<TComponent>(nullptr);
  auto* watcher = new Watcher(owner.get());
  watcher->Name = "watcher";
  auto* a = new TComponent(owner.get());
  a->Name = "a";
  auto* b = new TComponent(owner.get());
  b->Name = "b";
  b->Tag = 7;
  EXPECT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(owner->FindComponent("B"), b);
  delete a;  // a sibling's removal reaches the other owned components
  EXPECT_EQ(watcher->removed, std::vector<std::string>{"a"});
  EXPECT_EQ(owner->ComponentCount(), 2);

  // A component owned elsewhere tells whoever asked for a free notification.
  auto other = std::make_unique<TComponent>(nullptr);
  auto* outside = new TComponent(other.get());
  outside->Name = "outside";
  watcher->FreeNotification(outside);
  other.reset();
  EXPECT_EQ(watcher->removed, (std::vector<std::string>{"a", "outside"}));
  owner.reset();  // frees watcher and b without touching freed objects
}

TEST(PublishedProperties, RegistryFollowsInheritanceWithTypedAccess) {
  TEdit edit(nullptr);
  TMemo memo(nullptr);
  TBitBtn button(nullptr);
  TForm form(nullptr);
  EXPECT_TRUE(HasPublishedProperty(edit, "Color"));
  EXPECT_TRUE(HasPublishedProperty(memo, "color"));  // via TCustomEdit; any case
  EXPECT_TRUE(HasPublishedProperty(memo, "BorderStyle"));
  EXPECT_FALSE(HasPublishedProperty(button, "Color"));
  EXPECT_FALSE(HasPublishedProperty(form, "ParentColor"));

  TColor c = 0;
  EXPECT_TRUE(SetColorProp(edit, testing::kMoneyGreen));
  EXPECT_TRUE(GetColorProp(edit, c));
  EXPECT_EQ(c, testing::kMoneyGreen);
  EXPECT_EQ(edit.Color(), testing::kMoneyGreen);
  EXPECT_FALSE(SetColorProp(button, clRed));
  bool parent_color = true;
  EXPECT_TRUE(GetParentColorProp(edit, parent_color));
  EXPECT_FALSE(parent_color);
  int style = -1;
  EXPECT_TRUE(SetBorderStyleProp(edit, bsNone));
  EXPECT_TRUE(GetBorderStyleProp(edit, style));
  EXPECT_EQ(style, bsNone);
  EXPECT_TRUE(GetBorderStyleProp(form, style));
  EXPECT_EQ(style, bsSizeable);

  RegisterPublishedProperty(
      "TBitBtn", "Spacing", [](TObject& o) { return static_cast<TBitBtn&>(o).Spacing(); },
      [](TObject& o, int v) { static_cast<TBitBtn&>(o).SetSpacing(v); });
  int spacing = 0;
  EXPECT_TRUE(SetOrdProp(button, "Spacing", 8));
  EXPECT_TRUE(GetOrdProp(button, "Spacing", spacing));
  EXPECT_EQ(spacing, 8);
}

TEST(ParentColorAndFont, ChildrenFollowUntilTheyAreGivenTheirOwn) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* label = new TLabel(&form);
  label->SetParent(panel);
  panel->SetParentColor(true);
  form.SetColor(testing::kFormColor);
  EXPECT_EQ(panel->Color(), testing::kFormColor);
  EXPECT_EQ(label->Color(), testing::kFormColor);  // labels take their parent's colour
  label->SetColor(clRed);
  form.SetColor(clWhite);
  EXPECT_EQ(label->Color(), clRed);
  EXPECT_FALSE(label->ParentColor());

  form.Font().SetName("MS Sans Serif");
  form.Font().SetHeight(-11);
  EXPECT_EQ(label->Font().Height(), -11);
  EXPECT_TRUE(label->ParentFont());
  label->Font().SetStyle(fsBold);
  EXPECT_FALSE(label->ParentFont());
  form.Font().SetHeight(-13);
  EXPECT_EQ(label->Font().Height(), -11);
  EXPECT_EQ(panel->Font().Height(), -13);
}

TEST(GraphicControls, ParentRoutesMouseEnterLeaveAndClicks) {
  TForm form(nullptr);
  form.SetBounds(50, 50, 300, 200);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetAutoSize(false);
  label->SetBounds(20, 30, 60, 20);
  std::vector<std::string> events;
  label->OnClick = [&](TObject*) { events.push_back("click"); };
  label->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
  label->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
  label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  form.Show();
  Pump();
  HWND wnd = form.Handle();
  PostMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  PostMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(25, 35));
  Pump();
  guitest::ClickAt(wnd, 30, 40);
  PostMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(200, 150));
  Pump();
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "down 10,10", "click", "leave"}));

  // A hooked WindowProc sees the label's messages first; removing the hook restores behaviour.
  events.clear();
  int seen_paint = 0;
  TWindowProcHook hook;
  ASSERT_TRUE(hook.Install(*label, [&](TMessage& m, const TWndMethod& previous) {
    if (m.Msg == WM_PAINT) ++seen_paint;
    if (m.Msg == WM_LBUTTONUP) return;  // swallowed: no click
    previous(m);
  }));
  guitest::ClickAt(wnd, 30, 40);
  InvalidateRect(wnd, nullptr, TRUE);
  UpdateWindow(wnd);
  EXPECT_GE(seen_paint, 1);
  hook.Remove();
  guitest::ClickAt(wnd, 30, 40);
  int clicks = 0;
  for (auto& e : events) clicks += e == "click";
  EXPECT_EQ(clicks, 1);
}

TEST(WindowedControls, WindowProcCanBeTakenOverAndGivenBack) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  form.Show();
  Pump();
  int texts = 0;
  TWindowProcHook hook;
  ASSERT_TRUE(hook.Install(*edit, [&](TMessage& m, const TWndMethod& previous) {
    if (m.Msg == WM_SETTEXT) ++texts;
    previous(m);
  }));
  SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  EXPECT_EQ(texts, 1);
  EXPECT_EQ(edit->Text(), "abc");
  // Default handling is the system EDIT's own procedure, which works the window directly,
  // past the framework's handler.
  WNDCLASSA edit_class{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "EDIT", &edit_class));
  EXPECT_EQ(edit->DefWndProc(), edit_class.lpfnWndProc);
  CallWindowProcA(edit->DefWndProc(), edit->Handle(), WM_SETTEXT, 0,
                  reinterpret_cast<LPARAM>("def"));
  EXPECT_EQ(texts, 1);
  EXPECT_EQ(edit->Text(), "def");
  hook.Remove();
  SendMessageA(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
  EXPECT_EQ(texts, 1);
}

}  // namespace
}  // namespace framework
