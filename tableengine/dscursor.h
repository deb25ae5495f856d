// Cursors of a table (DSCursor, seen by the facade as IDSCursor): a movable position in one
// index of a DSBASE, with moves, record counts, sequence numbers, 20-byte bookmarks, record and
// field access, editing, sort order and filters. The facade keeps one cursor per open dataset.
// Lifetime: the table must outlive its cursors; destroying a cursor releases its index (an
// index nobody uses any more is freed) and with it the cursor's filters.
// Thread-safety: every operation enters the table's re-entrant lock, so cursors of one table may
// be used from several threads; one cursor object is still meant for one user at a time.
//
// State. A cursor stands at a position of its current index: 1 .. Count() on a record, 0 before
// the first record, Count() + 1 after the last. Its status says what the position means:
//   0                      on a record (the "current record"; Valid() in the contracts below)
//   DBERR_BOF              at the beginning
//   DBERR_EOF              at the end
//   DBERR_KEYORRECDELETED  the current record vanished (deleted, or left the view); the
//                          position now designates the record that followed it, so +1 lands there
//   DBERR_NOCURRREC        no current record (set by the facade before an insert, or after an
//                          insert that the cursor's filtered view does not take)
// Synchronisation. Each index counts its changes. Every operation first compares that counter
// with the cursor's snapshot; when it differs (another cursor, or a filter rebuild, changed the
// index) the cursor looks for its record again: at its old position, else by record number
// (following newer versions of a modified record through the change log). Not found: status
// DBERR_KEYORRECDELETED with the position kept. At the beginning or the end the cursor stays there.
//
// Reading rows for a grid. A grid showing 10 rows of a 100,000-record view needs those 10 rows
// only: GetRecordAt(seqNo, ...) copies the record at any sequence number (with its attribute and
// bookmark) without moving the cursor, in constant time per row. Read the current sequence
// number, then the rows around it. Record count and moves to a sequence number are constant
// time as well; only a resynchronisation after a change searches the index.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "tableengine/dsbase.h"
#include "tableengine/dsbookmark.h"
#include "tableengine/dsindex.h"

namespace dsengine {

// ---- The filtered index the cursor works with -------------------------------------------------
// A filtered index is a DSIDX of kind kIndexFiltered that carries a list of filters and keeps
// only records passing all of them (its Accepts(rec)), in the order of the key description it was
// made with. The filter engine's DSIDXFILT derives from this class and supplies a factory; the
// cursor needs nothing else of it:
//   - AddFilter(expr, size, source, &handle): compile the canonical expression, append it to the
//     list (handles 1, 2, ... per list, never reused) and refill the index: from `source` in its
//     order when given (the first filter: `source` is the cursor's previous index), else from all
//     live records. On failure (DBERR_TYPEMISMATCH type mismatch, DBERR_INVALIDPARAM malformed
//     block, DBERR_NOMEMORY out of memory) the list, the index and *handle are unchanged.
//   - DropFilter(handle): remove that filter (DBERR_OBJNOTFOUND for a handle not in the list,
//     DBERR_NA when the index has no filters left) and refill the index with the remaining ones.
//     The index stays the cursor's current index; the cursor resynchronises by the change counter.
// The table keeps it registered, so every later insert, modify and delete by any cursor is
// checked against its filters through Accepts (see dsindex.h).
class DSFilteredIndex : public DSIDX {
 public:
  explicit DSFilteredIndex(DSBASE& table) : DSIDX(table, kIndexFiltered) {}
  virtual DBResult AddFilter(const uint8_t* expr, uint32_t size, const DSIDX* source,
                             uint32_t* handle) = 0;
  virtual DBResult DropFilter(uint32_t handle) = 0;
};

// Makes an empty, unregistered filtered index with no filters yet, ordered by the key fields and
// flags of `keys` (the descriptor of the cursor's current index). Statuses as SetDescriptor, or
// DBERR_NOMEMORY; *made is set only on success.
using FilteredIndexFactory = DBResult (*)(DSBASE& table, const IndexDescriptor& keys,
                                          std::unique_ptr<DSFilteredIndex>* made);

// Cursor properties for the facade.
struct CursorProps {
  uint32_t recordSize;    // flat record: field lengths + one null flag per field
  uint32_t bookmarkSize;  // kBookmarkSize (20)
  bool readOnly;          // the table is read-only
};

// The facade's view of a cursor. Every operation returns a status; DBERR_NA before Attach.
class IDSCursor {
 public:
  virtual ~IDSCursor() = default;

  // Attaches to a created table: default index, at the beginning. DBERR_NA when already attached,
  // DBERR_INVALIDPARAM for a table that is not a created DSBASE.
  virtual DBResult Attach(IDSBase* table) = 0;
  virtual DBResult GetCursorProps(CursorProps* props) = 0;
  // The cursor's copy of the field descriptors (field count entries).
  virtual DBResult GetFieldDescs(FieldDescriptor* fields) = 0;

  // ---- Navigation ----
  // 0; after this call the status is DBERR_BOF (DBERR_EOF).
  virtual DBResult MoveToBOF() = 0;
  virtual DBResult MoveToEOF() = 0;
  // n > 0 forward, n < 0 backward, 0 returns the status unchanged. From the beginning the first
  // step lands on the first record; from the end the first step back on the last; from
  // DBERR_KEYORRECDELETED a forward step of 1 lands on the record that followed the vanished one
  // and a backward step of 1 on the one before it; from DBERR_NOCURRREC steps count from the kept
  // position. Returns 0 and Valid() iff the target is a record; else the cursor is at the beginning
  // (DBERR_BOF) or the end (DBERR_EOF) and that status is returned.
  virtual DBResult MoveRelative(int32_t n) = 0;
  // 1-based: Valid() iff 1 <= n <= record count; n = 0 gives DBERR_BOF, beyond the count DBERR_EOF.
  virtual DBResult MoveToSeqNo(uint32_t n) = 0;
  // Copies the current record (flat layout) into `record`; nullptr only checks. Returns the
  // status: the record is copied iff it is 0.
  virtual DBResult GetCurrentRecord(uint8_t* record) = 0;
  // Copies the record at sequence number `seqNo` without moving the cursor; each output may be
  // nullptr. DBERR_BOF for 0, DBERR_EOF beyond the count.
  virtual DBResult GetRecordAt(uint32_t seqNo, uint8_t* record, uint8_t* attribute,
                               uint8_t* bookmark) = 0;
  // Records in the current view (the index within its range).
  virtual DBResult GetRecordCount(uint32_t* count) = 0;
  // 1-based position of the current record; REQUIRES Valid(), else the status is returned.
  virtual DBResult GetSequenceNumber(uint32_t* seqNo) = 0;
  // REQUIRES Valid(), else the status is returned: the attribute byte of the current record.
  virtual DBResult GetRecordAttribute(uint8_t* attribute) = 0;
  // Status DBERR_NOCURRREC with the position kept (the facade's new, not yet posted record).
  virtual DBResult SetNoCurrentRecord() = 0;

  // ---- Bookmarks (kBookmarkSize bytes) ----
  virtual DBResult GetBookmark(uint8_t* bookmark) = 0;
  // Same index and unchanged counter: the bookmark's position; else its record is searched by
  // number (newer versions followed). Found within the view: the bookmark's status is restored
  // (0 puts the cursor on the record); a position past the end: the end; anything else (record
  // gone, bookmark of the beginning): the beginning. Returns 0 when the cursor ends on a record,
  // else its status.
  virtual DBResult MoveToBookmark(const uint8_t* bookmark) = 0;
  // Compares the positions of two bookmarks: *result -1, 0 or 1.
  virtual DBResult CompareBookmarks(const uint8_t* a, const uint8_t* b, int32_t* result) = 0;

  // ---- Record buffers: fields and blobs (the table's rules) ----
  virtual DBResult InitRecord(uint8_t* record) = 0;
  virtual DBResult PutField(uint8_t* record, uint32_t field, const void* value) = 0;
  virtual DBResult GetField(const uint8_t* record, uint32_t field, void* value,
                            uint8_t* nullFlag) = 0;
  virtual DBResult GetBlobLength(const uint8_t* record, uint32_t field, uint32_t* length) = 0;
  virtual DBResult GetBlob(const uint8_t* record, uint32_t field, uint32_t offset, uint32_t length,
                           void* data, uint32_t* copied) = 0;
  virtual DBResult PutBlob(uint8_t* record, uint32_t field, uint32_t offset, const void* data,
                           uint32_t length) = 0;

  // ---- Editing ----
  // Inserts the record. In an index without key fields it goes ahead of the current record when
  // Valid(), else to the end. After success the new record is current (Valid()), or, when the
  // cursor's filtered view does not take it, the status is DBERR_NOCURRREC with the position kept.
  virtual DBResult InsertRecord(const uint8_t* record) = 0;
  // REQUIRES Valid(), else the status is returned. After success the new version is current, or
  // (it left a filtered view) the status is DBERR_KEYORRECDELETED at the old position.
  virtual DBResult ModifyRecord(const uint8_t* record) = 0;
  // REQUIRES Valid(), else the status is returned. After success the status is
  // DBERR_KEYORRECDELETED and the position designates the record that followed the deleted one.
  virtual DBResult DeleteRecord() = 0;
  // Reverts the table's newest change (DBERR_NOTHINGTOUNDO when there is none). With `follow` the
  // cursor goes to the record the undo restored (when the view holds it); otherwise it
  // resynchronises.
  virtual DBResult UndoLastChange(bool follow) = 0;

  // ---- Order and filters ----
  // Switches to a temporary index on these fields (flags may be nullptr = all off). The current
  // record stays current when it was Valid() and the new view holds it; otherwise the cursor is
  // at the beginning. DBERR_INVALIDPARAM / DBERR_INVALIDFLDTYPE for bad fields (cursor unchanged).
  virtual DBResult SortOnFields(uint32_t count, const uint32_t* fields, const bool* descending,
                                const bool* caseInsensitive) = 0;
  // Switches to a registered index by name (empty: the default order); DBERR_NOSUCHINDEX when none.
  // Current record as for SortOnFields.
  virtual DBResult UseIndexOrder(const char* name) = 0;
  // The descriptor of the current index.
  virtual DBResult GetIndexDescriptor(IndexDescriptor* desc) = 0;
  // Adds a filter (canonical expression of `size` bytes); *handle gets its handle. The view
  // becomes a filtered index; the cursor then moves to its bookmark: the current record stays
  // current when the filtered view holds it, else (and from the beginning or the end) the
  // cursor is at the beginning. On failure the view and the position are unchanged.
  // DBERR_NOTSUPPORTED when the cursor was made without a filtered-index factory.
  virtual DBResult AddFilter(const uint8_t* expr, uint32_t size, uint32_t* handle) = 0;
  // Drops a filter of the current filtered index; the cursor does not move (its next operation
  // resynchronises). 0 and nothing done for handle 0; DBERR_NA when the view is not filtered.
  virtual DBResult DropFilter(uint32_t handle) = 0;
};

class DSCursor : public IDSCursor {
 public:
  // `makeFiltered` is used by AddFilter to make the first filtered index (nullptr: no filters).
  explicit DSCursor(FilteredIndexFactory makeFiltered = nullptr);
  ~DSCursor() override;
  DSCursor(const DSCursor&) = delete;
  DSCursor& operator=(const DSCursor&) = delete;

  DBResult Attach(IDSBase* table) override;
  DBResult GetCursorProps(CursorProps* props) override;
  DBResult GetFieldDescs(FieldDescriptor* fields) override;

  DBResult MoveToBOF() override;
  DBResult MoveToEOF() override;
  DBResult MoveRelative(int32_t n) override;
  DBResult MoveToSeqNo(uint32_t n) override;
  DBResult GetCurrentRecord(uint8_t* record) override;
  DBResult GetRecordAt(uint32_t seqNo, uint8_t* record, uint8_t* attribute,
                       uint8_t* bookmark) override;
  DBResult GetRecordCount(uint32_t* count) override;
  DBResult GetSequenceNumber(uint32_t* seqNo) override;
  DBResult GetRecordAttribute(uint8_t* attribute) override;
  DBResult SetNoCurrentRecord() override;

  DBResult GetBookmark(uint8_t* bookmark) override;
  DBResult MoveToBookmark(const uint8_t* bookmark) override;
  DBResult CompareBookmarks(const uint8_t* a, const uint8_t* b, int32_t* result) override;

  DBResult InitRecord(uint8_t* record) override;
  DBResult PutField(uint8_t* record, uint32_t field, const void* value) override;
  DBResult GetField(const uint8_t* record, uint32_t field, void* value, uint8_t* nullFlag) override;
  DBResult GetBlobLength(const uint8_t* record, uint32_t field, uint32_t* length) override;
  DBResult GetBlob(const uint8_t* record, uint32_t field, uint32_t offset, uint32_t length,
                   void* data, uint32_t* copied) override;
  DBResult PutBlob(uint8_t* record, uint32_t field, uint32_t offset, const void* data,
                   uint32_t length) override;

  DBResult InsertRecord(const uint8_t* record) override;
  DBResult ModifyRecord(const uint8_t* record) override;
  DBResult DeleteRecord() override;
  DBResult UndoLastChange(bool follow) override;

  DBResult SortOnFields(uint32_t count, const uint32_t* fields, const bool* descending,
                        const bool* caseInsensitive) override;
  DBResult UseIndexOrder(const char* name) override;
  DBResult GetIndexDescriptor(IndexDescriptor* desc) override;
  DBResult AddFilter(const uint8_t* expr, uint32_t size, uint32_t* handle) override;
  DBResult DropFilter(uint32_t handle) override;

  // ---- Engine-internal inspection (tests, the facade's diagnostics) ----
  // The status after synchronising, without moving.
  DBResult Status();
  DSIDX* CurrentIndex() const { return index_; }

 private:
  // Brings range, position and status up to date with the index's change counter.
  void Synchronise();
  // After switching to another index (or rebuilding this one): range and snapshot renewed, at
  // the beginning.
  void ResetToIndex();
  // Position of `*rec` in the current index, following newer versions of a modified record
  // (updating *rec); 0 when the view does not hold it.
  uint32_t Locate(uint32_t* rec) const;
  uint32_t NewerVersion(uint32_t rec) const;
  Bookmark TakeBookmark() const;
  DBResult GoToBookmark(const Bookmark& b);
  void SetOnRecord(uint32_t position);
  void SetBOF();
  void SetEOF();
  // The cursor's own change left `newRec` current: on it when the view holds it, else status
  // `missingStatus` at the kept position. `hint`: where it probably is (0: no idea).
  void AfterOwnChange(uint32_t newRec, uint32_t hint, DBResult missingStatus);
  // Makes `index` current and moves to `before` in it: always (filters), or only when the
  // bookmark was taken on a record (order changes); else the cursor is at the beginning.
  DBResult SwitchIndex(DSIDX* index, const Bookmark& before, bool always);
  bool HoldsAt(uint32_t position, uint32_t rec) const;

  FilteredIndexFactory makeFiltered_;
  DSBASE* table_ = nullptr;
  DSIDX* index_ = nullptr;               // adopted (use count) while attached
  std::vector<FieldDescriptor> fields_;  // the cursor's copy of the table's descriptors
  uint32_t position_ = 0;                // 0 .. upper_ + 1
  DBResult status_ = DBERR_BOF;
  uint32_t record_ = 0;  // record number when the position was last taken
  uint32_t lower_ = 1;   // range: 1 .. count (no key ranges)
  uint32_t upper_ = 0;
  uint32_t snapshot_ = 0;  // index change counter at the last synchronisation
};

}  // namespace dsengine
