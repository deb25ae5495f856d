// Fuzz target for the table import: loads the input (binary or XML packet) into a fresh table,
// which borrows its BLOB values from the input's bytes (released by the caller at once, so a
// borrowed value the table did not hold on to shows as a use after free); a packet that loads
// is exported again (binary, or XML by the input's last byte), whole and streamed to a sink,
// which must give the same bytes. Our own
// export must always load again and save again; in binary a load and a save must change
// nothing (the second export equals the first). The loaded change log must undo to its start. The
// XML form's own fidelity (column kinds it cannot tell apart, control characters in texts) is the
// XML packet fuzz target's business. Never a crash, a hang, an unbounded allocation or an export
// the import refuses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "datapacket/dspacket.h"
#include "datapacket/packetformat.h"

namespace {

using namespace dspacket;

bool Same(const ByteArray& a, const ByteArray& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// Loads our own packet into a fresh table and saves it in `mode`; both must succeed.
ByteArray Cycle(const ByteArray& packet, uint32_t mode) {
  dsengine::DSBASE table;
  if (ImportPacket(table, packet.bytes(), true) != 0) std::abort();
  table.SetProp(dsengine::dspropSTREAMMODE, mode);
  ByteArray out;
  if (ExportPacket(table, &out) != 0) std::abort();
  return out;
}

// Collects a streamed export (lent values copied at once, the header patch applied).
class Collect : public PacketSink {
 public:
  bool Append(const uint8_t* data, size_t size) override {
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  bool Patch(uint64_t offset, const uint8_t* data, size_t size) override {
    if (offset > bytes.size() || size > bytes.size() - offset) std::abort();
    std::memcpy(bytes.data() + offset, data, size);
    return true;
  }
  std::vector<uint8_t> bytes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dsengine::DSBASE table;
  {
    auto held = std::make_shared<ByteArray>(ByteArray::CopyOf(data, size));
    if (held->size() != size) return 0;
    if (ImportPacket(table, std::shared_ptr<const ByteArray>(std::move(held)), true) != 0) return 0;
  }
  const uint32_t mode = size != 0 && (data[size - 1] & 1) ? 5 : 0;
  table.SetProp(dsengine::dspropSTREAMMODE, mode);
  ByteArray first;
  if (ExportPacket(table, &first) != 0) return 0;  // e.g. a value the writer cannot encode
  Collect streamed;
  if (ExportPacket(table, streamed) != 0) std::abort();
  if (streamed.bytes.size() != first.size() ||
      (!first.empty() && std::memcmp(streamed.bytes.data(), first.data(), first.size()) != 0))
    std::abort();
  ByteArray second = Cycle(first, mode);
  if (mode == 0 && !Same(first, second)) std::abort();
  if (mode != 0) Cycle(second, kStreamBinary);

  // The loaded history can be counted and undone to its start, keeping the live count true,
  // and what is left saves and loads.
  table.ChangeCount();
  uint32_t follow = 0;
  while (table.UndoLastChange(false, &follow) == 0) {
  }
  uint32_t visible = 0;
  for (uint32_t r = 1; r < table.NextRecordNumber(); ++r) visible += table.Indexable(r);
  if (visible != table.LiveCount()) std::abort();
  ByteArray undone;
  if (ExportPacket(table, &undone) == 0) Cycle(undone, kStreamBinary);
  return 0;
}
