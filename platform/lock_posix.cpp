// Portable re-entrant lock over std::recursive_mutex.
#include "platform/lock.h"

#include <mutex>
#include <new>

namespace platform {

static_assert(sizeof(std::recursive_mutex) <= 64);

RecursiveLock::RecursiveLock() { new (storage_) std::recursive_mutex(); }
RecursiveLock::~RecursiveLock() {
  std::launder(reinterpret_cast<std::recursive_mutex*>(storage_))->~recursive_mutex();
}
void RecursiveLock::Enter() { std::launder(reinterpret_cast<std::recursive_mutex*>(storage_))->lock(); }
void RecursiveLock::Leave() {
  std::launder(reinterpret_cast<std::recursive_mutex*>(storage_))->unlock();
}

}  // namespace platform
