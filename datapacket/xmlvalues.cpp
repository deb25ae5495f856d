// XML type words, known parameter names and the value texts of the XML data packet.
#include "datapacket/xmlvalues.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "datapacket/fieldtypes.h"
#include "platform/asciitext.h"
#include "platform/codepage.h"
#include "tableengine/dsbcd.h"
#include "tableengine/exprvalues.h"

namespace dspacket {

namespace {

constexpr int64_t kMsPerDay = 86400000;

// Known parameter names, written as attributes of "FIELD" or "PARAMS". The field type word is
// the one the engine's export uses for the name (so that a binary save after an XML load gives
// the same bytes); names without a value of their own are read as strings.
constexpr KnownXmlParam kKnownParams[] = {
    {"UNIQUE_KEY", "UIntArray", 0x00820002},
    {"DEFAULT_ORDER", "UIntArray", 0x00820002},
    {"CHANGE_LOG", "UIntArray", 0x00820004},
    {"SERVER_COL", "string", 0x00490002},
    {"DATASET_DELTA", "boolean", 0x00030002},
    {"READONLY", "boolean", 0x00030002},
    {"SUBTYPE", "string", 0x00490002},
    {"DECIMALS", "i2", 0x00020002},
    {"WIDTH", "i2", 0x00020002},
    {"LCID", "i2", 0x00010002},
    {"AUTOINCVALUE", "i4", 0x00010004},
    {"TABLENAME", "string", 0x00490002},
    {"TYPENAME", "string", 0x00490002},
    {"UPDATEMODE", "i2", 0x00010002},
    {"MD_SEMANTICS", "UIntArray", 0x00820004},
    {"CALCULATED", "boolean", 0x00020002},
    {"DELTA", "boolean", 0x00030002},
    {"PRIMARY_KEY", "UIntArray", 0x00820002},
    {"MINVALUE", "string", 0x00490002},
    {"MAXVALUE", "string", 0x00490002},
    {"DEFVALUE", "string", 0x00490002},
};

struct XmlWord {
  const char* word;
  uint32_t fieldType;  // for parameters of that XML type
};
constexpr XmlWord kXmlWords[] = {
    {"i1", 0x00010001},       {"i2", 0x00010002},          {"i4", 0x00010004},
    {"i8", 0x00010008},       {"ui1", 0x00020001},         {"ui2", 0x00020002},
    {"ui4", 0x00020004},      {"boolean", 0x00030002},     {"r8", 0x00040008},
    {"fixed", 0x00050012},    {"date", 0x00060004},        {"time", 0x00070004},
    {"dateTime", 0x00080008}, {"string", 0x00490002},      {"string.uni", 0x004A0002},
    {"bin.hex", 0x004B0004},  {"SQLdateTime", 0x00110010}, {"fixedFMT", 0x00120012},
    {"IntArray", 0x00810004}, {"UIntArray", 0x00820004},
};

int64_t ReadSigned(const uint8_t* p, uint32_t width) {
  switch (width) {
    case 1:
      return static_cast<int8_t>(p[0]);
    case 2: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 4: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default: {
      int64_t v;
      std::memcpy(&v, p, 8);
      return v;
    }
  }
}

uint64_t ReadUnsigned(const uint8_t* p, uint32_t width) {
  uint64_t v = 0;
  std::memcpy(&v, p, width);
  return v;
}

void PutLE(uint64_t v, uint32_t width, std::vector<uint8_t>* out) {
  for (uint32_t i = 0; i < width; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void AppendFormat(std::string* out, const char* format, long long a) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, a);
  *out += buf;
}

void AppendDate(int32_t dayNumber, std::string* out) {
  int y, m, d;
  db::DecodeDayNumber(dayNumber, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
  *out += buf;
}

void AppendTime(uint32_t ms, std::string* out) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02u:%02u:%05u", ms / 3600000, ms / 60000 % 60, ms % 60000);
  *out += buf;
}

void AppendFloat(double v, std::string* out) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.16g", v);
  // Sixteen digits do not hold every double; a value they would change gets seventeen, so
  // that no value is lost on the way through the text.
  if (!std::isnan(v) && std::strtod(buf, nullptr) != v) std::snprintf(buf, sizeof buf, "%.17g", v);
  const char* p = buf;
  while (*p == ' ') ++p;
  *out += p;
}

bool AppendBcd(const uint8_t* value, uint32_t length, std::string* out) {
  dsengine::BcdValue v;
  if (!dsengine::BcdUnpack(value, length, &v)) return false;
  const uint32_t places = length >= 2 ? (value[1] & 0x3F) : 0;
  if (v.negative) *out += '-';
  int first = 0;
  while (first < dsengine::kBcdIntDigits - 1 && v.digits[first] == 0) ++first;
  for (int i = first; i < dsengine::kBcdIntDigits; ++i)
    *out += static_cast<char>('0' + v.digits[i]);
  if (places > 0) {
    *out += '.';
    for (uint32_t i = 0; i < places && i < dsengine::kBcdFracDigits; ++i) {
      *out += static_cast<char>('0' + v.digits[dsengine::kBcdIntDigits + i]);
    }
  }
  return true;
}

bool AppendSqlTime(const uint8_t* p, std::string* out) {
  int16_t year;
  uint16_t month, day, hour, minute, second;
  uint32_t fraction;
  std::memcpy(&year, p, 2);
  std::memcpy(&month, p + 2, 2);
  std::memcpy(&day, p + 4, 2);
  std::memcpy(&hour, p + 6, 2);
  std::memcpy(&minute, p + 8, 2);
  std::memcpy(&second, p + 10, 2);
  std::memcpy(&fraction, p + 12, 4);
  const uint64_t last = uint64_t{second} * 1000 + fraction;
  char buf[80];
  if (hour == 0 && minute == 0 && last == 0) {
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", year, month, day);
  } else {
    std::snprintf(buf, sizeof buf, "%04d%02u%02uT%02u:%02u:%05llu", year, month, day, hour, minute,
                  static_cast<unsigned long long>(last));
  }
  *out += buf;
  return true;
}

std::string ToUtf8(std::string_view ansi) {
  return platform::WideToUtf8(platform::AnsiToWide(std::string(ansi)));
}

void AppendWide(const uint8_t* value, uint32_t length, bool utf8, std::string* out) {
  std::u16string wide(length / 2, u'\0');
  if (!wide.empty()) std::memcpy(wide.data(), value, wide.size() * 2);
  if (utf8) return AppendEscaped(platform::WideToUtf8(wide), out);
  for (char16_t c : wide) {
    if (c < 128) {
      const char ch = static_cast<char>(c);
      AppendEscaped(std::string_view(&ch, 1), out);
    } else {
      AppendFormat(out, "&#%03lld;", c);
    }
  }
}

bool AppendArray(uint32_t fieldType, const uint8_t* value, uint32_t length, std::string* out) {
  const uint32_t width = FieldWidth(fieldType);
  if (length < 4 || (width != 1 && width != 2 && width != 4 && width != 8)) return false;
  uint32_t count;
  std::memcpy(&count, value, 4);
  if (count > (length - 4) / width) return false;
  const bool isSigned = FieldPacketType(fieldType) == kPacketInt;
  for (uint32_t i = 0; i < count; ++i) {
    if (i != 0) *out += ' ';
    const uint8_t* e = value + 4 + size_t{i} * width;
    char buf[32];
    if (isSigned) {
      std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(ReadSigned(e, width)));
    } else {
      std::snprintf(buf, sizeof buf, "%llu",
                    static_cast<unsigned long long>(ReadUnsigned(e, width)));
    }
    *out += buf;
  }
  return true;
}

uint32_t FixedSizeOf(XmlKind kind, uint32_t fieldType) {
  switch (kind) {
    case XmlKind::kInt:
    case XmlKind::kUInt:
    case XmlKind::kBool:
      return FieldWidth(fieldType);
    case XmlKind::kFloat:
    case XmlKind::kDateTime:
      return 8;
    case XmlKind::kDate:
    case XmlKind::kTime:
    case XmlKind::kNested:
      return 4;
    case XmlKind::kSqlTime:
      return 16;
    default:
      return 0;
  }
}

// ---- reading ----

// Skips blanks; reads an optional sign and decimal digits. False when no digit comes first.
bool ParseDecimal(std::string_view s, size_t* i, bool* negative, uint64_t* magnitude) {
  while (*i < s.size() && (s[*i] == ' ' || s[*i] == '\t' || s[*i] == '\r' || s[*i] == '\n')) ++*i;
  *negative = false;
  if (*i < s.size() && (s[*i] == '-' || s[*i] == '+')) *negative = s[(*i)++] == '-';
  uint64_t v = 0;
  const size_t start = *i;
  for (; *i < s.size() && s[*i] >= '0' && s[*i] <= '9'; ++*i) {
    v = v * 10 + static_cast<uint64_t>(s[*i] - '0');  // wraps like the runtime's conversion
  }
  *magnitude = v;
  return *i > start;
}

bool ParseInteger(std::string_view s, uint64_t* value) {
  size_t i = 0;
  bool negative;
  uint64_t magnitude;
  if (!ParseDecimal(s, &i, &negative, &magnitude)) return false;
  *value = negative ? ~magnitude + 1 : magnitude;
  return true;
}

bool Digits(std::string_view s, size_t at, size_t n, int* value) {
  if (at + n > s.size()) return false;
  int v = 0;
  for (size_t k = at; k < at + n; ++k) {
    if (s[k] < '0' || s[k] > '9') return false;
    v = v * 10 + (s[k] - '0');
  }
  *value = v;
  return true;
}

bool ParseDate(std::string_view s, int32_t* dayNumber) {
  int y, m, d;
  if (!Digits(s, 0, 4, &y) || !Digits(s, 4, 2, &m) || !Digits(s, 6, 2, &d)) return false;
  if (m > 12 || d > 31) return false;
  return db::EncodeDayNumber(y, m, d, *dayNumber);
}

// "HH:MM:SSmmm": hours from the first two characters, minutes from the 4th and 5th, then the
// digits from the 7th on, padded with zeros to 5 digits.
bool ParseTime(std::string_view s, uint32_t* ms) {
  int h, m;
  if (!Digits(s, 0, 2, &h) || !Digits(s, 3, 2, &m)) return false;
  std::string last(s.size() > 6 ? s.substr(6, 5) : std::string_view());
  while (last.size() < 5) last += '0';
  int rest;
  if (!Digits(last, 0, 5, &rest)) return false;
  if (h > 23 || m > 59 || rest > 59999) return false;
  *ms = static_cast<uint32_t>(h * 3600000 + m * 60000 + rest);
  return true;
}

bool ParseBcd(std::string_view s, uint32_t fieldType, const BcdShape& shape,
              std::vector<uint8_t>* out) {
  // The text as a fixed-point value: one sign at the start, one decimal point, blanks ignored.
  std::string intDigits, fracDigits;
  bool negative = false, point = false, any = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == ' ') continue;
    if (c == '-' && !any && !point && !negative) {
      negative = true;
    } else if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      any = true;
      (point ? fracDigits : intDigits) += c;
    } else {
      return false;
    }
  }
  if (!any) return false;
  size_t lead = 0;
  while (lead < intDigits.size() && intDigits[lead] == '0') ++lead;
  intDigits.erase(0, lead);
  if (intDigits.size() > static_cast<size_t>(dsengine::kBcdIntDigits)) return false;
  dsengine::BcdValue v{};
  v.negative = negative;
  const size_t intStart = dsengine::kBcdIntDigits - intDigits.size();
  for (size_t i = 0; i < intDigits.size(); ++i)
    v.digits[intStart + i] = static_cast<uint8_t>(intDigits[i] - '0');
  for (size_t i = 0; i < fracDigits.size() && i < dsengine::kBcdFracDigits; ++i) {
    v.digits[dsengine::kBcdIntDigits + i] = static_cast<uint8_t>(fracDigits[i] - '0');
  }
  const uint32_t width = FieldWidth(fieldType);
  const size_t length = width < kBcdPacketSize ? width : kBcdPacketSize;
  out->assign(length, 0);
  return dsengine::BcdPack(v, shape.precision, shape.places, out->data(), length);
}

bool ParseSqlTime(std::string_view s, std::vector<uint8_t>* out) {
  int y, m, d, h = 0, mi = 0, last = 0;
  if (!Digits(s, 0, 4, &y) || !Digits(s, 4, 2, &m) || !Digits(s, 6, 2, &d)) return false;
  if (s.size() > 8 && s[8] == 'T') {
    if (!Digits(s, 9, 2, &h) || !Digits(s, 12, 2, &mi)) return false;
    size_t i = 15, n = 0;
    while (i + n < s.size() && n < 9 && s[i + n] >= '0' && s[i + n] <= '9') ++n;
    if (n == 0 || !Digits(s, i, n, &last)) return false;
  }
  PutLE(static_cast<uint16_t>(y), 2, out);
  PutLE(static_cast<uint16_t>(m), 2, out);
  PutLE(static_cast<uint16_t>(d), 2, out);
  PutLE(static_cast<uint16_t>(h), 2, out);
  PutLE(static_cast<uint16_t>(mi), 2, out);
  PutLE(static_cast<uint16_t>(last / 1000), 2, out);
  PutLE(static_cast<uint32_t>(last % 1000), 4, out);
  return true;
}

bool ParseArray(std::string_view s, uint32_t fieldType, std::vector<uint8_t>* out) {
  const uint32_t width = FieldWidth(fieldType);
  if (width != 1 && width != 2 && width != 4 && width != 8) return false;
  out->assign(4, 0);
  uint32_t count = 0;
  size_t i = 0;
  for (;;) {
    bool negative;
    uint64_t magnitude;
    if (!ParseDecimal(s, &i, &negative, &magnitude)) break;
    PutLE(negative ? ~magnitude + 1 : magnitude, width, out);
    ++count;
  }
  std::memcpy(out->data(), &count, 4);
  return true;
}

}  // namespace

XmlKind XmlKindOf(uint32_t fieldType, bool memo) {
  const uint32_t width = FieldWidth(fieldType);
  const uint32_t code = FieldPacketType(fieldType);
  if (fieldType & kFieldArray) {
    if (code == kPacketInt) return XmlKind::kIntArray;
    if (code == kPacketUInt) return XmlKind::kUIntArray;
    return XmlKind::kNone;
  }
  switch (code) {
    case kPacketInt:
      return width == 1 || width == 2 || width == 4 || width == 8 ? XmlKind::kInt : XmlKind::kNone;
    case kPacketUInt:
      return width == 1 || width == 2 || width == 4 ? XmlKind::kUInt : XmlKind::kNone;
    case kPacketBool:
      return width == 1 || width == 2 || width == 4 ? XmlKind::kBool : XmlKind::kNone;
    case kPacketFloat:
      return width == 8 ? XmlKind::kFloat : XmlKind::kNone;
    case kPacketBcd:
    case kPacketFmtBcd:
      return XmlKind::kBcd;
    case kPacketDate:
      return width == 4 ? XmlKind::kDate : XmlKind::kNone;
    case kPacketTime:
      return width == 4 ? XmlKind::kTime : XmlKind::kNone;
    case kPacketTimeStamp:
      return width == 8 ? XmlKind::kDateTime : XmlKind::kNone;
    case kPacketString:
      return XmlKind::kString;
    case kPacketWideString:
      return XmlKind::kWideString;
    case kPacketBytes:
      return memo ? XmlKind::kMemo : XmlKind::kBytes;
    case kPacketNested:
      return XmlKind::kNested;
    case kPacketSqlTimeStamp:
      return width == 16 ? XmlKind::kSqlTime : XmlKind::kNone;
    default:
      return XmlKind::kNone;
  }
}

const char* XmlTypeWordOf(uint32_t fieldType) {
  const uint32_t width = FieldWidth(fieldType);
  switch (XmlKindOf(fieldType)) {
    case XmlKind::kInt:
      return width == 1 ? "i1" : width == 2 ? "i2" : width == 4 ? "i4" : "i8";
    case XmlKind::kUInt:
      return width == 1 ? "ui1" : width == 2 ? "ui2" : "ui4";
    case XmlKind::kBool:
      return "boolean";
    case XmlKind::kFloat:
      return "r8";
    case XmlKind::kBcd:
      return FieldPacketType(fieldType) == kPacketBcd ? "fixed" : "fixedFMT";
    case XmlKind::kDate:
      return "date";
    case XmlKind::kTime:
      return "time";
    case XmlKind::kDateTime:
      return "dateTime";
    case XmlKind::kSqlTime:
      return "SQLdateTime";
    case XmlKind::kString:
      return "string";
    case XmlKind::kWideString:
      return "string.uni";
    case XmlKind::kBytes:
    case XmlKind::kMemo:
      return "bin.hex";
    case XmlKind::kNested:
      return "nested";
    case XmlKind::kIntArray:
      return "IntArray";
    case XmlKind::kUIntArray:
      return "UIntArray";
    case XmlKind::kNone:
      break;
  }
  return nullptr;
}

uint32_t ColumnTypeOfXmlWord(std::string_view word, long width, bool hasSubtype,
                             uint32_t nestedColumns) {
  using namespace dsengine;
  const uint32_t units = width < 0 ? 0 : static_cast<uint32_t>(width > 0xFFFF ? 0xFFFF : width);
  if (word == "string") return FieldTypeWordOf(fldZSTRING, units + 1, 0);
  if (word == "string.uni") return FieldTypeWordOf(fldUNICODE, units + 2, 0);
  if (word == "bin.hex") {
    if (hasSubtype || width < 0) return FieldTypeWordOf(fldBLOB, 4, 0);
    return FieldTypeWordOf(fldVARBYTES, units + 2, 0);
  }
  if (word == "fixed" || word == "fixedFMT") {
    const uint32_t length = width > 0 && units <= 32 ? (units + 1) / 2 + 2 : 34;
    return MakeFieldTypeWord(word == "fixed" ? kPacketBcd : kPacketFmtBcd, length);
  }
  if (word == "nested") return FieldTypeWordOf(fldTABLE, 4, nestedColumns);
  if (word == "IntArray" || word == "UIntArray") return 0;  // parameters only
  for (const XmlWord& w : kXmlWords) {
    if (word == w.word) return w.fieldType;
  }
  return 0;
}

uint32_t ParamTypeOfXmlWord(std::string_view word) {
  if (word.empty()) return 0x00490002;
  for (const XmlWord& w : kXmlWords) {
    if (word == w.word) return w.fieldType;
  }
  return 0;
}

const KnownXmlParam* FindKnownXmlParam(std::string_view name) {
  for (const KnownXmlParam& p : kKnownParams) {
    if (platform::EqualsAsciiNoCase(name, p.name)) return &p;
  }
  return nullptr;
}

bool AppendXmlValueText(XmlKind kind, uint32_t fieldType, const uint8_t* value, uint32_t length,
                        bool utf8, std::string* out) {
  const uint32_t fixed = FixedSizeOf(kind, fieldType);
  if (length < fixed) return false;
  switch (kind) {
    case XmlKind::kInt:
      AppendFormat(out, "%lld", ReadSigned(value, fixed));
      return true;
    case XmlKind::kUInt:
      AppendFormat(out, "%lld", static_cast<long long>(ReadUnsigned(value, fixed)));
      return true;
    case XmlKind::kBool:
      *out += ReadUnsigned(value, fixed) != 0 ? "TRUE" : "FALSE";
      return true;
    case XmlKind::kFloat: {
      double v;
      std::memcpy(&v, value, 8);
      AppendFloat(v, out);
      return true;
    }
    case XmlKind::kBcd:
      return AppendBcd(value, length, out);
    case XmlKind::kDate:
      AppendDate(static_cast<int32_t>(ReadSigned(value, 4)), out);
      return true;
    case XmlKind::kTime:
      AppendTime(static_cast<uint32_t>(ReadUnsigned(value, 4)), out);
      return true;
    case XmlKind::kDateTime: {
      double ms;
      std::memcpy(&ms, value, 8);
      if (!std::isfinite(ms) || std::fabs(ms) > 1e16) ms = 0;
      const double day = std::floor(ms / kMsPerDay);
      const int64_t tod = static_cast<int64_t>(std::llround(ms - day * kMsPerDay));
      AppendDate(static_cast<int32_t>(day), out);
      if (tod != 0) {
        *out += 'T';
        AppendTime(static_cast<uint32_t>(tod), out);
      }
      return true;
    }
    case XmlKind::kSqlTime:
      return AppendSqlTime(value, out);
    case XmlKind::kString: {
      const char* text = reinterpret_cast<const char*>(value);
      const std::string_view s(text, strnlen(text, length));  // characters before the zero
      AppendEscaped(utf8 ? ToUtf8(s) : std::string(s), out);
      return true;
    }
    case XmlKind::kMemo: {
      const std::string_view s(reinterpret_cast<const char*>(value), length);
      AppendEscaped(utf8 ? ToUtf8(s) : std::string(s), out);
      return true;
    }
    case XmlKind::kWideString:
      AppendWide(value, length, utf8, out);
      return true;
    case XmlKind::kBytes:
      AppendBase64(value, length, out);
      return true;
    case XmlKind::kIntArray:
    case XmlKind::kUIntArray:
      return AppendArray(fieldType, value, length, out);
    case XmlKind::kNested:
    case XmlKind::kNone:
      break;
  }
  return false;
}

bool XmlValueFromText(XmlKind kind, uint32_t fieldType, const BcdShape& bcd, std::string_view raw,
                      const XmlTextDecoder& decoder, std::vector<uint8_t>* out) {
  out->clear();
  switch (kind) {
    case XmlKind::kString: {
      const std::string text = decoder.Text8(raw);
      if (text.empty()) {
        out->push_back(0);  // an empty string is one zero byte, as the engine writes it
      } else {
        out->assign(text.begin(), text.end());
      }
      return true;
    }
    case XmlKind::kMemo: {
      std::string text = decoder.Text8(raw);
      if (!text.empty() && text.back() == '\0') text.pop_back();
      out->assign(text.begin(), text.end());
      return true;
    }
    case XmlKind::kWideString: {
      const std::u16string text = decoder.Text16(raw);
      out->resize(text.size() * 2);
      if (!text.empty()) std::memcpy(out->data(), text.data(), out->size());
      return true;
    }
    case XmlKind::kBytes:
      *out = DecodeBase64(decoder.Text8(raw));
      if (!(fieldType & kFieldVarying)) out->resize(FieldWidth(fieldType), 0);
      return true;
    default:
      break;
  }
  const std::string text = decoder.Text8(raw);
  switch (kind) {
    case XmlKind::kInt:
    case XmlKind::kUInt: {
      uint64_t v;
      if (!ParseInteger(text, &v)) return false;
      PutLE(v, FieldWidth(fieldType), out);
      return true;
    }
    case XmlKind::kBool: {
      if (text.empty()) return false;
      const char c = text[0];
      if (c != 'T' && c != 't' && c != 'F' && c != 'f') return false;
      PutLE(c == 'T' || c == 't' ? 1 : 0, FieldWidth(fieldType), out);
      return true;
    }
    case XmlKind::kFloat: {
      char* end = nullptr;
      const double v = std::strtod(text.c_str(), &end);
      if (end == text.c_str()) return false;
      out->resize(8);
      std::memcpy(out->data(), &v, 8);
      return true;
    }
    case XmlKind::kBcd:
      return ParseBcd(text, fieldType, bcd, out);
    case XmlKind::kDate: {
      int32_t day;
      if (!ParseDate(text, &day)) return false;
      PutLE(static_cast<uint32_t>(day), 4, out);
      return true;
    }
    case XmlKind::kTime: {
      uint32_t ms;
      if (!ParseTime(text, &ms)) return false;
      PutLE(ms, 4, out);
      return true;
    }
    case XmlKind::kDateTime: {
      int32_t day;
      uint32_t ms = 0;
      if (!ParseDate(text, &day)) return false;
      if (text.size() > 8 && text[8] == 'T' && !ParseTime(std::string_view(text).substr(9), &ms)) {
        return false;
      }
      const double v = static_cast<double>(day) * kMsPerDay + ms;
      out->resize(8);
      std::memcpy(out->data(), &v, 8);
      return true;
    }
    case XmlKind::kSqlTime:
      return ParseSqlTime(text, out);
    case XmlKind::kIntArray:
    case XmlKind::kUIntArray:
      return ParseArray(text, fieldType, out);
    default:
      return false;
  }
}

}  // namespace dspacket
