// Locating an entry of a skin archive, for the extractor (archive.h): finds an entry by name
// through the end record and the central directory, and the start of its data behind the
// local header. The layout is skin/ziplayout.h's; every offset and length is checked against
// the archive's size. Stateless functions; the source is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/archivesource.h"
#include "skin/ziplayout.h"

namespace skin {

constexpr size_t kEntryNameBuffer = 260;  // names of 260 bytes or more never match

// True when `start` (at least two bytes) begins a skin archive: "SK" instead of "PK".
bool HasSkinArchiveMagic(const uint8_t* start);

// Identifies the archive ("SK" at offset 0, end record exactly at size - 22 with a zero
// comment length) and searches its central directory for `name`, comparing with ASCII letters
// upper-cased. The first equal name wins. False when the archive is not one or has no entry.
// Only the central directory is trusted; the local header serves to find the data.
bool FindArchiveEntry(TArchiveSource& archive, const std::string& name, TZipEntry& entry);

// Steps over the entry's local header, its name and its extra field. False when the header
// or the data start lies outside the archive.
bool FindEntryData(TArchiveSource& archive, const TZipEntry& entry, uint64_t& dataOffset);

}  // namespace skin
