// ASCII letter case for names and keywords that compare without regard to it: only A-Z and
// a-z fold; every other byte, the code page's accented letters included, stands for itself.
// Used by the packet XML reader and writer, the filter parser, the skin archive and resource
// file, and the tools. Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// `c` with a-z made A-Z.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// True when `a` and `b` have the same length and the same bytes once a-z are made A-Z.
constexpr bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

}  // namespace platform
