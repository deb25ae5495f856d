// ZeroedBytes: a byte vector whose new bytes are zero because the memory they come from was
// handed out zeroed (calloc), not because the vector writes them. The system gives large blocks
// as untouched zero pages, so a record store sized at once for a whole file costs no pass over
// its memory before the rows are written into it. Used by the record store (DSBASE).
// REQUIRES of users: never shrink below bytes that were written and grow again; the bytes past
// the size must still be the zeros they were allocated as.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace dsengine {

template <class T>
struct ZeroingAllocator {
  using value_type = T;
  ZeroingAllocator() = default;
  template <class U>
  ZeroingAllocator(const ZeroingAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    void* p = std::calloc(n, sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) noexcept { std::free(p); }

  // Default initialisation writes nothing: the element keeps the zero it was allocated as.
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  template <class U>
  bool operator==(const ZeroingAllocator<U>&) const noexcept {
    return true;
  }
};

using ZeroedBytes = std::vector<uint8_t, ZeroingAllocator<uint8_t>>;

}  // namespace dsengine
