// TDataSet: states, the active record buffer, navigation, editing and notifications.
#include "dataset/db.h"

#include "dataset/datasource.h"
#include "dataset/dberrors.h"

namespace db {

void DatabaseError(const std::string& message, std::string_view componentName) {
  if (componentName.empty()) throw EDatabaseError(message);
  throw EDatabaseError(std::string(componentName) + ": " + message);
}

std::string Fmt(std::string_view format, std::string_view arg) {
  std::string s(format);
  const size_t at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, arg);
  return s;
}

TDataSet::TDataSet(std::string name) : name_(std::move(name)) {}

TDataSet::~TDataSet() {
  for (TDataSource* s : sources_) s->dataSet_ = nullptr;
}

void TDataSet::AddDataSource(TDataSource* source) { sources_.push_back(source); }

void TDataSet::RemoveDataSource(TDataSource* source) { std::erase(sources_, source); }

void TDataSet::DataEvent(TDataEvent event, TField* field, int info) {
  const std::vector<TDataSource*> sources = sources_;  // a handler may detach a source
  for (TDataSource* s : sources) s->Notify(event, field, info);
}

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
  DataEvent(deUpdateState);
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset", name_);
}

// ---- Open and close ----

void TDataSet::Open() {
  if (Active()) return;
  Fire(BeforeOpen);
  defaultFields_ = fields_.Count() == 0;
  try {
    InternalOpen();
  } catch (...) {
    if (defaultFields_) fields_.Clear();
    throw;
  }
  active_.assign(RecordBufferSize(), 0);
  state_ = dsBrowse;
  FillFromFirst();
  for (TDataSource* s : std::vector<TDataSource*>(sources_)) s->NotifyActive();
  Fire(AfterOpen);
}

void TDataSet::Close() {
  if (!Active()) return;
  Fire(BeforeClose);
  state_ = dsInactive;  // pending changes of edit or insert are dropped
  InternalClose();
  ClearActive();
  if (defaultFields_) fields_.Clear();
  for (TDataSource* s : std::vector<TDataSource*>(sources_)) s->NotifyActive();
  Fire(AfterClose);
}

void TDataSet::ClearActive() {
  hasRecord_ = false;
  cursorOnActive_ = false;
  bof_ = eof_ = true;
  modified_ = false;
}

void TDataSet::CreateFields() {
  if (fields_.Count() > 0) return;
  for (int i = 0; i < fieldDefs_.Count(); ++i) {
    const TFieldDef& d = fieldDefs_[i];
    std::unique_ptr<TField> f = CreateField(d.DataType, d.Size);
    if (!f) continue;  // a type the model shows no field for
    f->SetFieldName(d.Name);
    f->Required = d.Required;
    f->ReadOnly = d.ReadOnly;
    fields_.Add(std::move(f));
  }
}

void TDataSet::BindFields(const std::vector<uint32_t>& engineLengths) {
  for (int i = 0; i < fields_.Count(); ++i) {
    TField& f = fields_[i];
    const int def = fieldDefs_.IndexOf(f.FieldName());
    if (def < 0) DatabaseError(Fmt("Field '%s' not found", f.FieldName()), name_);
    const int no = fieldDefs_[def].FieldNo;
    const uint32_t length =
        no >= 1 && size_t(no) <= engineLengths.size() ? engineLengths[no - 1] : 0;
    f.Bind(this, no, length);
  }
}

// ---- Filling the active buffer ----

void TDataSet::FillFromFirst() {
  InternalFirst();
  TRecordBuffer b(RecordBufferSize(), 0);
  if (GetRecord(b, gmNext, true) == grOK) {
    active_ = std::move(b);
    hasRecord_ = true;
    cursorOnActive_ = true;
    bof_ = true;
    eof_ = false;
  } else {
    ClearActive();
  }
}

void TDataSet::Resync() {
  TRecordBuffer b(RecordBufferSize(), 0);
  if (GetRecord(b, gmCurrent, false) == grOK || GetRecord(b, gmNext, false) == grOK ||
      GetRecord(b, gmPrior, false) == grOK) {
    active_ = std::move(b);
    hasRecord_ = true;
    cursorOnActive_ = true;
    bof_ = eof_ = false;
  } else {
    ClearActive();
  }
  DataEvent(deDataSetChange);
}

void TDataSet::SyncCursor() {
  if (hasRecord_ && !cursorOnActive_) {
    InternalSetToRecord(active_);
    cursorOnActive_ = true;
  }
}

void TDataSet::RefreshKeepingRecord() {
  cursorOnActive_ = false;
  SyncCursor();
  Resync();
}

// ---- Navigation ----

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  if (state_ == dsEdit || state_ == dsInsert) {
    UpdateRecord();
    if (modified_)
      Post();
    else
      Cancel();
  }
}

void TDataSet::First() {
  CheckBrowseMode();
  Fire(BeforeScroll);
  FillFromFirst();
  DataEvent(deDataSetChange);
  Fire(AfterScroll);
}

void TDataSet::Last() {
  CheckBrowseMode();
  Fire(BeforeScroll);
  InternalLast();
  TRecordBuffer b(RecordBufferSize(), 0);
  if (GetRecord(b, gmPrior, true) == grOK) {
    active_ = std::move(b);
    hasRecord_ = true;
    cursorOnActive_ = true;
    bof_ = false;
    eof_ = true;
  } else {
    ClearActive();
  }
  DataEvent(deDataSetChange);
  Fire(AfterScroll);
}

int TDataSet::MoveBy(int n) {
  CheckBrowseMode();
  if (n == 0 || !hasRecord_ || (n > 0 && eof_) || (n < 0 && bof_)) {
    if (!hasRecord_) bof_ = eof_ = true;
    return 0;
  }
  Fire(BeforeScroll);
  bof_ = eof_ = false;
  SyncCursor();
  const TGetMode mode = n > 0 ? gmNext : gmPrior;
  int moved = 0;
  TRecordBuffer b(RecordBufferSize(), 0);
  for (int left = n > 0 ? n : -n; left > 0; --left) {
    if (GetRecord(b, mode, true) != grOK) {
      (n > 0 ? eof_ : bof_) = true;
      cursorOnActive_ = false;  // the cursor stands past the active record
      break;
    }
    active_.swap(b);
    ++moved;
  }
  if (moved != 0) DataEvent(deDataSetScroll, nullptr, n > 0 ? moved : -moved);
  Fire(AfterScroll);
  return n > 0 ? moved : -moved;
}

void TDataSet::SetRecNo(int recNo) {
  CheckBrowseMode();
  if (hasRecord_ && recNo == RecNo()) return;
  Fire(BeforeScroll);
  const int before = hasRecord_ ? RecNo() : 0;
  if (InternalSetRecNo(recNo)) {
    TRecordBuffer b(RecordBufferSize(), 0);
    if (GetRecord(b, gmCurrent, true) == grOK) {
      active_ = std::move(b);
      hasRecord_ = true;
      cursorOnActive_ = true;
      bof_ = eof_ = false;
      DataEvent(deDataSetScroll, nullptr, recNo - before);
    }
  } else {
    cursorOnActive_ = false;
  }
  Fire(AfterScroll);
}

// ---- Bookmarks ----

TBookmark TDataSet::GetBookmark() {
  if (!Active() || !hasRecord_ || state_ == dsInsert) return {};
  return BookmarkOf(active_);
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckBrowseMode();
  Fire(BeforeScroll);
  InternalGotoBookmark(bookmark);
  TRecordBuffer b(RecordBufferSize(), 0);
  if (GetRecord(b, gmCurrent, true) == grOK) {
    active_ = std::move(b);
    hasRecord_ = true;
    cursorOnActive_ = true;
    bof_ = eof_ = false;
  }
  DataEvent(deDataSetChange);
  Fire(AfterScroll);
}

// ---- Editing ----

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanInsert();
  Fire(BeforeInsert);
  Fire(BeforeScroll);
}

void TDataSet::EndInsertAppend(bool append) {
  const bool hadRecord = hasRecord_;
  beforeInsert_ = hadRecord ? active_ : TRecordBuffer();
  const int row = append ? RecordCount() + 1 : (hadRecord ? RecNo() : 1);
  TRecordBuffer b(RecordBufferSize(), 0);
  InternalInitRecord(b);
  SetBookmarkFlag(b, append ? bfEOF : bfInserted);
  InternalInsert();
  active_ = std::move(b);
  insertRow_ = row;
  cursorOnActive_ = false;
  bof_ = false;
  eof_ = append;
  SetState(dsInsert);
  try {
    Fire(OnNewRecord);
  } catch (...) {
    state_ = dsBrowse;
    InternalCancel();
    if (hadRecord)
      InternalSetToRecord(beforeInsert_);
    else
      InternalFirst();
    Resync();
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange);
  Fire(AfterInsert);
  Fire(AfterScroll);
}

void TDataSet::Append() {
  BeginInsertAppend();
  EndInsertAppend(true);
}

void TDataSet::Insert() {
  BeginInsertAppend();
  EndInsertAppend(false);
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  CheckActive();
  if (!hasRecord_) return Insert();
  CheckCanEdit();
  Fire(BeforeEdit);
  SyncCursor();
  InternalEdit();
  SetState(dsEdit);
  DataEvent(deRecordChange);
  Fire(AfterEdit);
}

void TDataSet::UpdateRecord() {
  if (state_ != dsEdit && state_ != dsInsert)
    DatabaseError("Dataset not in edit or insert mode", name_);
  DataEvent(deUpdateRecord);
}

void TDataSet::Post() {
  if (state_ == dsEdit || state_ == dsInsert) DataEvent(deUpdateRecord);
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode);
  Fire(BeforePost);
  for (int i = 0; i < fields_.Count(); ++i) {
    TField& f = fields_[i];
    if (f.Required && !f.ReadOnly && f.IsNull()) {
      DataEvent(deFocusControl, &f);
      DatabaseError(Fmt("Field '%s' must have a value", f.FieldName()));
    }
  }
  if (state_ == dsEdit) {
    cursorOnActive_ = false;
    SyncCursor();
  }
  InternalPost();
  SetState(dsBrowse);
  Resync();
  Fire(AfterPost);
}

void TDataSet::Cancel() {
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode);
  Fire(BeforeCancel);
  const bool wasInsert = state_ == dsInsert;
  InternalCancel();
  if (wasInsert) {
    // Back to the record that was current when the insert began.
    if (!beforeInsert_.empty())
      InternalSetToRecord(beforeInsert_);
    else
      InternalFirst();
  } else {
    InternalSetToRecord(active_);
  }
  SetState(dsBrowse);
  Resync();
  Fire(AfterCancel);
  if (wasInsert) Fire(AfterScroll);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsEdit || state_ == dsInsert) return Cancel();
  if (!hasRecord_) DatabaseError("Cannot perform this operation on an empty dataset", name_);
  CheckCanDelete();
  DataEvent(deCheckBrowseMode);
  Fire(BeforeDelete);
  Fire(BeforeScroll);
  cursorOnActive_ = false;
  SyncCursor();
  InternalDelete();
  Resync();
  Fire(AfterDelete);
  Fire(AfterScroll);
}

// ---- Field writes ----

void TDataSet::BeginFieldWrite(TField& field) {
  if (state_ != dsEdit && state_ != dsInsert)
    DatabaseError("Dataset not in edit or insert mode", name_);
  if (field.ReadOnly) DatabaseError(Fmt("Field '%s' cannot be modified", field.FieldName()));
  if (field.OnValidate) field.OnValidate(field);
}

void TDataSet::EndFieldWrite(TField& field) {
  modified_ = true;
  if (field.OnChange) field.OnChange(field);
  DataEvent(deFieldChange, &field);
}

void TDataSet::WriteField(TField& field, const void* data) {
  BeginFieldWrite(field);
  SetFieldData(field, data);
  EndFieldWrite(field);
}

void TDataSet::WriteFieldBlob(TField& field, std::string_view data) {
  BeginFieldWrite(field);
  WriteBlob(field, data);
  EndFieldWrite(field);
}

// ---- Row window ----

int TDataSet::RowCount() {
  CheckActive();
  return RecordCount() + (state_ == dsInsert ? 1 : 0);
}

int TDataSet::CurrentRow() {
  if (!Active()) return 0;
  if (state_ == dsInsert) return insertRow_;
  return hasRecord_ ? RecNo() : 0;
}

bool TDataSet::GetRow(int row, TRecordBuffer& buffer) {
  if (!Active() || row < 1 || row > RowCount()) return false;
  if (row == CurrentRow()) {
    buffer = active_;
    return true;
  }
  const int recNo = state_ == dsInsert && row > insertRow_ ? row - 1 : row;
  buffer.assign(RecordBufferSize(), 0);
  return ReadRecordAt(recNo, buffer);
}

}  // namespace db
