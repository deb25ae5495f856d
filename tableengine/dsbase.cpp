// DSBASE: table creation, the column-wise record store, flat record buffers, properties and
// error texts.
#include "tableengine/dsbase.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/collation.h"
#include "platform/status.h"
#include "tableengine/dsbcd.h"
#include "tableengine/dslayout.h"

namespace dsengine {

namespace {
void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

DSBASE::DSBASE() = default;
DSBASE::~DSBASE() = default;

void DSBASE::Reset() {
  created_ = false;
  name_.clear();
  fields_.clear();
  recordSize_ = 0;
  capacity_ = 0;
  nextRec_ = 1;
  live_ = 0;
  attrs_.clear();
  columns_.clear();
  nulls_.clear();
  scratch_.clear();
  hasBlobs_ = false;
  blobs_.Clear();
  log_.Clear();
  autoIncField_ = 0;
  autoIncValue_ = 1;
  indexes_.clear();
  changeIndex_ = nullptr;
  nextIdentity_ = 1;
  kept_.clear();
}

void DSBASE::ResetTable() {
  platform::LockScope guard(lock_);
  pending_.reset();
  Reset();
}

DBResult DSBASE::AddKeptParameter(uint32_t field, const char* name, uint32_t fieldType,
                                  const uint8_t* value, uint32_t length) {
  platform::LockScope guard(lock_);
  if (name == nullptr || (value == nullptr && length != 0)) return DBERR_INVALIDPARAM;
  try {
    KeptParameter p{field, name, fieldType, std::vector<uint8_t>(value, value + length)};
    kept_.push_back(std::move(p));
  } catch (const std::bad_alloc&) {
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    return DBERR_NOMEMORY;
  }
  return DBERR_NONE;
}

DBResult DSBASE::CreateTable(uint32_t fieldCount, const FieldDescriptor* fields, const char* name) {
  platform::LockScope guard(lock_);
  if (created_) return DBERR_NONE;
  DBResult st;
  try {
    st = CreateTableLocked(fieldCount, fields, name);
  } catch (const std::bad_alloc&) {
    st = DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    st = DBERR_NOMEMORY;
  }
  if (st != DBERR_NONE) Reset();
  return st;
}

DBResult DSBASE::CreateTableLocked(uint32_t fieldCount, const FieldDescriptor* fields,
                                   const char* name) {
  if (fields == nullptr || fieldCount == 0 || fieldCount > kMaxFieldCount)
    return DBERR_INVALIDPARAM;
  fields_.assign(fields, fields + fieldCount);
  if (DBResult st = ComputeLayout(fields_.data(), fieldCount, &recordSize_)) return st;
  name_ = name ? std::string(name, strnlen(name, kPropsNameSize - 1)) : std::string();
  columns_.resize(fieldCount);
  hasBlobs_ = false;
  for (const FieldDescriptor& f : fields_) hasBlobs_ |= f.type == fldBLOB;
  scratch_.assign(size_t(recordSize_) * 2, 0);
  FindAutoIncField();

  auto defaultIndex = std::make_unique<DSIDX>(*this, kIndexOrdinary);
  IndexDescriptor desc{};
  memcpy(desc.name, kDefaultIndexName, sizeof kDefaultIndexName);
  defaultIndex->SetDescriptor(desc);
  if (DBResult st = defaultIndex->Build(nullptr)) return st;
  RegisterIndex(std::move(defaultIndex));

  auto changeIndex = std::make_unique<DSIDXCHG>(*this);
  memcpy(desc.name, kChangeIndexName, sizeof kChangeIndexName);
  changeIndex->SetDescriptor(desc);
  changeIndex_ = changeIndex.get();
  RegisterIndex(std::move(changeIndex));
  created_ = true;
  return DBERR_NONE;
}

void DSBASE::FindAutoIncField() {
  autoIncField_ = 0;
  for (const FieldDescriptor& f : fields_) {
    if (f.subType == fldstAUTOINC && f.length == 4) {
      autoIncField_ = f.fieldNumber;
      return;
    }
  }
}

DBResult DSBASE::GetProps(uint8_t* props) {
  platform::LockScope guard(lock_);
  if (props == nullptr) return DBERR_INVALIDPARAM;
  memset(props, 0, kPropsSize);
  memcpy(props, name_.data(), name_.size());
  uint32_t indexCount = 0;
  for (const auto& idx : indexes_)
    indexCount += idx->Kind() == kIndexOrdinary || idx->Kind() == kIndexChange;
  PutU32(props + 261, FieldCount());
  PutU32(props + 265, recordSize_);
  PutU32(props + 269, kBookmarkSize);
  PutU32(props + 273, readOnly_ ? 1 : 0);
  PutU32(props + 277, indexCount);
  PutU32(props + 281, static_cast<uint32_t>(kept_.size()));
  PutU32(props + 285, deltaMode_ ? 1 : 0);
  PutU32(props + 289, locale_);
  return DBERR_NONE;
}

DBResult DSBASE::GetFieldDescs(FieldDescriptor* fields) {
  platform::LockScope guard(lock_);
  if (fields == nullptr) return DBERR_INVALIDPARAM;
  if (!fields_.empty()) memcpy(fields, fields_.data(), fields_.size() * sizeof(FieldDescriptor));
  return DBERR_NONE;
}

DBResult DSBASE::GetErrorString(DBResult code, char* text) {
  platform::LockScope guard(lock_);
  if (text == nullptr) return DBERR_INVALIDPARAM;
  std::string s;
  DBResult st = DBERR_NONE;
  if (code == DBERR_CONSTRAINTFAILED && !failedConstraint_.empty()) {
    s = failedConstraint_;
  } else if (!platform::LoadStatusText(code, s)) {
    s.clear();
    st = DBERR_OBJNOTFOUND;
  }
  const size_t n = s.size() < kErrorTextSize - 1 ? s.size() : kErrorTextSize - 1;
  memcpy(text, s.data(), n);
  text[n] = 0;
  return st;
}

DBResult DSBASE::SetProp(uint32_t prop, uint32_t value) {
  platform::LockScope guard(lock_);
  switch (prop) {
    case dspropLOGCHANGES:
      logChanges_ = value != 0;
      return DBERR_NONE;
    case dspropREADONLY:
      readOnly_ = value != 0;
      return DBERR_NONE;
    case dspropTRIMSTRINGS:
      trimStrings_ = value != 0;
      return DBERR_NONE;
    case dspropUPDATEMODE:
      updateMode_ = value;
      return DBERR_NONE;
    case dspropSTREAMMODE:
      streamMode_ = value;
      return DBERR_NONE;
    case dspropDISABLEDELETES:
      disableDeletes_ = value != 0;
      return DBERR_NONE;
    case dspropDISABLEINSERTS:
      disableInserts_ = value != 0;
      return DBERR_NONE;
    case dspropDISABLEEDITS:
      disableEdits_ = value != 0;
      return DBERR_NONE;
    default:
      return DBERR_INVALIDPARAM;
  }
}

DBResult DSBASE::GetProp(uint32_t prop, uint32_t* value) {
  platform::LockScope guard(lock_);
  if (value == nullptr) return DBERR_INVALIDPARAM;
  switch (prop) {
    case dspropLOGCHANGES:
      *value = logChanges_;
      return DBERR_NONE;
    case dspropREADONLY:
      *value = readOnly_;
      return DBERR_NONE;
    case dspropNOOFCHANGES:
      *value = ChangeCount();
      return DBERR_NONE;
    case dspropRECORDSINDS:
      *value = live_;
      return DBERR_NONE;
    case dspropTRIMSTRINGS:
      *value = trimStrings_;
      return DBERR_NONE;
    case dspropUPDATEMODE:
      *value = updateMode_;
      return DBERR_NONE;
    case dspropSTREAMMODE:
      *value = streamMode_;
      return DBERR_NONE;
    case dspropDISABLEDELETES:
      *value = disableDeletes_;
      return DBERR_NONE;
    case dspropDISABLEINSERTS:
      *value = disableInserts_;
      return DBERR_NONE;
    case dspropDISABLEEDITS:
      *value = disableEdits_;
      return DBERR_NONE;
    default:
      return DBERR_INVALIDPARAM;
  }
}

DBResult DSBASE::ReleaseBlobs() {
  platform::LockScope guard(lock_);
  blobs_.ReleaseUncommitted();
  return DBERR_NONE;
}

// ---- Record store ----

DBResult DSBASE::EnsureSlot() {
  platform::LockScope guard(lock_);
  if (nextRec_ <= capacity_) return DBERR_NONE;
  const uint64_t grown = uint64_t(capacity_) + std::max<uint64_t>(capacity_ / 2, kSlotGrowth);
  return GrowSlots(grown > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(grown));
}

DBResult DSBASE::ReserveSlots(uint32_t count) {
  platform::LockScope guard(lock_);
  if (!created_) return DBERR_INVALIDPARAM;
  if (count <= capacity_) return DBERR_NONE;
  return GrowSlots(count);
}

platform::BackgroundPrefault DSBASE::PrefaultFreeSlots() {
  platform::LockScope guard(lock_);
  const size_t used = nextRec_ - 1, free = capacity_ - used;
  std::vector<platform::MemoryRange> ranges;
  for (size_t f = 0; f < fields_.size(); ++f)
    ranges.push_back({columns_[f].data() + used * fields_[f].length, free * fields_[f].length});
  return platform::BackgroundPrefault(ranges);
}

DBResult DSBASE::GrowSlots(uint32_t count) {
  if (count <= capacity_) return DBERR_NOMEMORY;
  const size_t cap = count;
  const size_t fc = fields_.size();
  auto shrinkBack = [&] {
    attrs_.resize(capacity_);
    nulls_.resize(size_t(capacity_) * fc);
    for (size_t f = 0; f < fc; ++f) columns_[f].resize(size_t(capacity_) * fields_[f].length);
  };
  try {
    attrs_.resize(cap);
    nulls_.resize(cap * fc);
    for (size_t f = 0; f < fc; ++f) columns_[f].resize(cap * fields_[f].length);
  } catch (const std::bad_alloc&) {
    shrinkBack();
    return DBERR_NOMEMORY;
  } catch (const std::length_error&) {
    shrinkBack();
    return DBERR_NOMEMORY;
  }
  capacity_ = count;
  return DBERR_NONE;
}

DBResult DSBASE::ReadRecord(uint32_t rec, uint8_t* record) const {
  platform::LockScope guard(lock_);
  if (rec == 0 || rec >= nextRec_) return DBERR_OUTOFRANGE;
  const size_t fc = fields_.size();
  for (size_t f = 0; f < fc; ++f) {
    const FieldDescriptor& d = fields_[f];
    if (d.length != 0)  // structures and arrays hold no bytes of their own
      memcpy(record + d.offset, columns_[f].data() + size_t(rec - 1) * d.length, d.length);
  }
  memcpy(record + NullStart(), &nulls_[size_t(rec - 1) * fc], fc);
  return DBERR_NONE;
}

DBResult DSBASE::WriteRecord(uint32_t rec, const uint8_t* record) {
  platform::LockScope guard(lock_);
  if (rec == 0 || rec > capacity_) return DBERR_OUTOFRANGE;
  const size_t fc = fields_.size();
  for (size_t f = 0; f < fc; ++f) {
    const FieldDescriptor& d = fields_[f];
    if (d.length != 0)
      memcpy(columns_[f].data() + size_t(rec - 1) * d.length, record + d.offset, d.length);
  }
  memcpy(&nulls_[size_t(rec - 1) * fc], record + NullStart(), fc);
  return DBERR_NONE;
}

DBResult DSBASE::AppendStoredRecord(const uint8_t* record, uint8_t attribute, uint32_t* rec) {
  platform::LockScope guard(lock_);
  if (!created_ || record == nullptr) return DBERR_INVALIDPARAM;
  if (DBResult st = EnsureSlot()) return st;
  const uint32_t r = nextRec_++;
  WriteRecord(r, record);
  attrs_[r - 1] = attribute;
  if (Indexable(r)) ++live_;
  if (rec) *rec = r;
  return DBERR_NONE;
}

DBResult DSBASE::RebuildIndexes() {
  platform::LockScope guard(lock_);
  for (auto& idx : indexes_)
    if (DBResult st = idx->Build(nullptr)) return st;
  return DBERR_NONE;
}

void DSBASE::ClearSlot(uint32_t rec) {
  const size_t fc = fields_.size();
  for (size_t f = 0; f < fc; ++f) {
    const FieldDescriptor& d = fields_[f];
    if (d.length != 0) memset(columns_[f].data() + size_t(rec - 1) * d.length, 0, d.length);
  }
  memset(&nulls_[size_t(rec - 1) * fc], 0, fc);
  attrs_[rec - 1] = 0;
}

DBResult DSBASE::FieldAccess(uint32_t rec, uint32_t field, uint8_t** value, uint8_t* nullFlag) {
  platform::LockScope guard(lock_);
  if (rec == 0 || rec >= nextRec_) return DBERR_OUTOFRANGE;
  if (field > FieldCount()) return DBERR_INVALIDPARAM;
  if (field == 0) {
    if (value) *value = &attrs_[rec - 1];
    if (nullFlag) *nullFlag = 0;
    return DBERR_NONE;
  }
  if (value) *value = columns_[field - 1].data() + size_t(rec - 1) * fields_[field - 1].length;
  if (nullFlag) *nullFlag = NullFlagOf(rec, field);
  return DBERR_NONE;
}

// ---- Flat record buffers ----

DBResult DSBASE::InitRecord(uint8_t* record) const {
  platform::LockScope guard(lock_);
  if (record == nullptr) return DBERR_INVALIDPARAM;
  memset(record, 0, NullStart());
  memset(record + NullStart(), kBlankUnassigned, FieldCount());
  return DBERR_NONE;
}

DBResult DSBASE::PutField(uint8_t* record, uint32_t field, const void* value) const {
  platform::LockScope guard(lock_);
  if (record == nullptr || field == 0 || field > FieldCount()) return DBERR_INVALIDPARAM;
  const FieldDescriptor& d = fields_[field - 1];
  uint8_t* dst = record + d.offset;
  if (value == nullptr) {
    memset(dst, 0, d.length);
    record[d.nullOffset] = kBlankByClient;
    return DBERR_NONE;
  }
  if (d.type == fldZSTRING) {
    const char* s = static_cast<const char*>(value);
    size_t n = strnlen(s, d.units1);
    if (trimStrings_)
      while (n > 0 && s[n - 1] == ' ') --n;
    memcpy(dst, s, n);
    memset(dst + n, 0, d.length - n);
  } else if (d.type == fldBCD || d.type == fldFMTBCD) {
    BcdValue v;
    if (!BcdUnpack(static_cast<const uint8_t*>(value), kBcdRecordMax, &v) ||
        !BcdPack(v, d.units1, d.units2, dst, d.length))
      return DBERR_INVALIDPARAM;
  } else {
    memcpy(dst, value, d.length);
  }
  record[d.nullOffset] = kValuePresent;
  return DBERR_NONE;
}

DBResult DSBASE::GetField(const uint8_t* record, uint32_t field, void* value,
                          uint8_t* nullFlag) const {
  platform::LockScope guard(lock_);
  if (record == nullptr || field == 0 || field > FieldCount()) return DBERR_INVALIDPARAM;
  const FieldDescriptor& d = fields_[field - 1];
  if (value) memcpy(value, record + d.offset, d.length);
  if (nullFlag) *nullFlag = record[d.nullOffset];
  return DBERR_NONE;
}

// ---- Flags and hooks ----

void DSBASE::SetLocale(uint32_t lcid) {
  platform::LockScope guard(lock_);
  locale_ = platform::IsValidLocale(lcid) ? lcid : 0;
  // Key comparers carry the locale: renew them and reorder the keyed indexes.
  for (auto& idx : indexes_) {
    if (!idx->HasKeys()) continue;
    const IndexDescriptor desc = idx->Descriptor();
    idx->SetDescriptor(desc);
    idx->Build(nullptr);
  }
}

void DSBASE::SetCalcFieldsCallback(CalcFieldsFn fn, void* context) {
  platform::LockScope guard(lock_);
  calcFields_ = fn;
  calcContext_ = context;
}

void DSBASE::AddConstraint(RecordConstraintFn fn, void* context, const std::string& message) {
  platform::LockScope guard(lock_);
  constraints_.push_back({fn, context, message});
}

DBResult DSBASE::RunCalcFields(uint8_t* record) {
  return calcFields_ ? calcFields_(calcContext_, record) : DBResult(DBERR_NONE);
}

DBResult DSBASE::CheckConstraints(const uint8_t* record) {
  for (const Constraint& c : constraints_) {
    if (!c.fn(c.context, record)) {
      failedConstraint_ = c.message;
      return DBERR_CONSTRAINTFAILED;
    }
  }
  return DBERR_NONE;
}

}  // namespace dsengine
