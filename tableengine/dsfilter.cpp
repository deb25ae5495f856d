// The filtered index: filter list, handles, and the view's maintenance through Accepts.
#include "tableengine/dsfilter.h"

#include <new>

namespace dsengine {

namespace {
constexpr uint32_t kSmallTable = 500;  // up to this many live records the view is sized fully
}

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

bool DSIDXFILT::Accepts(uint32_t rec) {
  if (filters_.empty()) return true;
  const DSBASE& table = Table();
  if (rec == 0 || rec >= table.NextRecordNumber()) return false;
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
    if (DBResult st = Build(source)) {
      filters_.pop_back();
      nextHandle_ = previousNext;
      hasList_ = previousHasList;
      Build(source);  // back to the previous view
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
  if (filters_.empty()) hasList_ = false;  // the list goes with its last filter
  // The index this view was made from may be gone: refill from a registered index in the same
  // order, or from all live records.
  const DSIDX* source = Table().FindSourceIndex(Descriptor(), this);
  return Build(source);
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
