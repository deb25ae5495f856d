// Text pieces of the XML data packet: escaping of attribute texts, the reading of escaped texts
// (into 8-bit or 16-bit characters), column names as XML names, and base64. Used by the XML
// packet writer and reader. Stateless; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dspacket {

// Appends `text` to `out` with < > & ' " CR LF TAB and backslash written as references
// ("&lt;", "&#013;", "&#092;" ...); every other byte as it is.
void AppendEscaped(std::string_view text, std::string* out);

// How the texts of a document are read: the document's bytes are UTF-8 or 8-bit (the program's
// code page). Reading undoes the references by the letters after "&": "&#" with decimal digits
// or "x" and hexadecimal digits up to ";" gives that character; "&ap" an apostrophe (skips 6
// characters), "&a" otherwise an ampersand (5), "&g" ">" (4), "&l" "<" (4), "&q" a quotation
// mark (6); any other "&" stays. A reference that would run past the text stays as it is.
class XmlTextDecoder {
 public:
  explicit XmlTextDecoder(bool utf8) : utf8_(utf8) {}
  bool utf8() const { return utf8_; }
  // As 8-bit text: a numeric reference below 256 gives that byte; other characters go
  // through the code page ('?' where it has none).
  std::string Text8(std::string_view raw) const;
  // As UTF-16 text: a numeric reference gives its character.
  std::u16string Text16(std::string_view raw) const;

 private:
  bool utf8_;
};

// The XML name of a column: blank ( ) # * ! $ % ? replaced by "_"; so are the characters an
// attribute name can not hold (= < > / " ' & and bytes below 33) and the backslash, which the
// writer would otherwise escape inside the name, so that every column name gives a name the
// reader can find again.
std::string XmlNameOf(std::string_view columnName);

// Base64 with the RFC 4648 alphabet, "=" padding, no line breaks.
void AppendBase64(const uint8_t* data, size_t length, std::string* out);
// Decodes base64, skipping every character outside the alphabet (padding included).
std::vector<uint8_t> DecodeBase64(std::string_view text);

}  // namespace dspacket
