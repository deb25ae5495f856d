// Conversions between the program's 8-bit code page (Windows-1252), UTF-16 and UTF-8, as
// MultiByteToWideChar / WideCharToMultiByte with the system code page. Thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

std::u16string AnsiToWide(const std::string& ansi);
// Characters the code page lacks become '?'; `lossless` (when given) tells whether none did.
std::string WideToAnsi(const std::u16string& wide, bool* lossless = nullptr);

// UTF-8 <-> UTF-16. Utf8ToWide returns false for ill-formed UTF-8.
bool Utf8ToWide(const std::string& utf8, std::u16string& wide);
std::string WideToUtf8(const std::u16string& wide);

// One UTF-8 sequence at `at` of `text` into *codePoint. Returns its length (1 to 4), or 0 when
// it is ill-formed: a stray continuation byte, a truncated sequence, an overlong form, an
// encoded surrogate or a value past U+10FFFF. REQUIRES: at < text.size().
size_t DecodeUtf8(std::string_view text, size_t at, uint32_t* codePoint);
// Appends the UTF-8 form of `codePoint` (REQUIRES: a Unicode scalar value).
void AppendUtf8(std::string& out, uint32_t codePoint);

}  // namespace platform
