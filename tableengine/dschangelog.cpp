// Change log storage, grown geometrically.
#include "tableengine/dschangelog.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace dsengine {

DBResult ChangeLog::Reserve() {
  if (entries_.size() < entries_.capacity()) return DBERR_NONE;
  try {
    entries_.reserve(entries_.capacity() + std::max(kGrowth, entries_.capacity() / 2));
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

DBResult ChangeLog::Append(uint32_t record, uint32_t related, uint32_t kind) {
  if (DBResult st = Reserve()) return st;
  entries_.push_back({record, related, kind});
  return DBERR_NONE;
}

}  // namespace dsengine
