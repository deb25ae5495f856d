// Recording a packet refusal: the reason is formatted here, on the failing path only.
#include "datapacket/packetfault.h"

#include <cstdarg>
#include <cstdio>
#include <new>

namespace dspacket {

namespace {

std::string Format(const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  char small[256];
  const int n = std::vsnprintf(small, sizeof small, format, args);
  std::string text;
  if (n < 0) {
    text = format;  // an encoding error: the bare format still says which check failed
  } else if (static_cast<size_t>(n) < sizeof small) {
    text.assign(small, static_cast<size_t>(n));
  } else {
    text.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(n));
  }
  va_end(again);
  return text;
}

// Control bytes (a name in a corrupt packet may hold any byte) as \xNN, so that a reason
// stays one line of text.
std::string Printable(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      out += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
      out += escaped;
    }
  }
  return out;
}

const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

}  // namespace

dsengine::DBResult RecordRefusal(PacketFault* fault, dsengine::DBResult status, const char* file,
                                 int line, const char* format, ...) {
  if (fault == nullptr || fault->Refused()) return status;
  va_list args;
  va_start(args, format);
  try {
    fault->reason = Printable(Format(format, args));
  } catch (const std::bad_alloc&) {
    fault->reason.clear();  // the status and the source line still tell which check failed
  }
  va_end(args);
  fault->status = status;
  fault->file = BaseName(file);
  fault->line = line;
  return status;
}

std::string ReasonText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  return text;
}

void PassOnFault(const PacketFault& from, PacketFault* to) {
  if (to != nullptr && !to->Refused()) *to = from;
}

}  // namespace dspacket
