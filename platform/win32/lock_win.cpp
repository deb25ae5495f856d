// Re-entrant lock over a Win32 critical section.
#include <windows.h>

#include <new>

#include "platform/lock.h"

namespace platform {

static_assert(sizeof(CRITICAL_SECTION) <= 64);

static CRITICAL_SECTION* Section(unsigned char* storage) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}

RecursiveLock::RecursiveLock() {
  auto* cs = new (storage_) CRITICAL_SECTION;
  InitializeCriticalSection(cs);
}
RecursiveLock::~RecursiveLock() { DeleteCriticalSection(Section(storage_)); }
void RecursiveLock::Enter() { EnterCriticalSection(Section(storage_)); }
void RecursiveLock::Leave() { LeaveCriticalSection(Section(storage_)); }

}  // namespace platform
