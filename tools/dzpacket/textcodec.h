// Text between the tool's outside world (UTF-8 files and output) and the table (8-bit code page
// 1252, as the program stores it). Used by every dzpacket command. Stateless, thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dzpacket {

// Every byte of a code page 1252 text as UTF-8 (the five undefined bytes become the C1
// controls of the same value, as the platform maps them).
std::string Cp1252ToUtf8(std::string_view text);

// True when every byte sequence of `text` is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// Why Utf8ToCp1252 refused a text.
struct TextRefusal {
  size_t offset = 0;       // byte offset in the UTF-8 text of the refused sequence
  uint32_t codePoint = 0;  // the character (0 for malformed UTF-8)
  bool malformed = false;  // not a well-formed UTF-8 sequence
};

// Converts UTF-8 to code page 1252. False, with `refusal` filled, at the first malformed
// sequence, the first character the code page lacks, or a NUL (which a table string cannot
// hold). `out` then holds the text converted so far.
bool Utf8ToCp1252(std::string_view utf8, std::string* out, TextRefusal* refusal);

// A one-line description of a refusal: "U+4E2D has no code page 1252 form", ...
std::string DescribeRefusal(const TextRefusal& refusal);

// 1-based line of byte `offset` in `text` (lines end with LF, CR LF or a lone CR).
size_t LineOfOffset(std::string_view text, size_t offset);

// A text argument of the command line (a filter, field names) in code page 1252. The narrow
// command line is UTF-8 natively and already the 8-bit code page on Windows. False when it
// holds a character the code page lacks (`refusal` filled).
bool ArgumentToCp1252(const std::string& argument, std::string* out, TextRefusal* refusal);

}  // namespace dzpacket
