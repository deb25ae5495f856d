// Skin archive writer.
//
// Local header (30 bytes, then the name):        Central directory entry (46 bytes, then name):
//   OFFSET SIZE MEANING                            OFFSET SIZE MEANING
//        0    4 0x04034B50 (first 2 bytes "SK")        0    4 0x02014B50
//        4    2 version needed (20)                    4    2 version made by (20)
//        6    2 flags (bit 0: encrypted)               6    2 version needed (20)
//        8    2 method (8, deflate)                    8    2 flags
//       10    2 time, 12 2 date                       10    2 method
//       14    4 CRC-32 of the plain data              12    2 time, 14 2 date
//       18    4 compressed size (with the 12-byte     16    4 CRC-32
//               encryption header when encrypted)     20    4 compressed size, 24 4 plain size
//       22    4 uncompressed size                     28    2 name length, 30 2 extra, 32 2 comment
//       26    2 name length                           34    2 disk, 36 2 internal attributes
//       28    2 extra length (0)                      38    4 external attributes
//                                                     42    4 local header offset
// End of central directory (22 bytes): 0x06054B50, disk numbers 0, entry counts, directory
// size, directory offset, comment length 0.
#include "tools/dzskin/skinarchivewriter.h"

#include <zlib.h>

#include <limits>

namespace dzskin {
namespace {

constexpr uint16_t kVersion = 20;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kFlagEncrypted = 1;
constexpr size_t kEncryptionHeaderSize = 12;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

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

// Traditional PKWARE encryption: three keys updated with every plain byte.
class PkEncrypter {
 public:
  explicit PkEncrypter(const std::string& password) {
    for (char c : password) Update(uint8_t(c));
  }
  uint8_t Encrypt(uint8_t plain) {
    const uint32_t t = (keys_[2] & 0xFFFF) | 2;
    const uint8_t cipher = plain ^ uint8_t((t * (t ^ 1)) >> 8);
    Update(plain);
    return cipher;
  }

 private:
  static uint32_t CrcStep(uint32_t crc, uint8_t b) {
    return uint32_t(get_crc_table()[(crc ^ b) & 0xFF]) ^ (crc >> 8);
  }
  void Update(uint8_t plain) {
    keys_[0] = CrcStep(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = CrcStep(keys_[2], uint8_t(keys_[1] >> 24));
  }
  uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

// Prefixes the encryption header and encrypts header and data in place. The header's first
// eleven bytes come from a generator seeded by the CRC, so output stays reproducible; the
// twelfth is the check byte, the CRC's high byte (no data descriptor is written).
void Encrypt(const std::string& password, uint32_t crc, std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  out.reserve(kEncryptionHeaderSize + data.size());
  uint32_t seed = crc ^ 0x9E3779B9u;
  for (size_t i = 0; i + 1 < kEncryptionHeaderSize; ++i) {
    seed = seed * 1103515245u + 12345u;
    out.push_back(uint8_t(seed >> 16));
  }
  out.push_back(uint8_t(crc >> 24));
  out.insert(out.end(), data.begin(), data.end());
  PkEncrypter enc(password);
  for (uint8_t& b : out) b = enc.Encrypt(b);
  data.swap(out);
}

struct Placed {
  uint32_t crc, compressedSize, size, offset;
};

}  // namespace

bool WriteSkinArchive(const std::vector<ArchiveFile>& files, const std::string& password,
                      std::vector<uint8_t>& out, std::string& error) {
  out.clear();
  const uint16_t flags = password.empty() ? 0 : kFlagEncrypted;
  if (files.size() > 0xFFFF) {
    error = "too many entries";
    return false;
  }
  std::vector<Placed> placed;
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
    const uint32_t crc = uint32_t(crc32(0, f.data.data(), uInt(f.data.size())));
    if (flags) Encrypt(password, crc, packed);
    placed.push_back({crc, uint32_t(packed.size()), uint32_t(f.data.size()), uint32_t(out.size())});
    Put32(out, 0x04034B50);
    Put16(out, kVersion);
    Put16(out, flags);
    Put16(out, kMethodDeflate);
    Put16(out, kFixedDosTime);
    Put16(out, kFixedDosDate);
    Put32(out, crc);
    Put32(out, uint32_t(packed.size()));
    Put32(out, uint32_t(f.data.size()));
    Put16(out, uint32_t(f.name.size()));
    Put16(out, 0);
    out.insert(out.end(), f.name.begin(), f.name.end());
    out.insert(out.end(), packed.begin(), packed.end());
    if (out.size() > std::numeric_limits<uint32_t>::max()) {
      error = "archive would exceed 4 GB";
      return false;
    }
  }
  const uint32_t directoryOffset = uint32_t(out.size());
  for (size_t i = 0; i < files.size(); ++i) {
    Put32(out, 0x02014B50);
    Put16(out, kVersion);
    Put16(out, kVersion);
    Put16(out, flags);
    Put16(out, kMethodDeflate);
    Put16(out, kFixedDosTime);
    Put16(out, kFixedDosDate);
    Put32(out, placed[i].crc);
    Put32(out, placed[i].compressedSize);
    Put32(out, placed[i].size);
    Put16(out, uint32_t(files[i].name.size()));
    Put16(out, 0);  // extra
    Put16(out, 0);  // comment
    Put16(out, 0);  // disk
    Put16(out, 0);  // internal attributes
    Put32(out, 0);  // external attributes
    Put32(out, placed[i].offset);
    out.insert(out.end(), files[i].name.begin(), files[i].name.end());
  }
  const uint32_t directorySize = uint32_t(out.size()) - directoryOffset;
  Put32(out, 0x06054B50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, uint32_t(files.size()));
  Put16(out, uint32_t(files.size()));
  Put32(out, directorySize);
  Put32(out, directoryOffset);
  Put16(out, 0);  // no archive comment: readers expect the end record at size - 22
  if (!files.empty()) out[0] = 'S', out[1] = 'K';  // the first local header's signature
  return true;
}

}  // namespace dzskin
