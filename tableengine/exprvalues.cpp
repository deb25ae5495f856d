// Value conversions for filter constants and filter functions.
#include "tableengine/exprvalues.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/asciitext.h"

namespace db {

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads an unsigned decimal number of at most `maxDigits` digits at s[i].
bool ReadNumber(std::string_view s, size_t& i, int maxDigits, int& value) {
  size_t start = i;
  value = 0;
  while (i < s.size() && IsDigit(s[i]) && static_cast<int>(i - start) < maxDigits) {
    value = value * 10 + (s[i] - '0');
    ++i;
  }
  return i > start;
}

bool ParseDate(std::string_view s, size_t& i, int32_t& dayNumber) {
  int a, b, c;
  size_t firstStart = i;
  if (!ReadNumber(s, i, 4, a)) return false;
  bool yearFirst = i - firstStart > 2;
  if (i >= s.size() || (s[i] != '/' && s[i] != '-' && s[i] != '.')) return false;
  char sep = s[i++];
  if (!ReadNumber(s, i, 2, b)) return false;
  if (i >= s.size() || s[i] != sep) return false;
  ++i;
  size_t yearStart = i;
  if (!ReadNumber(s, i, 4, c)) return false;
  int year, month, day;
  if (yearFirst) {
    year = a, month = b, day = c;
  } else {
    month = a, day = b, year = c;
    if (i - yearStart <= 2) year += year < 50 ? 2000 : 1900;  // two-digit year window
  }
  return EncodeDayNumber(year, month, day, dayNumber);
}

bool ParseTime(std::string_view s, size_t& i, int32_t& ms) {
  int h, m, sec = 0, frac = 0;
  if (!ReadNumber(s, i, 2, h)) return false;
  if (i >= s.size() || s[i] != ':') return false;
  ++i;
  if (!ReadNumber(s, i, 2, m)) return false;
  if (i < s.size() && s[i] == ':') {
    ++i;
    if (!ReadNumber(s, i, 2, sec)) return false;
    if (i < s.size() && s[i] == '.') {
      ++i;
      size_t start = i;
      if (!ReadNumber(s, i, 3, frac)) return false;
      for (size_t k = i - start; k < 3; ++k) frac *= 10;
    }
  }
  size_t j = i;
  while (j < s.size() && s[j] == ' ') ++j;
  if (j < s.size()) {
    bool pm = platform::EqualsAsciiNoCase(s.substr(j), "PM");
    if (!pm && !platform::EqualsAsciiNoCase(s.substr(j), "AM")) return false;
    if (h < 1 || h > 12) return false;
    h = h % 12 + (pm ? 12 : 0);
    i = s.size();
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  ms = ((h * 60 + m) * 60 + sec) * 1000 + frac;
  return true;
}

}  // namespace

bool EncodeDayNumber(int year, int month, int day, int32_t& dayNumber) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;
  int y = year - 1;
  int32_t n = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) n += DaysInMonth(year, m);
  dayNumber = n + day;
  return true;
}

void DecodeDayNumber(int32_t dayNumber, int& year, int& month, int& day) {
  if (dayNumber < 1) dayNumber = 1;
  if (dayNumber > 3652059) dayNumber = 3652059;  // 31 December 9999
  int32_t n = dayNumber - 1;
  int y400 = n / 146097;
  n %= 146097;
  int y100 = n / 36524;
  if (y100 == 4) y100 = 3;
  n -= y100 * 36524;
  int y4 = n / 1461;
  n %= 1461;
  int y1 = n / 365;
  if (y1 == 4) y1 = 3;
  n -= y1 * 365;
  year = y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1;
  month = 1;
  while (n >= DaysInMonth(year, month)) n -= DaysInMonth(year, month++);
  day = n + 1;
}

bool TextToInteger(std::string_view text, int64_t& value) {
  std::string_view s = Trim(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty() || s.front() == '+') return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), value);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && value >= INT32_MIN &&
         value <= INT32_MAX;
}

bool TextToFloat(std::string_view text, char decimalSeparator, double& value) {
  std::string_view s = Trim(text);
  // Validate the form first: [sign] digits [sep digits] [e [sign] digits].
  std::string plain;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) plain += s[i++], ++digits;
  if (i < s.size() && s[i] == decimalSeparator) {
    plain += '.';
    ++i;
    while (i < s.size() && IsDigit(s[i])) plain += s[i++], ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) plain += s[i++], ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  const char* begin = plain.data();
  if (*begin == '+') ++begin;
  auto r = std::from_chars(begin, plain.data() + plain.size(), value);
  return r.ec == std::errc() && std::isfinite(value);
}

bool TextToBoolean(std::string_view text, char decimalSeparator, bool& value) {
  std::string_view s = Trim(text);
  if (platform::EqualsAsciiNoCase(s, "TRUE")) return value = true, true;
  if (platform::EqualsAsciiNoCase(s, "FALSE")) return value = false, true;
  double d;
  if (!TextToFloat(s, decimalSeparator, d)) return false;
  value = d != 0;
  return true;
}

bool TextToDate(std::string_view text, int32_t& dayNumber) {
  std::string_view s = Trim(text);
  size_t i = 0;
  return ParseDate(s, i, dayNumber) && i == s.size();
}

bool TextToTime(std::string_view text, int32_t& msOfDay) {
  std::string_view s = Trim(text);
  size_t i = 0;
  return ParseTime(s, i, msOfDay) && i == s.size();
}

bool TextToDateTime(std::string_view text, double& msSinceOrigin) {
  std::string_view s = Trim(text);
  size_t i = 0;
  int32_t day = 0, ms = 0;
  if (!ParseDate(s, i, day)) return false;
  if (i < s.size()) {
    if (s[i] != ' ') return false;
    while (i < s.size() && s[i] == ' ') ++i;
    if (!ParseTime(s, i, ms) || i != s.size()) return false;
  }
  msSinceOrigin = static_cast<double>(day) * kMsPerDay + ms;
  return true;
}

bool TextToBcd(std::string_view text, char decimalSeparator, int precision, uint8_t out[kBcdSize]) {
  std::string_view s = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::string intDigits, fracDigits;
  while (i < s.size() && IsDigit(s[i])) intDigits += s[i++];
  if (i < s.size() && s[i] == decimalSeparator) {
    ++i;
    while (i < s.size() && IsDigit(s[i])) fracDigits += s[i++];
  }
  if (i != s.size() || intDigits.size() + fracDigits.size() == 0) return false;
  size_t lead = intDigits.find_first_not_of('0');
  intDigits = lead == std::string::npos ? std::string() : intDigits.substr(lead);
  while (!fracDigits.empty() && fracDigits.back() == '0') fracDigits.pop_back();
  int needed = static_cast<int>(intDigits.size() + fracDigits.size());
  if (needed > kBcdMaxDigits) return false;
  if (precision == 0) precision = needed > 0 ? needed : 1;
  if (needed > precision) return false;
  std::string digits(precision - needed, '0');
  digits += intDigits + fracDigits;
  std::memset(out, 0, kBcdSize);
  out[0] = static_cast<uint8_t>(precision);
  out[1] = static_cast<uint8_t>((negative && needed > 0 ? 0x80 : 0) | fracDigits.size());
  for (size_t k = 0; k < digits.size(); ++k) {
    uint8_t nibble = static_cast<uint8_t>(digits[k] - '0');
    out[2 + k / 2] |= k % 2 == 0 ? nibble << 4 : nibble;
  }
  return true;
}

double BcdToDouble(const uint8_t* bcd, size_t size) {
  if (size < 2) return 0;
  size_t precision = bcd[0];
  int places = bcd[1] & 0x3F;
  size_t maxDigits = (size - 2) * 2;
  if (precision > maxDigits) precision = maxDigits;
  double v = 0;
  for (size_t k = 0; k < precision; ++k) {
    uint8_t b = bcd[2 + k / 2];
    int nibble = k % 2 == 0 ? b >> 4 : b & 0x0F;
    v = v * 10 + (nibble > 9 ? 9 : nibble);
  }
  v /= std::pow(10.0, places);
  return (bcd[1] & 0x80) ? -v : v;
}

namespace {
void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
}  // namespace

void MsToTimeStamp(double msSinceOrigin, uint8_t out[kTimeStampSize]) {
  std::memset(out, 0, kTimeStampSize);
  if (!(msSinceOrigin >= kMsPerDay) || msSinceOrigin > 3652060.0 * kMsPerDay) return;
  int64_t total = static_cast<int64_t>(msSinceOrigin);
  int year, month, day;
  DecodeDayNumber(static_cast<int32_t>(total / kMsPerDay), year, month, day);
  int64_t ms = total % kMsPerDay;
  PutU16(out, static_cast<uint16_t>(year));
  PutU16(out + 2, static_cast<uint16_t>(month));
  PutU16(out + 4, static_cast<uint16_t>(day));
  PutU16(out + 6, static_cast<uint16_t>(ms / 3600000));
  PutU16(out + 8, static_cast<uint16_t>(ms / 60000 % 60));
  PutU16(out + 10, static_cast<uint16_t>(ms / 1000 % 60));
  uint32_t frac = static_cast<uint32_t>(ms % 1000);
  out[12] = static_cast<uint8_t>(frac);
  out[13] = static_cast<uint8_t>(frac >> 8);
}

double TimeStampToMs(const uint8_t in[kTimeStampSize]) {
  int32_t day = 0;
  int year = static_cast<int16_t>(GetU16(in));
  if (!EncodeDayNumber(year, GetU16(in + 2), GetU16(in + 4), day)) return 0;
  uint32_t frac = in[12] | in[13] << 8 | static_cast<uint32_t>(in[14]) << 16 |
                  static_cast<uint32_t>(in[15]) << 24;
  double ms =
      ((GetU16(in + 6) * 60.0 + GetU16(in + 8)) * 60.0 + GetU16(in + 10)) * 1000.0 + (frac % 1000);
  return static_cast<double>(day) * kMsPerDay + ms;
}

std::string FormatMessage1(std::string_view format, std::string_view arg) {
  std::string out(format);
  size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, arg);
  return out;
}

}  // namespace db
