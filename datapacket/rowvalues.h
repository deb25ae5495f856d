// The rules that turn one field of an engine record into a packet row value and back:
// strings at least one byte long, empty varying bytes and wide strings as null, BLOBs with a
// 4-byte length, fixed kinds copied as they are. Used by the table export and import.
// Stateless; works on the caller's buffers only.
#pragma once

#include <cstdint>

#include "tableengine/fielddesc.h"

namespace dspacket {

// One row value as the writer's AppendValue takes it.
struct RowValue {
  uint32_t status = 0;            // 0 value, 1 null, 2 unchanged
  const uint8_t* data = nullptr;  // the value's bytes (inside the record or the BLOB)
  uint32_t length = 0;
};

// The packet value of field `field` of `record` (a flat record: values at the fields' offsets,
// one null-flag byte per field at its null offset). Null flag 1 gives status null, 2 status
// unchanged. For a BLOB field the record holds a handle, so the caller passes the BLOB's bytes
// in `blob` / `blobLength` (an empty BLOB that is not null is written with length 0).
RowValue RowValueOfField(const dsengine::FieldDescriptor& field, const uint8_t* record,
                         const uint8_t* blob = nullptr, uint32_t blobLength = 0);
// The same from the field's value bytes and null flag where they lie (a table's column store).
RowValue RowValueOf(const dsengine::FieldDescriptor& field, const uint8_t* value, uint8_t nullFlag,
                    const uint8_t* blob = nullptr, uint32_t blobLength = 0);

// Stores a value read from a packet into field `field` of `record` and clears its null flag:
// strings cut at the field's width and terminated; varying bytes and wide strings cut to the
// field's width behind their 16-bit length; fixed kinds copied (missing bytes zero, a signed
// 8-bit value sign-extended). Status 1 or 2 set the null flag to 1 or 2 instead.
// REQUIRES: not a BLOB field (its bytes become a new BLOB, which is the table's business).
void StoreRowValue(const dsengine::FieldDescriptor& field, uint32_t status, const uint8_t* data,
                   uint32_t length, uint8_t* record);

}  // namespace dspacket
