// The packet tool's text layer: CSV writing and reading (RFC 4180), JSON escaping, UTF-8 <->
// code page 1252 with the position of a refused character, and the command-line parser.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/dzpacket/args.h"
#include "tools/dzpacket/csv.h"
#include "tools/dzpacket/json.h"
#include "tools/dzpacket/textcodec.h"

namespace dzpacket {
namespace {

// --- CSV ---------------------------------------------------------------------------------------

TEST(Csv, FieldsAreQuotedOnlyForCommaQuoteCrOrLf) {
  const struct {
    const char* value;
    const char* written;
  } cases[] = {
      {"plain", "plain"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"lf\nonly", "\"lf\nonly\""},
      {"cr\ronly", "\"cr\ronly\""},
      {" spaced ", " spaced "},
      {"semi;colon", "semi;colon"},
  };
  for (const auto& c : cases) EXPECT_EQ(CsvField(c.value), c.written) << c.value;
}

TEST(Csv, RecordsEndWithCrLfAndNullsAreEmptyFields) {
  EXPECT_EQ(CsvRecord({std::string("a"), std::nullopt, std::string("x,y")}), "a,,\"x,y\"\r\n");
  EXPECT_EQ(CsvRecord({}), "\r\n");
}

TEST(Csv, ReaderTakesQuotedLineBreaksAndDoubledQuotes) {
  const std::string text =
      "h1,h2\r\n"
      "\"a,1\",\"multi\r\nline \"\"quoted\"\"\"\n"
      "x,\"lf\nin\"\r"
      "last,\r\n";
  std::vector<CsvRow> rows;
  std::string error;
  ASSERT_TRUE(ParseCsv(text, &rows, &error)) << error;
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"h1", "h2"}));
  EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"a,1", "multi\r\nline \"quoted\""}));
  EXPECT_EQ(rows[2].fields, (std::vector<std::string>{"x", "lf\nin"}));
  EXPECT_EQ(rows[3].fields, (std::vector<std::string>{"last", ""}));
  // Records start on the lines where they begin, quoted line breaks counted.
  EXPECT_EQ(rows[0].line, 1u);
  EXPECT_EQ(rows[1].line, 2u);
  EXPECT_EQ(rows[2].line, 4u);
  EXPECT_EQ(rows[3].line, 6u);
}

TEST(Csv, LastRecordWithoutLineBreakAndEmptyText) {
  std::vector<CsvRow> rows;
  std::string error;
  ASSERT_TRUE(ParseCsv("a,b\r\nc,\"d\"", &rows, &error));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"c", "d"}));
  ASSERT_TRUE(ParseCsv("", &rows, &error));
  EXPECT_TRUE(rows.empty());
  // A blank line in the middle is a record of one empty field (the importer refuses its shape).
  ASSERT_TRUE(ParseCsv("a\r\n\r\nb\r\n", &rows, &error));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].fields, (std::vector<std::string>{""}));
}

TEST(Csv, MalformedTextIsRefusedWithItsLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"a,b\r\nx\"y,z\r\n", "line 2: a quote inside an unquoted field"},
      {"a\r\n\"closed\"junk,b\r\n", "line 2: text after a closing quote"},
      {"a\r\nb\r\n\"never\r\nclosed,\r\n", "line 3: a quoted field is never closed"},
  };
  for (const auto& c : cases) {
    std::vector<CsvRow> rows;
    std::string error;
    EXPECT_FALSE(ParseCsv(c.text, &rows, &error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
}

TEST(Csv, RandomFieldsSurviveWriterAndReader) {
  std::mt19937 rng(1234);
  const std::string alphabet = "ab ,\"\r\n\xE9;";
  for (int round = 0; round < 300; ++round) {
    std::vector<std::vector<std::string>> records(1 + rng() % 5);
    std::string text;
    for (auto& record : records) {
      record.resize(1 + rng() % 4);
      std::vector<std::optional<std::string>> out;
      for (auto& field : record) {
        const size_t n = rng() % 6;
        for (size_t i = 0; i < n; ++i) field += alphabet[rng() % alphabet.size()];
        out.push_back(field);
      }
      text += CsvRecord(out);
    }
    std::vector<CsvRow> rows;
    std::string error;
    ASSERT_TRUE(ParseCsv(text, &rows, &error)) << error;
    ASSERT_EQ(rows.size(), records.size());
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].fields, records[i]);
  }
}

// --- JSON --------------------------------------------------------------------------------------

TEST(Json, StringsEscapeQuotesBackslashesAndControls) {
  EXPECT_EQ(JsonString("plain"), "\"plain\"");
  EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString("\r\n\t\b\f"), "\"\\r\\n\\t\\b\\f\"");
  EXPECT_EQ(JsonString(std::string("\x01\x1F", 2)), "\"\\u0001\\u001F\"");
  EXPECT_EQ(JsonString("caf\xC3\xA9 /"), "\"caf\xC3\xA9 /\"");  // UTF-8 and / as they are
}

TEST(Json, ArrayOfObjects) {
  std::ostringstream out;
  JsonArrayWriter empty(out);
  empty.Finish();
  EXPECT_EQ(out.str(), "[]\n");
  out.str("");
  JsonArrayWriter w(out);
  w.BeginObject();
  w.Member("Id", "1");
  w.Member("Name \"x\"", JsonString("y"));
  w.EndObject();
  w.BeginObject();
  w.Member("Id", "null");
  w.EndObject();
  w.Finish();
  EXPECT_EQ(out.str(), "[\n  {\"Id\": 1, \"Name \\\"x\\\"\": \"y\"},\n  {\"Id\": null}\n]\n");
}

// --- Code page ---------------------------------------------------------------------------------

TEST(TextCodec, Cp1252BytesBecomeUtf8AndBack) {
  // 0x80 euro, 0x92 right single quote, 0xE9 e acute, 0x81 undefined (a C1 control).
  const std::string cp = "\x80\x92\xE9\x81z";
  const std::string utf8 = Cp1252ToUtf8(cp);
  EXPECT_EQ(utf8, "\xE2\x82\xAC\xE2\x80\x99\xC3\xA9\xC2\x81z");
  std::string back;
  TextRefusal refusal;
  ASSERT_TRUE(Utf8ToCp1252(utf8, &back, &refusal));
  EXPECT_EQ(back, cp);
  for (int b = 1; b < 256; ++b) {  // every byte survives the trip
    const std::string one(1, char(b));
    ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(one), &back, &refusal)) << b;
    EXPECT_EQ(back, one);
  }
}

TEST(TextCodec, RefusalsTellTheOffsetAndWhy) {
  const struct {
    std::string text;
    size_t offset;
    bool malformed;
    uint32_t codePoint;
  } cases[] = {
      {"ab\xE4\xB8\xAD", 2, false, 0x4E2D},      // a character the code page lacks
      {"x\xF0\x9F\x8E\xB5", 1, false, 0x1F3B5},  // beyond the basic plane
      {std::string("a\0b", 3), 1, false, 0},     // NUL
      {"ok\xC0\xAF", 2, true, 0},                // overlong
      {"\x80", 0, true, 0},                      // lone continuation byte
      {"abc\xC3", 3, true, 0},                   // cut short
      {"\xED\xA0\x80", 0, true, 0},              // surrogate
  };
  for (const auto& c : cases) {
    std::string out;
    TextRefusal refusal;
    EXPECT_FALSE(Utf8ToCp1252(c.text, &out, &refusal));
    EXPECT_EQ(refusal.offset, c.offset);
    EXPECT_EQ(refusal.malformed, c.malformed);
    EXPECT_EQ(refusal.codePoint, c.codePoint);
    EXPECT_EQ(IsUtf8(c.text), !c.malformed);
  }
  EXPECT_EQ(DescribeRefusal({2, 0x4E2D, false}), "U+4E2D has no code page 1252 form");
}

TEST(TextCodec, LineOfOffsetCountsEveryKindOfLineBreak) {
  const std::string text = "a\r\nb\nc\rd";
  EXPECT_EQ(LineOfOffset(text, 0), 1u);
  EXPECT_EQ(LineOfOffset(text, 3), 2u);  // b
  EXPECT_EQ(LineOfOffset(text, 5), 3u);  // c
  EXPECT_EQ(LineOfOffset(text, 7), 4u);  // d
}

// --- Arguments ---------------------------------------------------------------------------------

const CommandSpec kSpec{"rows", "usage", 1, 2, {{"--format", true}, {"--versions", false}}};

TEST(Args, OptionsAnywhereInBothForms) {
  ParsedArgs p;
  std::string problem;
  ASSERT_TRUE(ParseArgs(kSpec, {"--versions", "f", "--format=json"}, &p, &problem)) << problem;
  EXPECT_EQ(p.positional, (std::vector<std::string>{"f"}));
  EXPECT_TRUE(p.Has("--versions"));
  EXPECT_EQ(p.Value("--format"), "json");
  ASSERT_TRUE(ParseArgs(kSpec, {"f", "--format", "csv", "--", "--versions"}, &p, &problem));
  EXPECT_EQ(p.positional, (std::vector<std::string>{"f", "--versions"}));
  EXPECT_FALSE(p.Has("--versions"));
  ASSERT_TRUE(ParseArgs(kSpec, {"-"}, &p, &problem));  // a lone dash is a name
  ASSERT_TRUE(ParseArgs(kSpec, {"--bogus", "--help"}, &p, &problem));
  EXPECT_TRUE(p.help);
}

TEST(Args, ProblemsAreReported) {
  const std::vector<std::vector<std::string>> bad = {
      {},                                 // too few
      {"a", "b", "c"},                    // too many
      {"a", "--bogus"},                   // unknown option
      {"a", "--format"},                  // missing value
      {"a", "--versions=yes"},            // value on a switch
      {"a", "--versions", "--versions"},  // twice
  };
  for (const auto& args : bad) {
    ParsedArgs p;
    std::string problem;
    EXPECT_FALSE(ParseArgs(kSpec, args, &p, &problem));
    EXPECT_FALSE(problem.empty());
  }
}

}  // namespace
}  // namespace dzpacket
