// The sort an index build runs over its position array, and the byte keys that make its
// comparisons cheap. Used by DSIDX (dsindex.cpp); all calls run inside the table's lock.
//
// SortIndexEntries is the one quicksort the engine uses: the result, including the order of
// records with equal keys, depends only on the comparison results, so sorting entries that
// carry byte keys gives exactly the order that comparing the records would.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "tableengine/dsindex.h"

namespace dsengine {

constexpr uint32_t kSortCutOff = 10;  // ranges this small are left to the insertion pass

namespace sortdetail {

// Quicksort of p[lo .. hi]: the pivot from lo, mid and hi (exchanged to lo), scans from both
// ends, the smaller part by recursion and the larger by the loop; parts of kSortCutOff or
// fewer entries are left for the insertion pass.
template <typename T, typename Less>
void QuickSort(T* p, uint32_t lo, uint32_t hi, const Less& less) {
  for (;;) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (hi - lo + 1 > 4) {
      if (less(p[hi], p[lo])) std::swap(p[lo], p[hi]);
      if (less(p[lo], p[mid])) {
        std::swap(p[lo], p[mid]);
        if (less(p[hi], p[lo])) std::swap(p[lo], p[hi]);
      }
    } else {
      std::swap(p[lo], p[mid]);
    }
    const T pivot = p[lo];
    uint32_t i = lo + 1, j = hi;
    for (;;) {
      while (i <= hi && less(p[i], pivot)) ++i;
      while (less(pivot, p[j])) --j;
      if (i >= j) break;
      std::swap(p[i], p[j]);
      ++i;
      --j;
    }
    std::swap(p[lo], p[j]);
    const uint32_t leftSize = j - lo, rightSize = hi - j;
    const bool leftBig = leftSize > kSortCutOff, rightBig = rightSize > kSortCutOff;
    if (leftBig && rightBig) {
      if (leftSize <= rightSize) {
        QuickSort(p, lo, j - 1, less);
        lo = j + 1;
      } else {
        QuickSort(p, j + 1, hi, less);
        hi = j - 1;
      }
    } else if (leftBig) {
      hi = j - 1;
    } else if (rightBig) {
      lo = j + 1;
    } else {
      return;
    }
  }
}

}  // namespace sortdetail

// Sorts p[1 .. count] (p[0] is not touched): a quicksort when count > kSortCutOff, then one
// insertion pass that moves each entry back past every greater one.
template <typename T, typename Less>
void SortIndexEntries(T* p, uint32_t count, const Less& less) {
  if (count <= 1) return;
  if (count > kSortCutOff) sortdetail::QuickSort(p, 1, count, less);
  for (uint32_t i = 2; i <= count; ++i) {
    const T v = p[i];
    uint32_t j = i - 1;
    while (j >= 1 && less(v, p[j])) {
      p[j + 1] = p[j];
      --j;
    }
    p[j + 1] = v;
  }
}

// Appends the byte key of one non-blank key value: memcmp order of two such keys (a proper prefix
// first) is the field's comparer order, equal keys exactly for equal values, and no key is a
// proper prefix of another. False for types without byte keys (then records are compared).
bool AppendKeyBytes(const KeyField& key, const uint8_t* value, std::vector<uint8_t>& out);

// The byte keys of a set of records over an index's key fields, each key laid out field by
// field (a blank marker, then the value's key; all bytes inverted for a descending field), so
// that memcmp order of two keys is the order DSIDX::CompareRecords gives.
class RecordSortKeys {
 public:
  // One sortable entry: the key's first kHeadBytes bytes (big-endian, zero-padded) decide most
  // comparisons without touching the key buffer, which holds only the bytes past the head.
  static constexpr uint32_t kHeadBytes = 16;
  static constexpr uint32_t kNoTail = UINT32_MAX;
  struct Entry {
    uint64_t head[2];
    uint32_t tail;  // offset in the buffer of the key's bytes past the head, their count first
                    // (7 bits a byte, low bits first); kNoTail when the key ends in the head
    int32_t rec;
  };

  // Makes entries[1 .. count] for recs[1 .. count]. False when a key field has no byte keys or
  // memory runs out; the caller then sorts by comparing records.
  bool Build(const DSBASE& table, const KeyField* keys, uint32_t keyCount, const int32_t* recs,
             uint32_t count);
  Entry* Entries() { return entries_.data(); }

  bool Less(const Entry& a, const Entry& b) const {
    if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
    if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
    // Equal heads: a key that ends in the head is then equal to the other (no key is a proper
    // prefix of another).
    if (a.tail == kNoTail || b.tail == kNoTail) return false;
    uint32_t la, lb;
    const uint8_t* ta = Tail(a.tail, &la);
    const uint8_t* tb = Tail(b.tail, &lb);
    const int c = memcmp(ta, tb, la < lb ? la : lb);
    return c != 0 ? c < 0 : la < lb;
  }

 private:
  // The tail at `offset`; *length gets its byte count.
  const uint8_t* Tail(uint32_t offset, uint32_t* length) const {
    const uint8_t* p = buffer_.data() + offset;
    uint32_t n = 0;
    for (int shift = 0;; shift += 7) {
      n |= uint32_t(*p & 0x7F) << shift;
      if ((*p++ & 0x80) == 0) break;
    }
    *length = n;
    return p;
  }

  std::vector<uint8_t> buffer_;
  std::vector<Entry> entries_;
};

}  // namespace dsengine
