// The system code page off Windows: always Windows-1252, the code page the program's 8-bit
// texts assume.
#include "platform/codepage.h"
#include "platform/cp1252.h"

namespace platform {

std::u16string AnsiToWide(const std::string& ansi) { return portable::AnsiToWide(ansi); }

std::string WideToAnsi(const std::u16string& wide, bool* lossless) {
  return portable::WideToAnsi(wide, lossless);
}

}  // namespace platform
