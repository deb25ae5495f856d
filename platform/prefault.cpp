// The thread that faults in memory ranges ahead of their writer.
#include "platform/prefault.h"

namespace platform {

BackgroundPrefault::BackgroundPrefault(const std::vector<MemoryRange>& ranges) {
  size_t total = 0;
  for (const MemoryRange& r : ranges) total += r.size;
  if (total < kMinBytes || !CanPrefault()) return;
  try {
    thread_ = std::thread([ranges] {
      for (const MemoryRange& r : ranges) PrefaultForWriting(r.data, r.size);
    });
  } catch (...) {  // no thread to be had (system_error, bad_alloc): the writer faults them
  }
}

void BackgroundPrefault::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace platform
