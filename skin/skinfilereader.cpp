// Skin file reader creation (see skinfilereader.h).
#include "skin/skinfilereader.h"

#include <vector>

#include "platform/exceptions.h"
#include "platform/files.h"
#include "skin/archive.h"

namespace skin {

namespace {

constexpr const char* kWrongPasswordMessage = "Wrong password!";
constexpr const char* kReadFailedMessage = "Failed to read skin file!";

// Deletes the temporary file when the creation ends, however it ends.
class TTempFileGuard {
 public:
  explicit TTempFileGuard(std::string path) : path_(std::move(path)) {}
  ~TTempFileGuard() {
    if (platform::FileExists(path_)) platform::DeleteFile(path_);
  }
  TTempFileGuard(const TTempFileGuard&) = delete;
  TTempFileGuard& operator=(const TTempFileGuard&) = delete;

 private:
  std::string path_;
};

}  // namespace

std::string NewSkinTempFileName() {
  std::string path = platform::TempPath();
  if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
  return path + platform::NewGuidString();
}

std::unique_ptr<Tsk2SkinFileReader> CreateSkinFileReader(const std::string& archivePath,
                                                         const std::string& password) {
  const std::string tempPath = NewSkinTempFileName();
  TTempFileGuard guard(tempPath);
  switch (ExtractArchiveEntry(archivePath, kSkinResourceEntry, tempPath, password,
                              kMaxSkinResourceSize)) {
    case kExtractOk:
      break;
    case kExtractWrongPassword:
      throw Exception(kWrongPasswordMessage);
    default:
      throw Exception(kReadFailedMessage);
  }
  std::vector<uint8_t> data;
  if (!platform::ReadWholeFile(tempPath, data)) throw Exception(kReadFailedMessage);
  auto reader = std::make_unique<Tsk2SkinFileReader>();
  if (reader->Parse(data.data(), data.size()) != ResFileStatus::kOk) {
    throw Exception(kReadFailedMessage);
  }
  return reader;
}

}  // namespace skin
