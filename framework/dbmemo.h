// TDBMemo: a multi-line, word-wrapping EDIT bound to one (memo) field of a data source's
// dataset, with an optional vertical scroll bar (ScrollBars of TMemo). Shows the current
// record's text, restores it on Esc, and writes a modified text through the field's memo path
// when the focus leaves (an empty text makes the field blank). UI thread only; the data source
// must outlive the control or be unlinked first.
#pragma once

#include <string>

#include "framework/fielddatalink.h"
#include "framework/memo.h"

namespace framework {

class TDBMemo : public TMemo {
 public:
  DZ_CLASS(TDBMemo, TMemo)
  explicit TDBMemo(TComponent* owner);
  ~TDBMemo() override;

  db::TDataSource* DataSource() const { return binding_.Link().DataSource(); }
  void SetDataSource(db::TDataSource* source) { binding_.Link().SetDataSource(source); }
  const std::string& DataField() const { return binding_.Link().FieldName(); }
  void SetDataField(const std::string& name) { binding_.Link().SetFieldName(name); }
  db::TField* Field() const { return binding_.Link().Field(); }
  bool ReadOnly() const { return binding_.ReadOnly(); }
  void SetReadOnly(bool value) { binding_.SetReadOnly(value); }

 protected:
  void WndProc(TMessage& message) override;
  void Change() override;

 private:
  TEditFieldBinding binding_;
};

}  // namespace framework
