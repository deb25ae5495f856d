// XML packet reader: the lyrics table's document as the writer lays it out (built here by
// hand), encodings, the first-element rules, parameters, missing values, element form, nested
// rows, reference reading, every failure status, and the choice of reader by content.
#include "datapacket/xmlreader.h"

#include <gtest/gtest.h>

#include "datapacket/packetformats.h"
#include "datapacket/xml_testing.h"
#include "datapacket/xmlwriter.h"

namespace dspacket {
namespace {

using namespace dspacket::testing;
using dsengine::DBResult;

std::span<const uint8_t> Span(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

struct Item {
  uint32_t status;
  std::string value;
};

// Reads all metadata; returns the columns and records the parameters as "name=type:hex".
std::vector<DSColumnDesc> ReadMetadata(DSXMLEXTRACT& r, std::vector<std::string>* params) {
  std::vector<DSColumnDesc> columns;
  auto readParams = [&] {
    for (;;) {
      char name[kParamNameBufferSize];
      uint32_t type = 0, length = 64;
      uint8_t value[64];
      const DBResult s = r.NextParameter(name, &type, &length, value);
      if (s != 0) {
        EXPECT_EQ(s, dsengine::DBERR_EOF);
        return;
      }
      params->push_back(std::string(name) + "=" + Recorder::Word(type) + ":" +
                        Hex({value, length}));
    }
  };
  int depth = 0;
  for (;;) {
    DSColumnDesc c{};
    const DBResult s = r.NextColumn(&c);
    if (s == dsengine::DBERR_EOF) {
      readParams();  // table parameters; the end of level 0's opens the rows
      if (depth-- == 0) return columns;
      continue;
    }
    EXPECT_EQ(s, 0);
    if (s != 0) return columns;
    columns.push_back(c);
    readParams();
    if (FieldPacketType(c.fieldType) == kPacketNested) ++depth;
  }
}

std::vector<Item> ReadItems(DSXMLEXTRACT& r) {
  std::vector<Item> items;
  for (;;) {
    uint32_t length = 0, status = 0;
    char buf[512];
    length = sizeof buf;
    const DBResult s = r.ReadNextItem(&length, buf, &status);
    if (s == dsengine::DBERR_EOF) return items;
    EXPECT_EQ(s, 0);
    if (s != 0) return items;
    items.push_back({status, std::string(buf, length)});
  }
}

const char kLyricsHead[] =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"Id\" fieldtype=\"i4\" SUBTYPE=\"Autoinc\"/>"
    "<FIELD attrname=\"Artist\" fieldtype=\"string\" WIDTH=\"180\"/>"
    "<FIELD attrname=\"Title\" fieldtype=\"string\" WIDTH=\"180\"/>"
    "<FIELD attrname=\"Album\" fieldtype=\"string\" WIDTH=\"180\"/>"
    "<FIELD attrname=\"Lyric\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\"/>"
    "<FIELD attrname=\"SongFileName\" fieldtype=\"string\" WIDTH=\"500\"/>"
    "</FIELDS><PARAMS CHANGE_LOG=\"1 0 4 2 0 4 3 0 4 2 0 2\" AUTOINCVALUE=\"4\"/></METADATA>";

TEST(XmlReader, LyricsTableColumnsParametersAndRows) {
  const std::string doc = std::string(kLyricsHead) +
                          "<ROWDATA><ROW RowState=\"6\" Id=\"2\" Artist=\"Rock\" Title=\"\" "
                          "Lyric=\"one&#013;&#010;two\"/><ROW Id=\"3\"/></ROWDATA></DATAPACKET>";
  DSXMLEXTRACT r;
  ASSERT_EQ(r.OpenPacket(Span(doc)), 0);
  EXPECT_EQ(r.TextMode(), 5u);
  std::vector<std::string> params;
  const std::vector<DSColumnDesc> columns = ReadMetadata(r, &params);
  ASSERT_EQ(columns.size(), 6u);
  const uint32_t types[] = {0x00010004, 0x00490001, 0x00490001, 0x00490001, 0x004B0004, 0x00490002};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(columns[i].fieldType, types[i]) << i;
    EXPECT_EQ(columns[i].attributes, kFieldAttrXmlAttribute) << i;
  }
  EXPECT_STREQ(columns[5].name, "SongFileName");
  const std::vector<std::string> expected = {
      "SUBTYPE=00490002:0800" + Hex(Span(std::string("Autoinc", 8))),
      "WIDTH=00020002:b400",
      "WIDTH=00020002:b400",
      "WIDTH=00020002:b400",
      "SUBTYPE=00490002:0500" + Hex(Span(std::string("Text", 5))),
      "WIDTH=00020002:f401",
      "CHANGE_LOG=00820004:0c000000" +
          Hex(U32Array({1, 0, 4, 2, 0, 4, 3, 0, 4, 2, 0, 2})).substr(8),
      "AUTOINCVALUE=00010004:04000000"};
  EXPECT_EQ(params, expected);
  const std::vector<Item> items = ReadItems(r);
  ASSERT_EQ(items.size(), 14u);
  EXPECT_EQ(items[0].value, std::string(1, '\x06'));
  EXPECT_EQ(items[2].value, "Rock");
  EXPECT_EQ(items[3].value, std::string(1, '\0'));  // an empty string is one zero byte
  EXPECT_EQ(items[4].status, kItemUnchanged);       // missing: the import makes it null
  EXPECT_EQ(items[5].value, "one\r\ntwo");
  EXPECT_EQ(items[7].value, std::string(1, '\0'));  // no RowState: 0
  EXPECT_EQ(items[8].value, std::string("\x03\0\0\0", 4));
}

TEST(XmlReader, ByteOrderMarkAndBlanksBeforeTheFirstTag) {
  const std::string doc =
      "\xEF\xBB\xBF \r\n\t<!-- c --><DATAPACKET><METADATA><FIELDS>"
      "<FIELD attrname=\"A\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>"
      "</METADATA><ROWDATA><ROW A=\"Bj\xC3\xB6rk\"/></ROWDATA></DATAPACKET>";
  DSXMLEXTRACT r;
  ASSERT_EQ(r.OpenPacket(Span(doc)), 0);
  EXPECT_TRUE(r.Utf8());
  std::vector<std::string> params;
  ASSERT_EQ(ReadMetadata(r, &params).size(), 1u);
  const std::vector<Item> items = ReadItems(r);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].value, "Bj\xF6rk");
}

TEST(XmlReader, DeclaredUtf8OnlyWhenWellFormed) {
  auto artist = [](const std::string& bytes) {
    const std::string doc =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><DATAPACKET><METADATA>"
        "<FIELDS><FIELD attrname=\"A\" fieldtype=\"string\"/></FIELDS>"
        "</METADATA><ROWDATA><ROW A=\"" +
        bytes + "\"/></ROWDATA></DATAPACKET>";
    DSXMLEXTRACT r;
    EXPECT_EQ(r.OpenPacket(Span(doc)), 0);
    std::vector<std::string> params;
    ReadMetadata(r, &params);
    const std::vector<Item> items = ReadItems(r);
    return items.size() == 2 ? items[1].value : std::string("?");
  };
  EXPECT_EQ(artist("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xE9 \x80");  // UTF-8 to the code page
  EXPECT_EQ(artist("Caf\xE9"), "Caf\xE9");  // not well-formed UTF-8: read as 8-bit
  EXPECT_EQ(artist("\xE2\x84\xA2 &#8482; &#233;"), "\x99 \x99 \xE9");
}

TEST(XmlReader, ReferencesAreReadByTheLettersAfterTheAmpersand) {
  const XmlTextDecoder d(false);
  EXPECT_EQ(d.Text8("&lt;&gt;&amp;&apos;&quot;"), "<>&'\"");
  EXPECT_EQ(d.Text8("&#65;&#x42;&#X43;&#013;&#010;"), "ABC\r\n");
  EXPECT_EQ(d.Text8("&apXXX&aXXX&gXX&lXX&qXXXX"), "'&><\"");  // fixed skips, as documented
  EXPECT_EQ(d.Text8("a & b &z; &#12x; &#"), "a & b &z; &#12x; &#");
  EXPECT_EQ(d.Text8("&l"), "&l");  // would run past the text
  EXPECT_EQ(d.Text16("&#8224;x"), u"\u2020x");
}

// Every refusal of a document, with its status and reason; "@" in a reason stands for the
// offset of the case's marker text in the document.
TEST(XmlReader, FailureStatusesAndReasons) {
  const std::string field = "<FIELD attrname=\"A\" fieldtype=\"i4\"/>";
  const std::string head = "<DATAPACKET><METADATA><FIELDS>" + field + "</FIELDS>";
  using dsengine::DBERR_DATAPACKETMISMATCH;
  struct Case {
    std::string doc;
    DBResult status;
    std::string reason;
    std::string marker;  // its offset replaces "@" in the reason
  } cases[] = {
      {"", DBERR_DATAPACKETMISMATCH, "neither binary nor XML: 0 bytes without a tag", ""},
      {"  x<DATAPACKET/>", DBERR_DATAPACKETMISMATCH,
       "neither binary nor XML: 'x' (0x78) at offset 2 where a '<' should start the document", ""},
      {std::string("\0<DATAPACKET/>", 14), DBERR_DATAPACKETMISMATCH,
       "neither binary nor XML: '\\x00' (0x00) at offset 0 where a '<' should start the document",
       ""},
      {"<!-- nothing -->", DBERR_DATAPACKETMISMATCH, "the document holds no element", ""},
      {"<DATAPACKET></DATAPACKET>", DBERR_DATAPACKETMISMATCH,
       "<DATAPACKET> at offset 0 holds no element", ""},
      {"<DATAPACKET><FOO/></DATAPACKET>", DBERR_DATAPACKETMISMATCH,
       "<FOO> at offset @ where <METADATA> or <ROWDATA> should come", "<FOO"},
      {"<DATAPACKET><METADATA><PARAMS/></METADATA></DATAPACKET>", DBERR_DATAPACKETMISMATCH,
       "<METADATA> at offset @ does not start with <FIELDS>", "<METADATA"},
      {"<DATAPACKET><ROWDATA/></DATAPACKET>", dsengine::DBERR_NOMETADATA,
       "<ROWDATA> at offset @ comes before any <METADATA>", "<ROWDATA"},
      {"<DATAPACKET><METADATA><FIELDS></FIELDS></METADATA></DATAPACKET>", DBERR_DATAPACKETMISMATCH,
       "<FIELDS> at offset @ holds no <FIELD>", "<FIELDS"},
      {"<DATAPACKET><METADATA><FIELDS>" + field + "</FIELD></METADATA></DATAPACKET>",
       DBERR_DATAPACKETMISMATCH,
       "end tag </FIELD> at offset @ does not close <FIELDS> at offset 22", "</FIELD>"},
      {head + "</METADATA>", DBERR_DATAPACKETMISMATCH, "<DATAPACKET> at offset 0 is never closed",
       ""},
      {"<DATAPACKET></DATAPACKET></DATAPACKET>", DBERR_DATAPACKETMISMATCH,
       "end tag </DATAPACKET> at offset 25 closes no element", ""},
      {"<DATAPACKET></DATAPACKET", DBERR_DATAPACKETMISMATCH, "end tag at offset 12 has no '>'", ""},
      {"<?xml version=\"1.0\"", DBERR_DATAPACKETMISMATCH,
       "processing instruction at offset 0 has no end \"?>\"", ""},
      {"<DATAPACKET><METADATA><FIELDS>" + field + "<!-- open", DBERR_DATAPACKETMISMATCH,
       "comment at offset @ has no end \"-->\"", "<!--"},
      {"<DATAPACKET>< METADATA/></DATAPACKET>", DBERR_DATAPACKETMISMATCH,
       "tag at offset 12 has no name", ""},
      {"<DATAPACKET/ >", DBERR_DATAPACKETMISMATCH,
       "'/' at offset 11 in tag <DATAPACKET> is not followed by '>'", ""},
      {"<DATAPACKET =\"1\"/>", DBERR_DATAPACKETMISMATCH,
       "'=' at offset 12 in tag <DATAPACKET> where an attribute name should be", ""},
      {"<DATAPACKET Version/>", DBERR_DATAPACKETMISMATCH,
       "attribute Version of <DATAPACKET> at offset 12 has no '='", ""},
      {"<DATAPACKET Version=2.0/>", DBERR_DATAPACKETMISMATCH,
       "value of attribute Version of <DATAPACKET> at offset 12 is not quoted", ""},
      {head + "</METADATA><ROWDATA><ROW A=\"1/></ROWDATA></DATAPACKET>", DBERR_DATAPACKETMISMATCH,
       "value of attribute A of <ROW> at offset @ has no closing quote", "A=\"1"},
      {"<DATAPACKET", DBERR_DATAPACKETMISMATCH,
       "tag <DATAPACKET> at offset 0 runs to the end of the text", ""},
      {"<DATAPACKET><METADATA><FIELDS><FIELD fieldtype=\"i4\"/></FIELDS></METADATA></DATAPACKET>",
       DBERR_DATAPACKETMISMATCH, "<FIELD> at offset @ has neither attrname nor tagname", "<FIELD "},
      {"<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"\" fieldtype=\"i4\"/></FIELDS>"
       "</METADATA></DATAPACKET>",
       dsengine::DBERR_NOFIELDNAME, "<FIELD> at offset @ has an empty name", "<FIELD "},
      {"<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\"/></FIELDS></METADATA></DATAPACKET>",
       dsengine::DBERR_INVALIDFLDTYPE, "column A, <FIELD> at offset @: no fieldtype", "<FIELD "},
      {"<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"i3\"/></FIELDS>"
       "</METADATA></DATAPACKET>",
       dsengine::DBERR_INVALIDFLDTYPE,
       "column A, <FIELD> at offset @: fieldtype \"i3\" (WIDTH -1) is no column type", "<FIELD "},
      {head + "<PARAMS><PARAM Name=\"X\"/></PARAMS></METADATA></DATAPACKET>",
       DBERR_DATAPACKETMISMATCH, "<PARAM> at offset @ without Value", "<PARAM "},
      {head + "<PARAMS><PARAM Value=\"X\"/></PARAMS></METADATA></DATAPACKET>",
       DBERR_DATAPACKETMISMATCH, "<PARAM> at offset @ without Name", "<PARAM "},
      {head + "<PARAMS><PARAM Name=\"X\" Value=\"1\" Type=\"i3\"/></PARAMS></METADATA>"
              "</DATAPACKET>",
       dsengine::DBERR_INVALIDFLDTYPE, "<PARAM> at offset @: Type \"i3\" is no parameter type",
       "<PARAM "},
      {head + "<PARAMS " + std::string(256, 'P') + "=\"1\"/></METADATA></DATAPACKET>",
       DBERR_DATAPACKETMISMATCH, "parameter name of 256 characters at offset @ (at most 255)",
       "PPP"},
  };
  for (const Case& c : cases) {
    std::string reason = c.reason;
    if (const size_t at = reason.find('@'); at != std::string::npos)
      reason.replace(at, 1, std::to_string(c.doc.find(c.marker)));
    DSXMLEXTRACT r;
    EXPECT_EQ(r.OpenPacket(Span(c.doc)), c.status) << c.doc;
    EXPECT_EQ(r.Fault().status, c.status) << c.doc;
    EXPECT_EQ(r.Fault().reason, reason) << c.doc;
    DSColumnDesc col;
    EXPECT_EQ(r.NextColumn(&col), c.status) << "sticky: " << c.doc;
    EXPECT_EQ(r.Fault().reason, reason) << "sticky: " << c.doc;
  }
}

// A reason places its element by its offset in the packet: a byte order mark and blanks before
// the first tag count.
TEST(XmlReader, ReasonsCountTheBytesBeforeTheFirstTag) {
  const std::string doc =
      "\xEF\xBB\xBF\r\n<DATAPACKET>\r\n<METADATA>\r\n<FIELDS>\r\n<FIELD attrname=\"A\"/>\r\n"
      "</FIELDS></METADATA></DATAPACKET>";
  DSXMLEXTRACT r;
  EXPECT_EQ(r.OpenPacket(Span(doc)), dsengine::DBERR_INVALIDFLDTYPE);
  EXPECT_EQ(r.Fault().reason, "column A, <FIELD> at offset " + std::to_string(doc.find("<FIELD ")) +
                                  ": no fieldtype");
  const std::string cut = doc.substr(0, doc.find("attrname") + 11);  // inside "A"
  EXPECT_EQ(r.OpenPacket(Span(cut)), dsengine::DBERR_DATAPACKETMISMATCH);
  EXPECT_EQ(r.Fault().reason, "value of attribute attrname of <FIELD> at offset " +
                                  std::to_string(doc.find("attrname")) + " has no closing quote");
}

// Limits on hostile input name the limit.
TEST(XmlReader, LimitsOnHostileInputAreRefusedWithTheirLimit) {
  std::string attributes = "<DATAPACKET";
  for (size_t i = 0; i <= kMaxXmlAttributes; ++i) attributes += " a=\"\"";
  attributes += "/>";
  DSXMLEXTRACT r;
  EXPECT_EQ(r.OpenPacket(Span(attributes)), dsengine::DBERR_DATAPACKETMISMATCH);
  EXPECT_EQ(r.Fault().reason, "tag <DATAPACKET> at offset 0 has more than " +
                                  std::to_string(kMaxXmlAttributes) + " attributes");

  // Many columns and as many elements: row items beyond what the document's size allows.
  std::string wide = "<DATAPACKET><METADATA><FIELDS>";
  for (int i = 0; i < 3000; ++i)
    wide += "<FIELD attrname=\"c" + std::to_string(i) + "\" fieldtype=\"i4\"/>";
  wide += "</FIELDS></METADATA><ROWDATA>";
  for (int i = 0; i < 3000; ++i) wide += "<ROW/>";
  wide += "</ROWDATA></DATAPACKET>";
  EXPECT_EQ(r.OpenPacket(Span(wide)), dsengine::DBERR_DATAPACKETMISMATCH);
  const std::string elements = std::to_string(4 + 3000 + 3000);
  EXPECT_EQ(r.Fault().reason, elements +
                                  " elements of 3000 columns could give more row items "
                                  "than a document of " +
                                  std::to_string(wide.size()) + " bytes may (64 per byte)");
}

TEST(XmlReader, DeepNestingIsRefusedNotRecursed) {
  std::string doc = "<DATAPACKET><METADATA><FIELDS>";
  for (int i = 0; i < 100000; ++i) doc += "<a>";
  DSXMLEXTRACT r;
  EXPECT_EQ(r.OpenPacket(Span(doc)), dsengine::DBERR_DATAPACKETMISMATCH);
  EXPECT_EQ(r.Fault().reason, "<a> at offset " + std::to_string(30 + 3 * kMaxXmlElementDepth - 9) +
                                  " is nested deeper than " + std::to_string(kMaxXmlElementDepth) +
                                  " elements");
  std::string nested = "<METADATA><FIELDS>";
  for (int i = 0; i < 70; ++i) nested += "<FIELD attrname=\"N\" fieldtype=\"nested\"><FIELDS>";
  nested += "<FIELD attrname=\"x\" fieldtype=\"i4\"/>";
  for (int i = 0; i < 70; ++i) nested += "</FIELDS></FIELD>";
  nested += "</FIELDS></METADATA>";
  EXPECT_EQ(r.OpenPacket(Span(nested)), dsengine::DBERR_NA);  // 64th level
  const size_t fields = 18 + 62 * 47 + 39;                    // the 64th level's <FIELDS>
  EXPECT_EQ(nested.substr(fields, 8), "<FIELDS>");
  EXPECT_EQ(r.Fault().reason, "<FIELDS> at offset " + std::to_string(fields) +
                                  ": nested tables deeper than 63 levels");
}

TEST(XmlReader, ElementFormRowsAndProcessingInstructions) {
  const std::string doc =
      "<?xml version=\"1.0\"?><?other x?><DATAPACKET><METADATA><FIELDS>"
      "<FIELD tagname=\"Name\" fieldname=\"Full Name\" fieldtype=\"string\" WIDTH=\"30\"/>"
      "<FIELD tagname=\"N\" fieldtype=\"i2\"/></FIELDS><PARAMS/></METADATA><ROWDATA>"
      "<ROW><Name dt:dt=\"string\">Ann &amp; Bob</Name><N>12</N></ROW><ROW><!-- none --></ROW>"
      "</ROWDATA></DATAPACKET>";
  DSXMLEXTRACT r;
  ASSERT_EQ(r.OpenPacket(Span(doc)), 0);
  std::vector<std::string> params;
  const std::vector<DSColumnDesc> columns = ReadMetadata(r, &params);
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_STREQ(columns[0].name, "Full Name");
  EXPECT_EQ(columns[0].attributes, 0);  // not read with attrname
  const std::vector<Item> items = ReadItems(r);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[1].value, "Ann & Bob");
  EXPECT_EQ(items[2].value, std::string("\x0C\0", 2));
  EXPECT_EQ(items[4].status, kItemUnchanged);
}

TEST(XmlReader, NestedRowsEndWithTheirElement) {
  const std::string doc =
      "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"Id\" fieldtype=\"i4\"/>"
      "<FIELD attrname=\"Det\" fieldtype=\"nested\"><FIELDS><FIELD attrname=\"X\" "
      "fieldtype=\"i2\"/>"
      "</FIELDS><PARAMS/></FIELD><FIELD attrname=\"Z\" fieldtype=\"i2\"/></FIELDS><PARAMS/>"
      "</METADATA><ROWDATA><ROW Id=\"1\" Z=\"9\"><Det><ROWDet X=\"5\"/><ROWDet RowState=\"4\" "
      "X=\"6\"/>"
      "</Det></ROW><ROW Id=\"2\"/></ROWDATA></DATAPACKET>";
  DSXMLEXTRACT r;
  ASSERT_EQ(r.OpenPacket(Span(doc)), 0);
  std::vector<std::string> params;
  const std::vector<DSColumnDesc> columns = ReadMetadata(r, &params);
  ASSERT_EQ(columns.size(), 4u);
  EXPECT_EQ(columns[1].fieldType, 0x050E0001u);
  std::vector<std::string> got;
  for (const Item& i : ReadItems(r))
    got.push_back(std::to_string(i.status) + ":" + Hex(Span(i.value)));
  const std::vector<std::string> expected = {"0:00",   "0:01000000", "0:02000000", "0:00",
                                             "0:0500", "0:04",       "0:0600",     "0:0900",
                                             "0:00",   "0:02000000", "0:00000000", "2:"};
  EXPECT_EQ(got, expected);
}

TEST(XmlReader, BufferTooSmallReportsTheLengthAndStays) {
  const std::string doc =
      std::string(kLyricsHead) +
      "<ROWDATA><ROW Id=\"2\" Artist=\"Rock and Roll\"/></ROWDATA></DATAPACKET>";
  DSXMLEXTRACT r;
  ASSERT_EQ(r.OpenPacket(Span(doc)), 0);
  char name[kParamNameBufferSize];
  uint32_t type, length = 3;
  uint8_t small[3];
  DSColumnDesc c;
  ASSERT_EQ(r.NextColumn(&c), 0);
  EXPECT_EQ(r.NextParameter(name, &type, &length, small), dsengine::DBERR_INVALIDPARAM);
  EXPECT_EQ(length, 10u);                           // "Autoinc" with its zero and 2-byte prefix
  EXPECT_EQ(r.NextColumn(&c), dsengine::DBERR_NA);  // the parameter is still unread
  uint8_t big[16];
  length = sizeof big;
  ASSERT_EQ(r.NextParameter(name, &type, &length, big), 0);
  EXPECT_STREQ(name, "SUBTYPE");
  std::vector<std::string> params;
  ReadMetadata(r, &params);
  uint32_t status;
  length = 1;
  uint8_t state;
  ASSERT_EQ(r.ReadNextItem(&length, &state, &status), 0);
  length = sizeof big;
  ASSERT_EQ(r.ReadNextItem(&length, big, &status), 0);
  length = 3;
  EXPECT_EQ(r.ReadNextItem(&length, small, &status), dsengine::DBERR_INVALIDPARAM);
  EXPECT_EQ(length, 13u);
}

TEST(XmlReader, ReaderChoiceByContent) {
  DSXMLWRITER xml;
  xml.SetTextMode(kStreamXml);
  DSDATAPACKET binary;
  ByteArray x, b;
  ASSERT_EQ(WriteLyrics(xml, {}, {}, 1), 0);
  ASSERT_EQ(xml.FinishPacket(&x), 0);
  ASSERT_EQ(WriteLyrics(binary, {}, {}, 1), 0);
  ASSERT_EQ(binary.FinishPacket(&b), 0);
  std::unique_ptr<TDATAPACKET_READ> reader;
  uint32_t mode = 99;
  ASSERT_EQ(OpenPacketByContent(b.bytes(), &reader, &mode), 0);
  EXPECT_EQ(mode, 0u);
  EXPECT_NE(dynamic_cast<DSEXTRACT*>(reader.get()), nullptr);
  ASSERT_EQ(OpenPacketByContent(x.bytes(), &reader, &mode), 0);
  EXPECT_EQ(mode, 5u);
  EXPECT_NE(dynamic_cast<DSXMLEXTRACT*>(reader.get()), nullptr);
  std::vector<uint8_t> badVersion = ToVector(b);
  badVersion[4] = 4;  // version major 4: not binary, and not XML either
  EXPECT_EQ(OpenPacketByContent(badVersion, &reader), dsengine::DBERR_DATAPACKETMISMATCH);
  EXPECT_EQ(reader, nullptr);
}

TEST(XmlReader, MissingValueRules) {
  EXPECT_TRUE(XmlMissingMeansUnchanged(0x000B0008, 0, false));   // fixed-size bytes
  EXPECT_TRUE(XmlMissingMeansUnchanged(0x004B0004, 8, false));   // BLOB, modified version
  EXPECT_FALSE(XmlMissingMeansUnchanged(0x004B0004, 4, false));  // BLOB, inserted
  EXPECT_FALSE(XmlMissingMeansUnchanged(0x00490001, 8, false));
  EXPECT_TRUE(XmlMissingMeansUnchanged(0x00490001, 8, true));  // delta table
}

}  // namespace
}  // namespace dspacket
