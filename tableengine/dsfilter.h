// The filtered index DSIDXFILT: a view of the table that keeps only the records passing every
// filter of its list, in the order of the index it was made from. Made through the factory
// MakeFilteredIndex that cursors use for their first filter; registered with the table, so every
// later insert, modify and delete by any cursor is checked against the filters (Accepts).
// All calls run inside the table's lock; the index and its programs are not shared otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "tableengine/dsbase.h"
#include "tableengine/dscursor.h"
#include "tableengine/filterprog.h"

namespace dsengine {

class DSIDXFILT : public DSFilteredIndex {
 public:
  explicit DSIDXFILT(DSBASE& table);

  // Compiles the canonical expression (copied) and appends it to the list with the next handle,
  // then refills the index from `source` in its order, or from all live records when null.
  // 11871 for operand types without an operation, 9986 for a malformed block, 9473 when out of
  // memory; on failure the list, the index and *handle are unchanged.
  DBResult AddFilter(const uint8_t* expr, uint32_t size, const DSIDX* source,
                     uint32_t* handle) override;
  // Removes a filter and refills the index from a registered ordinary index with the same key
  // fields and flags, else from all live records. 8712 for a handle not in the list, 10756 when
  // there is no list. The list is discarded when its last filter goes.
  DBResult DropFilter(uint32_t handle) override;

  // A record belongs to the view when every filter passes it (the first failing one stops).
  bool Accepts(uint32_t rec) override;
  bool TestsRecords() const override { return !filters_.empty(); }
  // First sizing of the position array: live + 10 up to 500 live records, else live / 5 + 10.
  uint32_t InitialCapacity(uint32_t liveCount) const override;

  size_t FilterCount() const { return filters_.size(); }

 private:
  struct Filter {
    uint32_t handle;
    std::vector<uint8_t> expression;  // the canonical expression as added
    std::unique_ptr<FilterProgram> program;
    uint32_t kind = 0;  // 0: an expression filter
  };
  // Fetches blob data for the programs from the table's blob store.
  class TableBlobs : public FilterBlobSource {
   public:
    explicit TableBlobs(const DSBASE& table) : table_(table) {}
    bool GetBlob(uint16_t fieldNumber, int32_t handle, const char*& data, size_t& length) override;

   private:
    const DSBASE& table_;
  };

  // The record being tested, read in place from the table's columns.
  class StoredRecord : public FilterRecordSource {
   public:
    StoredRecord(const DSBASE& table, uint32_t rec) : table_(table), rec_(rec) {}
    const uint8_t* Value(uint32_t field) const override { return table_.ValuePtr(rec_, field); }
    uint8_t NullFlag(uint32_t field) const override { return table_.NullFlagOf(rec_, field); }

   private:
    const DSBASE& table_;
    uint32_t rec_;
  };

  std::vector<Filter> filters_;
  bool hasList_ = false;
  uint32_t nextHandle_ = 1;
  TableBlobs blobs_;
};

// The factory cursors take (FilteredIndexFactory): an empty, unregistered DSIDXFILT ordered by
// the key fields and flags of `keys`.
DBResult MakeFilteredIndex(DSBASE& table, const IndexDescriptor& keys,
                           std::unique_ptr<DSFilteredIndex>* made);

}  // namespace dsengine
