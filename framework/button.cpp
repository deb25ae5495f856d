// TButton: clicks, modal results and the dialog keys Enter and Esc.
#include "framework/button.h"

namespace framework {

bool TButtonControl::GetChecked() {
  return handle_ ? SendMessageA(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED : checked_;
}

void TButtonControl::SetCheckedState(bool value) {
  checked_ = value;
  if (handle_) SendMessageA(handle_, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TButtonControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = "BUTTON";
}

void TButtonControl::CreateWindowDone() {
  TWinControl::CreateWindowDone();
  if (checked_) SetCheckedState(true);
}

void TButtonControl::DestroyWindowBegin() {
  checked_ = GetChecked();
  TWinControl::DestroyWindowBegin();
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& p) {
  TButtonControl::CreateParams(p);
  p.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
  default_ = value;
  // Owner-drawn buttons (TBitBtn) draw the default frame themselves.
  if (handle_ && (GetWindowLongA(handle_, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW)
    SendMessageA(handle_, BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  else
    Invalidate();
}

void TButton::Click() {
  if (auto* form = dynamic_cast<TForm*>(GetParentForm(this))) form->SetModalResult(ModalResult);
  TWinControl::Click();
}

void TButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY: {
      bool pressed = false;
      if (m.WParam == VK_RETURN) {
        auto* form = dynamic_cast<TForm*>(GetParentForm(this));
        TWinControl* focused = form ? form->ActiveControl() : nullptr;
        bool focus_on_button = focused && focused->InheritsFrom("TButton");
        pressed = focused == this || (default_ && !focus_on_button);
      } else if (m.WParam == VK_ESCAPE) {
        pressed = Cancel;
      }
      if (pressed && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    }
  }
  TWinControl::WndProc(m);
}

}  // namespace framework
