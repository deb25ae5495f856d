// Caption shortening, text replacement and ampersand stripping.
#include "skin/captiontext.h"

namespace skin {
namespace {

constexpr std::string_view kEllipsis = "...";

std::string Shortened(std::string_view text, size_t length) {
  std::string s(text.substr(0, length));
  s += kEllipsis;
  return s;
}

}  // namespace

std::string FitCaption(std::string_view text, int limit, const TextWidthFn& width) {
  if (text.size() <= 1 || width(text) <= limit) return std::string(text);
  // Binary search for the longest prefix length in [1, size - 1] whose shortened text fits;
  // widths grow with the prefix, so "fits" holds for a leading run of lengths.
  size_t fits = 1, low = 2, high = text.size() - 1;
  while (low <= high) {
    const size_t mid = low + (high - low) / 2;
    if (width(Shortened(text, mid)) <= limit) {
      fits = mid;
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  return Shortened(text, fits);
}

std::string ReplaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement) {
  if (pattern.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at = text.find(pattern); at != std::string_view::npos;
       at = text.find(pattern, from)) {
    out.append(text.substr(from, at - from));
    out.append(replacement);
    from = at + pattern.size();
  }
  out.append(text.substr(from));
  return out;
}

std::string StripAmpersands(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '&') {
      out += '&';
      ++i;
    }
  }
  return out;
}

}  // namespace skin
