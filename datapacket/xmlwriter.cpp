// The XML data packet writer.
//
// Document, without line breaks or indentation:
//   <?xml version="1.0" standalone="yes"?>  (encoding="UTF-8" in UTF-8 mode), two blanks,
//   <DATAPACKET Version="2.0">
//     <METADATA><FIELDS><FIELD .../>...</FIELDS><PARAMS .../></METADATA>
//     <ROWDATA><ROW RowState="4" attrname="value" .../>...</ROWDATA>
//   </DATAPACKET>
// A nested-table column's FIELD holds the nested level's FIELDS and PARAMS; in a row, the
// column is an element named after it holding "ROW" + column name elements.
#include "datapacket/xmlwriter.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/asciitext.h"
#include "platform/codepage.h"
#include "platform/status.h"

namespace dspacket {

using namespace dsengine;

namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" standalone=\"yes\"?>  ";
constexpr char kDeclarationUtf8[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  ";

// Runs `op`, turning an exhausted allocator into the engine's status.
template <typename Op>
DBResult Guarded(Op op) {
  try {
    return op();
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
}

void Attribute(std::string* out, std::string_view name, std::string_view escapedValue) {
  *out += ' ';
  *out += name;
  *out += "=\"";
  *out += escapedValue;
  *out += '"';
}

bool HasAttribute(const std::string& attrs, std::string_view name) {
  const std::string key = " " + std::string(name) + "=\"";
  return attrs.find(key) != std::string::npos;
}

}  // namespace

std::string DSXMLWRITER::Name(const char* name) const {
  std::string out;
  if (utf8_) {
    AppendEscaped(platform::WideToUtf8(platform::AnsiToWide(name)), &out);
  } else {
    AppendEscaped(name, &out);
  }
  return out;
}

DBResult DSXMLWRITER::SetTextMode(uint32_t mode) {
  mode_ = mode;
  return DBERR_NONE;
}

DBResult DSXMLWRITER::Start(uint32_t formatLevel, uint32_t columnCount) {
  if (formatLevel > kMaxFormatLevel) return DBERR_DATAPACKETMISMATCH;
  if (!IsXmlStreamMode(mode_)) return DBERR_NOTSUPPORTED;
  if (columnCount > 0xFFFF) return DBERR_NA;
  utf8_ = (mode_ & kStreamXmlUtf8) != 0;
  meta_ = (mode_ & kStreamXmlMetadata) != 0;
  out_ = utf8_ ? kDeclarationUtf8 : kDeclaration;
  out_ += "<DATAPACKET Version=\"2.0\">";
  discarded_.clear();
  formatLevel_ = formatLevel;
  headerColumnCount_ = columnCount;
  rowCount_ = 0;
  rowsOpened_ = false;
  fieldPending_ = false;
  current_ = 0;
  state_ = State::kMetadata;
  return DBERR_NONE;
}

DBResult DSXMLWRITER::BeginPacket(uint32_t formatLevel, uint32_t columnCount) {
  return Guarded([&]() -> DBResult {
    DBResult status = Start(formatLevel, columnCount);
    if (status != DBERR_NONE) return status;
    rowsOnly_ = false;
    columns_.clear();
    levels_.assign(1, Level{});
    levels_[0].remaining = columnCount;
    Meta() += "<METADATA>";
    return DBERR_NONE;
  });
}

DBResult DSXMLWRITER::BeginPacketWithColumns(uint32_t formatLevel, uint32_t columnCount,
                                             const DSColumnDesc* columns) {
  return Guarded([&]() -> DBResult {
    if (columns == nullptr && columns_.empty()) return DBERR_NA;
    std::vector<Column> kept;
    if (columns == nullptr) kept = columns_;
    DBResult status = Start(formatLevel, columnCount);
    if (status != DBERR_NONE) return status;
    rowsOnly_ = true;
    columns_.clear();
    levels_.assign(1, Level{});
    levels_[0].remaining = columnCount;
    for (uint32_t i = 0; i < columnCount; ++i) {
      const DSColumnDesc& desc = columns != nullptr ? columns[i] : kept[i].desc;
      while (levels_[current_].remaining == 0) {
        if (current_ == 0) return state_ = State::kIdle, DBERR_NA;
        current_ = levels_[current_].parent;
      }
      status = RegisterColumn(desc);
      if (status != DBERR_NONE) return state_ = State::kIdle, status;
      if (columns == nullptr) columns_.back().memo = kept[i].memo;
    }
    if (!MetadataComplete()) return state_ = State::kIdle, DBERR_NA;
    for (Level& level : levels_) level.closed = true;
    current_ = 0;
    return DBERR_NONE;
  });
}

DBResult DSXMLWRITER::RestartPacket() {
  if (columns_.empty()) return DBERR_NA;
  return BeginPacketWithColumns(formatLevel_, headerColumnCount_, nullptr);
}

// Two names can map to the same attribute name ("a b" and "a_b" both give a_b); a row element
// cannot carry one attribute twice, so a later column gets a numbered suffix. Its FIELD element
// names the real field, so a reader maps the values back.
std::string DSXMLWRITER::UniqueXmlName(const Level& level, std::string name) const {
  auto taken = [&](const std::string& candidate) {
    if (candidate == "RowState") return true;
    for (uint32_t index : level.columns)
      if (columns_[index].xmlName == candidate) return true;
    return false;
  };
  if (!taken(name)) return name;
  for (int suffix = 2;; ++suffix) {
    std::string candidate = name + "_" + std::to_string(suffix);
    if (!taken(candidate)) return candidate;
  }
}

DBResult DSXMLWRITER::RegisterColumn(const DSColumnDesc& desc) {
  const uint32_t packetType = FieldPacketType(desc.fieldType);
  if (packetType > kPacketTypeLast) return DBERR_NA;
  if (XmlTypeWordOf(desc.fieldType) == nullptr) return DBERR_FIELDTYPENOTSUPPORTEDXML;
  const uint32_t levelIndex = current_;
  Level& level = levels_[levelIndex];
  uint32_t nestedColumns = 0;
  if (packetType == kPacketNested) {
    nestedColumns = FieldWidth(desc.fieldType);
    if (nestedColumns > level.remaining - 1) return DBERR_NA;
    if (levels_.size() >= kMaxPacketLevels) return DBERR_NA;
  }
  level.remaining -= 1 + nestedColumns;
  Column column{desc, UniqueXmlName(level, Name(XmlNameOf(desc.name).c_str())), levelIndex,
                kNoLevel};
  column.kind = XmlKindOf(desc.fieldType);
  const uint32_t index = static_cast<uint32_t>(columns_.size());
  columns_.push_back(std::move(column));
  level.columns.push_back(index);
  if (packetType == kPacketNested) {
    Level nested;
    nested.parent = levelIndex;
    nested.remaining = nestedColumns;
    columns_.back().nestedLevel = static_cast<uint32_t>(levels_.size());
    current_ = static_cast<uint32_t>(levels_.size());
    levels_.push_back(std::move(nested));
  }
  return DBERR_NONE;
}

void DSXMLWRITER::FlushField() {
  if (!fieldPending_) return;
  fieldPending_ = false;
  std::string& out = Meta();
  out += "<FIELD";
  out += fieldAttrs_;
  if (columns_[fieldColumn_].nestedLevel != kNoLevel) {
    out += '>';
    out += fieldChildren_;  // the nested level's FIELDS and PARAMS follow, then </FIELD>
  } else if (fieldChildren_.empty()) {
    out += "/>";
  } else {
    out += '>';
    out += fieldChildren_;
    out += "</FIELD>";
  }
}

DBResult DSXMLWRITER::AppendColumn(const DSColumnDesc& column) {
  return Guarded([&]() -> DBResult { return DoAppendColumn(column); });
}

DBResult DSXMLWRITER::DoAppendColumn(const DSColumnDesc& column) {
  if (state_ != State::kMetadata || rowsOnly_) return DBERR_NA;
  const size_t nameLength = strnlen(column.name, kMaxFieldNameLength);
  if (nameLength == 0) return DBERR_NOFIELDNAME;
  if (nameLength == 8 && std::memcmp(column.name, "RowState", 8) == 0) return DBERR_NA;
  while (levels_[current_].remaining == 0) {
    if (current_ == 0) return DBERR_NA;
    DBResult status = CloseLevel();
    if (status != DBERR_NONE) return status;
  }
  DSColumnDesc desc = column;
  desc.name[nameLength] = '\0';
  const uint32_t levelIndex = current_;
  FlushField();
  DBResult status = RegisterColumn(desc);
  if (status != DBERR_NONE) return status;

  Level& level = levels_[levelIndex];
  if (!level.fieldsOpened) {
    Meta() += "<FIELDS>";
    level.fieldsOpened = true;
  }
  const Column& c = columns_.back();
  fieldAttrs_.clear();
  fieldChildren_.clear();
  const std::string name = Name(desc.name);
  if (name != c.xmlName) Attribute(&fieldAttrs_, "fieldname", name);
  Attribute(&fieldAttrs_, "attrname", c.xmlName);
  Attribute(&fieldAttrs_, "fieldtype", XmlTypeWordOf(desc.fieldType));
  if (FieldPacketType(desc.fieldType) == kPacketBytes && !(desc.fieldType & kFieldVarying)) {
    Attribute(&fieldAttrs_, "WIDTH", std::to_string(FieldWidth(desc.fieldType)));
  }
  static constexpr struct {
    uint16_t bit;
    const char* name;
  } kFlags[] = {{2, "readonly"}, {4, "required"}, {1, "hidden"}, {8, "linkfield"}};
  for (const auto& flag : kFlags) {
    if (desc.attributes & flag.bit) Attribute(&fieldAttrs_, flag.name, "true");
  }
  fieldPending_ = true;
  fieldColumn_ = static_cast<uint32_t>(columns_.size() - 1);
  return DBERR_NONE;
}

DBResult DSXMLWRITER::CloseLevel() {
  Level& level = levels_[current_];
  if (level.closed || level.remaining != 0) return DBERR_NA;
  FlushField();
  std::string& out = Meta();
  out += level.fieldsOpened ? "</FIELDS>" : "<FIELDS/>";
  out += "<PARAMS";
  out += level.paramAttrs;
  if (level.paramChildren.empty()) {
    out += "/>";
  } else {
    out += '>';
    out += level.paramChildren;
    out += "</PARAMS>";
  }
  level.closed = true;
  level.paramAttrs.clear();
  level.paramChildren.clear();
  if (current_ == 0) return DBERR_NONE;
  out += "</FIELD>";
  current_ = level.parent;
  return DBERR_NONE;
}

DBResult DSXMLWRITER::AppendParameter(bool tableLevel, const char* name, uint32_t fieldType,
                                      uint32_t length, const void* value) {
  return Guarded(
      [&]() -> DBResult { return DoAppendParameter(tableLevel, name, fieldType, length, value); });
}

DBResult DSXMLWRITER::DoAppendParameter(bool tableLevel, const char* name, uint32_t fieldType,
                                        uint32_t length, const void* value) {
  if (state_ != State::kMetadata || rowsOnly_ || rowCount_ != 0) return DBERR_NA;
  if (tableLevel && name == nullptr && fieldType == 0 && value == nullptr) return CloseLevel();
  if (name == nullptr || (value == nullptr && length != 0)) return DBERR_INVALIDPARAM;
  if (std::strlen(name) > 255) return DBERR_INVALIDPARAM;
  if (tableLevel) {
    const Level& level = levels_[current_];
    if (level.closed || level.remaining != 0) return DBERR_NA;
  } else if (!fieldPending_) {
    return DBERR_NA;  // field parameters follow their column directly
  }
  if (platform::EqualsAsciiNoCase(name, "FIELDPROPS")) return DBERR_NONE;

  // The value as the binary writer takes it: a varying value with its own length prefix.
  const uint8_t* data = static_cast<const uint8_t*>(value);
  uint32_t dataLength = length;
  const XmlKind kind = XmlKindOf(fieldType & ~kFieldRoundTrip);
  if (kind == XmlKind::kNone || kind == XmlKind::kNested) return DBERR_FIELDTYPENOTSUPPORTEDXML;
  if ((fieldType & kFieldVarying) && !(fieldType & kFieldArray)) {
    const uint32_t prefix = FieldWidth(fieldType);
    if ((prefix != 1 && prefix != 2 && prefix != 4) || length < prefix) return DBERR_INVALIDPARAM;
    uint32_t declared = 0;
    std::memcpy(&declared, data, prefix);
    if (declared > length - prefix) return DBERR_INVALIDPARAM;
    data += prefix;
    dataLength = declared;
  }
  const bool isString = kind == XmlKind::kString;
  if (isString) {  // a string parameter's value counts its terminating zero
    const char* text = reinterpret_cast<const char*>(data);
    dataLength = static_cast<uint32_t>(strnlen(text, dataLength));
  }

  std::string& attrs = tableLevel ? levels_[current_].paramAttrs : fieldAttrs_;
  std::string& children = tableLevel ? levels_[current_].paramChildren : fieldChildren_;
  const KnownXmlParam* known = FindKnownXmlParam(name);
  std::string text;
  if (known != nullptr && std::strcmp(known->xmlType, "boolean") == 0 &&
      (kind == XmlKind::kInt || kind == XmlKind::kUInt || kind == XmlKind::kBool)) {
    bool nonzero = false;
    for (uint32_t i = 0; i < dataLength; ++i) nonzero |= data[i] != 0;
    text = nonzero ? "TRUE" : "FALSE";
  } else if (!AppendXmlValueText(kind, fieldType, data, dataLength, utf8_, &text)) {
    return DBERR_INVALIDPARAM;
  }
  if (!tableLevel && platform::EqualsAsciiNoCase(name, "SUBTYPE"))
    columns_[fieldColumn_].memo = text == "Text";
  const std::string escapedName = Name(name);
  if (known != nullptr && !HasAttribute(attrs, escapedName) && !(fieldType & kFieldRoundTrip)) {
    Attribute(&attrs, escapedName, text);
    return DBERR_NONE;
  }
  children += "<PARAM";
  Attribute(&children, "Name", escapedName);
  Attribute(&children, "Value", text);
  if (!isString) Attribute(&children, "Type", XmlTypeWordOf(fieldType & ~kFieldRoundTrip));
  if (fieldType & kFieldRoundTrip) Attribute(&children, "Roundtrip", "True");
  children += "/>";
  return DBERR_NONE;
}

bool DSXMLWRITER::MetadataComplete() const {
  return std::all_of(levels_.begin(), levels_.end(),
                     [](const Level& level) { return level.remaining == 0; });
}

DBResult DSXMLWRITER::CloseMetadata() {
  if (rowsOnly_) return DBERR_NONE;
  if (!MetadataComplete()) return DBERR_NA;
  while (current_ != 0) {
    DBResult status = CloseLevel();
    if (status != DBERR_NONE) return status;
  }
  if (!levels_[0].closed) {
    DBResult status = CloseLevel();
    if (status != DBERR_NONE) return status;
  }
  Meta() += "</METADATA>";
  return DBERR_NONE;
}

DBResult DSXMLWRITER::PrepareRows() {
  if (!rowsOnly_ && CloseMetadata() != DBERR_NONE) return DBERR_ROWSNOTREADY;
  for (Column& column : columns_) column.kind = XmlKindOf(column.desc.fieldType, column.memo);
  for (Level& level : levels_) {
    level.nextItem = 0;
    level.rowsLeft = 0;
    level.countPending = false;
  }
  current_ = 0;
  out_ += "<ROWDATA>";
  rowsOpened_ = true;
  state_ = State::kRows;
  return DBERR_NONE;
}

DBResult DSXMLWRITER::AppendValue(uint32_t status, uint32_t length, const void* value) {
  return Guarded([&]() -> DBResult { return DoAppendValue(status, length, value); });
}

DBResult DSXMLWRITER::DoAppendValue(uint32_t status, uint32_t length, const void* value) {
  if (state_ == State::kMetadata) {
    DBResult prepared = PrepareRows();
    if (prepared != DBERR_NONE) return prepared;
  }
  if (state_ != State::kRows) return DBERR_NA;
  Level& level = levels_[current_];
  if (level.nextItem != 0) return AppendColumnValue(status, length, value);
  if (status != kItemValue || value == nullptr) return DBERR_INVALIDPARAM;
  const uint8_t state = *static_cast<const uint8_t*>(value);
  level.rowAttrs.clear();
  level.rowChildren.clear();
  if (state != 0) Attribute(&level.rowAttrs, "RowState", std::to_string(state));
  level.nextItem = 1;
  CompleteRows();
  return DBERR_NONE;
}

DBResult DSXMLWRITER::AppendColumnValue(uint32_t status, uint32_t length, const void* value) {
  Level& level = levels_[current_];
  const Column& column = columns_[level.columns[level.nextItem - 1]];
  if (status > kItemUnchanged) return DBERR_INVALIDPARAM;
  if (status != kItemValue || value == nullptr) {  // no attribute
    ++level.nextItem;
    CompleteRows();
    return DBERR_NONE;
  }
  const uint8_t* data = static_cast<const uint8_t*>(value);
  if (column.nestedLevel != kNoLevel) {
    if (length < 4) return DBERR_INVALIDPARAM;
    uint32_t count;
    std::memcpy(&count, data, 4);
    if ((count & kNestedNotFetched) && count != kNestedCountPending) {
      return DBERR_DELAYEDFETCHNOTSUPPORTEDXML;
    }
    ++level.nextItem;
    if (count == 0) {
      level.rowChildren += "<" + column.xmlName + "/>";
      CompleteRows();
      return DBERR_NONE;
    }
    level.rowChildren += "<" + column.xmlName + ">";
    Level& nested = levels_[column.nestedLevel];
    nested.countPending = count == kNestedCountPending;
    nested.rowsLeft = nested.countPending ? 0 : count;
    nested.rowsAppended = 0;
    nested.nextItem = 0;
    current_ = column.nestedLevel;
    return DBERR_NONE;
  }
  if ((column.desc.fieldType & kFieldVarying) && FieldWidth(column.desc.fieldType) == 4 &&
      (length & 0x80000000u)) {
    return DBERR_DELAYEDFETCHNOTSUPPORTEDXML;
  }
  std::string text;
  if (!AppendXmlValueText(column.kind, column.desc.fieldType, data, length, utf8_, &text)) {
    return DBERR_INVALIDPARAM;
  }
  Attribute(&level.rowAttrs, column.xmlName, text);
  ++level.nextItem;
  CompleteRows();
  return DBERR_NONE;
}

void DSXMLWRITER::CompleteRows() {
  for (;;) {
    Level& level = levels_[current_];
    if (level.nextItem <= level.columns.size()) return;
    level.nextItem = 0;
    std::string element = "ROW";
    if (current_ != 0)
      element +=
          columns_[levels_[level.parent].columns[levels_[level.parent].nextItem - 2]].xmlName;
    std::string& out = current_ == 0 ? out_ : levels_[level.parent].rowChildren;
    out += '<';
    out += element;
    out += level.rowAttrs;
    if (level.rowChildren.empty()) {
      out += "/>";
    } else {
      out += '>';
      out += level.rowChildren;
      out += "</" + element + ">";
    }
    if (current_ == 0) {
      ++rowCount_;
      return;
    }
    ++level.rowsAppended;
    if (level.countPending || --level.rowsLeft != 0) return;
    Level& parent = levels_[level.parent];
    parent.rowChildren += "</" + columns_[parent.columns[parent.nextItem - 2]].xmlName + ">";
    current_ = level.parent;
  }
}

DBResult DSXMLWRITER::CloseNestedRows() {
  return Guarded([&]() -> DBResult {
    if (state_ != State::kRows) return DBERR_NA;
    Level& level = levels_[current_];
    if (current_ == 0 || !level.countPending || level.nextItem != 0) return DBERR_NA;
    level.countPending = false;
    Level& parent = levels_[level.parent];
    parent.rowChildren += "</" + columns_[parent.columns[parent.nextItem - 2]].xmlName + ">";
    current_ = level.parent;
    CompleteRows();
    return DBERR_NONE;
  });
}

DBResult DSXMLWRITER::FinishPacket(ByteArray* packet) {
  return Guarded([&]() -> DBResult { return DoFinish(packet); });
}

DBResult DSXMLWRITER::DoFinish(ByteArray* packet) {
  if (packet == nullptr) return DBERR_INVALIDPARAM;
  if (state_ == State::kMetadata) {
    if (current_ != 0 && rowsOnly_) return DBERR_NA;
    DBResult status = CloseMetadata();
    if (status != DBERR_NONE) return status;
    out_ += "<ROWDATA/>";
  } else if (state_ != State::kRows || current_ != 0 || levels_[0].nextItem != 0) {
    return DBERR_NA;
  } else {
    out_ += "</ROWDATA>";
  }
  out_ += "</DATAPACKET>";
  ByteArray bytes = ByteArray::CopyOf(out_.data(), out_.size());
  if (bytes.size() != out_.size()) return DBERR_NOMEMORY;
  *packet = std::move(bytes);
  out_.clear();
  state_ = State::kFinished;
  return DBERR_NONE;
}

DBResult DSXMLWRITER::PacketSize(size_t* size) {
  if (size == nullptr) return DBERR_INVALIDPARAM;
  *size = out_.size();
  return DBERR_NONE;
}

DBResult DSXMLWRITER::ColumnCount(uint32_t* count) {
  if (count == nullptr) return DBERR_INVALIDPARAM;
  *count = static_cast<uint32_t>(columns_.size());
  return DBERR_NONE;
}

DBResult DSXMLWRITER::CopyColumns(std::span<DSColumnDesc> columns) {
  if (columns.size() < columns_.size()) return DBERR_INVALIDPARAM;
  for (size_t i = 0; i < columns_.size(); ++i) columns[i] = columns_[i].desc;
  return DBERR_NONE;
}

DBResult DSXMLWRITER::StatusText(DBResult status, std::string* text) {
  if (text == nullptr) return DBERR_INVALIDPARAM;
  platform::LoadStatusText(status, *text);
  return DBERR_NONE;
}

}  // namespace dspacket
