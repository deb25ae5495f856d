// The Windows-1252 code page as tables: byte -> UTF-16 and back, and the portable
// conversions built on them. Used by the portable code page and collation services, and by
// the differential tests that hold them against the platform's own. Stateless, thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The UTF-16 code unit of a byte. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows maps them.
char16_t Cp1252ToUnicode(uint8_t byte);

// The byte for a UTF-16 code unit, or -1 when Windows-1252 has no such character.
int UnicodeToCp1252(char16_t unit);

namespace portable {

std::u16string AnsiToWide(const std::string& ansi);
// Characters outside Windows-1252 become '?' (one per UTF-16 unit, so two for a surrogate pair, as
// Windows does); `lossless` (when given) tells whether none did. No best-fit replacements.
std::string WideToAnsi(const std::u16string& wide, bool* lossless = nullptr);

}  // namespace portable
}  // namespace platform
