// The ZIP layout of skin archives, written down once: the local header, the central directory
// entry and the end-of-central-directory record as OFFSET/SIZE/DESCRIPTION tables, with their
// signatures, flags, and one encoder and decoder per record. The entry locator (zipentry.h)
// reads archives by it; the dzskin tool writes and lists them by it; the tests build and edit
// archives by it. Constants and pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/bytereader.h"

namespace skin {

// A skin archive is a ZIP file whose first two bytes, the start of the first local header's
// signature, are "SK" instead of "PK". Integers are little-endian.
constexpr uint8_t kSkinArchiveMagic[2] = {'S', 'K'};

// A field of a record: where it starts within the record and how many bytes it has (2 or 4).
struct TZipField {
  uint8_t offset;
  uint8_t size;
};

// General purpose flags.
constexpr uint16_t kFlagEncrypted = 0x0001;       // traditional PKWARE encryption
constexpr uint16_t kFlagDataDescriptor = 0x0008;  // sizes and CRC follow the data; for an
                                                  // encrypted entry, the check byte is the
                                                  // time's high byte instead of the CRC's
constexpr uint16_t kZipMethodDeflate = 8;
constexpr uint16_t kZipVersion20 = 20;  // "2.0": DEFLATE and traditional encryption

// clang-format off

// Local header: kSize bytes, then the name, the extra field and the entry data.
struct ZipLocalHeader {
  static constexpr size_t kSize = 30;
  static constexpr uint32_t kSignature = 0x04034B50;  // "PK" 3 4
  //                                           OFFSET SIZE  DESCRIPTION
  static constexpr TZipField kSignatureField     { 0, 4};  // kSignature
  static constexpr TZipField kVersionNeeded      { 4, 2};  // version needed to extract
  static constexpr TZipField kFlags              { 6, 2};  // general purpose flags
  static constexpr TZipField kMethod             { 8, 2};  // compression method
  static constexpr TZipField kTime               {10, 2};  // last modification time (DOS)
  static constexpr TZipField kDate               {12, 2};  // last modification date (DOS)
  static constexpr TZipField kCrc32              {14, 4};  // CRC-32 of the uncompressed data
  static constexpr TZipField kCompressedSize     {18, 4};  // stored bytes, with the 12-byte
                                                           // encryption header when encrypted
  static constexpr TZipField kUncompressedSize   {22, 4};
  static constexpr TZipField kNameLength         {26, 2};
  static constexpr TZipField kExtraLength        {28, 2};
};

// Central directory entry: kSize bytes, then the name, the extra field and the comment.
struct ZipCentralEntry {
  static constexpr size_t kSize = 46;
  static constexpr uint32_t kSignature = 0x02014B50;  // "PK" 1 2
  //                                           OFFSET SIZE  DESCRIPTION
  static constexpr TZipField kSignatureField     { 0, 4};  // kSignature
  static constexpr TZipField kVersionMadeBy      { 4, 2};
  static constexpr TZipField kVersionNeeded      { 6, 2};
  static constexpr TZipField kFlags              { 8, 2};  // general purpose flags
  static constexpr TZipField kMethod             {10, 2};  // compression method
  static constexpr TZipField kTime               {12, 2};  // last modification time (DOS)
  static constexpr TZipField kDate               {14, 2};  // last modification date (DOS)
  static constexpr TZipField kCrc32              {16, 4};  // CRC-32 of the uncompressed data
  static constexpr TZipField kCompressedSize     {20, 4};
  static constexpr TZipField kUncompressedSize   {24, 4};
  static constexpr TZipField kNameLength         {28, 2};
  static constexpr TZipField kExtraLength        {30, 2};
  static constexpr TZipField kCommentLength      {32, 2};
  static constexpr TZipField kDiskNumberStart    {34, 2};
  static constexpr TZipField kInternalAttributes {36, 2};
  static constexpr TZipField kExternalAttributes {38, 4};
  static constexpr TZipField kLocalHeaderOffset  {42, 4};  // from the start of the archive
};

// End-of-central-directory record: kSize bytes, then the archive comment. A skin archive has
// no comment, so the record ends the file.
struct ZipEndRecord {
  static constexpr size_t kSize = 22;
  static constexpr uint32_t kSignature = 0x06054B50;  // "PK" 5 6
  //                                           OFFSET SIZE  DESCRIPTION
  static constexpr TZipField kSignatureField     { 0, 4};  // kSignature
  static constexpr TZipField kThisDisk           { 4, 2};  // number of this disk
  static constexpr TZipField kDirectoryDisk      { 6, 2};  // disk where the directory starts
  static constexpr TZipField kEntriesOnDisk      { 8, 2};  // directory entries on this disk
  static constexpr TZipField kEntries            {10, 2};  // directory entries in total
  static constexpr TZipField kDirectorySize      {12, 4};  // bytes of the central directory
  static constexpr TZipField kDirectoryOffset    {16, 4};  // from the start of the archive
  static constexpr TZipField kCommentLength      {20, 2};  // archive comment length
};

// clang-format on

// The values of a central directory entry; a writer puts the same values into the entry's
// local header (which has no comment length and no local header offset). Disk number and
// attributes are always 0. Each value has its field's width in the records (2 or 4 bytes).
struct TZipEntry {
  uint32_t versionMadeBy = 0;
  uint32_t versionNeeded = 0;
  uint32_t flags = 0;  // general purpose flags
  uint32_t method = 0;
  uint32_t time = 0;  // last modification time (DOS)
  uint32_t date = 0;  // last modification date (DOS)
  uint32_t crc32 = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint32_t nameLength = 0;
  uint32_t extraLength = 0;
  uint32_t commentLength = 0;
  uint32_t localHeaderOffset = 0;

  bool operator==(const TZipEntry&) const = default;
};

// The values of an end record; both entry counts are `entries`, both disk numbers 0.
struct TZipEndRecord {
  uint32_t entries = 0;
  uint32_t directorySize = 0;
  uint32_t directoryOffset = 0;
  uint32_t commentLength = 0;

  bool operator==(const TZipEndRecord&) const = default;
};

// Reads `field` of the record that starts `record` bytes into `r`'s data; a field beyond the
// end fails `r` as any read does (and reads as 0).
uint32_t ReadZipField(platform::ByteReader& r, size_t record, TZipField field);
// Writes `field` of the record that starts at `bytes[record]`.
// REQUIRES: record + field.offset + field.size <= bytes.size().
void WriteZipField(std::vector<uint8_t>& bytes, size_t record, TZipField field, uint32_t value);

// Decoders of the fixed parts; `fixed` holds the record's kSize bytes. A central directory
// entry's signature is not examined (readers step from entry to entry by the lengths); an end
// record is found by its signature, so that decoder is false when the signature differs.
TZipEntry DecodeZipCentralEntry(const uint8_t* fixed);
bool DecodeZipEndRecord(const uint8_t* fixed, TZipEndRecord& end);

// Encoders: append the record's fixed part to `out` (names, extra fields and comments are the
// caller's to append behind it).
void AppendZipLocalHeader(std::vector<uint8_t>& out, const TZipEntry& entry);
void AppendZipCentralEntry(std::vector<uint8_t>& out, const TZipEntry& entry);
void AppendZipEndRecord(std::vector<uint8_t>& out, const TZipEndRecord& end);

}  // namespace skin
