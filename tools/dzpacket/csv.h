// Comma-separated values as RFC 4180 has them: a writer (CRLF between records; a field with a
// comma, quote, CR or LF is quoted and its quotes doubled) and a reader (quoted fields may hold
// commas, quotes and line breaks; records end with CR LF, LF or a lone CR). Used by the rows
// and import-csv commands. Stateless, thread-safe; works on bytes, so on UTF-8 and on 8-bit text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dzpacket {

// One field as written: quoted only when it must be.
std::string CsvField(std::string_view value);

// One record and its CR LF; a missing value (null) is written as an empty field.
std::string CsvRecord(const std::vector<std::optional<std::string>>& fields);

struct CsvRow {
  size_t line = 0;  // 1-based line of the text on which the record starts
  std::vector<std::string> fields;
};

// Reads every record of `text`. A line break after the last record ends it (no empty record
// follows). False, with `error` as "line N: ...", for a quote inside an unquoted field, text
// after a closing quote, or a quoted field left open at the end of the text.
bool ParseCsv(std::string_view text, std::vector<CsvRow>* rows, std::string* error);

}  // namespace dzpacket
