// UTF-8 <-> UTF-16, the same on every platform (no system service needed).
#include <cstdint>

#include "platform/codepage.h"

namespace platform {

bool Utf8ToWide(const std::string& utf8, std::u16string& wide) {
  wide.clear();
  wide.reserve(utf8.size());
  const size_t n = utf8.size();
  size_t i = 0;
  while (i < n) {
    uint8_t b = static_cast<uint8_t>(utf8[i]);
    if (b < 0x80) {
      wide.push_back(b);
      ++i;
      continue;
    }
    int extra;
    uint32_t cp, min;
    if ((b & 0xE0) == 0xC0) {
      extra = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, cp = b & 0x07, min = 0x10000;
    } else {
      return false;  // continuation byte without a lead, or 0xF8-0xFF
    }
    if (n - i <= static_cast<size_t>(extra)) return false;  // truncated sequence
    for (int k = 1; k <= extra; ++k) {
      uint8_t c = static_cast<uint8_t>(utf8[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms, encoded surrogates and values past Unicode are ill-formed.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(cp));
    }
    i += extra + 1;
  }
  return true;
}

std::string WideToUtf8(const std::u16string& wide) {
  std::string out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    uint32_t cp = wide[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace platform
