// Record layout of a table: computes each field's length, offset, null-flag offset, number and
// parent from its type, and the flat record size. Used by DSBASE at table creation and by the
// packet layer when it checks descriptors. Pure functions; thread-safe.
#pragma once

#include <cstdint>

#include "tableengine/dsstatus.h"
#include "tableengine/fielddesc.h"

namespace dsengine {

// Longest value a field may take in a flat record.
constexpr uint32_t kMaxFieldLength = 65531;
// Field numbers are 16-bit in the descriptor.
constexpr uint32_t kMaxFieldCount = 65535;

// Flat record layout (one record of `n` fields):
//   OFFSET                      SIZE              MEANING
//   field[f].offset             field[f].length   value of field f, fields packed in order
//   sum(lengths) + f - 1        1                 null flag of field f (NullFlag)
// Record size = sum(lengths) + n.

// Bytes a field of this type takes in a record, or 0 when the type has no fixed width (or is
// unknown). `units1` as in the descriptor; strings need units1 > 0.
uint32_t FieldLengthForType(uint32_t type, uint32_t units1);

// Computes lengths, offsets, null offsets, field numbers and parents in place, in field order.
// Status DBERR_INVALIDPARAM for a string without a size, a name without its NUL or a bad count;
// DBERR_INVALIDFLDTYPE for a zero or over-long length. On failure the descriptors may be partly
// updated.
DBResult ComputeLayout(FieldDescriptor* fields, uint32_t count, uint32_t* recordSize);

// Packed decimal (engine types 8 and 25) as held in a record: byte 0 precision, byte 1 sign
// (bit 7) and decimal places (bits 0-5), then two digits per byte, high nibble first.
constexpr uint32_t kBcdMaxDigits = 64;
constexpr uint32_t kBcdRecordMax = 34;

}  // namespace dsengine
