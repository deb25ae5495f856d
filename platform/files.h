// File-system services the program and the skin engine use: existence checks, directory
// creation, the temporary directory, new GUIDs for temporary names, whole-file reads and an
// atomic whole-file replace. Paths are 8-bit (Windows-1252) strings. Thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// <windows.h> defines CreateDirectory and DeleteFile as macros naming its own A/W functions;
// they must not rename these declarations.
#pragma push_macro("CreateDirectory")
#pragma push_macro("DeleteFile")
#undef CreateDirectory
#undef DeleteFile

namespace platform {

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool CreateDirectory(const std::string& path);  // one level; true when it exists afterwards
bool DeleteFile(const std::string& path);

// The temporary directory, ending in a path separator (GetTempPathA).
std::string TempPath();

// A new GUID in registry form, "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (CoCreateGuid).
std::string NewGuidString();

// Reads a whole file straight into memory the caller provides: `buffer(size)` is called once,
// for a file of size > 0, and returns where its `size` bytes go (nullptr, or a std::bad_alloc
// thrown, fails the read as out of memory). False when the file cannot be opened or read, or
// ends before the size it had when opened; `reason` (when given) then gets the system's text.
bool ReadWholeFileInto(const std::string& path, const std::function<uint8_t*(size_t)>& buffer,
                       std::string* reason = nullptr);

// Reads a whole file into `data` (left empty on failure), as ReadWholeFileInto.
inline bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data,
                          std::string* reason = nullptr) {
  data.clear();
  const bool ok = ReadWholeFileInto(
      path,
      [&data](size_t size) {
        data.resize(size);
        return data.data();
      },
      reason);
  if (!ok) data.clear();
  return ok;
}

// A file's new content written piece by piece: the bytes go to a temporary file beside the file
// replaced ("<file>.<GUID>.tmp"); Commit flushes it to disk and renames it over that file. Until
// then the previous file stays as it was, and an object destroyed without a successful Commit
// removes its temporary file. Each failing call returns false with the system's text for the
// cause in `reason` (when given); after a failure only destruction is left.
//
// The file replaced is the one `path` names or, when `path` is a symbolic link (or a chain of
// them), the link's final target: the link stays a link. A link pointing at nothing fails Open
// with a text naming it. The new file keeps what the system lets a save keep of the old one
// (POSIX: permission bits, and owner and group where the process may; Windows: attributes,
// and through ReplaceFile its security).
//
// After its commit, a save removes the temporary files of the same file that interrupted saves
// left: names "<file>.{GUID}.tmp" exactly, regular files only, untouched for kStaleSeconds and
// held by no process. A live save holds its temporary file (POSIX: an exclusive flock from its
// creation until after the rename; Windows: a handle that shares nothing) and writes it
// continuously, so neither rule lets another saver of the same file remove it; the age rule
// alone also covers savers on another machine sharing the folder, whose locks are not seen.
//
// Writes are copied into a few buffers of about a megabyte (or, for WriteLasting, referred to)
// that a thread of the object's own writes to the file while the caller goes on producing
// bytes; a write failure shows at the next call. One calling thread at a time.
class ReplacingFile {
 public:
  explicit ReplacingFile(std::string path);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // A temporary file is taken for abandoned once it has not been written for this long.
  static constexpr int64_t kStaleSeconds = 600;

  // Follows a link to its target and creates the temporary file. REQUIRES: called once, first.
  bool Open(std::string* reason = nullptr);
  // Appends `size` bytes.
  bool Write(const void* data, size_t size, std::string* reason = nullptr);
  // Appends bytes that stay where they are, unchanged, until the next Flush, WriteAt, Commit or
  // the object's end: they are written from where they lie instead of being copied first.
  bool WriteLasting(const void* data, size_t size, std::string* reason = nullptr);
  // Waits until everything appended so far is written to the file.
  bool Flush(std::string* reason = nullptr);
  // Overwrites bytes already written, from `offset`. REQUIRES: offset + size <= bytes written.
  bool WriteAt(uint64_t offset, const void* data, size_t size, std::string* reason = nullptr);
  // Flushes the content to disk, gives it the old file's identity, renames the temporary file
  // over the file and closes it; then removes abandoned temporary files of the same file.
  bool Commit(std::string* reason = nullptr);

 private:
  struct Writer;
  bool Fail(std::string* reason);

  std::string path_;
  std::string target_;  // the file replaced: path_, or the final target of the link it names
  std::string temp_;
  std::unique_ptr<Writer> writer_;  // while the temporary file is open
  unsigned long error_ = 0;         // the first failure's system code
  std::string message_;             // its text, where the system's text would not say enough
  bool committed_ = false;
};

// Replaces `path` with `size` bytes through a ReplacingFile: a failure leaves the previous file
// intact. False on failure; `reason` (when given) then gets the system's text for the cause.
bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size,
                           std::string* reason = nullptr);

#ifdef _WIN32
// Where <windows.h> was included first, a call to platform::CreateDirectory or
// platform::DeleteFile reaches these names.
inline bool CreateDirectoryA(const std::string& path) { return CreateDirectory(path); }
inline bool DeleteFileA(const std::string& path) { return DeleteFile(path); }
#endif

}  // namespace platform

#pragma pop_macro("DeleteFile")
#pragma pop_macro("CreateDirectory")
