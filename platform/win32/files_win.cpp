// File-system services over Win32: GetFileAttributesA, CreateDirectoryA, DeleteFileA,
// GetTempPathA, CoCreateGuid, CreateFileA/WriteFile/FlushFileBuffers, GetFinalPathNameByHandleA,
// ReplaceFileA and MoveFileExA, FindFirstFileA.
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

bool FinalTarget(const std::string& path, std::string* target, bool* dangling, unsigned long*) {
  *dangling = false;
  *target = path;
  // A link's own attributes (GetFileAttributes does not follow it). Under Wine a dangling link
  // of the Unix side is not seen at all: it looks like a name that is free.
  const DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return true;
  FileHandle file(CreateFileA(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) {
    const DWORD e = GetLastError();
    *dangling = (attr & FILE_ATTRIBUTE_REPARSE_POINT) &&
                (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND);
    return !*dangling;  // any other cause shows again, and is reported, at the next step
  }
  // The name the system reached after following every link ("\\?\C:\..." or
  // "\\?\UNC\server\share\..."); a name the 8-bit code page cannot spell is not used.
  char buffer[MAX_PATH + 16];
  const DWORD n = GetFinalPathNameByHandleA(file.Get(), buffer, sizeof buffer,
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= sizeof buffer) return true;
  std::string final(buffer, n);
  if (final.rfind("\\\\?\\UNC\\", 0) == 0)
    final = "\\\\" + final.substr(8);
  else if (final.rfind("\\\\?\\", 0) == 0)
    final = final.substr(4);
  if (final.find('?') == std::string::npos) *target = final;
  return true;
}

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

void Close(Handle h) { CloseHandle(AsHandle(h)); }

namespace {

// Replaces the existing file `target` by `temp` with ReplaceFile, which keeps the old file's
// security, attributes, creation time and streams on Windows. Wine's keeps none of these, and
// a plain rename keeps none either: the attributes a user sets (hidden, system, not indexed)
// are given to the new file beforehand, so both keep them. False when `temp` is still there
// to be renamed in the plain way.
bool ReplaceKeepingIdentity(const std::string& temp, const std::string& target, DWORD old,
                            unsigned long* error) {
  constexpr DWORD kKept =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD mine = GetFileAttributesA(temp.c_str());
  if (mine != INVALID_FILE_ATTRIBUTES && (old & kKept) != 0)
    SetFileAttributesA(temp.c_str(), mine | (old & kKept));
  if (ReplaceFileA(target.c_str(), temp.c_str(), nullptr,
                   REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                   nullptr)) {
    // ReplaceFile cannot be asked to write through; a flush of the file commits the file
    // system's log, the rename included.
    FileHandle done(CreateFileA(target.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (done.Valid()) FlushFileBuffers(done.Get());
    return true;
  }
  *error = GetLastError();
  return false;
}

}  // namespace

bool CommitOver(Handle h, const std::string& temp, const std::string& target,
                unsigned long* error) {
  DWORD failure = FlushFileBuffers(AsHandle(h)) ? 0 : GetLastError();
  if (!CloseHandle(AsHandle(h)) && failure == 0) failure = GetLastError();
  if (failure != 0) {
    *error = failure;
    return false;
  }
  const DWORD old = GetFileAttributesA(target.c_str());
  if (old != INVALID_FILE_ATTRIBUTES && !(old & FILE_ATTRIBUTE_DIRECTORY)) {
    if (ReplaceKeepingIdentity(temp, target, old, error)) return true;
    // ReplaceFile fails on file systems and in states it does not handle; whatever it left,
    // the new content is still in `temp` or the save has failed.
    if (GetFileAttributesA(temp.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  }
  if (MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  *error = GetLastError();
  return false;
}

namespace {
int64_t Ticks(const FILETIME& t) {  // 100-nanosecond units
  return int64_t((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}
}  // namespace

std::vector<FoundFile> FilesExtending(const std::string& prefix) {
  std::vector<FoundFile> found;
  const std::string name = prefix.substr(prefix.find_last_of("\\/:") + 1);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((prefix + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  do {
    // The pattern may also have matched an entry's short name: its own name decides.
    const std::string own = entry.cFileName;
    if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        own.size() < name.size() ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, own.data(), int(name.size()), name.data(),
                       int(name.size())) != CSTR_EQUAL)
      continue;
    found.push_back(
        {prefix + own.substr(name.size()), (Ticks(now) - Ticks(entry.ftLastWriteTime)) / 10000000});
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return found;
}

bool RemoveUnlessHeld(const std::string& path) {
  // A live save's file is open without sharing: this open then fails, and the file stays.
  FileHandle file(CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  FILE_DISPOSITION_INFO remove{TRUE};
  return SetFileInformationByHandle(file.Get(), FileDispositionInfo, &remove, sizeof remove) !=
         FALSE;
}

void Remove(const std::string& path) { ::DeleteFileA(path.c_str()); }

std::string ErrorText(unsigned long error) {
  std::string text;
  Failed(static_cast<DWORD>(error), &text);
  return text;
}
unsigned long IsDirectoryError() { return ERROR_ACCESS_DENIED; }
unsigned long OutOfMemoryError() { return ERROR_NOT_ENOUGH_MEMORY; }
unsigned long NotFoundError() { return ERROR_FILE_NOT_FOUND; }

}  // namespace fileio

}  // namespace platform
