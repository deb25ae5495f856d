// The XML parser of the packet reader. It walks the text once, keeping an explicit stack of
// open elements (no recursion), and checks every position against the text's end.
#include "datapacket/xmlparse.h"

namespace dspacket {

using namespace dsengine;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool EndsName(char c) { return IsBlank(c) || c == '/' || c == '>' || c == '='; }

}  // namespace

std::string XmlDocument::Place(const char* p) const {
  const size_t pos = static_cast<size_t>(p - text_.data());
  const Ull offset = origin_ + pos;
  size_t lines = 1;
  for (size_t i = 0; i < pos && i < text_.size(); ++i) lines += text_[i] == '\n';
  if (lines == 1) return ReasonText("offset %llu", offset);
  return ReasonText("line %llu (offset %llu)", Ull(lines), offset);
}

DBResult XmlDocument::Parse(std::string_view t, size_t origin, PacketFault* fault) {
  text_ = t;
  origin_ = origin;
  elements_.clear();
  attributes_.clear();
  roots_.clear();
  std::vector<uint32_t> open;
  const size_t n = t.size();
  // The place of position `at` and the name of the element `e`, in reasons.
  const auto at = [&](size_t pos) { return Place(t.data() + pos); };
  const auto named = [](const XmlElement& e) { return std::string(e.name); };
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
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                             "processing instruction at %s has no end \"?>\"", at(pos).c_str());
      }
      pos = end + 2;
      continue;
    }
    if (pos + 1 < n && t[pos + 1] == '!') {  // comment (and anything else up to "-->")
      const size_t end = t.find("-->", pos + 2);
      if (end == std::string_view::npos) {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH, "comment at %s has no end \"-->\"",
                             at(pos).c_str());
      }
      pos = end + 3;
      continue;
    }
    if (pos + 1 < n && t[pos + 1] == '/') {  // end tag
      const size_t end = t.find('>', pos + 2);
      if (end == std::string_view::npos) {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH, "end tag at %s has no '>'",
                             at(pos).c_str());
      }
      std::string_view name = t.substr(pos + 2, end - pos - 2);
      while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
      if (open.empty()) {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                             "end tag </%s> at %s closes no element", std::string(name).c_str(),
                             at(pos).c_str());
      }
      XmlElement& e = elements_[open.back()];
      if (name != e.name) {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                             "end tag </%s> at %s does not close <%s> at %s",
                             std::string(name).c_str(), at(pos).c_str(), named(e).c_str(),
                             Place(e.name.data()).c_str());
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
      return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH, "tag at %s has no name",
                           at(pos).c_str());
    }
    XmlElement e;
    e.name = t.substr(nameStart, p - nameStart);
    e.firstAttribute = static_cast<uint32_t>(attributes_.size());
    bool empty = false;
    for (;;) {
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n) {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                             "tag <%s> at %s runs to the end of the text", named(e).c_str(),
                             at(pos).c_str());
      }
      if (t[p] == '>') {
        ++p;
        break;
      }
      if (t[p] == '/') {
        if (p + 1 >= n || t[p + 1] != '>') {
          return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                               "'/' at %s in tag <%s> is not followed by '>'", at(p).c_str(),
                               named(e).c_str());
        }
        p += 2;
        empty = true;
        break;
      }
      const size_t attrStart = p;
      while (p < n && !EndsName(t[p])) ++p;
      if (p == attrStart) {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                             "'%c' at %s in tag <%s> where an attribute name should be", t[p],
                             at(p).c_str(), named(e).c_str());
      }
      const std::string_view attrName = t.substr(attrStart, p - attrStart);
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n || t[p] != '=') {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                             "attribute %s of <%s> at %s has no '='", std::string(attrName).c_str(),
                             named(e).c_str(), at(attrStart).c_str());
      }
      ++p;
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n || (t[p] != '"' && t[p] != '\'')) {
        return PACKET_REFUSE(
            fault, DBERR_DATAPACKETMISMATCH, "value of attribute %s of <%s> at %s is not quoted",
            std::string(attrName).c_str(), named(e).c_str(), at(attrStart).c_str());
      }
      const char quote = t[p++];
      const size_t valueEnd = t.find(quote, p);
      if (valueEnd == std::string_view::npos) {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                             "value of attribute %s of <%s> at %s has no closing quote",
                             std::string(attrName).c_str(), named(e).c_str(),
                             at(attrStart).c_str());
      }
      if (e.attributeCount >= kMaxXmlAttributes) {
        return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH,
                             "tag <%s> at %s has more than %llu attributes", named(e).c_str(),
                             at(pos).c_str(), Ull(kMaxXmlAttributes));
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
        return PACKET_REFUSE(
            fault, DBERR_DATAPACKETMISMATCH, "<%s> at %s is nested deeper than %llu elements",
            named(elements_[index]).c_str(), at(pos).c_str(), Ull(kMaxXmlElementDepth));
      }
      open.push_back(index);
    }
    pos = p;
  }
  if (!open.empty()) {
    const XmlElement& e = elements_[open.back()];
    return PACKET_REFUSE(fault, DBERR_DATAPACKETMISMATCH, "<%s> at %s is never closed",
                         named(e).c_str(), Place(e.name.data()).c_str());
  }
  return DBERR_NONE;
}

const std::string_view* XmlDocument::Attribute(uint32_t e, std::string_view name) const {
  const XmlElement& element = elements_[e];
  for (uint32_t i = 0; i < element.attributeCount; ++i) {
    const XmlAttribute& a = attributes_[element.firstAttribute + i];
    if (a.name == name) return &a.value;
  }
  return nullptr;
}

}  // namespace dspacket
