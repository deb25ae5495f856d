// File-system services over POSIX: stat, mkdir, unlink, open/write/fsync/rename.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <thread>
#include <utility>

#include "platform/fileio.h"
#include "platform/files.h"
#include "platform/prefault.h"

namespace platform {
namespace {

// Writes all of `size` bytes, resuming after interruptions and short writes.
bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;  // a write that makes no progress is an I/O failure
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Stores the text of `code` (an errno value) where the caller asked for a reason; returns false
// so a failing path can end with `return Failed(...)`.
bool Failed(int code, std::string* reason) {
  if (reason) *reason = strerror(code);
  return false;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && DirectoryExists(path);
}

bool DeleteFile(const std::string& path) { return FileExists(path) && unlink(path.c_str()) == 0; }

std::string TempPath() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = (dir && *dir) ? dir : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

std::string NewGuidString() {
  // A random (version 4, variant 1) GUID from the system's entropy source.
  std::random_device source;
  uint8_t b[16];
  for (int i = 0; i < 16; i += 4) {
    uint32_t r = source();
    for (int k = 0; k < 4; ++k) b[i + k] = static_cast<uint8_t>(r >> (8 * k));
  }
  b[6] = static_cast<uint8_t>((b[6] & 0x0F) | 0x40);
  b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80);
  char text[39];
  snprintf(text, sizeof text,
           "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0], b[1],
           b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
           b[15]);
  return text;
}

bool ReadWholeFileInto(const std::string& path, const std::function<uint8_t*(size_t)>& buffer,
                       std::string* reason) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Failed(errno, reason);
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0)
    error = errno;
  else if (!S_ISREG(st.st_mode))
    error = EISDIR;
  const size_t size = error ? 0 : static_cast<size_t>(st.st_size);
  uint8_t* data = nullptr;
  if (size > 0) {
    try {
      data = buffer(size);
    } catch (const std::bad_alloc&) {
      data = nullptr;
    }
    if (data == nullptr) error = ENOMEM;
  }
  // The buffer's fresh pages are faulted in on another thread while the file is read into them.
  const BackgroundPrefault prefault(error != 0 ? std::vector<MemoryRange>{}
                                               : std::vector<MemoryRange>{{data, size}});
  for (size_t done = 0; !error && done < size;) {
    ssize_t n = read(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      error = errno;
    else if (n == 0)
      error = EIO;  // the file became shorter while it was read
    else
      done += static_cast<size_t>(n);
  }
  close(fd);
  return error ? Failed(error, reason) : true;
}

// ---- Raw calls under ReplacingFile ----

namespace fileio {

Handle CreateNew(const std::string& path, unsigned long* error) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) *error = static_cast<unsigned long>(errno);
  return fd < 0 ? kNoHandle : fd;
}

bool Write(Handle h, const uint8_t* data, size_t size, unsigned long* error) {
  if (WriteAll(static_cast<int>(h), data, size)) return true;
  *error = static_cast<unsigned long>(errno);
  return false;
}

bool WriteGather(Handle h, const Piece* pieces, size_t count, std::vector<uint8_t>*,
                 unsigned long* error) {
  constexpr size_t kMaxVectors = 1024;  // IOV_MAX on the systems this runs on
  iovec v[kMaxVectors];
  size_t next = 0;     // first piece not yet in `v` or written
  size_t skipped = 0;  // bytes of pieces[next] written already
  while (next < count) {
    size_t n = 0;
    for (size_t k = next; k < count && n < kMaxVectors; ++k, ++n) {
      const size_t skip = k == next ? skipped : 0;
      v[n].iov_base = const_cast<uint8_t*>(pieces[k].data + skip);
      v[n].iov_len = pieces[k].size - skip;
    }
    const ssize_t done = writev(static_cast<int>(h), v, static_cast<int>(n));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      *error = static_cast<unsigned long>(done == 0 ? EIO : errno);
      return false;
    }
    // Step over what was written, which may end inside a piece.
    size_t left = static_cast<size_t>(done);
    while (next < count && left >= pieces[next].size - skipped) {
      left -= pieces[next].size - skipped;
      ++next;
      skipped = 0;
    }
    skipped += left;
  }
  return true;
}

bool WriteAt(Handle h, uint64_t offset, const uint8_t* data, size_t size, unsigned long* error) {
  while (size > 0) {
    const ssize_t n = pwrite(static_cast<int>(h), data, size, off_t(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *error = static_cast<unsigned long>(n == 0 ? EIO : errno);
      return false;
    }
    data += n, offset += uint64_t(n), size -= size_t(n);
  }
  return true;
}

void StartWriteBack(Handle h, uint64_t offset, uint64_t size) {
#ifdef SYNC_FILE_RANGE_WRITE
  // Only a head start for the flush: a failure here changes nothing else.
  sync_file_range(static_cast<int>(h), off64_t(offset), off64_t(size), SYNC_FILE_RANGE_WRITE);
#else
  (void)h, (void)offset, (void)size;
#endif
}

bool FlushAndClose(Handle h, unsigned long* error) {
  const int fd = static_cast<int>(h);
  int failure = fsync(fd) != 0 ? errno : 0;
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure != 0) *error = static_cast<unsigned long>(failure);
  return failure == 0;
}

void Close(Handle h) { close(static_cast<int>(h)); }

namespace {

// Closes the last handle of a file that a rename replaced on a thread of its own: the system
// frees the file's blocks at that close, which takes tens of milliseconds for a file of a few
// hundred megabytes where freed blocks are discarded, and nobody needs to wait for that.
void CloseInBackground(int fd) {
  try {
    std::thread([fd] { close(fd); }).detach();
  } catch (...) {  // no thread to be had (system_error, bad_alloc): close it here
    close(fd);
  }
}

}  // namespace

bool RenameOver(const std::string& from, const std::string& to, unsigned long* error) {
  // A regular file being replaced is held open across the rename, so that its blocks are freed
  // at the close afterwards instead of inside the rename.
  struct stat old {};
  const int held = lstat(to.c_str(), &old) == 0 && S_ISREG(old.st_mode)
                       ? open(to.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK)
                       : -1;
  if (rename(from.c_str(), to.c_str()) != 0) {
    *error = static_cast<unsigned long>(errno);
    if (held >= 0) close(held);
    return false;
  }
  if (held >= 0) CloseInBackground(held);
  // Make the rename itself durable; a failure here no longer endangers either version.
  int dir = open(DirectoryOf(to).c_str(), O_RDONLY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

void Remove(const std::string& path) { unlink(path.c_str()); }

std::string ErrorText(unsigned long error) { return strerror(static_cast<int>(error)); }
unsigned long IsDirectoryError() { return EISDIR; }
unsigned long OutOfMemoryError() { return ENOMEM; }

}  // namespace fileio

}  // namespace platform
