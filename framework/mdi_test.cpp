// MDI forms: the frame's MDICLIENT holds child forms; activation switches by program and by
// Ctrl+F6 through the application's loop; closing a child frees or minimizes it.
#include <gtest/gtest.h>

#include "framework/form.h"
#include "framework/gui_testing.h"

namespace framework::testing {
namespace {

using guitest::Pump;
using guitest::WindowClass;

TForm* NewChild(const char* caption, int left) {
  TForm* child = nullptr;
  Application->CreateForm(child);
  child->SetFormStyle(fsMDIChild);
  child->SetCaption(caption);
  child->SetBounds(left, 10, 200, 150);
  child->Show();
  return child;
}

class MDITest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->CreateForm(frame);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(20, 20, 640, 480);
    frame->Show();
    a = NewChild("A", 10);
    b = NewChild("B", 60);
    Pump();
  }
  void TearDown() override {
    Application->DestroyForms();
    Application->Initialize();
  }
  TForm* frame = nullptr;
  TForm* a = nullptr;
  TForm* b = nullptr;
};

TEST_F(MDITest, ChildrenLiveInTheFramesMDIClient) {
  ASSERT_NE(frame->ClientHandle(), nullptr);
  EXPECT_EQ(lstrcmpiA(WindowClass(frame->ClientHandle()).c_str(), "MDICLIENT"), 0);
  EXPECT_EQ(GetParent(frame->ClientHandle()), frame->Handle());
  EXPECT_EQ(GetParent(a->Handle()), frame->ClientHandle());
  EXPECT_TRUE(GetWindowLongA(b->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
  EXPECT_EQ(frame->MDIChildCount(), 2);
  EXPECT_EQ(frame->ActiveMDIChild(), b);  // the last one made
  EXPECT_EQ(frame->MDIChildren(0), b);
  EXPECT_EQ(frame->MDIChildren(1), a);
  EXPECT_EQ(a->MDIChildCount(), 0);
  EXPECT_EQ(a->ActiveMDIChild(), nullptr);
}

TEST_F(MDITest, ActivationSwitchesByProgramAndByCtrlF6) {
  int a_on = 0, a_off = 0;
  a->OnActivate = [&](TObject*) { ++a_on; };
  a->OnDeactivate = [&](TObject*) { ++a_off; };
  frame->Next();
  Pump();
  EXPECT_EQ(frame->ActiveMDIChild(), a);
  EXPECT_EQ(frame->MDIChildren(0), a);
  EXPECT_EQ(a_on, 1);
  SendMessageA(frame->ClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(b->Handle()), 0);
  EXPECT_EQ(frame->ActiveMDIChild(), b);
  EXPECT_EQ(a_off, 1);
  // Ctrl+F6 reaches the MDI client through the application's message loop.
  guitest::PressKey(VK_F6, false, true);
  Pump();
  EXPECT_EQ(frame->ActiveMDIChild(), a);
  EXPECT_EQ(a_on, 2);
}

TEST_F(MDITest, ClosingAChildFreesItWhenAskedAndOtherwiseMinimizesIt) {
  b->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  b->Close();
  Pump();
  EXPECT_EQ(frame->MDIChildCount(), 1);
  EXPECT_EQ(frame->MDIChildren(0), a);
  EXPECT_EQ(frame->ActiveMDIChild(), a);
  EXPECT_EQ(Application->ComponentCount(), 2);  // the frame and a
  a->Close();
  Pump();
  EXPECT_TRUE(IsIconic(a->Handle()));
  EXPECT_EQ(frame->MDIChildCount(), 1);
  EXPECT_FALSE(Application->Terminated());
}

}  // namespace
}  // namespace framework::testing
