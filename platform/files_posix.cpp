// File-system services over POSIX: stat, mkdir, unlink, open/write/fsync/rename, readlink,
// flock, fchmod/fchown and readdir.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

// `name` taken relative to the directory that holds `path`.
std::string Beside(const std::string& path, const std::string& name) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

// The text of the symbolic link `path`; false with errno set when it cannot be read.
bool ReadLink(const std::string& path, std::string* text) {
  for (size_t room = 256;; room *= 2) {
    text->resize(room);
    const ssize_t n = readlink(path.c_str(), text->data(), room);
    if (n < 0) return false;
    if (size_t(n) < room) {
      text->resize(size_t(n));
      return true;
    }
  }
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

bool FinalTarget(const std::string& path, std::string* target, bool* dangling,
                 unsigned long* error) {
  constexpr int kMaxLinks = 40;  // the kernel's own bound on links followed in one look-up
  *dangling = false;
  *target = path;
  for (int links = 0;; ++links) {
    struct stat st;
    if (lstat(target->c_str(), &st) != 0) {
      if (errno == ENOENT && links == 0) return true;  // a new file
      if (errno == ENOENT)
        *dangling = true;
      else
        *error = static_cast<unsigned long>(errno);
      return false;
    }
    if (!S_ISLNK(st.st_mode)) return true;
    std::string text;
    if (links == kMaxLinks || !ReadLink(*target, &text) || text.empty()) {
      *error = static_cast<unsigned long>(links == kMaxLinks ? ELOOP
                                          : text.empty()     ? ENOENT
                                                             : errno);
      return false;
    }
    *target = text.front() == '/' ? text : Beside(*target, text);
  }
}

Handle CreateNew(const std::string& path, unsigned long* error) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    *error = static_cast<unsigned long>(errno);
    return kNoHandle;
  }
  // Marks the file as a live save's. Nobody else can hold a file this new (a clean-up only
  // tries files untouched for long), so this never waits; where the file system has no locks
  // the age rule alone keeps the file (see ReplacingFile).
  flock(fd, LOCK_EX | LOCK_NB);
  return fd;
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

// Gives the file open as `fd` the permission bits of the regular file `old`, and its owner and
// group as far as the process may. A group that cannot be kept gets no more access than others
// have, so a file shared with one group is not opened to another.
void TakeIdentity(int fd, const struct stat& old) {
  struct stat mine;
  if (fstat(fd, &mine) != 0) return;
  bool groupKept = mine.st_gid == old.st_gid;
  if (mine.st_uid != old.st_uid || !groupKept) {
    if (fchown(fd, old.st_uid, old.st_gid) == 0 ||
        (!groupKept && fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0))
      groupKept = true;
  }
  mode_t mode = old.st_mode & 0777;
  if (!groupKept) mode = (mode & ~S_IRWXG) | ((mode & S_IRWXO) << 3);
  fchmod(fd, mode);  // a file system without permission bits keeps its own
}

}  // namespace

bool CommitOver(Handle h, const std::string& temp, const std::string& target,
                unsigned long* error) {
  const int fd = static_cast<int>(h);
  if (fsync(fd) != 0) {
    *error = static_cast<unsigned long>(errno);
    close(fd);
    return false;
  }
  // A regular file being replaced lends its identity, and is held open across the rename so
  // that its blocks are freed at the close afterwards instead of inside the rename.
  struct stat old {};
  const bool regular = lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  if (regular) TakeIdentity(fd, old);
  const int held =
      regular ? open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK) : -1;
  // The temporary file stays open, and so locked, until it has its final name.
  const bool renamed = rename(temp.c_str(), target.c_str()) == 0;
  if (!renamed) *error = static_cast<unsigned long>(errno);
  close(fd);  // everything written reached the disk at the fsync
  if (!renamed) {
    if (held >= 0) close(held);
    return false;
  }
  if (held >= 0) CloseInBackground(held);
  // Make the rename itself durable; a failure here no longer endangers either version.
  int dir = open(DirectoryOf(target).c_str(), O_RDONLY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

std::vector<FoundFile> FilesExtending(const std::string& prefix) {
  std::vector<FoundFile> found;
  const size_t slash = prefix.find_last_of('/');
  const std::string head = slash == std::string::npos ? std::string() : prefix.substr(0, slash + 1);
  const std::string name = prefix.substr(head.size());
  DIR* dir = opendir(head.empty() ? "." : head.c_str());
  if (dir == nullptr) return found;
  const time_t now = time(nullptr);
  while (const dirent* e = readdir(dir)) {
    struct stat st;
    if (std::strncmp(e->d_name, name.c_str(), name.size()) != 0 ||
        fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    found.push_back({head + e->d_name, int64_t(now) - int64_t(st.st_mtime)});
  }
  closedir(dir);
  return found;
}

bool RemoveUnlessHeld(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  // The lock, taken before the name is checked, keeps a saver from taking the file meanwhile;
  // a file system without locks answers with an error, and the file stays.
  struct stat opened, named;
  const bool removed = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                       flock(fd, LOCK_EX | LOCK_NB) == 0 && lstat(path.c_str(), &named) == 0 &&
                       named.st_dev == opened.st_dev && named.st_ino == opened.st_ino &&
                       unlink(path.c_str()) == 0;
  close(fd);
  return removed;
}

void Remove(const std::string& path) { unlink(path.c_str()); }

std::string ErrorText(unsigned long error) { return strerror(static_cast<int>(error)); }
unsigned long IsDirectoryError() { return EISDIR; }
unsigned long OutOfMemoryError() { return ENOMEM; }
unsigned long NotFoundError() { return ENOENT; }

}  // namespace fileio

}  // namespace platform
