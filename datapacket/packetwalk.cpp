// Packet walk: drives the reader through the metadata level by level, then through the rows.
#include "datapacket/packetwalk.h"

#include <algorithm>
#include <vector>

#include "datapacket/fieldtypes.h"
#include "datapacket/packetreader.h"

namespace dspacket {

using namespace dsengine;

namespace {

class Walker {
 public:
  Walker(PacketVisitor* visitor, WalkValues values) : visitor_(visitor), values_(values) {}

  const PacketFault& Fault() const { return reader_.Fault(); }

  DBResult Run(std::span<const uint8_t> packet) {
    DBResult status = reader_.OpenPacket(packet);
    if (status != DBERR_NONE) return status;
    status = Level(0);
    if (status != DBERR_NONE) return status;
    for (;;) {
      const uint8_t* data = nullptr;
      uint32_t length = 0, itemStatus = 0;
      status = values_ == WalkValues::kInPlace
                   ? reader_.ReadNextItemInPlace(&data, &length, &itemStatus)
                   : CopyItem(&data, &length, &itemStatus);
      if (status == DBERR_EOF) return DBERR_NONE;
      if (status != DBERR_NONE) return status;
      visitor_->Item(itemStatus, {data, length});
    }
  }

 private:
  // The columns of one level (with their nested levels), then its table parameters.
  DBResult Level(uint32_t depth) {
    for (;;) {
      DSColumnDesc column;
      DBResult status = reader_.NextColumn(&column);
      if (status == DBERR_EOF) break;
      if (status != DBERR_NONE) return status;
      visitor_->Column(depth, column);
      status = Parameters(depth, false);
      if (status != DBERR_NONE) return status;
      if (FieldPacketType(column.fieldType) == kPacketNested) {
        status = Level(depth + 1);
        if (status != DBERR_NONE) return status;
      }
    }
    DBResult status = Parameters(depth, true);
    if (status == DBERR_NONE) visitor_->LevelEnd(depth);
    return status;
  }

  DBResult Parameters(uint32_t depth, bool tableLevel) {
    for (;;) {
      uint32_t fieldType = 0, length = 0;
      DBResult status = reader_.NextParameter(nullptr, &fieldType, &length, nullptr);
      if (status == DBERR_EOF) return DBERR_NONE;
      if (status != DBERR_NONE) return status;
      value_.resize(std::max<uint32_t>(length, 1));  // at most the packet's own size
      status = reader_.NextParameter(name_, &fieldType, &length, value_.data());
      if (status != DBERR_NONE) return status;
      visitor_->Parameter(depth, tableLevel, name_, fieldType, {value_.data(), length});
    }
  }

  DBResult CopyItem(const uint8_t** data, uint32_t* length, uint32_t* itemStatus) {
    DBResult status = reader_.ReadNextItem(length, nullptr, nullptr);
    if (status != DBERR_NONE) return status;
    value_.resize(std::max<uint32_t>(*length, 1));
    status = reader_.ReadNextItem(length, value_.data(), itemStatus);
    *data = value_.data();
    return status;
  }

  PacketVisitor* visitor_;
  WalkValues values_;
  DSEXTRACT reader_;
  char name_[kParamNameBufferSize];
  std::vector<uint8_t> value_;
};

}  // namespace

DBResult WalkPacket(std::span<const uint8_t> packet, PacketVisitor* visitor, WalkValues values,
                    PacketFault* fault) {
  PacketVisitor none;
  Walker walker(visitor != nullptr ? visitor : &none, values);
  const DBResult status = walker.Run(packet);
  if (status != DBERR_NONE) PassOnFault(walker.Fault(), fault);
  return status;
}

}  // namespace dspacket
