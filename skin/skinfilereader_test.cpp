// Tests of skin file reader creation: the temporary file's name and removal, and the
// exceptions for failed extractions. The temporary directory is pointed at a fresh folder so
// that leftovers can be seen.
#include "skin/skinfilereader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/bytewriter.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "skin/resfile.h"
#include "testing/deflatewriter.h"
#include "testing/zipwriter.h"

namespace skin {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
const char* const kTempVariables[] = {"TMP", "TEMP"};
void SetVariable(const char* name, const std::optional<std::string>& value) {
  _putenv_s(name, value ? value->c_str() : "");  // an empty value removes the variable
}
#else
const char* const kTempVariables[] = {"TMPDIR"};
void SetVariable(const char* name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}
#endif

// A resource file with one integer entry and the end marker (layout in resfile.h): the
// header, the two records right behind it, then the value.
std::vector<uint8_t> ResourceFile(const std::string& name, int32_t value) {
  constexpr size_t kFirst = kResourceHeaderSize, kSecond = kFirst + kResourceRecordSize;
  constexpr size_t kValue = kSecond + kResourceRecordSize;
  std::vector<uint8_t> f(kValue, 0);
  platform::StoreLE(f, kResourceHeaderLengthAt, kResourceHeaderSize, 4);
  platform::StoreLE(f, kResourceFirstRecordAt, kFirst, 4);
  StoreResourceRecord(f, kFirst, {name, uint8_t(ResourceKind::kInteger), kValue, 4, kSecond});
  StoreResourceRecord(f, kSecond, {"END", 0, 0, 0, 0});
  platform::AppendU32(f, static_cast<uint32_t>(value));
  return f;
}

dztest::ZipTestEntry SkinEntry(const std::vector<uint8_t>& resource) {
  dztest::ZipTestEntry e;
  e.name = "SKINDATA.SK2";
  e.data = dztest::FixedLiterals(std::string(resource.begin(), resource.end()));
  e.crc32 = dztest::Crc32(resource);
  e.uncompressedSize = static_cast<uint32_t>(resource.size());
  return e;
}

class SkinFileReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kTempVariables) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
    base_ = fs::temp_directory_path() /
            ("dz_skinfile_test_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    temp_ = base_ / "tmp";
    fs::create_directories(temp_);
    for (const char* name : kTempVariables) SetVariable(name, temp_.string());
  }
  void TearDown() override {
    for (size_t i = 0; i < saved_.size(); ++i) SetVariable(kTempVariables[i], saved_[i]);
    fs::remove_all(base_);
  }

  std::string WriteArchive(const dztest::ZipTestEntry& entry) {
    dztest::ZipTestArchive a;
    a.entries.push_back(entry);
    std::vector<uint8_t> bytes = dztest::BuildZip(a);
    std::string path = (base_ / "skin.skn").string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  bool TempIsEmpty() const { return fs::is_empty(temp_); }
  std::string Message(const std::string& archive, const std::string& password) {
    try {
      CreateSkinFileReader(archive, password);
    } catch (const Exception& e) {
      return e.Message;
    }
    return "no exception";
  }

  fs::path base_, temp_;
  std::vector<std::optional<std::string>>
      saved_;  // the temporary-directory variables before the test
};

bool IsGuidForm(const std::string& s) {
  if (s.size() != 38 || s.front() != '{' || s.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? s[i] != '-' : !std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

TEST_F(SkinFileReaderTest, TemporaryNameIsTheTempDirectoryAndANewGuid) {
  std::string dir = platform::TempPath();
  // The tests below watch this folder.
  EXPECT_EQ(dir, temp_.string() + static_cast<char>(fs::path::preferred_separator));
  std::string a = NewSkinTempFileName(), b = NewSkinTempFileName();
  ASSERT_GT(a.size(), 38u);
  EXPECT_EQ(a.substr(0, dir.size()), dir);
  EXPECT_TRUE(IsGuidForm(a.substr(a.size() - 38))) << a;
  EXPECT_EQ(a.size(), dir.size() + 38);  // no extension, one separator
  EXPECT_NE(a, b);
}

TEST_F(SkinFileReaderTest, ParsesTheExtractedResourceFileAndDeletesIt) {
  std::string archive = WriteArchive(SkinEntry(ResourceFile("SKIN2_FORMCOLOR", 0x00B88B67)));
  std::unique_ptr<Tsk2SkinFileReader> reader = CreateSkinFileReader(archive, "");
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->IntegerValue("skin2_formcolor"), 0x00B88B67);
  EXPECT_TRUE(TempIsEmpty());
}

TEST_F(SkinFileReaderTest, FailuresRaiseTheirMessagesAndLeaveNoTemporaryFile) {
  EXPECT_EQ(Message((base_ / "missing.skn").string(), ""), "Failed to read skin file!");

  dztest::ZipTestEntry encrypted = SkinEntry(ResourceFile("SKIN2_FORMCOLOR", 1));
  encrypted.password = "skin password";
  std::string archive = WriteArchive(encrypted);
  EXPECT_EQ(Message(archive, ""), "Wrong password!");
  EXPECT_EQ(Message(archive, "not it"), "Wrong password!");
  EXPECT_TRUE(TempIsEmpty());
  EXPECT_NO_THROW(CreateSkinFileReader(archive, "skin password"));

  dztest::ZipTestEntry notParsable = SkinEntry(std::vector<uint8_t>(10, 'x'));
  EXPECT_EQ(Message(WriteArchive(notParsable), ""), "Failed to read skin file!");
  EXPECT_TRUE(TempIsEmpty());

  dztest::ZipTestEntry huge = SkinEntry(ResourceFile("SKIN2_FORMCOLOR", 1));
  huge.uncompressedSize = static_cast<uint32_t>(kMaxSkinResourceSize + 1);
  EXPECT_EQ(Message(WriteArchive(huge), ""), "Failed to read skin file!");
  EXPECT_TRUE(TempIsEmpty());
}

}  // namespace
}  // namespace skin
