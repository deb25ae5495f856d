// String collation and 8-bit case mapping for the table engine (indexes, filters, LIKE).
// Semantics of the Windows APIs CompareStringA/W and CharUpperA/CharLowerA on Windows-1252
// text; on Windows the real APIs answer, elsewhere the portable implementation does.
// Stateless and thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

constexpr uint32_t kNormIgnoreCase = 0x00000001;  // NORM_IGNORECASE
constexpr uint32_t kLocaleUserDefault = 0;        // locale 0 = the user default locale

// Results, as the platform's CSTR_LESS_THAN / CSTR_EQUAL / CSTR_GREATER_THAN.
constexpr int kCompareLess = 1;
constexpr int kCompareEqual = 2;
constexpr int kCompareGreater = 3;

// Compares two Windows-1252 strings with word sort: letters weigh before diacritics, diacritics
// before case; hyphen and apostrophe weigh last. A length of -1 means NUL-terminated.
// Returns kCompareLess, kCompareEqual or kCompareGreater.
int Compare(uint32_t lcid, uint32_t flags, const char* a, int alen, const char* b, int blen);

// The same over UTF-16 text.
int CompareWide(uint32_t lcid, uint32_t flags, const char16_t* a, int alen, const char16_t* b,
                int blen);

// Appends the sort key of a Windows-1252 string of `len` bytes to `key`: for any two strings a
// and b, memcmp order of their keys (a proper prefix first) is Compare's order with the same
// locale and flags, and the keys are equal exactly when Compare reports equality. No key is a
// proper prefix of another, so keys of several values may be concatenated and still compare
// value by value. Returns false, leaving `key` unchanged, where the platform offers no such
// keys (callers then compare with Compare).
bool AppendSortKey(uint32_t lcid, uint32_t flags, const char* s, size_t len,
                   std::vector<uint8_t>& key);

// Byte classes for equality ignoring case: two strings of equal length whose bytes all have a
// non-zero class compare equal under Compare with kNormIgnoreCase exactly when their bytes'
// classes agree position by position. Class 0 marks bytes for which that does not hold (ignored
// characters, characters that weigh as two, hyphens and the like): strings holding one need
// Compare. Returns false, leaving `classes` unchanged, where the platform does not say.
bool IgnoreCaseClasses(uint32_t lcid, uint8_t classes[256]);

// Windows-1252 case mapping, as CharUpperA / CharLowerA.
char ToUpper(char c);
char ToLower(char c);
void ToUpperBuffer(char* s, size_t n);
void ToLowerBuffer(char* s, size_t n);

// True when the locale identifier names an installed locale (IsValidLocale, LCID_INSTALLED).
bool IsValidLocale(uint32_t lcid);

}  // namespace platform
