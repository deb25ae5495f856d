// The framework's text-to-integer conversion (StrToInt, TryStrToInt), used by the program to read
// its settings and by the dataset's integer fields. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Reads a 32-bit integer: leading blanks, then an optional "+" or "-", then decimal digits, or
// "$" / "0x" / "0X" followed by hexadecimal digits. Nothing may follow the digits. A decimal value
// outside -2147483648 .. 2147483647 is refused; hexadecimal digits give the 32-bit pattern (at
// most FFFFFFFF, so "$FFFFFFFF" is -1), negated after a "-". Returns false for anything else.
bool TryStrToInt(std::string_view text, int32_t& value);

}  // namespace platform

// Like TryStrToInt; raises EConvertError "'%s' is not a valid integer value" with the text.
int32_t StrToInt(std::string_view text);
// The decimal text of a value.
std::string IntToStr(int64_t value);
