// Walks a whole binary packet with the reader in the order it is stored: every column (with
// its depth of nesting), every field and table parameter, every row item. Used by the packet
// tools, the fuzz target and tests. Stateless; the visitor sees values in place.
#pragma once

#include <cstdint>
#include <span>

#include "datapacket/packetfault.h"
#include "datapacket/packetformat.h"
#include "tableengine/dsstatus.h"

namespace dspacket {

class PacketVisitor {
 public:
  virtual ~PacketVisitor() = default;
  // A column of the level at `depth` (0 for the top level).
  virtual void Column(uint32_t /*depth*/, const DSColumnDesc& /*column*/) {}
  // A field parameter of the last column (tableLevel false) or a table parameter of the
  // level at `depth`; the value as NextParameter gives it.
  virtual void Parameter(uint32_t /*depth*/, bool /*tableLevel*/, const char* /*name*/,
                         uint32_t /*fieldType*/, std::span<const uint8_t> /*value*/) {}
  // The end of the table parameters of the level at `depth`.
  virtual void LevelEnd(uint32_t /*depth*/) {}
  // A row item: the row state (status 0, one byte), then each column's value or status.
  virtual void Item(uint32_t /*status*/, std::span<const uint8_t> /*value*/) {}
};

// How row values reach the visitor: in place, or copied out through ReadNextItem.
enum class WalkValues { kInPlace, kCopied };

// Reads `packet` to its last row. 0 when the whole packet was read; else the reader's status,
// with the reader's reason in `fault` if given.
dsengine::DBResult WalkPacket(std::span<const uint8_t> packet, PacketVisitor* visitor,
                              WalkValues values = WalkValues::kInPlace,
                              PacketFault* fault = nullptr);

}  // namespace dspacket
