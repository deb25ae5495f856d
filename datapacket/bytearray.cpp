// Growable byte array on malloc/realloc, so large packets can grow without a copy where the
// allocator can extend or remap the block.
#include "datapacket/bytearray.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace dspacket {

ByteArray::~ByteArray() { std::free(data_); }

ByteArray::ByteArray(ByteArray&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ByteArray& ByteArray::operator=(ByteArray&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

ByteArray ByteArray::CopyOf(const void* bytes, size_t size) {
  ByteArray result;
  if (size != 0 && result.Reserve(size)) {
    std::memcpy(result.data_, bytes, size);
    result.size_ = size;
  }
  return result;
}

bool ByteArray::Reserve(size_t capacity) {
  if (capacity <= capacity_) return true;
  void* grown = std::realloc(data_, capacity);
  if (grown == nullptr) return false;
  data_ = static_cast<uint8_t*>(grown);
  capacity_ = capacity;
  return true;
}

void ByteArray::SetSize(size_t size) {
  assert(size <= capacity_);
  size_ = size;
}

void ByteArray::Clear() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
}

}  // namespace dspacket
