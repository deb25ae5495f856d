// Test helpers for the XML packet tests: the lyrics table written through any packet writer,
// parameter values in the writer's form, and a relay that copies a packet from any reader into
// any writer. Included by datapacket's xml*_test.cpp files only.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "datapacket/packet_testing.h"
#include "datapacket/packetreader.h"
#include "datapacket/packetwriter.h"

namespace dspacket::testing {

// A string parameter value: 2-byte prefix counting the terminating zero, the text, the zero.
inline std::vector<uint8_t> StringParam(const std::string& text) {
  std::vector<uint8_t> v(2 + text.size() + 1, 0);
  const uint16_t n = static_cast<uint16_t>(text.size() + 1);
  std::memcpy(v.data(), &n, 2);
  if (!text.empty()) std::memcpy(v.data() + 2, text.data(), text.size());
  return v;
}

template <typename T>
std::vector<uint8_t> LE(T value) {
  std::vector<uint8_t> v(sizeof(T));
  std::memcpy(v.data(), &value, sizeof(T));
  return v;
}

inline std::vector<uint8_t> U32Array(const std::vector<uint32_t>& values) {
  std::vector<uint8_t> v = LE<uint32_t>(static_cast<uint32_t>(values.size()));
  for (uint32_t x : values) {
    const auto e = LE(x);
    v.insert(v.end(), e.begin(), e.end());
  }
  return v;
}

struct LyricRow {
  uint8_t state;
  int32_t id;
  std::string artist, title, album, lyric, song;  // empty song: null
};

// The lyrics table's columns and parameters as the export writes them, then `rows`.
inline DBResult WriteLyrics(TDATAPACKET_WRITE& w, const std::vector<LyricRow>& rows,
                            const std::vector<uint32_t>& changeLog, int32_t nextId) {
  auto check = [](DBResult s) { return s; };
  DBResult s = w.BeginPacket(3, 6);
  auto param = [&](const char* name, uint32_t type, const std::vector<uint8_t>& v, bool table) {
    if (s == 0) s = w.AppendParameter(table, name, type, static_cast<uint32_t>(v.size()), v.data());
  };
  auto column = [&](const char* name, uint32_t type) {
    if (s == 0) s = w.AppendColumn(Col(name, type));
  };
  column("Id", 0x00010004);
  param("SUBTYPE", 0x00490002, StringParam("Autoinc"), false);
  for (const char* name : {"Artist", "Title", "Album"}) {
    column(name, 0x00490001);
    param("WIDTH", 0x00020002, LE<uint16_t>(180), false);
  }
  column("Lyric", 0x004B0004);
  param("SUBTYPE", 0x00490002, StringParam("Text"), false);
  column("SongFileName", 0x00490002);
  param("WIDTH", 0x00020002, LE<uint16_t>(500), false);
  if (!changeLog.empty()) param("CHANGE_LOG", 0x00820004, U32Array(changeLog), true);
  param("AUTOINCVALUE", 0x00010004, LE<int32_t>(nextId), true);
  if (s == 0) s = w.AppendParameter(true, nullptr, 0, 0, nullptr);
  auto text = [&](const std::string& t, bool nullIfEmpty) {
    if (s != 0) return;
    if (nullIfEmpty && t.empty()) {
      s = w.AppendValue(1, 0, nullptr);
    } else if (t.empty()) {
      s = w.AppendValue(0, 1, "");
    } else {
      s = w.AppendValue(0, static_cast<uint32_t>(t.size()), t.data());
    }
  };
  for (const LyricRow& r : rows) {
    if (s == 0) s = w.AppendValue(0, 1, &r.state);
    if (s == 0) s = w.AppendValue(0, 4, &r.id);
    text(r.artist, false);
    text(r.title, false);
    text(r.album, false);
    if (s == 0) s = w.AppendValue(0, static_cast<uint32_t>(r.lyric.size()), r.lyric.data());
    text(r.song, true);
  }
  return check(s);
}

// Copies everything `r` yields into `w`, the way the table import and export pass it on.
// A column reported unchanged becomes null (no test data here is unchanged on purpose).
class Relay {
 public:
  Relay(TDATAPACKET_READ& r, TDATAPACKET_WRITE& w) : r_(r), w_(w) {}

  DBResult Run(uint32_t columnCount) {
    DBResult s = w_.BeginPacket(3, columnCount);
    if (s == 0) s = Level(true);
    if (s != 0) return s;
    for (;;) {
      uint32_t length = 0;
      s = r_.ReadNextItem(&length, nullptr, nullptr);
      if (s == dsengine::DBERR_EOF) return 0;
      if (s != 0) return s;
      std::vector<uint8_t> value(length + 1);
      uint32_t status = 0;
      s = r_.ReadNextItem(&length, value.data(), &status);
      if (s != 0) return s;
      if (status == kItemUnchanged) status = kItemNull;
      s = w_.AppendValue(status, length, status == kItemValue ? value.data() : nullptr);
      if (s != 0) return s;
    }
  }

 private:
  DBResult Level(bool top) {
    DBResult s;
    for (;;) {
      DSColumnDesc c{};
      s = r_.NextColumn(&c);
      if (s == dsengine::DBERR_EOF) break;
      if (s == 0) s = w_.AppendColumn(c);
      if (s == 0) s = Params(false);
      if (s == 0 && FieldPacketType(c.fieldType) == kPacketNested) s = Level(false);
      if (s != 0) return s;
    }
    s = Params(true);
    if (s == 0 && !top) s = w_.AppendParameter(true, nullptr, 0, 0, nullptr);
    return s;
  }
  DBResult Params(bool table) {
    for (;;) {
      uint32_t type = 0, length = 0;
      DBResult s = r_.NextParameter(nullptr, &type, &length, nullptr);
      if (s == dsengine::DBERR_EOF) return 0;
      if (s != 0) return s;
      char name[kParamNameBufferSize];
      std::vector<uint8_t> value(length + 1);
      s = r_.NextParameter(name, &type, &length, value.data());
      if (s == 0) s = w_.AppendParameter(table, name, type, length, value.data());
      if (s != 0) return s;
    }
  }

  TDATAPACKET_READ& r_;
  TDATAPACKET_WRITE& w_;
};

}  // namespace dspacket::testing
