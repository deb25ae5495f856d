// The blob store of a table: numbered entries (1-based) holding the data of blob fields. A blob
// field's 4-byte value is its entry number, 0 for none. Owned by DSBASE and guarded by its lock.
// Entries written since the last commit can be released again (cancel, undo).
//
// An entry either owns its bytes or borrows them from a held buffer (a loaded data packet):
// a load then costs no copy of the blob bytes. A borrowed entry is copied into its own bytes
// when it is written to; a held buffer is let go once no entry borrows from it any more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tableengine/dsstatus.h"

namespace dsengine {

class BlobStore {
 public:
  // The entry list grows by half its capacity, at least kGrowth entries, so that adding n
  // entries moves each existing one only a constant number of times on average.
  static constexpr size_t kGrowth = 16;

  uint32_t Count() const { return static_cast<uint32_t>(entries_.size()); }

  // Status of a handle read from a record: DBERR_BLOBNOTFETCHED for a negative (not fetched)
  // handle, DBERR_INVALIDBLOBHANDLE for one beyond the list, 0 otherwise (0 itself is "no data").
  DBResult CheckHandle(int32_t handle) const;

  // Data and length of entry `handle`. REQUIRES: 1 <= handle <= Count().
  const uint8_t* Data(uint32_t handle) const { return entries_[handle - 1].Data(); }
  uint32_t Length(uint32_t handle) const { return entries_[handle - 1].Length(); }

  // Makes room for `count` more entries at once (a packet import that knows its row count).
  // DBERR_NOMEMORY when out of memory (the store is unchanged).
  DBResult Reserve(size_t count);
  // New entry with a copy of `data`; its number goes to *handle. DBERR_NOMEMORY when out of memory.
  DBResult Add(const void* data, uint32_t length, uint32_t* handle);
  // Keeps `buffer` alive while entries borrow from it; AddBorrowed may then point into it.
  // DBERR_NOMEMORY when out of memory.
  DBResult HoldBuffer(std::shared_ptr<const void> buffer);
  // New entry whose bytes stay where they are. REQUIRES: `data` .. `data + length` lies in a
  // buffer held through HoldBuffer. DBERR_NOMEMORY when out of memory.
  DBResult AddBorrowed(const uint8_t* data, uint32_t length, uint32_t* handle);
  // Lets go of the held buffers when no entry borrows from them.
  void ReleaseIdleBuffers();
  // Writes `data` at `offset` of entry `handle`, extending it as needed.
  DBResult Write(uint32_t handle, uint32_t offset, const void* data, uint32_t length);
  // Empties an entry (its number stays taken).
  void Free(uint32_t handle);

  // Entries written so far stay from now on.
  void Commit() { committed_ = Count(); }
  // Drops the entries added since the last commit.
  void ReleaseUncommitted();
  uint32_t CommittedCount() const { return committed_; }
  size_t HeldBufferCount() const { return held_.size(); }

  void Clear();

 private:
  struct Entry {
    std::vector<uint8_t> owned;         // the bytes of an entry that is not borrowed
    const uint8_t* borrowed = nullptr;  // else where its bytes lie in a held buffer
    uint32_t borrowedLength = 0;

    const uint8_t* Data() const { return borrowed ? borrowed : owned.data(); }
    uint32_t Length() const {
      return borrowed ? borrowedLength : static_cast<uint32_t>(owned.size());
    }
  };
  DBResult Append(Entry entry, uint32_t* handle);
  // Turns a borrowed entry into an owned one (before it is written or freed).
  DBResult Unborrow(Entry& entry);

  std::vector<Entry> entries_;
  uint32_t committed_ = 0;  // entries 1 .. committed_ survive ReleaseUncommitted
  std::vector<std::shared_ptr<const void>> held_;  // buffers borrowed entries point into
  size_t borrowedCount_ = 0;                       // entries that borrow
};

}  // namespace dsengine
