// The compiled form of a filter program, shared by its compiler (filtercompile.cpp) and its
// interpreter (filterrun.cpp); internal to FilterProgram (filterprog.h). A program is built once
// and then run by one thread at a time: each instruction writes its result into the program's
// own slots.
//
// Every node of the expression becomes a slot: a field (read in place from the record), a
// constant (decoded once) or the result of an instruction. Instructions run in evaluation order,
// children before parents, the root last. Values are handled in five classes: strings, integers
// (booleans included), floating point (and packed decimals), temporal values (as milliseconds on
// the engine's day scale) and blob handles; the compiler picks each instruction's operation from
// its operator and the classes of its operands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tableengine/dsstatus.h"
#include "tableengine/fielddesc.h"
#include "tableengine/filterprog.h"
#include "tableengine/likematch.h"

namespace dsengine::filtercode {

enum class VClass : uint8_t { kNone, kString, kInt, kFloat, kTemporal, kBlob };

// One value as an instruction sees it. Only the member of its class is meaningful.
struct Value {
  bool null = false;
  int64_t i = 0;       // kInt, kBlob (handle)
  double d = 0;        // kFloat, kTemporal
  const char* s = "";  // kString: the text, not NUL-terminated
  size_t n = 0;        // kString: its length
};

inline bool IsNumber(VClass c) { return c == VClass::kInt || c == VClass::kFloat; }
inline double AsDouble(const Value& v, VClass c) { return c == VClass::kInt ? double(v.i) : v.d; }

template <typename T>
T Read(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Decodes a value of engine type `type` held in `length` bytes into the member of its class
// (the null flag is left alone). False when the length does not fit the type.
bool Decode(uint32_t type, const uint8_t* p, size_t length, Value& v);

// Operation codes. What each does, and when its result is null, is written at its function in
// filterrun.cpp.
enum class Op : uint8_t {
  kIsBlank,
  kNotBlank,
  kNot,
  kAnd,
  kOr,
  kCompareString,
  kCompareInt,
  kCompareFloat,  // numbers of mixed classes, and temporal values
  kLikeString,
  kLikeBlob,
  kIn,
  kAdd,  // numbers, as floating point
  kSubtract,
  kMultiply,
  kDivide,
  kConcat,
  kTemporalAddNumber,
  kTemporalSubNumber,
  kTemporalDiff,
  kUpper,
  kLower,
  kTrim,
  kTrimLeft,
  kTrimRight,
  kSubstring,
  kYear,
  kMonth,
  kDay,
  kHour,
  kMinute,
  kSecond,
  kGetDate,
  kDate,
  kTime,
};

// How one pair of values compares (an IN element's comparison is chosen per element).
enum class CmpKind : uint8_t { kString, kInt, kFloat };

struct Slot {
  enum Where : uint8_t { kRecord, kConstant, kResult } where = kConstant;
  uint32_t type = 0;  // engine type (unsigned 16/32-bit normalised to their signed types)
  VClass cls = VClass::kNone;
  // kRecord: where the field lies in the flat record, and its number for stored records.
  uint32_t offset = 0, length = 0, nullOffset = 0;
  uint16_t fieldNumber = 0;
  bool fixedWidth = false;  // a fixed-width string field: equality ignores trailing blanks
  // kConstant and kResult: the current value.
  Value value;
  std::string text;                          // kResult: string data of the current value
  std::shared_ptr<const std::string> bytes;  // kConstant: the constant (stable address)
};

struct Instruction {
  Op op;
  int a = -1, b = -1, c = -1;   // left, right and third operand slots; -1 when absent
  std::vector<int> args;        // IN: the list elements' slots
  std::vector<CmpKind> argCmp;  // IN: comparison kind per element
  int result = -1;              // the slot this instruction writes
  uint32_t cmp = 0;             // comparisons: the operator code (exprblock.h)
  bool caseInsensitive = false;
  uint32_t partial = 0;  // string = and <>: compare this many characters (0: all)
  bool patternIsConstant = false;
  LikePattern pattern;  // compiled once when the pattern is a constant
};

struct Program {
  uint32_t locale = 0;
  std::vector<Slot> slots;
  std::vector<Instruction> code;  // evaluation order: children before parents, the root last
  int root = -1;                  // the root's slot; -1 while no program is built
  uint32_t searchField = 0;       // see FilterProgram::SearchField
};

// Compiles a canonical expression into `program`, which must be empty. On failure the status
// says why and `program` holds a partial build the caller discards. `fields` is read only
// during the call.
DBResult Compile(const uint8_t* expr, size_t size, const FieldDescriptor* fields, size_t fieldCount,
                 uint32_t locale, Program& program);

// Runs every instruction on one record, given either as a flat record (`flat`) or as a stored
// record read in place (`stored`, when `flat` is null). True when the root's result is boolean,
// not null and non-zero. REQUIRES: program.root >= 0.
bool Run(Program& program, const uint8_t* flat, const FilterRecordSource* stored,
         FilterBlobSource* blobs);

}  // namespace dsengine::filtercode
