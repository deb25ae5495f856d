// Key comparers by engine type. Each compares two non-blank values of one key field; DSIDX puts
// blanks first and applies the descending flag.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/collation.h"
#include "tableengine/dsbcd.h"
#include "tableengine/dsindex.h"
#include "tableengine/fielddesc.h"

namespace dsengine {

namespace {

template <typename T>
int Ordered(const uint8_t* a, const uint8_t* b) {
  T x, y;
  memcpy(&x, a, sizeof x);
  memcpy(&y, b, sizeof y);
  return x < y ? -1 : (y < x ? 1 : 0);
}

template <typename T>
int FLDNumber(const KeyField&, const uint8_t* a, const uint8_t* b) {
  return Ordered<T>(a, b);
}

int FLDString(const KeyField& k, const uint8_t* a, const uint8_t* b) {
  const int alen = static_cast<int>(strnlen(reinterpret_cast<const char*>(a), k.length));
  const int blen = static_cast<int>(strnlen(reinterpret_cast<const char*>(b), k.length));
  return platform::Compare(k.lcid, k.cmpFlags, reinterpret_cast<const char*>(a), alen,
                           reinterpret_cast<const char*>(b), blen) -
         platform::kCompareEqual;
}

// Counted bytes: 16-bit length, then the data (bounded by the field's room).
uint32_t CountedLength(const KeyField& k, const uint8_t* v) {
  uint16_t n;
  memcpy(&n, v, 2);
  return n > k.length - 2 ? k.length - 2 : n;
}

int ShorterFirst(const uint8_t* a, uint32_t alen, const uint8_t* b, uint32_t blen) {
  const int c = memcmp(a, b, alen < blen ? alen : blen);
  if (c) return c < 0 ? -1 : 1;
  return alen < blen ? -1 : (alen > blen ? 1 : 0);
}

int FLDVarBytes(const KeyField& k, const uint8_t* a, const uint8_t* b) {
  return ShorterFirst(a + 2, CountedLength(k, a), b + 2, CountedLength(k, b));
}

int FLDUniCode(const KeyField& k, const uint8_t* a, const uint8_t* b) {
  const uint32_t alen = CountedLength(k, a) / 2, blen = CountedLength(k, b) / 2;
  // Column slots of a wide string have even lengths, so the characters are aligned; copy only
  // when they are not.
  auto chars = [](const uint8_t* v, uint32_t n, std::u16string& copy) -> const char16_t* {
    if (reinterpret_cast<uintptr_t>(v) % alignof(char16_t) == 0)
      return reinterpret_cast<const char16_t*>(v);
    copy.assign(n, u'\0');
    memcpy(copy.data(), v, n * 2);
    return copy.data();
  };
  std::u16string ca, cb;
  const char16_t* wa = chars(a + 2, alen, ca);
  const char16_t* wb = chars(b + 2, blen, cb);
  return platform::CompareWide(k.lcid, k.cmpFlags, wa, int(alen), wb, int(blen)) -
         platform::kCompareEqual;
}

int FLDObj(const KeyField& k, const uint8_t* a, const uint8_t* b) {
  const int c = memcmp(a, b, k.length);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int FLDBcd(const KeyField& k, const uint8_t* a, const uint8_t* b) {
  BcdValue x, y;
  const bool okx = BcdUnpack(a, k.length, &x), oky = BcdUnpack(b, k.length, &y);
  if (!okx || !oky) return okx == oky ? FLDObj(k, a, b) : (okx ? 1 : -1);
  return BcdCompare(x, y);
}

// SQL time stamp: year (i16), month, day, hour, minute, second (u16), fraction (u32).
int FLDTimeStamp(const KeyField&, const uint8_t* a, const uint8_t* b) {
  if (int c = Ordered<int16_t>(a, b)) return c;
  for (int off = 2; off < 12; off += 2)
    if (int c = Ordered<uint16_t>(a + off, b + off)) return c;
  return Ordered<uint32_t>(a + 12, b + 12);
}

}  // namespace

KeyCompareFn KeyComparerForType(uint32_t type) {
  switch (type) {
    case fldZSTRING:
      return FLDString;
    case fldUNICODE:
      return FLDUniCode;
    case fldINT16:
      return FLDNumber<int16_t>;
    case fldINT32:
      return FLDNumber<int32_t>;
    case fldINT64:
      return FLDNumber<int64_t>;
    case fldBOOL:
    case fldUINT16:
      return FLDNumber<uint16_t>;
    case fldDATE:
    case fldTIME:
    case fldUINT32:
    case fldBOOL32:
      return FLDNumber<uint32_t>;
    case fldUINT64:
      return FLDNumber<uint64_t>;
    case fldINT8:
      return FLDNumber<int8_t>;
    case fldUINT8:
    case fldBOOL8:
      return FLDNumber<uint8_t>;
    case fldFLOAT:
    case fldTIMESTAMP:
      return FLDNumber<double>;
    case fldBCD:
    case fldFMTBCD:
      return FLDBcd;
    case fldDATETIME:
      return FLDTimeStamp;
    case fldVARBYTES:
      return FLDVarBytes;
    case fldBYTES:
    case fldFLOATIEEE:
      return FLDObj;
    default:
      return nullptr;
  }
}

}  // namespace dsengine
