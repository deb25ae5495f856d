// The portable implementation of the services in collation.h, built on measured word-sort
// weights. It answers platform::Compare etc. off Windows; on Windows it is compiled too, so the
// differential test can hold it against the real APIs. Stateless and thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::portable {

// As platform::Compare. Every locale collates as the user default locale (en-US); of the
// flags only kNormIgnoreCase has an effect. A null pointer counts as an empty string.
int Compare(uint32_t lcid, uint32_t flags, const char* a, int alen, const char* b, int blen);

// As platform::CompareWide. Characters of Windows-1252 weigh as in Compare; any other UTF-16
// code unit sorts after all of them, by its value, without diacritic or case.
int CompareWide(uint32_t lcid, uint32_t flags, const char16_t* a, int alen, const char16_t* b,
                int blen);

// As platform::AppendSortKey; always gives a key.
bool AppendSortKey(uint32_t lcid, uint32_t flags, const char* s, size_t len,
                   std::vector<uint8_t>& key);

// As platform::IgnoreCaseClasses; always gives the classes.
bool IgnoreCaseClasses(uint32_t lcid, uint8_t classes[256]);

char ToUpper(char c);
char ToLower(char c);
void ToUpperBuffer(char* s, size_t n);
void ToLowerBuffer(char* s, size_t n);

// True for the locale identifiers of a fixed table of installed locales.
bool IsValidLocale(uint32_t lcid);

}  // namespace platform::portable
