// TButton: a push button (the BUTTON window). Click fires OnClick and hands ModalResult to the
// parent form. Enter presses the focused button, or the Default button when the focus is on a
// control that does not take Enter; Esc presses the Cancel button. UI thread only.
#pragma once

#include "framework/form.h"

namespace framework {

class TButton : public TWinControl {
 public:
  DZ_CLASS(TButton, TWinControl)
  explicit TButton(TComponent* owner);

  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel = false;
  TModalResult ModalResult = mrNone;

  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  bool PaintsItself() const override { return false; }

 private:
  bool default_ = false;
};

}  // namespace framework
