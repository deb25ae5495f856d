// UTF-8 <-> code page 1252 for the packet tool, with the position of a refused character.
#include "tools/dzpacket/textcodec.h"

#include <cstdio>

#include "platform/cp1252.h"

namespace dzpacket {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | cp >> 6);
    out += char(0x80 | (cp & 0x3F));
  } else {  // the code page's characters all lie in the basic plane
    out += char(0xE0 | cp >> 12);
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// Decodes one well-formed UTF-8 sequence at `at` (no overlongs, surrogates or values above
// U+10FFFF). Returns its length, 0 when malformed.
size_t DecodeUtf8(std::string_view s, size_t at, uint32_t* cp) {
  const uint8_t b0 = uint8_t(s[at]);
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  }
  size_t n;
  uint32_t v, min;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2, v = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, v = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, v = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - at < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    const uint8_t b = uint8_t(s[at + i]);
    if ((b & 0xC0) != 0x80) return 0;
    v = v << 6 | (b & 0x3F);
  }
  if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  *cp = v;
  return n;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, platform::Cp1252ToUnicode(uint8_t(c)));
  return out;
}

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    uint32_t cp = 0;
    const size_t n = DecodeUtf8(text, at, &cp);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

bool Utf8ToCp1252(std::string_view utf8, std::string* out, TextRefusal* refusal) {
  out->clear();
  out->reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    uint32_t cp = 0;
    const size_t n = DecodeUtf8(utf8, at, &cp);
    const int byte =
        n == 0 || cp == 0 || cp > 0xFFFF ? -1 : platform::UnicodeToCp1252(char16_t(cp));
    if (byte < 0) {
      *refusal = TextRefusal{at, n == 0 ? 0 : cp, n == 0};
      return false;
    }
    *out += char(byte);
    at += n;
  }
  return true;
}

std::string DescribeRefusal(const TextRefusal& refusal) {
  if (refusal.malformed) return "malformed UTF-8";
  if (refusal.codePoint == 0) return "a NUL character cannot be stored";
  char text[64];
  std::snprintf(text, sizeof text, "U+%04X has no code page 1252 form",
                unsigned(refusal.codePoint));
  return text;
}

size_t LineOfOffset(std::string_view text, size_t offset) {
  size_t line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
    } else if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) {
      ++line;
    }
  }
  return line;
}

bool ArgumentToCp1252(const std::string& argument, std::string* out, TextRefusal* refusal) {
#ifdef _WIN32
  (void)refusal;
  *out = argument;
  return true;
#else
  return Utf8ToCp1252(argument, out, refusal);
#endif
}

}  // namespace dzpacket
