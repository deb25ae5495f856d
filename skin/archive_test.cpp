// Tests of skin archive extraction: the archive layout rules, encryption, the result codes,
// the size rules and the clean-up of the output file. Archives are built field by field
// (testing/zipwriter.h) around DEFLATE streams written bit by bit (testing/deflatewriter.h).
#include "skin/archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "skin/pkcrypt.h"
#include "testing/deflatewriter.h"
#include "testing/zipwriter.h"

namespace skin {
namespace {

namespace fs = std::filesystem;
using dztest::ZipTestArchive;
using dztest::ZipTestEntry;

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

// An entry holding `text` as fixed-code literals, with its true CRC and size.
ZipTestEntry TextEntry(const std::string& name, const std::string& text) {
  ZipTestEntry e;
  e.name = name;
  e.data = dztest::FixedLiterals(text);
  e.crc32 = dztest::Crc32(Bytes(text));
  e.uncompressedSize = static_cast<uint32_t>(text.size());
  return e;
}

// `count` copies of `byte`: one literal, then distance-1 matches.
std::vector<dztest::DeflateItem> RunItems(uint8_t byte, size_t count) {
  std::vector<dztest::DeflateItem> items = {dztest::Lit(byte)};
  for (size_t left = count - 1; left > 0;) {
    size_t n = left > 258 ? 258 : left;
    if (left - n > 0 && left - n < 3) n -= 3;  // keep every match at least 3 long
    items.push_back(dztest::Match(static_cast<int>(n), 1));
    left -= n;
  }
  return items;
}

ZipTestEntry RunEntry(const std::string& name, uint8_t byte, size_t count) {
  dztest::BitWriter w;
  dztest::WriteFixedBlock(w, true, RunItems(byte, count));
  ZipTestEntry e;
  e.name = name;
  e.data = w.bytes();
  e.crc32 = dztest::Crc32(std::vector<uint8_t>(count, byte));
  e.uncompressedSize = static_cast<uint32_t>(count);
  return e;
}

ZipTestArchive OneEntry(const ZipTestEntry& e) {
  ZipTestArchive a;
  a.entries.push_back(e);
  return a;
}

struct Extracted {
  uint8_t result;
  std::string text;
};

Extracted FromMemory(const std::vector<uint8_t>& archive, const std::string& name = "SKINDATA.SK2",
                     const std::string& password = "") {
  std::vector<uint8_t> out;
  uint8_t result =
      ExtractArchiveEntryFromMemory(archive.data(), archive.size(), name, password, out);
  return {result, std::string(out.begin(), out.end())};
}

class ArchiveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("dz_archive_test_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST(ArchiveLayoutTest, OnlyTheSkSignatureIsAccepted) {
  ZipTestArchive a = OneEntry(TextEntry("SKINDATA.SK2", "skin bytes"));
  EXPECT_EQ(FromMemory(dztest::BuildZip(a)).result, kExtractOk);
  a.first = 'P';
  EXPECT_EQ(FromMemory(dztest::BuildZip(a)).result, kExtractFailed);  // a standard ZIP file
}

TEST(ArchiveLayoutTest, EndRecordMustEndTheFileWithoutComment) {
  ZipTestArchive a = OneEntry(TextEntry("SKINDATA.SK2", "skin bytes"));
  a.comment = "c";
  EXPECT_EQ(FromMemory(dztest::BuildZip(a)).result, kExtractFailed);
  a.comment.clear();
  std::vector<uint8_t> bytes = dztest::BuildZip(a);
  bytes.push_back(0);  // the end record no longer stands at size - 22
  EXPECT_EQ(FromMemory(bytes).result, kExtractFailed);
  bytes.pop_back();
  bytes[bytes.size() - ZipEndRecord::kSize] = 'Q';  // damaged end record signature
  EXPECT_EQ(FromMemory(bytes).result, kExtractFailed);
  EXPECT_EQ(FromMemory(std::vector<uint8_t>{'S', 'K'}).result, kExtractFailed);
}

TEST(ArchiveLayoutTest, NamesMatchWithAsciiLettersUpperCased) {
  ZipTestArchive a = OneEntry(TextEntry("skindata.sk2", "lower"));
  a.entries.push_back(TextEntry("a{b", "brace"));
  std::vector<uint8_t> bytes = dztest::BuildZip(a);
  Extracted e = FromMemory(bytes);
  EXPECT_EQ(e.result, kExtractOk);
  EXPECT_EQ(e.text, "lower");
  EXPECT_EQ(FromMemory(bytes, "A{B").result, kExtractOk);
  EXPECT_EQ(FromMemory(bytes, "A[B").result, kExtractFailed);  // '[' is not '{' upper-cased
  EXPECT_EQ(FromMemory(bytes, "SKINDATA").result, kExtractFailed);
}

TEST(ArchiveLayoutTest, FirstOfTwoEqualNamesIsUsed) {
  ZipTestArchive a = OneEntry(TextEntry("SKINDATA.SK2", "first"));
  a.entries.push_back(TextEntry("SkinData.Sk2", "second"));
  EXPECT_EQ(FromMemory(dztest::BuildZip(a)).text, "first");
}

TEST(ArchiveLayoutTest, NamesOf260BytesNeverMatch) {
  std::string name259(259, 'N'), name260(260, 'N');
  ZipTestArchive a = OneEntry(TextEntry(name260, "long"));
  a.entries.push_back(TextEntry(name259, "fits"));
  std::vector<uint8_t> bytes = dztest::BuildZip(a);
  EXPECT_EQ(FromMemory(bytes, name260).result, kExtractFailed);
  EXPECT_EQ(FromMemory(bytes, name259).text, "fits");
}

TEST(ArchiveLayoutTest, ExtraFieldsAndCommentsAreSteppedOver) {
  ZipTestEntry first = TextEntry("OTHER", "x");
  first.extra = std::string(9, 'e');
  first.comment = "entry comment";
  ZipTestEntry second = TextEntry("SKINDATA.SK2", "found");
  second.extra = std::string(5, 'f');
  ZipTestArchive a = OneEntry(first);
  a.entries.push_back(second);
  EXPECT_EQ(FromMemory(dztest::BuildZip(a)).text, "found");
}

TEST(ArchiveLayoutTest, SizesAndFlagsComeFromTheCentralDirectory) {
  ZipTestArchive a = OneEntry(TextEntry("SKINDATA.SK2", "central"));
  dztest::ZipTestLayout z = dztest::BuildZipLayout(a);
  const size_t central = z.centralEntries[0], local = z.localHeaders[0];
  WriteZipField(z.bytes, central, ZipCentralEntry::kCompressedSize, 1);     // ignored
  WriteZipField(z.bytes, local, ZipLocalHeader::kUncompressedSize, 99999);  // local: ignored
  WriteZipField(z.bytes, local, ZipLocalHeader::kFlags, kFlagEncrypted);    // local: ignored
  WriteZipField(z.bytes, central, ZipCentralEntry::kMethod, 0);             // not consulted
  EXPECT_EQ(FromMemory(z.bytes).text, "central");
}

TEST(ArchiveLayoutTest, OffsetsOutsideTheFileFail) {
  ZipTestArchive a = OneEntry(TextEntry("SKINDATA.SK2", "data"));
  const dztest::ZipTestLayout z = dztest::BuildZipLayout(a);
  struct Edit {
    const char* what;
    size_t record;
    TZipField field;
    uint32_t value;
  } edits[] = {
      {"central directory offset past the end", z.endRecord, ZipEndRecord::kDirectoryOffset,
       0x7FFFFFF0},
      {"central directory offset at the end record", z.endRecord, ZipEndRecord::kDirectoryOffset,
       static_cast<uint32_t>(z.endRecord)},
      {"local header offset past the end", z.centralEntries[0], ZipCentralEntry::kLocalHeaderOffset,
       0xFFFFFFF0},
      {"local header offset in the last 29 bytes", z.centralEntries[0],
       ZipCentralEntry::kLocalHeaderOffset,
       static_cast<uint32_t>(z.bytes.size() - (ZipLocalHeader::kSize - 1))},
      {"local name length beyond the file", z.localHeaders[0], ZipLocalHeader::kNameLength, 0xFFFF},
  };
  for (const Edit& e : edits) {
    std::vector<uint8_t> bytes = z.bytes;
    WriteZipField(bytes, e.record, e.field, e.value);
    EXPECT_NE(FromMemory(bytes).result, kExtractOk) << e.what;
  }
  // A name that runs past the end of the file.
  std::vector<uint8_t> bytes = z.bytes;
  WriteZipField(bytes, z.centralEntries[0], ZipCentralEntry::kNameLength, 0xFFF0);
  EXPECT_EQ(FromMemory(bytes).result, kExtractFailed);
}

TEST(ArchivePasswordTest, CheckByteFromCrcOrFromTime) {
  ZipTestEntry e = TextEntry("SKINDATA.SK2", "secret skin");
  e.password = "pass word";
  e.time = 0x1234;
  ASSERT_NE(e.crc32 >> 24, 0x12u);
  EXPECT_EQ(FromMemory(dztest::BuildZip(OneEntry(e)), "SKINDATA.SK2", "pass word").text,
            "secret skin");
  e.flags = kFlagDataDescriptor;  // bit 3: the time's high byte is the check byte
  std::vector<uint8_t> timeChecked = dztest::BuildZip(OneEntry(e));
  EXPECT_EQ(FromMemory(timeChecked, "SKINDATA.SK2", "pass word").result, kExtractOk);

  // Bit 3 set in the central directory only, header made with the CRC's byte: check fails.
  e.flags = 0;
  dztest::ZipTestLayout z = dztest::BuildZipLayout(OneEntry(e));
  WriteZipField(z.bytes, z.centralEntries[0], ZipCentralEntry::kFlags,
                kFlagEncrypted | kFlagDataDescriptor);
  EXPECT_EQ(FromMemory(z.bytes, "SKINDATA.SK2", "pass word").result, kExtractWrongPassword);
}

TEST(ArchivePasswordTest, CipherMatchesTheReferenceInBothDirections) {
  std::vector<uint8_t> plain;
  for (int i = 0; i < 300; ++i) plain.push_back(static_cast<uint8_t>(i * 7));
  std::vector<uint8_t> encrypted = plain;
  TPkCipher("pass word").Encrypt(encrypted.data(), encrypted.size());
  dztest::ZipCipher reference("pass word");
  std::vector<uint8_t> expected;
  for (uint8_t b : plain) expected.push_back(reference.Encrypt(b));
  EXPECT_EQ(encrypted, expected);
  TPkCipher("pass word").Decrypt(encrypted.data(), encrypted.size());
  EXPECT_EQ(encrypted, plain);
}

TEST(ArchivePasswordTest, MissingOrWrongPasswordGivesResultTwo) {
  ZipTestEntry e = TextEntry("SKINDATA.SK2", "secret skin");
  e.password = "right";
  std::vector<uint8_t> bytes = dztest::BuildZip(OneEntry(e));
  EXPECT_EQ(FromMemory(bytes, "SKINDATA.SK2", "").result, kExtractWrongPassword);

  // Passwords whose decrypted check byte differs fail the check; those that pass it by
  // chance decode garbage, which fails as malformed or of the wrong size.
  const size_t headerAt = ZipLocalHeader::kSize + e.name.size();
  const std::vector<uint8_t> header(bytes.begin() + headerAt,
                                    bytes.begin() + headerAt + kEncryptionHeaderSize);
  int checked = 0, passedByChance = 0;
  for (int i = 0; i < 2000; ++i) {
    std::string wrong = "wrong" + std::to_string(i);
    dztest::ZipCipher cipher(wrong);
    uint8_t last = 0;
    for (uint8_t b : header) last = cipher.Decrypt(b);
    uint8_t result = FromMemory(bytes, "SKINDATA.SK2", wrong).result;
    if (last != static_cast<uint8_t>(e.crc32 >> 24)) {
      ++checked;
      EXPECT_EQ(result, kExtractWrongPassword) << wrong;
    } else {
      ++passedByChance;
      EXPECT_NE(result, kExtractOk) << wrong;
    }
  }
  EXPECT_GT(checked, 0);
  EXPECT_GT(passedByChance, 0);
}

TEST(ArchiveResultTest, EmptyOutputIsAFailure) {
  ZipTestEntry e = TextEntry("SKINDATA.SK2", "");
  EXPECT_EQ(FromMemory(dztest::BuildZip(OneEntry(e))).result, kExtractFailed);
  e.uncompressedSize = 5;
  EXPECT_EQ(FromMemory(dztest::BuildZip(OneEntry(e))).result, kExtractFailed);
}

TEST(ArchiveResultTest, StoredMethodIsStillDecodedAsDeflateAndFails) {
  ZipTestEntry e;
  e.name = "SKINDATA.SK2";
  e.method = 0;
  e.data = Bytes("Good skin");  // 'G' = 0x47: final bit 1, block type 3
  e.crc32 = dztest::Crc32(e.data);
  e.uncompressedSize = static_cast<uint32_t>(e.data.size());
  EXPECT_EQ(FromMemory(dztest::BuildZip(OneEntry(e))).result, kExtractFailed);
}

TEST(ArchiveResultTest, OutputOfAnotherSizeThanRecordedGivesResultTwo) {
  ZipTestEntry e = TextEntry("SKINDATA.SK2", "twelve bytes");
  e.uncompressedSize = 13;
  EXPECT_EQ(FromMemory(dztest::BuildZip(OneEntry(e))).result, kExtractWrongPassword);
  e.uncompressedSize = 11;
  Extracted small = FromMemory(dztest::BuildZip(OneEntry(e)));
  EXPECT_EQ(small.result, kExtractWrongPassword);
  EXPECT_LE(small.text.size(), 11u);
}

TEST(ArchiveResultTest, HostileExpansionStopsAtTheRecordedSize) {
  ZipTestEntry e = RunEntry("SKINDATA.SK2", 'b', 10 << 20);  // 10 MB from about 5 KB
  e.uncompressedSize = 100000;
  std::vector<uint8_t> bytes = dztest::BuildZip(OneEntry(e));
  TMemoryArchiveSource source(bytes.data(), bytes.size());
  TZipEntry entry;
  ASSERT_TRUE(FindArchiveEntry(source, "SKINDATA.SK2", entry));
  struct CountingSink : TInflateSink {
    uint64_t total = 0;
    bool Write(const uint8_t*, size_t size) override {
      total += size;
      return true;
    }
  } sink;
  uint64_t written = 0;
  EXPECT_EQ(ExtractEntryData(source, entry, "", sink, written), kExtractWrongPassword);
  EXPECT_LE(sink.total, 100000u);
  EXPECT_EQ(sink.total, written);
}

TEST(ArchiveResultTest, MalformedDataGivesOneUnlessOutputWasWritten) {
  // The data runs to the end of the archive, so a stream is made malformed explicitly: a
  // reserved block type after the entry's text.
  for (size_t count : {size_t{100}, size_t{70000}}) {
    dztest::BitWriter w;
    dztest::WriteFixedBlock(w, false, RunItems('m', count));
    w.Put(1, 1);
    w.Put(3, 2);  // reserved block type
    ZipTestEntry e;
    e.name = "SKINDATA.SK2";
    e.data = w.bytes();
    e.uncompressedSize = static_cast<uint32_t>(count);
    // 100 bytes never left the window: 1; of 70,000 the first 32 KB were written: 2.
    EXPECT_EQ(FromMemory(dztest::BuildZip(OneEntry(e))).result,
              count < 32768 ? kExtractFailed : kExtractWrongPassword)
        << count;
  }
}

TEST(ArchiveResultTest, BackReferencesAndLargeOutputs) {
  dztest::BitWriter w;
  dztest::WriteFixedBlock(w, true, {dztest::Lit('d'), dztest::Match(10, 1)});
  ZipTestEntry e;
  e.name = "SKINDATA.SK2";
  e.data = w.bytes();
  e.uncompressedSize = 11;
  EXPECT_EQ(FromMemory(dztest::BuildZip(OneEntry(e))).text, std::string(11, 'd'));

  Extracted big = FromMemory(dztest::BuildZip(OneEntry(RunEntry("SKINDATA.SK2", 'L', 200001))));
  EXPECT_EQ(big.result, kExtractOk);
  EXPECT_TRUE(big.text == std::string(200001, 'L'));
}

TEST_F(ArchiveFileTest, ExtractsIntoANewFileReplacingAnOldOne) {
  std::string archive =
      Write("skin.zip", dztest::BuildZip(OneEntry(RunEntry("SKINDATA.SK2", 'k', 100000))));
  std::string out = Write("out.sk2", Bytes("previous contents, longer than nothing"));
  EXPECT_EQ(ExtractArchiveEntry(archive, "SKINDATA.SK2", out, ""), kExtractOk);
  EXPECT_TRUE(Read(out) == std::string(100000, 'k'));
}

TEST_F(ArchiveFileTest, FailureDeletesTheOutputFile) {
  ZipTestEntry e = TextEntry("SKINDATA.SK2", "secret");
  e.password = "pw";
  std::string archive = Write("skin.zip", dztest::BuildZip(OneEntry(e)));
  std::string out = Path("out.sk2");
  EXPECT_EQ(ExtractArchiveEntry(archive, "SKINDATA.SK2", out, ""), kExtractWrongPassword);
  EXPECT_FALSE(fs::exists(out));
  ZipTestEntry wrongSize = TextEntry("SKINDATA.SK2", "abc");
  wrongSize.uncompressedSize = 4;
  archive = Write("skin2.zip", dztest::BuildZip(OneEntry(wrongSize)));
  EXPECT_EQ(ExtractArchiveEntry(archive, "SKINDATA.SK2", out, ""), kExtractWrongPassword);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(ExtractArchiveEntry(archive, "SKINDATA.SK2", out, "", 3), kExtractFailed);
  EXPECT_FALSE(fs::exists(out));  // refused by the size limit before creating anything
}

TEST_F(ArchiveFileTest, MissingArchiveFailsWithoutTouchingAnExistingFile) {
  std::string out = Write("keep.txt", Bytes("user data"));
  EXPECT_EQ(ExtractArchiveEntry(Path("missing.zip"), "SKINDATA.SK2", out, ""), kExtractFailed);
  EXPECT_EQ(Read(out), "user data");
  std::string archive = Write("skin.zip", dztest::BuildZip(OneEntry(TextEntry("OTHER", "x"))));
  EXPECT_EQ(ExtractArchiveEntry(archive, "SKINDATA.SK2", out, ""), kExtractFailed);
  EXPECT_EQ(Read(out), "user data");  // entry not found: nothing was created
}

}  // namespace
}  // namespace skin
