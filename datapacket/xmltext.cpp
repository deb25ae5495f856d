// Escaping, reference reading, XML names and base64 of the XML data packet.
#include "datapacket/xmltext.h"

#include "platform/codepage.h"
#include "platform/cp1252.h"

namespace dspacket {

void AppendEscaped(std::string_view text, std::string* out) {
  for (char c : text) {
    switch (c) {
      case '<':
        *out += "&lt;";
        break;
      case '>':
        *out += "&gt;";
        break;
      case '&':
        *out += "&amp;";
        break;
      case '\'':
        *out += "&apos;";
        break;
      case '"':
        *out += "&quot;";
        break;
      case '\r':
        *out += "&#013;";
        break;
      case '\n':
        *out += "&#010;";
        break;
      case '\t':
        *out += "&#009;";
        break;
      case '\\':
        *out += "&#092;";
        break;
      default:
        *out += c;
    }
  }
}

namespace {

// Largest character code a numeric reference may name (the Unicode range).
constexpr uint32_t kMaxCharacterCode = 0x10FFFF;

// One escaped piece: a character from a reference, or a run of raw bytes.
struct Piece {
  bool isReference = false;
  uint32_t code = 0;    // the reference's character
  size_t consumed = 0;  // raw bytes the piece takes
};

// Reads the reference at raw[i] == '&'. consumed 0: the "&" stays as it is.
Piece ReadReference(std::string_view raw, size_t i) {
  Piece p;
  const size_t left = raw.size() - i;
  if (left < 2) return p;
  const char k = raw[i + 1];
  auto fixed = [&](uint32_t code, size_t skip) {
    if (left >= skip) p = Piece{true, code, skip};
    return p;
  };
  if (k == '#') {
    size_t j = i + 2;
    const bool hex = j < raw.size() && (raw[j] == 'x' || raw[j] == 'X');
    if (hex) ++j;
    const size_t digitsStart = j;
    uint32_t code = 0;
    for (; j < raw.size() && raw[j] != ';'; ++j) {
      const char c = raw[j];
      uint32_t d;
      if (c >= '0' && c <= '9') {
        d = static_cast<uint32_t>(c - '0');
      } else if (hex && c >= 'a' && c <= 'f') {
        d = static_cast<uint32_t>(c - 'a' + 10);
      } else if (hex && c >= 'A' && c <= 'F') {
        d = static_cast<uint32_t>(c - 'A' + 10);
      } else {
        return p;  // not a reference
      }
      code = code * (hex ? 16 : 10) + d;
      if (code > kMaxCharacterCode) return p;
    }
    if (j >= raw.size() || j == digitsStart) return p;
    return Piece{true, code, j + 1 - i};
  }
  if (k == 'a') return left >= 3 && raw[i + 2] == 'p' ? fixed('\'', 6) : fixed('&', 5);
  if (k == 'g') return fixed('>', 4);
  if (k == 'l') return fixed('<', 4);
  if (k == 'q') return fixed('"', 6);
  return p;
}

void AppendUtf16(uint32_t code, std::u16string* out) {
  if (code < 0x10000) {
    out->push_back(static_cast<char16_t>(code));
    return;
  }
  code -= 0x10000;
  out->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
  out->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

// Raw bytes of the document as UTF-16: UTF-8 decoded (ill-formed bytes become U+FFFD), or
// 8-bit bytes through the code page.
std::u16string RawToWide(std::string_view raw, bool utf8) {
  std::u16string wide;
  if (!utf8) return platform::AnsiToWide(std::string(raw));
  if (platform::Utf8ToWide(std::string(raw), wide)) return wide;
  wide.clear();
  for (char c : raw)
    wide.push_back(static_cast<uint8_t>(c) < 0x80 ? static_cast<char16_t>(c) : u'\uFFFD');
  return wide;
}

// Calls run(bytes) for raw runs and ref(code) for references, in order.
template <typename Run, typename Ref>
void Scan(std::string_view raw, Run run, Ref ref) {
  size_t start = 0;
  size_t i = 0;
  while (i < raw.size()) {
    if (raw[i] != '&') {
      ++i;
      continue;
    }
    const Piece p = ReadReference(raw, i);
    if (p.consumed == 0) {
      ++i;
      continue;
    }
    if (i > start) run(raw.substr(start, i - start));
    ref(p.code);
    i += p.consumed;
    start = i;
  }
  if (i > start) run(raw.substr(start, i - start));
}

}  // namespace

std::string XmlTextDecoder::Text8(std::string_view raw) const {
  std::string out;
  out.reserve(raw.size());
  Scan(
      raw,
      [&](std::string_view run) {
        if (utf8_) {
          out += platform::WideToAnsi(RawToWide(run, true));
        } else {
          out.append(run);
        }
      },
      [&](uint32_t code) {
        if (code < 256) {
          out += static_cast<char>(code);
        } else {
          std::u16string wide;
          AppendUtf16(code, &wide);
          out += platform::WideToAnsi(wide);
        }
      });
  return out;
}

std::u16string XmlTextDecoder::Text16(std::string_view raw) const {
  std::u16string out;
  Scan(
      raw, [&](std::string_view run) { out += RawToWide(run, utf8_); },
      [&](uint32_t code) { AppendUtf16(code, &out); });
  return out;
}

std::string XmlNameOf(std::string_view columnName) {
  std::string name(columnName);
  for (char& c : name) {
    switch (c) {
      case ' ':
      case '(':
      case ')':
      case '#':
      case '*':
      case '!':
      case '$':
      case '%':
      case '?':
      case '=':
      case '<':
      case '>':
      case '/':
      case '"':
      case '\'':
      case '&':
      case '\\':
        c = '_';
        break;
      default:
        if (static_cast<uint8_t>(c) < 33) c = '_';
    }
  }
  return name;
}

namespace {

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

void AppendBase64(const uint8_t* data, size_t length, std::string* out) {
  out->reserve(out->size() + (length + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    const uint32_t v = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) | data[i + 2];
    for (int s = 18; s >= 0; s -= 6) *out += kBase64Alphabet[(v >> s) & 63];
  }
  if (i < length) {
    uint32_t v = uint32_t{data[i]} << 16;
    if (i + 1 < length) v |= uint32_t{data[i + 1]} << 8;
    *out += kBase64Alphabet[(v >> 18) & 63];
    *out += kBase64Alphabet[(v >> 12) & 63];
    *out += i + 1 < length ? kBase64Alphabet[(v >> 6) & 63] : '=';
    *out += '=';
  }
}

std::vector<uint8_t> DecodeBase64(std::string_view text) {
  std::vector<uint8_t> out;
  out.reserve(text.size() / 4 * 3 + 3);
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    const int d = Base64Digit(c);
    if (d < 0) continue;
    bits = (bits << 6) | static_cast<uint32_t>(d);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<uint8_t>(bits >> count));
    }
  }
  return out;
}

}  // namespace dspacket
