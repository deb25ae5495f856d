// A bounds-checked little-endian reader over a byte range, for every parser of untrusted
// bytes (skin archives, resource files, packets). A read past the end fails, returns zero
// and leaves ok() false for good: callers read a whole record, then check ok() once.
// Does not own the bytes; they must outlive the reader. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform {

class ByteReader {
 public:
  ByteReader(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(size) {}

  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t size() const { return size_; }
  size_t remaining() const { return size_ - pos_; }

  // Moves to an absolute offset; an offset beyond the end fails (the end itself is valid).
  void Seek(size_t offset) {
    if (!ok_ || offset > size_) return Fail();
    pos_ = offset;
  }
  void Skip(size_t count) {
    if (!ok_ || count > remaining()) return Fail();
    pos_ += count;
  }

  uint8_t U8() { return static_cast<uint8_t>(ReadLE(1)); }
  uint16_t U16() { return static_cast<uint16_t>(ReadLE(2)); }
  uint32_t U32() { return static_cast<uint32_t>(ReadLE(4)); }
  uint64_t U64() { return ReadLE(8); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }

  // Copies `count` bytes to `out`; on failure `out` is zero-filled.
  bool Bytes(void* out, size_t count) {
    const uint8_t* p = Take(count);
    if (!p) {
      if (count) std::memset(out, 0, count);
      return false;
    }
    if (count) std::memcpy(out, p, count);
    return true;
  }

  // The next `count` bytes in place, or nullptr (and failure) when fewer remain.
  const uint8_t* Take(size_t count) {
    if (!ok_ || count > remaining()) {
      Fail();
      return nullptr;
    }
    const uint8_t* p = data_ + pos_;
    pos_ += count;
    return p;
  }

 private:
  uint64_t ReadLE(size_t n) {
    const uint8_t* p = Take(n);
    if (!p) return 0;
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
  }
  void Fail() { ok_ = false; }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;  // false once any read, skip or seek went out of range
};

}  // namespace platform
