// Windows offers no request to back committed pages without touching them: the writer faults
// them in itself.
#include "platform/prefault.h"

namespace platform {

bool CanPrefault() { return false; }
void PrefaultForWriting(void*, size_t) {}

}  // namespace platform
