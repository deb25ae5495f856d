// TCheckBox and TRadioButton: the BUTTON window as an automatic check box or radio button with
// its caption at the right. A click (or Space) changes Checked and fires OnClick; checking a
// radio button, by the user or the program, unchecks the other radio buttons of its parent.
// Setting Checked by program fires nothing. UI thread only.
#pragma once

#include "framework/button.h"

namespace framework {

class TCustomCheckBox : public TButtonControl {
 public:
  DZ_CLASS(TCustomCheckBox, TButtonControl)
  explicit TCustomCheckBox(TComponent* owner);

  bool Checked() { return GetChecked(); }
  void SetChecked(bool value) { SetCheckedState(value); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
};

class TCheckBox : public TCustomCheckBox {
 public:
  DZ_CLASS(TCheckBox, TCustomCheckBox)
  using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
 public:
  DZ_CLASS(TRadioButton, TButtonControl)
  explicit TRadioButton(TComponent* owner);

  bool Checked() { return GetChecked(); }
  void SetChecked(bool value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  void UncheckSiblings();
};

}  // namespace framework
