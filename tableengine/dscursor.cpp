// DSCursor: position, status and synchronisation, moves, bookmarks, record access, editing with
// the cursor's position rules, sort order and filters. See dscursor.h for the contracts.
#include "tableengine/dscursor.h"

#include <new>

namespace dsengine {

// Every public operation of an attached cursor runs inside the table's lock.
#define DSCURSOR_ENTER()                  \
  if (table_ == nullptr) return DBERR_NA; \
  platform::LockScope guard_(table_->Lock())

DSCursor::DSCursor(FilteredIndexFactory makeFiltered) : makeFiltered_(makeFiltered) {}

DSCursor::~DSCursor() {
  if (table_ == nullptr) return;
  platform::LockScope guard(table_->Lock());
  table_->ReleaseIndex(index_);
}

DBResult DSCursor::Attach(IDSBase* base) {
  if (table_ != nullptr) return DBERR_NA;
  DSBASE* table = dynamic_cast<DSBASE*>(base);
  if (table == nullptr) return DBERR_INVALIDPARAM;
  platform::LockScope guard(table->Lock());
  if (!table->Created() || table->DefaultIndex() == nullptr) return DBERR_INVALIDPARAM;
  try {
    fields_.resize(table->FieldCount());
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
  table->GetFieldDescs(fields_.data());
  table_ = table;
  index_ = table->DefaultIndex();
  table_->AdoptIndex(index_);
  ResetToIndex();
  return DBERR_NONE;
}

DBResult DSCursor::GetCursorProps(CursorProps* props) {
  DSCURSOR_ENTER();
  if (props == nullptr) return DBERR_INVALIDPARAM;
  *props = {table_->RecordSize(), kBookmarkSize, table_->ReadOnly()};
  return DBERR_NONE;
}

DBResult DSCursor::GetFieldDescs(FieldDescriptor* fields) {
  DSCURSOR_ENTER();
  if (fields == nullptr) return DBERR_INVALIDPARAM;
  for (size_t i = 0; i < fields_.size(); ++i) fields[i] = fields_[i];
  return DBERR_NONE;
}

// ---- State ----

void DSCursor::SetOnRecord(uint32_t position) {
  position_ = position;
  status_ = DBERR_NONE;
  record_ = index_->RecordAt(position);
}

void DSCursor::SetBOF() {
  position_ = lower_ - 1;
  status_ = DBERR_BOF;
}

void DSCursor::SetEOF() {
  position_ = upper_ + 1;
  status_ = DBERR_EOF;
}

bool DSCursor::HoldsAt(uint32_t position, uint32_t rec) const {
  return position >= lower_ && position <= upper_ && index_->RecordAt(position) == rec;
}

void DSCursor::ResetToIndex() {
  lower_ = 1;
  upper_ = index_->Count();
  snapshot_ = index_->ChangeCounter();
  SetBOF();
}

// The version that replaced `rec`, from the change log's modify entry naming it; 0 when none.
uint32_t DSCursor::NewerVersion(uint32_t rec) const {
  if (rec == 0 || rec >= table_->NextRecordNumber()) return 0;
  if ((table_->Attribute(rec) & dsRecSuperseded) == 0) return 0;
  const ChangeLog& log = table_->Log();
  for (size_t i = log.Size(); i-- > 0;) {
    const ChangeLogEntry& e = log.At(i);
    if (e.kind == kChangeModify && e.related == rec) return e.record;
  }
  return 0;
}

uint32_t DSCursor::Locate(uint32_t* rec) const {
  if (*rec == 0) return 0;
  if (uint32_t p = index_->FindPosition(*rec)) return p;
  // A record modified since is found under its newest version (versions only grow).
  for (uint32_t v = NewerVersion(*rec); v > *rec; v = NewerVersion(v)) {
    if (uint32_t p = index_->FindPosition(v)) {
      *rec = v;
      return p;
    }
  }
  return 0;
}

void DSCursor::Synchronise() {
  if (index_->ChangeCounter() == snapshot_) return;
  snapshot_ = index_->ChangeCounter();
  lower_ = 1;
  upper_ = index_->Count();
  if (status_ == DBERR_BOF) return SetBOF();
  if (status_ == DBERR_EOF) return SetEOF();
  if (HoldsAt(position_, record_)) return;
  if (record_ == 0) {  // nothing to look for: keep the status within the new range
    if (position_ > upper_ + 1) position_ = upper_ + 1;
    return;
  }
  // One insertion or removal before the record moves it by one: look there first.
  for (uint32_t p : {position_ + 1, position_ - 1}) {
    if (HoldsAt(p, record_)) {
      position_ = p;
      return;
    }
  }
  uint32_t rec = record_;
  if (uint32_t p = Locate(&rec)) {
    position_ = p;
    record_ = rec;
    return;
  }
  // Gone: the kept position designates what followed it (never beyond one past the last).
  status_ = DBERR_KEYORRECDELETED;
  if (position_ > upper_ + 1) position_ = upper_ + 1;
  if (position_ < lower_) position_ = lower_;
}

DBResult DSCursor::Status() {
  DSCURSOR_ENTER();
  Synchronise();
  return status_;
}

// ---- Navigation ----

DBResult DSCursor::MoveToBOF() {
  DSCURSOR_ENTER();
  Synchronise();
  SetBOF();
  return DBERR_NONE;
}

DBResult DSCursor::MoveToEOF() {
  DSCURSOR_ENTER();
  Synchronise();
  SetEOF();
  return DBERR_NONE;
}

DBResult DSCursor::MoveRelative(int32_t n) {
  DSCURSOR_ENTER();
  Synchronise();
  if (n == 0) return status_;
  int64_t target;
  if (n > 0) {
    const int64_t start = status_ == DBERR_BOF ? int64_t(lower_) - 1 : int64_t(position_);
    // After a vanished record the position already designates its follower.
    target = start + n - (status_ == DBERR_KEYORRECDELETED ? 1 : 0);
    if (target > int64_t(upper_)) {
      SetEOF();
      return status_;
    }
  } else {
    const int64_t start = status_ == DBERR_EOF ? int64_t(upper_) + 1 : int64_t(position_);
    target = start + n;
    if (target < int64_t(lower_)) {
      SetBOF();
      return status_;
    }
  }
  SetOnRecord(static_cast<uint32_t>(target));
  return DBERR_NONE;
}

DBResult DSCursor::MoveToSeqNo(uint32_t n) {
  DSCURSOR_ENTER();
  Synchronise();
  const int64_t target = int64_t(lower_) + n - 1;
  if (target <= int64_t(lower_) - 1) {
    SetBOF();
    return status_;
  }
  if (target > int64_t(upper_)) {
    SetEOF();
    return status_;
  }
  SetOnRecord(static_cast<uint32_t>(target));
  return DBERR_NONE;
}

DBResult DSCursor::GetCurrentRecord(uint8_t* record) {
  DSCURSOR_ENTER();
  Synchronise();
  if (status_ != DBERR_NONE) return status_;
  if (record == nullptr) return DBERR_NONE;
  return table_->ReadRecord(record_, record);
}

DBResult DSCursor::GetRecordAt(uint32_t seqNo, uint8_t* record, uint8_t* attribute,
                               uint8_t* bookmark) {
  DSCURSOR_ENTER();
  Synchronise();
  if (seqNo == 0) return DBERR_BOF;
  if (int64_t(lower_) + seqNo - 1 > int64_t(upper_)) return DBERR_EOF;
  const uint32_t position = lower_ + seqNo - 1;
  const uint32_t rec = index_->RecordAt(position);
  if (record != nullptr) {
    if (DBResult st = table_->ReadRecord(rec, record)) return st;
  }
  if (attribute != nullptr) *attribute = table_->Attribute(rec);
  if (bookmark != nullptr)
    EncodeBookmark({position, DBERR_NONE, rec, index_->ChangeCounter(), index_->Identity()},
                   bookmark);
  return DBERR_NONE;
}

DBResult DSCursor::GetRecordCount(uint32_t* count) {
  DSCURSOR_ENTER();
  Synchronise();
  if (count == nullptr) return DBERR_INVALIDPARAM;
  *count = upper_ + 1 - lower_;
  return DBERR_NONE;
}

DBResult DSCursor::GetSequenceNumber(uint32_t* seqNo) {
  DSCURSOR_ENTER();
  Synchronise();
  if (status_ != DBERR_NONE) return status_;
  if (seqNo != nullptr) *seqNo = position_ - lower_ + 1;
  return DBERR_NONE;
}

DBResult DSCursor::GetRecordAttribute(uint8_t* attribute) {
  DSCURSOR_ENTER();
  Synchronise();
  if (status_ != DBERR_NONE) return status_;
  if (attribute != nullptr) *attribute = table_->Attribute(record_);
  return DBERR_NONE;
}

DBResult DSCursor::SetNoCurrentRecord() {
  DSCURSOR_ENTER();
  Synchronise();
  if (status_ == DBERR_BOF || status_ == DBERR_EOF) record_ = 0;
  status_ = DBERR_NOCURRREC;
  return DBERR_NONE;
}

// ---- Bookmarks ----

Bookmark DSCursor::TakeBookmark() const {
  Bookmark b;
  b.position = position_;
  b.status = status_;
  b.record = position_ >= lower_ && position_ <= upper_ ? index_->RecordAt(position_) : 0;
  b.counter = index_->ChangeCounter();
  b.identity = index_->Identity();
  return b;
}

DBResult DSCursor::GoToBookmark(const Bookmark& b) {
  uint32_t position = 0;
  uint32_t rec = b.record;
  if (b.identity == index_->Identity() && b.counter == index_->ChangeCounter()) {
    position = b.position;
  } else {
    position = Locate(&rec);
  }
  if (position > upper_) {
    SetEOF();
    return status_;
  }
  if (position < lower_) {
    SetBOF();
    return status_;
  }
  SetOnRecord(position);
  // A restored non-zero status keeps its meaning at that position (DBERR_KEYORRECDELETED: the
  // follower).
  const DBResult restored = static_cast<DBResult>(b.status);
  if (restored == DBERR_KEYORRECDELETED || restored == DBERR_NOCURRREC) status_ = restored;
  return status_;
}

DBResult DSCursor::GetBookmark(uint8_t* bookmark) {
  DSCURSOR_ENTER();
  Synchronise();
  if (bookmark == nullptr) return DBERR_INVALIDPARAM;
  EncodeBookmark(TakeBookmark(), bookmark);
  return DBERR_NONE;
}

DBResult DSCursor::MoveToBookmark(const uint8_t* bookmark) {
  DSCURSOR_ENTER();
  Synchronise();
  if (bookmark == nullptr) return DBERR_INVALIDPARAM;
  return GoToBookmark(DecodeBookmark(bookmark));
}

DBResult DSCursor::CompareBookmarks(const uint8_t* a, const uint8_t* b, int32_t* result) {
  DSCURSOR_ENTER();
  if (a == nullptr || b == nullptr || result == nullptr) return DBERR_INVALIDPARAM;
  const uint32_t pa = DecodeBookmark(a).position, pb = DecodeBookmark(b).position;
  *result = pa < pb ? -1 : (pa > pb ? 1 : 0);
  return DBERR_NONE;
}

// ---- Record buffers ----

DBResult DSCursor::InitRecord(uint8_t* record) {
  DSCURSOR_ENTER();
  return table_->InitRecord(record);
}

DBResult DSCursor::PutField(uint8_t* record, uint32_t field, const void* value) {
  DSCURSOR_ENTER();
  return table_->PutField(record, field, value);
}

DBResult DSCursor::GetField(const uint8_t* record, uint32_t field, void* value, uint8_t* nullFlag) {
  DSCURSOR_ENTER();
  return table_->GetField(record, field, value, nullFlag);
}

DBResult DSCursor::GetBlobLength(const uint8_t* record, uint32_t field, uint32_t* length) {
  DSCURSOR_ENTER();
  return table_->GetBlobLength(record, field, length);
}

DBResult DSCursor::GetBlob(const uint8_t* record, uint32_t field, uint32_t offset, uint32_t length,
                           void* data, uint32_t* copied) {
  DSCURSOR_ENTER();
  return table_->GetBlob(record, field, offset, length, data, copied);
}

DBResult DSCursor::PutBlob(uint8_t* record, uint32_t field, uint32_t offset, const void* data,
                           uint32_t length) {
  DSCURSOR_ENTER();
  return table_->PutBlob(record, field, offset, data, length);
}

// ---- Editing ----

void DSCursor::AfterOwnChange(uint32_t newRec, uint32_t hint, DBResult missingStatus) {
  lower_ = 1;
  upper_ = index_->Count();
  snapshot_ = index_->ChangeCounter();
  // Without key fields the record sits at the hint or at the end: no scan needed.
  if (HoldsAt(hint, newRec)) return SetOnRecord(hint);
  if (HoldsAt(upper_, newRec)) return SetOnRecord(upper_);
  if (uint32_t p = index_->FindPosition(newRec)) return SetOnRecord(p);
  status_ = missingStatus;
  record_ = newRec;
  if (position_ > upper_ + 1) position_ = upper_ + 1;
}

DBResult DSCursor::InsertRecord(const uint8_t* record) {
  DSCURSOR_ENTER();
  Synchronise();
  const bool onRecord = status_ == DBERR_NONE;
  const uint32_t insertPos = onRecord && !index_->HasKeys() ? position_ : 0;
  uint32_t rec = 0;
  if (DBResult st = table_->InsertRecord(record, index_, insertPos, &rec)) return st;
  AfterOwnChange(rec, insertPos, DBERR_NOCURRREC);
  return DBERR_NONE;
}

DBResult DSCursor::ModifyRecord(const uint8_t* record) {
  DSCURSOR_ENTER();
  Synchronise();
  if (status_ != DBERR_NONE) return status_;
  uint32_t rec = record_;
  index_->NotePosition(record_, position_);  // the table looks for it there first
  if (DBResult st = table_->ModifyRecord(record_, record, index_, &rec)) return st;
  // A version that left the filtered view vanished from here like a deleted record.
  AfterOwnChange(rec, position_, DBERR_KEYORRECDELETED);
  return DBERR_NONE;
}

DBResult DSCursor::DeleteRecord() {
  DSCURSOR_ENTER();
  Synchronise();
  if (status_ != DBERR_NONE) return status_;
  if (DBResult st = table_->DeleteRecord(record_, index_)) return st;
  // The record left every index; the kept position now holds its follower.
  upper_ = index_->Count();
  snapshot_ = index_->ChangeCounter();
  status_ = DBERR_KEYORRECDELETED;
  return DBERR_NONE;
}

DBResult DSCursor::UndoLastChange(bool follow) {
  DSCURSOR_ENTER();
  Synchronise();
  uint32_t rec = 0;
  if (DBResult st = table_->UndoLastChange(follow, &rec)) return st;
  Synchronise();
  if (follow && rec != 0) {
    if (uint32_t p = index_->FindPosition(rec)) SetOnRecord(p);
  }
  return DBERR_NONE;
}

// ---- Order and filters ----

DBResult DSCursor::SwitchIndex(DSIDX* index, const Bookmark& before, bool always) {
  index_ = index;
  ResetToIndex();
  if (!always && before.status != DBERR_NONE) return status_;  // stays at the beginning
  return GoToBookmark(before);
}

DBResult DSCursor::SortOnFields(uint32_t count, const uint32_t* fields, const bool* descending,
                                const bool* caseInsensitive) {
  DSCURSOR_ENTER();
  Synchronise();
  const Bookmark before = TakeBookmark();
  DSIDX* index = index_;
  if (DBResult st = table_->SortOnFields(&index, count, fields, descending, caseInsensitive)) {
    Synchronise();  // an in-place rebuild that failed was rebuilt in the old order
    return st;
  }
  SwitchIndex(index, before, false);
  return DBERR_NONE;
}

DBResult DSCursor::UseIndexOrder(const char* name) {
  DSCURSOR_ENTER();
  Synchronise();
  DSIDX* index = nullptr;
  if (DBResult st = table_->FindIndex(name, &index)) return st;
  const Bookmark before = TakeBookmark();
  if (index != index_) {
    table_->AdoptIndex(index);
    table_->ReleaseIndex(index_);
  }
  SwitchIndex(index, before, false);
  return DBERR_NONE;
}

DBResult DSCursor::GetIndexDescriptor(IndexDescriptor* desc) {
  DSCURSOR_ENTER();
  if (desc == nullptr) return DBERR_INVALIDPARAM;
  *desc = index_->Descriptor();
  return DBERR_NONE;
}

DBResult DSCursor::AddFilter(const uint8_t* expr, uint32_t size, uint32_t* handle) {
  DSCURSOR_ENTER();
  Synchronise();
  if (expr == nullptr || handle == nullptr) return DBERR_INVALIDPARAM;
  const Bookmark before = TakeBookmark();
  if (index_->Kind() == kIndexFiltered) {
    auto* filtered = dynamic_cast<DSFilteredIndex*>(index_);
    if (filtered == nullptr) return DBERR_NA;
    if (DBResult st = filtered->AddFilter(expr, size, nullptr, handle)) return st;
    SwitchIndex(index_, before, true);
    return DBERR_NONE;
  }
  if (makeFiltered_ == nullptr) return DBERR_NOTSUPPORTED;
  std::unique_ptr<DSFilteredIndex> made;
  if (DBResult st = makeFiltered_(*table_, index_->Descriptor(), &made)) return st;
  if (made == nullptr) return DBERR_NOMEMORY;
  uint32_t newHandle = 0;
  if (DBResult st = made->AddFilter(expr, size, index_, &newHandle)) return st;
  DSIDX* registered = table_->RegisterIndex(std::move(made));
  if (registered == nullptr) return DBERR_NOMEMORY;
  *handle = newHandle;
  table_->ReleaseIndex(index_);
  SwitchIndex(registered, before, true);
  return DBERR_NONE;
}

DBResult DSCursor::DropFilter(uint32_t handle) {
  DSCURSOR_ENTER();
  Synchronise();
  if (handle == 0) return DBERR_NONE;
  auto* filtered =
      index_->Kind() == kIndexFiltered ? dynamic_cast<DSFilteredIndex*>(index_) : nullptr;
  if (filtered == nullptr) return DBERR_NA;
  return filtered->DropFilter(handle);
}

}  // namespace dsengine
