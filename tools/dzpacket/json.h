// JSON output of the packet tool: string escaping and a writer of an array of flat objects, one
// object per line. Used by the rows command. Stateless helpers; a writer belongs to one output.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace dzpacket {

// `utf8` as a JSON string literal with its quotes: quote and backslash escaped, control
// characters as \b \f \n \r \t or \u00XX. REQUIRES: well-formed UTF-8.
std::string JsonString(std::string_view utf8);

// Writes "[", then objects separated by ",\n", then "]\n". Values are written ready-made
// (JsonString, a number, true, false, null).
class JsonArrayWriter {
 public:
  explicit JsonArrayWriter(std::ostream& out) : out_(out) {}

  void BeginObject();
  // REQUIRES: between BeginObject and EndObject. `json` is a complete JSON value.
  void Member(std::string_view key, std::string_view json);
  void EndObject();
  // Closes the array (an empty one when no object was written).
  void Finish();

 private:
  std::ostream& out_;
  bool anyObject_ = false;
  bool anyMember_ = false;
};

}  // namespace dzpacket
