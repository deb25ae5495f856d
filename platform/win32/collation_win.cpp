// Collation, case mapping and locale checks through the real APIs: CompareStringA/W,
// CharUpperA/CharLowerA (and their buffer forms), IsValidLocale with LCID_INSTALLED.
#include <windows.h>

#include "platform/collation.h"
#include "platform/collation_portable.h"

namespace platform {
namespace {

// Locale 0 is the user default; an invalid pointer or length is normalised beforehand so
// that the API never fails on what the engine hands it.
LCID Locale(uint32_t lcid) { return lcid == 0 ? LOCALE_USER_DEFAULT : static_cast<LCID>(lcid); }

template <typename Char>
void Normalise(const Char*& s, int& len) {
  static const Char kEmpty[1] = {0};
  if (s == nullptr) s = kEmpty, len = 0;
  if (len < 0) len = -1;
}

}  // namespace

int Compare(uint32_t lcid, uint32_t flags, const char* a, int alen, const char* b, int blen) {
  Normalise(a, alen);
  Normalise(b, blen);
  int r = CompareStringA(Locale(lcid), flags, a, alen, b, blen);
  // A locale that is not installed: collate as the user default does.
  if (r == 0) r = CompareStringA(LOCALE_USER_DEFAULT, flags, a, alen, b, blen);
  return r != 0 ? r : portable::Compare(lcid, flags, a, alen, b, blen);
}

int CompareWide(uint32_t lcid, uint32_t flags, const char16_t* a, int alen, const char16_t* b,
                int blen) {
  Normalise(a, alen);
  Normalise(b, blen);
  const auto* wa = reinterpret_cast<const wchar_t*>(a);
  const auto* wb = reinterpret_cast<const wchar_t*>(b);
  int r = CompareStringW(Locale(lcid), flags, wa, alen, wb, blen);
  if (r == 0) r = CompareStringW(LOCALE_USER_DEFAULT, flags, wa, alen, wb, blen);
  return r != 0 ? r : portable::CompareWide(lcid, flags, a, alen, b, blen);
}

// The platform's own sort keys are not proven here to order as CompareStringA does for every
// locale, so callers compare with Compare.
bool AppendSortKey(uint32_t, uint32_t, const char*, size_t, std::vector<uint8_t>&) { return false; }

bool IgnoreCaseClasses(uint32_t, uint8_t*) { return false; }

// CharUpperA/CharLowerA take a single character in the low word of the pointer argument.
char ToUpper(char c) {
  auto v = reinterpret_cast<UINT_PTR>(
      CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(c)))));
  return static_cast<char>(v & 0xFF);
}

char ToLower(char c) {
  auto v = reinterpret_cast<UINT_PTR>(
      CharLowerA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<unsigned char>(c)))));
  return static_cast<char>(v & 0xFF);
}

void ToUpperBuffer(char* s, size_t n) {
  while (n > 0) {
    DWORD chunk = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
    CharUpperBuffA(s, chunk);
    s += chunk, n -= chunk;
  }
}

void ToLowerBuffer(char* s, size_t n) {
  while (n > 0) {
    DWORD chunk = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
    CharLowerBuffA(s, chunk);
    s += chunk, n -= chunk;
  }
}

bool IsValidLocale(uint32_t lcid) { return ::IsValidLocale(lcid, LCID_INSTALLED) != FALSE; }

}  // namespace platform
