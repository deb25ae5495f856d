// Locating an entry of a skin archive (see zipentry.h).
//
// The archive is a ZIP file whose first two bytes are "SK" instead of "PK". Integers are
// little-endian.
//
// End-of-central-directory record, exactly at file size - 22:
//   OFFSET SIZE DESCRIPTION
//        0    4 signature 0x06054B50
//        4    2 number of this disk                        (ignored)
//        6    2 disk where the central directory starts    (ignored)
//        8    2 central directory entries on this disk     (ignored)
//       10    2 central directory entries in total         (ignored)
//       12    4 size of the central directory              (ignored)
//       16    4 offset of the central directory            where the search starts
//       20    2 archive comment length                     must be 0
//
// Central directory entry (46 bytes, then name, extra field and comment):
//   OFFSET SIZE DESCRIPTION
//        0    4 signature                                  (not examined)
//        4    2 version made by, 6 2 version needed        (ignored)
//        8    2 general purpose flags                      bit 0 encrypted, bit 3 descriptor
//       10    2 compression method                         (not consulted)
//       12    2 last modification time                     check value when bit 3 is set
//       14    2 last modification date                     (ignored)
//       16    4 CRC-32                                     check value when bit 3 is clear
//       20    4 compressed size                            (ignored)
//       24    4 uncompressed size                          the extracted size
//       28    2 name length
//       30    2 extra field length
//       32    2 comment length
//       34    2 disk number start, 36 2 internal attributes, 38 4 external attributes
//       42    4 offset of the local header
//
// Local header (30 bytes, then name and extra field): only the name length (offset 26) and
// the extra field length (offset 28) are read, to step over them to the entry data.
#include "skin/zipentry.h"

#include "platform/bytereader.h"

namespace skin {

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool NamesEqual(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

}  // namespace

bool FindArchiveEntry(TArchiveSource& archive, const std::string& name, TZipEntry& entry) {
  uint8_t start[4];
  if (!archive.ReadExact(0, start, sizeof start)) return false;
  if (start[0] != 'S' || start[1] != 'K') return false;

  const uint64_t size = archive.Size();
  if (size < kEndRecordSize) return false;
  const uint64_t endRecordPos = size - kEndRecordSize;
  uint8_t endRecord[kEndRecordSize];
  if (!archive.ReadExact(endRecordPos, endRecord, sizeof endRecord)) return false;
  platform::ByteReader end(endRecord, sizeof endRecord);
  uint32_t signature = end.U32();
  end.Seek(16);
  uint64_t pos = end.U32();
  uint16_t commentLength = end.U16();
  if (!end.ok() || signature != kEndRecordSignature || commentLength != 0) return false;
  if (name.size() >= kEntryNameBuffer) return false;

  // Every step advances by at least 46 bytes, so the search ends on any input.
  while (pos < endRecordPos) {
    uint8_t fixed[kCentralEntrySize];
    if (!archive.ReadExact(pos, fixed, sizeof fixed)) return false;
    platform::ByteReader r(fixed, sizeof fixed);
    r.Seek(8);
    TZipEntry candidate;
    candidate.flags = r.U16();
    candidate.method = r.U16();
    candidate.time = r.U16();
    r.Skip(2);  // date
    candidate.crc32 = r.U32();
    candidate.compressedSize = r.U32();
    candidate.uncompressedSize = r.U32();
    uint16_t nameLength = r.U16();
    uint16_t extraLength = r.U16();
    uint16_t entryCommentLength = r.U16();
    r.Seek(42);
    candidate.localHeaderOffset = r.U32();
    if (!r.ok()) return false;

    if (nameLength == name.size()) {
      std::string entryName(nameLength, '\0');
      if (!archive.ReadExact(pos + kCentralEntrySize, entryName.data(), nameLength)) return false;
      if (NamesEqual(entryName, name)) {
        entry = candidate;
        return true;
      }
    }
    pos += kCentralEntrySize + uint64_t{nameLength} + extraLength + entryCommentLength;
  }
  return false;
}

bool FindEntryData(TArchiveSource& archive, const TZipEntry& entry, uint64_t& dataOffset) {
  uint8_t header[kLocalHeaderSize];
  if (!archive.ReadExact(entry.localHeaderOffset, header, sizeof header)) return false;
  platform::ByteReader r(header, sizeof header);
  r.Seek(26);
  uint16_t nameLength = r.U16();
  uint16_t extraLength = r.U16();
  if (!r.ok()) return false;
  dataOffset = uint64_t{entry.localHeaderOffset} + kLocalHeaderSize + nameLength + extraLength;
  return dataOffset <= archive.Size();
}

}  // namespace skin
