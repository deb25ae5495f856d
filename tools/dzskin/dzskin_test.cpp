// The skin tool: archive writer against the program's own extraction, the archive lister,
// values.txt parsing, the dzskin command line on a fixture folder, and the default skin (all
// 84 keys, frame layouts, reproducible bytes).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/bytereader.h"
#include "skin/archive.h"
#include "skin/bmp.h"
#include "skin/resfilewriter.h"
#include "skin/skinfilereader.h"
#include "skin/skinkeys.h"
#include "skin/skinreader.h"
#include "skin/ziplayout.h"
#include "tools/dzskin/skinarchivelist.h"
#include "tools/dzskin/skinarchivewriter.h"
#include "tools/dzskin/skinfolder.h"

namespace dzskin {
namespace {

namespace fs = std::filesystem;

using skin::ZipCentralEntry;
using skin::ZipEndRecord;
using skin::ZipLocalHeader;

// A field of the record at `record` of an archive.
uint32_t Field(const std::vector<uint8_t>& archive, size_t record, skin::TZipField field) {
  platform::ByteReader r(archive.data(), archive.size());
  const uint32_t value = skin::ReadZipField(r, record, field);
  EXPECT_TRUE(r.ok());
  return value;
}

std::vector<uint8_t> Pseudorandom(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  for (uint8_t& b : v) {
    seed = seed * 1664525u + 1013904223u;
    b = uint8_t(seed >> 24) % 7;  // compressible, but not trivially
  }
  return v;
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::vector<uint8_t>& data) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

// --- Archive writer -> the program's extraction ------------------------------------------------

TEST(SkinArchiveWriter, PlainEntriesExtractThroughTheProgramsReader) {
  const std::vector<uint8_t> big = Pseudorandom(200000, 7), small = {'h', 'i'};
  std::vector<uint8_t> archive;
  std::string error;
  ASSERT_TRUE(WriteSkinArchive({{"SKINDATA.SK2", big}, {"notes.txt", small}}, "", archive, error));
  std::vector<uint8_t> out;
  EXPECT_EQ(
      skin::ExtractArchiveEntryFromMemory(archive.data(), archive.size(), "skindata.sk2", "", out),
      skin::kExtractOk);
  EXPECT_EQ(out, big);
  out.clear();
  EXPECT_EQ(
      skin::ExtractArchiveEntryFromMemory(archive.data(), archive.size(), "NOTES.TXT", "", out),
      skin::kExtractOk);
  EXPECT_EQ(out, small);
}

TEST(SkinArchiveWriter, EncryptedEntriesNeedTheRightPassword) {
  const std::vector<uint8_t> data = Pseudorandom(5000, 3);
  std::vector<uint8_t> archive, out;
  std::string error;
  ASSERT_TRUE(WriteSkinArchive({{"SKINDATA.SK2", data}}, "s3cret", archive, error));
  EXPECT_EQ(Field(archive, 0, ZipLocalHeader::kFlags), skin::kFlagEncrypted);
  EXPECT_EQ(skin::ExtractArchiveEntryFromMemory(archive.data(), archive.size(), "SKINDATA.SK2",
                                                "s3cret", out),
            skin::kExtractOk);
  EXPECT_EQ(out, data);
  out.clear();
  EXPECT_EQ(
      skin::ExtractArchiveEntryFromMemory(archive.data(), archive.size(), "SKINDATA.SK2", "", out),
      skin::kExtractWrongPassword);
  // Wrong passwords fail the check byte (2) or, 1 time in 256, the data (1 or 2).
  int refused = 0;
  for (const char* wrong : {"secret", "S3CRET", "s3cre", "x"}) {
    out.clear();
    refused += skin::ExtractArchiveEntryFromMemory(archive.data(), archive.size(), "SKINDATA.SK2",
                                                   wrong, out) != skin::kExtractOk;
  }
  EXPECT_EQ(refused, 4);
}

TEST(SkinArchiveWriter, LayoutIsSkZipWithFixedDatesAndNoComment) {
  std::vector<uint8_t> a, b;
  std::string error;
  ASSERT_TRUE(WriteSkinArchive({{"SKINDATA.SK2", Pseudorandom(1000, 1)}}, "", a, error));
  ASSERT_TRUE(WriteSkinArchive({{"SKINDATA.SK2", Pseudorandom(1000, 1)}}, "", b, error));
  EXPECT_EQ(a, b);  // reproducible
  EXPECT_EQ(a[0], 'S');
  EXPECT_EQ(a[1], 'K');
  // The local header's signature from its third byte on: "SK" 3 4.
  EXPECT_EQ(Field(a, 0, ZipLocalHeader::kSignatureField) >> 16, ZipLocalHeader::kSignature >> 16);
  EXPECT_EQ(Field(a, 0, ZipLocalHeader::kTime), kFixedDosTime);
  EXPECT_EQ(Field(a, 0, ZipLocalHeader::kDate), kFixedDosDate);
  const size_t end = a.size() - ZipEndRecord::kSize;
  EXPECT_EQ(Field(a, end, ZipEndRecord::kSignatureField), ZipEndRecord::kSignature);
  EXPECT_EQ(Field(a, end, ZipEndRecord::kCommentLength), 0u);
  const size_t dir = Field(a, end, ZipEndRecord::kDirectoryOffset);
  EXPECT_EQ(Field(a, dir, ZipCentralEntry::kSignatureField), ZipCentralEntry::kSignature);
  EXPECT_EQ(Field(a, dir, ZipCentralEntry::kMethod), skin::kZipMethodDeflate);
  EXPECT_EQ(Field(a, dir, ZipCentralEntry::kTime), kFixedDosTime);
  EXPECT_EQ(Field(a, dir, ZipCentralEntry::kDate), kFixedDosDate);
  EXPECT_EQ(Field(a, dir, ZipCentralEntry::kUncompressedSize), 1000u);
  EXPECT_EQ(Field(a, dir, ZipCentralEntry::kLocalHeaderOffset), 0u);
}

TEST(SkinArchiveList, ListsEntriesAndRejectsOtherFiles) {
  std::vector<uint8_t> archive;
  std::string error;
  ASSERT_TRUE(
      WriteSkinArchive({{"A", {1, 2, 3}}, {"B.TXT", Pseudorandom(999, 2)}}, "pw", archive, error));
  std::vector<ArchiveEntryInfo> entries;
  ASSERT_TRUE(ListSkinArchive(archive, entries, error)) << error;
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "A");
  EXPECT_EQ(entries[0].size, 3u);
  EXPECT_EQ(entries[1].size, 999u);
  EXPECT_TRUE(entries[1].encrypted);
  EXPECT_EQ(entries[1].method, 8);

  std::vector<uint8_t> pk = archive;
  pk[0] = 'P';
  EXPECT_FALSE(ListSkinArchive(pk, entries, error));
  const size_t end = archive.size() - ZipEndRecord::kSize;
  std::vector<uint8_t> outside = archive;
  skin::WriteZipField(outside, end, ZipEndRecord::kDirectoryOffset, 0x7FFFFFF0);
  EXPECT_FALSE(ListSkinArchive(outside, entries, error));
  std::vector<uint8_t> comment = archive;
  skin::WriteZipField(comment, end, ZipEndRecord::kCommentLength, 1);
  EXPECT_FALSE(ListSkinArchive(comment, entries, error));
}

// --- values.txt ---------------------------------------------------------------------------------

TEST(SkinValues, ColoursMetricsFlagsAndStrings) {
  std::vector<skin::ResourceEntry> entries;
  std::string error;
  ASSERT_TRUE(
      ParseValues("# comment\n\n SKIN2_FORMCOLOR = $678BB8\r\n"
                  "SKIN2_TITLEFONTCOLOR=16777215\n"
                  "SKIN2_TITLEBARREGIONMINY=-1\n"
                  "SKIN2_TITLEFIVESECT=1\n"
                  "SKIN_NAME=Doziviz steel\n",
                  entries, error))
      << error;
  std::vector<uint8_t> file;
  ASSERT_TRUE(skin::WriteResourceFile(entries, file, error));
  skin::Tsk2SkinFileReader r;
  ASSERT_EQ(r.Parse(file.data(), file.size()), skin::ResFileStatus::kOk);
  EXPECT_EQ(r.IntegerValue("SKIN2_FORMCOLOR"), 0xB88B67);  // red in the low byte
  EXPECT_EQ(r.IntegerValue("SKIN2_TITLEFONTCOLOR"), 0xFFFFFF);
  EXPECT_EQ(r.IntegerValue("SKIN2_TITLEBARREGIONMINY"), -1);
  EXPECT_EQ(r.ByteValue("SKIN2_TITLEFIVESECT"), 1);
  std::string name;
  EXPECT_TRUE(r.StringValue("SKIN_NAME", name));
  EXPECT_EQ(name, "Doziviz steel");
}

TEST(SkinValues, MalformedLinesNameTheLine) {
  const struct {
    const char* text;
    const char* mentions;
  } cases[] = {
      {"SKIN2_FORMCOLOR\n", "line 1"},
      {"\nSKIN2_FORMCOLOR=$12345\n", "line 2"},
      {"SKIN2_FORMCOLOR=$GG0000\n", "SKIN2_FORMCOLOR"},
      {"SKIN2_FORMCOLOR=red\n", "SKIN2_FORMCOLOR"},
      {"SKIN2_TITLEFIVESECT=256\n", "0 to 255"},
      {"SKIN2_TITLEBARICONPOSX=4.5\n", "integer"},
      {"SKIN2_BUTTON=1\n", "SKIN2_BUTTON.bmp"},
      {"SKIN2_FORMCOLOR=1\nSKIN2_FORMCOLOR=2\n", "twice"},
  };
  for (const auto& c : cases) {
    std::vector<skin::ResourceEntry> entries;
    std::string error;
    EXPECT_FALSE(ParseValues(c.text, entries, error)) << c.text;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
  }
}

// --- The command line on a fixture folder --------------------------------------------------------

class DzSkinCli : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("dzskin_test_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "skin");
    skin::SkinImage button(9, 5, skin::MakeColor(255, 0, 255));
    button.SetPixel(4, 2, skin::MakeColor(10, 20, 30));
    WriteAll(dir_ / "skin" / "SKIN2_BUTTON.bmp", skin::EncodeBmp24(button));
    WriteAll(dir_ / "skin" / "skin2_trackbar.BMP", skin::EncodeBmp24(button));  // any case
    const std::string values =
        "SKIN2_TRANSCOLOR=$FF00FF\nSKIN2_FORMCOLOR=$DCE4EE\nSKIN2_TITLEFIVESECT=1\n"
        "SKIN2_TITLEBARBUTTONPOSX=6\n";
    WriteAll(dir_ / "skin" / "values.txt", std::vector<uint8_t>(values.begin(), values.end()));
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs dzskin with the arguments; returns the exit status, output in out_.
  int Run(const std::string& args) {
    const fs::path log = dir_ / "out.txt";
    const std::string cmd = std::string(DZSKIN_EXE) + " " + args + " >" + log.string() + " 2>&1";
    const int status = std::system(cmd.c_str());
    const std::vector<uint8_t> text = ReadAll(log);
    out_.assign(text.begin(), text.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string P(const std::string& name) { return (dir_ / name).string(); }

  fs::path dir_;
  std::string out_;
};

TEST_F(DzSkinCli, BuildListKeysAndExtract) {
  ASSERT_EQ(Run("build " + P("skin") + " " + P("a.skin")), 0) << out_;
  ASSERT_EQ(Run("list " + P("a.skin")), 0) << out_;
  EXPECT_NE(out_.find("SKINDATA.SK2"), std::string::npos) << out_;
  EXPECT_NE(out_.find(" no"), std::string::npos) << out_;

  ASSERT_EQ(Run("keys " + P("a.skin")), 0) << out_;
  EXPECT_NE(out_.find("SKIN2_FORMCOLOR                    $DCE4EE"), std::string::npos) << out_;
  EXPECT_NE(out_.find("SKIN2_BUTTON                       bitmap 9x5"), std::string::npos);
  EXPECT_NE(out_.find("SKIN2_TITLEBARBUTTONPOSX           6"), std::string::npos);
  EXPECT_NE(out_.find("SKIN2_CHECKBOX                     missing"), std::string::npos);
  EXPECT_NE(out_.find("6 of 84 keys present"), std::string::npos);

  ASSERT_EQ(Run("extract " + P("a.skin") + " skindata.sk2 " + P("res.sk2")), 0) << out_;
  skin::Tsk2SkinFileReader r;
  const std::vector<uint8_t> res = ReadAll(dir_ / "res.sk2");
  ASSERT_EQ(r.Parse(res.data(), res.size()), skin::ResFileStatus::kOk);
  EXPECT_NE(r.FindBitmap("SKIN2_TRACKBAR"), nullptr);
  EXPECT_EQ(Run("extract " + P("a.skin") + " NOSUCH " + P("x")), 1);
  EXPECT_NE(out_.find("Failed to read skin file!"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "x"));
}

TEST_F(DzSkinCli, PasswordProtectedSkin) {
  ASSERT_EQ(Run("build " + P("skin") + " " + P("p.skin") + " --password pw"), 0) << out_;
  ASSERT_EQ(Run("list " + P("p.skin")), 0);
  EXPECT_NE(out_.find("yes"), std::string::npos);
  EXPECT_EQ(Run("extract " + P("p.skin") + " SKINDATA.SK2 " + P("r") + " --password nope"), 2);
  EXPECT_NE(out_.find("Wrong password!"), std::string::npos);
  EXPECT_EQ(Run("extract " + P("p.skin") + " SKINDATA.SK2 " + P("r")), 2);
  EXPECT_EQ(Run("extract " + P("p.skin") + " SKINDATA.SK2 " + P("r") + " --password pw"), 0);
  EXPECT_EQ(Run("keys " + P("p.skin")), 1);
  EXPECT_NE(out_.find("Wrong password!"), std::string::npos);
  EXPECT_EQ(Run("keys " + P("p.skin") + " --password pw"), 0);
}

TEST_F(DzSkinCli, BadInputExitsOneAndBadUsageSixtyFour) {
  EXPECT_EQ(Run("--help"), 0);
  EXPECT_NE(out_.find("build DIR OUT [--password P]"), std::string::npos);
  EXPECT_EQ(Run(""), 64);
  EXPECT_EQ(Run("frobnicate"), 64);
  EXPECT_EQ(Run("build " + P("skin")), 64);
  EXPECT_EQ(Run("list"), 64);
  EXPECT_EQ(Run("keys a b"), 64);
  EXPECT_EQ(Run("build " + P("skin") + " " + P("o") + " --password"), 64);
  EXPECT_EQ(Run("build " + P("skin") + " " + P("o") + " --verbose"), 64);

  EXPECT_EQ(Run("build " + P("nowhere") + " " + P("o")), 1);
  EXPECT_NE(out_.find("not a folder"), std::string::npos);
  EXPECT_EQ(Run("list " + P("nowhere")), 1);
  EXPECT_EQ(Run("list " + P("skin/SKIN2_BUTTON.bmp")), 1);
  EXPECT_NE(out_.find("not a skin archive"), std::string::npos);
  EXPECT_EQ(Run("list " + P("skin/values.txt")), 1);  // begins with "SK", but has no end record
  EXPECT_NE(out_.find("end-of-central-directory"), std::string::npos);
  EXPECT_EQ(Run("keys " + P("skin/values.txt")), 1);
  EXPECT_NE(out_.find("Failed to read skin file!"), std::string::npos);

  WriteAll(dir_ / "skin" / "SKIN2_CHECKBOX.bmp", {'B', 'M', 0, 0});
  EXPECT_EQ(Run("build " + P("skin") + " " + P("o")), 1);
  EXPECT_NE(out_.find("SKIN2_CHECKBOX.bmp"), std::string::npos);
  fs::remove(dir_ / "skin" / "SKIN2_CHECKBOX.bmp");
  WriteAll(dir_ / "skin" / "holiday.bmp", {'x'});
  EXPECT_EQ(Run("build " + P("skin") + " " + P("o")), 0);
  EXPECT_NE(out_.find("warning: holiday.bmp"), std::string::npos);
}

// --- The default skin
// -----------------------------------------------------------------------------

TEST(DefaultSkin, LoadsWithEveryKeyPresent) {
  skin::ZizoSkinReader reader(skin::CreateSkinFileReader, DZ_DEFAULT_SKIN, "");
  ASSERT_TRUE(reader.Ready());
  const skin::Tsk2SkinFileReader& file = *reader.FileReader();
  auto has = [](const std::vector<std::string>& lines, const std::string& name) {
    for (const std::string& l : lines)
      if (l.rfind(name + "=", 0) == 0) return true;
    return false;
  };
  for (int k = 0; k < skin::kSkinKeyCount; ++k) {
    const std::string name = skin::kSkinKeyNames[k];
    switch (skin::GroupOfKey(k)) {
      case skin::SkinGroup::Color:
      case skin::SkinGroup::Metric:
        EXPECT_TRUE(has(file.Integers(), name)) << name;
        break;
      case skin::SkinGroup::Flag:
        EXPECT_TRUE(has(file.Bytes(), name)) << name;
        break;
      case skin::SkinGroup::Bitmap:
        EXPECT_NE(file.FindBitmap(name), nullptr) << name;
        break;
    }
  }
}

TEST(DefaultSkin, BitmapsFitTheirFrameLayouts) {
  skin::ZizoSkinReader reader(skin::CreateSkinFileReader, DZ_DEFAULT_SKIN, "");
  ASSERT_TRUE(reader.Ready());
  const skin::ColorRef t = skin::ColorRef(reader.SkinColor(skin::kTransColor));
  EXPECT_NE(reader.SkinColor(skin::kScrollBarColor), 0xCBCBCB);  // thumbs are cut in pieces
  const struct {
    int index, frames;
  } strips[] = {{skin::kTitleButtons, 18},     {skin::kButtonBitmap, 3},
                {skin::kCheckBoxBitmap, 6},    {skin::kRadioButtonBitmap, 4},
                {skin::kScrollBarUpButton, 3}, {skin::kScrollBarDownButton, 3},
                {skin::kTabControlBitmap, 2}};
  for (const auto& s : strips) {
    const skin::SkinImage* img = reader.SkinBitmap(s.index);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width % s.frames, 0) << s.index;
  }
  // All title sections are as high as the first; the bar's top corners are cut through the
  // title region, whose rows hold them.
  const skin::SkinImage* t1 = reader.SkinBitmap(skin::kTitleBar1);
  const skin::SkinImage* t5 = reader.SkinBitmap(skin::kTitleBar5);
  for (int i = skin::kTitleBar1; i <= skin::kTitleBar5; ++i)
    EXPECT_EQ(reader.SkinBitmap(i)->height, t1->height);
  EXPECT_EQ(t1->Pixel(0, 0), t);
  EXPECT_EQ(t5->Pixel(t5->width - 1, 0), t);
  EXPECT_NE(t1->Pixel(0, t1->height - 1), t);
  EXPECT_EQ(reader.SkinFlag(skin::kTitleBarNeedRegion), 1);
  EXPECT_GE(reader.SkinMetric(skin::kTitleBarRegionMaxY), 1);
  for (int y = reader.SkinMetric(skin::kTitleBarRegionMaxY) + 1; y < t1->height; ++y)
    EXPECT_NE(t1->Pixel(0, y), t) << y;
  // Caption buttons fit inside the title bar.
  const skin::SkinImage* buttons = reader.SkinBitmap(skin::kTitleButtons);
  EXPECT_LE(reader.SkinMetric(skin::kTitleBarButtonPosY) + buttons->height, t1->height);
  // Thumbs of the track bar take their bottom-left pixel as transparent colour.
  for (int i : {skin::kTrackBarSlider, skin::kTrackBarVSlider}) {
    const skin::SkinImage* s = reader.SkinBitmap(i);
    EXPECT_EQ(s->Pixel(0, s->height - 1), t) << i;
  }
  // The track bar's transparent pixels now show the form colour.
  for (skin::ColorRef c : reader.SkinBitmap(skin::kTrackBarBitmap)->pixels) EXPECT_NE(c, t);
  // Progress pieces share one height.
  for (int i = skin::kProgressBar1; i <= skin::kProgressBar4; ++i)
    EXPECT_EQ(reader.SkinBitmap(i)->height, reader.SkinBitmap(skin::kProgressBar1)->height);
}

TEST(DefaultSkin, BuildIsReproducible) {
  const fs::path dir = fs::temp_directory_path() / ("dzskin_repro_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  const std::string cmd = std::string(DZSKINGEN_EXE) + " " + (dir / "src").string() + " " +
                          (dir / "c.png").string() + " && " + DZSKIN_EXE + " build " +
                          (dir / "src").string() + " " + (dir / "a.skin").string();
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(ReadAll(dir / "a.skin"), ReadAll(DZ_DEFAULT_SKIN));
  EXPECT_EQ(ReadAll(dir / "c.png"),
            ReadAll(fs::path(DZ_DEFAULT_SKIN).parent_path() / "doziviz-contact.png"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace dzskin
