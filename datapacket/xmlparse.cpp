// The XML parser of the packet reader. It walks the text once, keeping an explicit stack of
// open elements (no recursion), and checks every position against the text's end.
#include "datapacket/xmlparse.h"

namespace dspacket {

using namespace dsengine;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool EndsName(char c) { return IsBlank(c) || c == '/' || c == '>' || c == '='; }

}  // namespace

DBResult XmlDocument::Parse(std::string_view t) {
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
      if (end == std::string_view::npos) return DBERR_DATAPACKETMISMATCH;
      pos = end + 2;
      continue;
    }
    if (pos + 1 < n && t[pos + 1] == '!') {  // comment (and anything else up to "-->")
      const size_t end = t.find("-->", pos + 2);
      if (end == std::string_view::npos) return DBERR_DATAPACKETMISMATCH;
      pos = end + 3;
      continue;
    }
    if (pos + 1 < n && t[pos + 1] == '/') {  // end tag
      const size_t end = t.find('>', pos + 2);
      if (end == std::string_view::npos || open.empty()) return DBERR_DATAPACKETMISMATCH;
      std::string_view name = t.substr(pos + 2, end - pos - 2);
      while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
      XmlElement& e = elements_[open.back()];
      if (name != e.name) return DBERR_DATAPACKETMISMATCH;
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
    if (p == nameStart || p >= n) return DBERR_DATAPACKETMISMATCH;
    XmlElement e;
    e.name = t.substr(nameStart, p - nameStart);
    e.firstAttribute = static_cast<uint32_t>(attributes_.size());
    bool empty = false;
    for (;;) {
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n) return DBERR_DATAPACKETMISMATCH;
      if (t[p] == '>') {
        ++p;
        break;
      }
      if (t[p] == '/') {
        if (p + 1 >= n || t[p + 1] != '>') return DBERR_DATAPACKETMISMATCH;
        p += 2;
        empty = true;
        break;
      }
      const size_t attrStart = p;
      while (p < n && !EndsName(t[p])) ++p;
      if (p == attrStart) return DBERR_DATAPACKETMISMATCH;
      const std::string_view attrName = t.substr(attrStart, p - attrStart);
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n || t[p] != '=') return DBERR_DATAPACKETMISMATCH;
      ++p;
      while (p < n && IsBlank(t[p])) ++p;
      if (p >= n || (t[p] != '"' && t[p] != '\'')) return DBERR_DATAPACKETMISMATCH;
      const char quote = t[p++];
      const size_t valueEnd = t.find(quote, p);
      if (valueEnd == std::string_view::npos) return DBERR_DATAPACKETMISMATCH;
      if (e.attributeCount >= kMaxXmlAttributes) return DBERR_DATAPACKETMISMATCH;
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
      if (open.size() >= kMaxXmlElementDepth) return DBERR_DATAPACKETMISMATCH;
      open.push_back(index);
    }
    pos = p;
  }
  return open.empty() ? DBERR_NONE : DBERR_DATAPACKETMISMATCH;
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
