// Class identity as the skin engine uses it: a table of framework class names walked from the
// last row to the first, taking the first row whose class the control is or inherits from; and
// the published properties the engine reads from the grid.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/bitbtn.h"
#include "framework/checkbox.h"
#include "framework/combobox.h"
#include "framework/dbedit.h"
#include "framework/dbgrid.h"
#include "framework/dbmemo.h"
#include "framework/groupbox.h"
#include "framework/image.h"
#include "framework/label.h"
#include "framework/panel.h"
#include "framework/properties.h"
#include "framework/scrollbox.h"
#include "framework/speedbutton.h"

namespace framework {
namespace {

// The engine's control class table: (framework class, what wraps it), in table order.
const std::vector<std::pair<std::string, std::string>> kControlTable = {
    {"TCustomControl", "ScrollWinControl"},
    {"TCustomFrame", "Frame"},
    {"TScrollBox", "ScrollWinControl"},
    {"TCoolBar", "Panel"},
    {"TToolBar", "ToolBar"},
    {"TCustomStatusBar", "StatusBar"},
    {"TDateTimePicker", "DateTimePicker"},
    {"TCustomTreeView", "ScrollWinControl"},
    {"TCustomUpDown", "UpDown"},
    {"TCustomHotKey", "BorderWinControl"},
    {"TProgressBar", "ProgressBar"},
    {"TTrackBar", "TrackBar"},
    {"TCustomTabControl", "TabControl"},
    {"TCustomGrid", "Grid"},
    {"TSpeedButton", "SpeedButton"},
    {"TCustomPanel", "Panel"},
    {"TCustomGroupBox", "GroupBox"},
    {"TScrollBar", "ScrollBar"},
    {"TCustomListControl", "ScrollWinControl"},
    {"TCustomListView", "ListView"},
    {"TRadioButton", "RadioButton"},
    {"TCustomComboBox", "ComboBox"},
    {"TCustomComboBoxEx", "ComboBoxEx"},
    {"TCustomCheckBox", "CheckBox"},
    {"TCustomEdit", "ScrollWinControl"},
    {"TButton", "Button"},
    {"TLabel", "Label"},
};

std::string WrapperFor(const TControl& control) {
  for (auto it = kControlTable.rbegin(); it != kControlTable.rend(); ++it)
    if (control.InheritsFrom(it->first)) return it->second;
  return "none";
}

template <class T>
std::string Lookup() {
  T control(nullptr);
  return WrapperFor(control);
}

TEST(ClassTable, EveryFrameworkControlFindsItsRowByInheritance) {
  EXPECT_EQ(Lookup<TButton>(), "Button");
  EXPECT_EQ(Lookup<TBitBtn>(), "Button");  // a TButton descendant
  EXPECT_EQ(Lookup<TCheckBox>(), "CheckBox");
  EXPECT_EQ(Lookup<TRadioButton>(), "RadioButton");
  EXPECT_EQ(Lookup<TEdit>(), "ScrollWinControl");  // through TCustomEdit
  EXPECT_EQ(Lookup<TMemo>(), "ScrollWinControl");
  EXPECT_EQ(Lookup<TDBEdit>(), "ScrollWinControl");
  EXPECT_EQ(Lookup<TDBMemo>(), "ScrollWinControl");
  EXPECT_EQ(Lookup<TComboBox>(), "ComboBox");  // before its TCustomListControl row
  EXPECT_EQ(Lookup<TPanel>(), "Panel");
  EXPECT_EQ(Lookup<TGroupBox>(), "GroupBox");  // not the TCustomControl row
  EXPECT_EQ(Lookup<TDBGrid>(), "Grid");
  EXPECT_EQ(Lookup<TScrollBox>(), "ScrollWinControl");
  EXPECT_EQ(Lookup<TSpeedButton>(), "SpeedButton");
  EXPECT_EQ(Lookup<TLabel>(), "Label");
  EXPECT_EQ(Lookup<TImage>(), "none");  // painted graphic controls without a row stay as they are
}

TEST(ClassTable, FamilyNamesSitBetweenTheControlsAndTheirBases) {
  struct Chain {
    std::unique_ptr<TControl> control;
    std::vector<const char*> ancestors;
  };
  std::vector<Chain> chains;
  chains.push_back(
      {std::make_unique<TPanel>(nullptr), {"TCustomPanel", "TCustomControl", "TWinControl"}});
  chains.push_back(
      {std::make_unique<TGroupBox>(nullptr), {"TCustomGroupBox", "TCustomControl", "TWinControl"}});
  chains.push_back({std::make_unique<TComboBox>(nullptr),
                    {"TCustomComboBox", "TCustomListControl", "TWinControl"}});
  chains.push_back({std::make_unique<TMemo>(nullptr), {"TCustomMemo", "TCustomEdit"}});
  chains.push_back({std::make_unique<TLabel>(nullptr), {"TCustomLabel", "TGraphicControl"}});
  chains.push_back(
      {std::make_unique<TCheckBox>(nullptr), {"TCustomCheckBox", "TButtonControl", "TWinControl"}});
  chains.push_back({std::make_unique<TBitBtn>(nullptr), {"TButton", "TButtonControl"}});
  chains.push_back({std::make_unique<TSpeedButton>(nullptr), {"TGraphicControl", "TControl"}});
  chains.push_back({std::make_unique<TDBGrid>(nullptr), {"TCustomGrid", "TCustomControl"}});
  for (const Chain& c : chains)
    for (const char* name : c.ancestors)
      EXPECT_TRUE(c.control->InheritsFrom(name)) << c.control->ClassName() << " " << name;
  // The family names are not shared across families.
  TEdit edit(nullptr);
  EXPECT_FALSE(edit.InheritsFrom("TCustomMemo"));
  TRadioButton radio(nullptr);
  EXPECT_FALSE(radio.InheritsFrom("TCustomCheckBox"));
  TButton button(nullptr);
  EXPECT_FALSE(button.InheritsFrom("TCustomCheckBox"));
}

TEST(PublishedProperties, TheGridPublishesColorAndBorderStyle) {
  TDBGrid grid(nullptr);
  EXPECT_TRUE(HasPublishedProperty(grid, "Color"));
  EXPECT_TRUE(HasPublishedProperty(grid, "ParentColor"));
  EXPECT_TRUE(HasPublishedProperty(grid, "BorderStyle"));
  EXPECT_TRUE(SetColorProp(grid, clRed));
  EXPECT_EQ(grid.Color(), clRed);
  int style = -1;
  EXPECT_TRUE(GetBorderStyleProp(grid, style));
  EXPECT_EQ(style, bsSingle);
  EXPECT_TRUE(SetBorderStyleProp(grid, bsNone));
  EXPECT_EQ(grid.BorderStyle(), bsNone);
  TSpeedButton speed(nullptr);
  EXPECT_FALSE(HasPublishedProperty(speed, "BorderStyle"));
}

}  // namespace
}  // namespace framework
