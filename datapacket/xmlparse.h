// A small, hand-written, bounds-checked XML parser for data packets: elements, attributes and
// raw content ranges, with processing instructions and comments skipped. No namespaces, DTDs
// or CDATA; texts stay escaped (xmltext.h reads them). Used by the XML packet reader.
// The document's bytes must outlive the parsed tree, which points into them. Never throws
// except std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "datapacket/packetfault.h"
#include "tableengine/dsstatus.h"

namespace dspacket {

// Limits on hostile input.
// Deepest element nesting: a packet of 63 levels needs about 2 elements per level in its
// metadata and in its rows, plus the document's own four; deeper input is no data packet.
constexpr size_t kMaxXmlElementDepth = 160;
// Attributes of one element: a ROW holds one per column (at most 65535) and its RowState;
// more can only come from hostile input.
constexpr size_t kMaxXmlAttributes = 65536 + 16;

struct XmlAttribute {
  std::string_view name;
  std::string_view value;  // raw, still escaped
};

struct XmlElement {
  std::string_view name;
  uint32_t firstAttribute = 0;  // index into XmlDocument::attributes
  uint32_t attributeCount = 0;
  std::vector<uint32_t> children;  // indexes into XmlDocument::elements
  std::string_view content;        // raw bytes between the start and the end tag
};

class XmlDocument {
 public:
  // Parses `text` (starting at its first "<"), which lies at offset `origin` of the packet.
  // DBERR_DATAPACKETMISMATCH when it is not well-formed as far as this parser goes: a tag or
  // attribute that does not end, an end tag that does not match its element, an element left open,
  // a nesting or attribute count beyond the limits; the reason goes to `fault`.
  dsengine::DBResult Parse(std::string_view text, size_t origin, PacketFault* fault);
  // The offset in the packet of `p`, a position in the parsed text (for reasons).
  Ull OffsetOf(const char* p) const { return origin_ + static_cast<size_t>(p - text_.data()); }

  const XmlElement& element(uint32_t i) const { return elements_[i]; }
  const std::vector<uint32_t>& roots() const { return roots_; }
  size_t elementCount() const { return elements_.size(); }
  // The raw value of the attribute `name` of element `e`, or nullptr.
  const std::string_view* Attribute(uint32_t e, std::string_view name) const;
  const XmlAttribute& attribute(uint32_t i) const { return attributes_[i]; }

 private:
  std::string_view text_;
  size_t origin_ = 0;             // offset of text_ in the packet
  PacketFault* fault_ = nullptr;  // where Parse records a refusal
  std::vector<XmlElement> elements_;
  std::vector<XmlAttribute> attributes_;
  std::vector<uint32_t> roots_;
};

}  // namespace dspacket
