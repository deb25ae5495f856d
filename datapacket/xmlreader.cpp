// The XML data packet reader. OpenPacket turns the document into the same lists the binary
// reader walks: columns in packet order (a nested-table column followed by its level's
// columns), field parameters per column, table parameters per level; rows are read from the
// parsed elements as they are asked for.
#include "datapacket/xmlreader.h"

#include <cstring>
#include <new>

#include "platform/asciitext.h"
#include "platform/codepage.h"
#include "platform/status.h"

namespace dspacket {

using namespace dsengine;

namespace {

constexpr uint32_t kMaxHeaderColumns = 0xFFFF;  // the column count of a packet is 16 bits

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// True when the declaration at the start of `text` names encoding="UTF-8" (any case).
bool DeclaresUtf8(std::string_view text) {
  if (!StartsWith(text, "<?xml")) return false;
  const size_t end = text.find("?>");
  if (end == std::string_view::npos) return false;
  const std::string_view decl = text.substr(0, end);
  size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return false;
  at += 8;
  while (at < decl.size() && (decl[at] == ' ' || decl[at] == '=')) ++at;
  if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\'')) return false;
  const size_t close = decl.find(decl[at], at + 1);
  if (close == std::string_view::npos) return false;
  return platform::EqualsAsciiNoCase(decl.substr(at + 1, close - at - 1), "UTF-8");
}

long ParseLong(std::string_view raw, const XmlTextDecoder& decoder) {
  std::vector<uint8_t> v;
  if (!XmlValueFromText(XmlKind::kInt, 0x00010004, BcdShape{}, raw, decoder, &v)) return -1;
  int32_t value;
  std::memcpy(&value, v.data(), 4);
  return value;
}

XmlKind KindOfXmlWord(const char* word) { return XmlKindOf(ParamTypeOfXmlWord(word)); }

void PutPrefixed(const void* data, size_t length, uint32_t prefix, std::vector<uint8_t>* out) {
  const uint32_t max = prefix == 1 ? 0xFF : prefix == 2 ? 0xFFFF : 0x7FFFFFFF;
  const uint32_t n = static_cast<uint32_t>(length > max ? max : length);
  out->resize(prefix + size_t{n});
  std::memcpy(out->data(), &n, prefix);
  if (n != 0) std::memcpy(out->data() + prefix, data, n);
}

}  // namespace

bool XmlMissingMeansUnchanged(uint32_t fieldType, uint8_t rowState, bool deltaTable) {
  const bool modified = (rowState & 8) != 0;
  const bool bytes =
      FieldPacketType(fieldType) == kPacketBytes || FieldPacketType(fieldType) == kPacketBytes2;
  if (bytes && !(fieldType & kFieldVarying)) return true;
  if (bytes && FieldWidth(fieldType) == 4 && modified) return true;
  return deltaTable && modified;
}

DBResult DSXMLEXTRACT::Fail(DBResult status) {
  // Every refusing check records its reason; this keeps the failure sticky should one not.
  PACKET_REFUSE(&fault_, status, "refused with status %u", status);
  phase_ = Phase::kClosed;
  return status;
}

std::string DSXMLEXTRACT::Where(uint32_t element) const {
  const XmlElement& e = doc_.element(element);
  return ReasonText("<%.*s> at offset %llu", static_cast<int>(e.name.size()), e.name.data(),
                    doc_.OffsetOf(e.name.data() - 1));
}

DBResult DSXMLEXTRACT::OpenPacket(std::span<const uint8_t> packet) {
  *this = DSXMLEXTRACT();
  try {
    const DBResult status = Open(packet);
    return status == DBERR_NONE ? status : Fail(status);
  } catch (const std::bad_alloc&) {
    return Fail(PACKET_REFUSE(&fault_, DBERR_NOMEMORY, "out of memory reading the document"));
  }
}

std::string DSXMLEXTRACT::Key(const std::string& name8) const {
  return utf8_ ? platform::WideToUtf8(platform::AnsiToWide(name8)) : name8;
}

DBResult DSXMLEXTRACT::Open(std::span<const uint8_t> packet) {
  std::string_view bytes(reinterpret_cast<const char*>(packet.data()), packet.size());
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    utf8_ = true;
    bytes.remove_prefix(3);
  }
  size_t start = 0;
  while (start < bytes.size() && bytes[start] >= 1 && bytes[start] <= 32) ++start;
  const size_t origin = packet.size() - bytes.size() + start;  // after a byte order mark
  if (start >= bytes.size()) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "neither binary nor XML: %llu bytes without a tag", Ull(packet.size()));
  }
  if (bytes[start] != '<') {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "neither binary nor XML: '%c' (0x%02X) at offset %llu where a '<' "
                         "should start the document",
                         bytes[start], static_cast<uint8_t>(bytes[start]), Ull(origin));
  }
  text_.assign(bytes.substr(start));
  if (!utf8_ && DeclaresUtf8(text_)) {
    std::u16string wide;
    utf8_ = platform::Utf8ToWide(text_, wide);
  }
  DBResult status = doc_.Parse(text_, origin, &fault_);
  if (status != DBERR_NONE) return status;

  // DATAPACKET (optional), then METADATA (with FIELDS first) or ROWDATA.
  const std::vector<uint32_t>* container = &doc_.roots();
  if (container->empty()) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH, "the document holds no element");
  }
  if (doc_.element(container->front()).name == "DATAPACKET") {
    const uint32_t datapacket = container->front();
    container = &doc_.element(datapacket).children;
    if (container->empty()) {
      return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH, "%s holds no element",
                           Where(datapacket).c_str());
    }
  }
  const uint32_t first = container->front();
  if (doc_.element(first).name == "ROWDATA") {
    return PACKET_REFUSE(&fault_, DBERR_NOMETADATA, "%s comes before any <METADATA>",
                         Where(first).c_str());
  }
  if (doc_.element(first).name != "METADATA") {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "%s where <METADATA> or <ROWDATA> should come", Where(first).c_str());
  }
  const XmlElement& metadata = doc_.element(first);
  if (metadata.children.empty() || doc_.element(metadata.children[0]).name != "FIELDS") {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH, "%s does not start with <FIELDS>",
                         Where(first).c_str());
  }
  const uint32_t* params = nullptr;
  for (size_t i = 1; i < metadata.children.size(); ++i) {
    if (doc_.element(metadata.children[i]).name == "PARAMS") {
      params = &metadata.children[i];
      break;
    }
  }
  for (size_t i = 1; i < container->size(); ++i) {
    if (doc_.element((*container)[i]).name == "ROWDATA") {
      rowData_ = (*container)[i];
      break;
    }
  }
  uint32_t level0;
  status = BuildLevel(metadata.children[0], params, kNoLevel, 0, &level0);
  if (status != DBERR_NONE) return status;
  if (columns_.empty()) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH, "%s holds no <FIELD>",
                         Where(metadata.children[0]).c_str());
  }
  for (Level& level : levels_) {
    for (uint32_t j = 0; j < level.columns.size(); ++j) {
      level.byKey.emplace(columns_[level.columns[j]].key, j);
    }
  }
  const uint64_t items = uint64_t{doc_.elementCount()} * (1 + columns_.size());
  if (items > kMaxXmlRowItemsPerByte * text_.size() + kXmlRowItemAllowance) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "%llu elements of %llu columns could give more row items than a "
                         "document of %llu bytes may (%llu per byte)",
                         Ull(doc_.elementCount()), Ull(columns_.size()), Ull(text_.size()),
                         Ull(kMaxXmlRowItemsPerByte));
  }
  phase_ = Phase::kMetadata;
  return DBERR_NONE;
}

DBResult DSXMLEXTRACT::BuildLevel(uint32_t fields, const uint32_t* params, uint32_t parent,
                                  uint32_t depth, uint32_t* levelIndex) {
  if (levels_.size() >= kMaxPacketLevels) {
    return PACKET_REFUSE(&fault_, DBERR_NA, "%s: nested tables deeper than %u levels",
                         Where(fields).c_str(), kMaxPacketLevels);
  }
  const uint32_t index = static_cast<uint32_t>(levels_.size());
  levels_.emplace_back();
  levels_[index].parent = parent;
  *levelIndex = index;
  for (uint32_t child : doc_.element(fields).children) {
    if (doc_.element(child).name != "FIELD") continue;
    DBResult status = BuildColumn(child, index, depth);
    if (status != DBERR_NONE) return status;
    if (columns_.size() > kMaxHeaderColumns) {
      return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                           "%s: more than %u columns, which a packet cannot count",
                           Where(child).c_str(), kMaxHeaderColumns);
    }
  }
  if (params == nullptr) return DBERR_NONE;
  const XmlElement& p = doc_.element(*params);
  std::vector<Param> list;
  for (uint32_t i = 0; i < p.attributeCount; ++i) {
    const XmlAttribute& a = doc_.attribute(p.firstAttribute + i);
    DBResult status = AddParam(a.name, a.value, nullptr, 0, &list);
    if (status != DBERR_NONE) return status;
  }
  for (uint32_t child : p.children) {
    if (doc_.element(child).name != "PARAM") continue;
    DBResult status = AddParamElement(child, &list);
    if (status != DBERR_NONE) return status;
  }
  levels_[index].tableParams = std::move(list);
  return DBERR_NONE;
}

DBResult DSXMLEXTRACT::BuildColumn(uint32_t field, uint32_t levelIndex, uint32_t depth) {
  const XmlTextDecoder decoder(utf8_);
  const XmlElement& e = doc_.element(field);
  Column column;
  const std::string_view* attrName = doc_.Attribute(field, "attrname");
  const std::string_view* tagName = doc_.Attribute(field, "tagname");
  const std::string_view* fieldName = doc_.Attribute(field, "fieldname");
  const std::string_view* fieldType = doc_.Attribute(field, "fieldtype");
  if (attrName == nullptr && tagName == nullptr) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH, "%s has neither attrname nor tagname",
                         Where(field).c_str());
  }
  column.elementForm = attrName == nullptr;
  const std::string xmlName = decoder.Text8(attrName != nullptr ? *attrName : *tagName);
  column.key = Key(xmlName);
  const std::string name = fieldName != nullptr ? decoder.Text8(*fieldName) : xmlName;
  if (name.empty()) {
    return PACKET_REFUSE(&fault_, DBERR_NOFIELDNAME, "%s has an empty name", Where(field).c_str());
  }
  std::memcpy(column.desc.name, name.data(), std::min<size_t>(name.size(), kMaxFieldNameLength));
  static constexpr struct {
    const char* name;
    uint16_t bit;
  } kFlags[] = {{"hidden", 1}, {"readonly", 2}, {"required", 4}, {"linkfield", 8}};
  for (const auto& flag : kFlags) {
    const std::string_view* v = doc_.Attribute(field, flag.name);
    if (v != nullptr && platform::EqualsAsciiNoCase(decoder.Text8(*v), "true"))
      column.desc.attributes |= flag.bit;
  }
  if (!column.elementForm) column.desc.attributes |= kFieldAttrXmlAttribute;

  // Field parameters: the other attributes, then the PARAM children.
  static constexpr const char* kOwn[] = {"attrname", "tagname",  "fieldname", "fieldtype",
                                         "hidden",   "readonly", "required",  "linkfield"};
  for (uint32_t i = 0; i < e.attributeCount; ++i) {
    const XmlAttribute& a = doc_.attribute(e.firstAttribute + i);
    bool own = false;
    for (const char* o : kOwn) own |= a.name == o;
    if (own) continue;
    DBResult status = AddParam(a.name, a.value, nullptr, 0, &column.params);
    if (status != DBERR_NONE) return status;
  }
  uint32_t nestedFields = UINT32_MAX;
  const uint32_t* nestedParams = nullptr;
  for (const uint32_t& child : e.children) {
    const std::string_view childName = doc_.element(child).name;
    if (childName == "PARAM") {
      DBResult status = AddParamElement(child, &column.params);
      if (status != DBERR_NONE) return status;
    } else if (childName == "FIELDS" && nestedFields == UINT32_MAX) {
      nestedFields = child;
    } else if (childName == "PARAMS" && nestedParams == nullptr) {
      nestedParams = &child;
    }
  }

  const std::string_view* width = doc_.Attribute(field, "WIDTH");
  const std::string_view* decimals = doc_.Attribute(field, "DECIMALS");
  const std::string_view* subtype = doc_.Attribute(field, "SUBTYPE");
  const long widthValue = width != nullptr ? ParseLong(*width, decoder) : -1;
  uint32_t nestedCount = 0;
  if (fieldType != nullptr && decoder.Text8(*fieldType) == "nested" && nestedFields != UINT32_MAX) {
    for (uint32_t c : doc_.element(nestedFields).children) {
      nestedCount += doc_.element(c).name == "FIELD";
    }
  }
  if (nestedCount > kMaxHeaderColumns) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "column %s, %s: a nested table of more than %u columns", name.c_str(),
                         Where(field).c_str(), kMaxHeaderColumns);
  }
  column.desc.fieldType = fieldType == nullptr
                              ? 0
                              : ColumnTypeOfXmlWord(decoder.Text8(*fieldType), widthValue,
                                                    subtype != nullptr, nestedCount);
  if (column.desc.fieldType == 0) {
    if (fieldType == nullptr) {
      return PACKET_REFUSE(&fault_, DBERR_INVALIDFLDTYPE, "column %s, %s: no fieldtype",
                           name.c_str(), Where(field).c_str());
    }
    return PACKET_REFUSE(&fault_, DBERR_INVALIDFLDTYPE,
                         "column %s, %s: fieldtype \"%s\" (WIDTH %ld) is no column type",
                         name.c_str(), Where(field).c_str(), decoder.Text8(*fieldType).c_str(),
                         widthValue);
  }
  const bool memo = subtype != nullptr && decoder.Text8(*subtype) == "Text";
  column.kind = XmlKindOf(column.desc.fieldType, memo);
  if (widthValue >= 1 && widthValue <= 32) column.bcd.precision = static_cast<uint32_t>(widthValue);
  if (decimals != nullptr) {
    const long places = ParseLong(*decimals, decoder);
    if (places >= 0 && places <= 32) column.bcd.places = static_cast<uint32_t>(places);
  }

  const uint32_t index = static_cast<uint32_t>(columns_.size());
  columns_.push_back(std::move(column));
  levels_[levelIndex].columns.push_back(index);
  if (FieldPacketType(columns_[index].desc.fieldType) != kPacketNested) return DBERR_NONE;
  if (nestedFields == UINT32_MAX) {  // a nested table without columns
    if (levels_.size() >= kMaxPacketLevels) {
      return PACKET_REFUSE(&fault_, DBERR_NA, "%s: nested tables deeper than %u levels",
                           Where(field).c_str(), kMaxPacketLevels);
    }
    columns_[index].nestedLevel = static_cast<uint32_t>(levels_.size());
    levels_.emplace_back();
    levels_.back().parent = levelIndex;
    return DBERR_NONE;
  }
  uint32_t nested;
  DBResult status = BuildLevel(nestedFields, nestedParams, levelIndex, depth + 1, &nested);
  columns_[index].nestedLevel = nested;
  return status;
}

DBResult DSXMLEXTRACT::AddParam(std::string_view rawName, std::string_view rawValue,
                                const char* xmlType, uint32_t fieldType, std::vector<Param>* out) {
  const XmlTextDecoder decoder(utf8_);
  Param p;
  p.name = decoder.Text8(rawName);
  if (p.name.size() >= kParamNameBufferSize) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH,
                         "parameter name of %llu characters at offset %llu (at most %u)",
                         Ull(p.name.size()), doc_.OffsetOf(rawName.data()),
                         kParamNameBufferSize - 1);
  }
  XmlKind kind;
  if (xmlType == nullptr) {  // an attribute: typed by its name
    const KnownXmlParam* known = FindKnownXmlParam(p.name);
    kind = KindOfXmlWord(known != nullptr ? known->xmlType : "string");
    p.fieldType = known != nullptr ? known->fieldType : ParamTypeOfXmlWord("string");
  } else {
    kind = KindOfXmlWord(xmlType);
    p.fieldType = fieldType;
  }
  const uint32_t word = p.fieldType & ~kFieldRoundTrip;
  if (kind == XmlKind::kString) {
    std::string text = decoder.Text8(rawValue);
    text += '\0';  // a string parameter counts its terminating zero
    PutPrefixed(text.data(), text.size(), FieldWidth(word), &p.value);
  } else if (kind == XmlKind::kWideString || kind == XmlKind::kBytes) {
    std::vector<uint8_t> v;
    XmlValueFromText(kind, word, BcdShape{}, rawValue, decoder, &v);
    PutPrefixed(v.data(), v.size(), FieldWidth(word), &p.value);
  } else if (!XmlValueFromText(kind, word, BcdShape{}, rawValue, decoder, &p.value)) {
    // No value in the text: zero of the type (an empty array for arrays).
    const uint32_t size =
        (word & kFieldArray) ? 4
        : FieldPacketType(word) == kPacketBcd || FieldPacketType(word) == kPacketFmtBcd
            ? std::min(FieldWidth(word), kBcdPacketSize)
            : FieldWidth(word);
    p.value.assign(size, 0);
  }
  out->push_back(std::move(p));
  return DBERR_NONE;
}

DBResult DSXMLEXTRACT::AddParamElement(uint32_t element, std::vector<Param>* out) {
  const std::string_view* name = doc_.Attribute(element, "Name");
  const std::string_view* value = doc_.Attribute(element, "Value");
  if (name == nullptr || value == nullptr) {
    return PACKET_REFUSE(&fault_, DBERR_DATAPACKETMISMATCH, "%s without %s", Where(element).c_str(),
                         name == nullptr ? "Name" : "Value");
  }
  const std::string_view* type = doc_.Attribute(element, "Type");
  const std::string typeWord = type != nullptr ? XmlTextDecoder(utf8_).Text8(*type) : "string";
  uint32_t fieldType = ParamTypeOfXmlWord(typeWord);
  if (fieldType == 0) {
    return PACKET_REFUSE(&fault_, DBERR_INVALIDFLDTYPE, "%s: Type \"%s\" is no parameter type",
                         Where(element).c_str(), typeWord.c_str());
  }
  if (doc_.Attribute(element, "Roundtrip") != nullptr) fieldType |= kFieldRoundTrip;
  return AddParam(*name, *value, typeWord.c_str(), fieldType, out);
}

DBResult DSXMLEXTRACT::ContinuePacket(std::span<const uint8_t>) {
  if (fault_.Refused()) return fault_.status;
  return DBERR_CANNOTAPPEND;
}

DBResult DSXMLEXTRACT::NextColumn(DSColumnDesc* column) {
  if (fault_.Refused()) return fault_.status;
  if (column == nullptr) return DBERR_INVALIDPARAM;
  if (phase_ == Phase::kClosed) return DBERR_NA;
  if (phase_ != Phase::kMetadata) return DBERR_EOF;
  if (fieldListOpen_ && fieldNext_ < columns_[lastColumn_].params.size()) return DBERR_NA;
  Level& level = levels_[current_];
  if (level.nextColumn == level.columns.size()) return DBERR_EOF;
  lastColumn_ = level.columns[level.nextColumn++];
  const Column& c = columns_[lastColumn_];
  *column = c.desc;
  fieldListOpen_ = true;
  fieldNext_ = 0;
  if (c.nestedLevel != kNoLevel) current_ = c.nestedLevel;
  return DBERR_NONE;
}

DBResult DSXMLEXTRACT::Deliver(const Param& p, char* name, uint32_t* fieldType, uint32_t* length,
                               void* value, uint32_t* next) {
  if (length == nullptr) return DBERR_INVALIDPARAM;
  const uint32_t needed = static_cast<uint32_t>(p.value.size());
  if (fieldType != nullptr) *fieldType = p.fieldType;
  if (name == nullptr && value == nullptr) {
    *length = needed;
    return DBERR_NONE;
  }
  if (fieldType == nullptr || name == nullptr || value == nullptr || needed > *length) {
    if (needed > *length) *length = needed;
    return DBERR_INVALIDPARAM;
  }
  std::memcpy(name, p.name.c_str(), p.name.size() + 1);
  if (needed != 0) std::memcpy(value, p.value.data(), needed);
  *length = needed;
  ++*next;
  return DBERR_NONE;
}

DBResult DSXMLEXTRACT::NextParameter(char* name, uint32_t* fieldType, uint32_t* length,
                                     void* value) {
  if (fault_.Refused()) return fault_.status;
  if (phase_ == Phase::kClosed) return DBERR_NA;
  if (phase_ != Phase::kMetadata) return DBERR_EOF;
  if (fieldListOpen_) {
    const std::vector<Param>& params = columns_[lastColumn_].params;
    if (fieldNext_ == params.size()) {
      fieldListOpen_ = false;
      return DBERR_EOF;
    }
    return Deliver(params[fieldNext_], name, fieldType, length, value, &fieldNext_);
  }
  Level& level = levels_[current_];
  if (level.nextColumn != level.columns.size()) return DBERR_EOF;  // columns come first
  if (level.nextTable == level.tableParams.size()) {
    if (current_ != 0) {
      current_ = level.parent;
      return DBERR_EOF;
    }
    try {
      frames_.push_back(MakeFrame(0, RowsOf(rowData_)));
    } catch (const std::bad_alloc&) {
      return Fail(PACKET_REFUSE(&fault_, DBERR_NOMEMORY, "out of memory for the rows' list"));
    }
    phase_ = frames_.back().rows.empty() ? Phase::kExhausted : Phase::kRows;
    return DBERR_EOF;
  }
  return Deliver(level.tableParams[level.nextTable], name, fieldType, length, value,
                 &level.nextTable);
}

DSXMLEXTRACT::Frame DSXMLEXTRACT::MakeFrame(uint32_t level, std::vector<uint32_t> rows) const {
  Frame f;
  f.level = level;
  f.rows = std::move(rows);
  f.attrSlot.assign(levels_[level].columns.size(), -1);
  f.elemSlot.assign(levels_[level].columns.size(), -1);
  return f;
}

std::vector<uint32_t> DSXMLEXTRACT::RowsOf(uint32_t element) const {
  std::vector<uint32_t> rows;
  if (element == UINT32_MAX) return rows;
  for (uint32_t child : doc_.element(element).children) {
    if (StartsWith(doc_.element(child).name, "ROW")) rows.push_back(child);
  }
  return rows;
}

uint32_t DSXMLEXTRACT::RowCount() const { return static_cast<uint32_t>(RowsOf(rowData_).size()); }

DBResult DSXMLEXTRACT::ComputeItem() {
  if (cached_) return DBERR_NONE;
  const Frame& f = frames_.back();
  const uint32_t rowElement = f.rows[f.row];
  const XmlTextDecoder decoder(utf8_);
  item_.clear();
  itemStatus_ = kItemValue;
  if (f.item == 0) {
    const std::string_view* state = doc_.Attribute(rowElement, "RowState");
    const long value = state != nullptr ? ParseLong(*state, decoder) : 0;
    item_.push_back(static_cast<uint8_t>(value < 0 ? 0 : value));
    cached_ = true;
    return DBERR_NONE;
  }
  const uint32_t j = f.item - 1;
  const Column& c = columns_[levels_[f.level].columns[j]];
  if (c.nestedLevel != kNoLevel) {
    const uint32_t count =
        f.elemSlot[j] < 0
            ? 0
            : static_cast<uint32_t>(RowsOf(static_cast<uint32_t>(f.elemSlot[j])).size());
    item_.resize(4);
    std::memcpy(item_.data(), &count, 4);
  } else {
    std::string_view raw;
    bool present = false;
    if (c.elementForm && f.elemSlot[j] >= 0) {
      raw = doc_.element(static_cast<uint32_t>(f.elemSlot[j])).content;
      present = true;
    } else if (!c.elementForm && f.attrSlot[j] >= 0) {
      raw = doc_.attribute(static_cast<uint32_t>(f.attrSlot[j])).value;
      present = true;
    }
    if (!present) {
      itemStatus_ = kItemUnchanged;
    } else if (!XmlValueFromText(c.kind, c.desc.fieldType, c.bcd, raw, decoder, &item_)) {
      itemStatus_ = kItemNull;
      item_.clear();
    }
  }
  cached_ = true;
  return DBERR_NONE;
}

void DSXMLEXTRACT::ConsumeItem() {
  cached_ = false;
  Frame& f = frames_.back();
  const Level& level = levels_[f.level];
  if (f.item == 0) {
    const uint32_t rowElement = f.rows[f.row];
    const XmlElement& e = doc_.element(rowElement);
    std::fill(f.attrSlot.begin(), f.attrSlot.end(), -1);
    std::fill(f.elemSlot.begin(), f.elemSlot.end(), -1);
    for (uint32_t i = 0; i < e.attributeCount; ++i) {
      const auto it = level.byKey.find(doc_.attribute(e.firstAttribute + i).name);
      if (it != level.byKey.end() && f.attrSlot[it->second] < 0) {
        f.attrSlot[it->second] = e.firstAttribute + i;
      }
    }
    for (uint32_t child : e.children) {
      const auto it = level.byKey.find(doc_.element(child).name);
      if (it != level.byKey.end() && f.elemSlot[it->second] < 0) f.elemSlot[it->second] = child;
    }
    f.item = 1;
  } else {
    const uint32_t j = f.item - 1;
    const Column& c = columns_[level.columns[j]];
    ++f.item;
    if (c.nestedLevel != kNoLevel && f.elemSlot[j] >= 0) {
      std::vector<uint32_t> rows = RowsOf(static_cast<uint32_t>(f.elemSlot[j]));
      if (!rows.empty()) {
        frames_.push_back(MakeFrame(c.nestedLevel, std::move(rows)));
        return;
      }
    }
  }
  for (;;) {  // complete finished rows, returning from nested levels
    Frame& top = frames_.back();
    if (top.item <= levels_[top.level].columns.size()) return;
    top.item = 0;
    ++top.row;
    if (top.row < top.rows.size()) return;
    if (frames_.size() == 1) {
      phase_ = Phase::kExhausted;
      return;
    }
    frames_.pop_back();
  }
}

DBResult DSXMLEXTRACT::NextItem(const uint8_t** data, uint32_t* length, uint32_t* status,
                                bool copyOut, void* value) {
  if (fault_.Refused()) return fault_.status;
  if (length == nullptr) return DBERR_INVALIDPARAM;
  if (phase_ == Phase::kExhausted) return DBERR_EOF;
  if (phase_ != Phase::kRows) return DBERR_NA;
  try {
    DBResult result = ComputeItem();
    if (result != DBERR_NONE) return Fail(result);
  } catch (const std::bad_alloc&) {
    return Fail(PACKET_REFUSE(&fault_, DBERR_NOMEMORY, "out of memory for a row value"));
  }
  const uint32_t size = static_cast<uint32_t>(item_.size());
  if (copyOut) {
    if (value == nullptr && status == nullptr) {
      *length = size;
      return DBERR_NONE;
    }
    if (status == nullptr || size > *length || (value == nullptr && size != 0)) {
      *length = size;
      return DBERR_INVALIDPARAM;
    }
    if (size != 0) std::memcpy(value, item_.data(), size);
  } else {
    if (data == nullptr || status == nullptr) return DBERR_INVALIDPARAM;
    *data = item_.data();
  }
  *length = size;
  *status = itemStatus_;
  try {
    ConsumeItem();
  } catch (const std::bad_alloc&) {
    return Fail(PACKET_REFUSE(&fault_, DBERR_NOMEMORY, "out of memory for nested rows"));
  }
  return DBERR_NONE;
}

DBResult DSXMLEXTRACT::ReadNextItem(uint32_t* length, void* value, uint32_t* status) {
  return NextItem(nullptr, length, status, true, value);
}

DBResult DSXMLEXTRACT::ReadNextItemInPlace(const uint8_t** data, uint32_t* length,
                                           uint32_t* status) {
  return NextItem(data, length, status, false, nullptr);
}

DBResult DSXMLEXTRACT::StatusText(DBResult status, std::string* text) {
  if (text == nullptr) return DBERR_INVALIDPARAM;
  platform::LoadStatusText(status, *text);
  return DBERR_NONE;
}

uint32_t DSXMLEXTRACT::TextMode() const { return 5; }

}  // namespace dspacket
