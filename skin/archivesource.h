// Random access to the bytes of a skin archive, for the entry locator and extractor
// (zipentry.h, archive.h): an archive file on disk, or bytes in memory (tests, fuzzing).
// A source is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace skin {

class TArchiveSource {
 public:
  virtual ~TArchiveSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads up to `size` bytes at `offset`; returns how many were read (0 at or past the end).
  virtual size_t ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
  // True when all `size` bytes at `offset` were read.
  bool ReadExact(uint64_t offset, void* buffer, size_t size) {
    return ReadAt(offset, buffer, size) == size;
  }
};

class TMemoryArchiveSource : public TArchiveSource {
 public:
  TMemoryArchiveSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  const uint8_t* data_;  // not owned
  size_t size_;
};

// An archive file opened for reading (other readers and writers may share it).
class TFileArchiveSource : public TArchiveSource {
 public:
  // Check IsOpen() afterwards.
  explicit TFileArchiveSource(const std::string& path);
  bool IsOpen() const { return open_; }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  std::ifstream file_;
  uint64_t size_ = 0;
  bool open_ = false;
};

}  // namespace skin
