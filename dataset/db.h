// The framework's dataset model (TDataSet): state machine, current record buffer, navigation,
// bookmarks, editing, events, data-source notifications and a row window for grids. The client
// dataset facade (DBClient) implements its Internal* hooks on the table engine; the data-aware
// controls reach it through TDataSource (datasource.h). User-interface thread only.
//
// Buffers. The dataset keeps ONE record buffer, the active record: the current record of the
// view (or the new record while inserting). Grids do not need a ring of buffers: the row window
// (RowCount, CurrentRow, GetRow, MoveToRow) reads any row of the view on demand without moving
// the current record, so a grid showing 10 rows of a 100,000-record view reads 10 rows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/dbfields.h"
#include "tableengine/DBCommon.h"

namespace db {

enum TDataSetState : uint8_t { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields, dsFilter };

// What a data source passes on to its links (datasource.h).
enum TDataEvent : uint8_t {
  deFieldChange,      // a field of the active record was written (info: the field)
  deRecordChange,     // the active record changed as a whole (edit began, cancel)
  deDataSetChange,    // the view changed: open, filter, order, post, delete, append
  deDataSetScroll,    // the current record moved within an unchanged view (info: distance)
  deUpdateRecord,     // before a post: controls write their pending values
  deUpdateState,      // the state changed
  deCheckBrowseMode,  // the dataset is about to leave edit or insert
  deFocusControl,     // a control should take the focus (info: the field)
};

enum TGetMode : uint8_t { gmCurrent, gmNext, gmPrior };
enum TGetResult : uint8_t { grOK, grBOF, grEOF, grError };
// Bookmark flag of a record buffer.
enum TBookmarkFlag : uint8_t { bfCurrent = 0, bfBOF = 1, bfEOF = 2, bfInserted = 3 };

using TBookmark = std::vector<uint8_t>;
class TDataSet;
class TDataSource;
using TDataSetNotifyEvent = std::function<void(TDataSet&)>;

// Raises EDatabaseError; with a component name, "<name>: " goes in front of the message.
[[noreturn]] void DatabaseError(const std::string& message, std::string_view componentName = {});
// `format` with its first "%s" replaced by `arg`.
std::string Fmt(std::string_view format, std::string_view arg);

class TDataSet {
 public:
  explicit TDataSet(std::string name = {});
  virtual ~TDataSet();
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  TDataSetState State() const { return state_; }
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool value) { value ? Open() : Close(); }
  void Open();
  void Close();

  TFieldDefs& FieldDefs() { return fieldDefs_; }
  TFields& Fields() { return fields_; }
  TField* FindField(std::string_view name) const { return fields_.FindField(name); }
  TField& FieldByName(std::string_view name) const { return fields_.FieldByName(name); }

  // ---- Navigation (each leaves edit or insert first: post when modified, else cancel) ----
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves up to n records; returns the distance moved. Eof (Bof) is set when a forward
  // (backward) move found no more records.
  int MoveBy(int n);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // No current record (an empty view, outside insert).
  bool IsEmpty() const { return !hasRecord_ && state_ != dsInsert; }
  // Records in the current view; raises on a closed dataset.
  virtual int RecordCount() = 0;
  // 1-based position of the current record in the view; -1 while inserting or when none.
  virtual int RecNo() = 0;
  void SetRecNo(int recNo);

  // ---- Bookmarks ----
  TBookmark GetBookmark();  // empty when there is no current record
  void GotoBookmark(const TBookmark& bookmark);
  virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b) = 0;

  // ---- Editing ----
  void Append();
  void Insert();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  bool Modified() const { return modified_; }
  void CheckBrowseMode();
  // Asks the controls to write their pending values (deUpdateRecord).
  void UpdateRecord();

  // ---- Filter properties (the facade applies them) ----
  const std::string& Filter() const { return filterText_; }
  bool Filtered() const { return filtered_; }
  TFilterOptions FilterOptions() const { return filterOptions_; }
  virtual void SetFilter(const std::string& text) { filterText_ = text; }
  virtual void SetFiltered(bool value) { filtered_ = value; }
  virtual void SetFilterOptions(TFilterOptions options) { filterOptions_ = options; }

  // ---- Row window for grids ----
  // Rows the view shows: its records, plus the new record while inserting.
  int RowCount();
  // 1-based row of the current record (the new record while inserting); 0 when there is none.
  int CurrentRow();
  // Copies row `row` (1 .. RowCount()) into `buffer` without moving the current record; the
  // current row gives the active buffer (with values not yet posted). Fields read it with
  // TField::AsStringIn / IsNullIn / ValueIn. False for a row outside the view.
  bool GetRow(int row, TRecordBuffer& buffer);
  // Makes row `row` current (leaves edit or insert first).
  void MoveToRow(int row) { SetRecNo(row); }

  // ---- Events ----
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnNewRecord;

 protected:
  friend class TField;
  friend class TDataSource;

  // ---- Hooks of the implementation ----
  virtual void InternalOpen() = 0;  // cursor, field definitions, fields, order, filter
  virtual void InternalClose() = 0;
  virtual size_t RecordBufferSize() const = 0;
  virtual void InternalFirst() = 0;  // cursor to the beginning
  virtual void InternalLast() = 0;   // cursor to the end
  // Fills `buffer` with the current, next or prior record of the cursor. grError (or an
  // exception when doCheck) for a failing engine call.
  virtual TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck) = 0;
  virtual void InternalInitRecord(TRecordBuffer& buffer) = 0;
  virtual void InternalInsert() = 0;
  virtual void InternalEdit() {}
  virtual void InternalPost() = 0;
  virtual void InternalCancel() = 0;
  virtual void InternalDelete() = 0;
  // Cursor back onto the record of `buffer` (it may have moved, e.g. past the end).
  virtual void InternalSetToRecord(const TRecordBuffer& buffer) = 0;
  virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
  virtual TBookmark BookmarkOf(const TRecordBuffer& buffer) const = 0;
  virtual TBookmarkFlag GetBookmarkFlag(const TRecordBuffer& buffer) const = 0;
  virtual void SetBookmarkFlag(TRecordBuffer& buffer, TBookmarkFlag flag) = 0;
  // Moves the cursor to sequence number recNo (1-based); false when out of the view.
  virtual bool InternalSetRecNo(int recNo) = 0;
  // The record at a 1-based sequence number, without moving the cursor.
  virtual bool ReadRecordAt(int recNo, TRecordBuffer& buffer) = 0;
  // Refusals before append/insert, edit and delete (raise to refuse).
  virtual void CheckCanInsert() {}
  virtual void CheckCanEdit() {}
  virtual void CheckCanDelete() {}
  // Field data of `buffer`; false when null.
  virtual bool GetFieldData(const TField& field, const uint8_t* buffer, void* out) = 0;
  // Writes the raw value (nullptr: null) into the active buffer.
  virtual void SetFieldData(TField& field, const void* data) = 0;
  virtual std::string ReadBlob(const TField& field, const uint8_t* buffer) = 0;
  virtual void WriteBlob(TField& field, std::string_view data) = 0;

  // ---- For implementations ----
  void CheckActive() const;
  void SetState(TDataSetState state);
  void DataEvent(TDataEvent event, TField* field = nullptr, int info = 0);
  // Refills the active buffer after a change: the cursor's current record, else the next, else
  // the prior one, else none.
  void Resync();
  // Refills the active buffer from the first record (Bof set).
  void FillFromFirst();
  // Puts the cursor back onto the active record when a move left it elsewhere.
  void SyncCursor();
  // The implementation moved the cursor away from the active record.
  void CursorMoved() { cursorOnActive_ = false; }
  // The view changed underneath: refill the active buffer, keeping its record when the view
  // still holds it.
  void RefreshKeepingRecord();
  TRecordBuffer& ActiveRecordBuffer() { return active_; }
  bool HasRecord() const { return hasRecord_; }
  void SetFilterTextValue(const std::string& text) { filterText_ = text; }
  void SetFilteredValue(bool value) { filtered_ = value; }
  void SetFilterOptionsValue(TFilterOptions options) { filterOptions_ = options; }
  void CreateFields();  // default fields from FieldDefs (when there are none)
  void BindFields(const std::vector<uint32_t>& engineLengths);

 private:
  // The field-write path shared by values and blobs.
  void BeginFieldWrite(TField& field);
  void EndFieldWrite(TField& field);
  void WriteField(TField& field, const void* data);
  void WriteFieldBlob(TField& field, std::string_view data);
  void BeginInsertAppend();
  void EndInsertAppend(bool append);
  void Fire(const TDataSetNotifyEvent& event) {
    if (event) event(*this);
  }
  void AddDataSource(TDataSource* source);
  void RemoveDataSource(TDataSource* source);
  void ClearActive();

  std::string name_;
  TDataSetState state_ = dsInactive;
  TFieldDefs fieldDefs_;
  TFields fields_{this};
  bool defaultFields_ = false;  // the fields were made from FieldDefs at open
  TRecordBuffer active_;
  bool hasRecord_ = false;       // active_ holds a record of the view
  bool cursorOnActive_ = false;  // the cursor stands on the active record
  bool bof_ = true, eof_ = true;
  bool modified_ = false;
  int insertRow_ = 0;       // row of the new record while inserting
  TBookmark beforeInsert_;  // current record when the insert began (restored by cancel)
  std::string filterText_;
  bool filtered_ = false;
  TFilterOptions filterOptions_ = 0;
  std::vector<TDataSource*> sources_;
};

}  // namespace db
