// Locating an entry of a skin archive (see zipentry.h).
//
// Of the records (ziplayout.h) the locator consults:
// - the end record, exactly at file size - 22: its signature, the central directory offset
//   (where the search starts) and the comment length, which must be 0; the disk numbers,
//   entry counts and directory size are ignored;
// - each central directory entry: flags (bit 0 encrypted; bit 3 makes the time, not the
//   CRC-32, the check value of the password), time, CRC-32, uncompressed size (the extracted
//   size), the name, extra field and comment lengths (to step to the next entry) and the
//   local header offset; its signature, versions, method, date, compressed size, disk number
//   and attributes are not consulted;
// - the local header: only the name and extra field lengths, to step over them to the data.
#include "skin/zipentry.h"

#include "platform/asciitext.h"

namespace skin {

bool HasSkinArchiveMagic(const uint8_t* start) {
  return start[0] == kSkinArchiveMagic[0] && start[1] == kSkinArchiveMagic[1];
}

bool FindArchiveEntry(TArchiveSource& archive, const std::string& name, TZipEntry& entry) {
  uint8_t start[ZipLocalHeader::kSignatureField.size];
  if (!archive.ReadExact(0, start, sizeof start)) return false;
  if (!HasSkinArchiveMagic(start)) return false;

  const uint64_t size = archive.Size();
  if (size < ZipEndRecord::kSize) return false;
  const uint64_t endRecordPos = size - ZipEndRecord::kSize;
  uint8_t endRecord[ZipEndRecord::kSize];
  if (!archive.ReadExact(endRecordPos, endRecord, sizeof endRecord)) return false;
  TZipEndRecord end;
  if (!DecodeZipEndRecord(endRecord, end) || end.commentLength != 0) return false;
  if (name.size() >= kEntryNameBuffer) return false;

  // Every step advances by at least 46 bytes, so the search ends on any input.
  uint64_t pos = end.directoryOffset;
  while (pos < endRecordPos) {
    uint8_t fixed[ZipCentralEntry::kSize];
    if (!archive.ReadExact(pos, fixed, sizeof fixed)) return false;
    const TZipEntry candidate = DecodeZipCentralEntry(fixed);
    if (candidate.nameLength == name.size()) {
      std::string entryName(candidate.nameLength, '\0');
      if (!archive.ReadExact(pos + ZipCentralEntry::kSize, entryName.data(), entryName.size()))
        return false;
      if (platform::EqualsAsciiNoCase(entryName, name)) {
        entry = candidate;
        return true;
      }
    }
    pos += ZipCentralEntry::kSize + uint64_t{candidate.nameLength} + candidate.extraLength +
           candidate.commentLength;
  }
  return false;
}

bool FindEntryData(TArchiveSource& archive, const TZipEntry& entry, uint64_t& dataOffset) {
  uint8_t header[ZipLocalHeader::kSize];
  if (!archive.ReadExact(entry.localHeaderOffset, header, sizeof header)) return false;
  platform::ByteReader r(header, sizeof header);
  const uint32_t nameLength = ReadZipField(r, 0, ZipLocalHeader::kNameLength);
  const uint32_t extraLength = ReadZipField(r, 0, ZipLocalHeader::kExtraLength);
  if (!r.ok()) return false;
  dataOffset = uint64_t{entry.localHeaderOffset} + ZipLocalHeader::kSize + nameLength + extraLength;
  return dataOffset <= archive.Size();
}

}  // namespace skin
