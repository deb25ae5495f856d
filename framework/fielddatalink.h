// TFieldDataLink: a control's link to one field of a data source's dataset, and
// TEditFieldBinding, the behaviour TDBEdit and TDBMemo share on top of it: show the current
// record's field text, take typed text only while the field can change (putting the dataset into
// edit state first), Esc restores the field's value, and the modified text is written into the
// field when the focus leaves (or before a post). UI thread only; owned by its control.
#pragma once

#include <functional>
#include <string>

#include "dataset/datasource.h"
#include "framework/edit.h"

namespace framework {

class TFieldDataLink : public db::TDataLink {
 public:
  const std::string& FieldName() const { return field_name_; }
  void SetFieldName(const std::string& name);
  // The linked field of the open dataset, or null.
  db::TField* Field() const { return Active() ? field_ : nullptr; }
  // Neither the link nor the field is read-only, and the dataset is open.
  bool CanModify() const { return !ReadOnly && Field() != nullptr && !Field()->ReadOnly; }
  bool Modified() const { return modified_; }
  void SetModified() { modified_ = true; }
  // Drops what was typed: the control shows the field's value again.
  void Reset();
  // Writes a modified value into the field (OnUpdateData); afterwards nothing is pending.
  void UpdateRecord();

  std::function<void()> OnDataChange;     // show the field's value
  std::function<void()> OnUpdateData;     // write the control's value into the field
  std::function<void()> OnActiveChange;   // the dataset opened or closed
  std::function<void()> OnEditingChange;  // edit or insert began or ended
  std::function<void()> OnFocusControl;   // the dataset wants this field's control focused

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int) override { RecordChanged(nullptr); }
  void RecordChanged(db::TField* field) override;
  void EditingChanged() override;
  void UpdateData() override { UpdateRecord(); }
  void FocusControl(db::TField* field) override;

 private:
  void UpdateField();

  std::string field_name_;
  db::TField* field_ = nullptr;
  bool modified_ = false;
};

// Binds an EDIT window (single- or multi-line) to a field. The control forwards its messages
// to Filter first and its text changes to TextChanged.
class TEditFieldBinding {
 public:
  // `multi_line`: Enter types a line break (an editing key).
  TEditFieldBinding(TCustomEdit& edit, bool multi_line);

  TFieldDataLink& Link() { return link_; }
  const TFieldDataLink& Link() const { return link_; }
  bool ReadOnly() const { return link_.ReadOnly; }
  void SetReadOnly(bool value);
  // Handles what the binding consumes (refused typing, Esc) and the write-back on exit;
  // true when the message was consumed.
  bool Filter(TMessage& m);
  // The window's text changed; typed changes mark the value modified.
  void TextChanged();

 private:
  bool StartEdit();
  bool EditingChar(char c) const;
  void DataChange();
  void UpdateData();
  void UpdateReadOnly();
  void Exit();

  TCustomEdit& edit_;
  TFieldDataLink link_;
  bool multi_line_;
  bool showing_value_ = false;  // the binding itself is setting the window's text
};

}  // namespace framework
