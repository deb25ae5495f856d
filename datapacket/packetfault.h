// Why a packet was refused: the first failing check of a packet reader (binary or XML) or of
// the table import, as a short reason with its place in the packet ("row 17, column 5 (Lyric)
// at offset 1234: value length 70000 runs past the end of the packet (12 bytes left)") and the
// source line of the check. Every refusing check goes through PACKET_REFUSE, which formats
// only when the check has failed: a packet that loads pays nothing for it.
// A plain value, owned by the reader (Fault()) or handed to the import by its caller.
#pragma once

#include <string>

#include "tableengine/dsstatus.h"

namespace dspacket {

struct PacketFault {
  dsengine::DBResult status = dsengine::DBERR_NONE;  // what the refusal returned; 0: none yet
  std::string reason;          // what failed and where in the packet (8-bit code page)
  const char* file = nullptr;  // the refusing check: source file name (no directory) ...
  int line = 0;                // ... and line

  bool Refused() const { return status != dsengine::DBERR_NONE; }
};

// Sizes, offsets and counts go into reasons as this type, printed with %llu on every host.
using Ull = unsigned long long;

#if defined(__MINGW32__)
#define DZ_PRINTF_LIKE(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define DZ_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#endif

// Records `status` with the reason made from `format` (as printf) in `fault` and returns
// `status`. Nothing is recorded when `fault` is null or already holds a refusal: the first
// failing check is the one that explains. Use it through PACKET_REFUSE.
[[gnu::cold]] dsengine::DBResult RecordRefusal(PacketFault* fault, dsengine::DBResult status,
                                               const char* file, int line, const char* format, ...)
    DZ_PRINTF_LIKE(5, 6);

// printf into a string, for the parts of a reason that a helper describes.
[[gnu::cold]] std::string ReasonText(const char* format, ...) DZ_PRINTF_LIKE(1, 2);

// Copies `from` into `to` unless `to` is null or already holds a refusal.
void PassOnFault(const PacketFault& from, PacketFault* to);

}  // namespace dspacket

// The one way a packet check refuses: `return PACKET_REFUSE(&fault_, DBERR_..., "row %u: ...",
// row);` records the reason with this source line and gives the status back. On a path that
// runs per row or per element, give it plain values (numbers, "%.*s" names), no temporaries: a
// check then costs its caller a branch and a call it never takes while the packet is good.
#define PACKET_REFUSE(fault, status, ...) \
  ::dspacket::RecordRefusal((fault), (status), __FILE__, __LINE__, __VA_ARGS__)
