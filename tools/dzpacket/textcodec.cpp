// UTF-8 <-> code page 1252 for the packet tool, with the position of a refused character.
#include "tools/dzpacket/textcodec.h"

#include <cstdio>

#include "platform/codepage.h"
#include "platform/cp1252.h"

namespace dzpacket {

using platform::AppendUtf8;
using platform::DecodeUtf8;

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
