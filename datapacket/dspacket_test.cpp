// Table export and import: the lyrics table's exact bytes, the change log and row states of an
// edit history, record versions after a load, sub-type and auto-increment rules, parameter
// order and kept parameters, row choice without a log, unchanged BLOBs, follow-up packets.
#include "datapacket/dspacket.h"

#include <gtest/gtest.h>

#include "datapacket/dspacket_testing.h"
#include "datapacket/dsparams.h"

namespace dspacket {
namespace {

using namespace dspacket::testing;
using dsengine::DSBASE;
using dsengine::testing::kAlbum;
using dsengine::testing::kArtist;
using dsengine::testing::kId;
using dsengine::testing::kLyric;
using dsengine::testing::kTitle;
using dsengine::testing::MakeLyricsTable;

TEST(ExportPacket, NewEmptyLyricsTableGivesTheExact225Bytes) {
  auto t = MakeLyricsTable();
  Bytes b;
  b.header(6, 0, 3, 225);
  size_t at = b.size();
  SubTypeParam(b.column("Id", 0x00010004, 0, 1), "Autoinc");
  EXPECT_EQ(b.size() - at, 33u);
  at = b.size();
  WidthParam(b.column("Artist", 0x00490001, 0, 1), 180);
  EXPECT_EQ(b.size() - at, 27u);
  WidthParam(b.column("Album", 0x00490001, 0, 1), 180);
  WidthParam(b.column("Title", 0x00490001, 0, 1), 180);
  at = b.size();
  SubTypeParam(b.column("Lyric", 0x004B0004, 0, 1), "Text");
  EXPECT_EQ(b.size() - at, 33u);
  at = b.size();
  WidthParam(b.column("SongFileName", 0x00490002, 0, 1), 500);
  EXPECT_EQ(b.size() - at, 33u);
  b.u16(1).name("AUTOINCVALUE").u32(0x00010004).u32(1);
  ASSERT_EQ(b.size(), 225u);

  ByteArray packet = Export(*t);
  EXPECT_EQ(Hex(packet.bytes()), Hex(b.b));
}

TEST(ExportPacket, InsertsAndADeleteGiveTheLogStatesAndCounter) {
  auto t = MakeLyricsTable();
  AddLyric(*t, "A", "1");
  const uint32_t second = AddLyric(*t, "B", "2");
  AddLyric(*t, "C", "3");
  ASSERT_EQ(t->DeleteRecord(second, nullptr), 0);

  ReadBack r(Export(*t));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.TableNames(), (std::vector<std::string>{"CHANGE_LOG", "AUTOINCVALUE"}));
  EXPECT_EQ(r.Table("CHANGE_LOG")->type, kWordChangeLog);
  EXPECT_EQ(U32s(r.Table("CHANGE_LOG")->value),
            (std::vector<uint32_t>{12, 1, 0, 4, 2, 0, 4, 3, 0, 4, 2, 0, 2}));
  EXPECT_EQ(U32s(r.Table("AUTOINCVALUE")->value), (std::vector<uint32_t>{4}));
  EXPECT_EQ(r.States(), (std::vector<uint8_t>{4, 6, 4}));
  // Id values 1, 2, 3 in record order.
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(U32s(r.rows[i][kId].value)[0], i + 1);
}

TEST(ImportPacket, ModifyAfterALoadAddsAVersionAndAnEntry) {
  auto t = MakeLyricsTable();
  for (int i = 0; i < 3; ++i) AddLyric(*t, "A" + std::to_string(i), "T", "words");
  ASSERT_EQ(t->SetProp(dsengine::dspropLOGCHANGES, 0), 0);  // no pending changes: plain rows
  t->MutableLog().Clear();
  ByteArray first = Export(*t);
  ASSERT_EQ(ReadBack(first).States(), (std::vector<uint8_t>{0, 0, 0}));

  auto loaded = Import(first.bytes());
  ASSERT_TRUE(loaded->Log().Empty());
  const uint32_t n = loaded->NextRecordNumber() - 1;
  const uint32_t v = ModifyStr(*loaded, 1, kAlbum, "New album");
  EXPECT_EQ(v, n + 1);

  ReadBack r(Export(*loaded));
  EXPECT_EQ(r.States(), (std::vector<uint8_t>{1, 0, 0, 8}));
  EXPECT_EQ(U32s(r.Table("CHANGE_LOG")->value), (std::vector<uint32_t>{3, n + 1, 1, 8}));
  // The Lyric BLOB was not replaced: the new version says so instead of repeating the bytes.
  EXPECT_EQ(r.rows[3][kLyric].status, kItemUnchanged);
  auto again = Import(Export(*loaded).bytes());
  EXPECT_EQ(VisibleRows(*again), VisibleRows(*loaded));
  EXPECT_EQ(again->ChangeCount(), 1u);
}

TEST(ImportPacket, AutoincSubTypeMakesIdReadOnlyAfterOneLoad) {
  auto t = MakeLyricsTable();
  ReadBack before(Export(*t));
  EXPECT_EQ(before.columns[0].desc.attributes, 0);
  auto loaded = Import(Export(*t).bytes());
  EXPECT_EQ(loaded->Field(kId).attributes, uint32_t(dsengine::fldAttrREADONLY));
  EXPECT_EQ(loaded->AutoIncField(), kId);
  ReadBack after(Export(*loaded));
  EXPECT_EQ(after.columns[0].desc.attributes, 2);
  // Inserting into the loaded table still numbers records.
  AddLyric(*loaded, "X", "Y");
  EXPECT_EQ(dsengine::testing::StoredInt(*loaded, 1, kId), 1);
  EXPECT_EQ(loaded->AutoIncValue(), 2u);
}

// The lyrics packet with the Id's "SUBTYPE" text and the counter given.
std::vector<uint8_t> LyricsPacket(const std::string& idSubType, int32_t counter) {
  Bytes b;
  LyricsColumns(b, idSubType);
  b.u16(1).name("AUTOINCVALUE").u32(0x00010004).u32(uint32_t(counter));
  return b.b;
}

TEST(ImportPacket, SubTypeNamesIgnoreTheCaseOfLetters) {
  auto t = Import(LyricsPacket("autoinc", 7));
  EXPECT_EQ(t->AutoIncField(), kId);
  EXPECT_EQ(t->AutoIncValue(), 7u);
  EXPECT_EQ(t->Field(kLyric).subType, uint32_t(dsengine::fldstMEMO));
}

TEST(ImportPacket, CounterWithoutAutoincFieldHasNoEffect) {
  auto t = Import(LyricsPacket("", 7));
  EXPECT_EQ(t->AutoIncField(), 0u);
  ReadBack r(Export(*t));
  EXPECT_EQ(r.Table("AUTOINCVALUE"), nullptr);
  EXPECT_TRUE(r.tableParams.empty());
}

TEST(ImportPacket, UnknownSubTypeIsKeptAndWrittenOnce) {
  auto t = Import(LyricsPacket("Gizmo", 1));
  EXPECT_EQ(t->Field(kId).subType, kSubTypeUnknown);
  EXPECT_EQ(t->AutoIncField(), 0u);
  ByteArray once = Export(*t);
  ReadBack r(once);
  ASSERT_EQ(r.columns[0].params.size(), 1u);
  EXPECT_EQ(r.columns[0].params[0].name, "SUBTYPE");
  EXPECT_EQ(r.columns[0].params[0].value, (std::vector<uint8_t>{6, 0, 'G', 'i', 'z', 'm', 'o', 0}));
  // Saving again does not grow the file.
  auto again = Import(once.bytes());
  EXPECT_EQ(Hex(Export(*again).bytes()), Hex(once.bytes()));
}

TEST(ImportPacket, TheLastSubTypeDecidesAndOnlyItTravels) {
  for (bool knownLast : {true, false}) {
    Bytes b;
    b.header(1, 0, 1, 0);
    b.column("Lyric", 0x004B0004, 0, 2);
    SubTypeParam(b, knownLast ? "Odd" : "Text");
    SubTypeParam(b, knownLast ? "Text" : "Odd");
    b.u16(0);
    auto t = Import(b.b);
    EXPECT_EQ(t->Field(1).subType, knownLast ? uint32_t(dsengine::fldstMEMO) : kSubTypeUnknown);
    ByteArray once = Export(*t);
    ReadBack r(once);
    ASSERT_EQ(r.columns[0].params.size(), 1u);
    EXPECT_EQ(r.columns[0].params[0].value[2], knownLast ? 'T' : 'O');
    EXPECT_EQ(Hex(Export(*Import(once.bytes())).bytes()), Hex(once.bytes()));
  }
}

TEST(ImportPacket, EmptyVaryingBytesLoadAsTheNullTheyAreSavedAs) {
  Bytes b;
  b.header(2, 2, 1, 0);
  WidthParam(b.column("Key", 0x00490001, 0, 1), 10);
  WidthParam(b.column("Bytes", 0x004B0001, 0, 1), 10);
  b.u16(1).name("UNIQUE_KEY").u32(0x00820002).u32(2).u16(1).u16(2);
  b.u8(0).u8(0).text("\1k").u8(0);                // "k", empty bytes
  b.u8(0).u8(0x04).text("\1k");                   // "k", null bytes
  auto t = Import(b.b, dsengine::DBERR_KEYVIOL);  // the same key twice
  b.b[b.size() - 1] = 'j';
  t = Import(b.b);
  EXPECT_EQ(t->NullFlagOf(1, 2), dsengine::kBlankByClient);
  EXPECT_EQ(Hex(Export(*Import(Export(*t).bytes())).bytes()), Hex(Export(*t).bytes()));
}

TEST(ImportPacket, PackedDecimalWithoutWidthAndStructuresSaveAsTheyLoad) {
  Bytes b;
  b.header(3, 1, 1, 0);
  b.column("Amount", 0x00120022, 0, 0);  // formatted packed decimal, no "WIDTH"
  b.column("Place", 0x010C0001, 0, 0);   // a structure of one field
  b.column("Zip", 0x00010004, 0, 0);
  b.u16(0);
  b.u8(0).u8(0).zeros(18).u32(12345);  // the structure has no bytes of its own
  auto t = Import(b.b);
  EXPECT_EQ(t->Field(1).units1, 64u);
  EXPECT_EQ(t->Field(2).length, 0u);
  EXPECT_EQ(dsengine::testing::StoredInt(*t, 1, 3), 12345);
  ByteArray once = Export(*t);
  EXPECT_EQ(Hex(Export(*Import(once.bytes())).bytes()), Hex(once.bytes()));
}

TEST(ImportPacket, KeptParametersComeBackInOrderAfterTheRegeneratedOnes) {
  Bytes b;
  b.header(2, 0, 1, 0);
  b.column("Name", 0x00490001, 0, 3);
  b.name("TYPENAME").u32(0x00490001).u8(3).text("abc");
  WidthParam(b, 20);
  b.name("MINVALUE").u32(0x00010004).u32(5);
  b.column("Score", 0x00010004, 0, 1).name("DECIMALS").u32(0x00020002).u16(2);
  b.u16(4);
  b.name("TABLENAME").u32(0x80490001).u8(2).text("tt");
  b.name("LCID").u32(0x00010004).u32(0x0409);
  b.name("MD_SEMANTICS").u32(0x00010004).u32(3);
  b.name("DISABLE_EDITS").u32(0x00030002).u16(0);
  auto t = Import(b.b);
  EXPECT_EQ(t->Field(1).units1, 20u);
  EXPECT_EQ(t->Field(2).units2, 2u);
  EXPECT_EQ(t->TableOptions(), 4u | 8u);
  EXPECT_TRUE(t->DisableEdits());
  uint8_t props[dsengine::kPropsSize];
  t->GetProps(props);
  EXPECT_EQ(props[281], 6);  // two field and four table parameters kept

  ReadBack r(Export(*t));
  ASSERT_EQ(r.columns.size(), 2u);
  std::vector<std::string> names;
  for (const ReadParam& p : r.columns[0].params) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"WIDTH", "TYPENAME", "MINVALUE"}));
  EXPECT_EQ(r.columns[1].params.at(0).name, "DECIMALS");
  EXPECT_EQ(r.TableNames(),
            (std::vector<std::string>{"TABLENAME", "LCID", "MD_SEMANTICS", "DISABLE_EDITS"}));
  EXPECT_EQ(r.tableParams[0].type, 0x80490001u);  // the round-trip flag travels as it came
}

TEST(ExportPacket, FieldParametersInOrderSubTypeDecimalsWidthCalculated) {
  auto f = dsengine::testing::MakeField("Amount", dsengine::fldBCD, dsengine::fldstMONEY, 10);
  f.units2 = 2;
  f.calculated = 1;
  auto t = dsengine::testing::MakeTable({f});
  ASSERT_NE(t, nullptr);
  ReadBack r(Export(*t));
  std::vector<std::string> names;
  for (const ReadParam& p : r.columns.at(0).params) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"SUBTYPE", "DECIMALS", "WIDTH", "CALCULATED"}));
  auto back = Import(Export(*t).bytes());
  EXPECT_EQ(back->Field(1).units1, 10u);
  EXPECT_EQ(back->Field(1).units2, 2u);
  EXPECT_EQ(back->Field(1).subType, uint32_t(dsengine::fldstMONEY));
  EXPECT_EQ(back->Field(1).calculated, 1u);
}

dsengine::IndexDescriptor Keys(std::vector<uint32_t> fields, uint32_t unique,
                               std::vector<bool> descending = {}) {
  dsengine::IndexDescriptor d{};
  d.fieldCount = uint32_t(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    d.fields[i] = fields[i];
    d.descending[i] = i < descending.size() && descending[i];
  }
  d.unique = unique;
  return d;
}

TEST(ExportPacket, DefaultOrderAndPrimaryKeyFromIndexCreationOnly) {
  auto t = MakeLyricsTable();
  AddLyric(*t, "B", "2");
  AddLyric(*t, "A", "1");
  dsengine::IndexDescriptor d = Keys({kArtist, kTitle}, 2, {true, false});
  ASSERT_EQ(t->CreateIndex(&d), 0);
  ReadBack r(Export(*t));
  EXPECT_EQ(r.TableNames(), (std::vector<std::string>{"DEFAULT_ORDER", "PRIMARY_KEY", "CHANGE_LOG",
                                                      "AUTOINCVALUE"}));
  EXPECT_EQ(r.Table("DEFAULT_ORDER")->type, kWordOrderArray);
  EXPECT_EQ(r.Table("DEFAULT_ORDER")->value,
            (std::vector<uint8_t>{2, 0, 0, 0, kArtist + 0x00, 0x80, kTitle, 0}));
  EXPECT_EQ(r.Table("PRIMARY_KEY")->value,
            (std::vector<uint8_t>{2, 0, 0, 0, kArtist, 0, kTitle, 0}));

  // After a load the order comes back from the packet and travels as kept parameters. The
  // key fields went without their flags, so they differ from the descending order: the key
  // gets its own index and the order is extended by them.
  auto loaded = Import(Export(*t).bytes());
  const dsengine::IndexDescriptor& back = loaded->DefaultIndex()->Descriptor();
  EXPECT_EQ(back.fieldCount, 4u);
  EXPECT_TRUE(back.descending[0]);
  EXPECT_EQ(back.unique, 2u);
  EXPECT_EQ(dsengine::testing::Order(*loaded->DefaultIndex()), (std::vector<uint32_t>{1, 2}));
  dsengine::DSIDX* pk = nullptr;
  EXPECT_EQ(loaded->FindIndex("PRIMARY_KEY", &pk), 0);
  ReadBack r2(Export(*loaded));
  EXPECT_EQ(r2.TableNames(), (std::vector<std::string>{"CHANGE_LOG", "AUTOINCVALUE",
                                                       "DEFAULT_ORDER", "PRIMARY_KEY"}));
}

TEST(ImportPacket, PrimaryKeyOnTheOrderFieldsMakesTheOrderUnique) {
  auto t = MakeLyricsTable();
  dsengine::IndexDescriptor d = Keys({kArtist, kTitle}, 1);
  ASSERT_EQ(t->CreateIndex(&d), 0);
  ReadBack r(Export(*t));
  EXPECT_NE(r.Table("UNIQUE_KEY"), nullptr);
  auto loaded = Import(Export(*t).bytes());
  EXPECT_EQ(loaded->DefaultIndex()->Descriptor().fieldCount, 2u);
  EXPECT_EQ(loaded->DefaultIndex()->Descriptor().unique, 1u);
  dsengine::DSIDX* other = nullptr;
  EXPECT_NE(loaded->FindIndex("UNIQUE_KEY", &other), 0);
}

TEST(ImportPacket, PrimaryKeyOnOtherFieldsMakesItsOwnIndexAndExtendsTheOrder) {
  Bytes b;
  b.header(2, 0, 1, 0);
  b.column("A", 0x00010004, 0, 0).column("B", 0x00010004, 0, 0);
  b.u16(2);
  b.name("DEFAULT_ORDER").u32(0x00820002).u32(1).u16(1);
  b.name("PRIMARY_KEY").u32(0x00820004).u32(1).u32(2);
  auto t = Import(b.b);
  dsengine::DSIDX* pk = nullptr;
  ASSERT_EQ(t->FindIndex("PRIMARY_KEY", &pk), 0);
  EXPECT_EQ(pk->Descriptor().unique, 2u);
  EXPECT_EQ(t->DefaultIndex()->Descriptor().fieldCount, 2u);
  EXPECT_EQ(t->DefaultIndex()->Descriptor().fields[1], 2u);
  EXPECT_TRUE(t->DefaultIndex()->IsUnique());
}

TEST(ExportPacket, WithoutALogRowsFollowTheDefaultOrderAndLoggingOffDropsOldVersions) {
  auto t = MakeLyricsTable();
  AddLyric(*t, "C", "3");
  AddLyric(*t, "A", "1");
  const uint32_t b = AddLyric(*t, "B", "2");
  ModifyStr(*t, b, kTitle, "2b");
  AddLyric(*t, "D", "4");
  dsengine::IndexDescriptor d = Keys({kArtist}, 0);
  ASSERT_EQ(t->CreateIndex(&d), 0);
  t->MutableLog().Clear();  // changes merged
  ReadBack r(Export(*t));
  ASSERT_EQ(r.rows.size(), 4u);  // the superseded version is not in the default order
  std::string artists;
  for (const auto& row : r.rows)
    artists += std::string(row[kArtist].value.begin(), row[kArtist].value.end());
  EXPECT_EQ(artists, "ABCD");
  EXPECT_EQ(r.States(), (std::vector<uint8_t>{4, 12, 4, 4}));

  auto plain = MakeLyricsTable();
  AddLyric(*plain, "C", "3");
  const uint32_t gone = AddLyric(*plain, "A", "1");
  ModifyStr(*plain, 1, kTitle, "3b");
  plain->DeleteRecord(gone, nullptr);
  plain->MutableLog().Clear();
  ASSERT_EQ(plain->SetProp(dsengine::dspropLOGCHANGES, 0), 0);
  ReadBack p(Export(*plain));
  ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(p.States(), (std::vector<uint8_t>{0}));
  EXPECT_EQ(p.rows[0][kTitle].value, (std::vector<uint8_t>{'3', 'b'}));
}

TEST(ImportPacket, UnchangedBlobTakesTheReplacedVersionsBlob) {
  auto t = MakeLyricsTable();
  const uint32_t r1 = AddLyric(*t, "A", "1", "first words");
  const uint32_t r2 = ModifyStr(*t, r1, kTitle, "1b");
  // A new BLOB for the next version: its bytes travel.
  dsengine::testing::Rec rec(*t);
  t->ReadRecord(r2, rec.data());
  t->PutBlob(rec.data(), kLyric, 0, "second", 6);
  uint32_t r3 = 0;
  ASSERT_EQ(t->ModifyRecord(r2, rec.data(), nullptr, &r3), 0);
  ReadBack r(Export(*t));
  EXPECT_EQ(r.rows[1][kLyric].status, kItemUnchanged);
  EXPECT_EQ(r.rows[2][kLyric].status, kItemValue);
  auto loaded = Import(Export(*t).bytes());
  EXPECT_EQ(VisibleRows(*loaded), VisibleRows(*t));
  int32_t h1, h2;
  std::memcpy(&h1, loaded->ValuePtr(1, kLyric), 4);
  std::memcpy(&h2, loaded->ValuePtr(2, kLyric), 4);
  EXPECT_EQ(h1, h2);  // shared again, as after the modification
  // Undo after the load walks the history back to the first words.
  uint32_t follow = 0;
  ASSERT_EQ(loaded->UndoLastChange(true, &follow), 0);
  ASSERT_EQ(loaded->UndoLastChange(true, &follow), 0);
  EXPECT_EQ(follow, 1u);
  EXPECT_EQ(loaded->Blobs().Length(uint32_t(h1)), 11u);
}

TEST(ImportPacket, FollowUpPacketsAppendRowsUntilTheLastOne) {
  auto t = MakeLyricsTable();
  AddLyric(*t, "A", "1");
  ByteArray first = Export(*t);
  ReadBack fr(first);
  // A rows-only packet with two more rows.
  DSDATAPACKET w;
  std::vector<DSColumnDesc> cols;
  for (const ReadColumn& c : fr.columns) cols.push_back(c.desc);
  ASSERT_EQ(w.BeginPacketWithColumns(3, uint32_t(cols.size()), cols.data()), 0);
  for (int32_t id : {7, 8}) {
    const uint8_t state = 4;
    ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
    ASSERT_EQ(w.AppendValue(0, 4, &id), 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(w.AppendValue(0, 1, "x"), 0);
    ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
    ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
  }
  ByteArray more;
  ASSERT_EQ(w.FinishPacket(&more), 0);

  DSBASE loaded;
  ASSERT_EQ(ImportPacket(loaded, first.bytes(), false), 0);
  ASSERT_EQ(ImportPacket(loaded, more.bytes(), true), 0);
  EXPECT_EQ(loaded.LiveCount(), 3u);
  EXPECT_EQ(dsengine::testing::StoredInt(loaded, 3, kId), 8);
  PacketFault fault;
  EXPECT_EQ(ImportPacket(loaded, more.bytes(), true, &fault), dsengine::DBERR_CANNOTAPPEND);
  EXPECT_EQ(fault.reason, "the table's first packet was its last: it takes no follow-up packet");
  EXPECT_EQ(loaded.LiveCount(), 3u);  // the refused packet changed nothing

  DSBASE made;
  ASSERT_EQ(made.CreateTable(6, dsengine::testing::LyricsFields().data(), "t"), 0);
  EXPECT_EQ(ImportPacket(made, first.bytes(), true), dsengine::DBERR_CANNOTAPPEND);
}

TEST(ImportPacket, XmlPacketSetsStreamModeAndExportFollowsIt) {
  auto t = MakeLyricsTable();
  AddLyric(*t, "Ünïcode?", "Title", "line1\r\nline2");
  ASSERT_EQ(t->SetProp(dsengine::dspropSTREAMMODE, 5), 0);
  ByteArray xml = Export(*t);
  ASSERT_GT(xml.size(), 0u);
  EXPECT_EQ(xml.data()[0], '<');
  auto loaded = Import(xml.bytes());
  uint32_t mode = 0;
  loaded->GetProp(dsengine::dspropSTREAMMODE, &mode);
  EXPECT_EQ(mode, 5u);
  EXPECT_EQ(VisibleRows(*loaded), VisibleRows(*t));
  auto bin = Import(Export(*t).bytes());  // still XML, since the table's mode is XML
  loaded->SetProp(dsengine::dspropSTREAMMODE, 0);
  auto fromBinary = Import(Export(*loaded).bytes());
  fromBinary->GetProp(dsengine::dspropSTREAMMODE, &mode);
  EXPECT_EQ(mode, 0u);
  EXPECT_EQ(VisibleRows(*fromBinary), VisibleRows(*bin));
}

}  // namespace
}  // namespace dspacket
