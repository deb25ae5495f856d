// RFC 4180 writer and reader.
#include "tools/dzpacket/csv.h"

namespace dzpacket {

std::string CsvField(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string CsvRecord(const std::vector<std::optional<std::string>>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    if (fields[i]) out += CsvField(*fields[i]);
  }
  out += "\r\n";
  return out;
}

namespace {

// The reader's position: the byte and the line it is on.
class CsvScanner {
 public:
  explicit CsvScanner(std::string_view text) : text_(text) {}

  bool Run(std::vector<CsvRow>* rows, std::string* error) {
    while (pos_ < text_.size()) {
      CsvRow row;
      row.line = line_;
      if (!ReadRecord(&row.fields, error)) return false;
      rows->push_back(std::move(row));
    }
    return true;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return text_[pos_]; }

  // Consumes a line break at the position (CR LF, LF or CR); false when there is none.
  bool LineBreak() {
    if (AtEnd()) return false;
    if (Peek() == '\r') {
      ++pos_;
      if (!AtEnd() && Peek() == '\n') ++pos_;
    } else if (Peek() == '\n') {
      ++pos_;
    } else {
      return false;
    }
    ++line_;
    return true;
  }

  bool Fail(size_t line, const std::string& what, std::string* error) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
  }

  bool ReadRecord(std::vector<std::string>* fields, std::string* error) {
    for (;;) {
      std::string field;
      if (!ReadField(&field, error)) return false;
      fields->push_back(std::move(field));
      if (AtEnd() || LineBreak()) return true;
      if (Peek() != ',') return Fail(line_, "text after a closing quote", error);
      ++pos_;
    }
  }

  bool ReadField(std::string* field, std::string* error) {
    if (AtEnd() || Peek() != '"') {
      while (!AtEnd() && Peek() != ',' && Peek() != '\r' && Peek() != '\n') {
        if (Peek() == '"') return Fail(line_, "a quote inside an unquoted field", error);
        *field += text_[pos_++];
      }
      return true;
    }
    const size_t startLine = line_;
    ++pos_;
    for (;;) {
      if (AtEnd()) return Fail(startLine, "a quoted field is never closed", error);
      const char c = text_[pos_];
      if (c == '"') {
        ++pos_;
        if (AtEnd() || Peek() != '"') return true;
        *field += '"';
        ++pos_;
      } else if (c == '\r' || c == '\n') {
        const size_t from = pos_;
        LineBreak();
        field->append(text_.substr(from, pos_ - from));
      } else {
        *field += c;
        ++pos_;
      }
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  size_t line_ = 1;
};

}  // namespace

bool ParseCsv(std::string_view text, std::vector<CsvRow>* rows, std::string* error) {
  rows->clear();
  return CsvScanner(text).Run(rows, error);
}

}  // namespace dzpacket
