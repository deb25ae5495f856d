// Timing helpers for dzbench: a monotonic stopwatch, the median of repeated runs and the
// process's resident memory.
// Each measured function returns the seconds of its own timed part, so setup stays outside.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <vector>

namespace bench {

constexpr int kRuns = 5;  // every figure is the median of this many runs

class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// Resident memory of this process in bytes (Linux /proc).
inline uint64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  uint64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * uint64_t(sysconf(_SC_PAGESIZE));
}

// Median of kRuns calls of `run(k)` (k = 0 .. kRuns - 1), each returning seconds.
template <class F>
double Median(F run) {
  std::vector<double> t;
  for (int k = 0; k < kRuns; ++k) t.push_back(run(k));
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

}  // namespace bench
