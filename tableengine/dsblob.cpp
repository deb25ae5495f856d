// Blob store entries: added, extended, freed and released after a cancel or undo.
#include "tableengine/dsblob.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace dsengine {

DBResult BlobStore::CheckHandle(int32_t handle) const {
  if (handle < 0) return DBERR_BLOBNOTFETCHED;
  if (static_cast<uint32_t>(handle) > Count()) return DBERR_INVALIDBLOBHANDLE;
  return DBERR_NONE;
}

DBResult BlobStore::Add(const void* data, uint32_t length, uint32_t* handle) {
  if (Count() >= static_cast<uint32_t>(INT32_MAX)) return DBERR_NOMEMORY;
  try {
    if (entries_.size() == entries_.capacity())
      entries_.reserve(entries_.capacity() + std::max(kGrowth, entries_.capacity() / 2));
    std::vector<uint8_t> entry(length);
    if (length) memcpy(entry.data(), data, length);
    entries_.push_back(std::move(entry));
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  *handle = Count();
  return DBERR_NONE;
}

DBResult BlobStore::Write(uint32_t handle, uint32_t offset, const void* data, uint32_t length) {
  std::vector<uint8_t>& entry = entries_[handle - 1];
  const uint64_t end = uint64_t(offset) + length;
  if (end > UINT32_MAX) return DBERR_INVALIDPARAM;
  try {
    if (end > entry.size()) entry.resize(end);
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  if (length) memcpy(entry.data() + offset, data, length);
  return DBERR_NONE;
}

void BlobStore::Free(uint32_t handle) { std::vector<uint8_t>().swap(entries_[handle - 1]); }

void BlobStore::ReleaseUncommitted() {
  if (entries_.size() > committed_) entries_.resize(committed_);
}

void BlobStore::Clear() {
  entries_.clear();
  committed_ = 0;
}

}  // namespace dsengine
