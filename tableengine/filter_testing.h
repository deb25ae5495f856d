// Test helpers for the filter program's tests: table layouts as flat records (descriptors with
// offsets and null flags), records filled field by field, and filter texts compiled as the facade
// compiles them. Test code only.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tableengine/DBCommon.h"
#include "tableengine/filterprog.h"

namespace dsengine::testing {

struct Column {
  const char* name;
  uint32_t type, subType, units1, length;
  db::TFieldType ft;
  int size;
};

// A table layout: descriptors with offsets and null offsets as the flat record has them.
class FilterTable {
 public:
  explicit FilterTable(std::vector<Column> columns) {
    uint32_t offset = 0;
    for (const Column& c : columns) {
      FieldDescriptor d{};
      std::strncpy(d.name, c.name, sizeof d.name - 1);
      d.type = c.type, d.subType = c.subType, d.units1 = c.units1, d.length = c.length;
      d.offset = offset;
      offset += c.length;
      d.fieldNumber = static_cast<uint16_t>(fields_.size() + 1);
      fields_.push_back(d);
      exprFields_.push_back({c.name, "", d.fieldNumber, c.ft, c.size, db::fkData});
    }
    for (FieldDescriptor& d : fields_) d.nullOffset = offset++;
    recordSize_ = offset;
  }
  std::vector<uint8_t> NewRecord() const {
    std::vector<uint8_t> r(recordSize_, 0);
    for (const FieldDescriptor& d : fields_) r[d.nullOffset] = kBlankUnassigned;
    return r;
  }
  const FieldDescriptor& Field(const char* name) const {
    for (const FieldDescriptor& d : fields_)
      if (std::strcmp(d.name, name) == 0) return d;
    throw std::logic_error(name);
  }
  void Set(std::vector<uint8_t>& r, const char* name, const void* value, size_t n) const {
    const FieldDescriptor& d = Field(name);
    std::memset(&r[d.offset], 0, d.length);
    std::memcpy(&r[d.offset], value, n);
    r[d.nullOffset] = kValuePresent;
  }
  void SetText(std::vector<uint8_t>& r, const char* name, const std::string& s) const {
    Set(r, name, s.c_str(), s.size() + 1);
  }
  template <typename T>
  void SetValue(std::vector<uint8_t>& r, const char* name, T v) const {
    Set(r, name, &v, sizeof v);
  }
  // Blanks a field as the client does, keeping the bytes it held.
  void SetBlank(std::vector<uint8_t>& r, const char* name) const {
    r[Field(name).nullOffset] = kBlankByClient;
  }
  // Compiles `text` as the facade would (extended syntax) and returns the build status.
  DBResult Compile(FilterProgram& program, const std::string& text,
                   db::TFilterOptions options = db::foCaseInsensitive) const {
    db::TExprFieldList list("cdsMain", exprFields_);
    db::TExprParser parser(list, text, options);
    EXPECT_TRUE(parser.Ok()) << text << ": " << parser.Error().message;
    if (!parser.Ok()) return DBERR_INVALIDPARAM;
    return program.Build(parser.FilterData(), parser.DataSize(), fields_.data(), fields_.size(), 0);
  }
  const std::vector<FieldDescriptor>& Fields() const { return fields_; }

 private:
  std::vector<FieldDescriptor> fields_;
  std::vector<db::TExprField> exprFields_;
  uint32_t recordSize_ = 0;
};

// Blob texts by handle, counting the fetches.
class BlobTexts : public FilterBlobSource {
 public:
  std::map<int32_t, std::string> texts;
  int calls = 0;
  uint16_t expectedField = 0;  // when set, every fetch must be for this field
  bool GetBlob(uint16_t fieldNumber, int32_t handle, const char*& data, size_t& length) override {
    ++calls;
    if (expectedField != 0) {
      EXPECT_EQ(fieldNumber, expectedField);
    }
    auto it = texts.find(handle);
    if (it == texts.end()) return false;
    data = it->second.data();
    length = it->second.size();
    return true;
  }
};

// The lyrics table.
inline const FilterTable& Lyrics() {
  static const FilterTable t({
      {"Id", fldINT32, fldstAUTOINC, 0, 4, db::ftAutoInc, 0},
      {"Artist", fldZSTRING, 0, 180, 181, db::ftString, 180},
      {"Album", fldZSTRING, 0, 180, 181, db::ftString, 180},
      {"Title", fldZSTRING, 0, 180, 181, db::ftString, 180},
      {"Lyric", fldBLOB, fldstMEMO, 0, 4, db::ftMemo, 0},
      {"SongFileName", fldZSTRING, 0, 500, 501, db::ftString, 500},
  });
  return t;
}

// A table with more field types.
inline const FilterTable& Typed() {
  static const FilterTable t({
      {"Flag", fldBOOL, 0, 0, 2, db::ftBoolean, 0},
      {"Small", fldINT16, 0, 0, 2, db::ftSmallint, 0},
      {"W", fldUINT16, 0, 0, 2, db::ftWord, 0},
      {"Price", fldFLOAT, 0, 0, 8, db::ftFloat, 0},
      {"Born", fldDATE, 0, 0, 4, db::ftDate, 0},
      {"Fixed", fldZSTRING, fldstFIXED, 5, 6, db::ftFixedChar, 5},
      {"Name", fldZSTRING, 0, 20, 21, db::ftString, 20},
      {"Stamp", fldTIMESTAMP, 0, 0, 8, db::ftDateTime, 0},
  });
  return t;
}

// A record of the typed table in which every field holds a value.
inline std::vector<uint8_t> TypedRecord() {
  const FilterTable& t = Typed();
  std::vector<uint8_t> r = t.NewRecord();
  t.SetValue<int16_t>(r, "Flag", 1);
  t.SetValue<int16_t>(r, "Small", -5);
  t.SetValue<uint16_t>(r, "W", 40000);
  t.SetValue(r, "Price", 2.5);
  t.SetValue<int32_t>(r, "Born", 730120);  // 1 January 2000
  t.SetText(r, "Fixed", "ab  ");
  t.SetText(r, "Name", "ab");
  t.SetValue(r, "Stamp", 730120.0 * 86400000 + 3600000 * 13.5);  // 13:30 that day
  return r;
}

}  // namespace dsengine::testing
