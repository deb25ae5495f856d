// Timing helpers for dzbench: a monotonic stopwatch, the median of repeated runs and the
// process's resident memory.
// Each measured function returns the seconds of its own timed part, so setup stays outside.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
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

// Medians of kRuns calls of each of `runs`, the calls taking turns (the first call of each, then
// the second of each, ...), so that a change in the machine's speed meanwhile hits all of them
// alike. Used where figures are compared with each other.
inline std::vector<double> AlternatedMedians(const std::vector<std::function<double(int)>>& runs) {
  std::vector<std::vector<double>> t(runs.size());
  for (int k = 0; k < kRuns; ++k)
    for (size_t i = 0; i < runs.size(); ++i) t[i].push_back(runs[i](k));
  std::vector<double> medians;
  for (std::vector<double>& one : t) {
    std::sort(one.begin(), one.end());
    medians.push_back(one[one.size() / 2]);
  }
  return medians;
}

}  // namespace bench
