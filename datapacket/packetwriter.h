// The binary data packet writer DSDATAPACKET (abstract interface TDATAPACKET_WRITE): builds a
// packet of columns, parameters and rows in one growing buffer and hands that buffer over.
// Used by the table export. One writer per export; one thread at a time. Every operation
// returns an engine status (0 = success) and never throws.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "datapacket/bytearray.h"
#include "datapacket/fldconv.h"
#include "datapacket/packetformat.h"
#include "tableengine/dsstatus.h"

namespace dspacket {

using dsengine::DBResult;

class TDATAPACKET_WRITE {
 public:
  virtual ~TDATAPACKET_WRITE() = default;
  virtual DBResult BeginPacket(uint32_t formatLevel, uint32_t columnCount) = 0;
  virtual DBResult BeginPacketWithColumns(uint32_t formatLevel, uint32_t columnCount,
                                          const DSColumnDesc* columns) = 0;
  virtual DBResult AppendParameter(bool tableLevel, const char* name, uint32_t fieldType,
                                   uint32_t length, const void* value) = 0;
  virtual DBResult FinishPacket(ByteArray* packet) = 0;
  virtual DBResult PacketSize(size_t* size) = 0;
  virtual DBResult AppendValue(uint32_t status, uint32_t length, const void* value) = 0;
  virtual DBResult AppendColumn(const DSColumnDesc& column) = 0;
  virtual DBResult RestartPacket() = 0;
  virtual DBResult ColumnCount(uint32_t* count) = 0;
  virtual DBResult CopyColumns(std::span<DSColumnDesc> columns) = 0;
  virtual DBResult StatusText(DBResult status, std::string* text) = 0;
  virtual DBResult CloseNestedRows() = 0;
  virtual DBResult SetTextMode(uint32_t mode) = 0;
  virtual uint32_t TextMode() const = 0;
};

// Where a streaming packet writer sends its bytes (DSDATAPACKET::StreamTo): a file being
// written, for instance.
class PacketSink {
 public:
  virtual ~PacketSink() = default;
  // Appends `size` bytes after those sent before. False stops the writer.
  virtual bool Append(const uint8_t* data, size_t size) = 0;
  // Overwrites `size` bytes sent before, from `offset` of the packet. False stops the writer.
  virtual bool Patch(uint64_t offset, const uint8_t* data, size_t size) = 0;
  // Appends bytes that stay where they are, unchanged, until Finish has returned: a sink may
  // keep a reference to them instead of a copy.
  virtual bool AppendLasting(const uint8_t* data, size_t size) { return Append(data, size); }
  // Called once everything was sent (while the bytes given to AppendLasting are still valid):
  // a sink that kept references is done with them when this returns. False: the sink failed.
  virtual bool Finish() { return true; }
};

class DSDATAPACKET final : public TDATAPACKET_WRITE {
 public:
  DSDATAPACKET() = default;

  // Resets the writer and starts a packet with metadata: header with `columnCount` (columns
  // of all levels), row count 0, packet flags 1; opens level 0. DBERR_DATAPACKETMISMATCH for a
  // format level above 3, DBERR_NA for more than 65535 columns, DBERR_NOMEMORY without memory.
  DBResult BeginPacket(uint32_t formatLevel, uint32_t columnCount) override;
  // Starts a rows-only packet (packet flags 0): `columnCount` descriptions, in packet order,
  // lay out the rows but are not written. With columns == nullptr keeps the registered ones.
  // DBERR_NA when the descriptions do not form complete levels.
  DBResult BeginPacketWithColumns(uint32_t formatLevel, uint32_t columnCount,
                                  const DSColumnDesc* columns) override;
  // Appends a column descriptor to the current level (stepping back out of full nested
  // levels first). DBERR_NA for "RowState", too many columns, a packet type code above 18, a
  // 64th level, or after table parameters or rows; DBERR_NOFIELDNAME for an empty name.
  DBResult AppendColumn(const DSColumnDesc& column) override;
  // tableLevel false: a field parameter of the last column; true: a table parameter of the
  // current level (REQUIRES its columns to be complete). tableLevel true with no name, type
  // and value closes the current level's table parameters and returns to the parent level.
  // A varying value starts with its own length prefix of the prefix width. DBERR_NA once rows
  // began or out of order, DBERR_INVALIDFLDTYPE for a field type word without a converter,
  // DBERR_INVALIDPARAM for a value that does not match its type word.
  DBResult AppendParameter(bool tableLevel, const char* name, uint32_t fieldType, uint32_t length,
                           const void* value) override;
  // Next item of the current row: the row state (status 0, length 1) first, then one call per
  // column in column order. Status 1 or no value: null; 2: unchanged. A fixed-size value
  // takes its converter's size: `length` must cover it (DBERR_INVALIDPARAM otherwise), more is
  // ignored. A nested-table value n (1 to 0x7FFFFFFF) is followed by n rows of the nested level;
  // 0xFFFFFFFF by rows up to CloseNestedRows. DBERR_ROWSNOTREADY when converters fail or the first
  // row is not at level 0; DBERR_INVALIDPARAM for a null row state or a value its converter cannot
  // encode.
  DBResult AppendValue(uint32_t status, uint32_t length, const void* value) override;
  // Ends nested rows begun with the count 0xFFFFFFFF: patches the count, returns to the
  // parent row. DBERR_NA without such rows or inside a row.
  DBResult CloseNestedRows() override;
  // Hands over the packet, sized to the bytes written; the writer is finished afterwards.
  // DBERR_NA in the middle of a row or with incomplete metadata: no partial packet goes out.
  DBResult FinishPacket(ByteArray* packet) override;
  // A follow-up rows-only packet with the same columns. DBERR_NA when no column was appended.
  DBResult RestartPacket() override;
  DBResult PacketSize(size_t* size) override;
  DBResult ColumnCount(uint32_t* count) override;
  // DBERR_INVALIDPARAM when `columns` is shorter than ColumnCount().
  DBResult CopyColumns(std::span<DSColumnDesc> columns) override;
  DBResult StatusText(DBResult status, std::string* text) override;
  // 0 binary; other modes are XML, which this writer refuses at BeginPacket (DBERR_NOTSUPPORTED).
  DBResult SetTextMode(uint32_t mode) override;
  uint32_t TextMode() const override { return textMode_; }

  // Makes room for `bytes` more bytes at once, for callers that know the packet's size
  // (saves the growth steps of a large export). DBERR_NOMEMORY without memory.
  DBResult Reserve(size_t bytes);
  // Streams the packets begun from now on into `sink` instead of keeping them whole: whenever
  // `chunk` bytes or more of complete outermost rows are buffered they are sent, so a packet of
  // any size needs a buffer of about `chunk` bytes. Varying values of kLastingMin bytes or
  // more are not copied but sent with AppendLasting: the caller keeps them unchanged until the
  // sink's Finish. FinishPacket sends the rest and then the final header (a Patch at offset 0)
  // and hands over an empty array; the caller then calls the sink's Finish. When the sink
  // refuses bytes, the writer stops with DBERR_NA (the sink knows why). nullptr: whole packets.
  void StreamTo(PacketSink* sink, size_t chunk);
  static constexpr uint32_t kLastingMin = 256;

 private:
  static constexpr size_t kNone = SIZE_MAX;
  static constexpr uint32_t kNoLevel = UINT32_MAX;

  struct Column {
    DSColumnDesc desc;
    uint32_t level;           // level the column belongs to
    uint32_t nestedLevel;     // level a nested-table column opens, else kNoLevel
    size_t paramCountOffset;  // its field parameter count in the buffer (kNone: not written)
    std::unique_ptr<FLDConv> converter;
  };
  struct Level {
    uint32_t parent = kNoLevel;
    uint32_t remaining = 0;           // columns still expected
    std::vector<uint32_t> columns;    // indexes into columns_, in column order
    size_t tableCountOffset = kNone;  // its table-parameter count, once fixed
    bool closed = false;              // table parameters closed
    // Row cursor.
    uint32_t nextItem = 0;       // 0: row state next, j + 1: column j next
    size_t statusOffset = 0;     // the current row's first status byte
    uint32_t rowsLeft = 0;       // nested rows still expected
    bool countPending = false;   // rows end with CloseNestedRows
    size_t countOffset = kNone;  // the pending count's place
    uint32_t rowsAppended = 0;
  };
  enum class State { kIdle, kMetadata, kRows, kFinished };
  enum class Provisional { kNone, kColumnTail, kClosingZero };

  DBResult Start(uint32_t formatLevel, uint32_t columnCount, uint32_t flags);
  DBResult RegisterColumn(const DSColumnDesc& desc, size_t paramCountOffset);
  DBResult RegisterRowColumns(uint32_t columnCount, const DSColumnDesc* columns);
  DBResult Ensure(size_t bytes);
  // Sends the buffered bytes to the sink (the header, once the first time).
  void Spill();
  void Put16(size_t offset, uint16_t value);
  void Put32(size_t offset, uint32_t value);
  uint8_t* Tail(size_t bytes);  // REQUIRES: Ensure(bytes) succeeded
  void FixTableCount(Level& level);
  DBResult CloseLevel();
  DBResult PrepareRows();
  DBResult AppendRowState(uint32_t status, const void* value);
  DBResult AppendColumnValue(uint32_t status, uint32_t length, const void* value);
  void CompleteRows();
  bool MetadataComplete() const;
  void SetRowDataOffset(size_t offset);
  DBResult WriteParameterValue(uint32_t fieldType, uint32_t length, const uint8_t* value);

  ByteArray buf_;
  State state_ = State::kIdle;
  bool rowsOnly_ = false;
  bool rowsBegun_ = false;
  uint32_t formatLevel_ = kMaxFormatLevel;
  uint32_t headerColumnCount_ = 0;
  uint32_t textMode_ = kStreamBinary;
  std::vector<Column> columns_;
  std::vector<Level> levels_;
  uint32_t current_ = 0;        // current level
  size_t provisional_ = kNone;  // a 16-bit 0 the next column or parameter overwrites
  Provisional provisionalKind_ = Provisional::kNone;
  uint32_t rowCount_ = 0;

  // Streaming (StreamTo).
  struct Lasting {
    size_t at;  // where in buf_ the bytes belong (before the byte at this offset)
    const uint8_t* data;
    uint32_t length;
  };
  PacketSink* sink_ = nullptr;
  std::vector<Lasting> lasting_;  // values sent by reference with the next Spill
  size_t lastingBytes_ = 0;
  size_t chunk_ = 0;
  uint64_t sent_ = 0;                 // bytes already sent; buf_ holds the ones after them
  uint8_t header_[kHeaderSize] = {};  // the header once sent: the row count still changes
  bool sinkFailed_ = false;
};

}  // namespace dspacket
