// Round trips: random column sets (every engine type with an XML form, with the parameters the
// export writes) and random rows, written once as XML and read back by the XML reader into the
// binary writer, give exactly the bytes the binary writer gives directly.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "datapacket/fieldtypes.h"
#include "datapacket/xml_testing.h"
#include "datapacket/xmlreader.h"
#include "datapacket/xmlwriter.h"
#include "tableengine/dsbcd.h"

namespace dspacket {
namespace {

using namespace dspacket::testing;
using namespace dsengine;

struct Param {
  std::string name;
  uint32_t type;
  std::vector<uint8_t> value;
};

enum class Kind {
  kInt,
  kBool,
  kFloat,
  kDate,
  kTime,
  kStamp,
  kSql,
  kBcd,
  kString,
  kWide,
  kVarBytes,
  kBlob,
  kMemo,
  kNested
};

struct ColSpec {
  std::string name;
  uint32_t type = 0;
  uint16_t attrs = 0;
  Kind kind = Kind::kInt;
  uint32_t width = 0;   // string/bytes width, BCD precision
  uint32_t places = 0;  // BCD decimal places
  std::vector<Param> params;
  std::vector<ColSpec> nested;
};

struct Op {  // one AppendValue call
  uint32_t status;
  std::vector<uint8_t> value;
};

class Generator {
 public:
  Generator(uint32_t seed, bool utf8) : rng_(seed), utf8_(utf8) {}

  uint32_t Next(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }

  ColSpec Column(int index, bool allowNested) {
    ColSpec c;
    c.name = Next(4) == 0 ? "col " + std::to_string(index) + "(x)" : "c" + std::to_string(index);
    c.attrs = static_cast<uint16_t>(Next(16) | kFieldAttrXmlAttribute);
    static constexpr uint32_t kInts[] = {fldINT16, fldINT32,  fldINT64, fldINT8,
                                         fldUINT8, fldUINT16, fldUINT32};
    const uint32_t pick = Next(allowNested ? 15 : 14);
    switch (pick) {
      case 0:
      case 1: {
        const uint32_t t = kInts[Next(7)];
        c.type = FieldTypeWordOf(t, t == fldINT64 ? 8 : t == fldINT32 || t == fldUINT32 ? 4 : 2, 0);
        if (t == fldINT8 || t == fldUINT8) c.type = MakeFieldTypeWord(t == fldINT8 ? 1 : 2, 1);
        if (t == fldINT32 && Next(2))
          c.params.push_back({"SUBTYPE", 0x00490002, StringParam("Autoinc")});
        c.kind = Kind::kInt;
        break;
      }
      case 2:
        c.type = FieldTypeWordOf(fldBOOL, 2, 0), c.kind = Kind::kBool;
        break;
      case 3:
        c.type = FieldTypeWordOf(fldFLOAT, 8, 0), c.kind = Kind::kFloat;
        if (Next(2)) c.params.push_back({"SUBTYPE", 0x00490002, StringParam("Money")});
        break;
      case 4:
        c.type = FieldTypeWordOf(fldDATE, 4, 0), c.kind = Kind::kDate;
        break;
      case 5:
        c.type = FieldTypeWordOf(fldTIME, 4, 0), c.kind = Kind::kTime;
        break;
      case 6:
        c.type = FieldTypeWordOf(fldTIMESTAMP, 8, 0), c.kind = Kind::kStamp;
        break;
      case 7:
        c.type = FieldTypeWordOf(fldDATETIME, 16, 0), c.kind = Kind::kSql;
        break;
      case 8: {
        c.kind = Kind::kBcd;
        c.width = 1 + Next(32);
        c.places = Next(std::min<uint32_t>(c.width, 20) + 1);
        c.type = FieldTypeWordOf(Next(2) ? fldBCD : fldFMTBCD, (c.width + 1) / 2 + 2, 0);
        if (c.places != 0) c.params.push_back({"DECIMALS", 0x00020002, LE<uint16_t>(c.places)});
        c.params.push_back({"WIDTH", 0x00020002, LE<uint16_t>(c.width)});
        break;
      }
      case 9:
      case 10:
        c.kind = Kind::kString;
        c.width = 1 + Next(400);
        c.type = FieldTypeWordOf(fldZSTRING, c.width + 1, 0);
        c.params.push_back({"WIDTH", 0x00020002, LE<uint16_t>(c.width)});
        break;
      case 11:
        c.kind = Next(2) ? Kind::kWide : Kind::kVarBytes;
        c.width = 1 + Next(300);
        c.type = FieldTypeWordOf(c.kind == Kind::kWide ? fldUNICODE : fldVARBYTES, c.width + 2, 0);
        c.params.push_back({"WIDTH", 0x00020002, LE<uint16_t>(c.width)});
        break;
      case 12:
      case 13:
        c.kind = Next(2) ? Kind::kMemo : Kind::kBlob;
        c.type = FieldTypeWordOf(fldBLOB, 4, 0);
        c.params.push_back(
            {"SUBTYPE", 0x00490002, StringParam(c.kind == Kind::kMemo ? "Text" : "Graphics")});
        break;
      default: {
        c.kind = Kind::kNested;
        const uint32_t n = 1 + Next(3);
        for (uint32_t i = 0; i < n; ++i)
          c.nested.push_back(Column(index * 10 + static_cast<int>(i), false));
        c.type = FieldTypeWordOf(fldTABLE, 4, n);
        break;
      }
    }
    return c;
  }

  std::string Text(size_t n, bool nonEmpty) {
    static const char kAscii[] = "abc XYZ<>&'\"\r\n\t\\;=#019";
    std::string s;
    const size_t length = (nonEmpty ? 1 : 0) + Next(static_cast<uint32_t>(n) + 1);
    for (size_t i = 0; i < length; ++i) {
      const uint32_t r = Next(4);
      s += r == 0             ? static_cast<char>(0xA0 + Next(96))
           : r == 1 && !utf8_ ? static_cast<char>(0x80 + Next(32))
                              : kAscii[Next(sizeof kAscii - 1)];
    }
    return s;
  }

  void Value(const ColSpec& c, std::vector<Op>* ops) {
    if (c.kind != Kind::kNested && Next(6) == 0) return ops->push_back({kItemNull, {}});
    std::vector<uint8_t> v;
    switch (c.kind) {
      case Kind::kInt:
        for (uint32_t i = 0; i < FieldWidth(c.type); ++i)
          v.push_back(static_cast<uint8_t>(Next(256)));
        break;
      case Kind::kBool:
        v = LE<uint16_t>(static_cast<uint16_t>(Next(2)));
        break;
      case Kind::kFloat: {
        double d;
        do {
          uint64_t bits =
              (uint64_t{Next(1u << 31)} << 33) ^ (uint64_t{Next(1u << 31)} << 2) ^ Next(4);
          std::memcpy(&d, &bits, 8);
        } while (d != d);
        v = LE(Next(3) == 0 ? static_cast<double>(static_cast<int>(Next(2000)) - 1000) / 8 : d);
        break;
      }
      case Kind::kDate:
        v = LE<int32_t>(static_cast<int32_t>(1 + Next(3652059)));
        break;
      case Kind::kTime:
        v = LE<int32_t>(static_cast<int32_t>(Next(86400000)));
        break;
      case Kind::kStamp:
        v = LE<double>((1.0 + Next(3652059)) * 86400000.0 + (Next(2) ? Next(86400000) : 0));
        break;
      case Kind::kSql:
        for (uint32_t x :
             {1 + Next(9999), 1 + Next(12), 1 + Next(31), Next(24), Next(60), Next(60)}) {
          const auto e = LE<uint16_t>(static_cast<uint16_t>(x));
          v.insert(v.end(), e.begin(), e.end());
        }
        for (uint8_t b : LE<uint32_t>(Next(1000))) v.push_back(b);
        break;
      case Kind::kBcd: {
        BcdValue b{};
        bool any = false;
        for (uint32_t i = 0; i < c.width; ++i) {
          const uint8_t d = static_cast<uint8_t>(Next(10));
          b.digits[kBcdIntDigits - (c.width - c.places) + i] = d;
          any |= d != 0;
        }
        b.negative = any && Next(2);
        v.assign((c.width + 1) / 2 + 2, 0);
        EXPECT_TRUE(BcdPack(b, c.width, c.places, v.data(), v.size()));
        break;
      }
      case Kind::kString: {
        const std::string s = Text(std::min<uint32_t>(c.width, 60), false);
        v.assign(s.begin(), s.end());
        if (v.empty()) v.push_back(0);  // an empty string: one zero byte
        break;
      }
      case Kind::kWide:
        for (uint32_t i = 0, n = 1 + Next(std::min<uint32_t>(c.width, 30)); i < n; ++i) {
          const uint32_t r = Next(3);
          const uint16_t unit = static_cast<uint16_t>(r == 0   ? 32 + Next(95)
                                                      : r == 1 ? 0xA0 + Next(0x100)
                                                               : 0x3000 + Next(0x5000));
          for (uint8_t x : LE(unit)) v.push_back(x);
        }
        break;
      case Kind::kVarBytes:
        for (uint32_t i = 0, n = 1 + Next(std::min<uint32_t>(c.width, 40)); i < n; ++i)
          v.push_back(static_cast<uint8_t>(Next(256)));
        break;
      case Kind::kBlob:
        for (uint32_t i = 0, n = Next(100); i < n; ++i)
          v.push_back(static_cast<uint8_t>(Next(256)));
        break;
      case Kind::kMemo: {
        const std::string s = Text(200, false);
        v.assign(s.begin(), s.end());
        break;
      }
      case Kind::kNested: {
        const uint32_t n = Next(4);
        ops->push_back({kItemValue, LE<uint32_t>(n)});
        for (uint32_t i = 0; i < n; ++i) Row(c.nested, ops);
        return;
      }
    }
    ops->push_back({kItemValue, v});
  }

  void Row(const std::vector<ColSpec>& columns, std::vector<Op>* ops) {
    static constexpr uint8_t kStates[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 0x20};
    ops->push_back({kItemValue, {kStates[Next(sizeof kStates)]}});
    for (const ColSpec& c : columns) Value(c, ops);
  }

 private:
  std::mt19937 rng_;
  bool utf8_;
};

DBResult EmitColumns(TDATAPACKET_WRITE& w, const std::vector<ColSpec>& columns) {
  for (const ColSpec& c : columns) {
    DSColumnDesc d = Col(c.name.c_str(), c.type, c.attrs);
    DBResult s = w.AppendColumn(d);
    for (const Param& p : c.params) {
      if (s == 0)
        s = w.AppendParameter(false, p.name.c_str(), p.type, static_cast<uint32_t>(p.value.size()),
                              p.value.data());
    }
    if (s == 0 && !c.nested.empty()) {
      s = EmitColumns(w, c.nested);
      if (s == 0) s = w.AppendParameter(true, nullptr, 0, 0, nullptr);
    }
    if (s != 0) return s;
  }
  return 0;
}

uint32_t CountColumns(const std::vector<ColSpec>& columns) {
  uint32_t n = 0;
  for (const ColSpec& c : columns) n += 1 + CountColumns(c.nested);
  return n;
}

DBResult Emit(TDATAPACKET_WRITE& w, const std::vector<ColSpec>& columns,
              const std::vector<Param>& tableParams, const std::vector<Op>& ops, ByteArray* out) {
  DBResult s = w.BeginPacket(3, CountColumns(columns));
  if (s == 0) s = EmitColumns(w, columns);
  for (const Param& p : tableParams) {
    if (s == 0)
      s = w.AppendParameter(true, p.name.c_str(), p.type, static_cast<uint32_t>(p.value.size()),
                            p.value.data());
  }
  for (const Op& op : ops) {
    if (s == 0)
      s = w.AppendValue(op.status, static_cast<uint32_t>(op.value.size()),
                        op.value.empty() ? nullptr : op.value.data());
  }
  if (s == 0) s = w.FinishPacket(out);
  return s;
}

TEST(XmlRoundTrip, RandomTablesThroughXmlGiveTheDirectBinaryBytes) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    const bool utf8 = seed % 2 == 0;
    Generator g(seed, utf8);
    std::vector<ColSpec> columns;
    for (int i = 0, n = 1 + static_cast<int>(g.Next(8)); i < n; ++i)
      columns.push_back(g.Column(i, true));
    std::vector<Param> tableParams;
    if (g.Next(2)) tableParams.push_back({"CHANGE_LOG", 0x00820004, U32Array({1, 0, 4, 2, 1, 8})});
    if (g.Next(2))
      tableParams.push_back(
          {"AUTOINCVALUE", 0x00010004, LE<int32_t>(static_cast<int32_t>(g.Next(1000)))});
    std::vector<Op> ops;
    for (uint32_t r = 0, n = g.Next(12); r < n; ++r) g.Row(columns, &ops);

    ByteArray direct, xml, relayed;
    DSDATAPACKET binary;
    ASSERT_EQ(Emit(binary, columns, tableParams, ops, &direct), 0) << seed;
    DSXMLWRITER xw;
    xw.SetTextMode(utf8 ? kStreamXmlUtf8Mode : kStreamXml);
    ASSERT_EQ(Emit(xw, columns, tableParams, ops, &xml), 0) << seed;
    DSXMLEXTRACT reader;
    ASSERT_EQ(reader.OpenPacket(xml.bytes()), 0) << seed;
    DSDATAPACKET rewriter;
    Relay relay(reader, rewriter);
    ASSERT_EQ(relay.Run(CountColumns(columns)), 0) << seed;
    ASSERT_EQ(rewriter.FinishPacket(&relayed), 0) << seed;
    ASSERT_EQ(Hex(relayed.bytes()), Hex(direct.bytes()))
        << "seed " << seed << "\n"
        << std::string(reinterpret_cast<const char*>(xml.data()), xml.size());
  }
}

TEST(XmlRoundTrip, LyricsWithAccentsAndLineBreaksInBothModes) {
  const std::vector<LyricRow> rows = {
      {4, 1, "Bj\xF6rk", "J\xF3ga", "Homogenic", "Line one\r\nLine two\r\n\xC9t\xE9", ""},
      {6, 2, "Sigur R\xF3s", "Hopp\xEDpolla", "", "", "C:\\M\\h.mp3"},
      {0, 3, "A & B", "<x>", "'q'", "\"", "s"}};
  for (uint32_t mode : {kStreamXml, kStreamXmlUtf8Mode}) {
    DSDATAPACKET binary;
    DSXMLWRITER xw;
    xw.SetTextMode(mode);
    ByteArray direct, xml, relayed;
    ASSERT_EQ(WriteLyrics(binary, rows, {1, 0, 4, 2, 0, 4, 3, 0, 4, 2, 0, 2}, 4), 0);
    ASSERT_EQ(binary.FinishPacket(&direct), 0);
    ASSERT_EQ(WriteLyrics(xw, rows, {1, 0, 4, 2, 0, 4, 3, 0, 4, 2, 0, 2}, 4), 0);
    ASSERT_EQ(xw.FinishPacket(&xml), 0);
    DSXMLEXTRACT reader;
    ASSERT_EQ(reader.OpenPacket(xml.bytes()), 0);
    DSDATAPACKET rewriter;
    Relay relay(reader, rewriter);
    ASSERT_EQ(relay.Run(6), 0);
    ASSERT_EQ(rewriter.FinishPacket(&relayed), 0);
    // The columns read from XML carry the attribute bit 0x10; apart from it the bytes agree.
    std::vector<uint8_t> expected = ToVector(direct), got = ToVector(relayed);
    ASSERT_EQ(expected.size(), got.size());
    size_t differing = 0;
    for (size_t i = 0; i < got.size(); ++i) {
      if (got[i] != expected[i]) {
        EXPECT_EQ(got[i], expected[i] | kFieldAttrXmlAttribute) << i;
        ++differing;
      }
    }
    EXPECT_EQ(differing, 6u);  // one attribute word per column
  }
}

TEST(XmlRoundTrip, NamesThatMapToTheSameAttributeKeepTheirOwnValues) {
  // "a b", "a_b", "a(b", "a\\b" and "a\001b" all turn into the attribute name a_b; each keeps
  // its value. A backslash or a control character in an attribute name would not read back.
  std::vector<ColSpec> columns;
  for (const char* name : {"a b", "a_b", "a(b", "a_b_2", "a\\b", "a\001b"}) {
    ColSpec c;
    c.name = name;
    c.kind = Kind::kString;
    c.width = 10;
    c.type = FieldTypeWordOf(fldZSTRING, c.width + 1, 0);
    columns.push_back(c);
  }
  std::vector<Op> ops{{kItemValue, {0}}};  // row state, then the values
  for (const char* value : {"one", "two", "three", "four", "five", "six"})
    ops.push_back({kItemValue, std::vector<uint8_t>(value, value + std::strlen(value))});
  for (uint32_t mode : {kStreamXml, kStreamXmlUtf8Mode}) {
    ByteArray direct, xml, relayed;
    DSDATAPACKET binary;
    ASSERT_EQ(Emit(binary, columns, {}, ops, &direct), 0);
    DSXMLWRITER xw;
    xw.SetTextMode(mode);
    ASSERT_EQ(Emit(xw, columns, {}, ops, &xml), 0);
    const std::string doc(reinterpret_cast<const char*>(xml.data()), xml.size());
    EXPECT_NE(doc.find("attrname=\"a_b_3\""), std::string::npos) << doc;
    EXPECT_NE(doc.find("fieldname=\"a&#092;b\" attrname=\"a_b_4\""), std::string::npos) << doc;
    DSXMLEXTRACT reader;
    ASSERT_EQ(reader.OpenPacket(xml.bytes()), 0);
    DSDATAPACKET rewriter;
    Relay relay(reader, rewriter);
    ASSERT_EQ(relay.Run(static_cast<uint32_t>(columns.size())), 0);
    ASSERT_EQ(rewriter.FinishPacket(&relayed), 0);
    // Apart from the attribute bit 0x10 that columns read from XML carry, the bytes agree.
    std::vector<uint8_t> expected = ToVector(direct), got = ToVector(relayed);
    ASSERT_EQ(expected.size(), got.size()) << doc;
    for (size_t i = 0; i < got.size(); ++i) {
      if (got[i] != expected[i]) {
        EXPECT_EQ(got[i], expected[i] | kFieldAttrXmlAttribute) << i;
      }
    }
  }
}

}  // namespace
}  // namespace dspacket
