// UTF-8 <-> UTF-16, the same on every platform (no system service needed).
#include <cstdint>

#include "platform/codepage.h"

namespace platform {

size_t DecodeUtf8(std::string_view text, size_t at, uint32_t* codePoint) {
  const uint8_t b0 = static_cast<uint8_t>(text[at]);
  if (b0 < 0x80) {
    *codePoint = b0;
    return 1;
  }
  size_t length;
  uint32_t cp, min;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;  // continuation byte without a lead, or 0xF8-0xFF
  }
  if (text.size() - at < length) return 0;  // truncated sequence
  for (size_t k = 1; k < length; ++k) {
    const uint8_t c = static_cast<uint8_t>(text[at + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  // Overlong forms, encoded surrogates and values past Unicode are ill-formed.
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
  *codePoint = cp;
  return length;
}

void AppendUtf8(std::string& out, uint32_t cp) {
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

bool Utf8ToWide(const std::string& utf8, std::u16string& wide) {
  wide.clear();
  wide.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    uint32_t cp = 0;
    const size_t length = DecodeUtf8(utf8, i, &cp);
    if (length == 0) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(cp));
    }
    i += length;
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
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace platform
