// Test helpers for the table engine's tests: the lyrics table's descriptors, a table made from
// them, and record buffers filled field by field. Test code only.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tableengine/DBCommon.h"
#include "tableengine/dsbase.h"

namespace dsengine::testing {

inline FieldDescriptor MakeField(const char* name, uint32_t type, uint32_t subType, uint32_t units1,
                                 uint32_t attributes = 0) {
  FieldDescriptor f{};
  strncpy(f.name, name, sizeof f.name - 1);
  f.type = type;
  f.subType = subType;
  f.units1 = units1;
  f.attributes = attributes;
  return f;
}

// Id, Artist, Album, Title, Lyric, SongFileName: fields 1 .. 6.
enum LyricsField : uint32_t { kId = 1, kArtist, kAlbum, kTitle, kLyric, kSongFile };

inline std::vector<FieldDescriptor> LyricsFields() {
  return {
      MakeField("Id", fldINT32, fldstAUTOINC, 0), MakeField("Artist", fldZSTRING, 0, 180),
      MakeField("Album", fldZSTRING, 0, 180),     MakeField("Title", fldZSTRING, 0, 180),
      MakeField("Lyric", fldBLOB, fldstMEMO, 0),  MakeField("SongFileName", fldZSTRING, 0, 500)};
}

// Few distinct values, so equal keys are frequent; case variants, Windows-1252 accents,
// wildcard and escape characters as data, the empty string.
inline const std::vector<std::string> kWords = {
    "",        "abba", "Abba",   "ABBA",    "b",         "B",         "beatles",
    "Beatles", "BEAT", "love",   "gLOVEs",  "l_ve",      "100%",      "a\\b",
    "abc",     "a c",  "x\xE6y", "bl\xF6k", "\xE9t\xE9", "\xC9T\xC9", "\xFF\xFE"};

// The lyrics table's fields as the filter parser sees them (dataset "cdsMain").
inline const db::TExprFieldList& LyricsFieldList() {
  static const db::TExprFieldList list("cdsMain",
                                       {{"Id", "", 1, db::ftAutoInc, 0, db::fkData},
                                        {"Artist", "", 2, db::ftString, 180, db::fkData},
                                        {"Album", "", 3, db::ftString, 180, db::fkData},
                                        {"Title", "", 4, db::ftString, 180, db::fkData},
                                        {"Lyric", "", 5, db::ftMemo, 0, db::fkData},
                                        {"SongFileName", "", 6, db::ftString, 500, db::fkData}});
  return list;
}

inline std::unique_ptr<DSBASE> MakeTable(std::vector<FieldDescriptor> fields,
                                         const char* name = "cdsMain") {
  auto t = std::make_unique<DSBASE>();
  if (t->CreateTable(uint32_t(fields.size()), fields.data(), name) != DBERR_NONE) return nullptr;
  return t;
}

inline std::unique_ptr<DSBASE> MakeLyricsTable() { return MakeTable(LyricsFields()); }

// A flat record buffer of a table.
class Rec {
 public:
  explicit Rec(const DSBASE& t) : t_(t), b_(t.RecordSize()) { t.InitRecord(b_.data()); }
  Rec& Str(uint32_t f, const std::string& s) {
    t_.PutField(b_.data(), f, s.c_str());
    return *this;
  }
  Rec& Int(uint32_t f, int32_t v) {
    t_.PutField(b_.data(), f, &v);
    return *this;
  }
  Rec& Blank(uint32_t f) {
    t_.PutField(b_.data(), f, nullptr);
    return *this;
  }
  std::string GetStr(uint32_t f) const {
    const FieldDescriptor& d = t_.Field(f);
    return std::string(reinterpret_cast<const char*>(b_.data() + d.offset),
                       strnlen(reinterpret_cast<const char*>(b_.data() + d.offset), d.length));
  }
  int32_t GetInt(uint32_t f) const {
    int32_t v;
    memcpy(&v, b_.data() + t_.Field(f).offset, 4);
    return v;
  }
  uint8_t Null(uint32_t f) const { return b_[t_.Field(f).nullOffset]; }
  uint8_t* data() { return b_.data(); }
  const uint8_t* data() const { return b_.data(); }

 private:
  const DSBASE& t_;
  std::vector<uint8_t> b_;
};

// The stored string of a record's field.
inline std::string StoredStr(const DSBASE& t, uint32_t rec, uint32_t f) {
  const char* p = reinterpret_cast<const char*>(t.ValuePtr(rec, f));
  return std::string(p, strnlen(p, t.Field(f).length));
}

inline int32_t StoredInt(const DSBASE& t, uint32_t rec, uint32_t f) {
  int32_t v;
  memcpy(&v, t.ValuePtr(rec, f), 4);
  return v;
}

// Records of an index in position order.
inline std::vector<uint32_t> Order(const DSIDX& idx) {
  std::vector<uint32_t> v;
  for (uint32_t p = 1; p <= idx.Count(); ++p) v.push_back(idx.RecordAt(p));
  return v;
}

}  // namespace dsengine::testing
