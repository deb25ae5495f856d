// TClientDataSet: the client dataset component the program's data module owns (cdsMain). It is
// the facade of dataset/DBClient.h plus the packet file and stream save and load: the whole
// table as one data packet, binary or XML. User-interface thread only.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "datapacket/bytearray.h"
#include "datapacket/packetfault.h"
#include "dataset/DBClient.h"

namespace db {

// The save argument: binary packet, XML (stream mode 5) or UTF-8 XML (stream mode 13).
enum TDataPacketFormat { dfBinary, dfXML, dfXMLUTF8 };

class TClientDataSet : public TCustomClientDataSet {
 public:
  using TCustomClientDataSet::TCustomClientDataSet;

  // Writes the whole table (every stored version, change log, counter) to `fileName` as one
  // packet; a binary save to a name ending in ".xml" (any letter case) writes XML. An edit in
  // progress is posted first when modified, else cancelled. Does nothing while the dataset has
  // no table. The packet is built first and then written to a temporary file in the same
  // directory that is renamed over the file, so a failed save leaves the old file as it was.
  // Raises EDBClient for an engine status, EFCreateError when the file cannot be written.
  void SavePacketFile(const std::string& fileName, TDataPacketFormat format = dfBinary);
  // Closes the dataset and opens it from the packet in `fileName` (binary or XML, found by
  // content). The BLOB values of a binary packet stay where the file was read to, so the
  // table holds the packet's bytes instead of a copy of each value. Raises EFOpenError when the
  // file cannot be read, EDBClient for a packet the engine refuses ("Mismatch in datapacket." ...),
  // EDatabaseError for an empty file ("Missing data provider or data packet"). After a failure the
  // dataset stays closed without a table.
  void LoadPacketFile(const std::string& fileName);
  // Why the last load (file or stream) refused its packet: the reason and its place in the
  // packet behind the EDBClient it raised. Empty after a successful load.
  const dspacket::PacketFault& LoadFault() const { return loadFault_; }

  // The same through streams: saving writes the packet without a length; loading takes every
  // byte from the stream's position to its end.
  void SaveToStream(std::ostream& stream, TDataPacketFormat format = dfBinary);
  void LoadFromStream(std::istream& stream);

  // The packet of the whole table in `streamMode` (0 binary, 5 XML, 13 UTF-8 XML), posting or
  // cancelling an edit in progress first; empty while the dataset has no table.
  dspacket::ByteArray ExportTable(uint32_t streamMode);

 protected:
  // With a saved packet (a loaded file or stream), builds the table from it before opening.
  void InternalOpen() override;

 private:
  void EndEditing();
  // Takes `packet` as the saved packet (an empty one as none) and opens from it.
  void OpenFromPacket(dspacket::ByteArray packet);

  // Held from reading a file until the table is built; the table then keeps it for as long as
  // its blob store borrows BLOB values from it.
  std::shared_ptr<const dspacket::ByteArray> savedPacket_;
  dspacket::PacketFault loadFault_;
};

}  // namespace db
