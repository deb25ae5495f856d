// DSBASE: insert, modify and delete of records: validation, record versions and attributes,
// index maintenance, the change log and the auto-increment counter. Every failing path leaves
// the store, the indexes, the log and the counter as they were.
#include <cstring>
#include <new>

#include "tableengine/dsbase.h"

namespace dsengine {

bool DSBASE::BlankOrEmpty(const uint8_t* record, uint32_t field) const {
  const FieldDescriptor& d = fields_[field - 1];
  if (record[d.nullOffset] != kValuePresent) return true;
  if (d.type == fldZSTRING) return record[d.offset] == 0;
  if (d.type == fldUNICODE) return record[d.offset] == 0 && record[d.offset + 1] == 0;
  return false;
}

DBResult DSBASE::ReserveLog() {
  if (!logChanges_) return DBERR_NONE;
  if (DBResult st = log_.Reserve()) return st;
  return changeIndex_->ReserveOne();
}

void DSBASE::LogAppend(uint32_t rec, uint32_t related, uint32_t kind) {
  if (!logChanges_) return;
  log_.Append(rec, related, kind);  // room reserved by ReserveLog
  changeIndex_->LogAppended(rec);
}

void DSBASE::LogDropLast() {
  if (log_.Last().kind != kChangeNone) changeIndex_->LogDropped();
  log_.DropLast();
}

DBResult DSBASE::AddToIndexes(uint32_t rec, DSIDX* cursorIndex, uint32_t insertPos) {
  for (size_t i = 0; i < indexes_.size(); ++i) {
    DSIDX& idx = *indexes_[i];
    const bool hinted = &idx == cursorIndex && !idx.HasKeys() && insertPos != 0;
    if (hinted) idx.SetInsertHint(insertPos);
    const DBResult st = idx.InsertRecord(rec);
    if (hinted) idx.SetInsertHint(0);
    if (st != DBERR_NONE) {
      for (size_t j = 0; j < i; ++j) indexes_[j]->RemoveRecord(rec);
      return st;
    }
  }
  return DBERR_NONE;
}

void DSBASE::RemoveFromIndexes(uint32_t rec) {
  for (auto& idx : indexes_) idx->RemoveRecord(rec);  // absent from a filtered view: fine
}

DBResult DSBASE::ReplaceInIndexes(uint32_t oldRec, uint32_t newRec) {
  try {
    savedPositions_.resize(indexes_.size());
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
  for (size_t i = 0; i < indexes_.size(); ++i) {
    savedPositions_[i] = indexes_[i]->FindPosition(oldRec);
    if (DBResult st = indexes_[i]->ReplaceRecord(oldRec, newRec)) {
      RollBackReplace(i, oldRec, newRec, savedPositions_);
      return st;
    }
  }
  return DBERR_NONE;
}

void DSBASE::RollBackReplace(size_t done, uint32_t oldRec, uint32_t newRec,
                             const std::vector<uint32_t>& oldPositions) {
  for (size_t j = 0; j < done; ++j) {
    DSIDX& idx = *indexes_[j];
    idx.RemoveRecord(newRec);
    // Indexes that never held the old record (filtered) or kept it (change index) are done.
    if (oldPositions[j] != 0 && idx.FindPosition(oldRec) == 0)
      idx.PutBackAt(oldPositions[j], oldRec);
  }
}

DBResult DSBASE::BuildWorkingInsert(const uint8_t* record, uint8_t* work) const {
  memset(work, 0, recordSize_);
  for (uint32_t f = 1; f <= FieldCount(); ++f) {
    const FieldDescriptor& d = fields_[f - 1];
    if (f == autoIncField_) {  // the counter's value, whatever the buffer holds
      const int32_t v = static_cast<int32_t>(autoIncValue_);
      memcpy(work + d.offset, &v, 4);
      work[d.nullOffset] = kValuePresent;
      continue;
    }
    if ((d.attributes & fldAttrREQUIRED) && BlankOrEmpty(record, f)) return DBERR_REQDERR;
    work[d.nullOffset] = record[d.nullOffset];
    if (record[d.nullOffset] == kValuePresent) memcpy(work + d.offset, record + d.offset, d.length);
  }
  return DBERR_NONE;
}

DBResult DSBASE::InsertRecord(const uint8_t* record, DSIDX* cursorIndex, uint32_t insertPos,
                              uint32_t* newRec) {
  if (cursorIndex && cursorIndex->Kind() == kIndexChange) return DBERR_INDEXREADONLY;
  if (deltaMode_) return DBERR_NA;
  platform::LockScope guard(lock_);
  if (!created_ || record == nullptr) return DBERR_INVALIDPARAM;
  uint8_t* work = scratch_.data() + recordSize_;
  if (DBResult st = BuildWorkingInsert(record, work)) return st;
  if (logChanges_ && (readOnly_ || disableInserts_)) return DBERR_READONLY;
  if (DBResult st = EnsureSlot()) return st;
  if (DBResult st = RunCalcFields(work)) return st;
  if (DBResult st = CheckConstraints(work)) return st;
  if (DBResult st = ReserveLog()) return st;

  const uint32_t rec = nextRec_;
  WriteRecord(rec, work);
  attrs_[rec - 1] = logChanges_ ? dsRecInserted : 0;
  ++nextRec_;  // the new record is readable while the indexes look at it
  if (DBResult st = AddToIndexes(rec, cursorIndex, insertPos)) {
    --nextRec_;
    ClearSlot(rec);
    return st;
  }
  ++live_;
  LogAppend(rec, 0, kChangeInsert);
  blobs_.Commit();
  if (autoIncField_ != 0) ++autoIncValue_;
  if (newRec) *newRec = rec;
  return DBERR_NONE;
}

DBResult DSBASE::BuildWorkingModify(uint32_t rec, const uint8_t* record, uint8_t* work) const {
  (void)rec;
  const uint8_t* stored = scratch_.data();
  memcpy(work, stored, recordSize_);
  for (uint32_t f = 1; f <= FieldCount(); ++f) {
    const FieldDescriptor& d = fields_[f - 1];
    const uint8_t bufNull = record[d.nullOffset];
    if (d.attributes & fldAttrREADONLY) {
      const bool differs = stored[d.nullOffset] != kValuePresent ||
                           memcmp(stored + d.offset, record + d.offset, d.length) != 0;
      if (bufNull == kValuePresent && differs) return DBERR_FIELDREADONLY;
      continue;  // a read-only field keeps its stored value
    }
    if (d.attributes & fldAttrLINK) continue;
    if ((d.attributes & fldAttrREQUIRED) && BlankOrEmpty(record, f)) return DBERR_REQDERR;
    work[d.nullOffset] = bufNull;
    if (bufNull == kValuePresent)
      memcpy(work + d.offset, record + d.offset, d.length);
    else
      memset(work + d.offset, 0, d.length);
  }
  return DBERR_NONE;
}

DBResult DSBASE::ModifyRecord(uint32_t rec, const uint8_t* record, DSIDX* cursorIndex,
                              uint32_t* newRec) {
  if (cursorIndex && cursorIndex->Kind() == kIndexChange) return DBERR_INDEXREADONLY;
  platform::LockScope guard(lock_);
  if (!created_ || record == nullptr) return DBERR_INVALIDPARAM;
  if (rec == 0 || rec >= nextRec_) return DBERR_NOCURRREC;
  if (!Visible(rec)) return DBERR_KEYORRECDELETED;
  if (newRec) *newRec = rec;
  uint8_t* stored = scratch_.data();
  uint8_t* work = stored + recordSize_;
  ReadRecord(rec, stored);
  if (memcmp(stored, record, recordSize_) == 0) return DBERR_NONE;
  if (DBResult st = BuildWorkingModify(rec, record, work)) return st;
  if (logChanges_ && (readOnly_ || disableEdits_)) return DBERR_READONLY;
  if (DBResult st = RunCalcFields(work)) return st;
  if (DBResult st = CheckConstraints(work)) return st;
  if (!logChanges_) return ModifyInPlace(rec, work);

  if (DBResult st = EnsureSlot()) return st;
  if (DBResult st = ReserveLog()) return st;
  const uint32_t nrec = nextRec_;
  const uint8_t oldAttr = attrs_[rec - 1];
  WriteRecord(nrec, work);
  attrs_[nrec - 1] = dsRecModified | (oldAttr & dsRecInserted);
  attrs_[rec - 1] = oldAttr | dsRecSuperseded;
  ++nextRec_;
  if (DBResult st = ReplaceInIndexes(rec, nrec)) {
    --nextRec_;
    attrs_[rec - 1] = oldAttr;
    ClearSlot(nrec);
    return st;
  }
  LogAppend(nrec, rec, kChangeModify);
  blobs_.Commit();
  if (newRec) *newRec = nrec;
  return DBERR_NONE;
}

// Without a log the record is overwritten in its slot; keyed (and filtered) indexes take it out
// first and put it in again under its new key.
DBResult DSBASE::ModifyInPlace(uint32_t rec, const uint8_t* work) {
  const uint8_t* stored = scratch_.data();
  try {
    savedPositions_.resize(indexes_.size());
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
  auto repositions = [](const DSIDX& idx) { return idx.HasKeys() || idx.Kind() == kIndexFiltered; };
  for (size_t i = 0; i < indexes_.size(); ++i) {
    DSIDX& idx = *indexes_[i];
    savedPositions_[i] = repositions(idx) ? idx.FindPosition(rec) : 0;
    if (savedPositions_[i] != 0) idx.RemoveRecord(rec);
  }
  WriteRecord(rec, work);
  for (size_t i = 0; i < indexes_.size(); ++i) {
    DSIDX& idx = *indexes_[i];
    if (!repositions(idx)) continue;
    if (DBResult st = idx.InsertRecord(rec)) {
      for (size_t j = 0; j < i; ++j)
        if (repositions(*indexes_[j])) indexes_[j]->RemoveRecord(rec);
      WriteRecord(rec, stored);
      for (size_t j = 0; j < indexes_.size(); ++j)
        if (savedPositions_[j] != 0) indexes_[j]->PutBackAt(savedPositions_[j], rec);
      return st;
    }
  }
  blobs_.Commit();
  return DBERR_NONE;
}

DBResult DSBASE::DeleteRecord(uint32_t rec, DSIDX* cursorIndex) {
  if (cursorIndex && cursorIndex->Kind() == kIndexChange) return DBERR_INDEXREADONLY;
  if (deltaMode_) return DBERR_NA;
  platform::LockScope guard(lock_);
  if (!created_) return DBERR_INVALIDPARAM;
  if (rec == 0 || rec >= nextRec_) return DBERR_NOCURRREC;
  if (logChanges_ && (readOnly_ || disableDeletes_)) return DBERR_READONLY;
  if (!Visible(rec)) return DBERR_NA;
  if (DBResult st = ReserveLog()) return st;
  attrs_[rec - 1] |= dsRecDeleted;
  RemoveFromIndexes(rec);
  --live_;
  LogAppend(rec, 0, kChangeDelete);
  return DBERR_NONE;
}

}  // namespace dsengine
