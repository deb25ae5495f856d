// Reader tests on packets built field by field from the layout, and corruption tests that
// edit bytes of a valid packet, one per failure mode.
#include "datapacket/packetreader.h"

#include <gtest/gtest.h>

#include <string>

#include "datapacket/packet_testing.h"
#include "datapacket/packetwalk.h"

namespace dspacket {
namespace {

using namespace dsengine;
using testing::Bytes;
using testing::Recorder;

constexpr uint32_t kStr1 = 0x00490001, kStr2 = 0x00490002, kInt32 = 0x00010004;
constexpr uint32_t kBlob = 0x004B0004, kUInt16 = 0x00020002;

// The lyrics table with one row: Id 1, Artist "Rock", Album "" (01 00), Title null, Lyric
// "la", SongFileName of 300 characters.
Bytes LyricsPacket() {
  Bytes b;
  b.header(6, 1, 3, 0);
  b.column("Id", kInt32, 2, 1).name("SUBTYPE").u32(kStr2).u16(8).text("Autoinc").u8(0);
  for (const char* n : {"Artist", "Album", "Title"}) {
    b.column(n, kStr1, 0, 1).name("WIDTH").u32(kUInt16).u16(180);
  }
  b.column("Lyric", kBlob, 0, 1).name("SUBTYPE").u32(kStr2).u16(5).text("Text").u8(0);
  b.column("SongFileName", kStr2, 0, 1).name("WIDTH").u32(kUInt16).u16(500);
  b.u16(1).name("AUTOINCVALUE").u32(kInt32).u32(2);
  const uint16_t rows = static_cast<uint16_t>(b.size());
  std::memcpy(&b.b[kHdrRowDataOffset], &rows, 2);
  b.u8(4).u8(0x40).u8(0x00);
  b.u32(1).name("Rock").u8(1).u8(0).u32(2).text("la").u16(300).fill(300, 'x');
  return b;
}

DBResult Walk(const Bytes& b, Recorder* r = nullptr) { return WalkPacket(b.b, r); }

TEST(PacketReader, ReadsColumnsParametersAndRowsOfTheLyricsTable) {
  Recorder r;
  ASSERT_EQ(Walk(LyricsPacket(), &r), 0);
  const std::vector<std::string> expected = {
      "col 0 Id 00010004 2",
      "fparam 0 SUBTYPE 00490002 0800" + testing::Hex({(const uint8_t*)"Autoinc", 8}),
      "col 0 Artist 00490001 0",
      "fparam 0 WIDTH 00020002 b400",
      "col 0 Album 00490001 0",
      "fparam 0 WIDTH 00020002 b400",
      "col 0 Title 00490001 0",
      "fparam 0 WIDTH 00020002 b400",
      "col 0 Lyric 004b0004 0",
      "fparam 0 SUBTYPE 00490002 0500" + testing::Hex({(const uint8_t*)"Text", 5}),
      "col 0 SongFileName 00490002 0",
      "fparam 0 WIDTH 00020002 f401",
      "tparam 0 AUTOINCVALUE 00010004 02000000",
      "end 0",
      "item 0 04",
      "item 0 01000000",
      "item 0 526f636b",
      "item 0 00",
      "item 1 ",
      "item 0 6c61",
      "item 0 " + std::string(600, '0').replace(0, 600, 300, 'x'),
  };
  ASSERT_EQ(r.lines.size(), expected.size());
  for (size_t i = 0; i + 1 < expected.size(); ++i) EXPECT_EQ(r.lines[i], expected[i]) << i;
  std::string song;
  for (int i = 0; i < 300; ++i) song += "78";
  EXPECT_EQ(r.lines.back(), "item 0 " + song);
}

TEST(PacketReader, ColumnNameIsCutTo31Characters) {
  Bytes b;
  b.header(1, 0, 1, 0).column(std::string(40, 'n'), kInt32, 0, 0).u16(0);
  Recorder r;
  ASSERT_EQ(Walk(b, &r), 0);
  EXPECT_EQ(r.lines[0], "col 0 " + std::string(31, 'n') + " 00010004 0");
}

TEST(PacketReader, HeaderVersionsAndMagic) {
  Bytes alternate;
  alternate.header(1, 0, 1, 0, /*major=*/7, kPacketMagicAlternate, /*minor=*/7);
  alternate.column("A", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Walk(alternate), 0);
  Bytes major4;
  major4.header(1, 0, 1, 0, /*major=*/4).column("A", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Walk(major4), DBERR_DATAPACKETMISMATCH);
  Bytes minor4;
  minor4.header(1, 0, 1, 0, 1, kPacketMagic, /*minor=*/4).column("A", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Walk(minor4), DBERR_DATAPACKETMISMATCH);
  Bytes text;
  text.text("<?xml version=\"1.0\"?><DATAPACKET/>                    ");
  EXPECT_EQ(Walk(text), DBERR_DATAPACKETMISMATCH);
  Bytes rowsOnly;
  rowsOnly.header(1, 0, 2, 24);
  EXPECT_EQ(Walk(rowsOnly), DBERR_NOMETADATA);
}

TEST(PacketReader, LongValueGives9986AndStaysOnTheItem) {
  DSEXTRACT reader;
  const Bytes packet = LyricsPacket();
  ASSERT_EQ(reader.OpenPacket(packet.b), 0);
  DSColumnDesc column;
  char name[kParamNameBufferSize];
  uint8_t value[512];
  uint32_t type = 0, length = 0, status = 0;
  ASSERT_EQ(reader.NextColumn(&column), 0);
  EXPECT_EQ(reader.NextColumn(&column), DBERR_NA);  // Id's parameter is unread
  length = 4;
  EXPECT_EQ(reader.NextParameter(name, &type, &length, value), DBERR_INVALIDPARAM);
  EXPECT_EQ(length, 10u);  // the needed length, prefix included
  length = sizeof value;
  ASSERT_EQ(reader.NextParameter(name, &type, &length, value), 0);
  EXPECT_STREQ(name, "SUBTYPE");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(value) + 2), "Autoinc");
  EXPECT_EQ(reader.NextParameter(name, &type, &length, value), DBERR_EOF);
  while (reader.NextColumn(&column) == 0) {
    while (reader.NextParameter(name, &type, &(length = sizeof value), value) == 0) {
    }
  }
  EXPECT_EQ(reader.ReadNextItem(&length, value, &status), DBERR_NA);  // metadata unfinished
  while (reader.NextParameter(name, &type, &(length = sizeof value), value) == 0) {
  }
  for (int i = 0; i < 6; ++i) {
    length = sizeof value;
    ASSERT_EQ(reader.ReadNextItem(&length, value, &status), 0);
  }
  length = 100;
  EXPECT_EQ(reader.ReadNextItem(&length, value, &status), DBERR_INVALIDPARAM);
  EXPECT_EQ(length, 300u);
  EXPECT_EQ(reader.ReadNextItem(&length, nullptr, nullptr), 0);  // only the length
  EXPECT_EQ(length, 300u);
  length = sizeof value;
  ASSERT_EQ(reader.ReadNextItem(&length, value, &status), 0);
  EXPECT_EQ(value[299], 'x');
  EXPECT_EQ(reader.ReadNextItem(&length, value, &status), DBERR_EOF);
  EXPECT_EQ(reader.ReadNextItem(&length, value, &status), DBERR_EOF);
}

TEST(PacketReader, NestedRowsFollowTheirCountAndMarksCarryNone) {
  // Level 0: N (nested: X), B; rows: N = 2 nested rows; second row N = 0x80000000.
  Bytes b;
  b.header(3, 2, 3, 0, 2).column("N", 0x050E0001, 0, 0).column("X", 0x00010001, 0, 0);
  b.u16(0).column("B", 0x00010001, 0, 0).u16(0);
  b.u8(0).u8(0).u32(2).u8(0).u8(0).u8(7).u8(0).u8(1).u8(9);
  b.u8(0).u8(0).u32(kNestedNotFetched).u8(8);
  Recorder r;
  ASSERT_EQ(Walk(b, &r), 0);
  std::vector<std::string> rows;
  for (const std::string& line : r.lines) {
    if (line.starts_with("item")) rows.push_back(line);
  }
  const std::vector<std::string> expected = {
      "item 0 00", "item 0 02000000", "item 0 00", "item 0 07",       "item 0 00",
      "item 1 ",   "item 0 09",       "item 0 00", "item 0 00000080", "item 0 08"};
  EXPECT_EQ(rows, expected);
}

TEST(PacketReader, ContinuePacketReadsTheRowsOfAFollowUpPacket) {
  Bytes first;
  first.header(1, 0, 3, 36).column("A", 0x00010001, 0, 0).u16(0);
  Bytes next;
  next.header(1, 2, 2, 24).u8(0).u8(0).u8(5).u8(0).u8(1);
  DSEXTRACT reader;
  DSColumnDesc column;
  uint32_t length = 0, status = 0;
  uint8_t value[4];
  EXPECT_EQ(reader.ContinuePacket(next.b), DBERR_NA);  // no metadata yet
  ASSERT_EQ(reader.OpenPacket(first.b), 0);
  ASSERT_EQ(reader.NextColumn(&column), 0);
  ASSERT_EQ(reader.NextColumn(&column), DBERR_EOF);  // A has no parameters to drain
  ASSERT_EQ(reader.NextParameter(nullptr, &status, &length, nullptr), DBERR_EOF);
  EXPECT_EQ(reader.ReadNextItem(&(length = 4), value, &status), DBERR_EOF);
  ASSERT_EQ(reader.ContinuePacket(next.b), 0);
  std::vector<uint32_t> seen;
  while (reader.ReadNextItem(&(length = 4), value, &status) == 0) seen.push_back(status);
  EXPECT_EQ(seen, (std::vector<uint32_t>{0, 0, 0, 1}));
  Bytes noOffset;
  noOffset.header(1, 1, 1, 0).u8(0).u8(0).u8(5);
  EXPECT_EQ(reader.ContinuePacket(noOffset.b), DBERR_DATAPACKETMISMATCH);
}

// ---- Corruption: edit one thing of a valid packet; the walk must fail cleanly. ----

Bytes Truncated(const Bytes& b, size_t size) {
  Bytes t = b;
  t.b.resize(size);
  return t;
}

TEST(PacketCorruption, EveryTruncationFailsWithMismatch) {
  const Bytes packet = LyricsPacket();
  for (size_t size = 0; size < packet.size(); ++size) {
    EXPECT_EQ(Walk(Truncated(packet, size)), DBERR_DATAPACKETMISMATCH) << size;
  }
}

TEST(PacketCorruption, HeaderSizePastTheEnd) {
  Bytes b = LyricsPacket();
  const uint32_t huge = 100000;
  std::memcpy(&b.b[kHdrHeaderSize], &huge, 4);
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, ColumnCountPastTheEnd) {
  Bytes b;
  b.header(2, 0, 1, 0).column("A", kInt32, 0, 0);  // the packet ends before the second column
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, ColumnNameLengthPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).u8(200).text("short");
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, EmptyColumnName) {
  Bytes b;
  b.header(1, 0, 1, 0).column("", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Walk(b), DBERR_NOFIELDNAME);
}

TEST(PacketCorruption, FieldParameterCountPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 5).name("WIDTH").u32(kUInt16).u16(1).u16(0);
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, ParameterNamePastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 1).u8(250).text("WIDTH");
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, VaryingParameterLengthPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 1).name("S").u32(kStr2).u16(60000).text("abc");
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, ArrayCountPastTheEndAllocatesNothing) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 0);
  b.u16(1).name("CHANGE_LOG").u32(0x00820004).u32(0x3FFFFFFF).u32(1).u32(0).u32(4);
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, TableParameterCountPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 0).u16(3).name("P").u32(kInt32).u32(1);
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, ParameterOfUnsupportedWidth) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 1).name("P").u32(0x00010003).text("abc").u16(0);
  EXPECT_EQ(Walk(b), DBERR_INVALIDFLDTYPE);
}

TEST(PacketCorruption, ColumnOfUnsupportedWidthFailsBeforeTheRows) {
  Bytes b;
  b.header(1, 1, 1, 0).column("A", 0x00010003, 0, 0).u16(0).u8(0).u8(0).text("abc");
  EXPECT_EQ(Walk(b), 8451);
}

TEST(PacketCorruption, RowCountPastTheEnd) {
  Bytes b = LyricsPacket();
  const uint32_t rows = 2;
  std::memcpy(&b.b[kHdrRowCount], &rows, 4);
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, HugeRowCountEndsAtTheEndOfTheBytes) {
  Bytes b = LyricsPacket();
  const uint32_t rows = 0xFFFFFFFF;
  std::memcpy(&b.b[kHdrRowCount], &rows, 4);
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, RowValueLengthPastTheEnd) {
  Bytes b;
  b.header(1, 1, 1, 0).column("S", kStr1, 0, 0).u16(0).u8(0).u8(0).u8(200).text("abc");
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, BlobLengthPastTheEnd) {
  Bytes b;
  b.header(1, 1, 1, 0).column("L", kBlob, 0, 0).u16(0).u8(0).u8(0).u32(0x7FFFFFFF).text("ab");
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, NestedColumnCountBeyondTheHeaderCount) {
  Bytes b;
  b.header(2, 0, 1, 0, 2).column("N", 0x050E0009, 0, 0).column("X", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, HugeNestedRowCountEndsAtTheEndOfTheBytes) {
  Bytes b;
  b.header(2, 1, 3, 0, 2).column("N", 0x050E0001, 0, 0).column("X", 0x00010001, 0, 0).u16(0);
  b.u16(0).u8(0).u8(0).u32(0x7FFFFFFF).u8(0).u8(0).u8(1);
  EXPECT_EQ(Walk(b), DBERR_DATAPACKETMISMATCH);
}

TEST(PacketCorruption, SixtyFourthLevelIsRefused) {
  Bytes b;
  b.header(64, 0, 1, 0, 2);
  for (int level = 0; level < 63; ++level) b.column("N", 0x050E0000 + 63 - level, 0, 0);
  b.column("X", kInt32, 0, 0);
  b.zeros(200);
  EXPECT_EQ(Walk(b), DBERR_NA);
}

TEST(PacketCorruption, FailureIsSticky) {
  Bytes b = Truncated(LyricsPacket(), 40);
  DSEXTRACT reader;
  ASSERT_EQ(reader.OpenPacket(b.b), 0);
  DSColumnDesc column;
  uint32_t type = 0, length = 0;
  char name[kParamNameBufferSize];
  uint8_t value[64];
  ASSERT_EQ(reader.NextColumn(&column), 0);
  EXPECT_EQ(reader.NextParameter(name, &type, &(length = 64), value), DBERR_DATAPACKETMISMATCH);
  EXPECT_EQ(reader.NextColumn(&column), DBERR_DATAPACKETMISMATCH);
  EXPECT_EQ(reader.ReadNextItem(&length, value, &type), DBERR_DATAPACKETMISMATCH);
}

// An array column of 2-byte packed decimals: 18 bytes per element in the packet, 2 in the
// engine. Reading in place must give the engine form too (found by fuzzing).
TEST(PacketReader, ArrayOfPackedDecimalsReadsTheSameInPlaceAndCopied) {
  testing::Bytes b;
  b.header(1, 1, 3, 0).column("A", 0x00850002, 0, 0).u16(0);
  b.u8(0).u8(0).u32(2).u8(0x89).u8(0x01).zeros(16).u8(0x04).u8(0x4e).zeros(16);
  b.u8(0).u8(1);  // a second row whose array is null
  const uint32_t rows = 2;
  std::memcpy(&b.b[kHdrRowCount], &rows, 4);
  for (WalkValues mode : {WalkValues::kInPlace, WalkValues::kCopied}) {
    testing::Recorder r;
    ASSERT_EQ(WalkPacket(b.b, &r, mode), 0);
    const std::vector<std::string> rowLines(r.lines.end() - 4, r.lines.end());
    EXPECT_EQ(rowLines, (std::vector<std::string>{"item 0 00", "item 0 020000008901044e",
                                                  "item 0 00", "item 1 "}));
  }
}

}  // namespace
}  // namespace dspacket
