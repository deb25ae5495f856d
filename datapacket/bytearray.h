// A growable, contiguous, owned byte array: the container a data packet travels in between the
// engine and its callers (the writer hands one over, the reader works on one in place).
// Move-only; not thread-safe. Grows in place where the allocator can (realloc), never zero-fills.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace dspacket {

class ByteArray {
 public:
  ByteArray() = default;
  ~ByteArray();
  ByteArray(ByteArray&& other) noexcept;
  ByteArray& operator=(ByteArray&& other) noexcept;
  ByteArray(const ByteArray&) = delete;
  ByteArray& operator=(const ByteArray&) = delete;

  // A new array holding a copy of `size` bytes at `bytes`. Empty when memory runs out.
  static ByteArray CopyOf(const void* bytes, size_t size);

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  std::span<const uint8_t> bytes() const { return {data_, size_}; }

  // Makes room for `capacity` bytes in all, keeping the content. False when memory runs out
  // (the array is then unchanged).
  bool Reserve(size_t capacity);
  // Sets the number of bytes in use. REQUIRES: size <= capacity(). New bytes are not cleared.
  void SetSize(size_t size);
  // Frees the memory; the array is empty afterwards.
  void Clear();

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace dspacket
