// Skin resource file: the chain and end-marker rules, lookups, hostile chains (one test per
// failure mode, made by editing the bytes of a valid file) and writer -> reader round trips.
#include "skin/resfile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/bytewriter.h"
#include "skin/bmp.h"
#include "skin/resfilewriter.h"

namespace skin {
namespace {

// Builds a resource file field by field: header, then records and values wherever asked.
struct ResBuilder {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(24, 0);

  ResBuilder() {
    Put32(kResourceHeaderLengthAt, 24);
    Put32(kResourceFirstRecordAt, 24);  // right after the header
  }
  void Put32(size_t at, uint32_t v) {
    if (bytes.size() < at + 4) bytes.resize(at + 4);
    platform::StoreLE(bytes, at, v, 4);
  }
  size_t Append(const std::vector<uint8_t>& v) {
    size_t at = bytes.size();
    bytes.insert(bytes.end(), v.begin(), v.end());
    return at;
  }
  // Appends a 77-byte record and returns its offset.
  size_t Record(const std::string& name, uint8_t kind, uint32_t valueOffset, uint32_t size,
                uint32_t next) {
    size_t at = bytes.size();
    bytes.resize(at + kResourceRecordSize, 0);
    StoreResourceRecord(bytes, at, {name, kind, valueOffset, size, next});
    return at;
  }
};

std::vector<uint8_t> Le32(int32_t v) {
  uint32_t u = uint32_t(v);
  return {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
}

// Records at 24, 101, 178 (end marker) and values after them.
ResBuilder ThreeRecordFile(const std::string& a, int32_t av, const std::string& b, uint8_t bv) {
  ResBuilder f;
  const uint32_t values = 24 + 3 * 77;
  f.Record(a, 1, values, 4, 101);
  f.Record(b, 2, values + 4, 1, 178);
  f.Record("END", 1, values, 4, 0);
  f.Append(Le32(av));
  f.Append({bv});
  return f;
}

ResFileStatus ParseInto(const std::vector<uint8_t>& bytes, Tsk2SkinFileReader& r) {
  return r.Parse(bytes.data(), bytes.size());
}

TEST(ResFile, EndMarkerOnlyYieldsFourEmptyTables) {
  ResBuilder f;
  f.Record("SKIN2_FORMCOLOR", 1, 0, 4, 0);  // has a value, but is the end marker
  Tsk2SkinFileReader r;
  ASSERT_EQ(ParseInto(f.bytes, r), ResFileStatus::kOk);
  EXPECT_TRUE(r.Bitmaps().empty());
  EXPECT_TRUE(r.Integers().empty());
  EXPECT_TRUE(r.Bytes().empty());
  EXPECT_TRUE(r.Strings().empty());
  EXPECT_EQ(r.IntegerValue("SKIN2_FORMCOLOR"), -1);
}

TEST(ResFile, EntriesBeforeTheEndMarkerAreReadAndTheMarkerIsNot) {
  Tsk2SkinFileReader r;
  ASSERT_EQ(ParseInto(ThreeRecordFile("A", 1234567, "B", 200).bytes, r), ResFileStatus::kOk);
  EXPECT_EQ(r.IntegerValue("A"), 1234567);
  EXPECT_EQ(r.ByteValue("B"), 200);
  EXPECT_EQ(r.IntegerValue("END"), -1);
  ASSERT_EQ(r.Integers().size(), 1u);
  EXPECT_EQ(r.Integers()[0], "A=1234567");
  EXPECT_EQ(r.Bytes()[0], "B=200");
}

TEST(ResFile, LookupsIgnoreCaseAndTakeTheFirstMatch) {
  ResBuilder f;
  const uint32_t values = 24 + 3 * 77;
  f.Record("skin2_formcolor", 1, values, 4, 101);
  f.Record("SKIN2_FORMCOLOR", 1, values + 4, 4, 178);
  f.Record("", 0, 0, 0, 0);
  f.Append(Le32(0x123456));
  f.Append(Le32(99));
  Tsk2SkinFileReader r;
  ASSERT_EQ(ParseInto(f.bytes, r), ResFileStatus::kOk);
  EXPECT_EQ(r.IntegerValue("SKIN2_FORMCOLOR"), 0x123456);
  EXPECT_EQ(r.IntegerValue("Skin2_FormColor"), 0x123456);
  // Byte and integer tables are separate: the integer name is not a byte.
  EXPECT_EQ(r.ByteValue("SKIN2_FORMCOLOR"), 0);
}

TEST(ResFile, MinusOneCannotBeToldFromMissing) {
  Tsk2SkinFileReader r;
  ASSERT_EQ(ParseInto(ThreeRecordFile("A", -1, "B", 0).bytes, r), ResFileStatus::kOk);
  EXPECT_EQ(r.IntegerValue("A"), r.IntegerValue("NOSUCHKEY"));
  EXPECT_EQ(r.ByteValue("B"), r.ByteValue("NOSUCHKEY"));
}

TEST(ResFile, NameFillingTheWholeFieldHasNoTerminator) {
  const std::string name(64, 'N');
  ResBuilder f;
  f.Record(name, 1, 24 + 2 * 77, 4, 101);
  f.Record("", 0, 0, 0, 0);
  f.Append(Le32(5));
  Tsk2SkinFileReader r;
  ASSERT_EQ(ParseInto(f.bytes, r), ResFileStatus::kOk);
  EXPECT_EQ(r.IntegerValue(name), 5);
}

TEST(ResFile, StringsBitmapsAndUnknownKinds) {
  SkinImage img(3, 2, MakeColor(1, 2, 3));
  std::vector<uint8_t> bmp = EncodeBmp24(img);
  ResBuilder f;
  const uint32_t values = 24 + 4 * 77;
  f.Record("PIC", 0, values, uint32_t(bmp.size()), 101);
  f.Record("WHO", 3, values + uint32_t(bmp.size()), 5, 178);
  f.Record("ODD", 9, 0xFFFFFFF0, 4, 255);  // unknown kind: skipped, value never looked at
  f.Record("", 0, 0, 0, 0);
  f.Append(bmp);
  f.Append({'h', 'e', 'l', 'l', 'o'});
  Tsk2SkinFileReader r;
  ASSERT_EQ(ParseInto(f.bytes, r), ResFileStatus::kOk);
  ASSERT_NE(r.FindBitmap("pic"), nullptr);
  EXPECT_EQ(r.FindBitmap("PIC")->pixels, img.pixels);
  std::string text;
  EXPECT_TRUE(r.StringValue("who", text));
  EXPECT_EQ(text, "hello");
  EXPECT_EQ(r.FindBitmap("ODD"), nullptr);
  EXPECT_EQ(r.FindBitmap("WHO"), nullptr);
}

TEST(ResFile, ApplyTransparentColorFixesEveryBitmap) {
  std::vector<uint8_t> file, bmp = EncodeBmp24(SkinImage(2, 2, MakeColor(9, 9, 9)));
  std::string error;
  ASSERT_TRUE(WriteResourceFile({BitmapEntry("A", bmp), BitmapEntry("B", bmp)}, file, error));
  Tsk2SkinFileReader r;
  ASSERT_EQ(ParseInto(file, r), ResFileStatus::kOk);
  EXPECT_EQ(r.FindBitmap("A")->EffectiveTransparentColor(), MakeColor(9, 9, 9));  // automatic
  r.ApplyTransparentColor(MakeColor(255, 0, 255));
  for (const auto& [name, image] : r.Bitmaps()) {
    EXPECT_EQ(image.transparentMode, TransparentMode::Fixed) << name;
    EXPECT_EQ(image.EffectiveTransparentColor(), MakeColor(255, 0, 255)) << name;
  }
}

// --- Hostile files: one edit of a valid file per failure mode ---------------------------------

TEST(ResFileCorrupt, ChainThatLoopsBackFails) {
  ResBuilder f = ThreeRecordFile("A", 1, "B", 2);
  f.Put32(101 + kRecordNextAt, 24);  // B points back to A
  Tsk2SkinFileReader r;
  EXPECT_EQ(ParseInto(f.bytes, r), ResFileStatus::kChainLoops);
  EXPECT_TRUE(r.Integers().empty());
}

TEST(ResFileCorrupt, RecordThatPointsToItselfFails) {
  ResBuilder f = ThreeRecordFile("A", 1, "B", 2);
  f.Put32(24 + kRecordNextAt, 24);
  Tsk2SkinFileReader r;
  EXPECT_EQ(ParseInto(f.bytes, r), ResFileStatus::kChainLoops);
}

TEST(ResFileCorrupt, NextRecordOutsideTheFileFails) {
  ResBuilder f = ThreeRecordFile("A", 1, "B", 2);
  f.Put32(24 + kRecordNextAt, 0xFFFFFFF0);
  Tsk2SkinFileReader r;
  EXPECT_EQ(ParseInto(f.bytes, r), ResFileStatus::kRecordOutOfFile);
  // A record that starts inside but runs over the end.
  f.Put32(24 + kRecordNextAt, uint32_t(f.bytes.size() - 10));
  EXPECT_EQ(ParseInto(f.bytes, r), ResFileStatus::kRecordOutOfFile);
}

TEST(ResFileCorrupt, FirstRecordOutsideTheFileFails) {
  ResBuilder f = ThreeRecordFile("A", 1, "B", 2);
  f.Put32(kResourceFirstRecordAt, uint32_t(f.bytes.size()));
  Tsk2SkinFileReader r;
  EXPECT_EQ(ParseInto(f.bytes, r), ResFileStatus::kRecordOutOfFile);
}

TEST(ResFileCorrupt, ValueOutsideTheFileFails) {
  Tsk2SkinFileReader r;
  ResBuilder integer = ThreeRecordFile("A", 1, "B", 2);
  integer.Put32(24 + kRecordValueOffsetAt, uint32_t(integer.bytes.size() - 2));
  EXPECT_EQ(ParseInto(integer.bytes, r), ResFileStatus::kValueOutOfFile);
  ResBuilder byte = ThreeRecordFile("A", 1, "B", 2);
  byte.Put32(101 + kRecordValueOffsetAt, uint32_t(byte.bytes.size()));
  EXPECT_EQ(ParseInto(byte.bytes, r), ResFileStatus::kValueOutOfFile);
  ResBuilder string = ThreeRecordFile("A", 1, "B", 2);
  string.bytes[24 + kRecordKindAt] = 3;               // A becomes a string...
  string.Put32(24 + kRecordValueSizeAt, 0xFFFFFFFF);  // ...claiming 4 GB
  EXPECT_EQ(ParseInto(string.bytes, r), ResFileStatus::kValueOutOfFile);
}

TEST(ResFileCorrupt, BadBitmapFailsTheWholeFile) {
  ResBuilder f = ThreeRecordFile("A", 1, "B", 2);
  f.bytes[24 + kRecordKindAt] = 0;  // A's four value bytes are no bitmap file
  Tsk2SkinFileReader r;
  std::string detail;
  EXPECT_EQ(r.Parse(f.bytes.data(), f.bytes.size(), &detail), ResFileStatus::kBadBitmap);
  EXPECT_EQ(detail, "A");
  EXPECT_TRUE(r.Bytes().empty());
}

TEST(ResFileCorrupt, HeaderLengthOutOfRangeFails) {
  Tsk2SkinFileReader r;
  ResBuilder small = ThreeRecordFile("A", 1, "B", 2);
  small.Put32(kResourceHeaderLengthAt, 20);
  EXPECT_EQ(ParseInto(small.bytes, r), ResFileStatus::kBadHeaderLength);
  ResBuilder large = ThreeRecordFile("A", 1, "B", 2);
  large.Put32(kResourceHeaderLengthAt, uint32_t(large.bytes.size() + 1));
  EXPECT_EQ(ParseInto(large.bytes, r), ResFileStatus::kTruncatedHeader);
  std::vector<uint8_t> tiny(15, 0);
  EXPECT_EQ(ParseInto(tiny, r), ResFileStatus::kTruncatedHeader);
}

TEST(ResFileCorrupt, OverlappingRecordsReusingOneBigValueHitTheLimit) {
  // Many records share one string value: the chain never loops, so only the totals stop it.
  const uint32_t count = 2000;
  const uint32_t valueSize = 4096;
  ResBuilder f;
  const uint32_t valueAt = 24 + (count + 1) * 77;
  for (uint32_t i = 0; i < count; ++i) f.Record("S", 3, valueAt, valueSize, 24 + (i + 1) * 77);
  f.Record("", 0, 0, 0, 0);
  f.bytes.resize(valueAt + valueSize, 'x');
  Tsk2SkinFileReader r;
  EXPECT_EQ(ParseInto(f.bytes, r), ResFileStatus::kTooMuchData);
}

TEST(ResFileCorrupt, ChainLongerThanTheRecordLimitFails) {
  ResBuilder f;
  const uint32_t count = uint32_t(kMaxResourceRecords);  // plus the end marker: one too many
  for (uint32_t i = 0; i < count; ++i) f.Record("X", 9, 0, 0, 24 + (i + 1) * 77);
  f.Record("", 0, 0, 0, 0);
  Tsk2SkinFileReader r;
  EXPECT_EQ(ParseInto(f.bytes, r), ResFileStatus::kTooManyRecords);
  f.Put32(24 + (count - 1) * 77 + kRecordNextAt, 0);  // end one record earlier: within the limit
  EXPECT_EQ(ParseInto(f.bytes, r), ResFileStatus::kOk);
}

TEST(ResFileCorrupt, EveryTruncationFailsCleanly) {
  std::vector<uint8_t> file;
  std::string error;
  ASSERT_TRUE(WriteResourceFile(
      {IntegerEntry("A", 7), ByteEntry("B", 1), BitmapEntry("C", EncodeBmp24(SkinImage(2, 2)))},
      file, error));
  for (size_t n = 0; n < file.size(); ++n) {
    Tsk2SkinFileReader r;
    EXPECT_NE(r.Parse(file.data(), n), ResFileStatus::kOk) << n;
  }
}

// --- Writer -> reader ------------------------------------------------------------------------

TEST(ResFileWriter, LayoutMatchesTheFormat) {
  std::vector<uint8_t> file;
  std::string error;
  ASSERT_TRUE(WriteResourceFile({IntegerEntry("A", -2)}, file, error));
  // Header, one record, the end marker, four value bytes.
  ASSERT_EQ(file.size(), 24u + 2 * 77 + 4);
  auto at32 = [&](size_t o) {
    return uint32_t(file[o]) | uint32_t(file[o + 1]) << 8 | uint32_t(file[o + 2]) << 16 |
           uint32_t(file[o + 3]) << 24;
  };
  EXPECT_EQ(std::string(file.begin(), file.begin() + 9), "DZSKINRES");
  EXPECT_EQ(at32(kResourceHeaderLengthAt), 24u);
  EXPECT_EQ(at32(kResourceEntryCountAt), 1u);
  EXPECT_EQ(at32(kResourceFirstRecordAt), 24u);
  EXPECT_EQ(file[24], 'A');
  EXPECT_EQ(file[25], 0);
  EXPECT_EQ(file[24 + kRecordKindAt], 1);
  EXPECT_EQ(at32(24 + kRecordValueOffsetAt), 24u + 2 * 77);
  EXPECT_EQ(at32(24 + kRecordValueSizeAt), 4u);
  EXPECT_EQ(at32(24 + kRecordNextAt), 101u);
  EXPECT_EQ(at32(101 + kRecordNextAt), 0u);
  EXPECT_EQ(at32(24 + 2 * 77), 0xFFFFFFFEu);
}

TEST(ResFileWriter, RoundTripKeepsEveryKindAndOrder) {
  SkinImage pic(4, 3);
  for (int i = 0; i < 12; ++i) pic.pixels[size_t(i)] = MakeColor(uint8_t(i * 20), 3, uint8_t(i));
  std::vector<ResourceEntry> entries = {
      IntegerEntry("SKIN2_FORMCOLOR", 0x00B88B67),
      IntegerEntry("NEG", -123456),
      ByteEntry("SKIN2_TITLEFIVESECT", 1),
      ByteEntry("BIG", 255),
      StringEntry("NAME", "Doziviz steel"),
      BitmapEntry("SKIN2_BUTTON", EncodeBmp24(pic)),
      IntegerEntry("NEG", 5),  // a second equal name: the first wins
  };
  std::vector<uint8_t> file;
  std::string error;
  ASSERT_TRUE(WriteResourceFile(entries, file, error)) << error;
  Tsk2SkinFileReader r;
  ASSERT_EQ(ParseInto(file, r), ResFileStatus::kOk);
  EXPECT_EQ(r.IntegerValue("skin2_formcolor"), 0x00B88B67);
  EXPECT_EQ(r.IntegerValue("NEG"), -123456);
  EXPECT_EQ(r.ByteValue("SKIN2_TITLEFIVESECT"), 1);
  EXPECT_EQ(r.ByteValue("BIG"), 255);
  std::string s;
  EXPECT_TRUE(r.StringValue("NAME", s));
  EXPECT_EQ(s, "Doziviz steel");
  ASSERT_NE(r.FindBitmap("SKIN2_BUTTON"), nullptr);
  EXPECT_EQ(r.FindBitmap("SKIN2_BUTTON")->pixels, pic.pixels);
  EXPECT_EQ(r.Integers().size(), 3u);
}

TEST(ResFileWriter, RejectsNamesTheRecordCannotHold) {
  std::vector<uint8_t> file;
  std::string error;
  EXPECT_FALSE(WriteResourceFile({IntegerEntry(std::string(65, 'X'), 1)}, file, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(WriteResourceFile({IntegerEntry(std::string("A\0B", 3), 1)}, file, error));
  EXPECT_TRUE(WriteResourceFile({IntegerEntry(std::string(64, 'X'), 1)}, file, error));
}

}  // namespace
}  // namespace skin
