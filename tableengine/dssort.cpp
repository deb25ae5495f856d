// Byte keys of index key values and of whole records for the index sort.
#include "tableengine/dssort.h"

#include <new>
#include <stdexcept>

#include "platform/collation.h"
#include "tableengine/dsbase.h"
#include "tableengine/fielddesc.h"

namespace dsengine {

namespace {

constexpr uint8_t kBlankMarker = 0x00;  // a blank value sorts before every value
constexpr uint8_t kValueMarker = 0x01;

// Fixed-width integers, most significant byte first; the sign bit of signed types flipped so
// that negative values come first.
template <typename T>
void AppendInteger(const uint8_t* value, std::vector<uint8_t>& out) {
  T v;
  memcpy(&v, value, sizeof v);
  uint64_t u = static_cast<uint64_t>(v);
  if constexpr (static_cast<T>(-1) < 0) u ^= uint64_t(1) << (8 * sizeof(T) - 1);
  for (int shift = 8 * int(sizeof(T)) - 8; shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(u >> shift));
}

}  // namespace

// The types and widths follow KeyComparerForType (dskeys.cpp).
bool AppendKeyBytes(const KeyField& key, const uint8_t* value, std::vector<uint8_t>& out) {
  switch (key.type) {
    case fldZSTRING: {
      const char* s = reinterpret_cast<const char*>(value);
      return platform::AppendSortKey(key.lcid, key.cmpFlags, s, strnlen(s, key.length), out);
    }
    case fldINT16:
      AppendInteger<int16_t>(value, out);
      return true;
    case fldINT32:
      AppendInteger<int32_t>(value, out);
      return true;
    case fldINT64:
      AppendInteger<int64_t>(value, out);
      return true;
    case fldBOOL:
    case fldUINT16:
      AppendInteger<uint16_t>(value, out);
      return true;
    case fldDATE:
    case fldTIME:
    case fldUINT32:
    case fldBOOL32:
      AppendInteger<uint32_t>(value, out);
      return true;
    case fldUINT64:
      AppendInteger<uint64_t>(value, out);
      return true;
    case fldINT8:
      AppendInteger<int8_t>(value, out);
      return true;
    case fldUINT8:
    case fldBOOL8:
      AppendInteger<uint8_t>(value, out);
      return true;
    default:
      return false;  // floating point (NaN is equal to everything), decimals, bytes, wide text
  }
}

bool RecordSortKeys::Build(const DSBASE& table, const KeyField* keys, uint32_t keyCount,
                           const int32_t* recs, uint32_t count) {
  try {
    buffer_.clear();
    buffer_.reserve(size_t(count) * 32 * keyCount);  // a typical key; grows when longer
    entries_.resize(size_t(count) + 1);
    for (uint32_t p = 1; p <= count; ++p) {
      const uint32_t rec = uint32_t(recs[p]);
      const size_t start = buffer_.size();
      for (uint32_t k = 0; k < keyCount; ++k) {
        const size_t field = buffer_.size();
        if (table.NullFlagOf(rec, keys[k].field) != 0) {
          buffer_.push_back(kBlankMarker);
        } else {
          buffer_.push_back(kValueMarker);
          if (!AppendKeyBytes(keys[k], table.ValuePtr(rec, keys[k].field), buffer_)) return false;
        }
        if (keys[k].descending)
          for (size_t i = field; i < buffer_.size(); ++i) buffer_[i] = uint8_t(~buffer_[i]);
      }
      const size_t length = buffer_.size() - start;
      if (buffer_.size() > UINT32_MAX) return false;
      Entry& e = entries_[p];
      e.head = 0;
      for (size_t i = 0; i < RecordSortKeys::kHeadBytes; ++i)
        e.head = e.head << 8 | (i < length ? buffer_[start + i] : 0);
      e.offset = uint32_t(start);
      e.length = uint32_t(length);
      e.rec = recs[p];
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

}  // namespace dsengine
