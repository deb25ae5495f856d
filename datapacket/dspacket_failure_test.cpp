// Import and export failures, one per failure mode, mostly by editing bytes of a valid packet:
// each gives its status, leaves the table without definition and with the properties it had,
// and the same object then loads a valid packet.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "datapacket/dspacket.h"
#include "datapacket/dspacket_testing.h"
#include "datapacket/dsparams.h"

namespace dspacket {
namespace {

using namespace dspacket::testing;
using namespace dsengine;

// The lyrics packet with three rows, a log of three inserts and the counter.
Bytes ValidPacket(const std::vector<uint32_t>& log = {1, 0, 4, 2, 0, 4, 3, 0, 4},
                  uint32_t rows = 3) {
  Bytes b;
  LyricsColumns(b, "Autoinc", rows);
  b.u16(2).name("CHANGE_LOG").u32(0x00820004).u32(uint32_t(log.size()));
  for (uint32_t v : log) b.u32(v);
  b.name("AUTOINCVALUE").u32(0x00010004).u32(rows + 1);
  for (uint32_t i = 1; i <= rows; ++i) LyricsRow(b, 4, int32_t(i), "r" + std::to_string(i));
  return b;
}

// The packet with one table parameter (a switch first, so a failure must undo it).
std::vector<uint8_t> WithTableParam(const std::string& name, uint32_t type,
                                    const std::vector<uint8_t>& value) {
  Bytes b;
  LyricsColumns(b);
  b.u16(2).name("DISABLE_EDITS").u32(0x00020002).u16(1);
  b.name(name).u32(type).raw(value.data(), value.size());
  return b.b;
}

size_t Find(const std::vector<uint8_t>& v, const std::string& text) {
  auto it = std::search(v.begin(), v.end(), text.begin(), text.end());
  EXPECT_NE(it, v.end()) << text;
  return size_t(it - v.begin());
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) { std::memcpy(&v[at], &x, 4); }

// Imports `bytes`, expects `want` with `reason` (the first failing check's, of the reader or of
// the import), then checks the table is clean and loads a valid packet.
void ExpectFailure(const std::vector<uint8_t>& bytes, DBResult want, const std::string& reason) {
  DSBASE t;
  ASSERT_EQ(t.SetProp(dspropTRIMSTRINGS, 0), 0);
  PacketFault fault;
  EXPECT_EQ(ImportPacket(t, bytes, true, &fault), want);
  EXPECT_EQ(fault.status, want);
  EXPECT_EQ(fault.reason, reason);
  EXPECT_FALSE(t.Created());
  EXPECT_FALSE(t.DisableEdits());
  EXPECT_TRUE(t.KeptParameters().empty());
  uint32_t trim = 1, logging = 0;
  t.GetProp(dspropTRIMSTRINGS, &trim);
  t.GetProp(dspropLOGCHANGES, &logging);
  EXPECT_EQ(trim, 0u);
  EXPECT_EQ(logging, 1u);
  ASSERT_EQ(ImportPacket(t, ValidPacket().b, true), 0);
  EXPECT_EQ(t.LiveCount(), 3u);
}

TEST(ImportFailure, ValidPacketLoads) {
  auto t = Import(ValidPacket().b);
  EXPECT_EQ(t->LiveCount(), 3u);
  EXPECT_EQ(t->Log().Size(), 3u);
  EXPECT_EQ(t->AutoIncValue(), 4u);
  EXPECT_EQ(dsengine::testing::StoredStr(*t, 2, dsengine::testing::kTitle), "r2");
  EXPECT_EQ(t->NullFlagOf(2, dsengine::testing::kLyric), kBlankByClient);
}

TEST(ImportFailure, NoBytesIsNotApplicable) { ExpectFailure({}, DBERR_NA, "an empty packet"); }

TEST(ImportFailure, NeitherBinaryNorXmlIsAMismatch) {
  auto b = ValidPacket().b;
  b[0] ^= 0xFF;  // 0x96 becomes 0x69, 'i'
  ExpectFailure(b, DBERR_DATAPACKETMISMATCH,
                "neither binary nor XML: 'i' (0x69) at offset 0 where a '<' should start the "
                "document");
}

TEST(ImportFailure, VersionAboveThreeIsAMismatch) {
  auto b = ValidPacket().b;
  b[kHdrVersionMajor] = 4;
  // Not binary, hence tried as XML; the header check's reason is the one that explains.
  ExpectFailure(b, DBERR_DATAPACKETMISMATCH, "version 4.0 at offset 4 is above 3.3");
}

TEST(ImportFailure, XmlWithoutMetadataOrRowsIsAMismatch) {
  const std::string xml = "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"></DATAPACKET>";
  ExpectFailure(
      std::vector<uint8_t>(xml.begin(), xml.end()), DBERR_DATAPACKETMISMATCH,
      "<DATAPACKET> at offset " + std::to_string(xml.find("<DATAPACKET")) + " holds no element");
}

TEST(ImportFailure, RowsOnlyFirstPacketHasNoMetadata) {
  auto b = ValidPacket().b;
  Put32(b, kHdrFlags, 0);
  ExpectFailure(b, DBERR_NOMETADATA,
                "packet flags 0x00000000 at offset 18 lack the metadata flag (0x1)");
}

TEST(ImportFailure, NoColumnIsAMismatch) {
  Bytes b;
  b.header(0, 0, 1, 0).u16(0);
  ExpectFailure(b.b, DBERR_DATAPACKETMISMATCH, "no columns");
}

TEST(ImportFailure, EmptyColumnNameIsRefused) {
  auto b = ValidPacket().b;
  b = std::vector<uint8_t>(b.begin(), b.begin() + kHeaderSize);
  Bytes rest;
  rest.column("", 0x00010004, 0, 0).u16(0);
  b.insert(b.end(), rest.b.begin(), rest.b.end());
  b[kHdrColumnCount] = 1;
  ExpectFailure(b, DBERR_NOFIELDNAME, "column 1 at offset 24: name length 0");
}

TEST(ImportFailure, UnsupportedFieldTypeWordIsAnInvalidFieldType) {
  auto b = ValidPacket().b;
  Put32(b, Find(b, "Id") + 2, 0x00010003);  // a 3-byte integer
  ExpectFailure(b, DBERR_INVALIDFLDTYPE,
                "column 1 (Id): the table holds no field of type word 0x00010003 (WIDTH 0)");
}

TEST(ImportFailure, NestedTableColumnIsAnInvalidFieldType) {
  Bytes b;
  b.header(2, 0, 1, 0);
  b.column("Tracks", 0x050E0001, 0, 0);
  b.column("No", 0x00010004, 0, 0).u16(0);  // the nested level's column and table parameters
  b.u16(0);
  ExpectFailure(b.b, DBERR_INVALIDFLDTYPE,
                "column 1 (Tracks): a nested table, which this engine does not hold");
}

TEST(ImportFailure, SubTypeThatIsNoStringIsAnInvalidParameter) {
  auto b = ValidPacket().b;
  Put32(b, Find(b, "SUBTYPE") + 7, 0x004B0002);  // varying bytes, same layout
  ExpectFailure(b, DBERR_INVALIDPARAM,
                "field Id, parameter SUBTYPE: type word 0x004B0002 with 10 bytes is no readable "
                "string");
}

TEST(ImportFailure, StringColumnWithoutWidthIsAnInvalidParameter) {
  auto b = ValidPacket().b;
  b[Find(b, "WIDTH") + 4] = 'X';  // "WIDTX": kept, and the column has no width
  ExpectFailure(b, DBERR_INVALIDPARAM,
                "column 2 (Artist): the table holds no field of type word 0x00490001 (WIDTH 0)");
}

TEST(ImportFailure, ChangeLogMustBeAnArrayOf32BitValuesWithThreeOrMore) {
  ExpectFailure(WithTableParam("CHANGE_LOG", 0x00020004, {3, 0, 0, 0}), DBERR_INVALIDPARAM,
                "table parameter CHANGE_LOG: type word 0x00020004 with 4 bytes is no array of "
                "32-bit values");
  ExpectFailure(WithTableParam("CHANGE_LOG", 0x00820002, {3, 0, 0, 0, 1, 0, 0, 0, 4, 0}),
                DBERR_INVALIDPARAM,
                "table parameter CHANGE_LOG: type word 0x00820002 with 10 bytes is no array of "
                "32-bit values");
  ExpectFailure(WithTableParam("CHANGE_LOG", 0x00820004, {2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}),
                DBERR_INVALIDPARAM,
                "table parameter CHANGE_LOG: 2 values, fewer than one entry's 3");
}

TEST(ImportFailure, OrderArraysMustBeArrays) {
  ExpectFailure(WithTableParam("DEFAULT_ORDER", 0x00020002, {1, 0}), DBERR_INVALIDPARAM,
                "table parameter DEFAULT_ORDER: type word 0x00020002 with 2 bytes is no order "
                "array");
  ExpectFailure(WithTableParam("primary_key", 0x00020004, {1, 0, 0, 0}), DBERR_INVALIDPARAM,
                "table parameter primary_key: type word 0x00020004 with 4 bytes is no order "
                "array");
  // A field number the table does not have.
  ExpectFailure(WithTableParam("DEFAULT_ORDER", 0x00820002, {1, 0, 0, 0, 9, 0}), DBERR_INVALIDPARAM,
                "table parameter DEFAULT_ORDER: the order on fields 9 was refused (the table has "
                "6 fields)");
}

TEST(ImportFailure, OrderArraysOfOtherWidthsOrTooManyFieldsAreInvalidParameters) {
  ExpectFailure(WithTableParam("DEFAULT_ORDER", 0x00820001, {1, 0, 0, 0, 1}), DBERR_INVALIDPARAM,
                "table parameter DEFAULT_ORDER: elements of 1 bytes (2 or 4 expected)");
  std::vector<uint8_t> seventeen = {17, 0, 0, 0};
  for (int i = 0; i < 17; ++i) seventeen.insert(seventeen.end(), {1, 0});
  ExpectFailure(WithTableParam("UNIQUE_KEY", 0x00820002, seventeen), DBERR_INVALIDPARAM,
                "table parameter UNIQUE_KEY: 17 key fields (at most 16)");
}

TEST(ImportFailure, IntegerFieldParameterWithoutItsBytesIsAnInvalidParameter) {
  Bytes b;
  b.header(1, 0, 1, 0).column("A", 0x00490001, 0, 1);
  b.name("WIDTH").u32(0).u16(0);  // type word 0: a value of no bytes
  ExpectFailure(b.b, DBERR_INVALIDPARAM,
                "field A, parameter WIDTH: 0 bytes are too few for its 4-byte integer");
}

TEST(ImportFailure, ChangeLogNamingVersionsNotStoredIsAMismatch) {
  ExpectFailure(ValidPacket({1, 0, 4, 2, 0, 4, 3, 0, 4, 5, 0, 2}).b, DBERR_DATAPACKETMISMATCH,
                "change log entry 4 (kind 2): record 5 is not one of the 3 stored versions");
  ExpectFailure(ValidPacket({1, 0, 4, 2, 2, 8}).b, DBERR_DATAPACKETMISMATCH,
                "change log entry 2: record 2 is logged as replacing record 2, which is no "
                "earlier version");
  ExpectFailure(ValidPacket({1, 0, 4, 2, 3, 8}).b, DBERR_DATAPACKETMISMATCH,
                "change log entry 2: record 2 is logged as replacing record 3, which is no "
                "earlier version");
  ExpectFailure(ValidPacket({0, 0, 4}).b, DBERR_DATAPACKETMISMATCH,
                "change log entry 1 (kind 4): record 0 is not one of the 3 stored versions");
  // Changes inside nested tables, or of no known kind: undo would stop there for good.
  ExpectFailure(ValidPacket({1, 0, 4, 2, 0, 4, 3, 0, 4, 3, 0, 64}).b, DBERR_DATAPACKETMISMATCH,
                "change log entry 4 (record 3): kind 64 is no insert (4), delete (2) or "
                "modification (8)");
  ExpectFailure(ValidPacket({2, 0, 252, 1, 0, 4, 2, 0, 4, 3, 0, 4}).b, DBERR_DATAPACKETMISMATCH,
                "change log entry 1 (record 2): kind 252 is no insert (4), delete (2) or "
                "modification (8)");
}

TEST(ImportFailure, ChangeLogThatUndoCouldNotWalkBackIsAMismatch) {
  // Row 2 is visible (state 4) but the log says it was deleted.
  ExpectFailure(ValidPacket({1, 0, 4, 2, 0, 4, 3, 0, 4, 2, 0, 2}).b, DBERR_DATAPACKETMISMATCH,
                "undoing change log entry 4 (delete of record 2) finds the record not deleted "
                "(row state 0x04)");
  // Record 3 replaced record 1, which is not superseded.
  ExpectFailure(ValidPacket({1, 0, 4, 2, 0, 4, 3, 1, 8}).b, DBERR_DATAPACKETMISMATCH,
                "undoing change log entry 3 (record 3 replacing 1) finds row states 0x04 and "
                "0x04, not a visible version over a superseded one");
  // Record 1 inserted twice: undoing the second insert leaves nothing for the first (hidden,
  // 0x20).
  ExpectFailure(ValidPacket({1, 0, 4, 1, 0, 4}).b, DBERR_DATAPACKETMISMATCH,
                "undoing change log entry 1 (insert of record 1) finds the record invisible (row "
                "state 0x20)");
}

TEST(ImportFailure, TruncatedRowsAreAMismatch) {
  auto b = ValidPacket().b;
  b.resize(b.size() - 3);  // row 3's Title, "r3" behind its 1-byte length
  ExpectFailure(b, DBERR_DATAPACKETMISMATCH,
                "row 3, column 4 (Title) at offset " + std::to_string(b.size()) +
                    ": its 1-byte length runs past the end of the packet (0 bytes left)");
}

TEST(ImportFailure, UniqueKeyOverEqualRowsNamesTheIndexBuild) {
  Bytes b;
  LyricsColumns(b, "Autoinc", 2);
  b.u16(1).name("UNIQUE_KEY").u32(0x00820002).u32(1).u16(2);  // on Artist
  LyricsRow(b, 4, 1, "same");
  LyricsRow(b, 4, 2, "same");
  ExpectFailure(b.b, DBERR_KEYVIOL, "the indexes could not be built over the 2 records");
}

TEST(ImportFailure, HugeRowCountReservesOnlyWhatThePacketHolds) {
  auto b = ValidPacket().b;
  Put32(b, kHdrRowCount, 0xFFFFFFFF);
  DSBASE t;
  const DBResult st = ImportPacket(t, b, true);
  EXPECT_NE(st, DBERR_NOMEMORY);
  if (st == DBERR_NONE) {
    EXPECT_EQ(t.LiveCount(), 3u);
    EXPECT_LE(t.Capacity(), b.size());
  } else {
    EXPECT_EQ(st, DBERR_DATAPACKETMISMATCH);
  }
}

// Random damage to a binary and an XML packet: every refusal names its own reason (none falls
// through to the import's catch-all), with the status the import returns; a load clears it.
TEST(ImportFailure, EveryRefusalOfADamagedPacketSaysWhy) {
  auto t = dsengine::testing::MakeLyricsTable();
  for (int i = 0; i < 4; ++i) AddLyric(*t, "Artist " + std::to_string(i), "T", "lyric");
  ByteArray binary = Export(*t);
  ASSERT_EQ(t->SetProp(dspropSTREAMMODE, 5), 0);
  ByteArray xml = Export(*t);
  std::mt19937 rng(2024);
  int refused = 0;
  for (const ByteArray* source : {&binary, &xml}) {
    for (int round = 0; round < 400; ++round) {
      std::vector<uint8_t> damaged = ToVector(*source);
      for (int n = 1 + int(rng() % 3); n > 0; --n) damaged[rng() % damaged.size()] = uint8_t(rng());
      if (rng() % 4 == 0) damaged.resize(rng() % damaged.size());
      DSBASE loaded;
      PacketFault fault;
      fault.status = DBERR_NA;  // left from an earlier call: cleared or replaced
      const DBResult st = ImportPacket(loaded, damaged, true, &fault);
      EXPECT_EQ(fault.status, st);
      if (st == DBERR_NONE) {
        EXPECT_EQ(fault.reason, "");
        continue;
      }
      ++refused;
      EXPECT_FALSE(fault.reason.empty()) << st;
      EXPECT_EQ(fault.reason.find("refused with status"), std::string::npos) << fault.reason;
      EXPECT_GT(fault.line, 0);
    }
  }
  EXPECT_GT(refused, 200);
}

TEST(ExportFailure, TableWithoutFieldsOrWithNestedTableIsRefused) {
  DSBASE empty;
  ByteArray out;
  EXPECT_EQ(ExportPacket(empty, &out), DBERR_DATAPACKETMISMATCH);
  EXPECT_TRUE(out.empty());

  auto nested = dsengine::testing::MakeTable({dsengine::testing::MakeField("T", fldTABLE, 0, 0)});
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(ExportPacket(*nested, &out), DBERR_INVALIDFLDTYPE);
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace dspacket
