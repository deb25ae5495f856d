// Byte keys of index key values and of whole records for the index sort.
#include "tableengine/dssort.h"

#include <algorithm>
#include <functional>
#include <new>
#include <numeric>
#include <stdexcept>
#include <string_view>

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

namespace {

// Appends one key field's part of a record's byte key: a blank marker, or the value marker and
// the value's key; every byte inverted for a descending field. False as AppendKeyBytes.
bool AppendFieldKey(const DSBASE& table, const KeyField& key, uint32_t rec,
                    std::vector<uint8_t>& out) {
  const size_t start = out.size();
  if (table.NullFlagOf(rec, key.field) != 0) {
    out.push_back(kBlankMarker);
  } else {
    out.push_back(kValueMarker);
    if (!AppendKeyBytes(key, table.ValuePtr(rec, key.field), out)) return false;
  }
  if (key.descending)
    for (size_t i = start; i < out.size(); ++i) out[i] = uint8_t(~out[i]);
  return true;
}

// Ranks of one string key field's values among the field's distinct values, in the order of
// their keys (AppendFieldKey), equal keys ranking equal. A leading key field often repeats its
// values (an artist with many titles): keying each distinct value once and putting its rank in
// the records' keys instead makes the keys shorter and lets the heads decide most comparisons.
class ValueRanks {
 public:
  // REQUIRES: key.type == fldZSTRING. False when most values are distinct (ranking them would
  // cost a second sort for little gain) or a key cannot be made: the caller then keys the
  // values directly. Throws std::bad_alloc when memory runs out.
  bool Build(const DSBASE& table, const KeyField& key, const int32_t* recs, uint32_t count);
  // True once Build has returned true.
  bool Ranked() const { return !rankOf_.empty(); }
  // REQUIRES: Build returned true, 1 <= p <= count. Appends the rank of recs[p]'s value, most
  // significant byte first, in as many bytes as the highest rank needs.
  void AppendRankAt(uint32_t p, std::vector<uint8_t>& out) const {
    const uint32_t rank = rankOf_[valueAt_[p]];
    for (int shift = 8 * (rankBytes_ - 1); shift >= 0; shift -= 8)
      out.push_back(uint8_t(rank >> shift));
  }

 private:
  struct Value {
    size_t hash;
    size_t offset;    // of the value's bytes in bytes_
    uint32_t length;  // bytes before the terminator; 0 for a blank
    uint32_t rec;     // the first record holding the value
    bool blank;
  };
  static constexpr size_t kFirstSlots = 1024;  // a power of two

  uint32_t NumberOf(const DSBASE& table, const KeyField& key, uint32_t rec);
  void Grow();
  bool Rank(const DSBASE& table, const KeyField& key);

  std::vector<Value> values_;      // by value number, in order of first appearance
  std::vector<char> bytes_;        // the distinct values' bytes, close together for the probes
  std::vector<uint32_t> slots_;    // value number + 1 at its hash (linear probing); 0 is free
  std::vector<uint32_t> valueAt_;  // [p]: value number of recs[p]
  std::vector<uint32_t> rankOf_;   // by value number
  int rankBytes_ = 4;              // the fewest that hold the highest rank
};

bool ValueRanks::Build(const DSBASE& table, const KeyField& key, const int32_t* recs,
                       uint32_t count) {
  slots_.assign(kFirstSlots, 0);
  valueAt_.resize(size_t(count) + 1);
  for (uint32_t p = 1; p <= count; ++p) {
    valueAt_[p] = NumberOf(table, key, uint32_t(recs[p]));
    if (values_.size() > count / 2) return false;
  }
  return Rank(table, key);
}

uint32_t ValueRanks::NumberOf(const DSBASE& table, const KeyField& key, uint32_t rec) {
  const char* bytes = reinterpret_cast<const char*>(table.ValuePtr(rec, key.field));
  Value v{0, bytes_.size(), 0, rec, table.NullFlagOf(rec, key.field) != 0};
  if (!v.blank) {
    v.length = uint32_t(strnlen(bytes, key.length));
    v.hash = std::hash<std::string_view>()(std::string_view(bytes, v.length));
  }
  const size_t mask = slots_.size() - 1;
  for (size_t i = v.hash & mask;; i = (i + 1) & mask) {
    if (slots_[i] == 0) {
      bytes_.insert(bytes_.end(), bytes, bytes + v.length);
      values_.push_back(v);
      slots_[i] = uint32_t(values_.size());
      if (values_.size() * 2 > slots_.size()) Grow();
      return uint32_t(values_.size() - 1);
    }
    const Value& w = values_[slots_[i] - 1];
    if (w.hash == v.hash && w.blank == v.blank && w.length == v.length &&
        (v.length == 0 || memcmp(bytes_.data() + w.offset, bytes, v.length) == 0))
      return slots_[i] - 1;
  }
}

void ValueRanks::Grow() {
  slots_.assign(slots_.size() * 2, 0);
  const size_t mask = slots_.size() - 1;
  for (size_t n = 0; n < values_.size(); ++n) {
    size_t i = values_[n].hash & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = uint32_t(n + 1);
  }
}

bool ValueRanks::Rank(const DSBASE& table, const KeyField& key) {
  std::vector<uint8_t> keys;
  std::vector<size_t> start(values_.size() + 1);
  for (size_t n = 0; n < values_.size(); ++n) {
    start[n] = keys.size();
    if (!AppendFieldKey(table, key, values_[n].rec, keys)) return false;
  }
  start[values_.size()] = keys.size();
  const auto compare = [&](uint32_t a, uint32_t b) {
    const size_t la = start[a + 1] - start[a], lb = start[b + 1] - start[b];
    const int c = memcmp(keys.data() + start[a], keys.data() + start[b], std::min(la, lb));
    return c != 0 ? c : (la > lb) - (la < lb);
  };
  std::vector<uint32_t> order(values_.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; });
  rankOf_.resize(values_.size());
  uint32_t rank = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && compare(order[i - 1], order[i]) != 0) ++rank;
    rankOf_[order[i]] = rank;
  }
  rankBytes_ = rank <= 0xFF ? 1 : rank <= 0xFFFF ? 2 : rank <= 0xFFFFFF ? 3 : 4;
  return true;
}

}  // namespace

bool RecordSortKeys::Build(const DSBASE& table, const KeyField* keys, uint32_t keyCount,
                           const int32_t* recs, uint32_t count) {
  try {
    // Every key field but the last, when it is a string whose values repeat, is keyed by the
    // rank of its value (a fixed number of bytes per field, most significant first): memcmp
    // order of ranks is the order of the values' keys, and no rank is a proper prefix of
    // another.
    std::vector<ValueRanks> ranks(keyCount);
    for (uint32_t k = 0; k + 1 < keyCount; ++k)
      if (keys[k].type == fldZSTRING) ranks[k].Build(table, keys[k], recs, count);
    buffer_.clear();
    buffer_.reserve(size_t(count) * 24 * keyCount);  // a typical tail; grows when longer
    entries_.resize(size_t(count) + 1);
    for (uint32_t p = 1; p <= count; ++p) {
      // The whole key goes to the buffer's end; its head is taken from there, and then the
      // bytes past the head move down behind their count, over the head's place.
      const uint32_t rec = uint32_t(recs[p]);
      const size_t start = buffer_.size();
      for (uint32_t k = 0; k < keyCount; ++k) {
        if (ranks[k].Ranked())
          ranks[k].AppendRankAt(p, buffer_);
        else if (!AppendFieldKey(table, keys[k], rec, buffer_))
          return false;
      }
      const size_t length = buffer_.size() - start;
      Entry& e = entries_[p];
      e.head[0] = e.head[1] = 0;
      for (size_t i = 0; i < kHeadBytes; ++i)
        e.head[i / 8] = e.head[i / 8] << 8 | (i < length ? buffer_[start + i] : 0);
      e.rec = recs[p];
      if (length <= kHeadBytes) {
        e.tail = kNoTail;
        buffer_.resize(start);
        continue;
      }
      if (start >= kNoTail) return false;
      e.tail = uint32_t(start);
      uint8_t* at = buffer_.data() + start;
      for (size_t rest = length - kHeadBytes;; rest >>= 7) {  // a few bytes, inside the head
        *at++ = uint8_t(rest & 0x7F) | (rest > 0x7F ? 0x80 : 0);
        if (rest <= 0x7F) break;
      }
      const size_t tailBytes = length - kHeadBytes;
      memmove(at, buffer_.data() + start + kHeadBytes, tailBytes);
      buffer_.resize(size_t(at - buffer_.data()) + tailBytes);
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

}  // namespace dsengine
