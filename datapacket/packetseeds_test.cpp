// Seed packets for the packet fuzz target, made with the writer: each must read back cleanly.
// With DZ_WRITE_PACKET_SEEDS=dir set, the test also stores them there (fuzz/corpus/packet).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "datapacket/packet_testing.h"
#include "datapacket/packetwalk.h"
#include "datapacket/packetwriter.h"

namespace dspacket {
namespace {

using namespace dsengine;
using testing::Col;

constexpr uint32_t kStr1 = 0x00490001, kStr2 = 0x00490002, kInt32 = 0x00010004;
constexpr uint32_t kBlob = 0x004B0004, kUInt16 = 0x00020002;

void LyricsMetadata(DSDATAPACKET& w, const std::vector<uint32_t>& changeLog, int32_t next) {
  const uint16_t w180 = 180, w500 = 500;
  ASSERT_EQ(w.BeginPacket(3, 6), 0);
  ASSERT_EQ(w.AppendColumn(Col("Id", kInt32, 2)), 0);
  ASSERT_EQ(w.AppendParameter(false, "SUBTYPE", kStr2, 10,
                              "\x08\x00"
                              "Autoinc"),
            0);
  for (const char* n : {"Artist", "Album", "Title"}) {
    ASSERT_EQ(w.AppendColumn(Col(n, kStr1)), 0);
    ASSERT_EQ(w.AppendParameter(false, "WIDTH", kUInt16, 2, &w180), 0);
  }
  ASSERT_EQ(w.AppendColumn(Col("Lyric", kBlob)), 0);
  ASSERT_EQ(w.AppendParameter(false, "SUBTYPE", kStr2, 7,
                              "\x05\x00"
                              "Text"),
            0);
  ASSERT_EQ(w.AppendColumn(Col("SongFileName", kStr2)), 0);
  ASSERT_EQ(w.AppendParameter(false, "WIDTH", kUInt16, 2, &w500), 0);
  if (!changeLog.empty()) {
    std::vector<uint32_t> value{static_cast<uint32_t>(changeLog.size())};
    value.insert(value.end(), changeLog.begin(), changeLog.end());
    ASSERT_EQ(w.AppendParameter(true, "CHANGE_LOG", 0x00820004,
                                static_cast<uint32_t>(value.size() * 4), value.data()),
              0);
  }
  ASSERT_EQ(w.AppendParameter(true, "AUTOINCVALUE", kInt32, 4, &next), 0);
}

void LyricsRow(DSDATAPACKET& w, uint8_t state, int32_t id, const char* artist, const char* title,
               const char* lyric) {
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &id), 0);
  ASSERT_EQ(w.AppendValue(0, static_cast<uint32_t>(strlen(artist)), artist), 0);
  ASSERT_EQ(w.AppendValue(0, 1, ""), 0);
  ASSERT_EQ(w.AppendValue(0, static_cast<uint32_t>(strlen(title)), title), 0);
  ASSERT_EQ(w.AppendValue(lyric ? 0 : 2, lyric ? static_cast<uint32_t>(strlen(lyric)) : 0, lyric),
            0);
  ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
}

std::vector<std::pair<std::string, ByteArray>> Seeds() {
  std::vector<std::pair<std::string, ByteArray>> seeds;
  auto finish = [&](const char* name, DSDATAPACKET& w) {
    ByteArray packet;
    EXPECT_EQ(w.FinishPacket(&packet), 0) << name;
    seeds.emplace_back(name, std::move(packet));
  };
  {
    DSDATAPACKET w;
    LyricsMetadata(w, {}, 1);
    finish("lyrics-empty", w);
  }
  {
    DSDATAPACKET w;
    LyricsMetadata(w, {1, 0, 4, 2, 0, 4, 3, 0, 4, 2, 0, 2, 4, 1, 8}, 4);
    LyricsRow(w, 5, 1, "Rock", "One", "la la");
    LyricsRow(w, 6, 2, "Pop", "Two", "");
    LyricsRow(w, 4, 3, "Jazz", "Three", "words\r\nmore words");
    LyricsRow(w, 8, 1, "Rock", "One again", nullptr);
    finish("lyrics-history", w);
  }
  {
    // Nested tables two deep, with known, pending and not-fetched row counts.
    DSDATAPACKET w;
    EXPECT_EQ(w.BeginPacket(3, 6), 0);
    EXPECT_EQ(w.AppendColumn(Col("Name", kStr1)), 0);
    EXPECT_EQ(w.AppendColumn(Col("Orders", 0x050E0003)), 0);
    EXPECT_EQ(w.AppendColumn(Col("No", 0x00010002)), 0);
    EXPECT_EQ(w.AppendColumn(Col("Items", 0x050E0001)), 0);
    EXPECT_EQ(w.AppendColumn(Col("Qty", 0x00040008)), 0);
    EXPECT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
    const uint16_t links[] = {3, 0, 2, 1, 0, 1, 0};
    EXPECT_EQ(w.AppendParameter(true, "MD_FIELDLINKS", 0x00810002, sizeof links, links), 0);
    EXPECT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
    EXPECT_EQ(w.AppendColumn(Col("Total", 0x00050012)), 0);
    EXPECT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
    const uint8_t state = 0;
    const uint32_t two = 2, one = 1, pending = kNestedCountPending, mark = kNestedNotFetched;
    const int16_t no = 7;
    const double qty = 2.5;
    const uint8_t bcd[18] = {0x12, 0x02, 0x45};
    EXPECT_EQ(w.AppendValue(0, 1, &state), 0);
    EXPECT_EQ(w.AppendValue(0, 3, "Ann"), 0);
    EXPECT_EQ(w.AppendValue(0, 4, &two), 0);
    for (int order = 0; order < 2; ++order) {
      EXPECT_EQ(w.AppendValue(0, 1, &state), 0);
      EXPECT_EQ(w.AppendValue(0, 2, &no), 0);
      EXPECT_EQ(w.AppendValue(0, 4, order == 0 ? &one : &pending), 0);
      EXPECT_EQ(w.AppendValue(0, 1, &state), 0);
      EXPECT_EQ(w.AppendValue(0, 8, &qty), 0);
      if (order == 1) {
        EXPECT_EQ(w.CloseNestedRows(), 0);
      }
    }
    EXPECT_EQ(w.AppendValue(0, 18, bcd), 0);
    EXPECT_EQ(w.AppendValue(0, 1, &state), 0);
    EXPECT_EQ(w.AppendValue(0, 3, "Bob"), 0);
    EXPECT_EQ(w.AppendValue(0, 4, &mark), 0);
    EXPECT_EQ(w.AppendValue(1, 0, nullptr), 0);
    finish("nested", w);
  }
  {
    // One column of every fixed kind and every varying prefix.
    const uint32_t types[] = {0x00010001, 0x00010008, 0x00020004, 0x00030002, 0x0004000A,
                              0x00060004, 0x00070004, 0x00080008, 0x00090004, 0x004A0002,
                              0x000B0003, 0x004B0001, 0x004B0002, 0x010C0000, 0x00110010,
                              0x00120009, 0x00100002};
    DSDATAPACKET w;
    EXPECT_EQ(w.BeginPacket(3, std::size(types)), 0);
    for (size_t i = 0; i < std::size(types); ++i) {
      EXPECT_EQ(w.AppendColumn(Col(("f" + std::to_string(i)).c_str(), types[i])), 0);
      const uint32_t decimals = 2;
      if (i % 3 == 0) {
        EXPECT_EQ(w.AppendParameter(false, "DECIMALS", kUInt16, 2, &decimals), 0);
      }
    }
    const uint8_t bytes[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    for (uint8_t state : {0, 4, 8}) {
      EXPECT_EQ(w.AppendValue(0, 1, &state), 0);
      for (size_t i = 0; i < std::size(types); ++i) {
        EXPECT_EQ(w.AppendValue(i % 5 == state % 5 ? 1 : 0, 20 + state, bytes), 0);
      }
    }
    finish("all-types", w);
  }
  return seeds;
}

TEST(PacketSeeds, EverySeedReadsBackCleanly) {
  const char* dir = std::getenv("DZ_WRITE_PACKET_SEEDS");
  for (const auto& [name, packet] : Seeds()) {
    EXPECT_EQ(WalkPacket(packet.bytes(), nullptr), 0) << name;
    EXPECT_EQ(WalkPacket(packet.bytes(), nullptr, WalkValues::kCopied), 0) << name;
    if (dir == nullptr) continue;
    const std::string path = std::string(dir) + "/" + name + ".pkt";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    EXPECT_EQ(std::fwrite(packet.data(), 1, packet.size(), f), packet.size());
    std::fclose(f);
  }
}

}  // namespace
}  // namespace dspacket
