// Byte-exact tests of the packet writer: expected bytes are built field by field from the
// layout; plus the writer's refusals and its handling of levels and nested rows.
#include "datapacket/packetwriter.h"

#include <gtest/gtest.h>

#include <string>

#include "datapacket/packet_testing.h"
#include "datapacket/packetreader.h"

namespace dspacket {
namespace {

using namespace dsengine;
using testing::Bytes;
using testing::Col;
using testing::ToVector;

constexpr uint32_t kStr1 = 0x00490001, kStr2 = 0x00490002, kInt32 = 0x00010004;
constexpr uint32_t kBlob = 0x004B0004, kUInt16 = 0x00020002;

// The lyrics table's columns with their field parameters, as the export writes them.
void WriteLyricsColumns(DSDATAPACKET& w) {
  const uint16_t w180 = 180, w500 = 500;
  const char autoinc[] =
      "\x08\x00"
      "Autoinc";  // prefix counts the zero, which follows
  const char text[] =
      "\x05\x00"
      "Text";
  ASSERT_EQ(w.AppendColumn(Col("Id", kInt32)), 0);
  ASSERT_EQ(w.AppendParameter(false, "SUBTYPE", kStr2, 10, autoinc), 0);
  for (const char* n : {"Artist", "Album", "Title"}) {
    ASSERT_EQ(w.AppendColumn(Col(n, kStr1)), 0);
    ASSERT_EQ(w.AppendParameter(false, "WIDTH", kUInt16, 2, &w180), 0);
  }
  ASSERT_EQ(w.AppendColumn(Col("Lyric", kBlob)), 0);
  ASSERT_EQ(w.AppendParameter(false, "SUBTYPE", kStr2, 7, text), 0);
  ASSERT_EQ(w.AppendColumn(Col("SongFileName", kStr2)), 0);
  ASSERT_EQ(w.AppendParameter(false, "WIDTH", kUInt16, 2, &w500), 0);
}

Bytes LyricsColumnBytes() {
  Bytes b;
  b.column("Id", kInt32, 0, 1).name("SUBTYPE").u32(kStr2).u16(8).text("Autoinc").u8(0);
  for (const char* n : {"Artist", "Album", "Title"}) {
    b.column(n, kStr1, 0, 1).name("WIDTH").u32(kUInt16).u16(180);
  }
  b.column("Lyric", kBlob, 0, 1).name("SUBTYPE").u32(kStr2).u16(5).text("Text").u8(0);
  b.column("SongFileName", kStr2, 0, 1).name("WIDTH").u32(kUInt16).u16(500);
  return b;
}

TEST(PacketWriter, EmptyLyricsTableIsThe225BytePacket) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 6), 0);
  WriteLyricsColumns(w);
  const int32_t next = 1;
  ASSERT_EQ(w.AppendParameter(true, "AUTOINCVALUE", kInt32, 4, &next), 0);
  ASSERT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);

  Bytes expected;
  expected.header(6, 0, 3, 225);
  const Bytes columns = LyricsColumnBytes();
  EXPECT_EQ(columns.size(), 33u + 27 + 26 + 26 + 33 + 33);
  expected.raw(columns.b.data(), columns.size());
  expected.u16(1).name("AUTOINCVALUE").u32(kInt32).u32(1);
  ASSERT_EQ(expected.size(), 225u);
  EXPECT_EQ(ToVector(packet), expected.b);
}

TEST(PacketWriter, WithoutClosingCallLevelZeroKeepsItsTableParameterCount) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 1), 0);
  ASSERT_EQ(w.AppendColumn(Col("A", kInt32)), 0);
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);
  Bytes expected;
  expected.header(1, 0, 3, 24 + 10 + 2).column("A", kInt32, 0, 0).u16(0);
  EXPECT_EQ(ToVector(packet), expected.b);
}

TEST(PacketWriter, RowsCarryStateStatusBitsAndValues) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 6), 0);
  WriteLyricsColumns(w);
  ASSERT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
  const uint8_t inserted = 4;
  // Row 1: all six null.
  ASSERT_EQ(w.AppendValue(0, 1, &inserted), 0);
  for (int i = 0; i < 6; ++i) ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
  // Row 2: Id 1, Artist "Rock", Album "" (one zero byte), Title null, Lyric unchanged,
  // SongFileName of 300 characters.
  const int32_t id = 1;
  const std::string song(300, 's');
  ASSERT_EQ(w.AppendValue(0, 1, &inserted), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &id), 0);
  ASSERT_EQ(w.AppendValue(0, 4, "Rock"), 0);
  ASSERT_EQ(w.AppendValue(0, 1, ""), 0);
  ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
  ASSERT_EQ(w.AppendValue(2, 0, nullptr), 0);
  ASSERT_EQ(w.AppendValue(0, 300, song.data()), 0);
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);

  Bytes expected;
  const Bytes columns = LyricsColumnBytes();
  const uint16_t rowStart = static_cast<uint16_t>(24 + columns.size() + 2);
  expected.header(6, 2, 3, rowStart).raw(columns.b.data(), columns.size()).u16(0);
  expected.u8(4).u8(0x55).u8(0x05);
  // Status bits: Title (j = 3) null -> byte 0 bit 6; Lyric (j = 4) unchanged -> byte 1 bit 1.
  expected.u8(4).u8(0x40).u8(0x02);
  expected.u32(1).u8(4).text("Rock").u8(1).u8(0).u16(300).text(song);
  EXPECT_EQ(ToVector(packet), expected.b);
}

TEST(PacketWriter, NestedTableColumnsLevelsAndRows) {
  // Level 0: A, N (nested: X, Y), B. Header column count 5.
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 5), 0);
  ASSERT_EQ(w.AppendColumn(Col("A", kInt32)), 0);
  ASSERT_EQ(w.AppendColumn(Col("N", 0x050E0002)), 0);
  ASSERT_EQ(w.AppendColumn(Col("X", kInt32)), 0);
  ASSERT_EQ(w.AppendColumn(Col("Y", kStr1)), 0);
  const uint16_t seven = 7;
  ASSERT_EQ(w.AppendParameter(true, "T", kUInt16, 2, &seven), 0);  // nested table parameter
  ASSERT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);   // back to level 0
  ASSERT_EQ(w.AppendColumn(Col("B", kInt32)), 0);
  ASSERT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
  const uint8_t state = 0;
  const int32_t a = 10, x1 = 11, x2 = 12, b = 13;
  const uint32_t two = 2;
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &a), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &two), 0);
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &x1), 0);
  ASSERT_EQ(w.AppendValue(0, 1, "p"), 0);
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &x2), 0);
  ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &b), 0);  // back in the parent row
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);

  Bytes e;
  e.header(5, 1, 3, 0, /*major=*/2);
  e.column("A", kInt32, 0, 0).column("N", 0x050E0002, 0, 0);
  e.column("X", kInt32, 0, 0).column("Y", kStr1, 0, 0);
  e.u16(1).name("T").u32(kUInt16).u16(7);
  // The zero that closed the nested level was overwritten by B; B's tail is level 0's count.
  e.column("B", kInt32, 0, 0).u16(0);
  const uint16_t rows = static_cast<uint16_t>(e.size());
  e.u8(0).u8(0).u32(10).u32(2);
  e.u8(0).u8(0).u32(11).u8(1).text("p");
  e.u8(0).u8(0x04).u32(12);
  e.u32(13);
  std::memcpy(&e.b[kHdrRowDataOffset], &rows, 2);
  EXPECT_EQ(ToVector(packet), e.b);
}

TEST(PacketWriter, PendingNestedCountIsPatchedByCloseNestedRows) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 2), 0);
  ASSERT_EQ(w.AppendColumn(Col("N", 0x050E0001)), 0);
  ASSERT_EQ(w.AppendColumn(Col("X", 0x00010001)), 0);
  ASSERT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);
  const uint8_t state = 0, x = 5;
  ASSERT_EQ(w.CloseNestedRows(), DBERR_NA);  // no rows yet
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  const uint32_t pending = kNestedCountPending;
  ASSERT_EQ(w.AppendValue(0, 4, &pending), 0);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
    ASSERT_EQ(w.AppendValue(0, 1, &x), 0);
  }
  ByteArray packet;
  EXPECT_EQ(w.FinishPacket(&packet), DBERR_NA);  // inside the nested rows
  ASSERT_EQ(w.CloseNestedRows(), 0);
  ASSERT_EQ(w.FinishPacket(&packet), 0);
  const std::vector<uint8_t> bytes = ToVector(packet);
  uint32_t rowCount = 0, nested = 0;
  std::memcpy(&rowCount, &bytes[kHdrRowCount], 4);
  uint16_t start = 0;
  std::memcpy(&start, &bytes[kHdrRowDataOffset], 2);
  std::memcpy(&nested, &bytes[start + 2], 4);
  EXPECT_EQ(rowCount, 1u);
  EXPECT_EQ(nested, 3u);
  EXPECT_EQ(bytes.size(), start + 2 + 4 + 3 * 3u);
}

TEST(PacketWriter, RefusesWhatThePacketCannotCarry) {
  DSDATAPACKET w;
  EXPECT_EQ(w.BeginPacket(4, 1), DBERR_DATAPACKETMISMATCH);
  ASSERT_EQ(w.BeginPacket(3, 3), 0);
  EXPECT_EQ(w.AppendColumn(Col("RowState", kInt32)), DBERR_NA);
  EXPECT_EQ(w.AppendColumn(Col("", kInt32)), DBERR_NOFIELDNAME);
  EXPECT_EQ(w.AppendColumn(Col("C", MakeFieldTypeWord(19, 4))), DBERR_NA);
  EXPECT_EQ(w.AppendColumn(Col("N", 0x050E0005)), DBERR_NA);  // more than the count allows
  EXPECT_EQ(w.AppendParameter(false, "P", kInt32, 4, "abcd"), DBERR_NA);  // no column yet
  EXPECT_EQ(w.AppendParameter(true, "P", kInt32, 4, "abcd"), DBERR_NA);   // columns missing
  ASSERT_EQ(w.AppendColumn(Col("rowstate", kInt32)), 0);  // other letter case is a name
  EXPECT_EQ(w.AppendParameter(false, "P", MakeFieldTypeWord(kPacketInt, 3), 3, "abc"),
            DBERR_INVALIDFLDTYPE);
  EXPECT_EQ(w.AppendParameter(false, "P", kInt32, 2, "ab"), DBERR_INVALIDPARAM);  // too short
  EXPECT_EQ(w.AppendParameter(false, "P", kStr2, 3, "\x05\x00x"), DBERR_INVALIDPARAM);
  ASSERT_EQ(w.AppendColumn(Col("B", kInt32)), 0);
  ASSERT_EQ(w.AppendColumn(Col("C", kInt32)), 0);
  EXPECT_EQ(w.AppendColumn(Col("D", kInt32)), DBERR_NA);  // level 0 is full
  const uint8_t state = 0;
  EXPECT_EQ(w.AppendValue(1, 0, nullptr), DBERR_INVALIDPARAM);  // a null row state
  EXPECT_EQ(w.AppendValue(0, 0, &state), DBERR_INVALIDPARAM);   // a state of no bytes
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  EXPECT_EQ(w.AppendValue(0, 2, "ab"), DBERR_INVALIDPARAM);  // shorter than a 4-byte integer
  EXPECT_EQ(w.AppendValue(0, 0, "abcd"), DBERR_INVALIDPARAM);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
  EXPECT_EQ(w.AppendParameter(true, "P", kInt32, 4, "abcd"), DBERR_NA);  // after a row
}

TEST(PacketWriter, FirstRowInsideANestedLevelFails) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 2), 0);
  ASSERT_EQ(w.AppendColumn(Col("N", 0x050E0001)), 0);
  ASSERT_EQ(w.AppendColumn(Col("X", kInt32)), 0);
  const uint8_t state = 0;
  EXPECT_EQ(w.AppendValue(0, 1, &state), DBERR_ROWSNOTREADY);  // the nested level was never closed
}

TEST(PacketWriter, SixtyFourthLevelIsRefused) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 200), 0);
  uint32_t left = 199;
  for (int level = 1; level < 63; ++level) {
    ASSERT_EQ(w.AppendColumn(Col("N", 0x050E0000 + --left)), 0) << level;
  }
  EXPECT_EQ(w.AppendColumn(Col("N", 0x050E0000 + left - 1)), DBERR_NA);
}

TEST(PacketWriter, FlagsOfRowsOnlyAndRestartedPackets) {
  DSDATAPACKET w;
  const DSColumnDesc cols[] = {Col("A", kInt32), Col("B", kStr1)};
  ASSERT_EQ(w.BeginPacketWithColumns(3, 2, cols), 0);
  const uint8_t state = 8;
  const int32_t a = -2;
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &a), 0);
  ASSERT_EQ(w.AppendValue(0, 2, "hi"), 0);
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);
  Bytes e;
  e.header(2, 1, 2, 24).u8(8).u8(0).u32(0xFFFFFFFE).u8(2).text("hi");
  EXPECT_EQ(ToVector(packet), e.b);

  ASSERT_EQ(w.RestartPacket(), 0);
  ASSERT_EQ(w.FinishPacket(&packet), 0);
  Bytes empty;
  empty.header(2, 0, 2, 24);
  EXPECT_EQ(ToVector(packet), empty.b);
  uint32_t count = 0;
  ASSERT_EQ(w.ColumnCount(&count), 0);
  EXPECT_EQ(count, 2u);
  DSColumnDesc copy[2];
  ASSERT_EQ(w.CopyColumns(copy), 0);
  EXPECT_STREQ(copy[1].name, "B");
  EXPECT_EQ(copy[1].fieldType, kStr1);

  DSDATAPACKET fresh;
  EXPECT_EQ(fresh.RestartPacket(), DBERR_NA);
}

TEST(PacketWriter, RowDataOffsetBeyond65535StaysInvalid) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 1), 0);
  ASSERT_EQ(w.AppendColumn(Col("A", 0x004B0004)), 0);
  const std::string big(70000, 'x');
  std::string value = std::string("\x70\x11\x01\x00", 4) + big;  // 4-byte prefix 70000
  ASSERT_EQ(w.AppendParameter(false, "BIG", 0x004B0004, static_cast<uint32_t>(value.size()),
                              value.data()),
            0);
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);
  uint32_t flags = 0;
  uint16_t offset = 1;
  std::memcpy(&flags, packet.data() + kHdrFlags, 4);
  std::memcpy(&offset, packet.data() + kHdrRowDataOffset, 2);
  EXPECT_EQ(flags, kPacketHasMetadata);
  EXPECT_EQ(offset, 0);
  EXPECT_EQ(packet.size(), 24 + 10 + 1 + 3 + 4 + 4 + 70000 + 2u);
}

TEST(PacketWriter, GrowsPastItsFirstBufferWithoutLosingBytes) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 1), 0);
  ASSERT_EQ(w.AppendColumn(Col("V", 0x004B0004)), 0);
  const uint8_t state = 0;
  std::string value(5000, '\0');
  for (int row = 0; row < 500; ++row) {
    for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<char>(row + i);
    ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
    ASSERT_EQ(w.AppendValue(0, static_cast<uint32_t>(value.size()), value.data()), 0);
  }
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);
  ASSERT_EQ(packet.size(), 24 + 10 + 2 + 500 * (2 + 4 + 5000u));
  const uint8_t* row = packet.data() + 36 + 499 * 5006;
  EXPECT_EQ(row[6 + 4999], static_cast<uint8_t>(499 + 4999));
}

// A varying flag on a kind whose converter is fixed (here an 8-byte integer) does not make the
// writer look for a length prefix in the value: found by fuzzing (an 8-byte prefix was read
// into a 4-byte length).
TEST(PacketWriter, VaryingFlagOnAFixedKindWritesTheFixedValue) {
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacket(3, 1), 0);
  ASSERT_EQ(w.AppendColumn(testing::Col("A", 0x00010004)), 0);
  const uint64_t value = 0x0807060504030201;
  ASSERT_EQ(w.AppendParameter(false, "P", 0x00410008, 8, &value), 0);
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);
  testing::Bytes e;
  e.header(1, 0, 3, 24 + 10 + 6 + 8 + 2).column("A", 0x00010004, 0, 1);
  e.name("P").u32(0x00410008).raw(&value, 8).u16(0);
  EXPECT_EQ(testing::ToVector(packet), e.b);
}

// The buffer starts at 32768 bytes and grows by at least the room needed, alternately by the
// current size (at most 1024000) and by 32768; a rows-only packet starts on the larger step.
TEST(PacketWriter, GrowthAlternatesBetweenTheCurrentSizeAndASmallStep) {
  const DSColumnDesc cols[] = {Col("V", kBlob)};
  const std::string value(1000, 'v');
  const uint8_t state = 0;
  struct Case {
    size_t writtenAbove;  // write rows until the packet is larger than this
    size_t capacity;
  } cases[] = {{0, 32768},
               {32768, 65536},
               {65536, 65536 + 32768},
               {98304, 98304 + 98304},
               {196608, 196608 + 32768}};
  for (const Case& c : cases) {
    DSDATAPACKET w;
    ASSERT_EQ(w.BeginPacketWithColumns(3, 1, cols), 0);
    size_t size = 0;
    do {
      ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
      ASSERT_EQ(w.AppendValue(0, 1000, value.data()), 0);
      ASSERT_EQ(w.PacketSize(&size), 0);
    } while (size <= c.writtenAbove);
    ByteArray packet;
    ASSERT_EQ(w.FinishPacket(&packet), 0);
    EXPECT_EQ(packet.capacity(), c.capacity) << c.writtenAbove;
  }
  DSDATAPACKET w;
  ASSERT_EQ(w.BeginPacketWithColumns(3, 1, cols), 0);
  const std::string big(100000, 'b');
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 100000, big.data()), 0);
  ByteArray packet;
  ASSERT_EQ(w.FinishPacket(&packet), 0);
  EXPECT_EQ(packet.capacity(), 32768 + 100004u);  // the room needed beats the step
}

TEST(PacketWriter, StatusTextsOfWriterAndReader) {
  DSDATAPACKET w;
  DSEXTRACT r;
  std::string text;
  ASSERT_EQ(w.StatusText(DBERR_DATAPACKETMISMATCH, &text), 0);
  EXPECT_EQ(text, "Mismatch in datapacket.");
  ASSERT_EQ(r.StatusText(DBERR_NA, &text), 0);
  EXPECT_EQ(text, "Operation not applicable.");
  ASSERT_EQ(r.StatusText(DBERR_ROWSNOTREADY, &text), 0);
  EXPECT_EQ(text, "");  // converters that could not be built have no text
  EXPECT_EQ(w.StatusText(DBERR_NA, nullptr), DBERR_INVALIDPARAM);
}

}  // namespace
}  // namespace dspacket
