// File-system services over Win32: GetFileAttributesA, CreateDirectoryA, DeleteFileA,
// GetTempPathA, CoCreateGuid, CreateFileA/WriteFile/FlushFileBuffers and MoveFileExA.
#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <utility>

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

// ---- ReplacingFile ----

namespace {
HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
constexpr intptr_t kNoHandle = -1;  // INVALID_HANDLE_VALUE's value
}  // namespace

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {}

ReplacingFile::~ReplacingFile() {
  if (handle_ != kNoHandle) CloseHandle(AsHandle(handle_));
  if (!committed_ && !temp_.empty()) ::DeleteFileA(temp_.c_str());
}

bool ReplacingFile::Fail(std::string* reason) {
  return Failed(static_cast<DWORD>(error_), reason);
}

bool ReplacingFile::Open(std::string* reason) {
  const std::string guid = NewGuidString();
  if (guid.empty()) error_ = ERROR_GEN_FAILURE;
  if (error_) return Fail(reason);
  const std::string temp = path_ + "." + guid + ".tmp";
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error_ = GetLastError();
    return Fail(reason);
  }
  temp_ = temp;
  handle_ = reinterpret_cast<intptr_t>(h);
  return true;
}

bool ReplacingFile::Write(const void* data, size_t size, std::string* reason) {
  if (error_ || handle_ == kNoHandle) return Fail(reason);
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), p, chunk, &written, nullptr)) {
      error_ = GetLastError();
      return Fail(reason);
    }
    if (written != chunk) {
      error_ = ERROR_WRITE_FAULT;
      return Fail(reason);
    }
    p += chunk, size -= chunk, written_ += chunk;
  }
  return true;
}

bool ReplacingFile::WriteAt(uint64_t offset, const void* data, size_t size, std::string* reason) {
  if (error_ || handle_ == kNoHandle) return Fail(reason);
  LARGE_INTEGER at{}, end{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  DWORD written = 0;
  const DWORD chunk = static_cast<DWORD>(size);  // header patches: a few bytes
  if (size > (1u << 30) || !SetFilePointerEx(AsHandle(handle_), at, nullptr, FILE_BEGIN) ||
      !WriteFile(AsHandle(handle_), data, chunk, &written, nullptr) ||
      !SetFilePointerEx(AsHandle(handle_), end, nullptr, FILE_END)) {
    error_ = size > (1u << 30) ? ERROR_INVALID_PARAMETER : GetLastError();
    return Fail(reason);
  }
  if (written != chunk) {
    error_ = ERROR_WRITE_FAULT;
    return Fail(reason);
  }
  return true;
}

bool ReplacingFile::Commit(std::string* reason) {
  if (error_ || handle_ == kNoHandle) return Fail(reason);
  HANDLE h = AsHandle(handle_);
  handle_ = kNoHandle;
  if (!FlushFileBuffers(h)) error_ = GetLastError();
  if (!CloseHandle(h) && !error_) error_ = GetLastError();
  if (!error_ && !MoveFileExA(temp_.c_str(), path_.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error_ = GetLastError();
  if (error_) return Fail(reason);
  committed_ = true;
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size,
                           std::string* reason) {
  ReplacingFile file(path);
  return file.Open(reason) && file.Write(data, size, reason) && file.Commit(reason);
}

}  // namespace platform
