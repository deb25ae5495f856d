// Bounds-checked little-endian reader over a byte range, used by every packet parser. Once a
// read runs past the end, ok() stays false and every later read yields zeros / nullptr, so a
// parser can read a whole record and check once. Does not own the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dspacket {

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const uint8_t* begin, const uint8_t* end) : begin_(begin), pos_(begin), end_(end) {}

  bool ok() const { return ok_; }
  size_t offset() const { return static_cast<size_t>(pos_ - begin_); }
  size_t remaining() const { return static_cast<size_t>(end_ - pos_); }
  const uint8_t* pos() const { return pos_; }
  const uint8_t* end() const { return end_; }

  // Marks the reader failed: every later read fails too.
  void Fail() {
    ok_ = false;
    pos_ = end_;
  }
  // Moves to `offset` from the beginning; fails when it lies past the end.
  void Seek(size_t offset) {
    if (!ok_ || offset > static_cast<size_t>(end_ - begin_)) return Fail();
    pos_ = begin_ + offset;
  }
  // Moves to `p`. REQUIRES: p lies in [begin, end] (a position this reader handed out).
  void SetPos(const uint8_t* p) { pos_ = p; }

  // The next `n` bytes, or nullptr (and failure) when fewer remain.
  const uint8_t* Bytes(size_t n) {
    if (!ok_ || n > remaining()) {
      Fail();
      return nullptr;
    }
    const uint8_t* p = pos_;
    pos_ += n;
    return p;
  }
  uint8_t U8() { return Read<uint8_t>(); }
  uint16_t U16() { return Read<uint16_t>(); }
  uint32_t U32() { return Read<uint32_t>(); }

 private:
  template <typename T>
  T Read() {
    const uint8_t* p = Bytes(sizeof(T));
    T value = 0;
    if (p != nullptr)
      std::memcpy(&value, p, sizeof(T));  // packets are little-endian, as is the host
    return value;
  }

  const uint8_t* begin_ = nullptr;
  const uint8_t* pos_ = nullptr;
  const uint8_t* end_ = nullptr;
  bool ok_ = true;
};

}  // namespace dspacket
