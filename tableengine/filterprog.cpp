// FilterProgram: the compiled program (filtercode.h) behind the public interface. Building is
// the compiler's (filtercompile.cpp), running the interpreter's (filterrun.cpp).
#include "tableengine/filterprog.h"

#include "tableengine/filtercode.h"

namespace dsengine {

struct FilterProgram::Impl : filtercode::Program {};

FilterProgram::FilterProgram() : impl_(std::make_unique<Impl>()) {}
FilterProgram::~FilterProgram() = default;

DBResult FilterProgram::Build(const uint8_t* expr, size_t size, const FieldDescriptor* fields,
                              size_t fieldCount, uint32_t locale) {
  impl_ = std::make_unique<Impl>();
  DBResult status = filtercode::Compile(expr, size, fields, fieldCount, locale, *impl_);
  // A failed build leaves an empty program, which passes nothing.
  if (status != DBERR_NONE) impl_ = std::make_unique<Impl>();
  return status;
}

bool FilterProgram::Evaluate(const uint8_t* record, FilterBlobSource* blobs) {
  if (impl_->root < 0) return false;
  return filtercode::Run(*impl_, record, nullptr, blobs);
}

bool FilterProgram::Evaluate(const FilterRecordSource& record, FilterBlobSource* blobs) {
  if (impl_->root < 0) return false;
  // The search box's shape, «field like 'constant'» alone, reads only the searched field.
  if (impl_->searchField != 0)
    return EvaluateSearchField(record.Value(impl_->searchField),
                               record.NullFlag(impl_->searchField));
  return filtercode::Run(*impl_, nullptr, &record, blobs);
}

uint32_t FilterProgram::SearchField() const { return impl_->searchField; }

bool FilterProgram::EvaluateSearchField(const uint8_t* value, uint8_t nullFlag) const {
  // The one instruction's result is the match, null (so failing) when the field is null. The
  // pattern reads the field's bytes as far as its shape needs (a prefix pattern only its first
  // bytes).
  if (nullFlag != 0) return false;
  const filtercode::Instruction& like = impl_->code[0];
  return like.pattern.MatchField(reinterpret_cast<const char*>(value), impl_->slots[like.a].length);
}

}  // namespace dsengine
