// Text-to-integer conversion of the framework.
#include "platform/sysutils.h"

#include "platform/exceptions.h"

namespace platform {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TryStrToInt(std::string_view text, int32_t& value) {
  size_t p = 0;
  while (p < text.size() && text[p] == ' ') ++p;
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
  bool hex = false;
  if (p < text.size() && text[p] == '$') {
    hex = true;
    ++p;
  } else if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
    hex = true;
    p += 2;
  }
  if (p == text.size()) return false;  // no digits
  uint64_t magnitude = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
  for (; p < text.size(); ++p) {
    const int d = hex ? HexDigit(text[p]) : (text[p] >= '0' && text[p] <= '9' ? text[p] - '0' : -1);
    if (d < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + uint64_t(d);
    if (magnitude > limit) return false;
  }
  uint32_t bits = static_cast<uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  value = static_cast<int32_t>(bits);
  return true;
}

}  // namespace platform

int32_t StrToInt(std::string_view text) {
  int32_t value = 0;
  if (!platform::TryStrToInt(text, value))
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return value;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }
