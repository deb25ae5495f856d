// JSON escaping and the array-of-objects writer.
#include "tools/dzpacket/json.h"

#include <cstdio>

namespace dzpacket {

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (uint8_t(c) < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04X", unsigned(uint8_t(c)));
          out += esc;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

void JsonArrayWriter::BeginObject() {
  out_ << (anyObject_ ? ",\n  {" : "[\n  {");
  anyObject_ = true;
  anyMember_ = false;
}

void JsonArrayWriter::Member(std::string_view key, std::string_view json) {
  out_ << (anyMember_ ? ", " : "") << JsonString(key) << ": " << json;
  anyMember_ = true;
}

void JsonArrayWriter::EndObject() { out_ << '}'; }

void JsonArrayWriter::Finish() { out_ << (anyObject_ ? "\n]\n" : "[]\n"); }

}  // namespace dzpacket
