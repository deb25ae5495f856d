// Field definitions and typed fields of the dataset model.
#include "dataset/dbfields.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "dataset/db.h"
#include "dataset/dberrors.h"
#include "platform/sysutils.h"
#include "tableengine/exprvalues.h"

namespace db {

namespace {

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 32);
    if (y >= 'a' && y <= 'z') y = char(y - 32);
    if (x != y) return false;
  }
  return true;
}

[[noreturn]] void ConvertError(const std::string& text, const char* kind) {
  throw EConvertError("'" + text + "' is not a valid " + kind);
}

std::string FloatText(double v) {
  char buf[40];
  snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

}  // namespace

// ---- Date-time conversions ----

double DayNumberToDateTime(int32_t day) { return double(day) - kDateDelta; }

int32_t DateTimeToDayNumber(double dt) { return int32_t(std::floor(dt)) + kDateDelta; }

// ---- TFieldDefs ----

TFieldDef& TFieldDefs::Add(std::string name, TFieldType type, int size, bool required) {
  TFieldDef d;
  d.Name = std::move(name);
  d.DataType = type;
  d.Size = size;
  d.Required = required;
  items_.push_back(std::move(d));
  return items_.back();
}

int TFieldDefs::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameText(items_[i].Name, name)) return int(i);
  return -1;
}

// ---- TField ----

TField::TField(TFieldType type, int size) : type_(type), size_(size) {}

bool TField::IsBlob() const {
  return type_ == ftBlob || type_ == ftMemo || type_ == ftGraphic || type_ == ftFmtMemo;
}

const uint8_t* TField::ActiveBuffer() const {
  if (dataSet_ == nullptr || !dataSet_->Active()) return nullptr;
  if (!dataSet_->HasRecord() && dataSet_->State() != dsInsert) return nullptr;
  return dataSet_->ActiveRecordBuffer().data();
}

bool TField::GetData(const uint8_t* buffer, void* out) const {
  if (buffer == nullptr || dataSet_ == nullptr) return false;
  return dataSet_->GetFieldData(*this, buffer, out);
}

void TField::SetData(const void* data) {
  if (dataSet_ == nullptr) DatabaseError(Fmt("Field '%s' has no dataset", name_));
  dataSet_->WriteField(*this, data);
}

std::string TField::ReadBlobIn(const uint8_t* buffer) const {
  if (buffer == nullptr || dataSet_ == nullptr) return {};
  return dataSet_->ReadBlob(*this, buffer);
}

void TField::SetBlobData(std::string_view data) {
  if (dataSet_ == nullptr) DatabaseError(Fmt("Field '%s' has no dataset", name_));
  dataSet_->WriteFieldBlob(*this, data);
}

bool TField::IsNullIn(const uint8_t* buffer) const {
  if (buffer == nullptr) return true;
  return VarIsNull(ValueIn(buffer));
}

bool TField::IsNull() const { return IsNullIn(ActiveBuffer()); }

std::string TField::AsStringIn(const uint8_t* buffer) const {
  if (buffer == nullptr) return {};
  TVariant v = ValueIn(buffer);
  return VarIsNull(v) ? std::string() : ValueText(v);
}

std::string TField::ValueText(const TVariant& v) const {
  switch (v.index()) {
    case 1:
      return std::get<bool>(v) ? "True" : "False";
    case 2:
      return std::to_string(std::get<int64_t>(v));
    case 3:
      return FloatText(std::get<double>(v));
    case 4:
      return std::get<std::string>(v);
    default:
      return {};
  }
}

int64_t TField::AsLargeInt() const {
  TVariant v = Value();
  switch (v.index()) {
    case 1:
      return std::get<bool>(v) ? 1 : 0;
    case 2:
      return std::get<int64_t>(v);
    case 3:
      return int64_t(std::llround(std::get<double>(v)));
    case 4:
      return StrToInt(std::get<std::string>(v));
    default:
      return 0;
  }
}

int32_t TField::AsInteger() const { return static_cast<int32_t>(AsLargeInt()); }

double TField::AsFloat() const {
  TVariant v = Value();
  switch (v.index()) {
    case 1:
      return std::get<bool>(v) ? 1 : 0;
    case 2:
      return double(std::get<int64_t>(v));
    case 3:
      return std::get<double>(v);
    case 4: {
      double d = 0;
      if (!TextToFloat(std::get<std::string>(v), '.', d))
        ConvertError(std::get<std::string>(v), "floating point value");
      return d;
    }
    default:
      return 0;
  }
}

bool TField::AsBoolean() const {
  TVariant v = Value();
  switch (v.index()) {
    case 1:
      return std::get<bool>(v);
    case 2:
      return std::get<int64_t>(v) != 0;
    case 3:
      return std::get<double>(v) != 0;
    case 4: {
      bool b = false;
      if (!TextToBoolean(std::get<std::string>(v), '.', b))
        ConvertError(std::get<std::string>(v), "boolean value");
      return b;
    }
    default:
      return false;
  }
}

void TField::SetAsLargeInt(int64_t value) { SetAsString(std::to_string(value)); }
void TField::SetAsFloat(double value) { SetAsString(FloatText(value)); }
void TField::SetAsBoolean(bool value) { SetAsString(value ? "True" : "False"); }

void TField::SetValue(const TVariant& value) {
  switch (value.index()) {
    case 1:
      SetAsBoolean(std::get<bool>(value));
      break;
    case 2:
      SetAsLargeInt(std::get<int64_t>(value));
      break;
    case 3:
      SetAsFloat(std::get<double>(value));
      break;
    case 4:
      SetAsString(std::get<std::string>(value));
      break;
    default:
      Clear();
      break;
  }
}

void TField::Clear() {
  if (IsBlob())
    SetBlobData({});
  else
    SetData(nullptr);
}

// ---- Strings ----

TVariant TStringField::ValueIn(const uint8_t* buffer) const {
  std::string s(EngineLength(), '\0');
  if (!GetData(buffer, s.data())) return {};
  s.resize(strnlen(s.data(), s.size()));
  return s;
}

void TStringField::SetAsString(const std::string& value) {
  std::string v = value.substr(0, size_t(Size()));
  v.resize(strnlen(v.c_str(), v.size()));  // an embedded NUL ends the text
  SetData(v.c_str());
}

void TStringField::SetAsFloat(double value) { SetAsString(FloatText(value)); }

// ---- Integers ----

TVariant TIntegerField::ValueIn(const uint8_t* buffer) const {
  uint8_t raw[8] = {};
  if (!GetData(buffer, raw)) return {};
  int64_t v = 0;
  switch (bytes_) {
    case 2: {
      uint16_t u;
      memcpy(&u, raw, 2);
      v = signed_ ? int64_t(int16_t(u)) : int64_t(u);
      break;
    }
    case 4: {
      int32_t i;
      memcpy(&i, raw, 4);
      v = i;
      break;
    }
    default:
      memcpy(&v, raw, 8);
      break;
  }
  return v;
}

void TIntegerField::SetAsLargeInt(int64_t value) {
  if (value < MinValue || value > MaxValue)
    DatabaseError(std::to_string(value) + " is not a valid value for field '" + FieldName() +
                  "'. The allowed range is " + std::to_string(MinValue) + " to " +
                  std::to_string(MaxValue));
  uint8_t raw[8] = {};
  if (bytes_ == 2) {
    uint16_t u = uint16_t(value);
    memcpy(raw, &u, 2);
  } else if (bytes_ == 4) {
    int32_t i = int32_t(value);
    memcpy(raw, &i, 4);
  } else {
    memcpy(raw, &value, 8);
  }
  SetData(raw);
}

void TIntegerField::SetAsString(const std::string& value) {
  if (value.empty()) return Clear();
  if (bytes_ == 8) {
    int64_t v = 0;
    if (!TextToInteger(value, v)) ConvertError(value, "integer value");
    return SetAsLargeInt(v);
  }
  SetAsLargeInt(StrToInt(value));
}

void TIntegerField::SetAsFloat(double value) {
  if (!std::isfinite(value)) ConvertError(FloatText(value), "integer value");
  SetAsLargeInt(int64_t(std::llround(value)));
}

// ---- Booleans (16-bit in a record) ----

TVariant TBooleanField::ValueIn(const uint8_t* buffer) const {
  uint16_t v = 0;
  if (!GetData(buffer, &v)) return {};
  return v != 0;
}

std::string TBooleanField::ValueText(const TVariant& v) const {
  return std::get<bool>(v) ? "True" : "False";
}

void TBooleanField::SetAsBoolean(bool value) {
  uint16_t v = value ? 1 : 0;
  SetData(&v);
}

void TBooleanField::SetAsString(const std::string& value) {
  if (value.empty()) return Clear();
  bool b = false;
  if (!TextToBoolean(value, '.', b)) ConvertError(value, "boolean value");
  SetAsBoolean(b);
}

// ---- Floating point ----

TVariant TFloatField::ValueIn(const uint8_t* buffer) const {
  double v = 0;
  if (!GetData(buffer, &v)) return {};
  return v;
}

void TFloatField::SetAsFloat(double value) { SetData(&value); }

void TFloatField::SetAsString(const std::string& value) {
  if (value.empty()) return Clear();
  double d = 0;
  if (!TextToFloat(value, '.', d)) ConvertError(value, "floating point value");
  SetAsFloat(d);
}

// ---- Dates and times ----

TVariant TDateTimeField::ValueIn(const uint8_t* buffer) const {
  if (DataType() == ftDateTime) {
    double ms = 0;
    if (!GetData(buffer, &ms)) return {};
    return ms / double(kMsPerDay) - kDateDelta;
  }
  int32_t v = 0;
  if (!GetData(buffer, &v)) return {};
  if (DataType() == ftDate) return DayNumberToDateTime(v);
  return double(v) / double(kMsPerDay);
}

std::string TDateTimeField::ValueText(const TVariant& v) const {
  const double dt = std::get<double>(v);
  std::string text;
  char buf[32];
  if (DataType() != ftTime) {
    int y, m, d;
    DecodeDayNumber(DateTimeToDayNumber(dt), y, m, d);
    snprintf(buf, sizeof buf, "%d/%d/%04d", m, d, y);
    text = buf;
  }
  if (DataType() != ftDate) {
    int64_t ms = std::llround((dt - std::floor(dt)) * double(kMsPerDay)) % kMsPerDay;
    snprintf(buf, sizeof buf, "%02d:%02d:%02d", int(ms / 3600000), int(ms / 60000 % 60),
             int(ms / 1000 % 60));
    if (!text.empty()) text += ' ';
    text += buf;
  }
  return text;
}

void TDateTimeField::SetAsFloat(double dt) {
  if (!std::isfinite(dt)) ConvertError(FloatText(dt), "date and time");
  if (DataType() == ftDateTime) {
    double ms = std::round((dt + kDateDelta) * double(kMsPerDay));
    return SetData(&ms);
  }
  int32_t v = DataType() == ftDate
                  ? DateTimeToDayNumber(dt)
                  : int32_t(std::llround((dt - std::floor(dt)) * double(kMsPerDay)) % kMsPerDay);
  SetData(&v);
}

void TDateTimeField::SetAsString(const std::string& value) {
  if (value.empty()) return Clear();
  if (DataType() == ftDate) {
    int32_t day = 0;
    if (!TextToDate(value, day)) ConvertError(value, "date");
    return SetAsFloat(DayNumberToDateTime(day));
  }
  if (DataType() == ftTime) {
    int32_t ms = 0;
    if (!TextToTime(value, ms)) ConvertError(value, "time");
    return SetAsFloat(double(ms) / double(kMsPerDay));
  }
  double ms = 0;
  if (!TextToDateTime(value, ms)) ConvertError(value, "date and time");
  SetAsFloat(ms / double(kMsPerDay) - kDateDelta);
}

// ---- Blobs ----

TVariant TBlobField::ValueIn(const uint8_t* buffer) const {
  if (buffer == nullptr || DataSet() == nullptr) return {};
  uint8_t handle[4];
  if (!GetData(buffer, handle)) return {};
  return ReadBlobIn(buffer);
}

void TBlobField::SetAsString(const std::string& value) { SetBlobData(value); }

// ---- Factory and type mapping ----

std::unique_ptr<TField> CreateField(TFieldType type, int size) {
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftGuid:
      return std::make_unique<TStringField>(size);
    case ftSmallint:
      return std::make_unique<TSmallintField>();
    case ftInteger:
      return std::make_unique<TIntegerField>();
    case ftWord:
      return std::make_unique<TWordField>();
    case ftAutoInc:
      return std::make_unique<TAutoIncField>();
    case ftLargeint:
      return std::make_unique<TLargeintField>();
    case ftBoolean:
      return std::make_unique<TBooleanField>();
    case ftFloat:
      return std::make_unique<TFloatField>();
    case ftCurrency:
      return std::make_unique<TCurrencyField>();
    case ftDate:
      return std::make_unique<TDateField>();
    case ftTime:
      return std::make_unique<TTimeField>();
    case ftDateTime:
      return std::make_unique<TDateTimeField>();
    case ftMemo:
    case ftFmtMemo:
      return std::make_unique<TMemoField>();
    case ftBlob:
    case ftGraphic:
      return std::make_unique<TBlobField>();
    default:
      return nullptr;
  }
}

TFieldType FieldTypeOfEngine(uint32_t type, uint32_t subType) {
  for (int t = ftUnknown + 1; t < kFieldTypeCount; ++t) {
    const EngineType e = EngineTypeOf(TFieldType(t));
    if (e.type == type && e.subType == subType) return TFieldType(t);
  }
  // A sub-type the model does not know: the plain type of the engine code.
  for (int t = ftUnknown + 1; t < kFieldTypeCount; ++t) {
    const EngineType e = EngineTypeOf(TFieldType(t));
    if (e.type == type && (e.subType == 0 || type == dsengine::fldBLOB)) return TFieldType(t);
  }
  return ftUnknown;
}

// ---- TFields ----

TField* TFields::Add(std::unique_ptr<TField> field) {
  field->dataSet_ = dataSet_;
  items_.push_back(std::move(field));
  return items_.back().get();
}

TField* TFields::FindField(std::string_view name) const {
  for (const auto& f : items_)
    if (SameText(f->FieldName(), name)) return f.get();
  return nullptr;
}

TField& TFields::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (f == nullptr)
    DatabaseError(Fmt("Field '%s' not found", name), dataSet_ ? dataSet_->Name() : "");
  return *f;
}

}  // namespace db
