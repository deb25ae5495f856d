// TComboBox: the COMBOBOX window as a drop-down edit (csDropDown) or a drop-down list without
// typing (csDropDownList). Items are kept by the object and given to each new window.
// Setting ItemIndex by program does not fire OnChange; choosing an item (or typing in a
// csDropDown box) does. The system sizes a drop-down combo box to its selection field and
// frame; with a bevel the field is fitted so field, frame and bevel together take the height
// the control was given (never less than a line of its font). UI thread only.
#pragma once

#include <string>
#include <vector>

#include "framework/wincontrol.h"

namespace framework {

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// The names of the list-holding controls' family in class lookups.
class TCustomListControl : public TWinControl {
 public:
  DZ_CLASS(TCustomListControl, TWinControl)
  using TWinControl::TWinControl;
};
class TCustomComboBox : public TCustomListControl {
 public:
  DZ_CLASS(TCustomComboBox, TCustomListControl)
  using TCustomListControl::TCustomListControl;
};

class TComboBox : public TCustomComboBox {
 public:
  DZ_CLASS(TComboBox, TCustomComboBox)
  explicit TComboBox(TComponent* owner);

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int height);
  int DropDownCount = 8;

  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  void AddItem(const std::string& item);
  void ClearItems();

  // -1: nothing selected.
  int ItemIndex();
  void SetItemIndex(int index);
  std::string Text() override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowDone() override;
  void DestroyWindowBegin() override;
  void WndProc(TMessage& message) override;
  bool PaintsItself() const override { return false; }
  void BoundsChanged() override;
  void BevelChanged() override;

 private:
  int DroppedHeight() const;
  void FitSelectionField();

  TComboBoxStyle style_ = csDropDown;
  int item_height_ = 0;  // 0: the window's own
  std::vector<std::string> items_;
  int item_index_ = -1;
  int fit_height_ = 0;  // the height given to the control, which a bevelled box keeps
};

}  // namespace framework
