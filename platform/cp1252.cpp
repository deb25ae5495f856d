// Windows-1252 <-> UTF-16 tables and the portable conversions over them.
#include "platform/cp1252.h"

namespace platform {

// 0x00-0x7F and 0xA0-0xFF are the code points of the same value; only 0x80-0x9F differ.
static constexpr char16_t kHighBlock[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char16_t Cp1252ToUnicode(uint8_t byte) {
  return (byte >= 0x80 && byte < 0xA0) ? kHighBlock[byte - 0x80] : static_cast<char16_t>(byte);
}

int UnicodeToCp1252(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
  for (int i = 0; i < 32; ++i) {
    if (kHighBlock[i] == unit) return 0x80 + i;
  }
  return -1;
}

namespace portable {

std::u16string AnsiToWide(const std::string& ansi) {
  std::u16string wide(ansi.size(), u'\0');
  for (size_t i = 0; i < ansi.size(); ++i) {
    wide[i] = Cp1252ToUnicode(static_cast<uint8_t>(ansi[i]));
  }
  return wide;
}

std::string WideToAnsi(const std::u16string& wide, bool* lossless) {
  std::string ansi(wide.size(), '\0');
  bool all = true;
  for (size_t i = 0; i < wide.size(); ++i) {
    int b = UnicodeToCp1252(wide[i]);
    if (b < 0) {
      all = false;
      b = '?';
    }
    ansi[i] = static_cast<char>(b);
  }
  if (lossless) *lossless = all;
  return ansi;
}

}  // namespace portable
}  // namespace platform
