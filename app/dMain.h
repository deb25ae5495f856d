// TdModule: the program's data module. It owns the lyrics table cdsMain (a client dataset with
// case-insensitive filtering) and the data source cdsDataSource that binds it to every
// data-aware control; its destroy event saves the whole table to the table file. Created once
// by the program entry (dModule), freed by the application at shut-down. UI thread only.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "dataset/clientdataset.h"
#include "dataset/datasource.h"
#include "framework/datamodule.h"

class TdModule : public framework::TDataModule {
 public:
  DZ_CLASS(TdModule, framework::TDataModule)
  explicit TdModule(framework::TComponent* owner);

  db::TClientDataSet& cdsMain();
  db::TDataSource& cdsDataSource();

  // OnDestroy: saves the table to the table file. When that fails, the error box shows the
  // error and the table's packet goes to a recovery file in the temporary directory instead,
  // whose full path the user is told; the table file stays as it was.
  void DataModuleDestroy(framework::TObject* sender);
  // AfterPost and AfterDelete of cdsMain: nothing is written until shut-down.
  void cdsMainMustBeSaved(db::TDataSet& data_set);

 private:
  class TDataComponents;
  TDataComponents* data_;  // owned as a component, so it outlives the destroy event
};

// The recovery file for a failed shut-down save: the packet bytes go to a new file named
// "Doziviz-<GUID>.roZoreda" in `directory`; returns its full path, or "" when it cannot be
// written.
std::string WriteRecoveryFile(const std::string& directory, std::span<const uint8_t> packet);

extern TdModule* dModule;
