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

// Creates `path` for writing; fails when it exists already.
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
// Flushes everything written to the disk and closes (the handle is closed in any case).
bool FlushAndClose(Handle h, unsigned long* error);
void Close(Handle h);
// Renames `from` over `to` durably (the rename itself reaches the disk where the system
// allows asking for that).
bool RenameOver(const std::string& from, const std::string& to, unsigned long* error);
void Remove(const std::string& path);
// The system's text for `error`, without a trailing full stop.
std::string ErrorText(unsigned long error);
// Codes for failures found by the caller itself.
unsigned long IsDirectoryError();
unsigned long OutOfMemoryError();

}  // namespace platform::fileio
