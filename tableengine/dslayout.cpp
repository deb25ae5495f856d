// Layout computation for a table's fields.
#include "tableengine/dslayout.h"

#include <cstring>
#include <vector>

namespace dsengine {

uint32_t FieldLengthForType(uint32_t type, uint32_t units1) {
  switch (type) {
    case fldZSTRING:
      return units1 == 0 ? 0 : units1 + 1;
    case fldDATE:
    case fldBLOB:
    case fldINT32:
    case fldTIME:
    case fldUINT32:
    case fldTABLE:
    case fldBOOL32:
      return 4;
    case fldBOOL:
    case fldINT16:
    case fldUINT16:
    case fldINT8:
    case fldUINT8:
    case fldBOOL8:
      return 2;
    case fldFLOAT:
    case fldTIMESTAMP:
    case fldINT64:
    case fldUINT64:
      return 8;
    case fldBCD:
    case fldFMTBCD:
      return units1 == 0 ? kBcdRecordMax : (units1 + 1) / 2 + 2;
    case fldBYTES:
      return units1;
    case fldFLOATIEEE:
      return 10;
    case fldVARBYTES:
    case fldUNICODE:
      return units1 + 2;
    case fldDATETIME:
      return 16;
    default:  // structures, arrays and unknown types take no bytes of their own
      return 0;
  }
}

DBResult ComputeLayout(FieldDescriptor* fields, uint32_t count, uint32_t* recordSize) {
  if (fields == nullptr || count == 0 || count > kMaxFieldCount) return DBERR_INVALIDPARAM;
  struct Open {
    uint16_t field;
    uint32_t remaining;
  };
  std::vector<Open> open;  // structured fields whose children are still being read
  uint64_t offset = 0;
  for (uint32_t i = 0; i < count; ++i) {
    FieldDescriptor& f = fields[i];
    if (memchr(f.name, 0, sizeof f.name) == nullptr) return DBERR_INVALIDPARAM;
    if (f.type == fldVARBYTES && f.subType == fldstMEMO) f.type = fldBLOB;
    if (f.type == fldZSTRING && f.units1 == 0) {
      if (f.length == 0) return DBERR_INVALIDPARAM;
      f.units1 = f.length - 1;
      if (f.units1 == 0) return DBERR_INVALIDPARAM;
    }
    const uint32_t length = FieldLengthForType(f.type, f.units1);
    const bool structured = f.type == fldADT || f.type == fldARRAY;
    if ((length == 0 && !structured) || length > kMaxFieldLength) return DBERR_INVALIDFLDTYPE;
    if (f.units1 == 0 && f.type != fldBLOB) f.units1 = 1;
    f.length = length;
    f.offset = static_cast<uint32_t>(offset);
    f.fieldNumber = static_cast<uint16_t>(i + 1);
    f.parent = open.empty() ? 0 : open.back().field;
    if (!open.empty()) {
      open.back().remaining--;
      while (!open.empty() && open.back().remaining == 0) open.pop_back();
    }
    if (structured && f.units1 > 0) open.push_back({f.fieldNumber, f.units1});
    offset += length;
  }
  if (offset + count > UINT32_MAX) return DBERR_INVALIDFLDTYPE;
  for (uint32_t i = 0; i < count; ++i) fields[i].nullOffset = static_cast<uint32_t>(offset + i);
  *recordSize = static_cast<uint32_t>(offset + count);
  return DBERR_NONE;
}

}  // namespace dsengine
