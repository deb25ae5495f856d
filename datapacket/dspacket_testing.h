// Test helpers for the table export/import tests: a packet read back into columns, parameters
// and rows, lyrics records, and a table's content as comparable values. Included by
// datapacket's dspacket*_test.cpp files only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "datapacket/dspacket.h"
#include "datapacket/packet_testing.h"
#include "datapacket/packetwalk.h"
#include "tableengine/engine_testing.h"

namespace dspacket::testing {

using dsengine::DSBASE;

struct ReadParam {
  std::string name;
  uint32_t type;
  std::vector<uint8_t> value;
};
struct ReadItem {
  uint32_t status;
  std::vector<uint8_t> value;
};
struct ReadColumn {
  DSColumnDesc desc;
  std::vector<ReadParam> params;
};

// A string parameter as the export writes it: 2-byte prefix counting the zero, text, zero.
inline Bytes& SubTypeParam(Bytes& b, const std::string& name) {
  return b.name("SUBTYPE").u32(0x00490002).u16(uint16_t(name.size() + 1)).text(name).u8(0);
}
inline Bytes& WidthParam(Bytes& b, uint16_t width) {
  return b.name("WIDTH").u32(0x00020002).u16(width);
}

// Header (metadata, `rows` rows, no row data offset) and the lyrics table's six columns with
// their field parameters; the Id's "SUBTYPE" is left out when empty. Table parameters next.
inline Bytes& LyricsColumns(Bytes& b, const std::string& idSubType = "Autoinc", uint32_t rows = 0) {
  b.header(6, rows, 1, 0);
  if (idSubType.empty()) {
    b.column("Id", 0x00010004, 0, 0);
  } else {
    SubTypeParam(b.column("Id", 0x00010004, 0, 1), idSubType);
  }
  for (const char* n : {"Artist", "Album", "Title"}) WidthParam(b.column(n, 0x00490001, 0, 1), 180);
  SubTypeParam(b.column("Lyric", 0x004B0004, 0, 1), "Text");
  return WidthParam(b.column("SongFileName", 0x00490002, 0, 1), 500);
}

// One lyrics row: state, Id, Artist, Album, Title given; Lyric and SongFileName null.
inline Bytes& LyricsRow(Bytes& b, uint8_t state, int32_t id, const std::string& text) {
  b.u8(state).u8(0).u8(0x05);  // status bytes: columns 4 (Lyric) and 5 null
  b.u32(uint32_t(id));
  for (int i = 0; i < 3; ++i) b.u8(uint8_t(text.size())).text(text);
  return b;
}

// A binary packet as its parts.
class ReadBack : public PacketVisitor {
 public:
  explicit ReadBack(const ByteArray& packet) {
    status = WalkPacket(packet.bytes(), this, WalkValues::kCopied);
  }
  void Column(uint32_t, const DSColumnDesc& c) override { columns.push_back({c, {}}); }
  void Parameter(uint32_t, bool table, const char* name, uint32_t type,
                 std::span<const uint8_t> value) override {
    ReadParam p{name, type, std::vector<uint8_t>(value.begin(), value.end())};
    if (table)
      tableParams.push_back(p);
    else
      columns.back().params.push_back(p);
  }
  void Item(uint32_t s, std::span<const uint8_t> value) override {
    pending.push_back({s, std::vector<uint8_t>(value.begin(), value.end())});
    if (pending.size() == columns.size() + 1) {
      rows.push_back(pending);
      pending.clear();
    }
  }
  const ReadParam* Table(const std::string& name) const {
    for (const ReadParam& p : tableParams)
      if (p.name == name) return &p;
    return nullptr;
  }
  std::vector<std::string> TableNames() const {
    std::vector<std::string> v;
    for (const ReadParam& p : tableParams) v.push_back(p.name);
    return v;
  }
  std::vector<uint8_t> States() const {
    std::vector<uint8_t> v;
    for (const auto& r : rows) v.push_back(r[0].value.at(0));
    return v;
  }

  dsengine::DBResult status;
  std::vector<ReadColumn> columns;
  std::vector<ReadParam> tableParams;
  std::vector<std::vector<ReadItem>> rows;
  std::vector<ReadItem> pending;
};

// The 32-bit values of an array parameter after its count (the count first).
inline std::vector<uint32_t> U32s(const std::vector<uint8_t>& v) {
  std::vector<uint32_t> out(v.size() / 4);
  if (!out.empty()) std::memcpy(out.data(), v.data(), out.size() * 4);
  return out;
}

inline ByteArray Export(DSBASE& t) {
  ByteArray out;
  EXPECT_EQ(ExportPacket(t, &out), 0);
  return out;
}

inline std::unique_ptr<DSBASE> Import(std::span<const uint8_t> packet,
                                      dsengine::DBResult want = 0) {
  auto t = std::make_unique<DSBASE>();
  EXPECT_EQ(ImportPacket(*t, packet, true), want);
  return t;
}

// Inserts a lyrics record; returns its record number.
inline uint32_t AddLyric(DSBASE& t, const std::string& artist, const std::string& title,
                         const std::string& lyric = "") {
  using namespace dsengine::testing;
  Rec r(t);
  r.Str(kArtist, artist).Str(kTitle, title).Blank(kAlbum).Blank(kSongFile);
  if (lyric.empty())
    r.Blank(kLyric);
  else
    t.PutBlob(r.data(), kLyric, 0, lyric.data(), static_cast<uint32_t>(lyric.size()));
  uint32_t rec = 0;
  EXPECT_EQ(t.InsertRecord(r.data(), nullptr, 0, &rec), 0);
  return rec;
}

// Modifies a string field of a record; returns the new version.
inline uint32_t ModifyStr(DSBASE& t, uint32_t rec, uint32_t field, const std::string& value) {
  dsengine::testing::Rec r(t);
  t.ReadRecord(rec, r.data());
  r.Str(field, value);
  uint32_t out = 0;
  EXPECT_EQ(t.ModifyRecord(rec, r.data(), nullptr, &out), 0);
  return out;
}

// Every visible record's values as text, in record order (BLOBs by their bytes).
inline std::vector<std::string> VisibleRows(const DSBASE& t) {
  std::vector<std::string> rows;
  for (uint32_t r = 1; r < t.NextRecordNumber(); ++r) {
    if (!t.Visible(r)) continue;
    std::string s;
    for (uint32_t f = 1; f <= t.FieldCount(); ++f) {
      const dsengine::FieldDescriptor& d = t.Field(f);
      s += std::to_string(t.NullFlagOf(r, f)) + ":";
      const uint8_t* v = t.ValuePtr(r, f);
      if (d.type == dsengine::fldBLOB) {
        int32_t h;
        std::memcpy(&h, v, 4);
        if (h > 0) s.append(reinterpret_cast<const char*>(t.Blobs().Data(h)), t.Blobs().Length(h));
      } else {
        s.append(reinterpret_cast<const char*>(v), d.length);
      }
      s += "|";
    }
    rows.push_back(s);
  }
  return rows;
}

}  // namespace dspacket::testing
