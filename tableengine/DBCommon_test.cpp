// Filter parser: canonical blocks byte for byte, the tokenizer's quote rule, and every failure
// message.
#include "tableengine/DBCommon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

namespace db {
namespace {

// The lyrics table's fields, plus fields of other types and kinds for the typing rules.
const TExprFieldList& Lyrics() {
  static const TExprFieldList list("cdsMain", {
                                                  {"Id", "", 1, ftAutoInc, 0, fkData},
                                                  {"Artist", "", 2, ftString, 180, fkData},
                                                  {"Album", "", 3, ftString, 180, fkData},
                                                  {"Title", "", 4, ftString, 180, fkData},
                                                  {"Lyric", "", 5, ftMemo, 0, fkData},
                                                  {"SongFileName", "", 6, ftString, 500, fkData},
                                                  {"Flag", "", 7, ftBoolean, 0, fkData},
                                                  {"Small", "", 8, ftSmallint, 0, fkData},
                                                  {"W", "", 9, ftWord, 0, fkData},
                                                  {"Big", "", 10, ftLargeint, 0, fkData},
                                                  {"Calc", "", 11, ftString, 10, fkCalculated},
                                                  {"Price", "", 12, ftFloat, 0, fkData},
                                                  {"Born", "", 13, ftDate, 0, fkData},
                                                  {"Pic", "", 14, ftBytes, 4, fkData},
                                              });
  return list;
}

// Canonical-block bytes, assembled from the layout in the test.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& U16(uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Bytes& U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16));
  }
  Bytes& Node(uint32_t cls, uint32_t op, std::initializer_list<uint16_t> operands) {
    U32(cls).U32(op);
    for (uint16_t o : operands) U16(o);
    return *this;
  }
  Bytes& Text(const std::string& s) {  // NUL-terminated
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    return *this;
  }
  Bytes& Raw(const void* p, size_t n) {
    auto* q = static_cast<const uint8_t*>(p);
    b.insert(b.end(), q, q + n);
    return *this;
  }
};

std::vector<uint8_t> Block(const Bytes& nodes, const Bytes& literals) {
  Bytes out;
  size_t total = 10 + nodes.b.size() + literals.b.size();
  out.U16(2).U16(static_cast<uint16_t>(total)).U16(0xFFFF).U16(10);
  out.U16(static_cast<uint16_t>(10 + nodes.b.size()));
  out.b.insert(out.b.end(), nodes.b.begin(), nodes.b.end());
  out.b.insert(out.b.end(), literals.b.begin(), literals.b.end());
  return out.b;
}

TExprParser Parse(const std::string& text, TFilterOptions fo = foCaseInsensitive,
                  TParserOptions po = poExtendedSyntax) {
  return TExprParser(Lyrics(), text, fo, po);
}

std::string ErrorOf(const std::string& text, TFilterOptions fo = foCaseInsensitive,
                    TParserOptions po = poExtendedSyntax) {
  TExprParser p = Parse(text, fo, po);
  EXPECT_FALSE(p.Ok()) << text;
  EXPECT_TRUE(p.Block().empty()) << text;
  return p.Error().message;
}

// The literal area of a block.
std::string Literals(const TExprParser& p) {
  const auto& b = p.Block();
  uint16_t at = static_cast<uint16_t>(b[8] | b[9] << 8);
  return std::string(b.begin() + at, b.end());
}

TEST(FilterParser, LikeOnLyricsTableCaseInsensitiveIsTheSixtyTwoByteBlock) {
  Bytes nodes, lits;
  nodes.Node(3, 30, {1, 0, 16, 28});  // compare node: case-insensitive, whole value
  nodes.Node(4, 13, {2, 0});          // field 2 "Artist" at literal 0
  nodes.Node(5, 14, {1, 3, 7});       // string constant, 3 bytes at literal 7
  lits.Text("Artist").Text("b%");
  std::vector<uint8_t> expected = Block(nodes, lits);
  ASSERT_EQ(expected.size(), 62u);
  TExprParser p = Parse("Artist like 'b%'");
  ASSERT_TRUE(p.Ok()) << p.Error().message;
  EXPECT_EQ(p.Block(), expected);
  EXPECT_EQ(p.DataSize(), 62);
}

TEST(FilterParser, LikeWithoutCaseInsensitivityIsABinaryNodeFourBytesShorter) {
  Bytes nodes, lits;
  nodes.Node(2, 30, {12, 24});
  nodes.Node(4, 13, {2, 0});
  nodes.Node(5, 14, {1, 3, 7});
  lits.Text("Artist").Text("b%");
  TExprParser p = Parse("Artist like 'b%'", 0);
  ASSERT_TRUE(p.Ok()) << p.Error().message;
  EXPECT_EQ(p.Block(), Block(nodes, lits));
  EXPECT_EQ(p.DataSize(), 58);
}

TEST(FilterParser, FieldNameIsWrittenAsTheTextSpellsIt) {
  TExprParser p = Parse("[aRTIST] like 'b%'");
  ASSERT_TRUE(p.Ok());
  EXPECT_EQ(Literals(p), std::string("aRTIST\0b%\0", 10));
}

TEST(FilterParser, ApostrophesInsideLiterals) {
  struct Case {
    const char* text;
    const char* literal;
  } cases[] = {
      {"Title like 'it''s%'", "it's%"},
      {"Title like 'it's%'", "it's%"},
      {"Title like 'abc'%'", "abc'%"},
      {"Title like 'a''b%'", "a'b%"},
      {"Title like 'o'neil%'", "o'neil%"},
      {"Title like 'x' and Artist like 'y%'", "x"},  // keyword behind the quote closes
  };
  for (const Case& c : cases) {
    TExprParser p = Parse(c.text);
    ASSERT_TRUE(p.Ok()) << c.text << ": " << p.Error().message;
    std::string lits = Literals(p);
    EXPECT_EQ(lits.substr(6, std::strlen(c.literal) + 1), std::string(c.literal) + '\0') << c.text;
  }
  EXPECT_EQ(ErrorOf("Title like 'rock 'n' roll%'"), "Filter expression incorrectly terminated");
  EXPECT_EQ(ErrorOf("Title like 'x' Artist"), "Filter expression incorrectly terminated");
}

TEST(FilterParser, LongLiteralKeeps256CharactersInTheTreeAnd255InTheBlock) {
  std::string value(300, 'q');
  TExprParser p = Parse("Title = '" + value + "'", 0);
  ASSERT_TRUE(p.Ok());
  EXPECT_EQ(Literals(p), std::string("Title\0", 6) + std::string(255, 'q') + '\0');
  // The 256th character is kept in the tree: a "*" there makes a partial comparison.
  std::string starred = std::string(255, 'q') + "*" + std::string(44, 'r');
  TExprParser s = Parse("Title = '" + starred + "'", 0);
  ASSERT_TRUE(s.Ok());
  const auto& b = s.Block();
  EXPECT_EQ(b[10], 3);            // compare node
  EXPECT_EQ(b[10 + 8 + 2], 255);  // partial length
  EXPECT_EQ(Literals(s), std::string("Title\0", 6) + std::string(255, 'q') + '\0');
}

TEST(FilterParser, MinusAfterAnOperandIsAlwaysTheOperator) {
  // «Id -1 = 2» reads as (Id - 1) = 2 with float constants.
  Bytes nodes, lits;
  nodes.Node(2, 3, {12, 50});
  nodes.Node(2, 17, {24, 36});
  nodes.Node(4, 13, {1, 0});
  nodes.Node(5, 14, {7, 8, 3});
  nodes.Node(5, 14, {7, 8, 11});
  double one = 1, two = 2;
  lits.Text("Id").Raw(&one, 8).Raw(&two, 8);
  TExprParser p = Parse("Id -1 = 2");
  ASSERT_TRUE(p.Ok()) << p.Error().message;
  EXPECT_EQ(p.Block(), Block(nodes, lits));

  // «-1 = Id» starts with the literal -1, takes Id's type and is swapped to Id = -1.
  Bytes n2, l2;
  n2.Node(2, 3, {12, 24});
  n2.Node(4, 13, {1, 0});
  n2.Node(5, 14, {6, 4, 3});
  int32_t minusOne = -1;
  l2.Text("Id").Raw(&minusOne, 4);
  TExprParser q = Parse("-1 = Id");
  ASSERT_TRUE(q.Ok()) << q.Error().message;
  EXPECT_EQ(q.Block(), Block(n2, l2));
}

TEST(FilterParser, ConstantOnTheLeftIsSwappedAndTheOperatorMirrored) {
  struct Case {
    const char* text;
    uint32_t op;
  } cases[] = {{"5 < Id", 5},  {"5 > Id", 6}, {"5 <= Id", 7},
               {"5 >= Id", 8}, {"5 = Id", 3}, {"5 <> Id", 4}};
  for (const Case& c : cases) {
    TExprParser p = Parse(c.text);
    ASSERT_TRUE(p.Ok()) << c.text;
    Bytes n, l;
    n.Node(2, c.op, {12, 24}).Node(4, 13, {1, 0}).Node(5, 14, {6, 4, 3});
    int32_t five = 5;
    l.Text("Id").Raw(&five, 4);
    EXPECT_EQ(p.Block(), Block(n, l)) << c.text;
  }
}

TEST(FilterParser, PartialLengthFromATrailingStar) {
  // «Album = 'x*'»: compare node, partial length 1, constant «x».
  Bytes n, l;
  n.Node(3, 3, {0, 1, 16, 28}).Node(4, 13, {3, 0}).Node(5, 14, {1, 2, 6});
  l.Text("Album").Text("x");
  EXPECT_EQ(Parse("Album = 'x*'", 0).Block(), Block(n, l));
  // With foNoPartialCompare the star stays and the node is binary.
  Bytes n2, l2;
  n2.Node(2, 3, {12, 24}).Node(4, 13, {3, 0}).Node(5, 14, {1, 3, 6});
  l2.Text("Album").Text("x*");
  EXPECT_EQ(Parse("Album = 'x*'", foNoPartialCompare).Block(), Block(n2, l2));
  // A lone star is an ordinary comparison.
  Bytes n3, l3;
  n3.Node(2, 3, {12, 24}).Node(4, 13, {3, 0}).Node(5, 14, {1, 2, 6});
  l3.Text("Album").Text("*");
  EXPECT_EQ(Parse("Album = '*'", 0).Block(), Block(n3, l3));
  // The rule applies to LIKE too.
  Bytes n4, l4;
  n4.Node(3, 30, {1, 3, 16, 28}).Node(4, 13, {4, 0}).Node(5, 14, {1, 4, 6});
  l4.Text("Title").Text("abc");
  EXPECT_EQ(Parse("Title like 'abc*'").Block(), Block(n4, l4));
}

TEST(FilterParser, NullConstantsBecomeBlankTests) {
  Bytes n, l;
  n.Node(1, 1, {10}).Node(4, 13, {2, 0});
  l.Text("Artist");
  EXPECT_EQ(Parse("Artist = NULL").Block(), Block(n, l));
  Bytes n2, l2;
  n2.Node(1, 2, {10}).Node(4, 13, {2, 0});
  l2.Text("Artist");
  EXPECT_EQ(Parse("null <> Artist").Block(), Block(n2, l2));
  EXPECT_EQ(Parse("Artist is not null").Block(), Block(n2, l2));
  EXPECT_EQ(Parse("Artist IS NULL").Block(), Block(n, l));
  EXPECT_EQ(ErrorOf("Artist like NULL"), "NULL only allowed with '=' and '<>'");
}

TEST(FilterParser, BooleanFieldAloneIsComparedWithFalse) {
  Bytes n, l;
  n.Node(2, 4, {12, 24}).Node(4, 13, {7, 0}).Node(5, 14, {4, 2, 5});
  l.Text("Flag").U16(0);
  EXPECT_EQ(Parse("Flag").Block(), Block(n, l));
  Bytes n2, l2;
  n2.Node(1, 9, {10}).Node(2, 4, {22, 34}).Node(4, 13, {7, 0}).Node(5, 14, {4, 2, 5});
  l2.Text("Flag").U16(0);
  EXPECT_EQ(Parse("not Flag").Block(), Block(n2, l2));
  // The true word makes a boolean constant.
  Bytes n3, l3;
  n3.Node(2, 3, {12, 24}).Node(4, 13, {7, 0}).Node(5, 14, {4, 2, 5});
  l3.Text("Flag").U16(1);
  EXPECT_EQ(Parse("Flag = true").Block(), Block(n3, l3));
}

TEST(FilterParser, InListAndFunctionsAreChainsOfListNodes) {
  Bytes n, l;
  n.Node(2, 31, {12, 24});
  n.Node(4, 13, {1, 0});
  n.Node(11, 36, {36, 50});
  n.Node(5, 14, {6, 4, 3});
  n.Node(11, 36, {62, 0});
  n.Node(5, 14, {6, 4, 7});
  int32_t one = 1, two = 2;
  l.Text("Id").Raw(&one, 4).Raw(&two, 4);
  EXPECT_EQ(Parse("Id in (1, 2)").Block(), Block(n, l));

  // upper(Artist) = 'X': no field on the left, so a binary node, not a compare node.
  TExprParser p = Parse("upper(Artist) = 'X'");
  ASSERT_TRUE(p.Ok()) << p.Error().message;
  Bytes h, hl;
  h.Node(2, 3, {12, 48});
  h.Node(10, 35, {0, 24});
  h.Node(11, 36, {36, 0});
  h.Node(4, 13, {2, 6});
  h.Node(5, 14, {1, 2, 13});
  hl.Text("upper").Text("Artist").Text("X");
  EXPECT_EQ(p.Block(), Block(h, hl));
}

TEST(FilterParser, TokenizerDetails) {
  EXPECT_TRUE(Parse("/* the artist */Artist = 'x'").Ok());
  EXPECT_TRUE(Parse("[Artist]='x'").Ok());
  EXPECT_TRUE(Parse("\t\r\nArtist\t=\n'x'\r").Ok());
  EXPECT_TRUE(Parse("(Artist = 'x') or not (Title = 'y') and Id > 3").Ok());
  EXPECT_TRUE(Parse("Id * 2 / 4 + 1 - 3 >= 0").Ok());
  // A digit right after an operand is the minus operator; "+" and "-" continue a number.
  EXPECT_EQ(ErrorOf("Title like 'x' 5"), "Expression expected but nothing found");
  EXPECT_EQ(ErrorOf("Id = 1-3"), "'1-3' is not a valid integer value");
  EXPECT_TRUE(Parse("count(*) > 0", 0, poExtendedSyntax | poAggregate).Ok());
  EXPECT_EQ(ErrorOf("/* a * b */ Artist = 'x'"), "Invalid filter expression character: '*'");
  EXPECT_EQ(ErrorOf("/* open Artist = 'x'"), "Invalid filter expression character: ''");
  EXPECT_EQ(ErrorOf("Artist = #"), "Invalid filter expression character: '#'");
  EXPECT_EQ(ErrorOf("Artist = 'x"), "Unterminated string constant");
  EXPECT_EQ(ErrorOf("[Artist = 'x'"), "Unterminated field name");
  EXPECT_EQ(ErrorOf("Artist is foo"), "Invalid use of keyword");
  EXPECT_EQ(ErrorOf("Artist is not foo"), "Invalid use of keyword");
}

TEST(FilterParser, FailureMessages) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {" like 'abc%'", "Expression expected but 'like' found"},
      {"Artist like", "Expression expected but nothing found"},
      {"[] like 'x%'", "cdsMain: Field '' not found"},
      {"Foo = 1", "cdsMain: Field 'Foo' not found"},
      {"Artist", "Incorrectly formed filter expression"},
      {"Artist like 'a%' Title", "Filter expression incorrectly terminated"},
      {"(Artist = 'x'", "')' expected but nothing found"},
      {"Id in 1", "'(' expected but '1' found"},
      {"Id in ()", "IN predicate list may not be empty"},
      {"Id in (1 Artist)", "')' or ',' expected but 'Artist' found"},
      {"Id in (1 2)", "Expression expected but ')' found"},
      {"Id in (1", "')' expected but nothing found"},
      {"upper() = 'x'", "Type mismatch in expression"},
      {"Lyric = 'x'", "Type mismatch in expression"},
      {"Pic like 'x'", "Type mismatch in expression"},
      {"Artist * 2 = 1", "Type mismatch in expression"},
      {"sum(Id) > Id", "Operation cannot mix aggregate value with record-varying value"},
      {"sum(Id) > 3", "Aggregate expressions not allowed in filters"},
      {"Small = 40000", "Constant out of range"},
      {"W = -1", "Constant out of range"},
      {"Big = 5", "Constant is not correct type Largeint"},
      {"Calc = 'x'", "Field 'Calc' cannot be used in a filter expression"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
  EXPECT_EQ(ErrorOf("Id + 1 = 2", 0, 0), "Arithmetic in filter expressions not supported");
  EXPECT_EQ(ErrorOf("Id > 1", 0, poExtendedSyntax | poAggregate),
            "Expression is not an aggregate expression");
}

TEST(FilterParser, ConversionFailuresAreConvertErrors) {
  TExprParser p = Parse("Id = 'abc'");
  EXPECT_EQ(p.Error().errorClass, TExprError::kConvertError);
  EXPECT_EQ(p.Error().message, "'abc' is not a valid integer value");
  EXPECT_EQ(ErrorOf("Price = '1x'"), "'1x' is not a valid floating point value");
  EXPECT_EQ(ErrorOf("Born = 'soon'"), "'soon' is not a valid date");
  EXPECT_EQ(ErrorOf("Born > 5"), "'5' is not a valid date");
  EXPECT_EQ(Parse("Artist = 'x'").Error().errorClass, TExprError::kNone);
  EXPECT_EQ(Parse("Foo = 'x'").Error().errorClass, TExprError::kDatabaseError);
}

TEST(FilterParser, ConstantsTakeTheFieldsType) {
  Bytes n, l;
  n.Node(2, 5, {12, 24}).Node(4, 13, {13, 0}).Node(5, 14, {2, 4, 5});
  int32_t day = 730120;  // 1 January 2000
  l.Text("Born").Raw(&day, 4);
  EXPECT_EQ(Parse("Born > '1/1/2000'").Block(), Block(n, l));
  EXPECT_EQ(Parse("Born > '2000-01-01'").Block(), Block(n, l));
  Bytes n2, l2;
  n2.Node(2, 3, {12, 24}).Node(4, 13, {8, 0}).Node(5, 14, {5, 2, 6});
  int16_t v = -7;
  l2.Text("Small").Raw(&v, 2);
  EXPECT_EQ(Parse("Small = -7").Block(), Block(n2, l2));
}

TEST(FilterParser, HostileNestingIsRefusedNotOverflowed) {
  std::string deep(5000, '(');
  EXPECT_EQ(ErrorOf(deep + "Id = 1" + std::string(5000, ')')), "Filter expression too complex");
  std::string chain = "Id = 1";
  for (int i = 0; i < 3000; ++i) chain += " or Id = 1";
  EXPECT_EQ(ErrorOf(chain), "Filter expression too complex");
  std::string wide = "Id in (1";
  for (int i = 0; i < 20000; ++i) wide += ",1";
  EXPECT_EQ(ErrorOf(wide + ")"), "Filter expression too complex");
  // Moderate expressions still parse.
  std::string ok = "Id = 1";
  for (int i = 0; i < 100; ++i) ok += " or Id = 1";
  EXPECT_TRUE(Parse(ok).Ok());
}

TEST(FilterParser, TextEndsAtTheFirstNul) {
  std::string text("Artist = 'x'\0garbage", 20);
  EXPECT_TRUE(Parse(text).Ok());
}

}  // namespace
}  // namespace db

namespace db {
namespace {

TEST(FilterParser, ParserOptionsForFieldNamesAndDependencies) {
  TExprFieldList list("cdsMain", {{"Artist", "ARTIST_COL", 2, ftString, 180, fkData},
                                  {"Title", "Artist", 4, ftString, 180, fkData}});
  std::vector<bool> used;
  TExprParser p(list, "artist = 'x'", 0, poExtendedSyntax | poFieldDepend, {}, &used);
  ASSERT_TRUE(p.Ok());
  ASSERT_GE(used.size(), 3u);
  for (size_t n = 0; n < used.size(); ++n) EXPECT_EQ(used[n], n == 2) << n;
  // Original names first: «Artist» is Title's original name.
  TExprParser orig(list, "Artist = 'x'", 0, poExtendedSyntax | poUseOrigNames);
  ASSERT_TRUE(orig.Ok());
  EXPECT_EQ(orig.Block()[10 + 12 + 8], 4);  // field number of the field node
  // With a given field name the field's own name is written.
  TExprParser given(list, "aRtIsT = 'x'", 0, poExtendedSyntax | poFieldNameGiven, "Artist");
  ASSERT_TRUE(given.Ok());
  EXPECT_EQ(Literals(given), std::string("Artist\0x\0", 9));
}

}  // namespace
}  // namespace db
