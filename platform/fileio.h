// The operating system's raw file calls under ReplacingFile (platform/replacingfile.cpp): one
// implementation over POSIX (files_posix.cpp), one over Win32 (win32/files_win.cpp). Internal to
// the platform layer. Errors are the system's codes (errno, GetLastError); every call that can
// fail stores its code in *error and returns false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::fileio {

using Handle = intptr_t;
constexpr Handle kNoHandle = -1;

// Follows `path` through symbolic links (a chain of them included) to the file a save replaces:
// *target is `path` itself when it is no link or names nothing yet. False when the links cannot
// be followed: *dangling then tells that the last link points at nothing (*target is where it
// points, when the system tells), else *error holds the cause (a loop of links).
bool FinalTarget(const std::string& path, std::string* target, bool* dangling,
                 unsigned long* error);
// Creates `path` for writing; fails when it exists already. The file stays held by this process
// until it is closed (POSIX: an exclusive lock; Win32: a handle that shares nothing), so that
// RemoveUnlessHeld leaves it alone.
Handle CreateNew(const std::string& path, unsigned long* error);
// Writes all of `size` bytes at the end of what was written.
bool Write(Handle h, const uint8_t* data, size_t size, unsigned long* error);
// A piece of bytes to write.
struct Piece {
  const uint8_t* data;
  size_t size;
};
// Writes all the pieces, in order, at the end of what was written. `scratch` is the caller's
// buffer for systems that must gather the pieces first.
bool WriteGather(Handle h, const Piece* pieces, size_t count, std::vector<uint8_t>* scratch,
                 unsigned long* error);
// Overwrites `size` bytes from `offset`; later Writes still append at the end.
bool WriteAt(Handle h, uint64_t offset, const uint8_t* data, size_t size, unsigned long* error);
// Starts writing [offset, offset + size) to the disk without waiting, where the system can.
void StartWriteBack(Handle h, uint64_t offset, uint64_t size);
// Puts the file written through `h` (named `temp`) in place of `target`, durably: flushes it to
// the disk, gives it what the system keeps of an existing `target`'s identity (POSIX: permission
// bits, and owner and group where the process may; Win32: attributes, and through ReplaceFile
// security and the rest ReplaceFile keeps, falling back to a plain rename where it fails), and
// renames it over `target`. `h` is closed in any case.
bool CommitOver(Handle h, const std::string& temp, const std::string& target, unsigned long* error);
void Close(Handle h);
void Remove(const std::string& path);

// A directory entry found by FilesExtending.
struct FoundFile {
  std::string path;           // the prefix given, followed by the rest of the entry's name
  int64_t secondsSinceWrite;  // negative when its time lies in the future
};
// The regular files (no links, no directories) in the directory of `prefix` whose names begin
// with the name part of `prefix`, compared as the system compares names.
std::vector<FoundFile> FilesExtending(const std::string& prefix);
// Removes the regular file `path` unless a process holds it as CreateNew's files are held; true
// when it was removed. Where the system cannot tell, the file is kept.
bool RemoveUnlessHeld(const std::string& path);

// The system's text for `error`, without a trailing full stop.
std::string ErrorText(unsigned long error);
// Codes for failures found by the caller itself.
unsigned long IsDirectoryError();
unsigned long OutOfMemoryError();
unsigned long NotFoundError();

}  // namespace platform::fileio
