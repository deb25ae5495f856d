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

// Stores the system's text for `code` (a GetLastError value) where the caller asked for a
// reason, without the trailing line break and full stop FormatMessage adds; returns false so a
// failing path can end with `return Failed(...)`.
bool Failed(DWORD code, std::string* reason) {
  if (!reason) return false;
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  reason->assign(text ? text : "", n);
  if (text) LocalFree(text);
  while (!reason->empty() && (static_cast<unsigned char>(reason->back()) <= ' ' ||
                              reason->back() == '.'))
    reason->pop_back();
  if (reason->empty()) *reason = "System error " + std::to_string(code);
  return false;
}

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

bool ReadWholeFileInto(const std::string& path, const std::function<uint8_t*(size_t)>& buffer,
                       std::string* reason) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) return Failed(GetLastError(), reason);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return Failed(GetLastError(), reason);
  const size_t total = static_cast<size_t>(size.QuadPart);
  if (total == 0) return true;
  uint8_t* data = nullptr;
  try {
    data = buffer(total);
  } catch (const std::bad_alloc&) {
    data = nullptr;
  }
  if (data == nullptr) return Failed(ERROR_NOT_ENOUGH_MEMORY, reason);
  for (size_t done = 0; done < total;) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(total - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.Get(), data + done, chunk, &got, nullptr))
      return Failed(GetLastError(), reason);
    if (got == 0) return Failed(ERROR_HANDLE_EOF, reason);  // the file became shorter
    done += got;
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size,
                           std::string* reason) {
  const std::string guid = NewGuidString();
  if (guid.empty()) return Failed(ERROR_GEN_FAILURE, reason);
  const std::string temp = path + "." + guid + ".tmp";
  FileHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return Failed(GetLastError(), reason);
  const auto* p = static_cast<const uint8_t*>(data);
  DWORD error = 0;
  while (!error && size > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file.Get(), p, chunk, &written, nullptr)) error = GetLastError();
    else if (written != chunk) error = ERROR_WRITE_FAULT;
    p += chunk, size -= chunk;
  }
  if (!error && !FlushFileBuffers(file.Get())) error = GetLastError();
  if (!file.Close() && !error) error = GetLastError();
  if (!error &&
      !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (!error) return true;
  ::DeleteFileA(temp.c_str());
  return Failed(error, reason);
}

}  // namespace platform
