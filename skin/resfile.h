// The skin resource file ("SKINDATA.SK2" inside a skin archive): a chain of 77-byte directory
// records naming bitmaps, integers, bytes and strings. Tsk2SkinFileReader holds the four name
// tables parsed from it; ZizoSkinReader reads them by key. The file is untrusted: a chain that
// leaves the file, loops or grows beyond the limits below fails the parse cleanly.
// A reader is immutable after parsing except for ApplyTransparentColor / MutableBitmap;
// not thread-safe while being changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "skin/skinimage.h"

namespace skin {

// Record kinds; other values are skipped.
enum class ResourceKind : uint8_t { kBitmap = 0, kInteger = 1, kByte = 2, kString = 3 };

// The file's layout, read by Tsk2SkinFileReader and written by WriteResourceFile
// (resfilewriter.h) and the tests. Integers are 32-bit little-endian.
//
// Header, kResourceHeaderSize bytes at offset 0:
//   OFFSET SIZE DESCRIPTION
//        0   12 not interpreted (the writer puts kResourceMagic there)
//       12    4 header length: the number of header bytes; at least 24
//       16    4 not interpreted (the writer puts the number of entries there)
//       20    4 offset of the first directory record
// Directory record, kResourceRecordSize bytes at any offset; the records form a chain:
//   OFFSET SIZE DESCRIPTION
//        0   64 entry name, 8-bit, ended by the first zero byte or the end of the field
//       64    1 kind (ResourceKind); other kinds are skipped
//       65    4 offset of the value in the file
//       69    4 size of the value (bitmaps and strings)
//       73    4 offset of the next record; 0 ends the chain
// The record whose next offset is 0 is the end marker: it is read, never taken as an entry.
// Values: a bitmap is a complete BMP file; an integer 4 bytes, signed; a byte 1 byte; a
// string `size` bytes of text.
constexpr size_t kResourceHeaderSize = 24;
constexpr size_t kResourceHeaderLengthAt = 12;
constexpr size_t kResourceEntryCountAt = 16;
constexpr size_t kResourceFirstRecordAt = 20;
constexpr char kResourceMagic[] = "DZSKINRES";

constexpr size_t kResourceRecordSize = 77;
constexpr size_t kResourceNameSize = 64;  // the name field, at offset 0
constexpr size_t kRecordKindAt = 64;
constexpr size_t kRecordValueOffsetAt = 65;
constexpr size_t kRecordValueSizeAt = 69;
constexpr size_t kRecordNextAt = 73;

// The values of a directory record.
struct TResourceRecord {
  std::string name;
  uint8_t kind = 0;  // a ResourceKind, or any other value (skipped by readers)
  uint32_t valueOffset = 0;
  uint32_t valueSize = 0;
  uint32_t next = 0;  // 0: the end marker
};

// Reads the record at `offset`; false when it does not lie wholly inside the `size` bytes.
bool ReadResourceRecord(const uint8_t* data, size_t size, size_t offset, TResourceRecord& record);
// Writes the record at `bytes[at]`, its name cut to kResourceNameSize bytes and padded with
// zero bytes. REQUIRES: at + kResourceRecordSize <= bytes.size().
void StoreResourceRecord(std::vector<uint8_t>& bytes, size_t at, const TResourceRecord& record);

// Limits on hostile input. A skin has 84 keys, so a few thousand records is ample; the value
// limits stop a chain whose records all point at one large value from multiplying it.
constexpr size_t kMaxResourceRecords = 4096;
constexpr int64_t kMaxTotalBitmapPixels = int64_t(1) << 24;  // 64 MB of decoded colours
constexpr size_t kMaxTotalStringBytes = size_t(4) << 20;

enum class ResFileStatus {
  kOk,
  kTruncatedHeader,  // fewer than 24 bytes, or a header length beyond the file
  kBadHeaderLength,  // header length below 24: the first record offset would be missing
  kRecordOutOfFile,  // a directory record does not lie wholly inside the file
  kValueOutOfFile,   // an entry's value does not lie wholly inside the file
  kChainLoops,       // a next-record offset leads back to a record already read
  kTooManyRecords,   // more than kMaxResourceRecords records
  kTooMuchData,      // bitmaps or strings beyond the total limits
  kBadBitmap,        // a bitmap value that is not a bitmap file we can decode
};

const char* ResFileStatusText(ResFileStatus status);

class Tsk2SkinFileReader {
 public:
  using BitmapEntry = std::pair<std::string, SkinImage>;

  Tsk2SkinFileReader() = default;

  // Parses a whole resource file held in memory into the four tables. On failure the tables
  // are empty and the status says why (`detail`, when given, adds the offending entry).
  ResFileStatus Parse(const uint8_t* data, size_t size, std::string* detail = nullptr);

  // The bitmap of the first bitmap entry of that name (letter case ignored), or nullptr.
  const SkinImage* FindBitmap(std::string_view name) const;
  SkinImage* MutableBitmap(std::string_view name);
  // The integer of that name; -1 when missing or not a number.
  int32_t IntegerValue(std::string_view name) const;
  // The byte of that name; 0 when missing or not a number.
  int32_t ByteValue(std::string_view name) const;
  // The string of that name, and whether it exists.
  bool StringValue(std::string_view name, std::string& value) const;

  // Every bitmap gets `color` as its fixed transparent colour.
  void ApplyTransparentColor(ColorRef color);

  // The tables, in file order: bitmaps with their names, then "name=value" lines.
  const std::vector<BitmapEntry>& Bitmaps() const { return bitmaps_; }
  const std::vector<std::string>& Integers() const { return integers_; }
  const std::vector<std::string>& Bytes() const { return bytes_; }
  const std::vector<std::string>& Strings() const { return strings_; }

 private:
  void Clear();

  std::vector<BitmapEntry> bitmaps_;
  std::vector<std::string> integers_;
  std::vector<std::string> bytes_;
  std::vector<std::string> strings_;
};

}  // namespace skin
