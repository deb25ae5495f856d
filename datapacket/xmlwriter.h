// The XML data packet writer: the same interface and call sequence as the binary writer
// (TDATAPACKET_WRITE), writing the packet as an XML document instead (stream modes with bit 1
// or 2; bit 4 writes METADATA, bit 8 UTF-8). Streams the document as the calls come, without
// building a tree: only the current FIELD's and PARAMS' attributes and the attributes of the
// rows still open (a row's attributes must precede its nested rows) are held back.
// One writer per export; one thread at a time. Never throws.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "datapacket/packetwriter.h"
#include "datapacket/xmlvalues.h"

namespace dspacket {

// Stream modes (engine property 19, SetTextMode).
constexpr uint32_t kStreamXmlDocument = 1;   // declaration and DATAPACKET element
constexpr uint32_t kStreamXmlNoEffect = 2;   // counts as XML, changes nothing written
constexpr uint32_t kStreamXmlMetadata = 4;   // METADATA element
constexpr uint32_t kStreamXmlUtf8 = 8;       // UTF-8 declaration and texts
constexpr uint32_t kStreamXml = 5;           // what the client dataset passes for XML
constexpr uint32_t kStreamXmlUtf8Mode = 13;  // ... and for UTF-8 XML

// True for a stream mode that asks for an XML document.
constexpr bool IsXmlStreamMode(uint32_t mode) {
  return (mode & (kStreamXmlDocument | kStreamXmlNoEffect)) != 0;
}

class DSXMLWRITER final : public TDATAPACKET_WRITE {
 public:
  DSXMLWRITER() = default;

  // As the binary writer. The stream mode must be set first (SetTextMode) and be an XML mode:
  // DBERR_NOTSUPPORTED otherwise (the mixed text-body form with packet flag 0x8000 is not written).
  DBResult BeginPacket(uint32_t formatLevel, uint32_t columnCount) override;
  // A rows-only document: DATAPACKET with ROWDATA, no METADATA.
  DBResult BeginPacketWithColumns(uint32_t formatLevel, uint32_t columnCount,
                                  const DSColumnDesc* columns) override;
  // A "FIELD". DBERR_FIELDTYPENOTSUPPORTEDXML for a column whose type has no XML type word;
  // otherwise as the binary writer (DBERR_NA, DBERR_NOFIELDNAME).
  DBResult AppendColumn(const DSColumnDesc& column) override;
  // Known names become attributes of the FIELD or PARAMS, others PARAM elements; "FIELDPROPS"
  // is left out. Value forms as the binary writer takes them. DBERR_FIELDTYPENOTSUPPORTEDXML for a
  // value type without XML type word; DBERR_INVALIDPARAM for a value that does not match its type
  // word.
  DBResult AppendParameter(bool tableLevel, const char* name, uint32_t fieldType, uint32_t length,
                           const void* value) override;
  // A ROW attribute per column with a value. DBERR_DELAYEDFETCHNOTSUPPORTEDXML for a BLOB not
  // fetched (length with bit 31) or nested rows not fetched (count 0x80000000).
  DBResult AppendValue(uint32_t status, uint32_t length, const void* value) override;
  DBResult CloseNestedRows() override;
  // Closes ROWDATA and DATAPACKET and hands over the document. DBERR_NA in the middle of a row.
  DBResult FinishPacket(ByteArray* packet) override;
  DBResult RestartPacket() override;
  DBResult PacketSize(size_t* size) override;
  DBResult ColumnCount(uint32_t* count) override;
  DBResult CopyColumns(std::span<DSColumnDesc> columns) override;
  DBResult StatusText(DBResult status, std::string* text) override;
  DBResult SetTextMode(uint32_t mode) override;
  uint32_t TextMode() const override { return mode_; }

 private:
  static constexpr uint32_t kNoLevel = UINT32_MAX;

  struct Column {
    DSColumnDesc desc;
    std::string xmlName;  // attribute and element name, in the document's encoding
    uint32_t level;
    uint32_t nestedLevel;  // level a nested-table column opens, else kNoLevel
    bool memo = false;     // BLOB with SUBTYPE "Text": text instead of base64
    XmlKind kind = XmlKind::kNone;
  };
  struct Level {
    uint32_t parent = kNoLevel;
    uint32_t remaining = 0;
    std::vector<uint32_t> columns;
    bool fieldsOpened = false;
    bool closed = false;
    std::string paramAttrs;     // PARAMS attributes, until the level closes
    std::string paramChildren;  // PARAM elements of PARAMS
    // Row cursor.
    uint32_t nextItem = 0;
    std::string rowAttrs;     // the open row's attributes
    std::string rowChildren;  // the open row's nested-table elements
    uint32_t rowsLeft = 0;
    bool countPending = false;
    uint32_t rowsAppended = 0;
  };
  enum class State { kIdle, kMetadata, kRows, kFinished };

  DBResult Start(uint32_t formatLevel, uint32_t columnCount);
  std::string UniqueXmlName(const Level& level, std::string name) const;
  DBResult RegisterColumn(const DSColumnDesc& desc);
  DBResult DoAppendColumn(const DSColumnDesc& column);
  DBResult DoAppendParameter(bool tableLevel, const char* name, uint32_t fieldType, uint32_t length,
                             const void* value);
  DBResult DoAppendValue(uint32_t status, uint32_t length, const void* value);
  DBResult DoFinish(ByteArray* packet);
  std::string& Meta() { return meta_ ? out_ : discarded_; }
  void FlushField();
  DBResult CloseLevel();
  DBResult CloseMetadata();
  DBResult PrepareRows();
  DBResult AppendColumnValue(uint32_t status, uint32_t length, const void* value);
  void CompleteRows();
  bool MetadataComplete() const;
  std::string Name(const char* name) const;  // a name in the document's encoding, escaped

  uint32_t mode_ = kStreamXml;
  bool utf8_ = false;
  bool meta_ = true;
  State state_ = State::kIdle;
  bool rowsOnly_ = false;
  bool rowsOpened_ = false;
  uint32_t formatLevel_ = kMaxFormatLevel;
  uint32_t headerColumnCount_ = 0;
  std::string out_;
  std::string discarded_;  // metadata text when METADATA is not written
  std::vector<Column> columns_;
  std::vector<Level> levels_;
  uint32_t current_ = 0;
  // The FIELD of the last column, held back until its parameters are complete.
  bool fieldPending_ = false;
  uint32_t fieldColumn_ = 0;
  std::string fieldAttrs_;
  std::string fieldChildren_;
  uint32_t rowCount_ = 0;
};

}  // namespace dspacket
