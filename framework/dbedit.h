// TDBEdit: a single-line EDIT bound to one field of a data source's dataset. Shows the current
// record's field text (blank without a record), limits a text field to its size, marks typed
// changes as modified, restores the field's value on Esc and writes a modified text into the
// field when the focus leaves (before OnExit). Read-only when the control or the field is.
// UI thread only; the data source must outlive the control or be unlinked first.
#pragma once

#include <string>

#include "framework/edit.h"
#include "framework/fielddatalink.h"

namespace framework {

class TDBEdit : public TCustomEdit {
 public:
  DZ_CLASS(TDBEdit, TCustomEdit)
  explicit TDBEdit(TComponent* owner);
  ~TDBEdit() override;

  db::TDataSource* DataSource() const { return binding_.Link().DataSource(); }
  void SetDataSource(db::TDataSource* source) { binding_.Link().SetDataSource(source); }
  const std::string& DataField() const { return binding_.Link().FieldName(); }
  void SetDataField(const std::string& name) { binding_.Link().SetFieldName(name); }
  db::TField* Field() const { return binding_.Link().Field(); }
  // The control's own read-only setting (the window is also read-only for a read-only field).
  bool ReadOnly() const { return binding_.ReadOnly(); }
  void SetReadOnly(bool value) { binding_.SetReadOnly(value); }

 protected:
  void WndProc(TMessage& message) override;
  void Change() override;

 private:
  TEditFieldBinding binding_;
};

}  // namespace framework
