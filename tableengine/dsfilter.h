// The filtered index DSIDXFILT: a view of the table that keeps only the records passing every
// filter of its list, in the order of the index it was made from. Made through the factory
// MakeFilteredIndex that cursors use for their first filter; registered with the table, so every
// later insert, modify and delete by any cursor is checked against the filters (Accepts).
// All calls run inside the table's lock; the index and its programs are not shared otherwise.
//
// While the filter list is empty the index holds every indexable record in key order. The last
// such view built from all records is remembered with each record's key rank, as long as the
// table does not change (every change reaches a registered index through Insert/Remove/
// ReplaceRecord, which forget it, or through a rebuild the table asks for, which does too): a
// rebuild after a filter is added or dropped then sorts the passing records by rank (the same
// comparison results as by key, so the same order, equal keys included), and a rebuild back to
// the complete view takes the remembered order.
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
  // DBERR_TYPEMISMATCH for operand types without an operation, DBERR_INVALIDPARAM for a malformed
  // block, DBERR_NOMEMORY when out of memory; on failure the list, the index and *handle are
  // unchanged.
  DBResult AddFilter(const uint8_t* expr, uint32_t size, const DSIDX* source,
                     uint32_t* handle) override;
  // Removes a filter and refills the index from a registered ordinary index with the same key
  // fields and flags, else from all live records. DBERR_OBJNOTFOUND for a handle not in the list,
  // DBERR_NA when there is no list. The list is discarded when its last filter goes.
  DBResult DropFilter(uint32_t handle) override;

  // A record belongs to the view when every filter passes it (the first failing one stops).
  bool Accepts(uint32_t rec) override;
  bool TestsRecords() const override { return !filters_.empty(); }
  DBResult Build(const DSIDX* source) override;
  DBResult InsertRecord(uint32_t rec) override;
  DBResult RemoveRecord(uint32_t rec) override;
  DBResult ReplaceRecord(uint32_t oldRec, uint32_t newRec) override;
  // First sizing of the position array: live + 10 up to 500 live records, else live / 5 + 10.
  uint32_t InitialCapacity(uint32_t liveCount) const override;

  size_t FilterCount() const { return filters_.size(); }
  // True while a remembered complete view is current (builds then use it).
  bool RemembersKeyOrder() const;

 protected:
  void SortAppended() override;

 private:
  // The complete view as the last build from all records made it, and the key rank of each of
  // its records (equal exactly for keys that compare equal).
  struct KeyOrder {
    bool valid = false;
    IndexDescriptor keys{};        // the descriptor it was sorted under
    uint32_t locale = 0;           // the table's locale then
    uint32_t recordLimit = 0;      // the table's next record number then
    std::vector<int32_t> order;    // the view's records in order
    std::vector<uint32_t> rankOf;  // by record number; 0 for records not in the view
  };
  // How SortAppended sorts during the current Build: by keys; by keys, remembering the result
  // as the complete view; or by the remembered ranks.
  enum class SortMode : uint8_t { kKeys, kRecordKeyOrder, kByRank };
  // Refills the complete view from the remembered order when the table's indexable records
  // are exactly the remembered ones. False (index untouched) otherwise.
  bool RestoreKeyOrder(DBResult* status);
  // After the list changed: the field the first filter searches (FilterProgram::SearchField).
  void ListChanged();
  // Build after the filter list changed (the only builds that may use the remembered order).
  DBResult BuildForFilters(const DSIDX* source);

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
  KeyOrder keyOrder_;
  SortMode sortMode_ = SortMode::kKeys;
  uint32_t searchField_ = 0;      // fetched ahead while records are tested; 0 for none
  bool changingFilters_ = false;  // inside BuildForFilters
  bool hasList_ = false;
  uint32_t nextHandle_ = 1;
  TableBlobs blobs_;
};

// The factory cursors take (FilteredIndexFactory): an empty, unregistered DSIDXFILT ordered by
// the key fields and flags of `keys`.
DBResult MakeFilteredIndex(DSBASE& table, const IndexDescriptor& keys,
                           std::unique_ptr<DSFilteredIndex>* made);

}  // namespace dsengine
