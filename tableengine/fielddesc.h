// The 76-byte field descriptor exchanged between the facade, the table engine and the packet
// layer, with the engine's type, sub-type and attribute codes. Plain data; no behaviour.
#pragma once

#include <cstdint>

namespace dsengine {

// Engine type codes (the type code member of FieldDescriptor).
enum FieldType : uint32_t {
  fldUNKNOWN = 0,
  fldZSTRING = 1,     // 8-bit string, NUL-terminated, up to units1 characters
  fldDATE = 2,        // day number, 32-bit
  fldBLOB = 3,        // handle into the blob store
  fldBOOL = 4,        // 16-bit boolean
  fldINT16 = 5,
  fldINT32 = 6,
  fldFLOAT = 7,       // 64-bit IEEE
  fldBCD = 8,         // packed decimal of units1 digits
  fldBYTES = 9,       // fixed-length bytes
  fldTIME = 10,       // milliseconds, 32-bit
  fldTIMESTAMP = 11,  // date-time, 64-bit floating point
  fldUINT16 = 12,
  fldUINT32 = 13,
  fldFLOATIEEE = 14,  // 80-bit floating point
  fldVARBYTES = 15,   // 16-bit length, then data
  fldCURSOR = 17,
  fldINT64 = 18,
  fldUINT64 = 19,
  fldADT = 20,        // structure of units1 child fields
  fldARRAY = 21,      // array of units1 elements
  fldREF = 22,
  fldTABLE = 23,      // nested table
  fldDATETIME = 24,   // SQL time stamp
  fldFMTBCD = 25,     // packed decimal, format variant
  fldINT8 = 4097,
  fldUINT8 = 4098,
  fldBOOL8 = 4099,
  fldBOOL32 = 4100,
  fldUNICODE = 4103,  // 16-bit byte count, then 2 bytes per character
};

// Sub-type codes (the sub-type member of FieldDescriptor); 0 for none.
enum FieldSubType : uint32_t {
  fldstNONE = 0,
  fldstMONEY = 21,
  fldstMEMO = 22,
  fldstBINARY = 23,
  fldstFMTMEMO = 24,
  fldstOLEOBJ = 25,
  fldstGRAPHIC = 26,
  fldstDBSOLEOBJ = 27,
  fldstTYPEDBINARY = 28,
  fldstAUTOINC = 29,
  fldstACCOLEOBJ = 30,
  fldstFIXED = 31,
  fldstUNICODE = 32,
  fldstHMEMO = 33,
  fldstHBINARY = 34,
  fldstADTNESTEDTABLE = 35,
  fldstBFILE = 36,
  fldstADTDATE = 37,
  fldstGUID = 38,
  fldstREFERENCE = 70,
};

// Field attribute bits (the attributes member of FieldDescriptor).
enum FieldAttribute : uint32_t {
  fldAttrHIDDEN = 1,
  fldAttrREADONLY = 2,
  fldAttrREQUIRED = 4,
  fldAttrLINK = 8,
};

// Null flags of a flat record.
enum NullFlag : uint8_t {
  kValuePresent = 0,
  kBlankByClient = 1,  // set blank by the client
  kBlankUnassigned = 2,  // never assigned since the buffer was initialised
};

// OFFSET SIZE  MEMBER
//    0   32   name          NUL-terminated, at most 31 characters
//   32    4   type          engine type code (FieldType)
//   36    4   subType       FieldSubType, 0 for none
//   40    4   units1        characters / bytes / digits / child or element count
//   44    4   units2        decimal places; child details of structured fields
//   48    4   length        bytes the field takes in a flat record (computed)
//   52    4   offset        offset of the value in the flat record (computed)
//   56    4   nullOffset    offset of the null flag in the flat record (computed)
//   60    2   fieldNumber   1-based position (computed)
//   62    2   parent        field number of the enclosing structured field, 0 at top level
//   64    4   calculated    non-zero for an internally calculated field
//   68    4   attributes    FieldAttribute bits
//   72    4   reserved      written as 0
struct FieldDescriptor {
  char name[32];
  uint32_t type;
  uint32_t subType;
  uint32_t units1;
  uint32_t units2;
  uint32_t length;
  uint32_t offset;
  uint32_t nullOffset;
  uint16_t fieldNumber;
  uint16_t parent;
  uint32_t calculated;
  uint32_t attributes;
  uint32_t reserved;
};
static_assert(sizeof(FieldDescriptor) == 76, "the descriptor layout is shared with packets");

constexpr int kMaxFieldNameLength = 31;

}  // namespace dsengine
