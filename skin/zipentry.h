// The skin archive's ZIP layout as the extractor (archive.h) reads it: finds an entry by name
// through the end record and the central directory, and the start of its data behind the
// local header. Every offset and length is checked against the archive's size.
// Stateless functions; the source is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/archivesource.h"

namespace skin {

constexpr size_t kEndRecordSize = 22;                 // end-of-central-directory record, no comment
constexpr size_t kCentralEntrySize = 46;              // fixed part of a central directory entry
constexpr size_t kLocalHeaderSize = 30;               // fixed part of a local header
constexpr size_t kEntryNameBuffer = 260;              // names of 260 bytes or more never match
constexpr uint32_t kEndRecordSignature = 0x06054B50;  // "PK" 5 6

constexpr uint16_t kFlagEncrypted = 0x0001;       // traditional PKWARE encryption
constexpr uint16_t kFlagDataDescriptor = 0x0008;  // check byte from the time, not the CRC

// What the central directory says about an entry (the local header is never trusted).
struct TZipEntry {
  uint16_t flags = 0;              // general purpose flags
  uint16_t method = 0;             // compression method (not consulted: always DEFLATE)
  uint16_t time = 0;               // last modification time (DOS)
  uint32_t crc32 = 0;              // CRC-32 of the uncompressed data (not verified)
  uint32_t compressedSize = 0;     // ignored by the extractor
  uint32_t uncompressedSize = 0;   // the extracted size must equal this
  uint32_t localHeaderOffset = 0;  // where the entry's local header starts
};

// Identifies the archive ("SK" at offset 0, end record exactly at size - 22 with a zero
// comment length) and searches its central directory for `name`, comparing with ASCII letters
// upper-cased. The first equal name wins. False when the archive is not one or has no entry.
bool FindArchiveEntry(TArchiveSource& archive, const std::string& name, TZipEntry& entry);

// Steps over the entry's local header, its name and its extra field. False when the header
// or the data start lies outside the archive.
bool FindEntryData(TArchiveSource& archive, const TZipEntry& entry, uint64_t& dataOffset);

}  // namespace skin
