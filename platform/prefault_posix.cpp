// Prefaulting with madvise(MADV_POPULATE_WRITE) (Linux 5.14 and later).
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "platform/prefault.h"

namespace platform {

#ifdef MADV_POPULATE_WRITE

bool CanPrefault() { return true; }

void PrefaultForWriting(void* data, size_t size) {
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const uintptr_t begin = (uintptr_t(data) + page - 1) & ~(page - 1);
  const uintptr_t end = (uintptr_t(data) + size) & ~(page - 1);
  // A failure (an older kernel, memory freed meanwhile, none left) only means the writer
  // faults the pages in itself.
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
}

#else

bool CanPrefault() { return false; }
void PrefaultForWriting(void*, size_t) {}

#endif

}  // namespace platform
