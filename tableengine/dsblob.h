// The blob store of a table: numbered entries (1-based) holding the data of blob fields. A blob
// field's 4-byte value is its entry number, 0 for none. Owned by DSBASE and guarded by its lock.
// Entries written since the last commit can be released again (cancel, undo).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tableengine/dsstatus.h"

namespace dsengine {

class BlobStore {
 public:
  // The entry list grows by half its capacity, at least kGrowth entries, so that adding n
  // entries moves each existing one only a constant number of times on average.
  static constexpr size_t kGrowth = 16;

  uint32_t Count() const { return static_cast<uint32_t>(entries_.size()); }

  // Status of a handle read from a record: 16393 for a negative (not fetched) handle, 10030
  // for one beyond the list, 0 otherwise (0 itself is "no data").
  DBResult CheckHandle(int32_t handle) const;

  // Data and length of entry `handle`. REQUIRES: 1 <= handle <= Count().
  const uint8_t* Data(uint32_t handle) const { return entries_[handle - 1].data(); }
  uint32_t Length(uint32_t handle) const {
    return static_cast<uint32_t>(entries_[handle - 1].size());
  }

  // New entry with a copy of `data`; its number goes to *handle. 9473 when out of memory.
  DBResult Add(const void* data, uint32_t length, uint32_t* handle);
  // Writes `data` at `offset` of entry `handle`, extending it as needed.
  DBResult Write(uint32_t handle, uint32_t offset, const void* data, uint32_t length);
  // Empties an entry (its number stays taken).
  void Free(uint32_t handle);

  // Entries written so far stay from now on.
  void Commit() { committed_ = Count(); }
  // Drops the entries added since the last commit.
  void ReleaseUncommitted();
  uint32_t CommittedCount() const { return committed_; }

  void Clear();

 private:
  std::vector<std::vector<uint8_t>> entries_;
  uint32_t committed_ = 0;  // entries 1 .. committed_ survive ReleaseUncommitted
};

}  // namespace dsengine
