// Fuzz target for the binary packet reader: walks every column, parameter and row item of the
// input, with values in place and copied out; a packet that reads cleanly is copied through a
// writer, and whatever the writer finishes must read cleanly again and copy to the same bytes.
// Never a crash, a hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "datapacket/packetreader.h"
#include "datapacket/packetwalk.h"
#include "datapacket/packetwriter.h"

namespace {

using namespace dspacket;

// Writes each event of a walk into a writer, up to the writer's first refusal (after which
// the writer's columns no longer match the items).
class Copier : public PacketVisitor {
 public:
  explicit Copier(uint16_t columnCount) { failures_ += writer_.BeginPacket(3, columnCount) != 0; }
  void Column(uint32_t, const DSColumnDesc& c) override {
    if (failures_ == 0) failures_ += writer_.AppendColumn(c) != 0;
  }
  void Parameter(uint32_t, bool table, const char* name, uint32_t type,
                 std::span<const uint8_t> v) override {
    if (failures_ != 0) return;
    failures_ +=
        writer_.AppendParameter(table, name, type, static_cast<uint32_t>(v.size()), v.data()) != 0;
  }
  void LevelEnd(uint32_t) override {
    if (failures_ == 0) failures_ += writer_.AppendParameter(true, nullptr, 0, 0, nullptr) != 0;
  }
  void Item(uint32_t status, std::span<const uint8_t> v) override {
    if (failures_ != 0) return;
    failures_ += writer_.AppendValue(status, static_cast<uint32_t>(v.size()),
                                     status == 0 ? v.data() : nullptr) != 0;
  }
  // The copy, or an empty array when the writer refused anything.
  ByteArray Finish() {
    ByteArray packet;
    if (failures_ == 0 && writer_.FinishPacket(&packet) == 0) return packet;
    return ByteArray();
  }

 private:
  DSDATAPACKET writer_;
  int failures_ = 0;
};

ByteArray Copy(std::span<const uint8_t> packet) {
  PacketHeader header;
  if (!ReadPacketHeader(packet, &header)) return ByteArray();
  Copier copier(header.columnCount);
  if (WalkPacket(packet, &copier) != 0) return ByteArray();
  return copier.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> packet(data, size);
  const auto inPlace = WalkPacket(packet, nullptr, WalkValues::kInPlace);
  const auto copied = WalkPacket(packet, nullptr, WalkValues::kCopied);
  if (inPlace != copied) std::abort();  // both ways of reading values must agree
  if (inPlace != 0) return 0;
  const ByteArray first = Copy(packet);
  if (first.empty()) return 0;
  if (WalkPacket(first.bytes(), nullptr) != 0) std::abort();  // the writer wrote junk
  const ByteArray second = Copy(first.bytes());
  if (second.size() != first.size() ||
      std::memcmp(second.data(), first.data(), first.size()) != 0) {
    std::abort();  // writing what was read must be stable
  }
  return 0;
}
