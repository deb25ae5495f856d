// The 20-byte bookmark of a cursor (DSCursor) and its little-endian encoding. The facade keeps
// one, opaque, in each of its record buffers and hands it back to move to or compare records.
// Plain value type; no locking of its own.
#pragma once

#include <cstdint>

#include "tableengine/dsbase.h"

namespace dsengine {

// OFFSET SIZE MEMBER
//    0    4   position   position in the index when taken (0 = before the first record)
//    4    4   status     cursor status when taken (0, DBERR_BOF, DBERR_EOF, DBERR_KEYORRECDELETED
//    or DBERR_NOCURRREC) 8    4   record     record number at that position (0 when there is none)
//   12    4   counter    the index's change counter when taken: a position is trusted only
//                        while the index is unchanged, else the record number is searched
//   16    4   identity   identity of the index, unique within the table
struct Bookmark {
  uint32_t position = 0;
  uint32_t status = 0;
  uint32_t record = 0;
  uint32_t counter = 0;
  uint32_t identity = 0;
};
static_assert(kBookmarkSize == 20, "the facade sizes its record buffers by this");

inline void EncodeBookmark(const Bookmark& b, uint8_t* out) {
  const uint32_t v[5] = {b.position, b.status, b.record, b.counter, b.identity};
  for (int i = 0; i < 5; ++i)
    for (int k = 0; k < 4; ++k) out[i * 4 + k] = static_cast<uint8_t>(v[i] >> (8 * k));
}

inline Bookmark DecodeBookmark(const uint8_t* in) {
  uint32_t v[5];
  for (int i = 0; i < 5; ++i) {
    v[i] = 0;
    for (int k = 0; k < 4; ++k) v[i] |= uint32_t(in[i * 4 + k]) << (8 * k);
  }
  return Bookmark{v[0], v[1], v[2], v[3], v[4]};
}

}  // namespace dsengine
