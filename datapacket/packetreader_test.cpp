// Reader tests on packets built field by field from the layout, and corruption tests that
// edit bytes of a valid packet, one per failure mode, each with the status and the reason the
// reader gives (offsets, rows and columns computed from the layout).
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

// What the reader says of a packet it refuses.
struct Refusal {
  DBResult status;
  std::string reason;
  bool operator==(const Refusal&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Refusal& r) {
  return out << r.status << " \"" << r.reason << "\"";
}

// Walks `b`; the status and the reason recorded with it (empty when the walk succeeds).
Refusal Refused(const Bytes& b) {
  PacketFault fault;
  const DBResult status = WalkPacket(b.b, nullptr, WalkValues::kInPlace, &fault);
  EXPECT_EQ(fault.status, status) << fault.reason;
  return {status, fault.reason};
}

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
  EXPECT_EQ(Refused(alternate), (Refusal{0, ""}));
  Bytes major4;
  major4.header(1, 0, 1, 0, /*major=*/4).column("A", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Refused(major4),
            (Refusal{DBERR_DATAPACKETMISMATCH, "version 4.0 at offset 4 is above 3.3"}));
  Bytes minor4;
  minor4.header(1, 0, 1, 0, 1, kPacketMagic, /*minor=*/4).column("A", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Refused(minor4),
            (Refusal{DBERR_DATAPACKETMISMATCH, "version 1.4 at offset 4 is above 3.3"}));
  Bytes text;
  text.text("<?xml version=\"1.0\"?><DATAPACKET/>                    ");
  EXPECT_EQ(Refused(text), (Refusal{DBERR_DATAPACKETMISMATCH,
                                    "magic number 0x6D783F3C at offset 0 is neither 0xBDE01996 "
                                    "nor 0x0000ABCD"}));
  Bytes rowsOnly;
  rowsOnly.header(1, 0, 2, 24);
  EXPECT_EQ(Refused(rowsOnly),
            (Refusal{DBERR_NOMETADATA,
                     "packet flags 0x00000002 at offset 18 lack the metadata flag (0x1)"}));
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
  EXPECT_EQ(reader.Fault().reason,
            "follow-up packet with metadata and 1 rows has no valid row data offset (packet "
            "flags 0x00000001): its rows' start is unknown");
}

// A follow-up packet is refused for its header, with the reason of each failure mode.
TEST(PacketReader, FollowUpPacketRefusalsNameTheHeaderField) {
  Bytes first;
  first.header(1, 0, 3, 36).column("A", 0x00010001, 0, 0).u16(0);
  Bytes otherColumns, offsetPastTheEnd, tooShort;
  otherColumns.header(2, 0, 2, 24);
  offsetPastTheEnd.header(1, 1, 2, 99).u8(0).u8(0).u8(5);
  tooShort.header(1, 0, 2, 24).b.resize(20);
  const std::pair<const Bytes*, std::string> cases[] = {
      {&otherColumns,
       "follow-up packet: column count 2 at offset 12 differs from the first packet's 1"},
      {&offsetPastTheEnd,
       "follow-up packet: row data offset 99 at offset 22 is outside 24..27 (the packet's "
       "length)"},
      {&tooShort, "20 bytes are too few for the 24-byte header"},
  };
  for (const auto& [next, reason] : cases) {
    DSEXTRACT reader;
    DSColumnDesc column;
    uint32_t type = 0, length = 0;
    ASSERT_EQ(reader.OpenPacket(first.b), 0);
    ASSERT_EQ(reader.NextColumn(&column), 0);
    ASSERT_EQ(reader.NextColumn(&column), DBERR_EOF);
    ASSERT_EQ(reader.NextParameter(nullptr, &type, &length, nullptr), DBERR_EOF);
    EXPECT_EQ(reader.ContinuePacket(next->b), DBERR_DATAPACKETMISMATCH) << reason;
    EXPECT_EQ(reader.Fault().status, DBERR_DATAPACKETMISMATCH);
    EXPECT_EQ(reader.Fault().reason, reason);
  }
}

// ---- Corruption: edit one thing of a valid packet; the walk must fail cleanly. ----

Bytes Truncated(const Bytes& b, size_t size) {
  Bytes t = b;
  t.b.resize(size);
  return t;
}

TEST(PacketCorruption, EveryTruncationFailsWithMismatchAndSaysItRanPastTheEnd) {
  const Bytes packet = LyricsPacket();
  for (size_t size = 0; size < packet.size(); ++size) {
    const Refusal r = Refused(Truncated(packet, size));
    EXPECT_EQ(r.status, DBERR_DATAPACKETMISMATCH) << size;
    if (size < kHeaderSize) {
      EXPECT_EQ(r.reason, std::to_string(size) + " bytes are too few for the 24-byte header");
    } else {
      EXPECT_NE(r.reason.find("past the end of the packet"), std::string::npos) << r.reason;
    }
  }
}

TEST(PacketCorruption, HeaderSizePastTheEnd) {
  Bytes b = LyricsPacket();
  const uint32_t huge = 100000;
  std::memcpy(&b.b[kHdrHeaderSize], &huge, 4);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "header size 100000 at offset 8 is outside 24.." +
                                     std::to_string(b.size()) + " (the packet's length)"}));
}

TEST(PacketCorruption, ColumnCountPastTheEnd) {
  Bytes b;
  b.header(2, 0, 1, 0).column("A", kInt32, 0, 0);  // the packet ends before the second column
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "column 2 at offset 34: its descriptor runs past the end of the "
                                 "packet (0 bytes left)"}));
}

TEST(PacketCorruption, ColumnNameLengthPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).u8(200).text("short");
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "column 1 at offset 24 (name length 200): its descriptor runs "
                                 "past the end of the packet (6 bytes left)"}));
}

TEST(PacketCorruption, EmptyColumnName) {
  Bytes b;
  b.header(1, 0, 1, 0).column("", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_NOFIELDNAME, "column 1 at offset 24: name length 0"}));
}

TEST(PacketCorruption, FieldParameterCountPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 5).name("WIDTH").u32(kUInt16).u16(1).u16(0);
  // The second parameter starts after the first (34 + 12 bytes) with a name length of 0.
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "parameter at offset 46 (name length 0): its name and type word "
                                 "run past the end of the packet (2 bytes left)"}));
}

TEST(PacketCorruption, ParameterNamePastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 1).u8(250).text("WIDTH");
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "parameter at offset 34 (name length 250): its name and type "
                                 "word run past the end of the packet (6 bytes left)"}));
}

TEST(PacketCorruption, VaryingParameterLengthPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 1).name("S").u32(kStr2).u16(60000).text("abc");
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "parameter S, value at offset 40: value length 60000 runs past "
                                 "the end of the packet (5 bytes left)"}));
}

TEST(PacketCorruption, ArrayCountPastTheEndAllocatesNothing) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 0);
  b.u16(1).name("CHANGE_LOG").u32(0x00820004).u32(0x3FFFFFFF).u32(1).u32(0).u32(4);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "parameter CHANGE_LOG, value at offset 51: 1073741823 elements "
                                 "of 4 bytes run past the end of the packet (16 bytes left)"}));
}

TEST(PacketCorruption, TableParameterCountPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 0).u16(3).name("P").u32(kInt32).u32(1);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "parameter at offset 46: its name and type word run past the "
                                 "end of the packet (0 bytes left)"}));
}

TEST(PacketCorruption, TableParameterCountItselfPastTheEnd) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 0).u8(0);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "the table parameter count at offset 34 runs past the end of "
                                 "the packet (35 bytes)"}));
}

TEST(PacketCorruption, ParameterOfUnsupportedWidth) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", kInt32, 0, 1).name("P").u32(0x00010003).text("abc").u16(0);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_INVALIDFLDTYPE,
                                 "parameter P at offset 34: type word 0x00010003 has no value "
                                 "layout"}));
}

TEST(PacketCorruption, ColumnOfUnsupportedWidthFailsBeforeTheRows) {
  Bytes b;
  b.header(1, 1, 1, 0).column("A", 0x00010003, 0, 0).u16(0).u8(0).u8(0).text("abc");
  EXPECT_EQ(Refused(b), (Refusal{DBERR_ROWSNOTREADY,
                                 "column 1 (A): type word 0x00010003 has no value layout"}));
}

TEST(PacketCorruption, RowCountPastTheEnd) {
  Bytes b = LyricsPacket();
  const uint32_t rows = 2;
  std::memcpy(&b.b[kHdrRowCount], &rows, 4);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "row 2 at offset " + std::to_string(b.size()) +
                                     ": the row state and 2 status bytes run past the end of the "
                                     "packet (0 bytes left)"}));
}

TEST(PacketCorruption, HugeRowCountEndsAtTheEndOfTheBytes) {
  Bytes b = LyricsPacket();
  const uint32_t rows = 0xFFFFFFFF;
  std::memcpy(&b.b[kHdrRowCount], &rows, 4);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "row 2 at offset " + std::to_string(b.size()) +
                                     ": the row state and 2 status bytes run past the end of the "
                                     "packet (0 bytes left)"}));
}

TEST(PacketCorruption, RowValueLengthPastTheEnd) {
  Bytes b;
  b.header(1, 1, 1, 0).column("S", kStr1, 0, 0).u16(0).u8(0).u8(0).u8(200).text("abc");
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "row 1, column 1 (S) at offset 38: value length 200 runs past "
                                 "the end of the packet (4 bytes left)"}));
}

TEST(PacketCorruption, FixedValuePastTheEndNamesItsRowAndColumn) {
  Bytes b = LyricsPacket();
  // Row 1's values after its status bytes: Id 4, Artist 5, Album 2, Lyric 6, SongFileName 302
  // bytes. Cut 2 bytes into the Id.
  b.b.resize(b.size() - 319 + 2);
  const size_t id = b.size() - 2;
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "row 1, column 1 (Id) at offset " + std::to_string(id) +
                                     ": a 4-byte value runs past the end of the packet (2 bytes "
                                     "left)"}));
}

TEST(PacketCorruption, BlobLengthPastTheEnd) {
  Bytes b;
  b.header(1, 1, 1, 0).column("L", kBlob, 0, 0).u16(0).u8(0).u8(0).u32(0x7FFFFFFF).text("ab");
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "row 1, column 1 (L) at offset 38: value length 2147483647 runs "
                                 "past the end of the packet (6 bytes left)"}));
}

TEST(PacketCorruption, NestedColumnCountBeyondTheHeaderCount) {
  Bytes b;
  b.header(2, 0, 1, 0, 2).column("N", 0x050E0009, 0, 0).column("X", kInt32, 0, 0).u16(0);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "column 1 (N) at offset 24: a nested table of 9 columns where 1 "
                                 "of the header's column count are left"}));
}

TEST(PacketCorruption, HugeNestedRowCountEndsAtTheEndOfTheBytes) {
  Bytes b;
  b.header(2, 1, 3, 0, 2).column("N", 0x050E0001, 0, 0).column("X", 0x00010001, 0, 0).u16(0);
  b.u16(0).u8(0).u8(0).u32(0x7FFFFFFF).u8(0).u8(0).u8(1);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "row 1, nested level 1 at offset 57: the row state and 1 status "
                                 "bytes run past the end of the packet (0 bytes left)"}));
}

TEST(PacketCorruption, SixtyFourthLevelIsRefused) {
  Bytes b;
  b.header(64, 0, 1, 0, 2);
  for (int level = 0; level < 63; ++level) b.column("N", 0x050E0000 + 63 - level, 0, 0);
  b.column("X", kInt32, 0, 0);
  b.zeros(200);
  // Levels 0 to 62 exist when the 63rd nested column (at 24 + 62 * 10) would open another.
  EXPECT_EQ(Refused(b), (Refusal{DBERR_NA,
                                 "column 63 (N) at offset 644: nested tables deeper than 63 "
                                 "levels"}));
}

TEST(PacketCorruption, FailureAndItsReasonAreSticky) {
  Bytes b = Truncated(LyricsPacket(), 40);
  DSEXTRACT reader;
  ASSERT_EQ(reader.OpenPacket(b.b), 0);
  EXPECT_FALSE(reader.Fault().Refused());
  DSColumnDesc column;
  uint32_t type = 0, length = 0;
  char name[kParamNameBufferSize];
  uint8_t value[64];
  ASSERT_EQ(reader.NextColumn(&column), 0);
  EXPECT_EQ(reader.NextParameter(name, &type, &(length = 64), value), DBERR_DATAPACKETMISMATCH);
  const PacketFault first = reader.Fault();
  EXPECT_EQ(first.reason,
            "parameter at offset 35 (name length 7): its name and type word run past the end of "
            "the packet (5 bytes left)");
  EXPECT_STREQ(first.file, "packetreader.cpp");  // the check that refused, by its line
  EXPECT_GT(first.line, 0);
  EXPECT_EQ(reader.NextColumn(&column), DBERR_DATAPACKETMISMATCH);
  EXPECT_EQ(reader.ReadNextItem(&length, value, &type), DBERR_DATAPACKETMISMATCH);
  EXPECT_EQ(reader.Fault().reason, first.reason);
  EXPECT_EQ(reader.Fault().line, first.line);
  ASSERT_EQ(reader.OpenPacket(LyricsPacket().b), 0);  // a new packet starts without one
  EXPECT_FALSE(reader.Fault().Refused());
  EXPECT_EQ(reader.Fault().reason, "");
}

// Bytes of a corrupt name cannot break a reason into lines.
TEST(PacketCorruption, ControlBytesOfANameAreEscapedInTheReason) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A\nB", 0x050E0003, 0, 0).u16(0);
  EXPECT_EQ(Refused(b), (Refusal{DBERR_DATAPACKETMISMATCH,
                                 "column 1 (A\\x0AB) at offset 24: a nested table of 3 columns "
                                 "where 0 of the header's column count are left"}));
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
