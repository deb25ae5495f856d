// Indexes of a table (DSIDX): an array of record numbers kept in key order, with the 236-byte
// index descriptor, key comparers by engine type, and the change index (DSIDXCHG). Owned and
// registered by DSBASE; cursors adopt them (use count). All calls run inside the table's lock.
//
// Extension points for derived index kinds (the filtered index DSIDXFILT derives from DSIDX):
//   Accepts(rec)            whether a record belongs in this index at all (default: yes). The
//                           insertion, replacement and build paths all consult it; it must
//                           depend on the record alone (a build may ask in any order).
//   TestsRecords()          whether Accepts can say no (default: no).
//   InitialCapacity(live)   positions allocated by the first build (default: live + 10).
//   Build(source)           fills the index; derived kinds may wrap it (e.g. to skip the
//                           source when their rule differs).
//   SortAppended()          sorts what a build from all records appended (default:
//                           SortPositions); a kind that knows a current key order of the
//                           records may answer the sort's comparisons from it instead.
//   InsertRecord / RemoveRecord / ReplaceRecord
//                           the maintenance calls DSBASE makes for every table change; virtual so
//                           a kind can opt out (DSIDXCHG) or add work.
//   RebuildInPlace(desc, source)
//                           sort-on-fields rebuild of a temporary or filtered index; a filtered
//                           index keeps its filters because only the descriptor changes.
#pragma once

#include <cstdint>
#include <vector>

#include "tableengine/dsstatus.h"

namespace dsengine {

class DSBASE;

constexpr uint32_t kMaxKeyFields = 16;
inline constexpr char kDefaultIndexName[] = "DEFAULT_ORDER";
inline constexpr char kChangeIndexName[] = "CHANGEINDEX";

// OFFSET SIZE     MEMBER
//    0    32      name             NUL-terminated, at most 31 characters
//   32     4      fieldCount       number of key fields, at most 16
//   36    16 x 4  fields           key field numbers (1-based) in key order
//  100     4      reserved
//  104     4      unique           non-zero: no two records may have equal keys
//  108    16 x 4  descending       per key field, non-zero: descending
//  172    16 x 4  caseInsensitive  per key field, non-zero: strings compared ignoring case
struct IndexDescriptor {
  char name[32];
  uint32_t fieldCount;
  uint32_t fields[kMaxKeyFields];
  uint32_t reserved;
  uint32_t unique;
  uint32_t descending[kMaxKeyFields];
  uint32_t caseInsensitive[kMaxKeyFields];
};
static_assert(sizeof(IndexDescriptor) == 236, "the index descriptor is exchanged with the facade");

// True when both have the same key fields with the same flags and the same unique flag.
bool SameKeys(const IndexDescriptor& a, const IndexDescriptor& b);

enum IndexKind : uint32_t {
  kIndexOrdinary = 1,
  kIndexChange = 2,
  kIndexFiltered = 3,
};

struct KeyField;
// Compares the values of one key field of two records that both hold a value: <0, 0, >0.
using KeyCompareFn = int (*)(const KeyField& key, const uint8_t* a, const uint8_t* b);

// One key field with its comparer (FLDString, FLDInt32, ... by engine type).
struct KeyField {
  uint32_t field;     // 1-based field number
  uint32_t type;      // engine type of the field
  uint32_t length;    // bytes of the field in a record
  uint32_t units1;    // digits of a packed decimal
  uint32_t lcid;      // table locale, for strings
  uint32_t cmpFlags;  // platform::kNormIgnoreCase or 0, for strings
  bool descending;
  KeyCompareFn compare;
};

// The comparer for an engine type; nullptr when the type cannot be a key (blob, structures,
// nested tables, unknown types).
KeyCompareFn KeyComparerForType(uint32_t type);

class DSIDX {
 public:
  DSIDX(DSBASE& table, IndexKind kind);
  virtual ~DSIDX();
  DSIDX(const DSIDX&) = delete;
  DSIDX& operator=(const DSIDX&) = delete;

  DSBASE& Table() const { return table_; }
  IndexKind Kind() const { return kind_; }
  const IndexDescriptor& Descriptor() const { return desc_; }
  const char* Name() const { return desc_.name; }
  uint32_t KeyFieldCount() const { return desc_.fieldCount; }
  bool HasKeys() const { return desc_.fieldCount != 0; }
  bool IsUnique() const { return desc_.unique != 0 && HasKeys(); }

  // Takes a descriptor and makes the key comparers. DBERR_INVALIDPARAM for a bad key field number
  // or too many key fields, DBERR_INVALIDFLDTYPE for a key field whose type cannot be compared.
  // Does not rebuild.
  DBResult SetDescriptor(const IndexDescriptor& desc);

  // Number of records, and the record at a position. REQUIRES: 1 <= pos <= Count().
  uint32_t Count() const { return count_; }
  uint32_t RecordAt(uint32_t pos) const { return static_cast<uint32_t>(pos_[pos]); }
  // The position array: [0] = 0, [1 .. Count()] = records, [Count() + 1] = -1.
  const int32_t* Positions() const { return pos_.data(); }
  // Position of a record (its first, in the change index), 0 when absent. Keyed indexes search
  // by key (equal keys sit together); an index without key fields answers from its
  // record-to-position map, filled in one pass by the first search after a build or sort and
  // kept up to date by every change after that (an insertion or removal renumbers the entries
  // behind it, which the shift of the array costs anyway).
  uint32_t FindPosition(uint32_t rec) const;
  // Tells the index that `rec` stands at `pos` (a cursor on it knows), so that the next
  // FindPosition(rec) needs no search. Ignored unless the index has key fields (where a record
  // is listed once) and RecordAt(pos) == rec.
  void NotePosition(uint32_t rec, uint32_t pos) const;

  // Increases with every insertion, removal, replacement and rebuild.
  uint32_t ChangeCounter() const { return changes_; }
  // Unique within the table; given at registration.
  uint32_t Identity() const { return identity_; }
  void SetIdentity(uint32_t id) { identity_ = id; }
  bool IsTemporary() const { return temporary_; }
  void SetTemporary(bool t) { temporary_ = t; }
  uint32_t UseCount() const { return useCount_; }
  void AddUse() { ++useCount_; }
  // Returns the remaining use count.
  uint32_t DropUse() { return --useCount_; }
  // Position at which the next record goes in an index without key fields (0 = append).
  void SetInsertHint(uint32_t pos) { insertHint_ = pos; }
  uint32_t InsertHint() const { return insertHint_; }
  // True once an explicit descriptor replaced the default index's empty one.
  bool Redefined() const { return redefined_; }
  void SetRedefined() { redefined_ = true; }

  // Key comparison of two stored records over all key fields: <0, 0, >0. Blank sorts first.
  int CompareRecords(uint32_t a, uint32_t b) const;

  // ---- Extension points (see the header comment) ----
  virtual bool Accepts(uint32_t rec);
  // True when Accepts may refuse records (a build then tests them in record-number order, which
  // reads the column store sequentially, before taking them in the source's order).
  virtual bool TestsRecords() const { return false; }
  virtual uint32_t InitialCapacity(uint32_t liveCount) const { return liveCount + 10; }
  virtual bool IsReadOnly() const { return false; }

  // Empties and fills the index. Records come from `source` in its order when given and this
  // index has key fields; else every visible record in record-number order. DBERR_KEYVIOL when a
  // unique index meets equal keys (the index is then left empty), DBERR_NOMEMORY when out of
  // memory.
  virtual DBResult Build(const DSIDX* source);
  // New descriptor, then Build(source). On failure the old descriptor is rebuilt.
  virtual DBResult RebuildInPlace(const IndexDescriptor& desc, const DSIDX* source);

  // Adds a record (skipped with status 0 when !Accepts). DBERR_KEYVIOL from a unique index that
  // holds an equal key, DBERR_NOMEMORY when the array cannot grow. On failure the index is
  // unchanged.
  virtual DBResult InsertRecord(uint32_t rec);
  // Removes a record; DBERR_NA when it is not in the index.
  virtual DBResult RemoveRecord(uint32_t rec);
  // The new version `newRec` of record `oldRec`: keeps the position when the key is unchanged
  // (or there are no keys), else moves it; enters/leaves the index as Accepts decides. On
  // failure the index is unchanged.
  virtual DBResult ReplaceRecord(uint32_t oldRec, uint32_t newRec);

  // Puts `rec` back at `pos` while a failed table change is rolled back. REQUIRES: the record
  // stood at `pos` before the change and the change has been taken out again.
  void PutBackAt(uint32_t pos, uint32_t rec);

 protected:
  // Grows the position array so `extra` more records fit (by 50 at a time).
  DBResult Reserve(uint32_t extra);
  void Empty();
  void Append(uint32_t rec);                  // REQUIRES: room reserved
  void InsertAt(uint32_t pos, uint32_t rec);  // REQUIRES: room reserved, 1 <= pos <= count+1
  void RemoveAt(uint32_t pos);
  void SetAt(uint32_t pos, uint32_t rec);  // REQUIRES: 1 <= pos <= count
  void Touch() { ++changes_; }
  // Position after the last record whose key is <= rec's key (binary search).
  uint32_t UpperBound(uint32_t rec) const;
  // ReplaceRecord of a keyed index when the key changed: the entry at `at` becomes newRec at
  // its key's place. DBERR_KEYVIOL (index unchanged) when a unique index holds newRec's key.
  DBResult MoveRecord(uint32_t at, uint32_t newRec);
  // Sorts positions 1 .. count (SortIndexEntries, dssort.h), comparing byte keys of the records
  // where every key field has them, else the records themselves. With `rankOf`, and when the
  // keys are totally ordered (no floating-point key), also fills rankOf[rec] for every record of
  // the index with its key rank (1 for the smallest key; equal ranks exactly for keys that compare
  // equal; 0 for records not in the index; sized to the table's next record number) and returns
  // true.
  bool SortPositions(std::vector<uint32_t>* rankOf = nullptr);
  // Sorts positions 1 .. count with the same sort, comparing rankOf[rec] instead of keys: the
  // same comparison results, so the same order, as SortPositions when the ranks are current.
  // REQUIRES: every record of the index is below rankOf.size().
  void SortPositionsByRank(const std::vector<uint32_t>& rankOf);
  virtual void SortAppended() { SortPositions(); }

 private:
  bool NeighboursUnique() const;
  bool KeysTotallyOrdered() const;
  // Fills rankOf from the sorted positions (see SortPositions); `stepsUp(p)` tells whether
  // position p's key is above position p - 1's.
  template <class StepsUp>
  bool RanksOfSorted(std::vector<uint32_t>* rankOf, const StepsUp& stepsUp) const;
  bool SortedLike(const DSIDX& source) const;
  uint32_t SearchPosition(uint32_t rec) const;
  DBResult TakeFromSource(const DSIDX& source, bool appendInOrder);
  // While the map is valid: the entry at `pos` came, or left.
  void MapFirst(uint32_t rec, uint32_t pos);
  void Unmap(uint32_t rec, uint32_t pos);
  void FillPositionMap() const;

  DSBASE& table_;
  IndexKind kind_;
  IndexDescriptor desc_{};
  KeyField keys_[kMaxKeyFields]{};
  std::vector<int32_t> pos_;  // count_ + 2 used, with sentinels
  uint32_t count_ = 0;
  uint32_t changes_ = 0;
  uint32_t identity_ = 0;
  bool temporary_ = false;
  bool redefined_ = false;
  uint32_t useCount_ = 1;
  uint32_t insertHint_ = 0;
  // Indexes without key fields: first position of each record number (0 = absent), valid
  // while mapValid_. Filled by the first search after a build or sort, kept by every change.
  mutable std::vector<uint32_t> positionOf_;
  mutable bool mapValid_ = false;
  // The last answer about a record's position: a search's, a cursor's note, or in a keyed index
  // the position a record was just put at (a modify asks for the old record's position twice
  // and the cursor for the new one's). Cleared whenever other positions change.
  mutable uint32_t foundRec_ = 0, foundPos_ = 0;
};

// The change index "CHANGEINDEX": lists the records of the change log in log order. Read-only to
// cursors; ordinary table maintenance passes it by, the table feeds it from the log.
class DSIDXCHG : public DSIDX {
 public:
  explicit DSIDXCHG(DSBASE& table);
  bool IsReadOnly() const override { return true; }
  DBResult Build(const DSIDX* source) override;
  DBResult InsertRecord(uint32_t) override { return DBERR_NONE; }
  DBResult RemoveRecord(uint32_t) override { return DBERR_NONE; }
  DBResult ReplaceRecord(uint32_t, uint32_t) override { return DBERR_NONE; }

  // Called by the table before (room for one entry) and after a log entry is appended, and
  // after one is dropped. LogAppended cannot fail once ReserveOne succeeded.
  DBResult ReserveOne() { return Reserve(1); }
  void LogAppended(uint32_t rec);
  void LogDropped();
};

}  // namespace dsengine
