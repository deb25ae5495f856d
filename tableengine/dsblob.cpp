// Blob store entries: added (copied or borrowed), extended, freed and released after a cancel
// or undo.
#include "tableengine/dsblob.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace dsengine {

DBResult BlobStore::CheckHandle(int32_t handle) const {
  if (handle < 0) return DBERR_BLOBNOTFETCHED;
  if (static_cast<uint32_t>(handle) > Count()) return DBERR_INVALIDBLOBHANDLE;
  return DBERR_NONE;
}

DBResult BlobStore::Append(Entry entry, uint32_t* handle) {
  if (Count() >= static_cast<uint32_t>(INT32_MAX)) return DBERR_NOMEMORY;
  try {
    if (entries_.size() == entries_.capacity())
      entries_.reserve(entries_.capacity() + std::max(kGrowth, entries_.capacity() / 2));
    entries_.push_back(std::move(entry));
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  *handle = Count();
  return DBERR_NONE;
}

DBResult BlobStore::Reserve(size_t count) {
  if (count > size_t(INT32_MAX) - entries_.size()) return DBERR_NOMEMORY;
  try {
    entries_.reserve(entries_.size() + count);
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

DBResult BlobStore::Add(const void* data, uint32_t length, uint32_t* handle) {
  Entry entry;
  try {
    entry.owned.resize(length);
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  if (length) memcpy(entry.owned.data(), data, length);
  return Append(std::move(entry), handle);
}

DBResult BlobStore::HoldBuffer(std::shared_ptr<const void> buffer) {
  try {
    held_.push_back(std::move(buffer));
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

DBResult BlobStore::AddBorrowed(const uint8_t* data, uint32_t length, uint32_t* handle) {
  if (length == 0) return Append(Entry{}, handle);  // nothing to borrow
  Entry entry;
  entry.borrowed = data;
  entry.borrowedLength = length;
  if (DBResult st = Append(std::move(entry), handle)) return st;
  ++borrowedCount_;
  return DBERR_NONE;
}

void BlobStore::ReleaseIdleBuffers() {
  if (borrowedCount_ == 0) held_.clear();
}

DBResult BlobStore::Unborrow(Entry& entry) {
  if (entry.borrowed == nullptr) return DBERR_NONE;
  try {
    entry.owned.assign(entry.borrowed, entry.borrowed + entry.borrowedLength);
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  }
  entry.borrowed = nullptr;
  entry.borrowedLength = 0;
  --borrowedCount_;
  ReleaseIdleBuffers();
  return DBERR_NONE;
}

DBResult BlobStore::Write(uint32_t handle, uint32_t offset, const void* data, uint32_t length) {
  Entry& entry = entries_[handle - 1];
  const uint64_t end = uint64_t(offset) + length;
  if (end > UINT32_MAX) return DBERR_INVALIDPARAM;
  if (DBResult st = Unborrow(entry)) return st;
  try {
    if (end > entry.owned.size()) entry.owned.resize(end);
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  if (length) memcpy(entry.owned.data() + offset, data, length);
  return DBERR_NONE;
}

void BlobStore::Free(uint32_t handle) {
  Entry& entry = entries_[handle - 1];
  if (entry.borrowed != nullptr) {
    entry.borrowed = nullptr;
    entry.borrowedLength = 0;
    --borrowedCount_;
    ReleaseIdleBuffers();
  }
  std::vector<uint8_t>().swap(entry.owned);
}

void BlobStore::ReleaseUncommitted() {
  for (size_t k = committed_; k < entries_.size(); ++k)
    if (entries_[k].borrowed != nullptr) --borrowedCount_;
  if (entries_.size() > committed_) entries_.resize(committed_);
  ReleaseIdleBuffers();
}

void BlobStore::Clear() {
  entries_.clear();
  committed_ = 0;
  held_.clear();
  borrowedCount_ = 0;
}

}  // namespace dsengine
