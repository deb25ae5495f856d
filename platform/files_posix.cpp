// File-system services over POSIX: stat, mkdir, unlink, open/write/fsync/rename.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <utility>

#include "platform/files.h"

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
  if (fstat(fd, &st) != 0) error = errno;
  else if (!S_ISREG(st.st_mode)) error = EISDIR;
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
  for (size_t done = 0; !error && done < size;) {
    ssize_t n = read(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    else if (n == 0) error = EIO;  // the file became shorter while it was read
    else done += static_cast<size_t>(n);
  }
  close(fd);
  return error ? Failed(error, reason) : true;
}

// ---- ReplacingFile ----

// Written bytes are handed to the disk in steps of this size while more are written, so the
// flush at Commit finds most of the file already on its way.
constexpr uint64_t kWriteBehindStep = uint64_t(8) << 20;

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {}

ReplacingFile::~ReplacingFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
}

bool ReplacingFile::Fail(std::string* reason) { return Failed(static_cast<int>(error_), reason); }

bool ReplacingFile::Open(std::string* reason) {
  if (DirectoryExists(path_)) error_ = EISDIR;
  if (error_) return Fail(reason);
  temp_ = path_ + "." + NewGuidString() + ".tmp";
  const int fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    error_ = errno;
    temp_.clear();  // nothing of ours to remove
    return Fail(reason);
  }
  handle_ = fd;
  return true;
}

bool ReplacingFile::Write(const void* data, size_t size, std::string* reason) {
  if (error_ || handle_ < 0) return Fail(reason);
  const int fd = static_cast<int>(handle_);
  if (!WriteAll(fd, static_cast<const uint8_t*>(data), size)) {
    error_ = errno;
    return Fail(reason);
  }
  written_ += size;
#ifdef SYNC_FILE_RANGE_WRITE
  if (written_ - flushedUpTo_ >= kWriteBehindStep) {
    // Start write-back of what is complete; a failure here only loses the head start.
    sync_file_range(fd, off64_t(flushedUpTo_), off64_t(written_ - flushedUpTo_),
                    SYNC_FILE_RANGE_WRITE);
    flushedUpTo_ = written_;
  }
#endif
  return true;
}

bool ReplacingFile::WriteAt(uint64_t offset, const void* data, size_t size, std::string* reason) {
  if (error_ || handle_ < 0) return Fail(reason);
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = pwrite(static_cast<int>(handle_), p, size, off_t(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n == 0 ? EIO : errno;
      return Fail(reason);
    }
    p += n, offset += uint64_t(n), size -= size_t(n);
  }
  return true;
}

bool ReplacingFile::Commit(std::string* reason) {
  if (error_ || handle_ < 0) return Fail(reason);
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  if (fsync(fd) != 0) error_ = errno;
  if (close(fd) != 0 && !error_) error_ = errno;
  if (!error_ && rename(temp_.c_str(), path_.c_str()) != 0) error_ = errno;
  if (error_) return Fail(reason);
  committed_ = true;
  // Make the rename itself durable; a failure here no longer endangers either version.
  int dir = open(DirectoryOf(path_).c_str(), O_RDONLY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const void* data, size_t size,
                           std::string* reason) {
  ReplacingFile file(path);
  return file.Open(reason) && file.Write(data, size, reason) && file.Commit(reason);
}

}  // namespace platform
