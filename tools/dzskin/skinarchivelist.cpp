// Central directory listing, by the records of skin/ziplayout.h.
#include "tools/dzskin/skinarchivelist.h"

#include "platform/bytereader.h"
#include "skin/zipentry.h"
#include "skin/ziplayout.h"

namespace dzskin {

bool ListSkinArchive(const std::vector<uint8_t>& archive, std::vector<ArchiveEntryInfo>& entries,
                     std::string& error) {
  entries.clear();
  if (archive.size() < skin::ZipEndRecord::kSize || !skin::HasSkinArchiveMagic(archive.data())) {
    error = "not a skin archive (it must begin with \"SK\")";
    return false;
  }
  const size_t endAt = archive.size() - skin::ZipEndRecord::kSize;
  skin::TZipEndRecord end;
  if (!skin::DecodeZipEndRecord(archive.data() + endAt, end) || end.commentLength != 0) {
    error = "no end-of-central-directory record at the end of the file";
    return false;
  }
  platform::ByteReader r(archive.data(), archive.size());
  r.Seek(end.directoryOffset);
  while (r.ok() && r.pos() < endAt) {
    const uint8_t* fixed = r.Take(skin::ZipCentralEntry::kSize);
    if (!fixed) break;
    const skin::TZipEntry entry = skin::DecodeZipCentralEntry(fixed);
    const uint8_t* name = r.Take(entry.nameLength);
    r.Skip(size_t(entry.extraLength) + entry.commentLength);
    if (!r.ok()) break;
    ArchiveEntryInfo e;
    e.name.assign(reinterpret_cast<const char*>(name), entry.nameLength);
    e.compressedSize = entry.compressedSize;
    e.size = entry.uncompressedSize;
    e.method = uint16_t(entry.method);
    e.encrypted = (entry.flags & skin::kFlagEncrypted) != 0;
    entries.push_back(std::move(e));
  }
  if (!r.ok()) {
    error = "central directory runs outside the file";
    return false;
  }
  return true;
}

}  // namespace dzskin
