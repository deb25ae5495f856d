// DSBASE: undo of the newest change, and the folded change count (property 2).
#include <cstring>
#include <unordered_map>
#include <vector>

#include "tableengine/dsbase.h"

namespace dsengine {

// An undone version: the newest slot is given back, an older one keeps its number but loses
// its contents and becomes invisible (bit 32).
void DSBASE::DiscardVersion(uint32_t rec) {
  if (rec + 1 == nextRec_) {
    ClearSlot(rec);
    --nextRec_;
    return;
  }
  const uint8_t attr = attrs_[rec - 1];
  ClearSlot(rec);
  attrs_[rec - 1] = attr | dsRecHidden;
}

DBResult DSBASE::UndoDelete(const ChangeLogEntry& e, uint32_t* followRec) {
  const uint32_t rec = e.record;
  attrs_[rec - 1] &= uint8_t(~dsRecDeleted);
  if (DBResult st = AddToIndexes(rec, nullptr, 0)) {
    attrs_[rec - 1] |= dsRecDeleted;
    return st;
  }
  ++live_;
  *followRec = rec;
  return DBERR_NONE;
}

DBResult DSBASE::UndoInsert(const ChangeLogEntry& e) {
  const uint32_t rec = e.record;
  RemoveFromIndexes(rec);
  --live_;
  const bool newest = rec + 1 == nextRec_;
  DiscardVersion(rec);
  if (newest && autoIncField_ != 0 && autoIncValue_ > 1) --autoIncValue_;
  return DBERR_NONE;
}

DBResult DSBASE::UndoModify(const ChangeLogEntry& e, uint32_t* followRec) {
  const uint32_t rec = e.record, old = e.related;
  if (old == 0 || old >= nextRec_) return DBERR_INVALIDPARAM;
  attrs_[old - 1] &= uint8_t(~dsRecSuperseded);
  if (DBResult st = ReplaceInIndexes(rec, old)) {
    attrs_[old - 1] |= dsRecSuperseded;
    return st;
  }
  DiscardVersion(rec);
  *followRec = old;
  return DBERR_NONE;
}

DBResult DSBASE::UndoLastChange(bool follow, uint32_t* followRec) {
  platform::LockScope guard(lock_);
  uint32_t target = 0;
  if (followRec) *followRec = 0;
  while (!log_.Empty() && log_.Last().kind == kChangeNone) LogDropLast();
  if (log_.Empty()) return DBERR_NOTHINGTOUNDO;
  const ChangeLogEntry e = log_.Last();
  if (e.record == 0 || e.record >= nextRec_) return DBERR_INVALIDPARAM;
  DBResult st;
  switch (e.kind) {
    case kChangeDelete:
      st = UndoDelete(e, &target);
      break;
    case kChangeInsert:
      st = UndoInsert(e);
      break;
    case kChangeModify:
      st = UndoModify(e, &target);
      break;
    default:
      return DBERR_NOTSUPPORTED;
  }
  if (st != DBERR_NONE) return st;
  LogDropLast();
  blobs_.ReleaseUncommitted();
  if (follow && followRec) *followRec = target;
  return DBERR_NONE;
}

bool DSBASE::SameVersion(uint32_t a, uint32_t b) const {
  for (uint32_t f = 1; f <= FieldCount(); ++f) {
    const FieldDescriptor& d = fields_[f - 1];
    const bool blankA = NullFlagOf(a, f) != kValuePresent;
    const bool blankB = NullFlagOf(b, f) != kValuePresent;
    if (blankA != blankB) return false;
    if (blankA) continue;
    const uint8_t* va = ValuePtr(a, f);
    const uint8_t* vb = ValuePtr(b, f);
    if (d.type == fldBLOB) {
      int32_t ha, hb;
      memcpy(&ha, va, 4);
      memcpy(&hb, vb, 4);
      if (ha == hb) continue;
      if (blobs_.CheckHandle(ha) || blobs_.CheckHandle(hb)) return false;
      const uint32_t la = ha > 0 ? blobs_.Length(uint32_t(ha)) : 0;
      const uint32_t lb = hb > 0 ? blobs_.Length(uint32_t(hb)) : 0;
      if (la != lb) return false;
      if (la && memcmp(blobs_.Data(uint32_t(ha)), blobs_.Data(uint32_t(hb)), la) != 0) return false;
    } else if (memcmp(va, vb, d.length) != 0) {
      return false;
    }
  }
  return true;
}

// Folds the log per record: insert + modifications = 1, insert ... delete = 0, modifications
// = 1 (or 0 when the last version equals the original), modifications ... delete = 1.
uint32_t DSBASE::ChangeCount() const {
  platform::LockScope guard(lock_);
  struct Chain {
    uint32_t original;  // version before the first logged change (0 for an insert)
    uint32_t current;
    bool inserted;
    bool deleted;
  };
  std::vector<Chain> chains;
  std::unordered_map<uint32_t, size_t> chainOf;  // record version -> chain
  auto chainFor = [&](uint32_t rec) -> Chain& {
    auto it = chainOf.find(rec);
    if (it != chainOf.end()) return chains[it->second];
    chains.push_back({rec, rec, false, false});
    chainOf[rec] = chains.size() - 1;
    return chains.back();
  };
  try {
    for (size_t i = 0; i < log_.Size(); ++i) {
      const ChangeLogEntry& e = log_.At(i);
      switch (e.kind) {
        case kChangeInsert:
          chains.push_back({0, e.record, true, false});
          chainOf[e.record] = chains.size() - 1;
          break;
        case kChangeModify: {
          const size_t at = &chainFor(e.related) - chains.data();
          chains[at].current = e.record;
          chainOf[e.record] = at;
          break;
        }
        case kChangeDelete:
          chainFor(e.record).deleted = true;
          break;
        default:
          break;
      }
    }
  } catch (const std::bad_alloc&) {
    return static_cast<uint32_t>(log_.Size());
  }
  uint32_t count = 0;
  for (const Chain& c : chains) {
    if (c.inserted)
      count += c.deleted ? 0 : 1;
    else if (c.deleted)
      count += 1;
    else
      count += SameVersion(c.original, c.current) ? 0 : 1;
  }
  return count;
}

}  // namespace dsengine
