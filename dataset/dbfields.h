// The dataset model's field definitions (TFieldDefs/TFieldDef) and fields (TFields/TField with
// one subclass per field type the engine maps). Fields read and write the dataset's active record
// buffer through their TDataSet; grids read any row buffer through the *In(row) readers.
// Owned by their dataset; used from the user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tableengine/fieldtypes.h"

namespace db {

class TDataSet;
class TField;

// A small variant: null, boolean, integer, floating point (dates and times as the framework's
// date-time: days since 30 December 1899 with the time as fraction) or text.
using TVariant = std::variant<std::monostate, bool, int64_t, double, std::string>;
inline bool VarIsNull(const TVariant& v) { return v.index() == 0; }

// A record buffer of the dataset (layout owned by the dataset implementation).
using TRecordBuffer = std::vector<uint8_t>;

using TFieldNotifyEvent = std::function<void(TField&)>;

// ---- Field definitions ------------------------------------------------------------------------

struct TFieldDef {
  std::string Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;       // characters of a string, digits of a BCD; 0 when the type has none
  int Precision = 0;  // places of a BCD
  bool Required = false;
  bool ReadOnly = false;
  bool Hidden = false;
  int FieldNo = 0;  // 1-based field number in the table; 0 before the dataset is open
};

class TFieldDefs {
 public:
  void Clear() { items_.clear(); }
  TFieldDef& Add(std::string name, TFieldType type, int size = 0, bool required = false);
  int Count() const { return static_cast<int>(items_.size()); }
  TFieldDef& operator[](int i) { return items_[i]; }
  const TFieldDef& operator[](int i) const { return items_[i]; }
  // Position of a definition, names compared without regard to letter case; -1 when none.
  int IndexOf(std::string_view name) const;

 private:
  std::vector<TFieldDef> items_;
};

// ---- Fields -----------------------------------------------------------------------------------

class TField {
 public:
  TField(TFieldType type, int size);
  virtual ~TField() = default;
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const std::string& FieldName() const { return name_; }
  void SetFieldName(std::string name) { name_ = std::move(name); }
  TFieldType DataType() const { return type_; }
  int Size() const { return size_; }
  int FieldNo() const { return fieldNo_; }
  TFieldKind FieldKind() const { return fkData; }
  TDataSet* DataSet() const { return dataSet_; }
  bool IsBlob() const;

  bool ReadOnly = false;
  bool Required = false;
  TFieldNotifyEvent OnChange;    // after a value was written
  TFieldNotifyEvent OnValidate;  // before a value is written; raise to refuse it

  // ---- The active record ----
  bool IsNull() const;
  std::string AsString() const { return AsStringIn(ActiveBuffer()); }
  int32_t AsInteger() const;
  int64_t AsLargeInt() const;
  double AsFloat() const;
  bool AsBoolean() const;
  double AsDateTime() const { return AsFloat(); }
  TVariant Value() const { return ValueIn(ActiveBuffer()); }
  std::string Text() const { return AsString(); }

  // Writing: only in the dataset's edit or insert state; a read-only field refuses. Strings are
  // cut to the field's size; text given to a numeric, boolean or date field is converted
  // (EConvertError when it is no such value).
  virtual void SetAsString(const std::string& value) = 0;
  virtual void SetAsInteger(int32_t value) { SetAsLargeInt(value); }
  virtual void SetAsLargeInt(int64_t value);
  virtual void SetAsFloat(double value);
  virtual void SetAsBoolean(bool value);
  void SetAsDateTime(double value) { SetAsFloat(value); }
  void SetValue(const TVariant& value);
  void SetText(const std::string& value) { SetAsString(value); }
  void Clear();

  // ---- Any row buffer (the dataset's row window) ----
  bool IsNullIn(const TRecordBuffer& row) const { return IsNullIn(row.data()); }
  std::string AsStringIn(const TRecordBuffer& row) const { return AsStringIn(row.data()); }
  TVariant ValueIn(const TRecordBuffer& row) const { return ValueIn(row.data()); }

 protected:
  friend class TDataSet;
  friend class TFields;

  // nullptr when the dataset has no current record (every field reads as null then).
  const uint8_t* ActiveBuffer() const;
  bool IsNullIn(const uint8_t* buffer) const;
  std::string AsStringIn(const uint8_t* buffer) const;
  // The field's value in `buffer` (null when there is none).
  virtual TVariant ValueIn(const uint8_t* buffer) const = 0;
  // Text of a non-null value.
  virtual std::string ValueText(const TVariant& value) const;
  // Raw bytes of the field (its engine length) into `out`; false when null.
  bool GetData(const uint8_t* buffer, void* out) const;
  // Writes raw bytes (nullptr: null) into the active record through the dataset.
  void SetData(const void* data);
  // Blob fields: the whole blob of `buffer`, and one write of the whole value.
  std::string ReadBlobIn(const uint8_t* buffer) const;
  void SetBlobData(std::string_view data);

  void Bind(TDataSet* dataSet, int fieldNo, uint32_t engineLength) {
    dataSet_ = dataSet;
    fieldNo_ = fieldNo;
    engineLength_ = engineLength;
  }
  uint32_t EngineLength() const { return engineLength_; }

 private:
  std::string name_;
  TFieldType type_;
  int size_;
  int fieldNo_ = 0;
  uint32_t engineLength_ = 0;  // bytes of the value in a flat record
  TDataSet* dataSet_ = nullptr;
};

class TStringField : public TField {
 public:
  explicit TStringField(int size = 20) : TField(ftString, size) {}
  void SetAsString(const std::string& value) override;
  void SetAsLargeInt(int64_t value) override { SetAsString(std::to_string(value)); }
  void SetAsFloat(double value) override;
  void SetAsBoolean(bool value) override { SetAsString(value ? "True" : "False"); }

 protected:
  TVariant ValueIn(const uint8_t* buffer) const override;
};

// Whole numbers held in `bytes` bytes between MinValue and MaxValue; a value outside raises
// "%d is not a valid value for field '%s'. The allowed range is %d to %d".
class TIntegerField : public TField {
 public:
  TIntegerField() : TIntegerField(ftInteger, 4, INT32_MIN, INT32_MAX, true) {}
  void SetAsString(const std::string& value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsBoolean(bool value) override { SetAsLargeInt(value ? 1 : 0); }
  int64_t MinValue, MaxValue;

 protected:
  TIntegerField(TFieldType type, int bytes, int64_t min, int64_t max, bool isSigned)
      : TField(type, 0), MinValue(min), MaxValue(max), bytes_(bytes), signed_(isSigned) {}
  TVariant ValueIn(const uint8_t* buffer) const override;

 private:
  int bytes_;
  bool signed_;
};

class TSmallintField : public TIntegerField {
 public:
  TSmallintField() : TIntegerField(ftSmallint, 2, INT16_MIN, INT16_MAX, true) {}
};
class TWordField : public TIntegerField {
 public:
  TWordField() : TIntegerField(ftWord, 2, 0, UINT16_MAX, false) {}
};
class TAutoIncField : public TIntegerField {
 public:
  TAutoIncField() : TIntegerField(ftAutoInc, 4, INT32_MIN, INT32_MAX, true) {}
};
class TLargeintField : public TIntegerField {
 public:
  TLargeintField() : TIntegerField(ftLargeint, 8, INT64_MIN, INT64_MAX, true) {}
};

class TBooleanField : public TField {
 public:
  TBooleanField() : TField(ftBoolean, 0) {}
  void SetAsString(const std::string& value) override;
  void SetAsBoolean(bool value) override;
  void SetAsLargeInt(int64_t value) override { SetAsBoolean(value != 0); }

 protected:
  TVariant ValueIn(const uint8_t* buffer) const override;
  std::string ValueText(const TVariant& value) const override;
};

class TFloatField : public TField {
 public:
  TFloatField() : TFloatField(ftFloat) {}
  void SetAsString(const std::string& value) override;
  void SetAsFloat(double value) override;

 protected:
  explicit TFloatField(TFieldType type) : TField(type, 0) {}
  TVariant ValueIn(const uint8_t* buffer) const override;
};

class TCurrencyField : public TFloatField {
 public:
  TCurrencyField() : TFloatField(ftCurrency) {}
};

// Date-time fields: the value is the framework's date-time (see TVariant). Text is
// "m/d/yyyy" for dates, "hh:nn:ss" for times, both joined by a blank for date-times.
class TDateTimeField : public TField {
 public:
  TDateTimeField() : TDateTimeField(ftDateTime) {}
  void SetAsString(const std::string& value) override;
  void SetAsFloat(double value) override;

 protected:
  explicit TDateTimeField(TFieldType type) : TField(type, 0) {}
  TVariant ValueIn(const uint8_t* buffer) const override;
  std::string ValueText(const TVariant& value) const override;
};
class TDateField : public TDateTimeField {
 public:
  TDateField() : TDateTimeField(ftDate) {}
};
class TTimeField : public TDateTimeField {
 public:
  TTimeField() : TDateTimeField(ftTime) {}
};

// Blob and memo fields: read with the engine's blob length and blob reads, written with one blob
// write at position 0 (an empty value makes the field blank).
class TBlobField : public TField {
 public:
  TBlobField() : TBlobField(ftBlob) {}
  void SetAsString(const std::string& value) override;
  void SetAsLargeInt(int64_t value) override { SetAsString(std::to_string(value)); }

 protected:
  explicit TBlobField(TFieldType type) : TField(type, 0) {}
  TVariant ValueIn(const uint8_t* buffer) const override;
};
class TMemoField : public TBlobField {
 public:
  TMemoField() : TBlobField(ftMemo) {}
};

// Makes the field class of a type (nullptr for types the model has no field for).
std::unique_ptr<TField> CreateField(TFieldType type, int size);

// The framework field type of an engine type and sub-type (ftUnknown when none).
TFieldType FieldTypeOfEngine(uint32_t type, uint32_t subType);

// The dataset's fields, in field order. Owns them.
class TFields {
 public:
  explicit TFields(TDataSet* dataSet) : dataSet_(dataSet) {}
  int Count() const { return static_cast<int>(items_.size()); }
  TField& operator[](int i) const { return *items_[i]; }
  TField* Add(std::unique_ptr<TField> field);
  void Clear() { items_.clear(); }
  // Names compared without regard to letter case.
  TField* FindField(std::string_view name) const;
  // Raises "Field '%s' not found" (with the dataset's name in front).
  TField& FieldByName(std::string_view name) const;

 private:
  TDataSet* dataSet_;
  std::vector<std::unique_ptr<TField>> items_;
};

// Framework date-time (days since 30 December 1899) and the engine's day numbers.
constexpr int32_t kDateDelta = 693594;  // day number of 30 December 1899
double DayNumberToDateTime(int32_t day);
int32_t DateTimeToDayNumber(double dt);

}  // namespace db
