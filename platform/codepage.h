// Conversions between the program's 8-bit code page (Windows-1252), UTF-16 and UTF-8, as
// MultiByteToWideChar / WideCharToMultiByte with the system code page. Thread-safe.
#pragma once

#include <string>

namespace platform {

std::u16string AnsiToWide(const std::string& ansi);
// Characters the code page lacks become '?'; `lossless` (when given) tells whether none did.
std::string WideToAnsi(const std::u16string& wide, bool* lossless = nullptr);

// UTF-8 <-> UTF-16. Utf8ToWide returns false for ill-formed UTF-8.
bool Utf8ToWide(const std::string& utf8, std::u16string& wide);
std::string WideToUtf8(const std::u16string& wide);

}  // namespace platform
