#include "platform/lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace platform {
namespace {

TEST(RecursiveLock, IsReentrantAndExcludesOtherThreadsUntilFullyLeft) {
  RecursiveLock lock;
  std::atomic<bool> entered{false};
  lock.Enter();
  lock.Enter();
  std::thread other([&] {
    LockScope scope(lock);
    entered = true;
  });
  lock.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered.load());  // still held once
  lock.Leave();
  other.join();
  EXPECT_TRUE(entered.load());
}

}  // namespace
}  // namespace platform
