// ExportPacket: a whole table into one data packet (binary or XML by the table's stream mode):
// the columns with their field parameters, the table parameters, then the rows.
//
// Rows: with a change log, every slot 1 .. last in record-number order (superseded, deleted and
// hidden versions too) with its attribute byte as row state, so record numbers and the log
// survive a save and a load. Without one, the default order index's records (when it holds
// any, else every slot in record order), leaving out hidden slots, and with logging off also
// superseded and deleted versions, written with row state 0.
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "datapacket/dspacket.h"
#include "datapacket/dsparams.h"
#include "datapacket/fieldtypes.h"
#include "datapacket/packetformats.h"
#include "datapacket/rowvalues.h"

namespace dspacket {

using namespace dsengine;

namespace {

class Exporter {
 public:
  Exporter(DSBASE& table, TDATAPACKET_WRITE& writer) : t_(table), w_(writer) {}

  DBResult Run() {
    if (DBResult st = Columns()) return st;
    if (DBResult st = WriteTableParameters(w_, t_)) return st;
    return Rows();
  }

 private:
  DBResult Columns() {
    if (DBResult st = w_.BeginPacket(kMaxFormatLevel, t_.FieldCount())) return st;
    for (uint32_t f = 1; f <= t_.FieldCount(); ++f) {
      const FieldDescriptor& d = t_.Field(f);
      // Nested tables are not held by this engine: refuse rather than write half a level.
      if (d.type == fldTABLE) return DBERR_INVALIDFLDTYPE;
      DSColumnDesc c{};
      std::memcpy(c.name, d.name, sizeof c.name - 1);
      c.fieldType = FieldTypeWordOf(d);
      c.attributes = static_cast<uint16_t>(d.attributes);
      if (c.fieldType == 0) return DBERR_INVALIDFLDTYPE;
      if (DBResult st = w_.AppendColumn(c)) return st;
      if (DBResult st = WriteFieldParameters(w_, t_, f)) return st;
    }
    return DBERR_NONE;
  }

  // The record versions to write, in order.
  std::vector<uint32_t> Choice() const {
    std::vector<uint32_t> recs;
    const uint32_t next = t_.NextRecordNumber();
    if (!t_.Log().Empty()) {
      recs.reserve(next - 1);
      for (uint32_t r = 1; r < next; ++r) recs.push_back(r);
      return recs;
    }
    const DSIDX* order = t_.DefaultIndex();
    if (order != nullptr && order->Count() > 0) {
      for (uint32_t p = 1; p <= order->Count(); ++p) recs.push_back(order->RecordAt(p));
    } else {
      for (uint32_t r = 1; r < next; ++r) recs.push_back(r);
    }
    std::vector<uint32_t> kept;
    kept.reserve(recs.size());
    const uint8_t leftOut = t_.LoggingOn() ? uint8_t(dsRecHidden) : kRecInvisible;
    for (uint32_t r : recs)
      if ((t_.Attribute(r) & leftOut) == 0) kept.push_back(r);
    return kept;
  }

  // For each version made by a logged modification, the version it replaced.
  void MapReplaced() {
    replaced_.assign(t_.NextRecordNumber(), 0);
    const ChangeLog& log = t_.Log();
    for (size_t i = 0; i < log.Size(); ++i) {
      const ChangeLogEntry& e = log.At(i);
      if (e.kind == kChangeModify && e.record < replaced_.size() && e.related < e.record)
        replaced_[e.record] = e.related;
    }
  }

  // A BLOB of a modified version that still refers to the replaced version's BLOB.
  bool BlobUnchanged(uint32_t rec, const FieldDescriptor& f) const {
    if (!(t_.Attribute(rec) & dsRecModified)) return false;
    const uint32_t old = replaced_[rec];
    if (old == 0 || t_.NullFlagOf(rec, f.fieldNumber) != kValuePresent ||
        t_.NullFlagOf(old, f.fieldNumber) != kValuePresent)
      return false;
    return std::memcmp(t_.ValuePtr(rec, f.fieldNumber), t_.ValuePtr(old, f.fieldNumber), 4) == 0;
  }

  // Field `f` of stored version `rec`, read where it lies in the column store.
  DBResult Value(uint32_t rec, const FieldDescriptor& f) {
    // A structure or array holds no bytes of its own; its (empty) value is still a value.
    static constexpr uint8_t kNoBytes[1] = {};
    const uint8_t* value = f.length != 0 ? t_.ValuePtr(rec, f.fieldNumber) : kNoBytes;
    const uint8_t nullFlag = t_.NullFlagOf(rec, f.fieldNumber);
    const uint8_t* blob = nullptr;
    uint32_t blobLength = 0;
    if (f.type == fldBLOB && nullFlag == kValuePresent) {
      if (BlobUnchanged(rec, f)) return w_.AppendValue(kItemUnchanged, 0, nullptr);
      int32_t h;
      std::memcpy(&h, value, 4);
      if (DBResult st = t_.Blobs().CheckHandle(h)) return st;
      if (h > 0) {
        blob = t_.Blobs().Data(uint32_t(h));
        blobLength = t_.Blobs().Length(uint32_t(h));
      }
    }
    const RowValue v = RowValueOf(f, value, nullFlag, blob, blobLength);
    return w_.AppendValue(v.status, v.length, v.data);
  }

  DBResult Rows() {
    const std::vector<uint32_t> recs = Choice();
    MapReplaced();
    const bool states = t_.LoggingOn();
    for (uint32_t rec : recs) {
      if (rec == 0 || rec >= t_.NextRecordNumber()) return DBERR_OUTOFRANGE;
      const uint8_t state = states ? t_.Attribute(rec) : 0;
      if (DBResult st = w_.AppendValue(kItemValue, 1, &state)) return st;
      for (uint32_t f = 1; f <= t_.FieldCount(); ++f)
        if (DBResult st = Value(rec, t_.Field(f))) return st;
    }
    return DBERR_NONE;
  }

  DSBASE& t_;
  TDATAPACKET_WRITE& w_;
  std::vector<uint32_t> replaced_;
};

// The bytes a streaming binary export buffers before it sends them on: large enough that the
// sink is called rarely, small enough to stay in the processor's caches.
constexpr size_t kStreamChunk = size_t(1) << 20;

// The export into `packet`, or with a sink, into the sink (binary packets a chunk at a time,
// XML packets whole at the end).
DBResult Export(DSBASE& table, PacketSink* sink, ByteArray* packet) {
  platform::LockScope guard(table.Lock());
  if (!table.Created() || table.FieldCount() == 0) return DBERR_DATAPACKETMISMATCH;
  std::unique_ptr<TDATAPACKET_WRITE> writer = MakePacketWriter(table.StreamMode());
  if (writer == nullptr) return DBERR_NOMEMORY;
  auto* binary = dynamic_cast<DSDATAPACKET*>(writer.get());
  const bool streaming = sink != nullptr && binary != nullptr;
  if (streaming) binary->StreamTo(sink, kStreamChunk);
  DBResult st = DBERR_NONE;
  try {
    Exporter exporter(table, *writer);
    st = exporter.Run();
  } catch (const std::bad_alloc&) {
    st = DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    st = DBERR_NOMEMORY;
  }
  ByteArray out;
  if (st == DBERR_NONE) st = writer->FinishPacket(&out);
  if (st == DBERR_NONE && sink != nullptr && !streaming && !sink->Append(out.data(), out.size()))
    st = DBERR_NA;
  // On every path the sink lets go of the table's bytes it was lent before the table's lock is
  // released.
  if (sink != nullptr && !sink->Finish() && st == DBERR_NONE) st = DBERR_NA;
  if (st != DBERR_NONE) return st;
  if (packet != nullptr) *packet = std::move(out);
  return DBERR_NONE;
}

}  // namespace

DBResult ExportPacket(DSBASE& table, ByteArray* packet) {
  if (packet == nullptr) return DBERR_INVALIDPARAM;
  packet->Clear();
  return Export(table, nullptr, packet);
}

DBResult ExportPacket(DSBASE& table, PacketSink& sink) { return Export(table, &sink, nullptr); }

}  // namespace dspacket
