// Skin archive entry extraction (see archive.h).
//
// An encrypted entry's data starts with a 12-byte encryption header; after decryption its
// last byte must equal the high byte of the check value: the central directory's modification
// time shifted left by 16 bits when flag bit 3 is set, otherwise its CRC-32. The compressed
// data is read from the entry's data start to the end of the archive (the compressed size is
// not consulted), decrypted as it is read, and always decoded as raw DEFLATE.
#include "skin/archive.h"

#include <cstdio>
#include <fstream>
#include <optional>

#include "platform/files.h"
#include "skin/pkcrypt.h"

namespace skin {

namespace {

// The entry's bytes from its data start to the end of the archive, decrypted when needed.
class TEntryDataSource : public TInflateSource {
 public:
  TEntryDataSource(TArchiveSource& archive, uint64_t start, TPkCipher* decrypter)
      : archive_(archive), pos_(start), decrypter_(decrypter) {}

  size_t Read(uint8_t* buffer, size_t size) override {
    size_t n = archive_.ReadAt(pos_, buffer, size);
    pos_ += n;
    if (decrypter_) decrypter_->Decrypt(buffer, n);
    return n;
  }

 private:
  TArchiveSource& archive_;
  uint64_t pos_;
  TPkCipher* decrypter_;  // null for an entry that is not encrypted
};

class TFileSink : public TInflateSink {
 public:
  explicit TFileSink(const std::string& path)
      : file_(path, std::ios::binary | std::ios::out | std::ios::trunc) {}
  bool IsOpen() const { return file_.is_open(); }
  bool Write(const uint8_t* data, size_t size) override {
    file_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(file_);
  }
  bool Close() {
    file_.close();
    return static_cast<bool>(file_);
  }

 private:
  std::ofstream file_;
};

// The size rules, applied after every attempt: empty output is a failure; output of
// another size than recorded counts as a wrong password.
uint8_t ApplySizeRules(uint8_t result, uint64_t written, const TZipEntry& entry) {
  if (written == 0) return result == kExtractOk ? kExtractFailed : result;
  if (written != entry.uncompressedSize) return kExtractWrongPassword;
  return result;
}

uint8_t DecodeEntry(TArchiveSource& archive, const TZipEntry& entry, const std::string& password,
                    TInflateSink& sink, uint64_t& written) {
  uint64_t dataOffset = 0;
  if (!FindEntryData(archive, entry, dataOffset)) return kExtractFailed;

  std::optional<TPkCipher> decrypter;
  if (entry.flags & kFlagEncrypted) {
    if (password.empty()) return kExtractWrongPassword;
    decrypter.emplace(password);
    uint8_t header[kEncryptionHeaderSize];
    if (!archive.ReadExact(dataOffset, header, sizeof header)) return kExtractFailed;
    decrypter->Decrypt(header, sizeof header);
    uint32_t check = (entry.flags & kFlagDataDescriptor) ? uint32_t{entry.time} << 16 : entry.crc32;
    if (header[kEncryptionHeaderSize - 1] != static_cast<uint8_t>(check >> 24)) {
      return kExtractWrongPassword;
    }
    dataOffset += kEncryptionHeaderSize;
  }

  TEntryDataSource source(archive, dataOffset, decrypter ? &*decrypter : nullptr);
  TInflateResult inflated = Inflate(source, sink, entry.uncompressedSize);
  written = inflated.written;
  switch (inflated.status) {
    case TInflateStatus::kOk:
      return kExtractOk;
    case TInflateStatus::kOutputLimit:
      return kExtractWrongPassword;
    default:
      return kExtractFailed;
  }
}

}  // namespace

uint8_t ExtractEntryData(TArchiveSource& archive, const TZipEntry& entry,
                         const std::string& password, TInflateSink& sink, uint64_t& written) {
  written = 0;
  uint8_t result = DecodeEntry(archive, entry, password, sink, written);
  return ApplySizeRules(result, written, entry);
}

uint8_t ExtractArchiveEntry(const std::string& archivePath, const std::string& entryName,
                            const std::string& outputPath, const std::string& password,
                            uint64_t maxSize) {
  bool created = false;
  uint8_t result = kExtractFailed;
  try {
    if (!platform::FileExists(archivePath)) return kExtractFailed;
    TFileArchiveSource archive(archivePath);
    if (!archive.IsOpen()) return kExtractFailed;
    TZipEntry entry;
    if (!FindArchiveEntry(archive, entryName, entry)) return kExtractFailed;
    if (entry.uncompressedSize > maxSize) return kExtractFailed;

    TFileSink sink(outputPath);
    created = sink.IsOpen();
    if (!created) return kExtractFailed;
    uint64_t written = 0;
    result = ExtractEntryData(archive, entry, password, sink, written);
    if (!sink.Close() && result == kExtractOk) result = kExtractFailed;
  } catch (...) {
    result = kExtractFailed;
  }
  // Only a file this call created is removed: a failure never costs an existing file.
  if (result != kExtractOk && created) platform::DeleteFile(outputPath);
  return result;
}

uint8_t ExtractArchiveEntryFromMemory(const uint8_t* archive, size_t size,
                                      const std::string& entryName, const std::string& password,
                                      std::vector<uint8_t>& out) {
  try {
    TMemoryArchiveSource source(archive, size);
    TZipEntry entry;
    if (!FindArchiveEntry(source, entryName, entry)) return kExtractFailed;
    TVectorSink sink(out);
    uint64_t written = 0;
    return ExtractEntryData(source, entry, password, sink, written);
  } catch (...) {
    return kExtractFailed;
  }
}

}  // namespace skin
