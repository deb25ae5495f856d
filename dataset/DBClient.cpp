// The client dataset facade over the table engine: the engine call sequences behind each
// dataset operation.
#include "dataset/DBClient.h"

#include <cassert>
#include <cstring>

#include "dataset/dberrors.h"
#include "platform/status.h"
#include "tableengine/dsfilter.h"

namespace db {

using namespace dsengine;

namespace {

std::string Trim(std::string s) {
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

void PutU32(uint8_t* p, uint32_t v) { memcpy(p, &v, 4); }
uint32_t GetU32(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  return v;
}

}  // namespace

TCustomClientDataSet::TCustomClientDataSet(std::string name) : TDataSet(std::move(name)) {}

TCustomClientDataSet::~TCustomClientDataSet() {
  // Close without the events: the object is going away.
  BeforeClose = AfterClose = nullptr;
  Close();
}

void TCustomClientDataSet::Check(DBResult status) const {
  if (status == DBERR_NONE) return;
  std::string text;
  char buf[kErrorTextSize] = {};
  if (table_ && table_->GetErrorString(status, buf) == DBERR_NONE)
    text = buf;
  else
    platform::LoadStatusText(status, text);
  throw EDBClient(text, status);
}

std::unique_ptr<IDSCursor> TCustomClientDataSet::CreateCursor() {
  return std::make_unique<dsengine::DSCursor>(&MakeFilteredIndex);
}

// ---- Create and open ----

namespace {

// Which descriptor units carry a field definition's size: units1 = Size for sized fields,
// units1 = Precision and units2 = Size for packed decimals, none for the rest. Used in both
// directions, definitions to descriptors and back.
enum class SizeUnits { kNone, kSize, kPrecisionAndSize };

SizeUnits SizeUnitsOf(TFieldType type) {
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftBytes:
    case ftVarBytes:
    case ftWideString:
    case ftGuid:
      return SizeUnits::kSize;
    case ftBCD:
    case ftFMTBcd:
      return SizeUnits::kPrecisionAndSize;
    default:
      return SizeUnits::kNone;
  }
}

}  // namespace

std::vector<FieldDescriptor> TCustomClientDataSet::DescriptorsFromDefs() {
  std::vector<FieldDescriptor> descs;
  for (int i = 0; i < FieldDefs().Count(); ++i) {
    const TFieldDef& d = FieldDefs()[i];
    FieldDescriptor f{};
    memcpy(f.name, d.Name.data(), d.Name.size());  // shorter than 32: checked by the caller
    const EngineType e = EngineTypeOf(d.DataType);
    f.type = e.type;
    f.subType = e.subType;
    switch (SizeUnitsOf(d.DataType)) {
      case SizeUnits::kSize:
        f.units1 = uint32_t(d.Size);
        break;
      case SizeUnits::kPrecisionAndSize:
        f.units1 = uint32_t(d.Precision);
        f.units2 = uint32_t(d.Size);
        break;
      case SizeUnits::kNone:
        break;
    }
    f.attributes = (d.Required ? uint32_t(fldAttrREQUIRED) : 0u) |
                   (d.ReadOnly ? uint32_t(fldAttrREADONLY) : 0u) |
                   (d.Hidden ? uint32_t(fldAttrHIDDEN) : 0u);
    descs.push_back(f);
  }
  return descs;
}

void TCustomClientDataSet::CreateDataSet() {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset", Name());
  if (Fields().Count() > 0) {
    FieldDefs().Clear();
    for (int i = 0; i < Fields().Count(); ++i) {
      const TField& f = Fields()[i];
      TFieldDef& d = FieldDefs().Add(f.FieldName(), f.DataType(), f.Size(), f.Required);
      d.ReadOnly = f.ReadOnly;
    }
  }
  for (int i = 0; i < FieldDefs().Count(); ++i) {
    const std::string& name = FieldDefs()[i].Name;
    if (name.size() > size_t(kMaxFieldNameLength))
      throw EDSWriter("Fieldname " + name + " exceeds " + std::to_string(kMaxFieldNameLength) +
                      " chars");
  }
  if (FieldDefs().Count() == 0) DatabaseError("No fields defined.  Cannot create dataset");
  const std::vector<FieldDescriptor> descs = DescriptorsFromDefs();
  auto table = std::make_unique<DSBASE>();
  table_ = std::move(table);
  try {
    Check(table_->CreateTable(uint32_t(descs.size()), descs.data(), Name().c_str()));
  } catch (...) {
    table_.reset();
    throw;
  }
  Open();
}

void TCustomClientDataSet::OpenTable(std::unique_ptr<DSBASE> table) {
  Close();
  table_ = std::move(table);
  Open();
}

void TCustomClientDataSet::AdoptTable(std::unique_ptr<DSBASE> table) {
  assert(!table_);
  table_ = std::move(table);
}

void TCustomClientDataSet::BuildFieldDefs() {
  FieldDefs().Clear();
  for (const FieldDescriptor& f : descs_) {
    if (f.parent != 0) continue;  // children of structured fields are not shown
    TFieldDef& d = FieldDefs().Add(std::string(f.name, strnlen(f.name, sizeof f.name)),
                                   FieldTypeOfEngine(f.type, f.subType));
    switch (SizeUnitsOf(d.DataType)) {
      case SizeUnits::kSize:
        d.Size = int(f.units1);
        break;
      case SizeUnits::kPrecisionAndSize:
        d.Precision = int(f.units1);
        d.Size = int(f.units2);
        break;
      case SizeUnits::kNone:
        break;
    }
    d.Required = (f.attributes & fldAttrREQUIRED) != 0;
    d.ReadOnly = (f.attributes & fldAttrREADONLY) != 0;
    d.Hidden = (f.attributes & fldAttrHIDDEN) != 0;
    d.FieldNo = f.fieldNumber;
  }
}

void TCustomClientDataSet::InternalOpen() {
  if (!table_) DatabaseError("Missing data provider or data packet", Name());
  try {
    cursor_ = CreateCursor();
    Check(cursor_->Attach(table_.get()));
    CursorProps props{};
    Check(cursor_->GetCursorProps(&props));
    infoOffset_ = props.recordSize;
    bookmarkSize_ = props.bookmarkSize;
    readOnly_ = props.readOnly;
    disableEdits_ = table_->DisableEdits();
    disableInserts_ = table_->DisableInserts();
    disableDeletes_ = table_->DisableDeletes();
    descs_.assign(table_->FieldCount(), FieldDescriptor{});
    Check(cursor_->GetFieldDescs(descs_.data()));
    BuildFieldDefs();
    CreateFields();
    std::vector<uint32_t> lengths;
    for (const FieldDescriptor& f : descs_) lengths.push_back(f.length);
    BindFields(lengths);
    if (!indexFieldNames_.empty() || !indexName_.empty()) ApplyOrder(indexFieldNames_, indexName_);
    if (Filtered() && !Filter().empty()) AddExprFilter(Filter(), FilterOptions());
  } catch (...) {
    cursor_.reset();
    filterHandle_ = 0;
    throw;
  }
}

void TCustomClientDataSet::InternalClose() {
  cursor_.reset();
  table_.reset();
  descs_.clear();
  filterHandle_ = 0;
}

// ---- Order ----

void TCustomClientDataSet::ApplyOrder(const std::string& fieldNames, const std::string& indexName) {
  if (!fieldNames.empty()) {
    std::vector<uint32_t> numbers;
    size_t start = 0;
    while (start <= fieldNames.size()) {
      size_t end = fieldNames.find(';', start);
      if (end == std::string::npos) end = fieldNames.size();
      const std::string name = Trim(fieldNames.substr(start, end - start));
      if (!name.empty() || end < fieldNames.size()) {
        const TField& f = FieldByName(name);
        if (f.FieldNo() <= 0) DatabaseError("Field index out of range", Name());
        numbers.push_back(uint32_t(f.FieldNo()));
      }
      start = end + 1;
    }
    if (numbers.size() > kMaxKeyFields) Check(DBERR_INVALIDPARAM);
    const bool flags[kMaxKeyFields] = {};
    Check(cursor_->SortOnFields(uint32_t(numbers.size()), numbers.data(), flags, flags));
  } else {
    Check(cursor_->UseIndexOrder(indexName.c_str()));
  }
  IndexDescriptor desc{};
  Check(cursor_->GetIndexDescriptor(&desc));
}

void TCustomClientDataSet::SetIndexFieldNames(const std::string& value) {
  if (!Active()) {
    indexFieldNames_ = value;
    if (!value.empty()) indexName_.clear();
    return;
  }
  CheckBrowseMode();
  if (value == indexFieldNames_) return;
  SyncCursor();
  ApplyOrder(value, value.empty() ? indexName_ : std::string());
  indexFieldNames_ = value;
  if (!value.empty()) indexName_.clear();
  RefreshKeepingRecord();
}

void TCustomClientDataSet::SetIndexName(const std::string& value) {
  if (!Active()) {
    indexName_ = value;
    indexFieldNames_.clear();
    return;
  }
  CheckBrowseMode();
  if (value == indexName_ && indexFieldNames_.empty()) return;
  SyncCursor();
  ApplyOrder({}, value);
  indexName_ = value;
  indexFieldNames_.clear();
  RefreshKeepingRecord();
}

// ---- Filters ----

void TCustomClientDataSet::AddExprFilter(const std::string& text, TFilterOptions options) {
  if (filterHandle_ != 0) {
    cursor_->DropFilter(filterHandle_);  // status deliberately not checked
    filterHandle_ = 0;
    CursorMoved();
  }
  if (text.empty()) return;
  std::vector<TExprField> fields;
  for (int i = 0; i < Fields().Count(); ++i) {
    const TField& f = Fields()[i];
    if (f.FieldNo() > 0)
      fields.push_back({f.FieldName(), f.FieldName(), f.FieldNo(), f.DataType(), f.Size(), fkData});
  }
  const TExprFieldList view(Name(), std::move(fields));
  const TExprParser parser(view, text, options, poExtendedSyntax);
  if (!parser.Ok()) {
    if (parser.Error().errorClass == TExprError::kConvertError)
      throw EConvertError(parser.Error().message);
    throw EDatabaseError(parser.Error().message);
  }
  uint32_t handle = 0;
  Check(cursor_->AddFilter(parser.FilterData(), parser.DataSize(), &handle));
  filterHandle_ = handle;
  CursorMoved();
}

void TCustomClientDataSet::SetFilterData(const std::string& text, TFilterOptions options) {
  if (Active() && Filtered()) {
    CheckBrowseMode();
    if (text != Filter() || options != FilterOptions()) {
      try {
        AddExprFilter(text, options);
      } catch (...) {
        // The old filter is gone: show the unfiltered view around the current record.
        RefreshKeepingRecord();
        throw;
      }
    }
    First();
  }
  SetFilterTextValue(text);
  SetFilterOptionsValue(options);
}

void TCustomClientDataSet::SetFilter(const std::string& text) {
  SetFilterData(text, FilterOptions());
}

void TCustomClientDataSet::SetFilterOptions(TFilterOptions options) {
  SetFilterData(Filter(), options);
}

void TCustomClientDataSet::SetFiltered(bool value) {
  if (!Active()) return SetFilteredValue(value);
  CheckBrowseMode();
  if (value != Filtered()) {
    Check(cursor_->MoveToBOF());
    CursorMoved();
    try {
      if (value)
        AddExprFilter(Filter(), FilterOptions());
      else
        AddExprFilter({}, FilterOptions());
    } catch (...) {
      RefreshKeepingRecord();
      throw;
    }
    SetFilteredValue(value);
  }
  First();
}

// ---- Counts, positions, bookmarks ----

int TCustomClientDataSet::RecordCount() {
  CheckActive();
  uint32_t count = 0;
  Check(cursor_->GetRecordCount(&count));
  return int(count);
}

int TCustomClientDataSet::RecNo() {
  if (!Active() || State() == dsInsert || !HasRecord()) return -1;
  SyncCursor();
  uint32_t seq = 0;
  if (cursor_->GetSequenceNumber(&seq) != DBERR_NONE)
    return int(GetU32(ActiveRecordBuffer().data() + infoOffset_));
  return int(seq);
}

int TCustomClientDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
  CheckActive();
  if (a.size() != bookmarkSize_ || b.size() != bookmarkSize_) Check(DBERR_INVALIDPARAM);
  int32_t result = 0;
  Check(cursor_->CompareBookmarks(a.data(), b.data(), &result));
  return result;
}

TUpdateStatus TCustomClientDataSet::UpdateStatus() {
  if (!Active() || !HasRecord() || State() == dsInsert) return usUnmodified;
  const uint8_t attr = ActiveRecordBuffer()[infoOffset_ + 5];
  if (attr & dsRecModified) return usModified;
  if (attr & dsRecDeleted) return usDeleted;
  if (attr & dsRecInserted) return usInserted;
  return usUnmodified;
}

TBookmark TCustomClientDataSet::BookmarkOf(const TRecordBuffer& buffer) const {
  const auto* p = buffer.data() + infoOffset_ + kInfoSize;
  return TBookmark(p, p + bookmarkSize_);
}

TBookmarkFlag TCustomClientDataSet::GetBookmarkFlag(const TRecordBuffer& buffer) const {
  return TBookmarkFlag(buffer[infoOffset_ + 4]);
}

void TCustomClientDataSet::SetBookmarkFlag(TRecordBuffer& buffer, TBookmarkFlag flag) {
  buffer[infoOffset_ + 4] = flag;
}

void TCustomClientDataSet::FillInfo(TRecordBuffer& buffer, uint32_t seqNo, uint8_t attribute) {
  PutU32(buffer.data() + infoOffset_, seqNo);
  buffer[infoOffset_ + 4] = bfCurrent;
  buffer[infoOffset_ + 5] = attribute;
}

// ---- Buffers from the cursor ----

void TCustomClientDataSet::InternalFirst() { Check(cursor_->MoveToBOF()); }

void TCustomClientDataSet::InternalLast() { Check(cursor_->MoveToEOF()); }

TGetResult TCustomClientDataSet::GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck) {
  if (mode == gmNext)
    cursor_->MoveRelative(1);  // the moves' statuses are not checked
  else if (mode == gmPrior)
    cursor_->MoveRelative(-1);
  const DBResult st = cursor_->GetCurrentRecord(buffer.data());
  if (st == DBERR_BOF) return grBOF;
  if (st == DBERR_EOF) return grEOF;
  if (st != DBERR_NONE) {
    if (doCheck) Check(st);
    return grError;
  }
  uint32_t seq = 0;
  uint8_t attr = 0;
  Check(cursor_->GetSequenceNumber(&seq));
  Check(cursor_->GetRecordAttribute(&attr));
  FillInfo(buffer, seq, attr);
  Check(cursor_->GetBookmark(buffer.data() + infoOffset_ + kInfoSize));
  return grOK;
}

bool TCustomClientDataSet::ReadRecordAt(int recNo, TRecordBuffer& buffer) {
  if (recNo < 1) return false;
  uint8_t attr = 0;
  if (cursor_->GetRecordAt(uint32_t(recNo), buffer.data(), &attr,
                           buffer.data() + infoOffset_ + kInfoSize) != DBERR_NONE)
    return false;
  FillInfo(buffer, uint32_t(recNo), attr);
  return true;
}

bool TCustomClientDataSet::InternalSetRecNo(int recNo) {
  return recNo >= 1 && cursor_->MoveToSeqNo(uint32_t(recNo)) == DBERR_NONE;
}

void TCustomClientDataSet::InternalSetToRecord(const TRecordBuffer& buffer) {
  const TBookmarkFlag flag = GetBookmarkFlag(buffer);
  if (flag == bfCurrent || flag == bfInserted)
    cursor_->MoveToBookmark(buffer.data() + infoOffset_ + kInfoSize);
}

void TCustomClientDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
  if (bookmark.size() != bookmarkSize_) Check(DBERR_INVALIDPARAM);
  Check(cursor_->MoveToBookmark(bookmark.data()));
}

// ---- Editing ----

void TCustomClientDataSet::CheckReadOnly() {
  if (readOnly_) DatabaseError("Cannot modify a read-only dataset", Name());
}

void TCustomClientDataSet::CheckCanInsert() {
  CheckReadOnly();
  if (disableInserts_) DatabaseError("Inserts are not allowed", Name());
}

void TCustomClientDataSet::CheckCanEdit() {
  CheckReadOnly();
  if (disableEdits_) DatabaseError("Modifications are not allowed", Name());
}

void TCustomClientDataSet::CheckCanDelete() {
  if (disableDeletes_) DatabaseError("Deletes are not allowed", Name());
}

void TCustomClientDataSet::InternalInitRecord(TRecordBuffer& buffer) {
  Check(cursor_->InitRecord(buffer.data()));
}

void TCustomClientDataSet::InternalInsert() { Check(cursor_->SetNoCurrentRecord()); }

void TCustomClientDataSet::InternalPost() {
  if (State() == dsEdit)
    Check(cursor_->ModifyRecord(ActiveRecordBuffer().data()));
  else
    Check(cursor_->InsertRecord(ActiveRecordBuffer().data()));
}

void TCustomClientDataSet::InternalCancel() {
  if (table_->HasBlobStore()) Check(table_->ReleaseBlobs());
}

void TCustomClientDataSet::InternalDelete() { Check(cursor_->DeleteRecord()); }

// ---- Field data ----

bool TCustomClientDataSet::GetFieldData(const TField& field, const uint8_t* buffer, void* out) {
  if (!cursor_ || field.FieldNo() <= 0) return false;
  uint8_t nullFlag = 0;
  Check(cursor_->GetField(buffer, uint32_t(field.FieldNo()), out, &nullFlag));
  return nullFlag == kValuePresent;
}

void TCustomClientDataSet::SetFieldData(TField& field, const void* data) {
  if (field.FieldNo() <= 0) DatabaseError("Field index out of range", Name());
  Check(cursor_->PutField(ActiveRecordBuffer().data(), uint32_t(field.FieldNo()), data));
}

std::string TCustomClientDataSet::ReadBlob(const TField& field, const uint8_t* buffer) {
  if (!cursor_ || field.FieldNo() <= 0) return {};
  const uint32_t no = uint32_t(field.FieldNo());
  uint32_t length = 0;
  Check(cursor_->GetBlobLength(buffer, no, &length));
  std::string data(length, '\0');
  uint32_t copied = 0;
  if (length > 0) Check(cursor_->GetBlob(buffer, no, 0, length, data.data(), &copied));
  data.resize(copied);
  return data;
}

void TCustomClientDataSet::WriteBlob(TField& field, std::string_view data) {
  if (field.FieldNo() <= 0) DatabaseError("Field index out of range", Name());
  Check(cursor_->PutBlob(ActiveRecordBuffer().data(), uint32_t(field.FieldNo()), 0, data.data(),
                         uint32_t(data.size())));
}

}  // namespace db
