// Traditional PKWARE encryption (see pkcrypt.h), after PKWARE's APPNOTE, section 6.1.
#include "skin/pkcrypt.h"

#include <array>

namespace skin {

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr uint32_t kKey0 = 0x12345678;
constexpr uint32_t kKey1 = 0x23456789;
constexpr uint32_t kKey2 = 0x34567890;
constexpr uint32_t kKey1Multiplier = 134775813;  // 0x08088405

}  // namespace

uint32_t Crc32Step(uint32_t crc, uint8_t byte) {
  return kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

TPkCipher::TPkCipher(const std::string& password) : keys_{kKey0, kKey1, kKey2} {
  for (char c : password) UpdateKeys(static_cast<uint8_t>(c));
}

void TPkCipher::UpdateKeys(uint8_t plain) {
  keys_[0] = Crc32Step(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * kKey1Multiplier + 1;
  keys_[2] = Crc32Step(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

uint8_t TPkCipher::KeyStreamByte() const {
  uint32_t temp = (keys_[2] | 2) & 0xFFFF;
  return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

void TPkCipher::Decrypt(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    data[i] ^= KeyStreamByte();
    UpdateKeys(data[i]);
  }
}

void TPkCipher::Encrypt(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t plain = data[i];
    data[i] ^= KeyStreamByte();
    UpdateKeys(plain);
  }
}

}  // namespace skin
