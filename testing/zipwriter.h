// Test helper: builds skin archives ("SK" ZIP layout) field by field, with optional
// traditional PKWARE encryption and a CRC-32 of its own, so that tests never depend on the
// code under test to make their fixtures. Header-only; used by the skin archive tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
  uint16_t method = 8;
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

inline void PutU16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutU32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutBytes(std::vector<uint8_t>& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
}
inline void SetU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void SetU16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline ZipTestLayout BuildZipLayout(const ZipTestArchive& archive) {
  ZipTestLayout out;
  std::vector<uint8_t>& b = out.bytes;
  std::vector<std::vector<uint8_t>> stored;
  std::vector<uint16_t> flags;
  for (const ZipTestEntry& e : archive.entries) {
    uint16_t f = e.flags;
    std::vector<uint8_t> data = e.data;
    if (!e.password.empty()) {
      f |= 1;
      uint8_t check =
          (f & 8) ? static_cast<uint8_t>(e.time >> 8) : static_cast<uint8_t>(e.crc32 >> 24);
      data = ZipEncrypt(data, e.password, check);
    }
    flags.push_back(f);
    out.localHeaders.push_back(b.size());
    PutU32(b, 0x04034B50);  // local header signature "PK" 3 4
    PutU16(b, 20);          // version needed
    PutU16(b, f);
    PutU16(b, e.method);
    PutU16(b, e.time);
    PutU16(b, e.date);
    PutU32(b, e.crc32);
    PutU32(b, static_cast<uint32_t>(data.size()));
    PutU32(b, e.uncompressedSize);
    PutU16(b, static_cast<uint16_t>(e.name.size()));
    PutU16(b, static_cast<uint16_t>(e.extra.size()));
    PutBytes(b, e.name);
    PutBytes(b, e.extra);
    b.insert(b.end(), data.begin(), data.end());
    stored.push_back(std::move(data));
  }
  out.centralDirectory = b.size();
  for (size_t i = 0; i < archive.entries.size(); ++i) {
    const ZipTestEntry& e = archive.entries[i];
    out.centralEntries.push_back(b.size());
    PutU32(b, 0x02014B50);  // central directory signature "PK" 1 2
    PutU16(b, 20);          // version made by
    PutU16(b, 20);          // version needed
    PutU16(b, flags[i]);
    PutU16(b, e.method);
    PutU16(b, e.time);
    PutU16(b, e.date);
    PutU32(b, e.crc32);
    PutU32(b, static_cast<uint32_t>(stored[i].size()));
    PutU32(b, e.uncompressedSize);
    PutU16(b, static_cast<uint16_t>(e.name.size()));
    PutU16(b, static_cast<uint16_t>(e.extra.size()));
    PutU16(b, static_cast<uint16_t>(e.comment.size()));
    PutU16(b, 0);  // disk number start
    PutU16(b, 0);  // internal attributes
    PutU32(b, 0);  // external attributes
    PutU32(b, static_cast<uint32_t>(out.localHeaders[i]));
    PutBytes(b, e.name);
    PutBytes(b, e.extra);
    PutBytes(b, e.comment);
  }
  size_t cdSize = b.size() - out.centralDirectory;
  out.endRecord = b.size();
  PutU32(b, 0x06054B50);
  PutU16(b, 0);  // this disk
  PutU16(b, 0);  // central directory disk
  PutU16(b, static_cast<uint16_t>(archive.entries.size()));
  PutU16(b, static_cast<uint16_t>(archive.entries.size()));
  PutU32(b, static_cast<uint32_t>(cdSize));
  PutU32(b, static_cast<uint32_t>(out.centralDirectory));
  PutU16(b, static_cast<uint16_t>(archive.comment.size()));
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
