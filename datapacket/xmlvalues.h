// Values of the XML data packet: the XML type words of field type words and back, the known
// parameter names with their XML types, and the value texts of every XML type (the XML-only
// converters FLDCBool, FLDCDATE, FLDCTIME, FLDCTIMESTAMP, FLDBinary, FLDUnicode, FLDNested are
// the cases of XmlValueText / XmlValueFromText). Used by the XML packet writer and reader.
// Stateless; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datapacket/xmltext.h"

namespace dspacket {

// How a column's or parameter's value is written as text.
enum class XmlKind {
  kNone,        // no XML form (structures, arrays, references, 8-byte unsigned, 10-byte float)
  kInt,         // "i1" .. "i8"
  kUInt,        // "ui1" .. "ui4"
  kBool,        // "boolean"
  kFloat,       // "r8"
  kBcd,         // "fixed", "fixedFMT"
  kDate,        // "date"
  kTime,        // "time"
  kDateTime,    // "dateTime"
  kSqlTime,     // "SQLdateTime"
  kString,      // "string"
  kWideString,  // "string.uni"
  kBytes,       // "bin.hex" (base64)
  kMemo,        // BLOB with SUBTYPE "Text": written and read as 8-bit text
  kNested,      // "nested"
  kIntArray,    // "IntArray"
  kUIntArray,   // "UIntArray"
};

// The kind of a field type word (memo: the column's SUBTYPE is exactly "Text").
XmlKind XmlKindOf(uint32_t fieldType, bool memo = false);
// The XML type word ("i4", "string", ...) of a field type word, or nullptr when it has none.
const char* XmlTypeWordOf(uint32_t fieldType);

// The field type word a column's "fieldtype" stands for. `width` is its "WIDTH" attribute
// (-1 when absent), `hasSubtype` whether it has a "SUBTYPE". 0 for an unknown word.
// "bin.hex" with a SUBTYPE is a BLOB; without one but with a WIDTH, varying bytes; else a BLOB.
// `nestedColumns` is the number of columns of a "nested" column.
uint32_t ColumnTypeOfXmlWord(std::string_view word, long width, bool hasSubtype,
                             uint32_t nestedColumns);
// The field type word of a parameter of XML type `word` ("string" when empty). 0 if unknown.
uint32_t ParamTypeOfXmlWord(std::string_view word);

// A known parameter name (compared without regard to case): its XML type word and the field
// type word its value is read into. Null when the name is not known.
struct KnownXmlParam {
  const char* name;
  const char* xmlType;  // "string" for names without a type of their own
  uint32_t fieldType;
};
const KnownXmlParam* FindKnownXmlParam(std::string_view name);

// Appends the text of one value in its engine form (`length` bytes; a parameter's varying
// value without its prefix, an array as its 32-bit count and elements) to `out`, escaped for an
// attribute. `utf8`: texts in UTF-8. False when the value can not be written (bad length).
bool AppendXmlValueText(XmlKind kind, uint32_t fieldType, const uint8_t* value, uint32_t length,
                        bool utf8, std::string* out);

// Packed decimal digits and places of a column, for reading "fixed" texts.
struct BcdShape {
  uint32_t precision = 32;
  uint32_t places = 0;
};

// Reads the (still escaped) text `raw` of a value into its engine form in `out` (for a
// varying value without prefix). False when the text gives no value (null).
bool XmlValueFromText(XmlKind kind, uint32_t fieldType, const BcdShape& bcd, std::string_view raw,
                      const XmlTextDecoder& decoder, std::vector<uint8_t>* out);

}  // namespace dspacket
