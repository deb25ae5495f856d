// Skin archive writer. The records are skin/ziplayout.h's: per file a local header (version
// 20, the fixed date and time, no extra field) with the name and the stored data, then the
// central directory with one entry per file (no extra field, no comment), then the end record
// without an archive comment, so readers find it at size - 22.
#include "tools/dzskin/skinarchivewriter.h"

#include <zlib.h>

#include <limits>

#include "skin/pkcrypt.h"
#include "skin/ziplayout.h"

namespace dzskin {
namespace {

bool RawDeflate(const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  out.resize(deflateBound(&z, uLong(in.size())));
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = uInt(in.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const int rc = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return rc == Z_STREAM_END;
}

// Prefixes the encryption header and encrypts header and data in place. The header's first
// eleven bytes come from a generator seeded by the CRC, so output stays reproducible; the
// twelfth is the check byte, the CRC's high byte (no data descriptor is written).
void Encrypt(const std::string& password, uint32_t crc, std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  out.reserve(skin::kEncryptionHeaderSize + data.size());
  uint32_t seed = crc ^ 0x9E3779B9u;
  for (size_t i = 0; i + 1 < skin::kEncryptionHeaderSize; ++i) {
    seed = seed * 1103515245u + 12345u;
    out.push_back(uint8_t(seed >> 16));
  }
  out.push_back(uint8_t(crc >> 24));
  out.insert(out.end(), data.begin(), data.end());
  skin::TPkCipher(password).Encrypt(out.data(), out.size());
  data.swap(out);
}

}  // namespace

bool WriteSkinArchive(const std::vector<ArchiveFile>& files, const std::string& password,
                      std::vector<uint8_t>& out, std::string& error) {
  out.clear();
  if (files.size() > 0xFFFF) {
    error = "too many entries";
    return false;
  }
  std::vector<skin::TZipEntry> entries;
  for (const ArchiveFile& f : files) {
    if (f.name.size() > 0xFFFF || f.data.size() > std::numeric_limits<uint32_t>::max()) {
      error = "entry too large: " + f.name.substr(0, 64);
      return false;
    }
    std::vector<uint8_t> packed;
    if (!RawDeflate(f.data, packed)) {
      error = "compression failed for " + f.name;
      return false;
    }
    skin::TZipEntry e;
    e.versionMadeBy = e.versionNeeded = skin::kZipVersion20;
    e.flags = password.empty() ? 0 : skin::kFlagEncrypted;
    e.method = skin::kZipMethodDeflate;
    e.time = kFixedDosTime;
    e.date = kFixedDosDate;
    e.crc32 = uint32_t(crc32(0, f.data.data(), uInt(f.data.size())));
    if (e.flags & skin::kFlagEncrypted) Encrypt(password, e.crc32, packed);
    e.compressedSize = uint32_t(packed.size());
    e.uncompressedSize = uint32_t(f.data.size());
    e.nameLength = uint32_t(f.name.size());
    e.localHeaderOffset = uint32_t(out.size());
    skin::AppendZipLocalHeader(out, e);
    out.insert(out.end(), f.name.begin(), f.name.end());
    out.insert(out.end(), packed.begin(), packed.end());
    if (out.size() > std::numeric_limits<uint32_t>::max()) {
      error = "archive would exceed 4 GB";
      return false;
    }
    entries.push_back(e);
  }
  skin::TZipEndRecord end;
  end.entries = uint32_t(files.size());
  end.directoryOffset = uint32_t(out.size());
  for (size_t i = 0; i < files.size(); ++i) {
    skin::AppendZipCentralEntry(out, entries[i]);
    out.insert(out.end(), files[i].name.begin(), files[i].name.end());
  }
  end.directorySize = uint32_t(out.size()) - end.directoryOffset;
  skin::AppendZipEndRecord(out, end);  // no archive comment: readers expect it at size - 22
  if (!files.empty()) {                // the first local header's signature
    out[0] = skin::kSkinArchiveMagic[0];
    out[1] = skin::kSkinArchiveMagic[1];
  }
  return true;
}

}  // namespace dzskin
