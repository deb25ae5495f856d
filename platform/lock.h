// A re-entrant lock (a critical section on Windows) and its scope guard.
// The table object guards every public operation with one; the same thread may enter again.
#pragma once

namespace platform {

class RecursiveLock {
 public:
  RecursiveLock();
  ~RecursiveLock();
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void Enter();
  void Leave();

 private:
  alignas(16) unsigned char storage_[64];  // CRITICAL_SECTION or std::recursive_mutex
};

class LockScope {
 public:
  explicit LockScope(RecursiveLock& lock) : lock_(lock) { lock_.Enter(); }
  ~LockScope() { lock_.Leave(); }
  LockScope(const LockScope&) = delete;
  LockScope& operator=(const LockScope&) = delete;

 private:
  RecursiveLock& lock_;
};

}  // namespace platform
