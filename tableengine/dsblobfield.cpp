// DSBASE: reading and writing blob fields of a flat record through the blob store.
#include <cstring>

#include "tableengine/dsbase.h"

namespace dsengine {

namespace {
int32_t HandleIn(const uint8_t* record, const FieldDescriptor& d) {
  int32_t h;
  memcpy(&h, record + d.offset, 4);
  return h;
}
void SetHandle(uint8_t* record, const FieldDescriptor& d, uint32_t h) {
  memcpy(record + d.offset, &h, 4);
}
}  // namespace

DBResult DSBASE::PutBlob(uint8_t* record, uint32_t field, uint32_t offset, const void* data,
                         uint32_t length) {
  platform::LockScope guard(lock_);
  if (record == nullptr || field == 0 || field > FieldCount()) return DBERR_INVALIDPARAM;
  const FieldDescriptor& d = fields_[field - 1];
  if (d.type != fldBLOB || (data == nullptr && length != 0)) return DBERR_INVALIDPARAM;
  const int32_t old = record[d.nullOffset] == kValuePresent ? HandleIn(record, d) : 0;
  if (offset == 0) {
    // Older versions may still refer to the previous entry; without a log none can.
    if (!logChanges_ && old > 0 && uint32_t(old) <= blobs_.Count()) blobs_.Free(uint32_t(old));
    if (length == 0) {
      SetHandle(record, d, 0);
      record[d.nullOffset] = kBlankByClient;
      return DBERR_NONE;
    }
    uint32_t h;
    if (DBResult st = blobs_.Add(data, length, &h)) return st;
    SetHandle(record, d, h);
    record[d.nullOffset] = kValuePresent;
    return DBERR_NONE;
  }
  if (DBResult st = blobs_.CheckHandle(old)) return st;
  uint32_t h = uint32_t(old);
  if (h == 0) {
    if (DBResult st = blobs_.Add(nullptr, 0, &h)) return st;
  }
  if (DBResult st = blobs_.Write(h, offset, data, length)) return st;
  SetHandle(record, d, h);
  record[d.nullOffset] = kValuePresent;
  return DBERR_NONE;
}

DBResult DSBASE::GetBlobLength(const uint8_t* record, uint32_t field, uint32_t* length) const {
  platform::LockScope guard(lock_);
  if (record == nullptr || length == nullptr || field == 0 || field > FieldCount())
    return DBERR_INVALIDPARAM;
  const FieldDescriptor& d = fields_[field - 1];
  if (d.type != fldBLOB) return DBERR_INVALIDPARAM;
  *length = 0;
  if (record[d.nullOffset] != kValuePresent) return DBERR_NONE;
  const int32_t h = HandleIn(record, d);
  if (DBResult st = blobs_.CheckHandle(h)) return st;
  if (h > 0) *length = blobs_.Length(uint32_t(h));
  return DBERR_NONE;
}

DBResult DSBASE::GetBlob(const uint8_t* record, uint32_t field, uint32_t offset, uint32_t length,
                         void* data, uint32_t* copied) const {
  platform::LockScope guard(lock_);
  uint32_t total;
  if (copied) *copied = 0;
  if (DBResult st = GetBlobLength(record, field, &total)) return st;
  if (data == nullptr && length != 0) return DBERR_INVALIDPARAM;
  if (offset >= total) return DBERR_NONE;
  const uint32_t n = total - offset < length ? total - offset : length;
  const int32_t h = HandleIn(record, fields_[field - 1]);
  if (n) memcpy(data, blobs_.Data(uint32_t(h)) + offset, n);
  if (copied) *copied = n;
  return DBERR_NONE;
}

}  // namespace dsengine
