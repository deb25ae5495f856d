// The packet's 32-bit field type word, its packet type codes, and the mapping between the table
// engine's type codes and field type words in both directions. Used by the packet writer and
// reader, the value converters and the table export/import. Stateless.
#pragma once

#include <cstdint>

#include "tableengine/dsstatus.h"
#include "tableengine/fielddesc.h"

namespace dspacket {

using dsengine::DBResult;

// BITS   MASK        MEANING
// 0-15   0x0000FFFF  width: fixed size in bytes; length-prefix size (1, 2, 4) with the varying
//                    flag; number of child columns with the composite flag
// 16-21  0x003F0000  packet type code (PacketType)
// 22     0x00400000  varying: length prefix of the width's size, then that many bytes
// 23     0x00800000  array (parameters only): 32-bit element count, then elements of the width
// 24     0x01000000  composite: child columns follow, no value of its own (codes 12 to 15)
// 25     0x02000000  repeat: array columns (code 13)
// 26     0x04000000  embedded table: nested-table columns (code 14)
// 31     0x80000000  round trip (parameters only): a kept parameter to be written back
constexpr uint32_t kFieldWidthMask = 0x0000FFFF;
constexpr uint32_t kFieldTypeCodeMask = 0x003F0000;
constexpr int kFieldTypeCodeShift = 16;
constexpr uint32_t kFieldVarying = 0x00400000;
constexpr uint32_t kFieldArray = 0x00800000;
constexpr uint32_t kFieldComposite = 0x01000000;
constexpr uint32_t kFieldRepeat = 0x02000000;
constexpr uint32_t kFieldEmbeddedTable = 0x04000000;
constexpr uint32_t kFieldRoundTrip = 0x80000000;

// Packet type codes (bits 16 to 21 of the field type word).
enum PacketType : uint32_t {
  kPacketInt = 1,            // signed integer, width 1/2/4/8
  kPacketUInt = 2,           // unsigned integer, width 1/2/4/8
  kPacketBool = 3,           // boolean as an integer of width 1/2/4
  kPacketFloat = 4,          // IEEE double (8) or 80-bit extended (10)
  kPacketBcd = 5,            // packed decimal, always 18 bytes
  kPacketDate = 6,           // 32-bit day number
  kPacketTime = 7,           // 32-bit milliseconds since midnight
  kPacketTimeStamp = 8,      // double: day number * 86400000 + milliseconds
  kPacketString = 9,         // single-byte characters
  kPacketWideString = 10,    // UTF-16LE, prefix counts bytes
  kPacketBytes = 11,         // raw bytes
  kPacketAdt = 12,           // structure: child columns follow
  kPacketArray = 13,         // array column: element columns follow
  kPacketNested = 14,        // nested table: 32-bit row count, then the rows
  kPacketReference = 15,     // reference: written, refused on import
  kPacketBytes2 = 16,        // read exactly like 11, never written
  kPacketSqlTimeStamp = 17,  // the engine's 16-byte SQL time stamp
  kPacketFmtBcd = 18,        // formatted packed decimal, 18 bytes
  kPacketTypeLast = 18,
};

// Size in the packet of every BCD value (codes 5 and 18), whatever the width.
constexpr uint32_t kBcdPacketSize = 18;

constexpr uint32_t FieldWidth(uint32_t word) { return word & kFieldWidthMask; }
constexpr uint32_t FieldPacketType(uint32_t word) {
  return (word & kFieldTypeCodeMask) >> kFieldTypeCodeShift;
}
constexpr uint32_t MakeFieldTypeWord(uint32_t packetType, uint32_t width, uint32_t flags = 0) {
  return (packetType << kFieldTypeCodeShift) | (width & kFieldWidthMask) | flags;
}

// The field type word of an engine field: its type code, its length in a record, and for
// structures, arrays, references and nested tables its number of children (units 1).
// 0 for an engine type code without a packet form.
uint32_t FieldTypeWordOf(uint32_t engineType, uint32_t length, uint32_t children);
inline uint32_t FieldTypeWordOf(const dsengine::FieldDescriptor& field) {
  return FieldTypeWordOf(field.type, field.length, field.units1);
}

// What an imported column's field type word says about the engine field.
struct EngineFieldShape {
  uint32_t type = dsengine::fldUNKNOWN;  // engine type code; fldUNKNOWN when none fits
  uint32_t length = 0;  // width of a fixed value; 0 with the varying flag (from "WIDTH")
  uint32_t units1 = 0;  // child count of structures, arrays and nested tables
};

// Maps a field type word to an engine type. DBERR_INVALIDFLDTYPE for a word with the array flag;
// any other word without an engine type gives type fldUNKNOWN and status 0 (the engine refuses it
// later).
DBResult EngineShapeOf(uint32_t fieldTypeWord, EngineFieldShape* shape);

}  // namespace dspacket
