// ImportPacket: defines an empty table from a packet's columns and field parameters, applies its
// table parameters (change log, counter, indexes, switches, kept parameters) and loads its rows
// as stored record versions; follow-up packets of a table whose first packet was not its last
// append their rows. Binary and XML packets alike, found by content.
//
// A first packet that fails leaves the table without definition, with the properties it had
// before the call. Nested-table columns are refused with DBERR_INVALIDFLDTYPE: this engine holds no
// nested tables. Every refusal records its reason: the import's own checks here, the reader's
// through its Fault().
#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "datapacket/dspacket.h"
#include "datapacket/dsparams.h"
#include "datapacket/fieldtypes.h"
#include "datapacket/packetformats.h"
#include "datapacket/rowvalues.h"
#include "datapacket/xmlreader.h"
#include "platform/prefault.h"
#include "tableengine/dslayout.h"

namespace dspacket {

using namespace dsengine;

namespace {

// What a table keeps between its first packet and its follow-up packets.
struct PacketImport final : DSPendingImport {
  std::unique_ptr<TDATAPACKET_READ> reader;
  bool xml = false;
  std::vector<uint32_t> fieldTypes;  // per field, its column's field type word
};

// The table's own properties, restored when a first packet fails.
struct SavedProps {
  explicit SavedProps(DSBASE& t) {
    for (uint32_t i = 0; i < kCount; ++i) t.GetProp(kProps[i], &values[i]);
    delta = t.DeltaMode();
    locale = t.Locale();
    options = t.TableOptions();
  }
  void Restore(DSBASE& t) const {
    t.SetDeltaMode(delta);
    for (uint32_t i = 0; i < kCount; ++i) t.SetProp(kProps[i], values[i]);
    t.SetLocale(locale);
    t.SetTableOptions(options);
  }
  static constexpr uint32_t kProps[] = {
      dspropLOGCHANGES,     dspropREADONLY,       dspropUPDATEMODE,   dspropSTREAMMODE,
      dspropDISABLEDELETES, dspropDISABLEINSERTS, dspropDISABLEEDITS, dspropTRIMSTRINGS};
  static constexpr uint32_t kCount = sizeof kProps / sizeof kProps[0];
  uint32_t values[kCount] = {};
  bool delta;
  uint32_t locale;
  uint32_t options;
};

// The next parameter of the reader's current list; DBERR_EOF at its end.
DBResult NextParam(TDATAPACKET_READ& r, char* name, uint32_t* type, std::vector<uint8_t>* value) {
  uint32_t length = 0;
  if (DBResult st = r.NextParameter(nullptr, type, &length, nullptr)) return st;
  value->resize(length + 1);  // never empty, so data() is a real buffer
  if (DBResult st = r.NextParameter(name, type, &length, value->data())) return st;
  value->resize(length);
  return DBERR_NONE;
}

// Column `number` as a field descriptor, before its field parameters. The XML reader's mark of
// a column whose values travel as attributes is no field attribute.
DBResult FieldOfColumn(const DSColumnDesc& c, uint32_t number, bool xml, FieldDescriptor* f,
                       PacketFault* fault) {
  EngineFieldShape shape;
  if (DBResult st = EngineShapeOf(c.fieldType, &shape)) {
    return PACKET_REFUSE(fault, st, "column %u (%s): type word 0x%08X is no field type here",
                         number, c.name, c.fieldType);
  }
  if (shape.type == fldTABLE) {
    return PACKET_REFUSE(fault, DBERR_INVALIDFLDTYPE,
                         "column %u (%s): a nested table, which this engine does not hold", number,
                         c.name);
  }
  *f = FieldDescriptor{};
  std::memcpy(f->name, c.name, sizeof f->name - 1);
  f->type = shape.type;
  f->length = shape.length;
  f->units1 = shape.units1;
  if (shape.type == fldBYTES) f->units1 = shape.length;
  f->attributes = xml ? c.attributes & ~kFieldAttrXmlAttribute : c.attributes;
  return DBERR_NONE;
}

// A column's width where no "WIDTH" gave one: packed decimals take the most digits (the size
// their record form has then); varying bytes and wide strings cannot do without one, as
// strings cannot.
DBResult CompleteWidth(FieldDescriptor* f, uint32_t number, PacketFault* fault) {
  if (f->units1 != 0) return DBERR_NONE;
  if (f->type == fldBCD || f->type == fldFMTBCD) f->units1 = kBcdMaxDigits;
  if (f->type == fldVARBYTES || f->type == fldUNICODE) {
    return PACKET_REFUSE(fault, DBERR_INVALIDPARAM,
                         "column %u (%s): varying bytes or wide text without a WIDTH", number,
                         f->name);
  }
  return DBERR_NONE;
}

// For a refused table definition: the first column the table cannot hold even on its own
// (counted from 1), or 0 when each is fine alone.
uint32_t FirstColumnRefusedAlone(const std::vector<FieldDescriptor>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    FieldDescriptor alone = fields[i];
    uint32_t recordSize = 0;
    if (ComputeLayout(&alone, 1, &recordSize) != DBERR_NONE) return static_cast<uint32_t>(i + 1);
  }
  return 0;
}

// Slots to reserve ahead for a packet's rows: its row count, but never more rows than its
// bytes can hold (each row takes its state byte and its status bytes), and never more record
// bytes than kReserveBytesPerPacketByte times the packet's size (rows of nulls are small in a
// packet and whole records in the store; beyond this the store grows as rows arrive).
constexpr uint64_t kReserveBytesPerPacketByte = 8;

uint64_t SlotsToReserve(const PacketImport& imp, size_t packetSize, const DSBASE& table) {
  uint64_t rows;
  if (imp.xml) {
    rows = static_cast<const DSXMLEXTRACT&>(*imp.reader).RowCount();
  } else {
    const auto& r = static_cast<const DSEXTRACT&>(*imp.reader);
    const uint64_t perRow = 1 + (uint64_t(table.FieldCount()) + 3) / 4;
    rows = std::min<uint64_t>(r.Header().rowCount, packetSize / perRow);
  }
  const uint64_t slotBytes = uint64_t(table.RecordSize()) + 1;
  const uint64_t byBytes = kReserveBytesPerPacketByte * packetSize / slotBytes;
  return std::min(rows, std::max<uint64_t>(byBytes, kSlotGrowth));
}

class Importer {
 public:
  // Refusals of the import's own checks go to `fault`.
  Importer(DSBASE& table, PacketImport& imp, PacketFault* fault)
      : t_(table), imp_(imp), fault_(fault) {}

  // The bytes of a packet the table holds on to (see ImportPacket): BLOB values inside them
  // are borrowed instead of copied. Empty (the default): every value is copied.
  void BorrowFrom(std::span<const uint8_t> borrowable) { borrowable_ = borrowable; }

  // Columns, field parameters, CreateTable, kept field parameters, table parameters.
  DBResult Metadata() {
    std::vector<FieldDescriptor> fields;
    std::vector<KeptParameter> kept;
    for (;;) {
      DSColumnDesc c{};
      DBResult st = imp_.reader->NextColumn(&c);
      if (st == DBERR_EOF) break;
      if (st != DBERR_NONE) return st;
      const uint32_t number = static_cast<uint32_t>(fields.size() + 1);
      FieldDescriptor f;
      if (DBResult s = FieldOfColumn(c, number, imp_.xml, &f, fault_)) return s;
      if (DBResult s = FieldParameters(number, &f, &kept)) return s;
      if (DBResult s = CompleteWidth(&f, number, fault_)) return s;
      fields.push_back(f);
      imp_.fieldTypes.push_back(c.fieldType);
    }
    if (fields.empty()) return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH, "no columns");
    if (DBResult st =
            t_.CreateTable(static_cast<uint32_t>(fields.size()), fields.data(), nullptr)) {
      if (const uint32_t i = FirstColumnRefusedAlone(fields)) {
        return PACKET_REFUSE(fault_, st,
                             "column %u (%s): the table holds no field of type word 0x%08X "
                             "(WIDTH %u)",
                             i, fields[i - 1].name, imp_.fieldTypes[i - 1], fields[i - 1].units1);
      }
      return PACKET_REFUSE(fault_, st, "the table cannot hold its %u columns together",
                           static_cast<uint32_t>(fields.size()));
    }
    for (const KeptParameter& k : kept)
      if (DBResult st = t_.AddKeptParameter(k.field, k.name.c_str(), k.fieldType, k.value.data(),
                                            static_cast<uint32_t>(k.value.size())))
        return PACKET_REFUSE(fault_, st, "field %u, parameter %s: the table did not keep it",
                             k.field, k.name.c_str());
    return TableParameters();
  }

  // Rows up to the reader's end of a packet of `packetSize` bytes, with the slots and BLOB
  // entries they need made at once (SlotsToReserve).
  DBResult Rows(size_t packetSize) {
    const uint64_t reserve = SlotsToReserve(imp_, packetSize, t_);
    const uint64_t wanted = uint64_t(t_.NextRecordNumber() - 1) + reserve;
    if (DBResult st = t_.ReserveSlots(wanted > UINT32_MAX - 1 ? UINT32_MAX - 1 : uint32_t(wanted)))
      return PACKET_REFUSE(fault_, st, "no room for %llu records", Ull(wanted));
    // A BLOB entry per row and BLOB field at most (null values take none), and never more than
    // the packet's bytes can carry: each BLOB value takes its 4-byte length at least.
    uint64_t blobFields = 0;
    for (uint32_t f = 1; f <= t_.FieldCount(); ++f) blobFields += t_.Field(f).type == fldBLOB;
    const uint64_t blobs = std::min<uint64_t>(reserve * blobFields, packetSize / 4);
    if (blobs != 0)
      if (DBResult st = t_.Blobs().Reserve(size_t(blobs)))
        return PACKET_REFUSE(fault_, st, "no room for %llu BLOB values", Ull(blobs));
    firstRecord_ = t_.NextRecordNumber();
    MapReplaced();
    // The store's fresh pages are faulted in on another thread while the rows are parsed.
    platform::BackgroundPrefault prefault = t_.PrefaultFreeSlots();
    record_.assign(t_.RecordSize(), 0);
    for (;;) {
      const uint8_t* data = nullptr;
      uint32_t length = 0, status = 0;
      DBResult st = Item(&data, &length, &status);
      if (st == DBERR_EOF) break;
      if (st != DBERR_NONE) return st;
      if (length != 1 || status != kItemValue) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "row %u: a row state of %u bytes with item status %u", RowNumber(),
                             length, status);
      }
      if (t_.NextRecordNumber() > t_.Capacity()) prefault.Wait();  // this row grows the store
      if (DBResult s = Row(data[0])) return s;
    }
    t_.Blobs().Commit();
    return DBERR_NONE;
  }

 private:
  // Reads the reader's current parameter list to its end, handing each to `apply`.
  template <class Apply>
  DBResult EachParameter(Apply apply) {
    for (;;) {
      uint32_t type = 0;
      DBResult st = NextParam(*imp_.reader, name_, &type, &value_);
      if (st == DBERR_EOF) return DBERR_NONE;
      if (st != DBERR_NONE) return st;
      if (DBResult s =
              apply(ParamValue{name_, type, value_.data(), static_cast<uint32_t>(value_.size())}))
        return s;
    }
  }

  DBResult FieldParameters(uint32_t field, FieldDescriptor* f, std::vector<KeptParameter>* kept) {
    return EachParameter([&](const ParamValue& p) {
      bool keep = false;
      if (DBResult s = ApplyFieldParameter(p, f, &keep, fault_)) return s;
      // The last "SUBTYPE" decides: an unknown one kept before it is dropped, so the export
      // writes one sub-type and a load and a save change nothing.
      if (KnownParamOf(name_) == KnownParam::kSubType) {
        std::erase_if(*kept, [field](const KeptParameter& k) {
          return k.field == field && KnownParamOf(k.name) == KnownParam::kSubType;
        });
      }
      if (keep) kept->push_back({field, name_, p.fieldType, value_});
      return DBResult(DBERR_NONE);
    });
  }

  DBResult TableParameters() {
    return EachParameter([&](const ParamValue& p) {
      bool keep = false;
      if (DBResult s = ApplyTableParameter(p, t_, &keep, fault_)) return s;
      if (keep)
        if (DBResult s = t_.AddKeptParameter(0, name_, p.fieldType, p.data, p.length))
          return PACKET_REFUSE(fault_, s, "table parameter %s: the table did not keep it", name_);
      return DBResult(DBERR_NONE);
    });
  }

  // Next row item in place. A BLOB that was not fetched carries no bytes: it loads as null.
  DBResult Item(const uint8_t** data, uint32_t* length, uint32_t* status) {
    if (imp_.xml)
      return static_cast<DSXMLEXTRACT&>(*imp_.reader).ReadNextItemInPlace(data, length, status);
    DSEXTRACT& r = static_cast<DSEXTRACT&>(*imp_.reader);
    const DBResult st = r.ReadNextItemInPlace(data, length, status);
    if (st == DBERR_NONE && *status == kItemValue && r.LastBlobMarker() != 0) *status = kItemNull;
    return st;
  }

  // For each version made by a logged modification, the version it replaced.
  void MapReplaced() {
    replaced_.clear();
    const ChangeLog& log = t_.Log();
    for (size_t i = 0; i < log.Size(); ++i) {
      const ChangeLogEntry& e = log.At(i);
      if (e.kind == kChangeModify && e.related != 0 && e.related < e.record)
        replaced_.push_back({e.record, e.related});
    }
    std::sort(replaced_.begin(), replaced_.end(),
              [](const Replaced& a, const Replaced& b) { return a.record < b.record; });
  }
  uint32_t ReplacedOf(uint32_t rec) const {
    auto it = std::lower_bound(replaced_.begin(), replaced_.end(), rec,
                               [](const Replaced& a, uint32_t r) { return a.record < r; });
    return it != replaced_.end() && it->record == rec ? it->related : 0;
  }

  // A BLOB value: new BLOB bytes, or for status unchanged the BLOB of the replaced version.
  DBResult Blob(uint32_t rec, uint8_t state, const FieldDescriptor& f, uint32_t status,
                const uint8_t* data, uint32_t length) {
    int32_t handle = 0;
    uint8_t flag = status == kItemNull ? kBlankByClient : kBlankUnassigned;
    if (status == kItemValue) {
      uint32_t h = 0;
      const DBResult st = Borrowable(data, length) ? t_.Blobs().AddBorrowed(data, length, &h)
                                                   : t_.Blobs().Add(data, length, &h);
      if (st != DBERR_NONE) {
        return PACKET_REFUSE(fault_, st, "row %u, field %s: no room for a BLOB of %u bytes",
                             RowNumber(), f.name, length);
      }
      handle = static_cast<int32_t>(h);
      flag = kValuePresent;
    } else if (status == kItemUnchanged && (state & dsRecModified)) {
      const uint32_t old = ReplacedOf(rec);
      if (old != 0 && old < rec) {
        std::memcpy(&handle, t_.ValuePtr(old, f.fieldNumber), 4);
        flag = t_.NullFlagOf(old, f.fieldNumber);
      }
    }
    std::memcpy(record_.data() + f.offset, &handle, 4);
    record_[f.nullOffset] = flag;
    return DBERR_NONE;
  }

  bool Borrowable(const uint8_t* data, uint32_t length) const {
    const uint8_t* begin = borrowable_.data();
    return begin != nullptr && data >= begin && length <= borrowable_.size() &&
           size_t(data - begin) <= borrowable_.size() - length;
  }

  DBResult Row(uint8_t state) {
    std::memset(record_.data(), 0, record_.size());
    const uint32_t rec = t_.NextRecordNumber();
    for (uint32_t field = 1; field <= t_.FieldCount(); ++field) {
      const uint8_t* data = nullptr;
      uint32_t length = 0, status = 0;
      if (DBResult st = Item(&data, &length, &status)) {
        if (st != DBERR_EOF) return st;
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "row %u ends after %u of its %u fields", RowNumber(), field - 1,
                             t_.FieldCount());
      }
      if (imp_.xml && status == kItemUnchanged &&
          !XmlMissingMeansUnchanged(imp_.fieldTypes[field - 1], state, t_.DeltaMode()))
        status = kItemNull;
      const FieldDescriptor& f = t_.Field(field);
      // Empty varying bytes and wide strings travel as null: store them so, or a save would
      // turn a value into a null (and, under a unique key, two rows into equal ones).
      if (status == kItemValue && length == 0 && (f.type == fldVARBYTES || f.type == fldUNICODE))
        status = kItemNull;
      if (f.type == fldBLOB) {
        if (DBResult st = Blob(rec, state, f, status, data, length)) return st;
      } else {
        StoreRowValue(f, status, data, length, record_.data());
      }
    }
    if (DBResult st = t_.AppendStoredRecord(record_.data(), state, nullptr)) {
      return PACKET_REFUSE(fault_, st, "row %u (row state 0x%02X): the table did not store it",
                           RowNumber(), state);
    }
    return DBERR_NONE;
  }

  // The row being read, counted from 1 in this packet (for reasons).
  uint32_t RowNumber() const { return t_.NextRecordNumber() - firstRecord_ + 1; }

  struct Replaced {
    uint32_t record, related;
  };
  DSBASE& t_;
  PacketImport& imp_;
  PacketFault* fault_;
  uint32_t firstRecord_ = 1;  // the record number of this packet's first row
  std::span<const uint8_t> borrowable_;
  char name_[kParamNameBufferSize] = {};
  std::vector<uint8_t> value_;
  std::vector<uint8_t> record_;
  std::vector<Replaced> replaced_;
};

// Indexes and the log once rows are in.
DBResult Finish(DSBASE& table, PacketFault* fault) {
  // A log that names versions the store does not hold would send undo and change counting
  // outside the store.
  if (DBResult st = CheckChangeLog(table, fault)) return st;
  if (DBResult st = table.RebuildIndexes()) {
    return PACKET_REFUSE(fault, st, "the indexes could not be built over the %u records",
                         table.NextRecordNumber() - 1);
  }
  return DBERR_NONE;
}

// The part of `packet` whose BLOB values the table may borrow: all of a binary packet whose
// bytes `holder` keeps alive (then held by the blob store), none otherwise.
DBResult Borrowable(DSBASE& table, const PacketImport& imp, std::span<const uint8_t> packet,
                    const std::shared_ptr<const ByteArray>& holder,
                    std::span<const uint8_t>* borrowable, PacketFault* fault) {
  *borrowable = {};
  if (holder == nullptr || imp.xml || !table.HasBlobStore()) return DBERR_NONE;
  if (DBResult st = table.Blobs().HoldBuffer(holder))
    return PACKET_REFUSE(fault, st, "the BLOB store could not hold the packet");
  *borrowable = packet;
  return DBERR_NONE;
}

// The rows of a packet whose reader is open and past the metadata, then the indexes and log.
// A refusal of the reader's is passed on to `fault` (the import's own checks record theirs).
DBResult LoadRows(DSBASE& table, PacketImport& imp, std::span<const uint8_t> packet,
                  const std::shared_ptr<const ByteArray>& holder, PacketFault* fault) {
  std::span<const uint8_t> borrowable;
  if (DBResult st = Borrowable(table, imp, packet, holder, &borrowable, fault)) return st;
  Importer importer(table, imp, fault);
  importer.BorrowFrom(borrowable);
  if (DBResult st = importer.Rows(packet.size())) {
    PassOnFault(imp.reader->Fault(), fault);
    return st;
  }
  return Finish(table, fault);
}

DBResult FirstPacket(DSBASE& table, std::span<const uint8_t> packet,
                     const std::shared_ptr<const ByteArray>& holder, bool lastPacket,
                     PacketFault* fault) {
  auto imp = std::make_unique<PacketImport>();
  uint32_t mode = kStreamBinary;
  if (DBResult st = OpenPacketByContent(packet, &imp->reader, &mode, fault)) return st;
  imp->xml = mode != kStreamBinary;
  if (DBResult st = Importer(table, *imp, fault).Metadata()) {
    PassOnFault(imp->reader->Fault(), fault);
    return st;
  }
  if (DBResult st = LoadRows(table, *imp, packet, holder, fault)) return st;
  table.SetProp(dspropSTREAMMODE, mode);
  if (!lastPacket) table.SetPendingImport(std::move(imp));
  return DBERR_NONE;
}

DBResult FollowUpPacket(DSBASE& table, std::span<const uint8_t> packet,
                        const std::shared_ptr<const ByteArray>& holder, bool lastPacket,
                        PacketFault* fault) {
  auto* imp = static_cast<PacketImport*>(table.PendingImport());
  if (imp == nullptr) {
    return PACKET_REFUSE(fault, DBERR_CANNOTAPPEND,
                         "the table's first packet was its last: it takes no follow-up packet");
  }
  if (packet.empty()) {  // no more packets: the data is complete
    table.SetPendingImport(nullptr);
    return DBERR_NONE;
  }
  if (DBResult st = imp->reader->ContinuePacket(packet)) {
    PassOnFault(imp->reader->Fault(), fault);
    return st;
  }
  if (DBResult st = LoadRows(table, *imp, packet, holder, fault)) return st;
  if (lastPacket) table.SetPendingImport(nullptr);
  return DBERR_NONE;
}

}  // namespace

namespace {

DBResult Import(DSBASE& table, std::span<const uint8_t> packet,
                const std::shared_ptr<const ByteArray>& holder, bool lastPacket,
                PacketFault* fault) {
  if (fault != nullptr) *fault = PacketFault{};  // an earlier call's reason is not this one's
  platform::LockScope guard(table.Lock());
  const bool first = !table.Created();
  if (first && packet.empty()) return PACKET_REFUSE(fault, DBERR_NA, "an empty packet");
  if (packet.data() == nullptr && !packet.empty()) {
    return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH, "%llu bytes at no address",
                         Ull(packet.size()));
  }
  const SavedProps saved(table);
  DBResult st;
  try {
    st = first ? FirstPacket(table, packet, holder, lastPacket, fault)
               : FollowUpPacket(table, packet, holder, lastPacket, fault);
  } catch (const std::bad_alloc&) {
    st = PACKET_REFUSE(fault, DBERR_NOMEMORY, "out of memory");
  } catch (const std::length_error&) {
    st = PACKET_REFUSE(fault, DBERR_NOMEMORY, "out of memory");
  }
  // Every refusing check records its reason; this keeps a status from going without one.
  if (st != DBERR_NONE) PACKET_REFUSE(fault, st, "refused with status %u", st);
  if (st != DBERR_NONE && (first || st != DBERR_CANNOTAPPEND)) {
    // A failed follow-up packet may have appended part of its rows: the table goes as a whole.
    table.ResetTable();
    saved.Restore(table);
  }
  if (table.HasBlobStore()) table.Blobs().ReleaseIdleBuffers();
  return st;
}

}  // namespace

DBResult ImportPacket(DSBASE& table, std::span<const uint8_t> packet, bool lastPacket,
                      PacketFault* fault) {
  return Import(table, packet, nullptr, lastPacket, fault);
}

DBResult ImportPacket(DSBASE& table, std::shared_ptr<const ByteArray> packet, bool lastPacket,
                      PacketFault* fault) {
  if (packet == nullptr) return Import(table, {}, nullptr, lastPacket, fault);
  return Import(table, packet->bytes(), packet, lastPacket, fault);
}

}  // namespace dspacket
