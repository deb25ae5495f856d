// File-system services over Win32: GetFileAttributesA, CreateDirectoryA, DeleteFileA,
// GetTempPathA, CoCreateGuid, CreateFileA/WriteFile/FlushFileBuffers and MoveFileExA.
#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "platform/files.h"

// Past this point CreateDirectory and DeleteFile are this module's functions.
#undef CreateDirectory
#undef DeleteFile

namespace platform {
namespace {

// Closes a file handle when it leaves scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  bool Close() {
    if (!Valid()) return true;
    bool ok = CloseHandle(h_) != FALSE;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

}  // namespace

bool FileExists(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE || DirectoryExists(path);
}

bool DeleteFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

std::string TempPath() {
  char buffer[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n > MAX_PATH) return ".\\";
  std::string path(buffer, n);
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  return path;
}

std::string NewGuidString() {
  GUID g{};
  if (FAILED(CoCreateGuid(&g))) return {};
  char text[39];
  snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
           static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
           g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data) {
  data.clear();
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
  try {
    data.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.Get(), data.data() + done, chunk, &got, nullptr) || got == 0) {
      data.clear();
      return false;
    }
    done += got;
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size) {
  const std::string guid = NewGuidString();
  if (guid.empty()) return false;
  const std::string temp = path + "." + guid + ".tmp";
  FileHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  const auto* p = static_cast<const uint8_t*>(data);
  bool ok = true;
  while (ok && size > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(file.Get(), p, chunk, &written, nullptr) && written == chunk;
    p += chunk, size -= chunk;
  }
  ok = ok && FlushFileBuffers(file.Get());
  ok = file.Close() && ok;
  ok = ok &&
       MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) ::DeleteFileA(temp.c_str());
  return ok;
}

}  // namespace platform
