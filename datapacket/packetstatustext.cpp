// Status texts of the packet writer and reader, from the program's string resources. Kept in
// its own unit so that code that never asks for a text does not need the resource lookup.
#include "datapacket/packetreader.h"
#include "datapacket/packetwriter.h"
#include "platform/status.h"

namespace dspacket {

namespace {

DBResult LoadText(DBResult status, std::string* text) {
  if (text == nullptr) return dsengine::DBERR_INVALIDPARAM;
  platform::LoadStatusText(status, *text);
  return dsengine::DBERR_NONE;
}

}  // namespace

DBResult DSDATAPACKET::StatusText(DBResult status, std::string* text) {
  return LoadText(status, text);
}

DBResult DSEXTRACT::StatusText(DBResult status, std::string* text) {
  return LoadText(status, text);
}

}  // namespace dspacket
