// Faulting in memory that is about to be written, on a thread of its own, so that the writer
// finds its pages present instead of taking a fault per page. Used by the record store while a
// packet's rows are imported into it (DSBASE::PrefaultFreeSlots).
// The thread never reads or writes the bytes, it only asks the system to back the pages: the
// owner may write to them meanwhile, but keeps them allocated until Wait() or destruction.
// Not thread-safe itself: one owner.
#pragma once

#include <cstddef>
#include <thread>
#include <vector>

namespace platform {

struct MemoryRange {
  void* data;
  size_t size;
};

// Backs the whole pages inside [data, data + size) with memory, as writing to each would,
// without changing a byte. Does nothing where the system offers no such request.
void PrefaultForWriting(void* data, size_t size);

// True where PrefaultForWriting does something.
bool CanPrefault();

class BackgroundPrefault {
 public:
  // Below this many bytes in all, a thread costs more than the faults it would save.
  static constexpr size_t kMinBytes = size_t(4) << 20;

  BackgroundPrefault() = default;
  // Starts faulting in `ranges` one after the other, when they hold kMinBytes or more and the
  // system can prefault; else (or when no thread can be had) does nothing.
  explicit BackgroundPrefault(const std::vector<MemoryRange>& ranges);
  BackgroundPrefault(BackgroundPrefault&&) = default;
  BackgroundPrefault& operator=(BackgroundPrefault&&) = delete;
  ~BackgroundPrefault() { Wait(); }

  // Returns once the thread (if any) is done; Started() is false afterwards.
  void Wait();
  bool Started() const { return thread_.joinable(); }

 private:
  std::thread thread_;
};

}  // namespace platform
