// Central directory listing; the layout is documented in skinarchivewriter.cpp.
#include "tools/dzskin/skinarchivelist.h"

#include "platform/bytereader.h"

namespace dzskin {

bool ListSkinArchive(const std::vector<uint8_t>& archive, std::vector<ArchiveEntryInfo>& entries,
                     std::string& error) {
  entries.clear();
  constexpr size_t kEndRecordSize = 22;
  if (archive.size() < kEndRecordSize || archive[0] != 'S' || archive[1] != 'K') {
    error = "not a skin archive (it must begin with \"SK\")";
    return false;
  }
  const size_t endAt = archive.size() - kEndRecordSize;
  platform::ByteReader r(archive.data(), archive.size());
  r.Seek(endAt);
  const uint32_t signature = r.U32();
  r.Skip(12);
  const uint32_t directoryOffset = r.U32();
  const uint16_t commentLength = r.U16();
  if (!r.ok() || signature != 0x06054B50 || commentLength != 0) {
    error = "no end-of-central-directory record at the end of the file";
    return false;
  }
  r.Seek(directoryOffset);
  while (r.ok() && r.pos() < endAt) {
    ArchiveEntryInfo e;
    r.Skip(8);
    const uint16_t flags = r.U16();
    e.method = r.U16();
    r.Skip(8);
    e.compressedSize = r.U32();
    e.size = r.U32();
    const uint16_t nameLength = r.U16(), extraLength = r.U16(), commentLen = r.U16();
    r.Skip(12);
    const uint8_t* name = r.Take(nameLength);
    r.Skip(size_t(extraLength) + commentLen);
    if (!r.ok()) break;
    e.name.assign(reinterpret_cast<const char*>(name), nameLength);
    e.encrypted = (flags & 1) != 0;
    entries.push_back(std::move(e));
  }
  if (!r.ok()) {
    error = "central directory runs outside the file";
    return false;
  }
  return true;
}

}  // namespace dzskin
