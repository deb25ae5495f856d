// The table file through the packet layer's file save and load of a client dataset.
#include "app/tablefile.h"

#include "platform/exceptions.h"
#include "platform/status.h"

namespace {

// Status "Operation not applicable.": the packet layer's file save and load are not linked in
// this build, so the table can be neither saved nor loaded.
constexpr int kNotApplicable = 10756;

[[noreturn]] void NoPacketLayer() {
  std::string text;
  platform::LoadStatusText(kNotApplicable, text);
  throw EDBClient(text, kNotApplicable);
}

}  // namespace

void SaveTableFile(db::TClientDataSet& table, const std::string&) {
  if (table.DSBase() == nullptr) return;
  NoPacketLayer();
}

void LoadTableFile(db::TClientDataSet& table, const std::string&) {
  table.Close();
  NoPacketLayer();
}

std::vector<uint8_t> TablePacket(db::TClientDataSet& table) {
  if (table.DSBase() == nullptr) return {};
  NoPacketLayer();
}
