// TDataModule: create and destroy events with exception reporting.
#include "framework/datamodule.h"

#include "framework/application.h"

namespace framework {

TDataModule::~TDataModule() {
  if (!OnDestroy) return;
  try {
    OnDestroy(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TDataModule::DoCreate() {
  if (created_ || !OnCreate) return;
  created_ = true;
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

}  // namespace framework
