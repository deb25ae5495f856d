// The XML parser of the packet reader. It walks the text once, keeping an explicit stack of
// open elements (no recursion), and checks every position against the text's end.
#include "datapacket/xmlparse.h"

namespace dspacket {

using namespace dsengine;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool EndsName(char c) { return IsBlank(c) || c == '/' || c == '>' || c == '='; }

}  // namespace

// Names in reasons go as "%.*s" with these two arguments.
#define NAME(view) static_cast<int>((view).size()), (view).data()

DBResult XmlDocument::Parse(std::string_view t, size_t origin, PacketFault* fault) {
  // Only a refusal reads these: it places itself by offset in the packet.
  text_ = t;
  origin_ = origin;
  fault_ = fault;
  elements_.clear();
  attributes_.clear();
  roots_.clear();
  std::vector<uint32_t> open;
  const size_t n = t.size();
  size_t pos = 0;
  while (pos < n) {
    if (t[pos] != '<') {
      const size_t next = t.find('<', pos);
      pos = next == std::string_view::npos ? n : next;
      continue;
    }
    if (pos + 1 < n && t[pos + 1] == '?') {  // processing instruction
      const size_t end = t.find("?>", pos + 2);
      if (end == std::string_view::npos) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "processing instruction at offset %llu has no end \"?>\"",
                             Ull(origin_ + pos));
      }
      pos = end + 2;
      continue;
    }
    if (pos + 1 < n && t[pos + 1] == '!') {  // comment (and anything else up to "-->")
      const size_t end = t.find("-->", pos + 2);
      if (end == std::string_view::npos) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "comment at offset %llu has no end \"-->\"", Ull(origin_ + pos));
      }
      pos = end + 3;
      continue;
    }
    if (pos + 1 < n && t[pos + 1] == '/') {  // end tag
      const size_t end = t.find('>', pos + 2);
      if (end == std::string_view::npos) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH, "end tag at offset %llu has no '>'",
                             Ull(origin_ + pos));
      }
      std::string_view name = t.substr(pos + 2, end - pos - 2);
      while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
      if (open.empty()) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "end tag </%.*s> at offset %llu closes no element", NAME(name),
                             Ull(origin_ + pos));
      }
      XmlElement& e = elements_[open.back()];
      if (name != e.name) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "end tag </%.*s> at offset %llu does not close <%.*s> at offset %llu",
                             NAME(name), Ull(origin_ + pos), NAME(e.name),
                             OffsetOf(e.name.data() - 1));
      }
      const size_t contentStart = static_cast<size_t>(e.content.data() - t.data());
      e.content = t.substr(contentStart, pos - contentStart);
      open.pop_back();
      pos = end + 1;
      continue;
    }
    // Start tag.
    size_t p = pos + 1;
    const size_t nameStart = p;
    while (p < n && !EndsName(t[p])) ++p;
    if (p == nameStart) {
      return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH, "tag at offset %llu has no name",
                           Ull(origin_ + pos));
    }
    XmlElement e;
    e.name = t.substr(nameStart, p - nameStart);
    e.firstAttribute = static_cast<uint32_t>(attributes_.size());
    bool empty = false;
    for (;;) {
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "tag <%.*s> at offset %llu runs to the end of the text", NAME(e.name),
                             OffsetOf(e.name.data() - 1));
      }
      if (t[p] == '>') {
        ++p;
        break;
      }
      if (t[p] == '/') {
        if (p + 1 >= n || t[p + 1] != '>') {
          return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                               "'/' at offset %llu in tag <%.*s> is not followed by '>'",
                               Ull(origin_ + p), NAME(e.name));
        }
        p += 2;
        empty = true;
        break;
      }
      const size_t attrStart = p;
      while (p < n && !EndsName(t[p])) ++p;
      if (p == attrStart) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "'%c' at offset %llu in tag <%.*s> where an attribute name should be",
                             t[p], Ull(origin_ + p), NAME(e.name));
      }
      const std::string_view attrName = t.substr(attrStart, p - attrStart);
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n || t[p] != '=') {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "attribute %.*s of <%.*s> at offset %llu has no '='", NAME(attrName),
                             NAME(e.name), OffsetOf(attrName.data()));
      }
      ++p;
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n || (t[p] != '"' && t[p] != '\'')) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "value of attribute %.*s of <%.*s> at offset %llu is not quoted",
                             NAME(attrName), NAME(e.name), OffsetOf(attrName.data()));
      }
      const char quote = t[p++];
      const size_t valueEnd = t.find(quote, p);
      if (valueEnd == std::string_view::npos) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "value of attribute %.*s of <%.*s> at offset %llu has no closing "
                             "quote",
                             NAME(attrName), NAME(e.name), OffsetOf(attrName.data()));
      }
      if (e.attributeCount >= kMaxXmlAttributes) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "tag <%.*s> at offset %llu has more than %llu attributes",
                             NAME(e.name), OffsetOf(e.name.data() - 1), Ull(kMaxXmlAttributes));
      }
      attributes_.push_back(XmlAttribute{attrName, t.substr(p, valueEnd - p)});
      ++e.attributeCount;
      p = valueEnd + 1;
    }
    const uint32_t index = static_cast<uint32_t>(elements_.size());
    e.content = t.substr(p, 0);
    elements_.push_back(std::move(e));
    if (open.empty()) {
      roots_.push_back(index);
    } else {
      elements_[open.back()].children.push_back(index);
    }
    if (!empty) {
      if (open.size() >= kMaxXmlElementDepth) {
        return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH,
                             "<%.*s> at offset %llu is nested deeper than %llu elements",
                             NAME(elements_[index].name),
                             OffsetOf(elements_[index].name.data() - 1), Ull(kMaxXmlElementDepth));
      }
      open.push_back(index);
    }
    pos = p;
  }
  if (!open.empty()) {
    const XmlElement& e = elements_[open.back()];
    return PACKET_REFUSE(fault_, DBERR_DATAPACKETMISMATCH, "<%.*s> at offset %llu is never closed",
                         NAME(e.name), OffsetOf(e.name.data() - 1));
  }
  return DBERR_NONE;
}

#undef NAME

const std::string_view* XmlDocument::Attribute(uint32_t e, std::string_view name) const {
  const XmlElement& element = elements_[e];
  for (uint32_t i = 0; i < element.attributeCount; ++i) {
    const XmlAttribute& a = attributes_[element.firstAttribute + i];
    if (a.name == name) return &a.value;
  }
  return nullptr;
}

}  // namespace dspacket
