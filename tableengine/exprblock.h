// The canonical filter expression: a self-contained byte block that names fields by number and
// name, keeps its constants in a literal area and encodes the expression as a flat node list.
// Written by TFilterExpr (DBCommon), read by the filter program compiler (filterprog).
#pragma once

#include <cstdint>

namespace dsengine {

// Block layout (all integers little-endian):
//
// OFFSET SIZE  MEANING
//    0    2    version, always kExprVersion
//    2    2    total size of the block in bytes
//    4    2    0xFFFF
//    6    2    offset of the node area (always kExprHeaderSize)
//    8    2    offset of the literal area (node area offset + node area size)
//   10    .    node area, then literal area
//
// A node is u32 class, u32 operator, then its operands as u16 values. Node offsets count from
// the start of the node area, literal offsets from the start of the literal area. A parent
// always precedes its children.
//
// CLASS                 OPERANDS
//   1 unary             operand node
//   2 binary            left node, right node
//   3 compare           case-insensitive flag (0/1), partial length, left node, right node
//   4 field (op 13)     field number (1-based), literal offset of the NUL-terminated name
//   5 constant (op 14)  engine type code, size in bytes, literal offset of the value
//  10 function (op 35)  literal offset of the NUL-terminated name, first list node or 0
//  11 list (op 36)      element node, next list node or 0
constexpr uint16_t kExprVersion = 2;
constexpr uint16_t kExprHeaderSize = 10;
constexpr uint16_t kExprMarker = 0xFFFF;
constexpr uint32_t kExprNodeHeaderSize = 8;
// Every offset and the total size are 16-bit, so a block never exceeds this.
constexpr uint32_t kExprMaxBlockSize = 0xFFFF;

enum ExprNodeClass : uint32_t {
  nodeUNARY = 1,
  nodeBINARY = 2,
  nodeCOMPARE = 3,
  nodeFIELD = 4,
  nodeCONST = 5,
  nodeFUNC = 10,
  nodeLISTELEM = 11,
};

enum ExprOperator : uint32_t {
  canNOTDEFINED = 0,
  canISBLANK = 1,
  canNOTBLANK = 2,
  canEQ = 3,
  canNE = 4,
  canGT = 5,
  canLT = 6,
  canGE = 7,
  canLE = 8,
  canNOT = 9,
  canAND = 10,
  canOR = 11,
  canFIELD = 13,
  canCONST = 14,
  canADD = 16,
  canSUB = 17,
  canMUL = 18,
  canDIV = 19,
  canLIKE = 30,
  canIN = 31,
  canFUNC = 35,
  canLISTELEM = 36,
  canASSIGN = 37,
};

}  // namespace dsengine
