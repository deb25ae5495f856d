// DSBASE: the index list: create, delete, find, register and release indexes, sort on fields.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/collation.h"
#include "tableengine/dsbase.h"

namespace dsengine {

namespace {
// Same key fields with the same flags, ignoring the unique flag and the name.
bool SameKeyFields(const IndexDescriptor& a, const IndexDescriptor& b) {
  IndexDescriptor x = a, y = b;
  x.unique = y.unique = 0;
  return SameKeys(x, y);
}
}  // namespace

DSIDX* DSBASE::RegisterIndex(std::unique_ptr<DSIDX> index) {
  platform::LockScope guard(lock_);
  try {
    indexes_.push_back(nullptr);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  index->SetIdentity(nextIdentity_++);
  indexes_.back() = std::move(index);
  return indexes_.back().get();
}

void DSBASE::ReleaseIndex(DSIDX* index) {
  platform::LockScope guard(lock_);
  if (index == nullptr || index->DropUse() > 0) return;
  auto it = std::find_if(indexes_.begin(), indexes_.end(),
                         [index](const std::unique_ptr<DSIDX>& p) { return p.get() == index; });
  if (it != indexes_.end()) indexes_.erase(it);
}

DBResult DSBASE::FindIndex(const char* name, DSIDX** index) {
  platform::LockScope guard(lock_);
  if (index) *index = nullptr;
  const char* wanted = (name == nullptr || name[0] == 0) ? kDefaultIndexName : name;
  for (const auto& idx : indexes_) {
    if (idx->Kind() != kIndexOrdinary && idx->Kind() != kIndexChange) continue;
    if (idx->IsTemporary()) continue;
    if (platform::Compare(locale_, 0, idx->Name(), -1, wanted, -1) == platform::kCompareEqual) {
      if (index) *index = idx.get();
      return DBERR_NONE;
    }
  }
  return DBERR_NOSUCHINDEX;
}

DBResult DSBASE::CreateIndex(const IndexDescriptor* desc) {
  platform::LockScope guard(lock_);
  if (desc == nullptr || !created_) return DBERR_INVALIDPARAM;
  IndexDescriptor d = *desc;
  d.name[sizeof d.name - 1] = 0;
  if (d.name[0] == 0) memcpy(d.name, kDefaultIndexName, sizeof kDefaultIndexName);
  DSIDX* existing = nullptr;
  if (FindIndex(d.name, &existing) != DBERR_NONE) {
    std::unique_ptr<DSIDX> idx(new (std::nothrow) DSIDX(*this, kIndexOrdinary));
    if (!idx) return DBERR_NOMEMORY;
    if (DBResult st = idx->SetDescriptor(d)) return st;
    if (DBResult st = idx->Build(nullptr)) return st;
    return RegisterIndex(std::move(idx)) ? DBERR_NONE : DBERR_NOMEMORY;
  }
  if (existing == DefaultIndex()) {
    if (existing->HasKeys() || existing->Redefined()) return DBERR_ACTIVEINDEX;
    if (DBResult st = existing->RebuildInPlace(d, nullptr)) return st;
    existing->SetRedefined();
    return DBERR_NONE;
  }
  return SameKeys(existing->Descriptor(), d) ? DBERR_NONE : DBERR_NAMENOTUNIQUE;
}

DBResult DSBASE::DeleteIndex(const char* name) {
  platform::LockScope guard(lock_);
  if (name == nullptr || name[0] == 0) return DBERR_ACTIVEINDEX;
  DSIDX* idx = nullptr;
  if (DBResult st = FindIndex(name, &idx)) return st;
  // The change index is part of the log; it goes only with the table.
  if (idx == DefaultIndex() || idx == changeIndex_ || idx->UseCount() > 1) return DBERR_ACTIVEINDEX;
  ReleaseIndex(idx);
  return DBERR_NONE;
}

DSIDX* DSBASE::FindSourceIndex(const IndexDescriptor& desc, const DSIDX* except) const {
  for (const auto& idx : indexes_) {
    if (idx.get() == except || idx->Kind() != kIndexOrdinary) continue;
    const IndexDescriptor& d = idx->Descriptor();
    if (d.fieldCount < desc.fieldCount || desc.fieldCount == 0) continue;
    bool match = true;
    for (uint32_t i = 0; i < desc.fieldCount && match; ++i) {
      match = d.fields[i] == desc.fields[i] &&
              (d.descending[i] != 0) == (desc.descending[i] != 0) &&
              (d.caseInsensitive[i] != 0) == (desc.caseInsensitive[i] != 0);
    }
    if (match) return idx.get();
  }
  return nullptr;
}

DBResult DSBASE::SortOnFields(DSIDX** cursorIndex, uint32_t count, const uint32_t* fields,
                              const bool* descending, const bool* caseInsensitive) {
  platform::LockScope guard(lock_);
  if (cursorIndex == nullptr || fields == nullptr || count == 0 || count > kMaxKeyFields)
    return DBERR_INVALIDPARAM;
  IndexDescriptor d{};
  for (uint32_t i = 0; i < count; ++i) {
    if (fields[i] == 0 || fields[i] > FieldCount()) return DBERR_INVALIDPARAM;
    d.fields[i] = fields[i];
    d.descending[i] = descending && descending[i];
    d.caseInsensitive[i] = caseInsensitive && caseInsensitive[i];
  }
  d.fieldCount = count;
  memcpy(d.name, Field(fields[0]).name, sizeof d.name);

  DSIDX* current = *cursorIndex;
  if (current && SameKeyFields(current->Descriptor(), d)) return DBERR_NONE;
  // A temporary index shared with another cursor is left alone: rebuilding it would reorder
  // that cursor's view too.
  const bool inPlace = current && (current->Kind() == kIndexFiltered ||
                                   (current->IsTemporary() && current->UseCount() == 1));
  DSIDX* source = FindSourceIndex(d, inPlace ? current : nullptr);
  if (inPlace) return current->RebuildInPlace(d, source);

  std::unique_ptr<DSIDX> idx(new (std::nothrow) DSIDX(*this, kIndexOrdinary));
  if (!idx) return DBERR_NOMEMORY;
  if (DBResult st = idx->SetDescriptor(d)) return st;
  idx->SetTemporary(true);
  if (DBResult st = idx->Build(source)) return st;
  DSIDX* made = RegisterIndex(std::move(idx));
  if (made == nullptr) return DBERR_NOMEMORY;
  if (current) ReleaseIndex(current);
  *cursorIndex = made;
  return DBERR_NONE;
}

}  // namespace dsengine
