// TDBMemo: a memo window whose text is a field's.
#include "framework/dbmemo.h"

namespace framework {

TDBMemo::TDBMemo(TComponent* owner) : TMemo(owner), binding_(*this, true) {
  binding_.SetReadOnly(false);
}

TDBMemo::~TDBMemo() { binding_.Link().SetDataSource(nullptr); }

void TDBMemo::WndProc(TMessage& m) {
  if (binding_.Filter(m)) return;
  TMemo::WndProc(m);
}

void TDBMemo::Change() {
  binding_.TextChanged();
  TMemo::Change();
}

}  // namespace framework
