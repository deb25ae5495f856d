// TFieldDataLink and TEditFieldBinding: field lookup, notifications and edit-window behaviour.
#include "framework/fielddatalink.h"

namespace framework {

namespace {
constexpr char kCtrlH = 8, kCtrlV = 22, kCtrlX = 24, kEscape = 27, kReturn = 13, kLineFeed = 10;
}

// ---- TFieldDataLink ----

void TFieldDataLink::SetFieldName(const std::string& name) {
  field_name_ = name;
  UpdateField();
  if (OnDataChange) OnDataChange();
}

void TFieldDataLink::UpdateField() {
  field_ = Active() && !field_name_.empty() ? DataSet()->FindField(field_name_) : nullptr;
  modified_ = false;
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange();
  if (OnDataChange) OnDataChange();
}

void TFieldDataLink::DataSetChanged() {
  // The view changed: the field objects stay, but look again in case they were rebuilt.
  field_ = Active() && !field_name_.empty() ? DataSet()->FindField(field_name_) : nullptr;
  RecordChanged(nullptr);
}

void TFieldDataLink::RecordChanged(db::TField* field) {
  if (field != nullptr && field != field_) return;
  modified_ = false;
  if (OnDataChange) OnDataChange();
}

void TFieldDataLink::EditingChanged() {
  if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::FocusControl(db::TField* field) {
  if (field != nullptr && field == Field() && OnFocusControl) OnFocusControl();
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::UpdateRecord() {
  if (!modified_) return;
  if (Field() != nullptr && OnUpdateData) OnUpdateData();
  modified_ = false;
}

// ---- TEditFieldBinding ----

TEditFieldBinding::TEditFieldBinding(TCustomEdit& edit, bool multi_line)
    : edit_(edit), multi_line_(multi_line) {
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnUpdateData = [this] { UpdateData(); };
  link_.OnActiveChange = [this] { UpdateReadOnly(); };
  link_.OnEditingChange = [this] { UpdateReadOnly(); };
  link_.OnFocusControl = [this] {
    if (edit_.CanFocus()) edit_.SetFocus();
  };
}

void TEditFieldBinding::SetReadOnly(bool value) {
  link_.ReadOnly = value;
  UpdateReadOnly();
}

void TEditFieldBinding::UpdateReadOnly() { edit_.SetReadOnly(!link_.CanModify()); }

// Shows the field's text (blank without a field or a current record); a text field limits the
// window to its size in characters.
void TEditFieldBinding::DataChange() {
  db::TField* f = link_.Field();
  showing_value_ = true;
  edit_.SetMaxLength(f != nullptr && f->DataType() == db::ftString ? f->Size() : 0);
  // An unchanged text is left alone, so a selection survives (typing starts an edit, which
  // shows the record again before the typed character arrives).
  const std::string text = f != nullptr ? f->Text() : std::string();
  if (edit_.Text() != text) edit_.SetText(text);
  edit_.SetModified(false);
  showing_value_ = false;
  UpdateReadOnly();
}

void TEditFieldBinding::UpdateData() { link_.Field()->SetText(edit_.Text()); }

void TEditFieldBinding::TextChanged() {
  if (!showing_value_) link_.SetModified();
}

bool TEditFieldBinding::StartEdit() { return link_.CanModify() && link_.Edit(); }

bool TEditFieldBinding::EditingChar(char c) const {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 32 || c == kCtrlH || c == kCtrlV || c == kCtrlX) return true;
  return multi_line_ && (c == kReturn || c == kLineFeed);
}

void TEditFieldBinding::Exit() {
  try {
    link_.UpdateRecord();
  } catch (...) {
    // The value was refused: the user stays in the control to correct it.
    edit_.SelectAll();
    if (edit_.CanFocus()) edit_.SetFocus();
    throw;
  }
}

bool TEditFieldBinding::Filter(TMessage& m) {
  switch (m.Msg) {
    case WM_CHAR: {
      const char c = static_cast<char>(m.WParam);
      if (c == kEscape) {
        link_.Reset();
        edit_.SelectAll();
        m.Result = 0;
        return true;
      }
      if (EditingChar(c) && !StartEdit()) {
        MessageBeep(0);
        m.Result = 0;
        return true;
      }
      return false;
    }
    case WM_KEYDOWN:
      if (m.WParam == VK_DELETE || (m.WParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0))
        if (!StartEdit()) {
          m.Result = 0;
          return true;
        }
      return false;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      if (!StartEdit()) {
        m.Result = 0;
        return true;
      }
      return false;
    case CM_EXIT:
      Exit();
      return false;  // the control's own exit handling (OnExit) follows
  }
  return false;
}

}  // namespace framework
