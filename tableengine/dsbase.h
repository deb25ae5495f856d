// The in-memory table (DSBASE) and the interface the facade sees it through (IDSBase): field
// descriptors and layout, the column-wise record store with attribute bytes and null flags, the
// blob store, the change log, the auto-increment counter and the index list.
// Users: the facade (IDSBase), cursors, filters and the packet layer (DSBASE's internal part).
// Thread-safety: every public operation enters the table's re-entrant lock; calls made from
// inside a locked operation re-enter it. The engine never throws: results are status codes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/lock.h"
#include "platform/prefault.h"
#include "tableengine/dsblob.h"
#include "tableengine/dschangelog.h"
#include "tableengine/dsindex.h"
#include "tableengine/dsstatus.h"
#include "tableengine/fielddesc.h"
#include "tableengine/zeroedbytes.h"

namespace dsengine {

// Table properties (get/set property).
enum DSProp : uint32_t {
  dspropLOGCHANGES = 0,       // bool: change logging on (default) or off
  dspropREADONLY = 1,         // bool: table is read-only
  dspropNOOFCHANGES = 2,      // get: net number of changes in the log (folded)
  dspropRECORDSINDS = 5,      // get: live record count
  dspropUPDATEMODE = 18,      // the update mode a packet's "UPDATEMODE" gave (kept, not acted on)
  dspropSTREAMMODE = 19,      // packet form of the next export: 0 binary, 5 XML, 13 UTF-8 XML
  dspropDISABLEDELETES = 20,  // bool: deletes refused while changes are logged
  dspropDISABLEINSERTS = 21,  // bool: inserts refused while changes are logged
  dspropDISABLEEDITS = 22,    // bool: modifications refused while changes are logged
  dspropTRIMSTRINGS = 23,     // bool: put-field trims trailing blanks from strings (default on)
};

// A packet parameter the table keeps as it came and writes back unchanged on every export.
struct KeptParameter {
  uint32_t field;              // 1-based field number; 0 for a table parameter
  std::string name;            // as it came (at most 255 characters)
  uint32_t fieldType;          // field type word as it came, round-trip flag included
  std::vector<uint8_t> value;  // the value as the packet reader hands it out
};

// State a partly imported table keeps between its first and its follow-up packets; owned by
// the packet layer, held by the table so it lives and dies with the table's definition.
struct DSPendingImport {
  virtual ~DSPendingImport() = default;
};

// Record attribute byte, one per record slot.
enum RecordAttribute : uint8_t {
  dsRecSuperseded = 1,  // a newer version of this record exists
  dsRecDeleted = 2,
  dsRecInserted = 4,  // created by an insert, carried to later versions
  dsRecModified = 8,  // version created by a modify
  dsRecHidden = 32,   // slot of an undone change that could not be given back
};
constexpr uint8_t kRecInvisible = dsRecSuperseded | dsRecDeleted | dsRecHidden;

// Properties block returned by GetProps.
//   OFFSET SIZE MEMBER
//      0   261  name, NUL-terminated
//    261     4  field count
//    265     4  record size
//    269     4  bookmark size (20)
//    273     4  read-only flag
//    277     4  number of ordinary and change indexes
//    281     4  number of stored table parameters
//    285     4  delta-mode flag
//    289     4  locale identifier
//    293    32  zero
constexpr size_t kPropsSize = 325;
constexpr size_t kPropsNameSize = 261;
constexpr uint32_t kBookmarkSize = 20;
constexpr size_t kErrorTextSize = 128;  // get-error-text buffer (127 characters + NUL)
constexpr uint32_t kSlotGrowth = 100;   // fewest record slots added when the store is full

// The facade's view of a table.
class IDSBase {
 public:
  virtual ~IDSBase() = default;

  // Defines the fields; once per table (a second call does nothing and succeeds). Computes the
  // layout, finds the auto-increment field, makes the default and change indexes. On failure
  // the table is reset to empty. DBERR_INVALIDPARAM / DBERR_INVALIDFLDTYPE for bad descriptors.
  virtual DBResult CreateTable(uint32_t fieldCount, const FieldDescriptor* fields,
                               const char* name) = 0;
  // Copies the 325-byte properties block.
  virtual DBResult GetProps(uint8_t* props) = 0;
  // Copies the computed descriptors (field count entries).
  virtual DBResult GetFieldDescs(FieldDescriptor* fields) = 0;
  // Text of a status (at most 127 characters + NUL into `text`, kErrorTextSize bytes);
  // DBERR_OBJNOTFOUND and an empty text for an unknown code.
  virtual DBResult GetErrorString(DBResult code, char* text) = 0;
  virtual DBResult SetProp(uint32_t prop, uint32_t value) = 0;
  virtual DBResult GetProp(uint32_t prop, uint32_t* value) = 0;
  virtual DBResult CreateIndex(const IndexDescriptor* desc) = 0;
  virtual DBResult DeleteIndex(const char* name) = 0;
  // Releases the blobs written since the last successful insert or modify (cancel of an edit).
  virtual DBResult ReleaseBlobs() = 0;
};

// Calculated-field callback, run on the working record before an insert or modify is stored.
using CalcFieldsFn = DBResult (*)(void* context, uint8_t* record);
// Record constraint: true when `record` passes.
using RecordConstraintFn = bool (*)(void* context, const uint8_t* record);

class DSBASE : public IDSBase {
 public:
  DSBASE();
  ~DSBASE() override;

  // ---- IDSBase ----
  DBResult CreateTable(uint32_t fieldCount, const FieldDescriptor* fields,
                       const char* name) override;
  DBResult GetProps(uint8_t* props) override;
  DBResult GetFieldDescs(FieldDescriptor* fields) override;
  DBResult GetErrorString(DBResult code, char* text) override;
  DBResult SetProp(uint32_t prop, uint32_t value) override;
  DBResult GetProp(uint32_t prop, uint32_t* value) override;
  DBResult CreateIndex(const IndexDescriptor* desc) override;
  DBResult DeleteIndex(const char* name) override;
  DBResult ReleaseBlobs() override;

  platform::RecursiveLock& Lock() { return lock_; }

  // ---- Layout ----
  bool Created() const { return created_; }
  const std::string& Name() const { return name_; }
  uint32_t FieldCount() const { return static_cast<uint32_t>(fields_.size()); }
  // REQUIRES: 1 <= field <= FieldCount().
  const FieldDescriptor& Field(uint32_t field) const { return fields_[field - 1]; }
  uint32_t RecordSize() const { return recordSize_; }
  uint32_t NullStart() const { return recordSize_ - FieldCount(); }

  // ---- Record store ----
  // Records are numbered from 1; slots 1 .. NextRecordNumber() - 1 are in use.
  uint32_t NextRecordNumber() const { return nextRec_; }
  uint32_t Capacity() const { return capacity_; }
  uint32_t LiveCount() const { return live_; }
  // REQUIRES: 1 <= rec < NextRecordNumber() (or within capacity for the store's own use).
  uint8_t Attribute(uint32_t rec) const { return attrs_[rec - 1]; }
  bool Visible(uint32_t rec) const { return (attrs_[rec - 1] & kRecInvisible) == 0; }
  const uint8_t* ValuePtr(uint32_t rec, uint32_t field) const {
    return columns_[field - 1].data() + size_t(rec - 1) * fields_[field - 1].length;
  }
  uint8_t NullFlagOf(uint32_t rec, uint32_t field) const {
    return nulls_[size_t(rec - 1) * fields_.size() + field - 1];
  }

  // Record number to flat record; DBERR_OUTOFRANGE for 0 or a number at or beyond the next record
  // number.
  DBResult ReadRecord(uint32_t rec, uint8_t* record) const;
  // Flat record into a slot within capacity (values and null flags; the attribute is kept).
  DBResult WriteRecord(uint32_t rec, const uint8_t* record);
  // Value pointer and null flag of a stored field; field 0 gives the attribute byte (null flag
  // 0). DBERR_OUTOFRANGE for a bad record number, DBERR_INVALIDPARAM for a bad field number.
  DBResult FieldAccess(uint32_t rec, uint32_t field, uint8_t** value, uint8_t* nullFlag);
  // Makes room for one more slot (grows by half the capacity, at least kSlotGrowth); DBERR_NOMEMORY
  // leaves the table unchanged.
  DBResult EnsureSlot();
  // Makes room for `count` slots in all at once (a packet import that knows its row count).
  // DBERR_NOMEMORY leaves the table unchanged. REQUIRES: Created().
  DBResult ReserveSlots(uint32_t count);
  // Faults in the pages of the free slots' values on a thread of its own while the caller
  // fills them (a packet import after ReserveSlots). The slots may be written meanwhile; the
  // store must not grow (no slot beyond Capacity()) until the result has waited.
  platform::BackgroundPrefault PrefaultFreeSlots();
  void SetAttribute(uint32_t rec, uint8_t attr) { attrs_[rec - 1] = attr; }
  // Slots that indexes take: visible ones, or every slot of a delta table (it logs nothing).
  bool Indexable(uint32_t rec) const { return deltaMode_ || Visible(rec); }

  // ---- Loading (packet import) ----
  // Stores a record version as loaded, with its attribute byte, in the next slot; counts it as
  // live when neither deleted, superseded nor hidden (every version of a delta table is live).
  // Indexes are not touched: call RebuildIndexes once all records and the log are in.
  // DBERR_NOMEMORY when the store cannot grow.
  DBResult AppendStoredRecord(const uint8_t* record, uint8_t attribute, uint32_t* rec);
  // Rebuilds every index from the store (the change index from the log).
  DBResult RebuildIndexes();

  // ---- Flat record buffers (cursor operations) ----
  // Every field blank with null flag 2 and zero value bytes.
  DBResult InitRecord(uint8_t* record) const;
  // Puts a value (nullptr = blank, flag 1) into a flat record; strings are trimmed of trailing
  // blanks (unless property 23 is off) and zero-filled; packed decimals take the field's digits
  // and places. DBERR_INVALIDPARAM for a bad field number.
  DBResult PutField(uint8_t* record, uint32_t field, const void* value) const;
  // Copies the field's bytes (when `value` is not null) and gives its null flag.
  DBResult GetField(const uint8_t* record, uint32_t field, void* value, uint8_t* nullFlag) const;

  // ---- Blobs (through a flat record's blob field) ----
  // Writes `length` bytes at `offset`: offset 0 makes a new entry (writing nothing makes the
  // field blank); a later offset extends/overwrites the field's entry. DBERR_INVALIDPARAM for a
  // non-blob field.
  DBResult PutBlob(uint8_t* record, uint32_t field, uint32_t offset, const void* data,
                   uint32_t length);
  // Length of the field's blob (0 when none); DBERR_BLOBNOTFETCHED / DBERR_INVALIDBLOBHANDLE for a
  // bad handle.
  DBResult GetBlobLength(const uint8_t* record, uint32_t field, uint32_t* length) const;
  // Copies up to `length` bytes from `offset`; *copied gets the count.
  DBResult GetBlob(const uint8_t* record, uint32_t field, uint32_t offset, uint32_t length,
                   void* data, uint32_t* copied) const;
  BlobStore& Blobs() { return blobs_; }
  const BlobStore& Blobs() const { return blobs_; }
  bool HasBlobStore() const { return hasBlobs_; }

  // ---- Editing (cursor operations; `cursorIndex` is the cursor's current index) ----
  // Inserts `record`; *newRec gets its number. `insertPos` is the cursor's position in a
  // cursor index without key fields (0: append). Statuses: DBERR_INDEXREADONLY, DBERR_NA,
  // DBERR_REQDERR, DBERR_READONLY, DBERR_CONSTRAINTFAILED, DBERR_KEYVIOL, DBERR_NOMEMORY.
  DBResult InsertRecord(const uint8_t* record, DSIDX* cursorIndex, uint32_t insertPos,
                        uint32_t* newRec);
  // Stores `record` as the new version of `rec`; *newRec gets the version's number (rec itself
  // when nothing changed or logging is off). Statuses: DBERR_INDEXREADONLY, DBERR_KEYORRECDELETED,
  // DBERR_FIELDREADONLY, DBERR_REQDERR, DBERR_READONLY, DBERR_CONSTRAINTFAILED, DBERR_KEYVIOL,
  // DBERR_NOMEMORY.
  DBResult ModifyRecord(uint32_t rec, const uint8_t* record, DSIDX* cursorIndex, uint32_t* newRec);
  // Marks `rec` deleted. Statuses: DBERR_INDEXREADONLY, DBERR_NA, DBERR_READONLY, DBERR_NOMEMORY.
  DBResult DeleteRecord(uint32_t rec, DSIDX* cursorIndex);
  // Reverts the newest log entry; *followRec gets the record a following cursor should stand
  // on (0 for none). DBERR_NOTHINGTOUNDO when the log is empty.
  DBResult UndoLastChange(bool follow, uint32_t* followRec);
  // Net changes of the log (property 2).
  uint32_t ChangeCount() const;

  const ChangeLog& Log() const { return log_; }
  ChangeLog& MutableLog() { return log_; }
  bool LoggingOn() const { return logChanges_; }

  // ---- Auto-increment ----
  uint32_t AutoIncField() const { return autoIncField_; }  // 0 when none
  uint32_t AutoIncValue() const { return autoIncValue_; }
  void SetAutoIncValue(uint32_t v) { autoIncValue_ = v; }
  // Makes the first 4-byte field with the auto-increment sub-type the auto-increment field.
  void FindAutoIncField();

  // ---- Flags, locale, hooks ----
  uint32_t Locale() const { return locale_; }
  // Takes `lcid`, or 0 when the platform does not accept it as installed.
  void SetLocale(uint32_t lcid);
  bool ReadOnly() const { return readOnly_; }
  void SetDisableEdits(bool v) { disableEdits_ = v; }
  void SetDisableInserts(bool v) { disableInserts_ = v; }
  void SetDisableDeletes(bool v) { disableDeletes_ = v; }
  bool DisableEdits() const { return disableEdits_; }
  bool DisableInserts() const { return disableInserts_; }
  bool DisableDeletes() const { return disableDeletes_; }
  bool DeltaMode() const { return deltaMode_; }
  // A delta table logs no changes and refuses inserts and deletes.
  void SetDeltaMode(bool v) {
    deltaMode_ = v;
    if (v) logChanges_ = false;
  }
  // Table option bits a packet's "MD_SEMANTICS" sets (4, 8, 0x20); kept for the packet only.
  uint32_t TableOptions() const { return tableOptions_; }
  void SetTableOptions(uint32_t bits) { tableOptions_ = bits; }
  uint32_t StreamMode() const { return streamMode_; }

  // ---- Kept packet parameters (written back unchanged by every export) ----
  // In arrival order, table and field parameters together. DBERR_NOMEMORY when memory runs out.
  DBResult AddKeptParameter(uint32_t field, const char* name, uint32_t fieldType,
                            const uint8_t* value, uint32_t length);
  const std::vector<KeptParameter>& KeptParameters() const { return kept_; }

  // ---- Packet import ----
  // Drops the definition and everything stored (a failed import); properties set on the
  // object (logging, stream mode, locale, switches) stay.
  void ResetTable();
  DSPendingImport* PendingImport() const { return pending_.get(); }
  void SetPendingImport(std::unique_ptr<DSPendingImport> p) { pending_ = std::move(p); }
  void SetCalcFieldsCallback(CalcFieldsFn fn, void* context);
  // Adds a record constraint; `message` becomes the text of status DBERR_CONSTRAINTFAILED when it
  // fails.
  void AddConstraint(RecordConstraintFn fn, void* context, const std::string& message);

  // ---- Indexes ----
  // Registration order; the default index first, the change index second.
  const std::vector<std::unique_ptr<DSIDX>>& Indexes() const { return indexes_; }
  DSIDX* DefaultIndex() const { return indexes_.empty() ? nullptr : indexes_[0].get(); }
  DSIDXCHG* ChangeIndex() const { return changeIndex_; }
  // First ordinary or change index, not temporary, of that name (empty = "DEFAULT_ORDER");
  // DBERR_NOSUCHINDEX when none.
  DBResult FindIndex(const char* name, DSIDX** index);
  // Registers an index made elsewhere (filtered indexes); gives it the next identity.
  DSIDX* RegisterIndex(std::unique_ptr<DSIDX> index);
  // A cursor adopts an index / lets it go; at use count 0 it is unregistered and freed.
  void AdoptIndex(DSIDX* index) { index->AddUse(); }
  void ReleaseIndex(DSIDX* index);
  // Sort-on-fields for a cursor whose current index is *cursorIndex (which this may replace).
  // DBERR_INVALIDPARAM for no fields or a bad field number; DBERR_INVALIDFLDTYPE for a field that
  // cannot be a key.
  DBResult SortOnFields(DSIDX** cursorIndex, uint32_t count, const uint32_t* fields,
                        const bool* descending, const bool* caseInsensitive);
  // The first registered ordinary index (temporary included, `except` excluded) whose first
  // key fields and flags are those of `desc`.
  DSIDX* FindSourceIndex(const IndexDescriptor& desc, const DSIDX* except) const;

 private:
  void Reset();
  // Grows the slot arrays to `count` slots; DBERR_NOMEMORY leaves them unchanged.
  DBResult GrowSlots(uint32_t count);
  DBResult CreateTableLocked(uint32_t fieldCount, const FieldDescriptor* fields, const char* name);
  DBResult CheckConstraints(const uint8_t* record);
  DBResult RunCalcFields(uint8_t* record);
  DBResult AddToIndexes(uint32_t rec, DSIDX* cursorIndex, uint32_t insertPos);
  void RemoveFromIndexes(uint32_t rec);
  DBResult ReplaceInIndexes(uint32_t oldRec, uint32_t newRec);
  void RollBackReplace(size_t done, uint32_t oldRec, uint32_t newRec,
                       const std::vector<uint32_t>& oldPositions);
  DBResult ModifyInPlace(uint32_t rec, const uint8_t* work);
  DBResult BuildWorkingInsert(const uint8_t* record, uint8_t* work) const;
  DBResult BuildWorkingModify(uint32_t rec, const uint8_t* record, uint8_t* work) const;
  void ClearSlot(uint32_t rec);
  DBResult ReserveLog();
  void LogAppend(uint32_t rec, uint32_t related, uint32_t kind);
  void LogDropLast();
  DBResult UndoDelete(const ChangeLogEntry& e, uint32_t* followRec);
  DBResult UndoInsert(const ChangeLogEntry& e);
  DBResult UndoModify(const ChangeLogEntry& e, uint32_t* followRec);
  void DiscardVersion(uint32_t rec);
  bool SameVersion(uint32_t a, uint32_t b) const;
  bool BlankOrEmpty(const uint8_t* record, uint32_t field) const;

  mutable platform::RecursiveLock lock_;
  bool created_ = false;
  std::string name_;
  std::vector<FieldDescriptor> fields_;
  uint32_t recordSize_ = 0;

  uint32_t capacity_ = 0;
  uint32_t nextRec_ = 1;
  uint32_t live_ = 0;
  std::vector<uint8_t> attrs_;            // one per slot
  std::vector<ZeroedBytes> columns_;      // one per field, capacity_ x length
  std::vector<uint8_t> nulls_;            // capacity_ x field count
  std::vector<uint8_t> scratch_;          // the engine's own flat records: stored, work
  std::vector<uint32_t> savedPositions_;  // per index, for rolling back a replacement

  bool hasBlobs_ = false;
  BlobStore blobs_;
  ChangeLog log_;

  uint32_t autoIncField_ = 0;
  uint32_t autoIncValue_ = 1;

  uint32_t locale_ = 0;
  bool logChanges_ = true;
  bool readOnly_ = false;
  bool trimStrings_ = true;
  bool disableEdits_ = false;
  bool disableInserts_ = false;
  bool disableDeletes_ = false;
  bool deltaMode_ = false;
  uint32_t tableOptions_ = 0;
  uint32_t updateMode_ = 0;
  uint32_t streamMode_ = 0;
  std::vector<KeptParameter> kept_;
  std::unique_ptr<DSPendingImport> pending_;

  CalcFieldsFn calcFields_ = nullptr;
  void* calcContext_ = nullptr;
  struct Constraint {
    RecordConstraintFn fn;
    void* context;
    std::string message;
  };
  std::vector<Constraint> constraints_;
  std::string failedConstraint_;  // message of the last failing constraint

  std::vector<std::unique_ptr<DSIDX>> indexes_;
  DSIDXCHG* changeIndex_ = nullptr;
  uint32_t nextIdentity_ = 1;
};

}  // namespace dsengine
