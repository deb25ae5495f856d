// XML packet writer: the document's shape for the lyrics table, FIELD attributes, escaping,
// row attributes, parameters as attributes and PARAM elements, refusals, nested rows, and
// well-formedness as xmllint sees it.
#include "datapacket/xmlwriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "datapacket/packetformats.h"
#include "datapacket/xml_testing.h"

namespace dspacket {
namespace {

using namespace dspacket::testing;

std::string Text(const ByteArray& a) {
  return std::string(reinterpret_cast<const char*>(a.data()), a.size());
}

std::string Finish(TDATAPACKET_WRITE& w) {
  ByteArray out;
  EXPECT_EQ(w.FinishPacket(&out), 0);
  return Text(out);
}

TEST(XmlWriter, LyricsTableDocumentAsTheProgramWouldSaveIt) {
  DSXMLWRITER w;
  w.SetTextMode(kStreamXml);
  LyricRow row{4, 1, "Rock", "Song", "", "line one\r\nline two", ""};
  ASSERT_EQ(WriteLyrics(w, {row}, {1, 0, 4}, 2), 0);
  const std::string doc = Finish(w);
  const std::string expected =
      "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"Id\" fieldtype=\"i4\" SUBTYPE=\"Autoinc\"/>"
      "<FIELD attrname=\"Artist\" fieldtype=\"string\" WIDTH=\"180\"/>"
      "<FIELD attrname=\"Title\" fieldtype=\"string\" WIDTH=\"180\"/>"
      "<FIELD attrname=\"Album\" fieldtype=\"string\" WIDTH=\"180\"/>"
      "<FIELD attrname=\"Lyric\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\"/>"
      "<FIELD attrname=\"SongFileName\" fieldtype=\"string\" WIDTH=\"500\"/>"
      "</FIELDS><PARAMS CHANGE_LOG=\"1 0 4\" AUTOINCVALUE=\"2\"/></METADATA><ROWDATA>"
      "<ROW RowState=\"4\" Id=\"1\" Artist=\"Rock\" Title=\"Song\" Album=\"\" "
      "Lyric=\"line one&#013;&#010;line two\"/></ROWDATA></DATAPACKET>";
  EXPECT_EQ(doc, expected);
}

TEST(XmlWriter, EmptyTableHasEmptyParamsAndRowData) {
  DSXMLWRITER w;
  w.SetTextMode(kStreamXmlUtf8Mode);
  ASSERT_EQ(w.BeginPacket(3, 1), 0);
  ASSERT_EQ(w.AppendColumn(Col("A", 0x00010002, 2 | 4 | 1 | 8)), 0);
  const std::string doc = Finish(w);
  EXPECT_EQ(doc,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  "
            "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"i2\" "
            "readonly=\"true\" required=\"true\" hidden=\"true\" linkfield=\"true\"/></FIELDS>"
            "<PARAMS/></METADATA><ROWDATA/></DATAPACKET>");
}

TEST(XmlWriter, NameWithBlankGetsAttrnameAndFieldname) {
  DSXMLWRITER w;
  ASSERT_EQ(w.BeginPacket(3, 2), 0);
  ASSERT_EQ(w.AppendColumn(Col("First Name", 0x00490001)), 0);
  ASSERT_EQ(w.AppendColumn(Col("a(b)#*!$%?c", 0x00010004)), 0);
  const uint8_t state = 0;
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 3, "Ann"), 0);
  ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
  const std::string doc = Finish(w);
  EXPECT_NE(
      doc.find("<FIELD fieldname=\"First Name\" attrname=\"First_Name\" fieldtype=\"string\"/>"),
      std::string::npos)
      << doc;
  EXPECT_NE(doc.find("fieldname=\"a(b)#*!$%?c\" attrname=\"a_b_______c\""), std::string::npos)
      << doc;
  EXPECT_NE(doc.find("<ROW First_Name=\"Ann\"/>"), std::string::npos) << doc;  // state 0: none
}

TEST(XmlWriter, EscapesEveryCharacterOfTheTable) {
  std::string out;
  AppendEscaped("<>&'\"\r\n\t\\x\xE9", &out);
  EXPECT_EQ(out, "&lt;&gt;&amp;&apos;&quot;&#013;&#010;&#009;&#092;x\xE9");
}

TEST(XmlWriter, DeletedInsertedRowAndChangeLogAttribute) {
  DSXMLWRITER w;
  std::vector<LyricRow> rows = {
      {4, 1, "A", "a", "", "", ""}, {6, 2, "B", "b", "", "", ""}, {4, 3, "C", "c", "", "", ""}};
  ASSERT_EQ(WriteLyrics(w, rows, {1, 0, 4, 2, 0, 4, 3, 0, 4, 2, 0, 2}, 4), 0);
  const std::string doc = Finish(w);
  EXPECT_NE(doc.find("<PARAMS CHANGE_LOG=\"1 0 4 2 0 4 3 0 4 2 0 2\" AUTOINCVALUE=\"4\"/>"),
            std::string::npos);
  EXPECT_NE(doc.find("<ROW RowState=\"6\" Id=\"2\" Artist=\"B\""), std::string::npos);
}

TEST(XmlWriter, ValueTextsOfEveryType) {
  struct Case {
    uint32_t type;
    std::vector<uint8_t> value;
    const char* text;
  } cases[] = {
      {0x00010001, {0xFE}, "-2"},
      {0x00010008, LE<int64_t>(-5000000000LL), "-5000000000"},
      {0x00020004, LE<uint32_t>(4000000000u), "4000000000"},
      {0x00030002, LE<uint16_t>(1), "TRUE"},
      {0x00030001, {0}, "FALSE"},
      {0x00040008, LE<double>(0.1), "0.1"},
      {0x00040008, LE<double>(-2.5e300), "-2.5e+300"},
      {0x00060004, LE<int32_t>(730120), "20000101"},
      {0x00070004, LE<int32_t>(13 * 3600000 + 5 * 60000 + 7 * 1000 + 89), "13:05:07089"},
      {0x00080008, LE<double>(730120.0 * 86400000 + 3600000), "20000101T01:00:00000"},
      {0x00080008, LE<double>(730120.0 * 86400000), "20000101"},
      {0x004B0004, {'M', 'a', 'n'}, "TWFu"},
      {0x004B0001, {0xFF}, "/w=="},
      {0x004A0001, {'A', 0, 0xE9, 0, 0x20, 0x20}, "A&#233;&#8224;"},
      {0x00050004, {4, 0x82, 0x01, 0x25}, "-1.25"},
  };
  for (const Case& c : cases) {
    DSXMLWRITER w;
    ASSERT_EQ(w.BeginPacket(3, 1), 0);
    ASSERT_EQ(w.AppendColumn(Col("V", c.type)), 0);
    const uint8_t state = 0;
    ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
    ASSERT_EQ(w.AppendValue(0, static_cast<uint32_t>(c.value.size()), c.value.data()), 0);
    const std::string doc = Finish(w);
    EXPECT_NE(doc.find("<ROW V=\"" + std::string(c.text) + "\"/>"), std::string::npos)
        << c.text << " in " << doc;
  }
}

TEST(XmlWriter, SqlTimeStampWithAndWithoutTime) {
  auto ts = [](int16_t y, uint16_t mo, uint16_t d, uint16_t h, uint16_t mi, uint16_t s,
               uint32_t f) {
    std::vector<uint8_t> v;
    for (uint16_t x : {static_cast<uint16_t>(y), mo, d, h, mi, s}) {
      const auto e = LE(x);
      v.insert(v.end(), e.begin(), e.end());
    }
    const auto e = LE(f);
    v.insert(v.end(), e.begin(), e.end());
    return v;
  };
  for (auto [value, text] : {std::pair{ts(2024, 2, 29, 23, 59, 58, 7), "20240229T23:59:58007"},
                             std::pair{ts(1999, 12, 31, 0, 0, 0, 0), "19991231"}}) {
    std::string out;
    ASSERT_TRUE(AppendXmlValueText(XmlKind::kSqlTime, 0x00110010, value.data(), 16, false, &out));
    EXPECT_EQ(out, text);
  }
}

TEST(XmlWriter, UnknownParametersBecomeParamElements) {
  DSXMLWRITER w;
  ASSERT_EQ(w.BeginPacket(3, 1), 0);
  ASSERT_EQ(w.AppendColumn(Col("A", 0x00010004)), 0);
  const auto v = LE<int32_t>(-7);
  ASSERT_EQ(w.AppendParameter(false, "MYPROP", 0x80010004, 4, v.data()), 0);
  const auto s = StringParam("x<y");
  ASSERT_EQ(w.AppendParameter(false, "NOTE", 0x00490002, static_cast<uint32_t>(s.size()), s.data()),
            0);
  ASSERT_EQ(
      w.AppendParameter(false, "FIELDPROPS", 0x00490002, static_cast<uint32_t>(s.size()), s.data()),
      0);
  ASSERT_EQ(
      w.AppendParameter(true, "TABLENAME", 0x00490002, static_cast<uint32_t>(s.size()), s.data()),
      0);
  const std::string doc = Finish(w);
  EXPECT_NE(doc.find("<FIELD attrname=\"A\" fieldtype=\"i4\"><PARAM Name=\"MYPROP\" Value=\"-7\" "
                     "Type=\"i4\" Roundtrip=\"True\"/><PARAM Name=\"NOTE\" Value=\"x&lt;y\"/>"
                     "</FIELD></FIELDS><PARAMS TABLENAME=\"x&lt;y\"/>"),
            std::string::npos)
      << doc;
  EXPECT_EQ(doc.find("FIELDPROPS"), std::string::npos);
}

TEST(XmlWriter, RefusesTypesWithoutXmlWordAndUnfetchedData) {
  for (uint32_t type : {0x00020008u, 0x0004000Au, 0x010C0000u, 0x030D0001u, 0x010F0000u}) {
    DSXMLWRITER w;
    ASSERT_EQ(w.BeginPacket(3, 2), 0);
    EXPECT_EQ(w.AppendColumn(Col("A", type)), dsengine::DBERR_FIELDTYPENOTSUPPORTEDXML) << type;
  }
  DSXMLWRITER w;
  ASSERT_EQ(w.BeginPacket(3, 3), 0);
  ASSERT_EQ(w.AppendColumn(Col("B", 0x004B0004)), 0);
  ASSERT_EQ(w.AppendColumn(Col("N", 0x050E0001)), 0);
  ASSERT_EQ(w.AppendColumn(Col("C", 0x00010004)), 0);
  const uint8_t state = 0;
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  EXPECT_EQ(w.AppendValue(0, 0x80000000u, "x"), dsengine::DBERR_DELAYEDFETCHNOTSUPPORTEDXML);
  ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
  const auto notFetched = LE<uint32_t>(0x80000000u);
  EXPECT_EQ(w.AppendValue(0, 4, notFetched.data()), dsengine::DBERR_DELAYEDFETCHNOTSUPPORTEDXML);
  EXPECT_EQ(w.AppendColumn(Col("RowState", 0x00010004)), dsengine::DBERR_NA);
}

TEST(XmlWriter, NestedRowsAreElementsNamedAfterTheColumn) {
  DSXMLWRITER w;
  ASSERT_EQ(w.BeginPacket(3, 3), 0);
  ASSERT_EQ(w.AppendColumn(Col("Id", 0x00010004)), 0);
  ASSERT_EQ(w.AppendColumn(Col("Det", 0x050E0001)), 0);
  ASSERT_EQ(w.AppendColumn(Col("X", 0x00010002)), 0);
  ASSERT_EQ(w.AppendParameter(true, nullptr, 0, 0, nullptr), 0);  // closes the nested level
  const uint8_t state = 0, inserted = 4;
  const int32_t id = 7;
  const int16_t x1 = 1, x2 = 2;
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 4, &id), 0);
  const auto two = LE<uint32_t>(2);
  ASSERT_EQ(w.AppendValue(0, 4, two.data()), 0);
  ASSERT_EQ(w.AppendValue(0, 1, &inserted), 0);
  ASSERT_EQ(w.AppendValue(0, 2, &x1), 0);
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);
  ASSERT_EQ(w.AppendValue(0, 2, &x2), 0);
  ASSERT_EQ(w.AppendValue(0, 1, &state), 0);  // second row, nested count pending
  ASSERT_EQ(w.AppendValue(1, 0, nullptr), 0);
  const auto pending = LE<uint32_t>(0xFFFFFFFFu);
  ASSERT_EQ(w.AppendValue(0, 4, pending.data()), 0);
  ASSERT_EQ(w.CloseNestedRows(), 0);
  const std::string doc = Finish(w);
  EXPECT_NE(doc.find("<FIELD attrname=\"Det\" fieldtype=\"nested\"><FIELDS><FIELD attrname=\"X\" "
                     "fieldtype=\"i2\"/></FIELDS><PARAMS/></FIELD></FIELDS><PARAMS/>"),
            std::string::npos)
      << doc;
  EXPECT_NE(doc.find("<ROWDATA><ROW Id=\"7\"><Det><ROWDet RowState=\"4\" X=\"1\"/><ROWDet X=\"2\"/>"
                     "</Det></ROW><ROW><Det></Det></ROW></ROWDATA>"),
            std::string::npos)
      << doc;
}

TEST(XmlWriter, WriterChoiceByStreamMode) {
  EXPECT_NE(dynamic_cast<DSXMLWRITER*>(MakePacketWriter(5).get()), nullptr);
  EXPECT_NE(dynamic_cast<DSXMLWRITER*>(MakePacketWriter(13).get()), nullptr);
  EXPECT_NE(dynamic_cast<DSDATAPACKET*>(MakePacketWriter(0).get()), nullptr);
  DSXMLWRITER mixed;  // the text-body form without document bits is not written
  mixed.SetTextMode(kStreamXmlMetadata);
  EXPECT_EQ(mixed.BeginPacket(3, 1), dsengine::DBERR_NOTSUPPORTED);
}

TEST(XmlWriter, SaveToAnXmlNameWritesXml) {
  EXPECT_EQ(StreamModeForSave("C:\\Db\\Lyrics.roZoreda", 0), 0u);
  EXPECT_EQ(StreamModeForSave("lyrics.xml", 0), kStreamXml);
  EXPECT_EQ(StreamModeForSave("LYRICS.XML", 0), kStreamXml);
  EXPECT_EQ(StreamModeForSave("dir.xml/lyrics", 0), 0u);
  EXPECT_EQ(StreamModeForSave("lyrics.xmlx", 0), 0u);
  EXPECT_EQ(StreamModeForSave("lyrics.bin", 1), kStreamXml);
  EXPECT_EQ(StreamModeForSave("lyrics.bin", 2), kStreamXmlUtf8Mode);
}

#ifndef _WIN32
TEST(XmlWriter, DocumentsAreWellFormedForXmllint) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xmllint";
  DSXMLWRITER w;
  w.SetTextMode(kStreamXmlUtf8Mode);
  std::vector<LyricRow> rows = {
      {4, 1, "Bj\xF6rk & <Friends>", "\"Quote\" 'it'", "Tab\there", "a\r\nb\\c\n\xE9\x80", ""},
      {0, 2, "", "T", "", "", "C:\\Music\\x.mp3"}};
  ASSERT_EQ(WriteLyrics(w, rows, {1, 0, 4}, 3), 0);
  const std::string doc = Finish(w);
  const std::string path = ::testing::TempDir() + "xmlwriter_wellformed.xml";
  std::ofstream(path, std::ios::binary) << doc;
  EXPECT_EQ(std::system(("xmllint --noout " + path).c_str()), 0) << doc;
  std::remove(path.c_str());
}
#endif

}  // namespace
}  // namespace dspacket
