// TDataModule: a non-visual container of components (datasets, data sources) with create and
// destroy events. Freed by its owner (Application). UI thread only.
#pragma once

#include "framework/control.h"

namespace framework {

class TDataModule : public TComponent {
 public:
  DZ_CLASS(TDataModule, TComponent)
  explicit TDataModule(TComponent* owner) : TComponent(owner) {}
  ~TDataModule() override;  // fires OnDestroy first; an exception there goes to the error box

  void DoCreate();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

 private:
  bool created_ = false;
};

}  // namespace framework
