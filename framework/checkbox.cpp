// TCheckBox and TRadioButton: window styles, clicks and radio groups.
#include "framework/checkbox.h"

namespace framework {

namespace {
bool IsClick(const TMessage& m) { return m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED; }
}  // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCustomCheckBox::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= BS_AUTOCHECKBOX;
}

void TCustomCheckBox::WndProc(TMessage& m) {
  if (IsClick(m)) {
    Click();
    return;
  }
  TButtonControl::WndProc(m);
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::SetChecked(bool value) {
  SetCheckedState(value);
  if (value) UncheckSiblings();
}

void TRadioButton::UncheckSiblings() {
  TWinControl* parent = Parent();
  if (!parent) return;
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i)); other && other != this)
      other->SetCheckedState(false);
}

void TRadioButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= BS_AUTORADIOBUTTON;
}

void TRadioButton::WndProc(TMessage& m) {
  if (IsClick(m)) {
    UncheckSiblings();
    Click();
    return;
  }
  TButtonControl::WndProc(m);
}

}  // namespace framework
