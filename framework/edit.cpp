// TCustomEdit: the EDIT window, its notifications and state.
#include "framework/edit.h"

namespace framework {

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  InitColor(clWindow, false);
  SetTabStop(true);
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = "EDIT";
  p.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (read_only_) p.Style |= ES_READONLY;
  if (border_style_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWindowDone() {
  creating_ = true;
  SendMessageA(handle_, EM_LIMITTEXT, max_length_, 0);
  SendMessageA(handle_, EM_SETMODIFY, modified_, 0);
  creating_ = false;
}

void TCustomEdit::DestroyWindowBegin() {
  modified_ = SendMessageA(handle_, EM_GETMODIFY, 0, 0) != 0;
  TWinControl::DestroyWindowBegin();
}

void TCustomEdit::SetMaxLength(int length) {
  max_length_ = length < 0 ? 0 : length;
  if (handle_) SendMessageA(handle_, EM_LIMITTEXT, max_length_, 0);
}

bool TCustomEdit::Modified() {
  if (handle_) modified_ = SendMessageA(handle_, EM_GETMODIFY, 0, 0) != 0;
  return modified_;
}

void TCustomEdit::SetModified(bool value) {
  modified_ = value;
  if (handle_) SendMessageA(handle_, EM_SETMODIFY, value, 0);
}

void TCustomEdit::SetReadOnly(bool value) {
  read_only_ = value;
  if (handle_) SendMessageA(handle_, EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TCustomEdit::SelectAll() {
  if (handle_) SendMessageA(handle_, EM_SETSEL, 0, -1);
}

int TCustomEdit::SelStart() {
  DWORD start = 0;
  if (handle_) SendMessageA(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

int TCustomEdit::SelLength() {
  DWORD start = 0, end = 0;
  if (handle_)
    SendMessageA(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelStart(int start) {
  if (handle_) SendMessageA(handle_, EM_SETSEL, start, start);
}

void TCustomEdit::SetSelLength(int length) {
  int start = SelStart();
  if (handle_) SendMessageA(handle_, EM_SETSEL, start, start + length);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == EN_CHANGE && !creating_) Change();
      return;
    case CM_ENTER:
      if (AutoSelect && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
      break;
  }
  TWinControl::WndProc(m);
}

}  // namespace framework
