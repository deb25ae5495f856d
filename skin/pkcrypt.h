// Traditional PKWARE encryption ("ZipCrypto") of skin archive entries: decryption for the
// extractor (archive.cpp), encryption for the dzskin tool's archive writer. Three 32-bit keys
// are set up from the password, then updated with every plain byte. One object serves one
// entry in one direction; not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace skin {

constexpr size_t kEncryptionHeaderSize = 12;  // random bytes in front of encrypted data

// One step of the reflected CRC-32 (polynomial 0xEDB88320) over `byte`, without the final
// inversion: the key update of the encryption.
uint32_t Crc32Step(uint32_t crc, uint8_t byte);

class TPkCipher {
 public:
  // Initialises the keys and updates them with each password byte.
  explicit TPkCipher(const std::string& password);

  // Decrypt or encrypt `size` bytes in place, continuing the key stream.
  void Decrypt(uint8_t* data, size_t size);
  void Encrypt(uint8_t* data, size_t size);

 private:
  uint8_t KeyStreamByte() const;
  void UpdateKeys(uint8_t plain);

  uint32_t keys_[3];
};

}  // namespace skin
