// The XML data packet reader: answers the reader interface (TDATAPACKET_READ) from an XML
// document, as the binary reader does from bytes. OpenPacket checks and parses the whole
// document (a copy of the bytes is kept); the calls then walk columns, parameters and rows
// exactly as on a binary packet; a refused document leaves its reason in Fault(), placed by
// offset (and line) in the packet. One thread at a time. Never throws.
//
// Item statuses differ from a binary packet in one way: a column whose attribute (or element)
// is missing from a row is reported as unchanged (2). The table import turns that into null
// unless XmlMissingMeansUnchanged says otherwise.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "datapacket/packetreader.h"
#include "datapacket/xmlparse.h"
#include "datapacket/xmlvalues.h"

namespace dspacket {

// Limit on hostile input: row items (row states and column values) a document may yield per
// byte of its text. An empty ROW of a wide table is a few bytes for many items; beyond this a
// small document could keep the import busy for hours.
constexpr uint64_t kMaxXmlRowItemsPerByte = 64;
constexpr uint64_t kXmlRowItemAllowance = 1 << 20;

// Field attribute bit of a column read with "attrname": its values travel as attributes.
constexpr uint16_t kFieldAttrXmlAttribute = 0x10;

// For the import: whether a column missing from an XML row keeps the unchanged status
// (fixed-size bytes columns; BLOB columns of modified versions, row state bit 8; in a delta
// table every column of a modified version) rather than becoming null.
bool XmlMissingMeansUnchanged(uint32_t fieldType, uint8_t rowState, bool deltaTable);

class DSXMLEXTRACT final : public TDATAPACKET_READ {
 public:
  DSXMLEXTRACT() = default;

  // Detects the encoding (UTF-8 byte order mark; else a declared encoding="UTF-8" when every
  // byte sequence is well-formed UTF-8; else the 8-bit code page), parses the document and its
  // metadata. DBERR_DATAPACKETMISMATCH: not XML, wrong first elements, FIELD without name, PARAM
  // without Name or Value, unmatched tags, limits exceeded; DBERR_NOMETADATA: a rows-only document;
  // DBERR_INVALIDFLDTYPE: a FIELD without a usable fieldtype; DBERR_NOFIELDNAME: an empty column
  // name; DBERR_NA: more than 63 levels.
  DBResult OpenPacket(std::span<const uint8_t> packet) override;
  // Follow-up packets are not taken from XML: DBERR_CANNOTAPPEND.
  DBResult ContinuePacket(std::span<const uint8_t> packet) override;
  DBResult NextColumn(DSColumnDesc* column) override;
  DBResult NextParameter(char* name, uint32_t* fieldType, uint32_t* length, void* value) override;
  DBResult ReadNextItem(uint32_t* length, void* value, uint32_t* status) override;
  // As ReadNextItem without a copy: `data` stays valid until the next call.
  DBResult ReadNextItemInPlace(const uint8_t** data, uint32_t* length, uint32_t* status);
  DBResult StatusText(DBResult status, std::string* text) override;
  uint32_t TextMode() const override;
  const PacketFault& Fault() const override { return fault_; }

  // Rows of level 0 in the document.
  uint32_t RowCount() const;
  // Columns of all levels (a binary header's column count).
  uint32_t ColumnCount() const { return static_cast<uint32_t>(columns_.size()); }
  bool Utf8() const { return utf8_; }

 private:
  static constexpr uint32_t kNoLevel = UINT32_MAX;

  struct Param {
    std::string name;
    uint32_t fieldType = 0;
    std::vector<uint8_t> value;  // as NextParameter hands it out
  };
  struct Column {
    DSColumnDesc desc{};
    std::string key;  // its XML name as rows spell it (raw document encoding)
    bool elementForm = false;
    uint32_t nestedLevel = kNoLevel;
    XmlKind kind = XmlKind::kNone;
    BcdShape bcd;
    std::vector<Param> params;
  };
  struct Level {
    uint32_t parent = kNoLevel;
    std::vector<uint32_t> columns;
    std::vector<Param> tableParams;
    std::unordered_map<std::string_view, uint32_t> byKey;  // XML name -> position in columns
    uint32_t nextColumn = 0;
    uint32_t nextTable = 0;
  };
  struct Frame {  // the rows being read at one level
    uint32_t level = 0;
    std::vector<uint32_t> rows;  // ROW elements
    size_t row = 0;
    uint32_t item = 0;              // 0: row state next, j + 1: column j next
    std::vector<int64_t> attrSlot;  // per column: attribute index, or -1
    std::vector<int64_t> elemSlot;  // per column: child element index, or -1
  };
  enum class Phase { kClosed, kMetadata, kRows, kExhausted };

  DBResult Open(std::span<const uint8_t> packet);
  // Marks the reader failed with `status`, whose reason a check has recorded; returns it.
  DBResult Fail(DBResult status);
  // "<FIELD> at offset 120": an element and its place, for reasons.
  std::string Where(uint32_t element) const;
  DBResult BuildLevel(uint32_t fields, const uint32_t* params, uint32_t parent, uint32_t depth,
                      uint32_t* levelIndex);
  DBResult BuildColumn(uint32_t field, uint32_t level, uint32_t depth);
  DBResult AddParam(std::string_view rawName, std::string_view rawValue, const char* xmlType,
                    uint32_t fieldType, std::vector<Param>* out);
  DBResult AddParamElement(uint32_t element, std::vector<Param>* out);
  DBResult Deliver(const Param& p, char* name, uint32_t* fieldType, uint32_t* length, void* value,
                   uint32_t* next);
  std::vector<uint32_t> RowsOf(uint32_t element) const;
  Frame MakeFrame(uint32_t level, std::vector<uint32_t> rows) const;
  std::string Key(const std::string& name8) const;
  DBResult ComputeItem();
  void ConsumeItem();
  DBResult NextItem(const uint8_t** data, uint32_t* length, uint32_t* status, bool copyOut,
                    void* value);

  std::string text_;  // the document (after a byte order mark)
  bool utf8_ = false;
  XmlDocument doc_;
  Phase phase_ = Phase::kClosed;
  PacketFault fault_;  // sticky once set: the document is refused
  std::vector<Column> columns_;
  std::vector<Level> levels_;
  uint32_t current_ = 0;
  bool fieldListOpen_ = false;
  uint32_t lastColumn_ = 0;
  uint32_t fieldNext_ = 0;
  uint32_t rowData_ = UINT32_MAX;  // the ROWDATA element, if any
  std::vector<Frame> frames_;
  bool cached_ = false;  // item_ holds the next item
  uint32_t itemStatus_ = 0;
  std::vector<uint8_t> item_;
};

}  // namespace dspacket
