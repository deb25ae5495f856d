// TdModule: the lyrics table, its data source and the save at shut-down.
#include "app/dMain.h"

#include <exception>

#include "app/uFunctions.h"
#include "dataset/db.h"
#include "framework/application.h"
#include "platform/files.h"

using namespace framework;

TdModule* dModule = nullptr;

// The table and the source live in a component of the module: components are freed after the
// module's destroy event has run, so DataModuleDestroy still finds the table.
class TdModule::TDataComponents : public TComponent {
 public:
  DZ_CLASS(TDataComponents, TComponent)
  explicit TDataComponents(TComponent* owner) : TComponent(owner) {}
  ~TDataComponents() override { cdsDataSource.SetDataSet(nullptr); }

  db::TClientDataSet cdsMain{"cdsMain"};
  db::TDataSource cdsDataSource;
};

TdModule::TdModule(TComponent* owner) : TDataModule(owner) {
  Name = "dModule";
  data_ = new TDataComponents(this);
  data_->cdsMain.SetFilterOptions(db::foCaseInsensitive);
  data_->cdsMain.AfterPost = [this](db::TDataSet& d) { cdsMainMustBeSaved(d); };
  data_->cdsMain.AfterDelete = [this](db::TDataSet& d) { cdsMainMustBeSaved(d); };
  data_->cdsDataSource.SetDataSet(&data_->cdsMain);
  OnDestroy = [this](TObject* sender) { DataModuleDestroy(sender); };
}

db::TClientDataSet& TdModule::cdsMain() { return data_->cdsMain; }
db::TDataSource& TdModule::cdsDataSource() { return data_->cdsDataSource; }

void TdModule::cdsMainMustBeSaved(db::TDataSet&) {}

void TdModule::DataModuleDestroy(TObject*) {
  try {
    cdsMain().SavePacketFile(TableFileName(), db::dfBinary);
    return;
  } catch (const std::exception& e) {
    Application->ShowException(e);
  }
  // The save failed: keep this run's work in a recovery file rather than losing it.
  dspacket::ByteArray packet;
  try {
    packet = cdsMain().ExportTable(0);
  } catch (const std::exception&) {
    return;  // no packet to keep (the table never opened, or it cannot be exported)
  }
  if (packet.empty()) return;
  std::string path = WriteRecoveryFile(platform::TempPath(), packet.bytes());
  if (path.empty())
    ShowMessageBox("Doziviz", "The lyrics could not be saved to a recovery file either", mtError,
                   MsgDlgButtons({mbOK}));
  else
    ShowMessageBox("Doziviz",
                   "The lyrics of this run were saved to the recovery file " + path +
                       ". Copy it over the table file to keep them.",
                   mtInformation, MsgDlgButtons({mbOK}));
}

std::string WriteRecoveryFile(const std::string& directory, std::span<const uint8_t> packet) {
  std::string guid = platform::NewGuidString();
  if (directory.empty() || guid.empty()) return {};
  std::string path = directory;
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  path += "Doziviz-" + guid.substr(1, guid.size() - 2) + ".roZoreda";
  if (!platform::ReplaceFileAtomically(path, packet.data(), packet.size())) return {};
  return path;
}
