// The binary data packet reader, and the one description of the packet's byte layout.
//
// All numbers little-endian; names are single-byte characters without a terminating zero.
//
// HEADER (24 bytes)
//   OFFSET SIZE  MEANING
//      0     4   magic: 0xBDE01996 (written; versions must be 0..3) or 0x0000ABCD (any version)
//      4     2   version major: 1, or 2 when any column has a packet type code 12..18
//      6     2   version minor: 0
//      8     4   header size: 24; the column section starts at this offset
//     12     2   column count: columns of all levels together
//     14     4   row count: rows of level 0
//     18     4   packet flags: 1 metadata present, 2 row data offset valid, 0x8000 text body
//     22     2   row data offset: where the first row starts (valid with flag 2)
//
// COLUMN SECTION of a level: its columns, then its table parameters.
//   COLUMN
//     SIZE  MEANING
//       1   name length L (1..255; 0 is refused)
//       L   name (the engine keeps the first 31 characters)
//       4   field type word (fieldtypes.h)
//       2   field attribute word: 1 hidden, 2 read-only, 4 required, 8 link field
//       2   field parameter count P
//     ...   P parameters
//     ...   for packet type code 14 (nested table): the nested level's whole column section,
//           whose column count is the low 16 bits of the field type word
//   TABLE PARAMETERS, after the level's last column (and its nested section):
//       2   count T, then T parameters
//   PARAMETER
//       1   name length N (0..255)
//       N   name
//       4   field type word (may carry the array and round-trip flags)
//     ...   value, by the value kind of the type word (fldconv.h)
//
// Level 0 expects the header's column count minus the column counts of its nested-table
// columns; a nested level expects the count in its column. At most 63 levels.
//
// ROWS of level 0 follow level 0's table parameters (or start at the row data offset of a
// rows-only packet). ROW of a level with C columns:
//     SIZE          MEANING
//       1           row state: the record's attribute byte
//   (C + 3) / 4     status bytes: column j has bits 2*(j%4) (null) and 2*(j%4)+1 (unchanged)
//                   of byte j/4; either bit means no value follows for it
//     ...           the values of the other columns, in column order; a nested-table value is
//                   a 32-bit row count n (bit 31 set: no rows) followed at once by n rows of
//                   the nested level
//
// Every length, count and offset is checked against the end of the array before use; a
// packet that runs past its end fails with DBERR_DATAPACKETMISMATCH and stays failed. Each refusing
// check records its reason through PACKET_REFUSE: what failed, at which offset, in which column and
// row.
#include "datapacket/packetreader.h"

#include <algorithm>
#include <cstring>

namespace dspacket {

using namespace dsengine;

namespace {

// The smallest column descriptor: name length, one character, type, attributes, count.
constexpr size_t kMinColumnBytes = 1 + 1 + 4 + 2 + 2;

uint32_t StatusBytes(size_t columns) { return static_cast<uint32_t>((columns + 3) / 4); }

// For reasons: a name as the packet holds it, "(no name)" for an empty one.
std::string NameText(const uint8_t* name, size_t length) {
  if (length == 0) return "(no name)";
  return std::string(reinterpret_cast<const char*>(name), length);
}

// For reasons: " (name length 5)" of a record whose `bytesLeft` held its length byte, else
// nothing (the length byte itself was missing).
std::string NameLengthNote(size_t bytesLeft, uint8_t nameLength) {
  return bytesLeft == 0 ? std::string() : ReasonText(" (name length %u)", nameLength);
}

}  // namespace

bool HasPacketMagic(std::span<const uint8_t> packet) {
  if (packet.size() < 4) return false;
  const uint32_t magic = platform::ByteReader(packet.data(), 4).U32();
  return magic == kPacketMagic || magic == kPacketMagicAlternate;
}

bool ReadPacketHeader(std::span<const uint8_t> packet, PacketHeader* header, PacketFault* why) {
  if (packet.size() < kHeaderSize) {
    PACKET_REFUSE(why, DBERR_DATAPACKETMISMATCH, "%llu bytes are too few for the %u-byte header",
                  Ull(packet.size()), kHeaderSize);
    return false;
  }
  platform::ByteReader r(packet.data(), packet.size());
  PacketHeader h;
  h.magic = r.U32();
  h.versionMajor = r.U16();
  h.versionMinor = r.U16();
  h.headerSize = r.U32();
  h.columnCount = r.U16();
  h.rowCount = r.U32();
  h.flags = r.U32();
  h.rowDataOffset = r.U16();
  if (h.magic == kPacketMagic) {
    if (h.versionMajor > kMaxPacketVersion || h.versionMinor > kMaxPacketVersion) {
      PACKET_REFUSE(why, DBERR_DATAPACKETMISMATCH, "version %u.%u at offset %u is above %u.%u",
                    h.versionMajor, h.versionMinor, kHdrVersionMajor, kMaxPacketVersion,
                    kMaxPacketVersion);
      return false;
    }
  } else if (h.magic != kPacketMagicAlternate) {
    PACKET_REFUSE(why, DBERR_DATAPACKETMISMATCH,
                  "magic number 0x%08X at offset 0 is neither 0x%08X nor 0x%08X", h.magic,
                  kPacketMagic, kPacketMagicAlternate);
    return false;
  }
  if (h.headerSize < kHeaderSize || h.headerSize > packet.size()) {
    PACKET_REFUSE(why, DBERR_DATAPACKETMISMATCH,
                  "header size %u at offset %u is outside %u..%llu (the packet's length)",
                  h.headerSize, kHdrHeaderSize, kHeaderSize, Ull(packet.size()));
    return false;
  }
  *header = h;
  return true;
}

void DSEXTRACT::Attach(std::span<const uint8_t> packet) {
  base_ = packet.data();
  in_ = platform::ByteReader(packet.data(), packet.size());
}

std::string DSEXTRACT::RowPlace() const {
  const uint32_t row = header_.rowCount - rowsLeft_ + 1;
  if (current_ == 0) return ReasonText("row %u", row);
  uint32_t depth = 0;
  for (uint32_t level = current_; level != 0; level = levels_[level].parent) ++depth;
  return ReasonText("row %u, nested level %u", row, depth);
}

DBResult DSEXTRACT::OpenPacket(std::span<const uint8_t> packet) {
  *this = DSEXTRACT();
  if (!ReadPacketHeader(packet, &header_, &fault_)) return fault_.status;
  if (!(header_.flags & kPacketHasMetadata)) {
    return PACKET_REFUSE(&fault_, DBERR_NOMETADATA,
                         "packet flags 0x%08X at offset %u lack the metadata flag (0x%X)",
                         header_.flags, kHdrFlags, kPacketHasMetadata);
  }
  Attach(packet);
  in_.Seek(header_.headerSize);
  // The header's count is at most 65535; the bytes left bound it further.
  columns_.reserve(std::min<size_t>(header_.columnCount, in_.remaining() / kMinColumnBytes));
  levels_.assign(1, Level{});
  levels_[0].remaining = header_.columnCount;
  rowsLeft_ = header_.rowCount;
  phase_ = Phase::kMetadata;
  return DBERR_NONE;
}

DBResult DSEXTRACT::ContinuePacket(std::span<const uint8_t> packet) {
  if (fault_.Refused()) return fault_.status;
  if (!MetadataComplete()) return DBERR_NA;
  PacketHeader header;
  if (!ReadPacketHeader(packet, &header, &fault_)) return fault_.status;
  if (header.columnCount != header_.columnCount) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "follow-up packet: column count %u at offset %u differs from the first "
                         "packet's %u",
                         header.columnCount, kHdrColumnCount, header_.columnCount);
  }
  size_t start = header.headerSize;
  if (header.flags & kPacketRowDataOffsetValid) {
    start = header.rowDataOffset;
    if (start < kHeaderSize || start > packet.size()) {
      return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                           "follow-up packet: row data offset %llu at offset %u is outside "
                           "%u..%llu (the packet's length)",
                           Ull(start), kHdrRowDataOffset, kHeaderSize, Ull(packet.size()));
    }
  } else if ((header.flags & kPacketHasMetadata) && header.rowCount != 0) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "follow-up packet with metadata and %u rows has no valid row data "
                         "offset (packet flags 0x%08X): its rows' start is unknown",
                         header.rowCount, header.flags);
  }
  header_ = header;
  Attach(packet);
  in_.Seek(start);
  StartRows(header.rowCount);
  return DBERR_NONE;
}

DBResult DSEXTRACT::NextColumn(DSColumnDesc* column) {
  if (fault_.Refused()) return fault_.status;
  if (column == nullptr) return DBERR_INVALIDPARAM;
  if (phase_ == Phase::kClosed) return DBERR_NA;
  if (phase_ != Phase::kMetadata) return DBERR_EOF;
  if (fieldListOpen_ && fieldLeft_ != 0) return DBERR_NA;
  const uint32_t levelIndex = current_;
  if (levels_[levelIndex].remaining == 0) {
    fieldListOpen_ = false;  // the last column's (drained) list is over: table parameters next
    return DBERR_EOF;
  }

  const size_t at = in_.pos();
  const uint32_t number = static_cast<uint32_t>(columns_.size() + 1);
  const uint8_t nameLength = in_.U8();
  if (in_.ok() && nameLength == 0) {
    return PACKET_REFUSE(&fault_, DBERR_NOFIELDNAME, "column %u at offset %llu: name length 0",
                         number, Ull(at));
  }
  const uint8_t* name = in_.Take(nameLength);
  const uint32_t fieldType = in_.U32();
  const uint16_t attributes = in_.U16();
  const uint16_t paramCount = in_.U16();
  if (!in_.ok()) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "column %u at offset %llu%s: its descriptor runs past the end of the "
                         "packet (%llu bytes left)",
                         number, Ull(at), NameLengthNote(in_.size() - at, nameLength).c_str(),
                         Ull(in_.size() - at));
  }
  const size_t kept = std::min<size_t>(nameLength, kMaxFieldNameLength);

  Level& level = levels_[levelIndex];
  level.remaining -= 1;
  uint32_t nestedLevel = kNoLevel;
  if (FieldPacketType(fieldType) == kPacketNested) {
    const uint32_t nestedColumns = FieldWidth(fieldType);
    if (nestedColumns > level.remaining) {
      return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                           "column %u (%.*s) at offset %llu: a nested table of %u columns where "
                           "%u of the header's column count are left",
                           number, int(kept), name, Ull(at), nestedColumns, level.remaining);
    }
    if (levels_.size() >= kMaxPacketLevels) {
      return PACKET_REFUSE(&fault_, DBERR_NA,
                           "column %u (%.*s) at offset %llu: nested tables deeper than %u levels",
                           number, int(kept), name, Ull(at), kMaxPacketLevels);
    }
    level.remaining -= nestedColumns;
    nestedLevel = static_cast<uint32_t>(levels_.size());
  }
  level.columns.push_back(static_cast<uint32_t>(columns_.size()));
  columns_.push_back(Column{fieldType, nestedLevel, nullptr});
  columnNames_.emplace_back(reinterpret_cast<const char*>(name), kept);
  if (nestedLevel != kNoLevel) {
    Level nested;
    nested.parent = levelIndex;
    nested.remaining = FieldWidth(fieldType);
    levels_.push_back(std::move(nested));
    current_ = nestedLevel;
  }

  std::memset(column->name, 0, sizeof column->name);
  std::memcpy(column->name, name, kept);
  column->fieldType = fieldType;
  column->attributes = attributes;
  fieldListOpen_ = true;
  fieldLeft_ = paramCount;
  return DBERR_NONE;
}

DBResult DSEXTRACT::NextParameter(char* name, uint32_t* fieldType, uint32_t* length, void* value) {
  if (fault_.Refused()) return fault_.status;
  if (phase_ == Phase::kClosed) return DBERR_NA;
  if (phase_ != Phase::kMetadata) return DBERR_EOF;
  if (fieldListOpen_) {
    if (fieldLeft_ == 0) {
      fieldListOpen_ = false;
      return DBERR_EOF;
    }
    DBResult status = ReadParameter(name, fieldType, length, value);
    if (status == DBERR_NONE && (name != nullptr || value != nullptr)) --fieldLeft_;
    return status;
  }
  Level& level = levels_[current_];
  if (level.remaining != 0) return DBERR_EOF;  // columns come first
  if (!level.tableListOpen) {
    level.tableLeft = in_.U16();
    if (!in_.ok()) {
      return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                           "the table parameter count at offset %llu runs past the end of the "
                           "packet (%llu bytes)",
                           Ull(in_.pos()), Ull(in_.size()));
    }
    level.tableListOpen = true;
  }
  if (level.tableLeft == 0) {
    if (current_ == 0) return FinishMetadata();
    current_ = level.parent;
    return DBERR_EOF;
  }
  DBResult status = ReadParameter(name, fieldType, length, value);
  if (status == DBERR_NONE && (name != nullptr || value != nullptr)) --level.tableLeft;
  return status;
}

DBResult DSEXTRACT::ReadParameter(char* name, uint32_t* fieldType, uint32_t* length, void* value) {
  if (length == nullptr) return DBERR_INVALIDPARAM;
  const uint8_t* start = Pos();
  const uint8_t nameLength = in_.U8();
  const uint8_t* nameBytes = in_.Take(nameLength);
  const uint32_t word = in_.U32();
  if (!in_.ok()) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "parameter at offset %llu%s: its name and type word run past the end of "
                         "the packet (%llu bytes left)",
                         Ull(OffsetOf(start)), NameLengthNote(End() - start, nameLength).c_str(),
                         Ull(End() - start));
  }
  std::unique_ptr<FLDConv> converter;
  DBResult status = MakeConverter(word, &converter);
  if (status != DBERR_NONE) {  // the value's size is unknown: no way on
    return PACKET_REFUSE(&fault_, status,
                         "parameter %s at offset %llu: type word 0x%08X has no value layout",
                         NameText(nameBytes, nameLength).c_str(), Ull(OffsetOf(start)), word);
  }
  PacketValue found;
  const uint8_t* valueStart = Pos();
  const uint8_t* next = converter->Read(valueStart, End(), &found);
  if (next == nullptr) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "parameter %s, value at offset %llu: %s (%llu bytes left)",
                         NameText(nameBytes, nameLength).c_str(), Ull(OffsetOf(valueStart)),
                         converter->Overrun(valueStart, End()).c_str(), Ull(End() - valueStart));
  }
  // A varying value goes out with its length prefix, as AppendParameter takes it.
  const bool varying = converter->PrefixSize() != 0;
  const uint32_t needed = varying ? static_cast<uint32_t>(next - valueStart) : found.length;

  const bool peek = name == nullptr && value == nullptr;
  if (peek || fieldType == nullptr || name == nullptr || value == nullptr || needed > *length) {
    MoveTo(start);  // stay on this parameter
    if (fieldType != nullptr) *fieldType = word;
    if (peek) {
      *length = needed;
      return DBERR_NONE;
    }
    if (needed > *length) *length = needed;
    return DBERR_INVALIDPARAM;
  }
  std::memcpy(name, nameBytes, nameLength);
  name[nameLength] = '\0';
  if (varying) {
    std::memcpy(value, valueStart, needed);
  } else {
    converter->Extract(found, static_cast<uint8_t*>(value));
  }
  *fieldType = word;
  *length = needed;
  MoveTo(next);
  return DBERR_NONE;
}

DBResult DSEXTRACT::FinishMetadata() {
  for (size_t i = 0; i < columns_.size(); ++i) {
    Column& column = columns_[i];
    if (MakeConverter(column.fieldType, &column.converter) != DBERR_NONE) {
      return PACKET_REFUSE(&fault_, DBERR_ROWSNOTREADY,
                           "column %llu (%s): type word 0x%08X has no value layout", Ull(i + 1),
                           columnNames_[i].c_str(), column.fieldType);
    }
  }
  StartRows(rowsLeft_);
  return DBERR_EOF;
}

void DSEXTRACT::StartRows(uint32_t rowCount) {
  for (Level& level : levels_) {
    level.nextItem = 0;
    level.rowsLeft = 0;
  }
  current_ = 0;
  rowsLeft_ = rowCount;
  phase_ = Phase::kRows;
  if (rowsLeft_ == 0) {
    phase_ = Phase::kExhausted;
    Attach({});  // the byte array is no longer referenced
  }
}

DBResult DSEXTRACT::PeekItem(Item* item) {
  const Level& level = levels_[current_];
  *item = Item{};
  if (level.nextItem == 0) {
    const size_t statusBytes = StatusBytes(level.columns.size());
    if (in_.remaining() < 1 + statusBytes) return RefuseRowStart(statusBytes);
    item->value = PacketValue{Pos(), 1, 0};
    item->next = Pos() + 1 + statusBytes;
    return DBERR_NONE;
  }
  const uint32_t j = level.nextItem - 1;
  item->column = &columns_[level.columns[j]];
  item->next = Pos();
  const uint32_t bits = (level.status[j / 4] >> (2 * (j % 4))) & 3;
  if (bits != 0) {
    item->status = (bits & kRowStatusNull) ? kItemNull : kItemUnchanged;
    return DBERR_NONE;
  }
  item->next = item->column->converter->Read(Pos(), End(), &item->value);
  if (item->next == nullptr) return RefuseValue();
  return DBERR_NONE;
}

DBResult DSEXTRACT::RefuseRowStart(size_t statusBytes) {
  return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                       "%s at offset %llu: the row state and %llu status bytes run past the end "
                       "of the packet (%llu bytes left)",
                       RowPlace().c_str(), Ull(in_.pos()), Ull(statusBytes), Ull(in_.remaining()));
}

DBResult DSEXTRACT::RefuseValue() {
  const Level& level = levels_[current_];
  const uint32_t index = level.columns[level.nextItem - 1];
  return PACKET_REFUSE(
      &fault_, DBERR_DATAPACKETMISMATCH, "%s, column %u (%s) at offset %llu: %s (%llu bytes left)",
      RowPlace().c_str(), index + 1, columnNames_[index].c_str(), Ull(in_.pos()),
      columns_[index].converter->Overrun(Pos(), End()).c_str(), Ull(in_.remaining()));
}

void DSEXTRACT::ConsumeItem(const Item& item) {
  MoveTo(item.next);
  Level& level = levels_[current_];
  if (item.column == nullptr) {  // the row state
    level.status = item.value.data + 1;
    level.nextItem = 1;
    CompleteRows();
    return;
  }
  ++level.nextItem;
  lastBlobMarker_ = item.value.blobMarker;
  lastNestedMark_ = 0;
  if (item.status == kItemValue && item.column->nestedLevel != kNoLevel) {
    uint32_t count = 0;
    std::memcpy(&count, item.value.data, 4);
    if (count & kNestedNotFetched) {
      lastNestedMark_ = count;
    } else if (count != 0) {
      Level& nested = levels_[item.column->nestedLevel];
      nested.rowsLeft = count;
      nested.nextItem = 0;
      current_ = item.column->nestedLevel;
      return;
    }
  }
  CompleteRows();
}

void DSEXTRACT::CompleteRows() {
  for (;;) {
    Level& level = levels_[current_];
    if (level.nextItem <= level.columns.size()) return;
    level.nextItem = 0;
    if (current_ == 0) {
      if (--rowsLeft_ == 0) {
        phase_ = Phase::kExhausted;
        Attach({});  // the byte array is no longer referenced
      }
      return;
    }
    if (--level.rowsLeft != 0) return;
    current_ = level.parent;
  }
}

DBResult DSEXTRACT::ReadNextItem(uint32_t* length, void* value, uint32_t* status) {
  if (fault_.Refused()) return fault_.status;
  if (length == nullptr) return DBERR_INVALIDPARAM;
  if (phase_ == Phase::kExhausted) return DBERR_EOF;
  if (phase_ != Phase::kRows) return DBERR_NA;
  Item item;
  DBResult result = PeekItem(&item);
  if (result != DBERR_NONE) return result;
  if (value == nullptr && status == nullptr) {
    *length = item.value.length;
    return DBERR_NONE;
  }
  if (status == nullptr) return DBERR_INVALIDPARAM;
  if (item.value.length > *length || (value == nullptr && item.value.length != 0)) {
    *length = item.value.length;
    return DBERR_INVALIDPARAM;
  }
  if (item.column == nullptr) {
    *static_cast<uint8_t*>(value) = *item.value.data;
  } else if (item.status == kItemValue) {
    item.column->converter->Extract(item.value, static_cast<uint8_t*>(value));
  }
  *length = item.value.length;
  *status = item.status;
  ConsumeItem(item);
  return DBERR_NONE;
}

DBResult DSEXTRACT::ReadNextItemInPlace(const uint8_t** data, uint32_t* length, uint32_t* status) {
  if (fault_.Refused()) return fault_.status;
  if (data == nullptr || length == nullptr || status == nullptr) return DBERR_INVALIDPARAM;
  if (phase_ == Phase::kExhausted) return DBERR_EOF;
  if (phase_ != Phase::kRows) return DBERR_NA;
  Item item;
  DBResult result = PeekItem(&item);
  if (result != DBERR_NONE) return result;
  *data = item.value.data;
  if (item.column != nullptr && item.status == kItemValue &&
      !item.column->converter->EngineFormInPlace()) {
    // Arrays of packed decimals: the engine form is shorter than the packet form.
    scratch_.resize(item.value.length);
    item.column->converter->Extract(item.value, scratch_.data());
    *data = scratch_.data();
  }
  *length = item.value.length;
  *status = item.status;
  ConsumeItem(item);
  return DBERR_NONE;
}

}  // namespace dspacket
