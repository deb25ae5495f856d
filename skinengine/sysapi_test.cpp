// The late-bound user32 functions: each answers what user32 answers, is looked up by its own
// first call, and all three answer 0 without looking anything up once one is missing.
#include "skinengine/sysapi.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/combobox.h"
#include "framework/form.h"
#include "framework/memo.h"

namespace skinengine::testing {
namespace {

using user32::LateBound;
using user32::LookedUp;

class LateBoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    user32::ResetForTesting("User32.dll");
    form = std::make_unique<framework::TForm>(nullptr);
    form->SetBounds(10, 10, 300, 200);
    combo = new framework::TComboBox(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(10, 10, 120, 24);
    memo = new framework::TMemo(form.get());
    memo->SetParent(form.get());
    memo->SetBounds(10, 50, 200, 100);
    memo->SetScrollBars(framework::ssVertical);
    form->HandleNeeded();  // not shown: taking a shown window down costs seconds under Wine
  }
  void TearDown() override { user32::ResetForTesting("User32.dll"); }

  std::unique_ptr<framework::TForm> form;
  framework::TComboBox* combo = nullptr;
  framework::TMemo* memo = nullptr;
};

TEST_F(LateBoundTest, EachFunctionIsLookedUpByItsOwnFirstCallAndAnswersAsUser32) {
  EXPECT_FALSE(LookedUp(LateBound::GetComboBoxInfo));
  COMBOBOXINFO ours{}, theirs{};
  ours.cbSize = theirs.cbSize = sizeof(COMBOBOXINFO);
  ASSERT_TRUE(user32::GetComboBoxInfo(combo->Handle(), &ours));
  ASSERT_TRUE(::GetComboBoxInfo(combo->Handle(), &theirs));
  EXPECT_EQ(ours.hwndCombo, combo->Handle());
  EXPECT_EQ(ours.hwndList, theirs.hwndList);
  EXPECT_TRUE(EqualRect(&ours.rcButton, &theirs.rcButton));
  EXPECT_TRUE(LookedUp(LateBound::GetComboBoxInfo));
  // Resolving one leaves the others to their own first calls.
  EXPECT_FALSE(LookedUp(LateBound::GetAncestor));
  EXPECT_FALSE(LookedUp(LateBound::GetScrollBarInfo));

  EXPECT_EQ(user32::GetAncestor(memo->Handle(), GA_PARENT), form->Handle());
  EXPECT_EQ(user32::GetAncestor(ours.hwndItem, GA_ROOT), form->Handle());
  EXPECT_TRUE(LookedUp(LateBound::GetAncestor));
  EXPECT_FALSE(LookedUp(LateBound::GetScrollBarInfo));

  SCROLLBARINFO bar{}, system{};
  bar.cbSize = system.cbSize = sizeof(SCROLLBARINFO);
  ASSERT_TRUE(user32::GetScrollBarInfo(memo->Handle(), OBJID_VSCROLL, &bar));
  ASSERT_TRUE(::GetScrollBarInfo(memo->Handle(), OBJID_VSCROLL, &system));
  EXPECT_TRUE(EqualRect(&bar.rcScrollBar, &system.rcScrollBar));
  EXPECT_GT(bar.rcScrollBar.bottom - bar.rcScrollBar.top, 0);
  EXPECT_FALSE(user32::Unavailable());
}

TEST_F(LateBoundTest, OneMissingFunctionMakesAllThreeAnswerZeroWithoutFurtherLookups) {
  user32::ResetForTesting("kernel32.dll");  // a library without them
  EXPECT_EQ(user32::GetAncestor(memo->Handle(), GA_PARENT), nullptr);
  EXPECT_TRUE(user32::Unavailable());
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  EXPECT_FALSE(user32::GetScrollBarInfo(memo->Handle(), OBJID_VSCROLL, &bar));
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  EXPECT_FALSE(user32::GetComboBoxInfo(combo->Handle(), &info));
  EXPECT_FALSE(LookedUp(LateBound::GetScrollBarInfo));
  EXPECT_FALSE(LookedUp(LateBound::GetComboBoxInfo));
  EXPECT_EQ(info.hwndList, nullptr);
}

}  // namespace
}  // namespace skinengine::testing
