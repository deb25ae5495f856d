// Index maintenance: descriptor and comparers, build and sort, insertion, removal, replacement.
#include "tableengine/dsindex.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "platform/collation.h"
#include "tableengine/dsbase.h"
#include "tableengine/dssort.h"

namespace dsengine {

namespace {
constexpr uint32_t kPositionGrowth = 50;  // positions added when an index is full
}  // namespace

bool SameKeys(const IndexDescriptor& a, const IndexDescriptor& b) {
  if (a.fieldCount != b.fieldCount || (a.unique != 0) != (b.unique != 0)) return false;
  for (uint32_t i = 0; i < a.fieldCount && i < kMaxKeyFields; ++i) {
    if (a.fields[i] != b.fields[i] || (a.descending[i] != 0) != (b.descending[i] != 0) ||
        (a.caseInsensitive[i] != 0) != (b.caseInsensitive[i] != 0))
      return false;
  }
  return true;
}

DSIDX::DSIDX(DSBASE& table, IndexKind kind) : table_(table), kind_(kind) {
  pos_.assign(2, 0);
  pos_[1] = -1;
}

DSIDX::~DSIDX() = default;

DBResult DSIDX::SetDescriptor(const IndexDescriptor& desc) {
  if (desc.fieldCount > kMaxKeyFields) return DBERR_INVALIDPARAM;
  KeyField keys[kMaxKeyFields]{};
  for (uint32_t i = 0; i < desc.fieldCount; ++i) {
    const uint32_t f = desc.fields[i];
    if (f == 0 || f > table_.FieldCount()) return DBERR_INVALIDPARAM;
    const FieldDescriptor& fd = table_.Field(f);
    KeyCompareFn cmp = KeyComparerForType(fd.type);
    if (cmp == nullptr) return DBERR_INVALIDFLDTYPE;
    keys[i] = {f,
               fd.type,
               fd.length,
               fd.units1,
               table_.Locale(),
               desc.caseInsensitive[i] ? platform::kNormIgnoreCase : 0u,
               desc.descending[i] != 0,
               cmp};
  }
  desc_ = desc;
  desc_.name[sizeof desc_.name - 1] = 0;
  memcpy(keys_, keys, sizeof keys);
  return DBERR_NONE;
}

uint32_t DSIDX::FindPosition(uint32_t rec) const {
  if (rec != 0 && rec == foundRec_) return foundPos_;
  const uint32_t pos = SearchPosition(rec);
  foundRec_ = rec;
  foundPos_ = pos;
  return pos;
}

void DSIDX::NotePosition(uint32_t rec, uint32_t pos) const {
  if (HasKeys() && rec != 0 && pos >= 1 && pos <= count_ && RecordAt(pos) == rec) {
    foundRec_ = rec;
    foundPos_ = pos;
  }
}

uint32_t DSIDX::SearchPosition(uint32_t rec) const {
  if (!HasKeys()) {
    if (!mapValid_) FillPositionMap();
    return rec < positionOf_.size() ? positionOf_[rec] : 0;
  }
  if (rec != 0 && rec < table_.NextRecordNumber()) {
    // Equal keys sit together: look between the first and last record with rec's key.
    uint32_t lo = 1, hi = count_ + 1;
    while (lo < hi) {
      const uint32_t mid = lo + (hi - lo) / 2;
      if (CompareRecords(RecordAt(mid), rec) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    for (uint32_t p = lo; p <= count_ && CompareRecords(RecordAt(p), rec) == 0; ++p)
      if (RecordAt(p) == rec) return p;
  }
  for (uint32_t p = 1; p <= count_; ++p)
    if (RecordAt(p) == rec) return p;
  return 0;
}

// From the last position to the first, so a record listed twice maps to its first position, as
// a scan would find it.
void DSIDX::FillPositionMap() const {
  uint32_t top = 0;
  for (uint32_t p = 1; p <= count_; ++p) top = std::max(top, RecordAt(p));
  positionOf_.assign(size_t(top) + 1, 0);
  for (uint32_t p = count_; p >= 1; --p) positionOf_[RecordAt(p)] = p;
  mapValid_ = true;
}

// The map holds a record's first position (the change index lists a record once per log entry):
// an entry only maps its record when that has no earlier one.
void DSIDX::MapFirst(uint32_t rec, uint32_t pos) {
  if (!mapValid_) return;
  if (rec < positionOf_.size() && positionOf_[rec] != 0 && positionOf_[rec] < pos) return;
  if (rec >= positionOf_.size()) {
    try {
      positionOf_.resize(std::max<size_t>(size_t(rec) + 1, positionOf_.size() * 3 / 2));
    } catch (const std::bad_alloc&) {
      mapValid_ = false;  // refilled (or the allocation retried) by the next search
      return;
    }
  }
  positionOf_[rec] = pos;
}

// The entry at `pos` leaves (RemoveAt and SetAt only take a record's only entry, or the change
// index's last).
void DSIDX::Unmap(uint32_t rec, uint32_t pos) {
  if (mapValid_ && rec < positionOf_.size() && positionOf_[rec] == pos) positionOf_[rec] = 0;
}

int DSIDX::CompareRecords(uint32_t a, uint32_t b) const {
  for (uint32_t i = 0; i < desc_.fieldCount; ++i) {
    const KeyField& k = keys_[i];
    const bool blankA = table_.NullFlagOf(a, k.field) != 0;
    const bool blankB = table_.NullFlagOf(b, k.field) != 0;
    int c;
    if (blankA || blankB)
      c = blankA == blankB ? 0 : (blankA ? -1 : 1);
    else
      c = k.compare(k, table_.ValuePtr(a, k.field), table_.ValuePtr(b, k.field));
    if (c) return k.descending ? -c : c;
  }
  return 0;
}

bool DSIDX::Accepts(uint32_t) { return true; }

DBResult DSIDX::Reserve(uint32_t extra) {
  const size_t need = size_t(count_) + extra + 2;
  if (need <= pos_.size()) return DBERR_NONE;
  size_t size = pos_.size();
  while (size < need) size += kPositionGrowth;
  try {
    pos_.resize(size);
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

void DSIDX::Empty() {
  foundRec_ = 0;
  mapValid_ = false;
  positionOf_.clear();
  count_ = 0;
  pos_[0] = 0;
  pos_[1] = -1;
}

void DSIDX::Append(uint32_t rec) {
  foundRec_ = 0;
  pos_[++count_] = static_cast<int32_t>(rec);
  pos_[count_ + 1] = -1;
  MapFirst(rec, count_);
}

void DSIDX::InsertAt(uint32_t pos, uint32_t rec) {
  foundRec_ = 0;
  memmove(&pos_[pos + 1], &pos_[pos], sizeof(int32_t) * (count_ + 2 - pos));
  pos_[pos] = static_cast<int32_t>(rec);
  ++count_;
  // The records behind moved up one: a record whose first position moved gets the new one.
  for (uint32_t p = pos + 1; mapValid_ && p <= count_; ++p)
    if (positionOf_[RecordAt(p)] == p - 1) positionOf_[RecordAt(p)] = p;
  MapFirst(rec, pos);
  NotePosition(rec, pos);
}

void DSIDX::RemoveAt(uint32_t pos) {
  foundRec_ = 0;
  Unmap(RecordAt(pos), pos);
  memmove(&pos_[pos], &pos_[pos + 1], sizeof(int32_t) * (count_ + 1 - pos));
  --count_;
  // The records behind moved down one. The record that left has no later entry to map: only
  // the change index lists a record more than once, and it loses nothing but its last entry.
  for (uint32_t p = pos; mapValid_ && p <= count_; ++p) {
    const uint32_t rec = RecordAt(p);
    if (positionOf_[rec] == p + 1) positionOf_[rec] = p;
  }
}

void DSIDX::SetAt(uint32_t pos, uint32_t rec) {
  foundRec_ = 0;
  Unmap(RecordAt(pos), pos);
  pos_[pos] = static_cast<int32_t>(rec);
  MapFirst(rec, pos);
  NotePosition(rec, pos);
}

uint32_t DSIDX::UpperBound(uint32_t rec) const {
  uint32_t lo = 1, hi = count_ + 1;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (CompareRecords(RecordAt(mid), rec) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// Sorted, so neighbours are either equal or in order: a new rank at every position p whose key
// `stepsUp(p)` from position p - 1's. False (ranks unknown) when memory runs out.
template <class StepsUp>
bool DSIDX::RanksOfSorted(std::vector<uint32_t>* rankOf, const StepsUp& stepsUp) const {
  try {
    rankOf->assign(table_.NextRecordNumber(), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  uint32_t rank = 0;
  for (uint32_t p = 1; p <= count_; ++p) {
    if (p == 1 || stepsUp(p)) ++rank;
    if (RecordAt(p) < rankOf->size()) (*rankOf)[RecordAt(p)] = rank;
  }
  return true;
}

bool DSIDX::SortPositions(std::vector<uint32_t>* rankOf) {
  foundRec_ = 0;
  mapValid_ = false;
  RecordSortKeys keys;
  if (keys.Build(table_, keys_, desc_.fieldCount, pos_.data(), count_)) {
    RecordSortKeys::Entry* e = keys.Entries();
    SortIndexEntries(e, count_,
                     [&keys](const RecordSortKeys::Entry& a, const RecordSortKeys::Entry& b) {
                       return keys.Less(a, b);
                     });
    for (uint32_t p = 1; p <= count_; ++p) pos_[p] = e[p].rec;
    if (rankOf == nullptr) return false;
    return RanksOfSorted(rankOf, [&](uint32_t p) { return keys.Less(e[p - 1], e[p]); });
  }
  SortIndexEntries(pos_.data(), count_, [this](int32_t a, int32_t b) {
    return CompareRecords(uint32_t(a), uint32_t(b)) < 0;
  });
  // Neighbours in a sorted sequence tell the ranks only when the comparison is a total order.
  if (rankOf == nullptr || !KeysTotallyOrdered()) return false;
  return RanksOfSorted(
      rankOf, [this](uint32_t p) { return CompareRecords(RecordAt(p - 1), RecordAt(p)) != 0; });
}

// Floating-point keys (and time stamps, compared as such) are not a total order: NaN compares
// equal to everything.
bool DSIDX::KeysTotallyOrdered() const {
  for (uint32_t i = 0; i < desc_.fieldCount; ++i)
    if (keys_[i].type == fldFLOAT || keys_[i].type == fldTIMESTAMP) return false;
  return true;
}

void DSIDX::SortPositionsByRank(const std::vector<uint32_t>& rankOf) {
  foundRec_ = 0;
  mapValid_ = false;
  // Each entry carries its rank above its record number and the comparison looks at the rank
  // alone: the sort sees the same comparison results as with rankOf[rec], without looking up.
  std::vector<uint64_t> entries;
  try {
    entries.resize(size_t(count_) + 1);
  } catch (const std::bad_alloc&) {
    SortIndexEntries(pos_.data(), count_, [&rankOf](int32_t a, int32_t b) {
      return rankOf[uint32_t(a)] < rankOf[uint32_t(b)];
    });
    return;
  }
  for (uint32_t p = 1; p <= count_; ++p)
    entries[p] = uint64_t(rankOf[uint32_t(pos_[p])]) << 32 | uint32_t(pos_[p]);
  SortIndexEntries(entries.data(), count_,
                   [](uint64_t a, uint64_t b) { return (a >> 32) < (b >> 32); });
  for (uint32_t p = 1; p <= count_; ++p) pos_[p] = int32_t(uint32_t(entries[p]));
}

// The source's first key fields and flags are this index's, and every comparer involved is a
// total order (floating-point keys are not: NaN compares equal to everything), so the source's
// order is non-decreasing under this index's keys.
bool DSIDX::SortedLike(const DSIDX& source) const {
  const IndexDescriptor& s = source.desc_;
  if (source.Kind() == kIndexChange || s.fieldCount < desc_.fieldCount) return false;
  for (uint32_t i = 0; i < desc_.fieldCount; ++i) {
    if (s.fields[i] != desc_.fields[i] || (s.descending[i] != 0) != (desc_.descending[i] != 0) ||
        (s.caseInsensitive[i] != 0) != (desc_.caseInsensitive[i] != 0))
      return false;
  }
  return KeysTotallyOrdered();
}

bool DSIDX::NeighboursUnique() const {
  for (uint32_t p = 2; p <= count_; ++p)
    if (CompareRecords(RecordAt(p - 1), RecordAt(p)) == 0) return false;
  return true;
}

DBResult DSIDX::Build(const DSIDX* source) {
  if (pos_.size() <= 2) {
    if (DBResult st = Reserve(InitialCapacity(table_.LiveCount()))) return st;
  }
  Empty();
  Touch();
  const bool fromSource = source != nullptr && HasKeys();
  const bool sortAfter =
      !fromSource && HasKeys() && table_.NextRecordNumber() > 1 && this != table_.DefaultIndex();
  // Records from a source sorted on (at least) these keys arrive in key order, so each one would
  // go after every record already taken: append instead of searching.
  const bool appendInOrder = fromSource && !IsUnique() && SortedLike(*source);
  insertHint_ = 0;
  auto take = [&](uint32_t rec) -> DBResult {
    if (!sortAfter) return InsertRecord(rec);  // consults Accepts itself
    if (!Accepts(rec)) return DBERR_NONE;
    if (DBResult st = Reserve(1)) return st;
    Append(rec);
    return DBERR_NONE;
  };
  DBResult st = DBERR_NONE;
  if (fromSource) {
    st = TakeFromSource(*source, appendInOrder);
  } else {
    for (uint32_t rec = 1; rec < table_.NextRecordNumber() && st == DBERR_NONE; ++rec)
      if (table_.Indexable(rec)) st = take(rec);
  }
  if (st == DBERR_NONE && sortAfter) {
    SortAppended();
    if (IsUnique() && !NeighboursUnique()) st = DBERR_KEYVIOL;
  }
  if (st != DBERR_NONE) Empty();
  return st;
}

// Takes the source's records in its order. Where Accepts can refuse records, they are tested
// first in record-number order (the column store is read front to back instead of in key
// order) and the verdicts kept in a bit set.
DBResult DSIDX::TakeFromSource(const DSIDX& source, bool appendInOrder) {
  const uint32_t n = source.Count();
  std::vector<uint64_t> member, pass;
  const bool testFirst = TestsRecords() && n > 0;
  if (testFirst) {
    try {
      member.assign(size_t(table_.NextRecordNumber()) / 64 + 1, 0);
      pass.assign(member.size(), 0);
    } catch (const std::bad_alloc&) {
      return DBERR_NOMEMORY;
    }
    for (uint32_t p = 1; p <= n; ++p) {
      const uint32_t rec = source.RecordAt(p);
      if (rec < table_.NextRecordNumber()) member[rec / 64] |= uint64_t(1) << (rec % 64);
    }
    for (size_t w = 0; w < member.size(); ++w)
      for (uint64_t bits = member[w]; bits != 0; bits &= bits - 1) {
        const uint32_t rec = uint32_t(w * 64 + std::countr_zero(bits));
        if (Accepts(rec)) pass[w] |= uint64_t(1) << (rec % 64);
      }
  }
  auto passes = [&](uint32_t rec) {
    if (!testFirst) return Accepts(rec);
    return rec < table_.NextRecordNumber() && (pass[rec / 64] >> (rec % 64) & 1) != 0;
  };
  for (uint32_t p = 1; p <= n; ++p) {
    const uint32_t rec = source.RecordAt(p);
    if (appendInOrder) {
      if (!passes(rec)) continue;
      if (DBResult st = Reserve(1)) return st;
      Append(rec);
    } else if (!testFirst || passes(rec)) {
      if (DBResult st = InsertRecord(rec)) return st;  // consults Accepts again
    }
  }
  return DBERR_NONE;
}

DBResult DSIDX::RebuildInPlace(const IndexDescriptor& desc, const DSIDX* source) {
  const IndexDescriptor old = desc_;
  if (DBResult st = SetDescriptor(desc)) return st;
  DBResult st = Build(source);
  if (st != DBERR_NONE) {
    SetDescriptor(old);
    Build(nullptr);
  }
  return st;
}

DBResult DSIDX::InsertRecord(uint32_t rec) {
  if (!Accepts(rec)) return DBERR_NONE;
  uint32_t at;
  if (!HasKeys()) {
    at = (insertHint_ != 0 && insertHint_ <= count_) ? insertHint_ : count_ + 1;
  } else {
    at = UpperBound(rec);
    if (IsUnique() && at > 1 && CompareRecords(RecordAt(at - 1), rec) == 0) return DBERR_KEYVIOL;
  }
  if (DBResult st = Reserve(1)) return st;
  InsertAt(at, rec);
  Touch();
  return DBERR_NONE;
}

DBResult DSIDX::RemoveRecord(uint32_t rec) {
  const uint32_t at = FindPosition(rec);
  if (at == 0) return DBERR_NA;
  RemoveAt(at);
  Touch();
  return DBERR_NONE;
}

DBResult DSIDX::ReplaceRecord(uint32_t oldRec, uint32_t newRec) {
  const uint32_t at = FindPosition(oldRec);
  const bool takes = Accepts(newRec);
  if (at == 0) return takes ? InsertRecord(newRec) : DBResult(DBERR_NONE);
  if (!takes) {
    RemoveAt(at);
    Touch();
    return DBERR_NONE;
  }
  if (!HasKeys() || CompareRecords(oldRec, newRec) == 0) {
    SetAt(at, newRec);
    Touch();
    return DBERR_NONE;
  }
  return MoveRecord(at, newRec);
}

// The same positions as taking the entry at `at` out and inserting newRec by its key, but only
// the entries between the two places shift (a removal and an insertion would each shift every
// entry behind them). The array, the old entry included, is sorted, so the binary search may
// count the old entry; it leaves, so the place is one lower when it stood before it.
DBResult DSIDX::MoveRecord(uint32_t at, uint32_t newRec) {
  uint32_t to = UpperBound(newRec);
  if (to > at) --to;
  if (IsUnique() && to > 1) {
    const uint32_t before = to - 1 < at ? to - 1 : to;  // the neighbour, the old entry skipped
    if (CompareRecords(RecordAt(before), newRec) == 0) return DBERR_KEYVIOL;
  }
  foundRec_ = 0;
  if (to < at)
    memmove(&pos_[to + 1], &pos_[to], sizeof(int32_t) * (at - to));
  else if (to > at)
    memmove(&pos_[at], &pos_[at + 1], sizeof(int32_t) * (to - at));
  pos_[to] = static_cast<int32_t>(newRec);
  mapValid_ = false;  // a keyed index answers by key; the map is never consulted
  NotePosition(newRec, to);
  Touch();
  return DBERR_NONE;
}

void DSIDX::PutBackAt(uint32_t pos, uint32_t rec) {
  if (pos == 0 || pos > count_ + 1 || Reserve(1) != DBERR_NONE) return;
  InsertAt(pos, rec);
  Touch();
}

DSIDXCHG::DSIDXCHG(DSBASE& table) : DSIDX(table, kIndexChange) {}

DBResult DSIDXCHG::Build(const DSIDX*) {
  Empty();
  Touch();
  const ChangeLog& log = Table().Log();
  if (DBResult st = Reserve(static_cast<uint32_t>(log.Size()))) return st;
  for (size_t i = 0; i < log.Size(); ++i)
    if (log.At(i).kind != kChangeNone) Append(log.At(i).record);
  return DBERR_NONE;
}

void DSIDXCHG::LogAppended(uint32_t rec) {
  if (Reserve(1) != DBERR_NONE) return;  // REQUIRES ReserveOne: cannot happen
  Append(rec);
  Touch();
}

void DSIDXCHG::LogDropped() {
  if (Count() > 0) {
    RemoveAt(Count());
    Touch();
  }
}

}  // namespace dsengine
