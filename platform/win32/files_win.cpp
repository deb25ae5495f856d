// File-system services over Win32: GetFileAttributesA, CreateDirectoryA, DeleteFileA,
// GetTempPathA, CoCreateGuid, CreateFileA/WriteFile/FlushFileBuffers and MoveFileExA.
#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <utility>

#include "platform/fileio.h"
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
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  reason->assign(text ? text : "", n);
  if (text) LocalFree(text);
  while (!reason->empty() &&
         (static_cast<unsigned char>(reason->back()) <= ' ' || reason->back() == '.'))
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

// ---- Raw calls under ReplacingFile ----

namespace fileio {

namespace {
HANDLE AsHandle(Handle h) { return reinterpret_cast<HANDLE>(h); }
constexpr DWORD kMaxChunk = 1u << 30;  // bytes per WriteFile call at most
}  // namespace

Handle CreateNew(const std::string& path, unsigned long* error) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return kNoHandle;
  }
  return reinterpret_cast<Handle>(h);
}

bool Write(Handle h, const uint8_t* data, size_t size, unsigned long* error) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, kMaxChunk));
    DWORD written = 0;
    if (!WriteFile(AsHandle(h), data, chunk, &written, nullptr)) {
      *error = GetLastError();
      return false;
    }
    if (written != chunk) {
      *error = ERROR_WRITE_FAULT;
      return false;
    }
    data += chunk, size -= chunk;
  }
  return true;
}

bool WriteGather(Handle h, const Piece* pieces, size_t count, std::vector<uint8_t>* scratch,
                 unsigned long* error) {
  // One WriteFile for the lot: gathering writes need unbuffered files on this system.
  scratch->clear();
  for (size_t k = 0; k < count; ++k)
    scratch->insert(scratch->end(), pieces[k].data, pieces[k].data + pieces[k].size);
  return Write(h, scratch->data(), scratch->size(), error);
}

bool WriteAt(Handle h, uint64_t offset, const uint8_t* data, size_t size, unsigned long* error) {
  LARGE_INTEGER at{}, end{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(AsHandle(h), at, nullptr, FILE_BEGIN)) {
    *error = GetLastError();
    return false;
  }
  const bool ok = Write(h, data, size, error);
  if (!SetFilePointerEx(AsHandle(h), end, nullptr, FILE_END) && ok) {
    *error = GetLastError();
    return false;
  }
  return ok;
}

void StartWriteBack(Handle, uint64_t, uint64_t) {}  // the system writes behind on its own

bool FlushAndClose(Handle h, unsigned long* error) {
  DWORD failure = FlushFileBuffers(AsHandle(h)) ? 0 : GetLastError();
  if (!CloseHandle(AsHandle(h)) && failure == 0) failure = GetLastError();
  if (failure != 0) *error = failure;
  return failure == 0;
}

void Close(Handle h) { CloseHandle(AsHandle(h)); }

bool RenameOver(const std::string& from, const std::string& to, unsigned long* error) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  *error = GetLastError();
  return false;
}

void Remove(const std::string& path) { ::DeleteFileA(path.c_str()); }

std::string ErrorText(unsigned long error) {
  std::string text;
  Failed(static_cast<DWORD>(error), &text);
  return text;
}
unsigned long IsDirectoryError() { return ERROR_ACCESS_DENIED; }
unsigned long OutOfMemoryError() { return ERROR_NOT_ENOUGH_MEMORY; }

}  // namespace fileio

}  // namespace platform
