// The compiled form of one filter: a program built once from a canonical expression
// (exprblock.h) against the table's field descriptors, then run against flat records.
// Used by the engine's filter list and filtered indexes. A program is used by one thread at a
// time (it keeps per-record results in its own buffers); the engine's table lock ensures that.
//
// NULL rules of evaluation (each operation states its own in filterrun.cpp):
//   - an instruction's result is null when its left or its right operand is null (functions:
//     any argument), but its value is still computed from the stored bytes; a division by zero
//     is null too, and LIKE on a null blob is 0 without fetching it;
//   - IN is null when its left operand is; a null list element equals nothing;
//   - is-blank / is-not-blank look at the operand's null flag and are never null;
//   - NOT, AND and OR never take a null flag: they combine their operands' computed values;
//   - a record passes only when the root's result is boolean, not null and non-zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tableengine/dsstatus.h"
#include "tableengine/fielddesc.h"
#include "tableengine/likematch.h"

namespace dsengine {

// Gives the filter the bytes of a blob field of the record being evaluated. The blob store
// belongs to the table; the filtered index passes an adapter over it.
class FilterBlobSource {
 public:
  virtual ~FilterBlobSource() = default;
  // The data of blob field `fieldNumber` (1-based) whose value in the record is `handle`.
  // False when there is none to match (LIKE then yields 0).
  virtual bool GetBlob(uint16_t fieldNumber, int32_t handle, const char*& data, size_t& length) = 0;
};

// The fields of a stored record where they lie (the table's column store), so that a program can
// run without gathering the record into a flat buffer first. Field numbers are 1-based.
class FilterRecordSource {
 public:
  virtual ~FilterRecordSource() = default;
  virtual const uint8_t* Value(uint32_t field) const = 0;  // the field's bytes
  virtual uint8_t NullFlag(uint32_t field) const = 0;
};

class FilterProgram {
 public:
  // Limit on hostile blocks: deeper expressions are refused (the parser never writes them).
  static constexpr int kMaxDepth = 1000;

  FilterProgram();
  ~FilterProgram();
  FilterProgram(const FilterProgram&) = delete;
  FilterProgram& operator=(const FilterProgram&) = delete;

  // Builds the program. DBERR_NONE on success; DBERR_TYPEMISMATCH when an
  // operator has no operation for its operand types or a function gets wrong arguments;
  // DBERR_INVALIDPARAM for a malformed block or a field name the table does not have. `fields` is
  // read only during the call. A failed build leaves a program that passes nothing.
  DBResult Build(const uint8_t* expr, size_t size, const FieldDescriptor* fields, size_t fieldCount,
                 uint32_t locale);

  // Runs the program on a flat record of the table. True when the record passes.
  // REQUIRES: Build() succeeded. `blobs` may be null (blob LIKE then yields 0).
  bool Evaluate(const uint8_t* record, FilterBlobSource* blobs);
  // The same on a stored record read in place: the result equals Evaluate on the flat record
  // that holds the same field bytes and null flags.
  bool Evaluate(const FilterRecordSource& record, FilterBlobSource* blobs);
  // The field (1-based) that a lone «field like 'constant'» program reads, so that a caller
  // testing many records can fetch that field of the next records ahead; 0 for other programs.
  uint32_t SearchField() const;
  // Evaluate for such a program, given the searched field's bytes and null flag of the record.
  // REQUIRES: SearchField() != 0.
  bool EvaluateSearchField(const uint8_t* value, uint8_t nullFlag) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dsengine
