// Import and export failures, one per failure mode, mostly by editing bytes of a valid packet:
// each gives its status, leaves the table without definition and with the properties it had,
// and the same object then loads a valid packet.
#include <gtest/gtest.h>

#include <algorithm>

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

// Imports `bytes`, expects `want`, then checks the table is clean and loads a valid packet.
void ExpectFailure(const std::vector<uint8_t>& bytes, DBResult want) {
  DSBASE t;
  ASSERT_EQ(t.SetProp(dspropTRIMSTRINGS, 0), 0);
  EXPECT_EQ(ImportPacket(t, bytes, true), want);
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

TEST(ImportFailure, NoBytesIsNotApplicable) { ExpectFailure({}, DBERR_NA); }

TEST(ImportFailure, NeitherBinaryNorXmlIsAMismatch) {
  auto b = ValidPacket().b;
  b[0] ^= 0xFF;
  ExpectFailure(b, DBERR_DATAPACKETMISMATCH);
}

TEST(ImportFailure, VersionAboveThreeIsAMismatch) {
  auto b = ValidPacket().b;
  b[kHdrVersionMajor] = 4;
  ExpectFailure(b, DBERR_DATAPACKETMISMATCH);
}

TEST(ImportFailure, XmlWithoutMetadataOrRowsIsAMismatch) {
  const std::string xml = "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"></DATAPACKET>";
  ExpectFailure(std::vector<uint8_t>(xml.begin(), xml.end()), DBERR_DATAPACKETMISMATCH);
}

TEST(ImportFailure, RowsOnlyFirstPacketHasNoMetadata) {
  auto b = ValidPacket().b;
  Put32(b, kHdrFlags, 0);
  ExpectFailure(b, DBERR_NOMETADATA);
}

TEST(ImportFailure, NoColumnIsAMismatch) {
  Bytes b;
  b.header(0, 0, 1, 0).u16(0);
  ExpectFailure(b.b, DBERR_DATAPACKETMISMATCH);
}

TEST(ImportFailure, EmptyColumnNameIsRefused) {
  auto b = ValidPacket().b;
  b = std::vector<uint8_t>(b.begin(), b.begin() + kHeaderSize);
  Bytes rest;
  rest.column("", 0x00010004, 0, 0).u16(0);
  b.insert(b.end(), rest.b.begin(), rest.b.end());
  b[kHdrColumnCount] = 1;
  ExpectFailure(b, DBERR_NOFIELDNAME);
}

TEST(ImportFailure, UnsupportedFieldTypeWordIsAnInvalidFieldType) {
  auto b = ValidPacket().b;
  Put32(b, Find(b, "Id") + 2, 0x00010003);  // a 3-byte integer
  ExpectFailure(b, DBERR_INVALIDFLDTYPE);
}

TEST(ImportFailure, NestedTableColumnIsAnInvalidFieldType) {
  Bytes b;
  b.header(2, 0, 1, 0);
  b.column("Tracks", 0x050E0001, 0, 0);
  b.column("No", 0x00010004, 0, 0).u16(0);  // the nested level's column and table parameters
  b.u16(0);
  ExpectFailure(b.b, DBERR_INVALIDFLDTYPE);
}

TEST(ImportFailure, SubTypeThatIsNoStringIsAnInvalidParameter) {
  auto b = ValidPacket().b;
  Put32(b, Find(b, "SUBTYPE") + 7, 0x004B0002);  // varying bytes, same layout
  ExpectFailure(b, DBERR_INVALIDPARAM);
}

TEST(ImportFailure, StringColumnWithoutWidthIsAnInvalidParameter) {
  auto b = ValidPacket().b;
  b[Find(b, "WIDTH") + 4] = 'X';  // "WIDTX": kept, and the column has no width
  ExpectFailure(b, DBERR_INVALIDPARAM);
}

TEST(ImportFailure, ChangeLogMustBeAnArrayOf32BitValuesWithThreeOrMore) {
  ExpectFailure(WithTableParam("CHANGE_LOG", 0x00020004, {3, 0, 0, 0}), DBERR_INVALIDPARAM);
  ExpectFailure(WithTableParam("CHANGE_LOG", 0x00820002, {3, 0, 0, 0, 1, 0, 0, 0, 4, 0}),
                DBERR_INVALIDPARAM);
  ExpectFailure(WithTableParam("CHANGE_LOG", 0x00820004, {2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}),
                DBERR_INVALIDPARAM);
}

TEST(ImportFailure, OrderArraysMustBeArrays) {
  ExpectFailure(WithTableParam("DEFAULT_ORDER", 0x00020002, {1, 0}), DBERR_INVALIDPARAM);
  ExpectFailure(WithTableParam("primary_key", 0x00020004, {1, 0, 0, 0}), DBERR_INVALIDPARAM);
  // A field number the table does not have.
  ExpectFailure(WithTableParam("DEFAULT_ORDER", 0x00820002, {1, 0, 0, 0, 9, 0}),
                DBERR_INVALIDPARAM);
}

TEST(ImportFailure, ChangeLogNamingVersionsNotStoredIsAMismatch) {
  ExpectFailure(ValidPacket({1, 0, 4, 2, 0, 4, 3, 0, 4, 5, 0, 2}).b, DBERR_DATAPACKETMISMATCH);
  ExpectFailure(ValidPacket({1, 0, 4, 2, 2, 8}).b, DBERR_DATAPACKETMISMATCH);  // replaced itself
  ExpectFailure(ValidPacket({1, 0, 4, 2, 3, 8}).b, DBERR_DATAPACKETMISMATCH);  // a later one
  ExpectFailure(ValidPacket({0, 0, 4}).b, DBERR_DATAPACKETMISMATCH);
  // Changes inside nested tables, or of no known kind: undo would stop there for good.
  ExpectFailure(ValidPacket({1, 0, 4, 2, 0, 4, 3, 0, 4, 3, 0, 64}).b, DBERR_DATAPACKETMISMATCH);
  ExpectFailure(ValidPacket({2, 0, 252, 1, 0, 4, 2, 0, 4, 3, 0, 4}).b, DBERR_DATAPACKETMISMATCH);
}

TEST(ImportFailure, ChangeLogThatUndoCouldNotWalkBackIsAMismatch) {
  // Row 2 is visible (state 4) but the log says it was deleted.
  ExpectFailure(ValidPacket({1, 0, 4, 2, 0, 4, 3, 0, 4, 2, 0, 2}).b, DBERR_DATAPACKETMISMATCH);
  // Record 3 replaced record 1, which is not superseded.
  ExpectFailure(ValidPacket({1, 0, 4, 2, 0, 4, 3, 1, 8}).b, DBERR_DATAPACKETMISMATCH);
  // Record 1 inserted twice: undoing the second insert leaves nothing for the first.
  ExpectFailure(ValidPacket({1, 0, 4, 1, 0, 4}).b, DBERR_DATAPACKETMISMATCH);
}

TEST(ImportFailure, TruncatedRowsAreAMismatch) {
  auto b = ValidPacket().b;
  b.resize(b.size() - 3);
  ExpectFailure(b, DBERR_DATAPACKETMISMATCH);
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
