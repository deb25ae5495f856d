// The filtered index: filter list, handles, and the view's maintenance through Accepts.
#include "tableengine/dsfilter.h"

#include <new>

namespace dsengine {

namespace {
constexpr uint32_t kSmallTable = 500;      // up to this many live records the view is sized fully
constexpr uint32_t kPrefetchDistance = 8;  // records ahead whose searched field is fetched early
}  // namespace

DSIDXFILT::DSIDXFILT(DSBASE& table) : DSFilteredIndex(table), blobs_(table) {}

uint32_t DSIDXFILT::InitialCapacity(uint32_t liveCount) const {
  return liveCount <= kSmallTable ? liveCount + 10 : liveCount / 5 + 10;
}

bool DSIDXFILT::TableBlobs::GetBlob(uint16_t, int32_t handle, const char*& data, size_t& length) {
  const BlobStore& store = table_.Blobs();
  if (handle == 0) {
    data = "";
    length = 0;
    return true;
  }
  if (!table_.HasBlobStore() || store.CheckHandle(handle) != DBERR_NONE) return false;
  data = reinterpret_cast<const char*>(store.Data(static_cast<uint32_t>(handle)));
  length = store.Length(static_cast<uint32_t>(handle));
  return true;
}

void DSIDXFILT::ListChanged() {
  searchField_ = filters_.empty() ? 0 : filters_.front().program->SearchField();
}

bool DSIDXFILT::Accepts(uint32_t rec) {
  if (filters_.empty()) return true;
  const DSBASE& table = Table();
  if (rec == 0 || rec >= table.NextRecordNumber()) return false;
#if defined(__GNUC__)
  // Builds test records in record-number order; a search filter reads one field, whose value
  // for a record a little ahead is then on its way from memory when its turn comes.
  if (searchField_ != 0 && rec + kPrefetchDistance < table.NextRecordNumber())
    __builtin_prefetch(table.ValuePtr(rec + kPrefetchDistance, searchField_));
#endif
  if (searchField_ != 0 && filters_.size() == 1)
    return filters_[0].program->EvaluateSearchField(table.ValuePtr(rec, searchField_),
                                                    table.NullFlagOf(rec, searchField_));
  const StoredRecord record(table, rec);
  for (Filter& f : filters_)
    if (!f.program->Evaluate(record, &blobs_)) return false;
  return true;
}

DBResult DSIDXFILT::AddFilter(const uint8_t* expr, uint32_t size, const DSIDX* source,
                              uint32_t* handle) {
  if (expr == nullptr || handle == nullptr) return DBERR_INVALIDPARAM;
  DSBASE& table = Table();
  if (table.FieldCount() == 0) return DBERR_INVALIDPARAM;
  try {
    Filter f;
    f.program = std::make_unique<FilterProgram>();
    if (DBResult st =
            f.program->Build(expr, size, &table.Field(1), table.FieldCount(), table.Locale()))
      return st;
    f.expression.assign(expr, expr + size);
    uint32_t previousNext = nextHandle_;
    bool previousHasList = hasList_;
    if (!hasList_) nextHandle_ = 1;  // a new list numbers its filters from 1
    f.handle = nextHandle_;
    filters_.push_back(std::move(f));
    ListChanged();
    if (DBResult st = BuildForFilters(source)) {
      filters_.pop_back();
      ListChanged();
      nextHandle_ = previousNext;
      hasList_ = previousHasList;
      BuildForFilters(source);  // back to the previous view
      return st;
    }
    hasList_ = true;
    *handle = nextHandle_++;
    return DBERR_NONE;
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
}

DBResult DSIDXFILT::DropFilter(uint32_t handle) {
  if (!hasList_) return DBERR_NA;
  size_t at = 0;
  while (at < filters_.size() && filters_[at].handle != handle) ++at;
  if (at == filters_.size()) return DBERR_OBJNOTFOUND;
  filters_.erase(filters_.begin() + static_cast<std::ptrdiff_t>(at));
  ListChanged();
  if (filters_.empty()) hasList_ = false;  // the list goes with its last filter
  // The index this view was made from may be gone: refill from a registered index in the same
  // order, or from all live records.
  const DSIDX* source = Table().FindSourceIndex(Descriptor(), this);
  return BuildForFilters(source);
}

DBResult DSIDXFILT::BuildForFilters(const DSIDX* source) {
  changingFilters_ = true;
  const DBResult st = Build(source);
  changingFilters_ = false;
  return st;
}

bool DSIDXFILT::RemembersKeyOrder() const {
  const KeyOrder& k = keyOrder_;
  const DSBASE& table = Table();
  return k.valid && SameKeys(k.keys, Descriptor()) && k.locale == table.Locale() &&
         k.recordLimit == table.NextRecordNumber() && k.rankOf.size() == k.recordLimit;
}

DBResult DSIDXFILT::Build(const DSIDX* source) {
  // The base build takes every indexable record in record-number order and sorts them when
  // there is no source (or no keys to order a source by); only then can the key order help.
  // Only a change of the filter list keeps the remembered order: the table rebuilds its indexes
  // itself after changes it does not report one by one (a packet's rows, a new locale).
  if (!changingFilters_) keyOrder_.valid = false;
  const bool fromAll = source == nullptr || !HasKeys();
  bool remembered = fromAll && HasKeys() && RemembersKeyOrder();
  if (remembered && filters_.empty()) {
    DBResult st = DBERR_NONE;
    if (RestoreKeyOrder(&st)) return st;
    remembered = false;  // other records than remembered: sort them and remember anew
  }
  if (remembered)
    sortMode_ = SortMode::kByRank;
  else if (fromAll && filters_.empty())
    sortMode_ = SortMode::kRecordKeyOrder;
  else
    sortMode_ = SortMode::kKeys;
  const DBResult st = DSIDX::Build(source);
  if (st != DBERR_NONE && sortMode_ == SortMode::kRecordKeyOrder) keyOrder_.valid = false;
  sortMode_ = SortMode::kKeys;
  return st;
}

void DSIDXFILT::SortAppended() {
  KeyOrder& k = keyOrder_;
  switch (sortMode_) {
    case SortMode::kByRank: {
      bool ranked = true;  // every record was in the remembered view
      for (uint32_t p = 1; p <= Count() && ranked; ++p)
        ranked = RecordAt(p) < k.rankOf.size() && k.rankOf[RecordAt(p)] != 0;
      if (ranked) return SortPositionsByRank(k.rankOf);
      k.valid = false;
      SortPositions();
      return;
    }
    case SortMode::kRecordKeyOrder:
      k.valid = false;
      if (!SortPositions(&k.rankOf)) return;
      try {
        k.order.assign(Positions() + 1, Positions() + 1 + Count());
      } catch (const std::bad_alloc&) {
        return;
      }
      k.keys = Descriptor();
      k.locale = Table().Locale();
      k.recordLimit = Table().NextRecordNumber();
      k.valid = k.rankOf.size() == k.recordLimit;
      return;
    case SortMode::kKeys:
      SortPositions();
      return;
  }
}

// The remembered order is what a build from all records gives when the table holds the same
// records with the same keys: the same records in record-number order, sorted by the same
// comparisons.
bool DSIDXFILT::RestoreKeyOrder(DBResult* status) {
  const DSBASE& table = Table();
  const KeyOrder& k = keyOrder_;
  uint32_t indexable = 0;
  for (uint32_t rec = 1; rec < table.NextRecordNumber(); ++rec) {
    if (!table.Indexable(rec)) continue;
    if (rec >= k.rankOf.size() || k.rankOf[rec] == 0) return false;
    ++indexable;
  }
  if (indexable != k.order.size()) return false;
  Empty();
  Touch();
  SetInsertHint(0);
  if (DBResult st = Reserve(indexable)) {
    *status = st;
    return true;
  }
  for (int32_t rec : k.order) Append(uint32_t(rec));
  *status = DBERR_NONE;
  return true;
}

// Every table change reaches the index through these: the remembered order is no longer that
// of the table.
DBResult DSIDXFILT::InsertRecord(uint32_t rec) {
  keyOrder_.valid = false;
  return DSIDX::InsertRecord(rec);
}

DBResult DSIDXFILT::RemoveRecord(uint32_t rec) {
  keyOrder_.valid = false;
  return DSIDX::RemoveRecord(rec);
}

DBResult DSIDXFILT::ReplaceRecord(uint32_t oldRec, uint32_t newRec) {
  keyOrder_.valid = false;
  return DSIDX::ReplaceRecord(oldRec, newRec);
}

DBResult MakeFilteredIndex(DSBASE& table, const IndexDescriptor& keys,
                           std::unique_ptr<DSFilteredIndex>* made) {
  if (made == nullptr) return DBERR_INVALIDPARAM;
  try {
    auto index = std::make_unique<DSIDXFILT>(table);
    if (DBResult st = index->SetDescriptor(keys)) return st;
    *made = std::move(index);
    return DBERR_NONE;
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
}

}  // namespace dsengine
