// Off Windows the collation services are the portable implementation.
#include "platform/collation.h"
#include "platform/collation_portable.h"

namespace platform {

int Compare(uint32_t lcid, uint32_t flags, const char* a, int alen, const char* b, int blen) {
  return portable::Compare(lcid, flags, a, alen, b, blen);
}

int CompareWide(uint32_t lcid, uint32_t flags, const char16_t* a, int alen, const char16_t* b,
                int blen) {
  return portable::CompareWide(lcid, flags, a, alen, b, blen);
}

bool AppendSortKey(uint32_t lcid, uint32_t flags, const char* s, size_t len,
                   std::vector<uint8_t>& key) {
  return portable::AppendSortKey(lcid, flags, s, len, key);
}

bool IgnoreCaseClasses(uint32_t lcid, uint8_t classes[256]) {
  return portable::IgnoreCaseClasses(lcid, classes);
}

char ToUpper(char c) { return portable::ToUpper(c); }
char ToLower(char c) { return portable::ToLower(c); }
void ToUpperBuffer(char* s, size_t n) { portable::ToUpperBuffer(s, n); }
void ToLowerBuffer(char* s, size_t n) { portable::ToLowerBuffer(s, n); }
bool IsValidLocale(uint32_t lcid) { return portable::IsValidLocale(lcid); }

}  // namespace platform
