// The binary data packet reader DSEXTRACT (abstract interface TDATAPACKET_READ): walks a
// packet's columns, parameters and rows in place, checking every length, count and offset
// against the end of the byte array; a refused packet leaves its reason in Fault(). Used by the
// table import and the packet tools. The bytes must outlive the reader's use of them; one
// thread at a time. Never throws.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "datapacket/fldconv.h"
#include "datapacket/packetfault.h"
#include "datapacket/packetformat.h"
#include "platform/bytereader.h"
#include "tableengine/dsstatus.h"

namespace dspacket {

using dsengine::DBResult;

class TDATAPACKET_READ {
 public:
  virtual ~TDATAPACKET_READ() = default;
  virtual DBResult OpenPacket(std::span<const uint8_t> packet) = 0;
  virtual DBResult ContinuePacket(std::span<const uint8_t> packet) = 0;
  virtual DBResult NextColumn(DSColumnDesc* column) = 0;
  virtual DBResult NextParameter(char* name, uint32_t* fieldType, uint32_t* length,
                                 void* value) = 0;
  virtual DBResult ReadNextItem(uint32_t* length, void* value, uint32_t* status) = 0;
  virtual DBResult StatusText(DBResult status, std::string* text) = 0;
  virtual uint32_t TextMode() const = 0;
  // Why the packet was refused: set by the call that failed it (the failure every later call
  // returns as well) and cleared by OpenPacket; empty (status 0) while the packet is good.
  // Calls refused for their arguments or their order (DBERR_INVALIDPARAM, DBERR_NA) leave it as it
  // is.
  virtual const PacketFault& Fault() const = 0;
};

// The 24-byte header, as read.
struct PacketHeader {
  uint32_t magic = 0;
  uint16_t versionMajor = 0;
  uint16_t versionMinor = 0;
  uint32_t headerSize = 0;
  uint16_t columnCount = 0;
  uint32_t rowCount = 0;
  uint32_t flags = 0;
  uint16_t rowDataOffset = 0;
};

// Reads and checks a binary packet header: the magic 0xBDE01996 with both version words at
// most 3, or 0x0000ABCD with any; a header size from 24 to the packet's length. False for
// anything else (which is then, at best, an XML packet), with the reason in `why` if given.
bool ReadPacketHeader(std::span<const uint8_t> packet, PacketHeader* header,
                      PacketFault* why = nullptr);
// True when the packet starts with either magic number: bytes that meant to be binary.
bool HasPacketMagic(std::span<const uint8_t> packet);

class DSEXTRACT final : public TDATAPACKET_READ {
 public:
  DSEXTRACT() = default;

  // Checks the header and opens level 0. DBERR_DATAPACKETMISMATCH for bytes that are not a binary
  // packet; DBERR_NOMETADATA for a packet without metadata.
  DBResult OpenPacket(std::span<const uint8_t> packet) override;
  // Attaches a follow-up packet after the metadata of the first one was read: its rows start
  // at the row data offset when that is valid, else right after its header. DBERR_NA before the
  // metadata is complete; DBERR_DATAPACKETMISMATCH for a bad header, another column count, or a
  // packet with metadata and rows but no valid row data offset.
  DBResult ContinuePacket(std::span<const uint8_t> packet) override;
  // Next column descriptor of the current level; a nested-table column opens its level,
  // whose columns come next. DBERR_EOF when the level has no more columns; DBERR_NA while field
  // parameters of the previous column are unread; DBERR_NOFIELDNAME for a name of length 0.
  DBResult NextColumn(DSColumnDesc* column) override;
  // Next field parameter of the last column, or, once the current level has all its columns,
  // its next table parameter. DBERR_EOF at the end of each list (the end of a nested level's table
  // parameters returns to the parent; the end of level 0's makes the rows readable).
  // `name` holds kParamNameBufferSize bytes; `length` is the value buffer's size in and the
  // value's length out. A varying value comes with its length prefix, an array value with its
  // 32-bit count. With name and value both null only the length is reported and the reader
  // stays on the parameter; a value longer than the buffer gives DBERR_INVALIDPARAM the same way.
  DBResult NextParameter(char* name, uint32_t* fieldType, uint32_t* length, void* value) override;
  // Next item of the current row: the row state (length 1), then per column its value
  // (status 0), null (status 1) or unchanged (status 2). After a nested-table value n the
  // next n rows are the nested level's. DBERR_EOF after the last row. With value and status both
  // null only the length is reported; a value longer than the buffer gives DBERR_INVALIDPARAM and
  // stays. REQUIRES: the metadata was read to its end (DBERR_NA otherwise).
  DBResult ReadNextItem(uint32_t* length, void* value, uint32_t* status) override;
  // As ReadNextItem, without a copy: `data` points at the value in the packet (valid while
  // the packet's bytes live), `length` is its length as the engine holds it. (The one kind
  // whose engine form differs, an array of packed decimals, is copied into a buffer of the
  // reader, valid until the next call.)
  DBResult ReadNextItemInPlace(const uint8_t** data, uint32_t* length, uint32_t* status);
  DBResult StatusText(DBResult status, std::string* text) override;
  uint32_t TextMode() const override { return kStreamBinary; }
  const PacketFault& Fault() const override { return fault_; }

  const PacketHeader& Header() const { return header_; }
  // True once the metadata was read to its end (rows readable).
  bool MetadataComplete() const { return phase_ == Phase::kRows || phase_ == Phase::kExhausted; }
  // The not-fetched marker of the last BLOB value read (a 4-byte prefix with bit 31), or 0.
  uint32_t LastBlobMarker() const { return lastBlobMarker_; }
  // The nested-rows mark (0x80000000 or another count with bit 31) of the last nested-table
  // value read, or 0; such a value carries no rows.
  uint32_t LastNestedMark() const { return lastNestedMark_; }

 private:
  static constexpr uint32_t kNoLevel = UINT32_MAX;

  struct Column {
    uint32_t fieldType;
    uint32_t nestedLevel;  // level a nested-table column opens, else kNoLevel
    std::unique_ptr<FLDConv> converter;
  };
  struct Level {
    uint32_t parent = kNoLevel;
    uint32_t remaining = 0;         // columns not read yet
    std::vector<uint32_t> columns;  // indexes into columns_, in column order
    bool tableListOpen = false;     // its table-parameter count was read
    uint32_t tableLeft = 0;         // table parameters not read yet
    // Row cursor.
    uint32_t nextItem = 0;            // 0: row state next, j + 1: column j next
    const uint8_t* status = nullptr;  // the current row's status bytes
    uint32_t rowsLeft = 0;            // nested rows still to come
  };
  enum class Phase { kClosed, kMetadata, kRows, kExhausted };

  // Reads from `packet` from now on (nothing for an empty span).
  void Attach(std::span<const uint8_t> packet);
  const uint8_t* Pos() const { return base_ + in_.pos(); }
  const uint8_t* End() const { return base_ + in_.size(); }
  // REQUIRES: p lies between Pos() and End() (a position handed out by a converter).
  void MoveTo(const uint8_t* p) { in_.Seek(static_cast<size_t>(p - base_)); }
  DBResult ReadParameter(char* name, uint32_t* fieldType, uint32_t* length, void* value);
  DBResult FinishMetadata();
  void StartRows(uint32_t rowCount);
  // The next row item, found but not consumed.
  struct Item {
    uint32_t status = kItemValue;
    PacketValue value;               // the row state (length 1) or a column's value
    const Column* column = nullptr;  // nullptr for the row state
    const uint8_t* next = nullptr;   // where the following item starts
  };
  DBResult PeekItem(Item* item);
  void ConsumeItem(const Item& item);
  void CompleteRows();
  // For reasons: the offset of `p` in the packet, and the row being read ("row 17", "row 17,
  // nested level 2").
  size_t OffsetOf(const uint8_t* p) const { return static_cast<size_t>(p - base_); }
  std::string RowPlace() const;
  // PeekItem's refusals, out of its way: a row whose state and status bytes run past the end,
  // and a value of the current level's next column that does.
  [[gnu::cold, gnu::noinline]] DBResult RefuseRowStart(size_t statusBytes);
  [[gnu::cold, gnu::noinline]] DBResult RefuseValue();

  const uint8_t* base_ = nullptr;  // the packet being read
  platform::ByteReader in_{nullptr, 0};
  PacketHeader header_;
  Phase phase_ = Phase::kClosed;
  PacketFault fault_;  // sticky once set: the packet is refused, every call returns its status
  std::vector<Column> columns_;
  std::vector<std::string> columnNames_;  // as the engine keeps them, for reasons only
  std::vector<Level> levels_;
  uint32_t current_ = 0;
  bool fieldListOpen_ = false;  // the last column's field parameters are being read
  uint32_t fieldLeft_ = 0;
  uint32_t rowsLeft_ = 0;  // level-0 rows still to come
  uint32_t lastBlobMarker_ = 0;
  uint32_t lastNestedMark_ = 0;
  std::vector<uint8_t> scratch_;  // engine form of a value that is not in place
};

}  // namespace dspacket
