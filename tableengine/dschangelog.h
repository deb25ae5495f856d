// The change log of a table: one entry per insert, modify or delete while change logging is on,
// in the order they happened. Owned by DSBASE; read by the packet layer. Not thread-safe on its
// own: DSBASE's lock guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tableengine/dsstatus.h"

namespace dsengine {

enum ChangeKind : uint32_t {
  kChangeNone = 0,  // dropped entry; undo skips it
  kChangeDelete = 2,
  kChangeInsert = 4,
  kChangeModify = 8,
  kChangeNestedA = 64,
  kChangeNestedB = 256,
};

// OFFSET SIZE MEMBER
//    0    4   record    record number the entry is about
//    4    4   related   for a modify, the record number of the version it replaced; else 0
//    8    4   kind      ChangeKind
struct ChangeLogEntry {
  uint32_t record;
  uint32_t related;
  uint32_t kind;
};

class ChangeLog {
 public:
  // The log grows by half its capacity, at least kGrowth entries (amortised constant appends).
  static constexpr size_t kGrowth = 16;

  size_t Size() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  const ChangeLogEntry& At(size_t i) const { return entries_[i]; }
  const ChangeLogEntry& Last() const { return entries_.back(); }

  // Makes room for one more entry (growing geometrically); DBERR_NOMEMORY when memory runs out.
  DBResult Reserve();
  // Appends an entry. REQUIRES: Reserve() succeeded since the last Append, or room is left.
  DBResult Append(uint32_t record, uint32_t related, uint32_t kind);
  void DropLast() { entries_.pop_back(); }
  void Clear() { entries_.clear(); }

 private:
  std::vector<ChangeLogEntry> entries_;
};

}  // namespace dsengine
