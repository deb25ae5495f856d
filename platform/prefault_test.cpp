#include "platform/prefault.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

constexpr size_t kBlock = size_t(16) << 20;

// Fresh zeroed memory, freed at the end of the scope.
struct ZeroedBlock {
  ZeroedBlock() : bytes(static_cast<uint8_t*>(std::calloc(kBlock, 1))) {}
  ~ZeroedBlock() { std::free(bytes); }
  uint8_t* bytes;
};

// The owner writes while the thread faults the pages in: every byte ends as written, and the
// bytes nobody wrote are still the zeros they were allocated as.
TEST(PrefaultTest, WritesMadeMeanwhileAndUnwrittenZerosSurvive) {
  ZeroedBlock block;
  ASSERT_NE(block.bytes, nullptr);
  {
    const BackgroundPrefault prefault(
        {{block.bytes, kBlock / 2}, {block.bytes + kBlock / 2, kBlock / 2}});
    EXPECT_EQ(prefault.Started(), CanPrefault());
    for (size_t i = 0; i < kBlock; i += 3 * 1024 + 7) block.bytes[i] = uint8_t(1 + i % 251);
  }
  for (size_t i = 0; i < kBlock; ++i) {
    const uint8_t expected = i % (3 * 1024 + 7) == 0 ? uint8_t(1 + i % 251) : 0;
    ASSERT_EQ(block.bytes[i], expected) << "byte " << i;
  }
}

TEST(PrefaultTest, SmallRangesStartNoThread) {
  ZeroedBlock block;
  ASSERT_NE(block.bytes, nullptr);
  const BackgroundPrefault prefault({{block.bytes, BackgroundPrefault::kMinBytes / 2},
                                     {block.bytes, BackgroundPrefault::kMinBytes / 2 - 1}});
  EXPECT_FALSE(prefault.Started());
}

#ifndef _WIN32
// Pages of [data, data + kBlock) in memory; SIZE_MAX when the system cannot tell.
size_t ResidentPages(void* data) {
  std::vector<unsigned char> resident(kBlock / size_t(sysconf(_SC_PAGESIZE)));
  if (mincore(data, kBlock, resident.data()) != 0) return SIZE_MAX;
  size_t pages = 0;
  for (unsigned char r : resident) pages += r & 1;
  return pages;
}

// Once the thread is done, every whole page of the ranges is resident without having been
// written.
TEST(PrefaultTest, PagesAreResidentAfterwards) {
  if (!CanPrefault()) GTEST_SKIP() << "the system cannot prefault";
  void* mapped = mmap(nullptr, kBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapped, MAP_FAILED);
  EXPECT_EQ(ResidentPages(mapped), 0u) << "fresh pages are not resident";
  { const BackgroundPrefault prefault({{mapped, kBlock}}); }
  EXPECT_EQ(ResidentPages(mapped), kBlock / size_t(sysconf(_SC_PAGESIZE)));
  munmap(mapped, kBlock);
}
#endif

}  // namespace
}  // namespace platform
