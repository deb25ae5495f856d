// TButton: a push button (the BUTTON window). Click fires OnClick and hands ModalResult to the
// parent form. Enter presses the focused button, or the Default button when the focus is on a
// control that does not take Enter; Esc presses the Cancel button. UI thread only.
#pragma once

#include "framework/form.h"

namespace framework {

// The BUTTON window family (push buttons, check boxes, radio buttons), also its name in class
// lookups. Keeps the checked state of check boxes and radio buttons: in the object while there
// is no window, in the window while there is one.
class TButtonControl : public TWinControl {
 public:
  DZ_CLASS(TButtonControl, TWinControl)
  using TWinControl::TWinControl;

 protected:
  bool GetChecked();
  void SetCheckedState(bool value);
  void CreateParams(TCreateParams& params) override;  // the BUTTON class
  void CreateWindowDone() override;
  void DestroyWindowBegin() override;
  bool PaintsItself() const override { return false; }

 private:
  bool checked_ = false;
};

class TButton : public TButtonControl {
 public:
  DZ_CLASS(TButton, TButtonControl)
  explicit TButton(TComponent* owner);

  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel = false;
  TModalResult ModalResult = mrNone;

  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  bool default_ = false;
};

}  // namespace framework
