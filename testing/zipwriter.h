// Test helper: builds skin archives ("SK" ZIP layout) record by record from the layout of
// skin/ziplayout.h, with optional traditional PKWARE encryption and a CRC-32 of its own, so
// that the tests' fixtures never depend on the extractor or the dzskin writer. Header-only;
// used by the skin archive tests (which link the skin library).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/ziplayout.h"

namespace dztest {

// Bitwise reflected CRC-32 (polynomial 0xEDB88320) with the usual pre- and post-inversion.
inline uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return ~crc;
}
inline uint32_t Crc32(const std::vector<uint8_t>& data) { return Crc32(data.data(), data.size()); }

// The traditional PKWARE cipher (APPNOTE 6.1), both directions.
class ZipCipher {
 public:
  explicit ZipCipher(const std::string& password) {
    for (char c : password) Update(static_cast<uint8_t>(c));
  }
  uint8_t Encrypt(uint8_t plain) {
    uint8_t c = plain ^ Stream();
    Update(plain);
    return c;
  }
  uint8_t Decrypt(uint8_t cipher) {
    uint8_t p = cipher ^ Stream();
    Update(p);
    return p;
  }

 private:
  static uint32_t CrcByte(uint32_t crc, uint8_t b) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    return crc;
  }
  uint8_t Stream() const {
    uint32_t t = (k2_ | 2) & 0xFFFF;
    return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
  }
  void Update(uint8_t p) {
    k0_ = CrcByte(k0_, p);
    k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
    k2_ = CrcByte(k2_, static_cast<uint8_t>(k1_ >> 24));
  }
  uint32_t k0_ = 0x12345678, k1_ = 0x23456789, k2_ = 0x34567890;
};

// Encrypts `data` behind a 12-byte header whose last plain byte is `checkByte`.
inline std::vector<uint8_t> ZipEncrypt(const std::vector<uint8_t>& data,
                                       const std::string& password, uint8_t checkByte) {
  ZipCipher cipher(password);
  std::vector<uint8_t> out;
  for (int i = 0; i < 11; ++i) out.push_back(cipher.Encrypt(static_cast<uint8_t>(i * 37 + 5)));
  out.push_back(cipher.Encrypt(checkByte));
  for (uint8_t b : data) out.push_back(cipher.Encrypt(b));
  return out;
}

struct ZipTestEntry {
  std::string name;
  std::vector<uint8_t> data;  // the entry data as stored (compressed), before encryption
  uint32_t crc32 = 0;
  uint32_t uncompressedSize = 0;
  uint16_t method = skin::kZipMethodDeflate;
  uint16_t flags = 0;      // bit 0 is set by `password`
  uint16_t time = 0x7A3C;  // 15:17:56
  uint16_t date = 0x5589;  // 2022-12-09
  std::string password;    // non-empty: encrypted, check byte from CRC or time (bit 3)
  std::string extra;
  std::string comment;
};

struct ZipTestArchive {
  std::vector<ZipTestEntry> entries;
  std::string comment;
  char first = 'S', second = 'K';  // the first two bytes ("PK" for a standard ZIP file)
};

// Where the parts of a built archive lie, for tests that edit bytes.
struct ZipTestLayout {
  std::vector<uint8_t> bytes;
  std::vector<size_t> localHeaders;    // offset of each entry's local header
  std::vector<size_t> centralEntries;  // offset of each entry's central directory entry
  size_t centralDirectory = 0;
  size_t endRecord = 0;
};

inline void PutBytes(std::vector<uint8_t>& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
}

inline ZipTestLayout BuildZipLayout(const ZipTestArchive& archive) {
  ZipTestLayout out;
  std::vector<uint8_t>& b = out.bytes;
  std::vector<skin::TZipEntry> central;
  for (const ZipTestEntry& e : archive.entries) {
    skin::TZipEntry z;
    z.versionMadeBy = z.versionNeeded = skin::kZipVersion20;
    z.flags = e.flags;
    std::vector<uint8_t> data = e.data;
    if (!e.password.empty()) {
      z.flags |= skin::kFlagEncrypted;
      uint8_t check = (z.flags & skin::kFlagDataDescriptor) ? static_cast<uint8_t>(e.time >> 8)
                                                            : static_cast<uint8_t>(e.crc32 >> 24);
      data = ZipEncrypt(data, e.password, check);
    }
    z.method = e.method;
    z.time = e.time;
    z.date = e.date;
    z.crc32 = e.crc32;
    z.compressedSize = static_cast<uint32_t>(data.size());
    z.uncompressedSize = e.uncompressedSize;
    z.nameLength = static_cast<uint32_t>(e.name.size());
    z.extraLength = static_cast<uint32_t>(e.extra.size());
    z.commentLength = static_cast<uint32_t>(e.comment.size());
    z.localHeaderOffset = static_cast<uint32_t>(b.size());
    out.localHeaders.push_back(b.size());
    skin::AppendZipLocalHeader(b, z);
    PutBytes(b, e.name);
    PutBytes(b, e.extra);
    b.insert(b.end(), data.begin(), data.end());
    central.push_back(z);
  }
  out.centralDirectory = b.size();
  for (size_t i = 0; i < archive.entries.size(); ++i) {
    const ZipTestEntry& e = archive.entries[i];
    out.centralEntries.push_back(b.size());
    skin::AppendZipCentralEntry(b, central[i]);
    PutBytes(b, e.name);
    PutBytes(b, e.extra);
    PutBytes(b, e.comment);
  }
  skin::TZipEndRecord end;
  end.entries = static_cast<uint32_t>(archive.entries.size());
  end.directorySize = static_cast<uint32_t>(b.size() - out.centralDirectory);
  end.directoryOffset = static_cast<uint32_t>(out.centralDirectory);
  end.commentLength = static_cast<uint32_t>(archive.comment.size());
  out.endRecord = b.size();
  skin::AppendZipEndRecord(b, end);
  PutBytes(b, archive.comment);
  if (!b.empty()) {
    b[0] = static_cast<uint8_t>(archive.first);
    b[1] = static_cast<uint8_t>(archive.second);
  }
  return out;
}

inline std::vector<uint8_t> BuildZip(const ZipTestArchive& archive) {
  return BuildZipLayout(archive).bytes;
}

}  // namespace dztest
