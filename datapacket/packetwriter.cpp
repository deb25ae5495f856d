// The binary packet writer. The byte layout it produces is documented in packetreader.cpp.
//
// Metadata is written with one "provisional" 16-bit zero at the end of the buffer: behind each
// column (or its last field parameter) it stands for the level's table-parameter count in case
// no further column follows; the next column or field parameter overwrites it. A level's
// table-parameter count is fixed when its first table parameter is written or its list is
// closed; the closing of a nested level leaves a new provisional zero that serves as the
// parent's count unless a column of the parent follows.
#include "datapacket/packetwriter.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstring>

namespace dspacket {

using namespace dsengine;

namespace {

// The growth step alternates between a small fixed step and the current size (capped). The
// alternation is one switch shared by every writer of the process.
class PacketGrowthSwitch {
 public:
  static size_t NextStep(size_t capacity) {
    const bool large = alternation_.fetch_xor(1) == 0;
    return large ? std::min<size_t>(capacity, kGrowthStepLargeCap) : kGrowthStepSmall;
  }
  static void ResetToLarge() { alternation_.store(0); }

 private:
  static inline std::atomic<unsigned> alternation_{0};
};

uint32_t StatusBytes(size_t columns) { return static_cast<uint32_t>((columns + 3) / 4); }

bool IsExtendedType(uint32_t packetType) {
  return packetType >= kPacketAdt && packetType <= kPacketFmtBcd;
}

}  // namespace

DBResult DSDATAPACKET::Ensure(size_t bytes) {
  const size_t free = buf_.capacity() - buf_.size();
  if (free >= bytes) return DBERR_NONE;
  const size_t capacity = buf_.capacity();
  const size_t step = std::max(bytes, PacketGrowthSwitch::NextStep(capacity));
  if (step > SIZE_MAX - capacity) return DBERR_NOMEMORY;
  return buf_.Reserve(capacity + step) ? DBERR_NONE : DBERR_NOMEMORY;
}

DBResult DSDATAPACKET::Reserve(size_t bytes) {
  if (bytes > SIZE_MAX - buf_.size()) return DBERR_NOMEMORY;
  return buf_.Reserve(buf_.size() + bytes) ? DBERR_NONE : DBERR_NOMEMORY;
}

uint8_t* DSDATAPACKET::Tail(size_t bytes) {
  uint8_t* p = buf_.data() + buf_.size();
  buf_.SetSize(buf_.size() + bytes);
  return p;
}

void DSDATAPACKET::Put16(size_t offset, uint16_t value) {
  std::memcpy(buf_.data() + offset, &value, 2);
}

void DSDATAPACKET::Put32(size_t offset, uint32_t value) {
  std::memcpy(buf_.data() + offset, &value, 4);
}

DBResult DSDATAPACKET::Start(uint32_t formatLevel, uint32_t columnCount, uint32_t flags) {
  if (formatLevel > kMaxFormatLevel) return DBERR_DATAPACKETMISMATCH;
  if (textMode_ != kStreamBinary) return DBERR_NOTSUPPORTED;
  if (columnCount > 0xFFFF) return DBERR_NA;
  state_ = State::kIdle;
  buf_.SetSize(0);
  if (!buf_.Reserve(kInitialPacketBuffer)) return DBERR_NOMEMORY;
  uint8_t* h = Tail(kHeaderSize);
  std::memset(h, 0, kHeaderSize);
  Put32(kHdrMagic, kPacketMagic);
  Put16(kHdrVersionMajor, kVersionMajor);
  Put32(kHdrHeaderSize, kHeaderSize);
  Put16(kHdrColumnCount, static_cast<uint16_t>(columnCount));
  Put32(kHdrFlags, flags);
  formatLevel_ = formatLevel;
  headerColumnCount_ = columnCount;
  rowCount_ = 0;
  sent_ = 0;
  lasting_.clear();
  lastingBytes_ = 0;
  sinkFailed_ = false;
  rowsBegun_ = false;
  provisional_ = kNone;
  provisionalKind_ = Provisional::kNone;
  current_ = 0;
  state_ = State::kMetadata;
  return DBERR_NONE;
}

DBResult DSDATAPACKET::BeginPacket(uint32_t formatLevel, uint32_t columnCount) {
  DBResult status = Start(formatLevel, columnCount, kPacketHasMetadata);
  if (status != DBERR_NONE) return status;
  rowsOnly_ = false;
  columns_.clear();
  levels_.assign(1, Level{});
  levels_[0].remaining = columnCount;
  return DBERR_NONE;
}

DBResult DSDATAPACKET::RegisterColumn(const DSColumnDesc& desc, size_t paramCountOffset) {
  const uint32_t packetType = FieldPacketType(desc.fieldType);
  if (packetType > kPacketTypeLast) return DBERR_NA;
  const uint32_t levelIndex = current_;
  Level& level = levels_[levelIndex];
  assert(level.remaining > 0);
  uint32_t nestedColumns = 0;
  if (packetType == kPacketNested) {
    nestedColumns = FieldWidth(desc.fieldType);
    if (nestedColumns > level.remaining - 1) return DBERR_NA;  // more columns than announced
    if (levels_.size() >= kMaxPacketLevels) return DBERR_NA;
  }
  level.remaining -= 1 + nestedColumns;
  const uint32_t index = static_cast<uint32_t>(columns_.size());
  columns_.push_back(Column{desc, levelIndex, kNoLevel, paramCountOffset, nullptr});
  level.columns.push_back(index);
  if (IsExtendedType(packetType)) Put16(kHdrVersionMajor, kVersionMajorExtended);
  if (packetType == kPacketNested) {
    Level nested;
    nested.parent = levelIndex;
    nested.remaining = nestedColumns;
    columns_.back().nestedLevel = static_cast<uint32_t>(levels_.size());
    current_ = static_cast<uint32_t>(levels_.size());
    levels_.push_back(std::move(nested));  // `level` is not used after this
  }
  return DBERR_NONE;
}

DBResult DSDATAPACKET::AppendColumn(const DSColumnDesc& column) {
  if (state_ != State::kMetadata || rowsOnly_) return DBERR_NA;
  const size_t nameLength = strnlen(column.name, dsengine::kMaxFieldNameLength);
  if (nameLength == 0) return DBERR_NOFIELDNAME;
  if (nameLength == 8 && std::memcmp(column.name, "RowState", 8) == 0) return DBERR_NA;
  while (levels_[current_].remaining == 0) {
    if (current_ == 0) return DBERR_NA;
    DBResult status = CloseLevel();  // a full nested level ends as if closed by the caller
    if (status != DBERR_NONE) return status;
  }
  if (FieldPacketType(column.fieldType) > kPacketTypeLast) return DBERR_NA;
  DBResult status = Ensure(kColumnReserve);
  if (status != DBERR_NONE) return status;

  const size_t start = provisional_ != kNone ? provisional_ : buf_.size();
  const size_t paramCountOffset = start + 1 + nameLength + 4 + 2;
  status = RegisterColumn(column, paramCountOffset);
  if (status != DBERR_NONE) return status;
  buf_.SetSize(start);
  uint8_t* p = Tail(1 + nameLength + 4 + 2 + 2 + 2);
  *p++ = static_cast<uint8_t>(nameLength);
  std::memcpy(p, column.name, nameLength);
  p += nameLength;
  std::memcpy(p, &column.fieldType, 4);
  std::memcpy(p + 4, &column.attributes, 2);
  std::memset(p + 6, 0, 4);  // parameter count, provisional table-parameter count
  provisional_ = paramCountOffset + 2;
  provisionalKind_ = Provisional::kColumnTail;
  return DBERR_NONE;
}

void DSDATAPACKET::FixTableCount(Level& level) {
  if (level.tableCountOffset != kNone) return;
  if (provisional_ != kNone) {
    level.tableCountOffset = provisional_;
    provisional_ = kNone;
    provisionalKind_ = Provisional::kNone;
    return;
  }
  level.tableCountOffset = buf_.size();
  std::memset(Tail(2), 0, 2);  // REQUIRES: the caller ensured 2 bytes
}

DBResult DSDATAPACKET::CloseLevel() {
  Level& level = levels_[current_];
  if (level.closed || level.remaining != 0) return DBERR_NA;
  DBResult status = Ensure(4);
  if (status != DBERR_NONE) return status;
  FixTableCount(level);
  level.closed = true;
  if (current_ == 0) return DBERR_NONE;  // the rows start where a closing zero would go
  provisional_ = buf_.size();
  provisionalKind_ = Provisional::kClosingZero;
  std::memset(Tail(2), 0, 2);
  current_ = level.parent;
  return DBERR_NONE;
}

DBResult DSDATAPACKET::AppendParameter(bool tableLevel, const char* name, uint32_t fieldType,
                                       uint32_t length, const void* value) {
  if (state_ != State::kMetadata || rowsOnly_ || rowCount_ != 0) return DBERR_NA;
  if (tableLevel && name == nullptr && fieldType == 0 && value == nullptr) return CloseLevel();
  if (name == nullptr || (value == nullptr && length != 0)) return DBERR_INVALIDPARAM;
  const size_t nameLength = std::strlen(name);
  if (nameLength > 255) return DBERR_INVALIDPARAM;
  if (tableLevel) {
    const Level& level = levels_[current_];
    if (level.closed || level.remaining != 0) return DBERR_NA;
  } else if (provisionalKind_ != Provisional::kColumnTail) {
    return DBERR_NA;  // field parameters follow their column directly
  }

  std::unique_ptr<FLDConv> converter;
  DBResult status = MakeConverter(fieldType, &converter);
  if (status != DBERR_NONE) return status;
  const uint8_t* data = static_cast<const uint8_t*>(value);
  uint32_t dataLength = length;
  if (const uint32_t prefix = converter->PrefixSize(); prefix != 0) {
    // The value brings its own length prefix; the converter writes a fresh one.
    if (length < prefix) return DBERR_INVALIDPARAM;
    uint32_t declared = 0;
    std::memcpy(&declared, data, prefix);
    if (declared > length - prefix) return DBERR_INVALIDPARAM;
    data += prefix;
    dataLength = declared;
  } else if (!(fieldType & kFieldArray) && length < converter->FixedSize()) {
    return DBERR_INVALIDPARAM;  // a fixed value shorter than its type
  }
  const size_t valueSize = converter->PacketSize(data, dataLength);
  if (valueSize == FLDConv::kUnencodable) return DBERR_INVALIDPARAM;
  status = Ensure(1 + nameLength + 4 + valueSize + 4);
  if (status != DBERR_NONE) return status;

  size_t countOffset;
  if (tableLevel) {
    Level& level = levels_[current_];
    FixTableCount(level);
    countOffset = level.tableCountOffset;
  } else {
    buf_.SetSize(provisional_);
    countOffset = columns_.back().paramCountOffset;
  }
  uint8_t* p = Tail(1 + nameLength + 4 + valueSize);
  *p++ = static_cast<uint8_t>(nameLength);
  std::memcpy(p, name, nameLength);
  std::memcpy(p + nameLength, &fieldType, 4);
  converter->Write(p + nameLength + 4, data, dataLength);
  uint16_t count = 0;
  std::memcpy(&count, buf_.data() + countOffset, 2);
  Put16(countOffset, static_cast<uint16_t>(count + 1));
  if (!tableLevel) {
    provisional_ = buf_.size();
    std::memset(Tail(2), 0, 2);
  }
  return DBERR_NONE;
}

bool DSDATAPACKET::MetadataComplete() const {
  return std::all_of(levels_.begin(), levels_.end(),
                     [](const Level& level) { return level.remaining == 0; });
}

void DSDATAPACKET::SetRowDataOffset(size_t offset) {
  if (offset > kMaxRowDataOffset) return;
  Put16(kHdrRowDataOffset, static_cast<uint16_t>(offset));
  uint32_t flags = 0;
  std::memcpy(&flags, buf_.data() + kHdrFlags, 4);
  Put32(kHdrFlags, flags | kPacketRowDataOffsetValid);
}

DBResult DSDATAPACKET::PrepareRows() {
  if (!rowsOnly_) {
    if (current_ != 0 || !MetadataComplete()) return DBERR_ROWSNOTREADY;
    if (Ensure(2) != DBERR_NONE) return DBERR_NOMEMORY;
    FixTableCount(levels_[0]);
    provisional_ = kNone;
    provisionalKind_ = Provisional::kNone;
  }
  for (Column& column : columns_) {
    if (MakeConverter(column.desc.fieldType, &column.converter) != DBERR_NONE)
      return DBERR_ROWSNOTREADY;
  }
  for (Level& level : levels_) {
    level.nextItem = 0;
    level.rowsLeft = 0;
    level.countPending = false;
  }
  current_ = 0;
  state_ = State::kRows;
  return DBERR_NONE;
}

DBResult DSDATAPACKET::AppendValue(uint32_t status, uint32_t length, const void* value) {
  if (sinkFailed_) return DBERR_NA;
  if (state_ == State::kMetadata) {
    DBResult prepared = PrepareRows();
    if (prepared != DBERR_NONE) return prepared;
  }
  if (state_ != State::kRows) return DBERR_NA;
  if (levels_[current_].nextItem == 0) {
    if (length < 1) return DBERR_INVALIDPARAM;  // the state byte must be there
    return AppendRowState(status, value);
  }
  return AppendColumnValue(status, length, value);
}

DBResult DSDATAPACKET::AppendRowState(uint32_t status, const void* value) {
  if (status != kItemValue || value == nullptr) return DBERR_INVALIDPARAM;
  Level& level = levels_[current_];
  const uint32_t statusBytes = StatusBytes(level.columns.size());
  DBResult result = Ensure(1 + size_t{statusBytes});
  if (result != DBERR_NONE) return result;
  if (!rowsBegun_) {
    SetRowDataOffset(buf_.size());
    rowsBegun_ = true;
  }
  uint8_t* p = Tail(1 + size_t{statusBytes});
  p[0] = *static_cast<const uint8_t*>(value);
  std::memset(p + 1, 0, statusBytes);
  level.statusOffset = buf_.size() - statusBytes;
  level.nextItem = 1;
  CompleteRows();  // a level without columns has rows of the state alone
  return DBERR_NONE;
}

DBResult DSDATAPACKET::AppendColumnValue(uint32_t status, uint32_t length, const void* value) {
  Level& level = levels_[current_];
  const uint32_t j = level.nextItem - 1;
  const Column& column = columns_[level.columns[j]];
  if (status > kItemUnchanged) return DBERR_INVALIDPARAM;
  if (status != kItemValue || value == nullptr) {
    const uint8_t bit = status == kItemUnchanged ? kRowStatusUnchanged : kRowStatusNull;
    buf_.data()[level.statusOffset + j / 4] |= static_cast<uint8_t>(bit << (2 * (j % 4)));
    ++level.nextItem;
    CompleteRows();
    return DBERR_NONE;
  }
  const uint8_t* data = static_cast<const uint8_t*>(value);
  // A fixed value takes its converter's size (a longer field, such as a 2-byte slot of an
  // 8-bit integer, gives its first bytes); a shorter length would make the converter read past
  // the caller's value.
  if (length < column.converter->FixedSize()) return DBERR_INVALIDPARAM;
  const size_t size = column.converter->PacketSize(data, length);
  if (size == FLDConv::kUnencodable) return DBERR_INVALIDPARAM;
  const uint32_t prefix = column.converter->PrefixSize();
  const bool lasting = sink_ != nullptr && prefix != 0 && length >= kLastingMin;
  DBResult result = Ensure(lasting ? prefix : size);
  if (result != DBERR_NONE) return result;
  const size_t valueOffset = buf_.size();
  if (lasting) {  // the prefix here, the bytes by reference
    std::memcpy(Tail(prefix), &length, prefix);
    lasting_.push_back({buf_.size(), data, length});
    lastingBytes_ += length;
  } else {
    column.converter->Write(Tail(size), data, length);
  }
  ++level.nextItem;
  if (column.nestedLevel != kNoLevel) {
    uint32_t count = 0;
    std::memcpy(&count, data, 4);
    Level& nested = levels_[column.nestedLevel];
    if (count == kNestedCountPending) {
      nested.countPending = true;
      nested.countOffset = valueOffset;
    } else if (count != 0 && !(count & kNestedNotFetched)) {
      nested.countPending = false;
      nested.rowsLeft = count;
    } else {
      CompleteRows();
      return DBERR_NONE;
    }
    nested.rowsAppended = 0;
    nested.nextItem = 0;
    current_ = column.nestedLevel;
    return DBERR_NONE;
  }
  CompleteRows();
  return DBERR_NONE;
}

void DSDATAPACKET::CompleteRows() {
  for (;;) {
    Level& level = levels_[current_];
    if (level.nextItem <= level.columns.size()) return;
    level.nextItem = 0;
    if (current_ == 0) {
      ++rowCount_;
      if (sent_ == 0)
        Put32(kHdrRowCount, rowCount_);
      else
        std::memcpy(header_ + kHdrRowCount, &rowCount_, 4);
      if (sink_ != nullptr && buf_.size() + lastingBytes_ >= chunk_) Spill();
      return;
    }
    ++level.rowsAppended;
    if (level.countPending || --level.rowsLeft != 0) return;
    current_ = level.parent;
  }
}

DBResult DSDATAPACKET::CloseNestedRows() {
  if (state_ != State::kRows) return DBERR_NA;
  Level& level = levels_[current_];
  if (current_ == 0 || !level.countPending || level.nextItem != 0) return DBERR_NA;
  Put32(level.countOffset, level.rowsAppended);
  level.countPending = false;
  current_ = level.parent;
  CompleteRows();
  return DBERR_NONE;
}

DBResult DSDATAPACKET::FinishPacket(ByteArray* packet) {
  if (packet == nullptr) return DBERR_INVALIDPARAM;
  if (state_ == State::kMetadata) {
    if (!rowsOnly_) {
      if (current_ != 0 || !MetadataComplete()) return DBERR_NA;
      if (Ensure(2) != DBERR_NONE) return DBERR_NOMEMORY;
      FixTableCount(levels_[0]);
    }
  } else if (state_ != State::kRows || current_ != 0 || levels_[0].nextItem != 0) {
    return DBERR_NA;
  }
  if (!rowsBegun_) SetRowDataOffset(buf_.size());
  state_ = State::kFinished;
  if (sink_ == nullptr) {
    *packet = std::move(buf_);
    return DBERR_NONE;
  }
  const bool headerSent = sent_ != 0;
  if (!sinkFailed_ && buf_.size() + lastingBytes_ != 0) Spill();
  if (!sinkFailed_ && headerSent && !sink_->Patch(0, header_, kHeaderSize)) sinkFailed_ = true;
  *packet = ByteArray();
  return sinkFailed_ ? DBERR_NA : DBERR_NONE;
}

void DSDATAPACKET::StreamTo(PacketSink* sink, size_t chunk) {
  sink_ = sink;
  chunk_ = chunk;
}

void DSDATAPACKET::Spill() {
  if (sent_ == 0) std::memcpy(header_, buf_.data(), kHeaderSize);
  size_t from = 0;
  for (const Lasting& l : lasting_) {
    if (l.at > from && !sink_->Append(buf_.data() + from, l.at - from)) sinkFailed_ = true;
    if (!sinkFailed_ && !sink_->AppendLasting(l.data, l.length)) sinkFailed_ = true;
    if (sinkFailed_) break;
    from = l.at;
  }
  if (!sinkFailed_ && buf_.size() > from && !sink_->Append(buf_.data() + from, buf_.size() - from))
    sinkFailed_ = true;
  sent_ += buf_.size() + lastingBytes_;
  buf_.SetSize(0);
  lasting_.clear();
  lastingBytes_ = 0;
}

DBResult DSDATAPACKET::BeginPacketWithColumns(uint32_t formatLevel, uint32_t columnCount,
                                              const DSColumnDesc* columns) {
  if (columns == nullptr && columns_.empty()) return DBERR_NA;
  PacketGrowthSwitch::ResetToLarge();
  DBResult status = Start(formatLevel, columnCount, 0);
  if (status != DBERR_NONE) return status;
  rowsOnly_ = true;
  if (columns != nullptr) {
    status = RegisterRowColumns(columnCount, columns);
    if (status != DBERR_NONE) {
      state_ = State::kIdle;
      return status;
    }
  } else {
    for (const Column& column : columns_) {
      if (IsExtendedType(FieldPacketType(column.desc.fieldType))) {
        Put16(kHdrVersionMajor, kVersionMajorExtended);
      }
    }
  }
  for (Level& level : levels_) level.closed = true;
  current_ = 0;
  return DBERR_NONE;
}

DBResult DSDATAPACKET::RegisterRowColumns(uint32_t columnCount, const DSColumnDesc* columns) {
  columns_.clear();
  levels_.assign(1, Level{});
  levels_[0].remaining = columnCount;
  for (uint32_t i = 0; i < columnCount; ++i) {
    while (levels_[current_].remaining == 0) {
      if (current_ == 0) return DBERR_NA;
      current_ = levels_[current_].parent;
    }
    DBResult status = RegisterColumn(columns[i], kNone);
    if (status != DBERR_NONE) return status;
  }
  return MetadataComplete() ? DBERR_NONE : DBERR_NA;
}

DBResult DSDATAPACKET::RestartPacket() {
  if (columns_.empty()) return DBERR_NA;
  return BeginPacketWithColumns(formatLevel_, headerColumnCount_, nullptr);
}

DBResult DSDATAPACKET::PacketSize(size_t* size) {
  if (size == nullptr) return DBERR_INVALIDPARAM;
  *size = static_cast<size_t>(sent_) + buf_.size() + lastingBytes_;
  return DBERR_NONE;
}

DBResult DSDATAPACKET::ColumnCount(uint32_t* count) {
  if (count == nullptr) return DBERR_INVALIDPARAM;
  *count = static_cast<uint32_t>(columns_.size());
  return DBERR_NONE;
}

DBResult DSDATAPACKET::CopyColumns(std::span<DSColumnDesc> columns) {
  if (columns.size() < columns_.size()) return DBERR_INVALIDPARAM;
  for (size_t i = 0; i < columns_.size(); ++i) columns[i] = columns_[i].desc;
  return DBERR_NONE;
}

DBResult DSDATAPACKET::SetTextMode(uint32_t mode) {
  textMode_ = mode;
  return DBERR_NONE;
}

}  // namespace dspacket
