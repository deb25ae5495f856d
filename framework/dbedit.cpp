// TDBEdit: an edit window whose text is a field's.
#include "framework/dbedit.h"

namespace framework {

TDBEdit::TDBEdit(TComponent* owner) : TCustomEdit(owner), binding_(*this, false) {
  binding_.SetReadOnly(false);
}

TDBEdit::~TDBEdit() { binding_.Link().SetDataSource(nullptr); }

void TDBEdit::WndProc(TMessage& m) {
  if (binding_.Filter(m)) return;
  TCustomEdit::WndProc(m);
}

void TDBEdit::Change() {
  binding_.TextChanged();
  TCustomEdit::Change();
}

}  // namespace framework
