// ZizoSkinReader: loading (missing file, failing opener, notification), the track bar colour
// replacement, the transparent colour, case-insensitive keys and the index rules.
#include "skin/skinreader.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "skin/bmp.h"
#include "skin/resfilewriter.h"
#include "skin/skinreader_testing.h"

namespace skin {
namespace {

const ColorRef kMagenta = MakeColor(255, 0, 255);
const ColorRef kForm = MakeColor(0xDC, 0xE4, 0xEE);

// A file that exists, so the reader goes on to its opener; the opener parses `resource`
// instead of extracting an archive.
class SkinReaderTest : public testing::Test {
 protected:
  SkinFileOpener Opener() {
    return [this](const std::string& path, const std::string& password) {
      ++opened_;
      lastPath_ = path;
      lastPassword_ = password;
      if (fail_) throw std::runtime_error("Wrong password!");
      auto reader = std::make_unique<Tsk2SkinFileReader>();
      EXPECT_EQ(reader->Parse(resource_.data(), resource_.size()), ResFileStatus::kOk);
      return reader;
    };
  }

  void UseEntries(const std::vector<ResourceEntry>& entries) {
    std::string error;
    ASSERT_TRUE(WriteResourceFile(entries, resource_, error)) << error;
  }

  ScratchArchive archive_;
  const std::string path_ = archive_.Path();
  std::vector<uint8_t> resource_;
  int opened_ = 0;
  bool fail_ = false;
  std::string lastPath_, lastPassword_;
};

TEST_F(SkinReaderTest, EmptyPathLeavesTheReaderNotReady) {
  ZizoSkinReader reader(Opener());
  EXPECT_FALSE(reader.Ready());
  EXPECT_EQ(opened_, 0);
  EXPECT_EQ(reader.SkinColor(kFormColor), -1);
  EXPECT_EQ(reader.SkinMetric(kTitleBarIconPosX), -1);
  EXPECT_EQ(reader.SkinFlag(kTitleFiveSect), 0);
  EXPECT_EQ(reader.SkinBitmap(kButtonBitmap), nullptr);
}

TEST_F(SkinReaderTest, MissingFileLeavesNoSkinAndStillNotifies) {
  UseEntries({IntegerEntry("SKIN2_FORMCOLOR", int32_t(kForm))});
  ZizoSkinReader reader(Opener(), path_, "");
  ASSERT_TRUE(reader.Ready());
  int notified = 0;
  reader.OnSkinLoaded = [&](ZizoSkinReader& sender) {
    EXPECT_EQ(&sender, &reader);
    ++notified;
  };
  reader.LoadSkinFile(path_ + ".missing", "");
  EXPECT_FALSE(reader.Ready());
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(reader.SkinColor(kFormColor), -1);  // the old skin is gone
  EXPECT_EQ(opened_, 1);
}

TEST_F(SkinReaderTest, OpenerThatRaisesLeavesNoSkinAndNoNotification) {
  UseEntries({IntegerEntry("SKIN2_FORMCOLOR", int32_t(kForm))});
  ZizoSkinReader reader(Opener(), path_, "secret");
  EXPECT_EQ(lastPath_, path_);
  EXPECT_EQ(lastPassword_, "secret");
  int notified = 0;
  reader.OnSkinLoaded = [&](ZizoSkinReader&) { ++notified; };
  fail_ = true;
  EXPECT_THROW(reader.LoadSkinFile(path_, "wrong"), std::runtime_error);
  EXPECT_FALSE(reader.Ready());
  EXPECT_EQ(notified, 0);
  EXPECT_EQ(reader.SkinColor(kFormColor), -1);
}

TEST_F(SkinReaderTest, EndMarkerOnlyGivesAReadySkinWithEveryKeyMissing) {
  UseEntries({});
  ZizoSkinReader reader(Opener(), path_, "");
  EXPECT_TRUE(reader.Ready());
  for (int i = 0; i < kColorKeyCount; ++i) EXPECT_EQ(reader.SkinColor(i), -1);
  for (int i = 0; i < kBitmapKeyCount; ++i) EXPECT_EQ(reader.SkinBitmap(i), nullptr);
  for (int i = 0; i < kMetricKeyCount; ++i) EXPECT_EQ(reader.SkinMetric(i), -1);
  for (int i = 0; i < kFlagKeyCount; ++i) EXPECT_EQ(reader.SkinFlag(i), 0);
}

TEST_F(SkinReaderTest, TrackBarTransparentPixelsBecomeTheFormColour) {
  SkinImage track(3, 2, kMagenta);
  track.SetPixel(1, 0, MakeColor(1, 2, 3));
  UseEntries({IntegerEntry("SKIN2_TRANSCOLOR", int32_t(kMagenta)),
              IntegerEntry("SKIN2_FORMCOLOR", int32_t(kForm)),
              BitmapEntry("SKIN2_TRACKBAR", EncodeBmp24(track)),
              BitmapEntry("SKIN2_BUTTON", EncodeBmp24(track))});
  ZizoSkinReader reader(Opener(), path_, "");
  ASSERT_TRUE(reader.Ready());
  const SkinImage* loaded = reader.SkinBitmap(kTrackBarBitmap);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Pixel(0, 0), kForm);
  EXPECT_EQ(loaded->Pixel(2, 1), kForm);
  EXPECT_EQ(loaded->Pixel(1, 0), MakeColor(1, 2, 3));
  // Other bitmaps keep their magenta; all report it as their fixed transparent colour.
  const SkinImage* button = reader.SkinBitmap(kButtonBitmap);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Pixel(0, 0), kMagenta);
  for (const SkinImage* img : {loaded, button}) {
    EXPECT_EQ(img->transparentMode, TransparentMode::Fixed);
    EXPECT_EQ(img->EffectiveTransparentColor(), kMagenta);
  }
}

TEST_F(SkinReaderTest, KeysIgnoreCaseAndComeFromTheirOwnTables) {
  UseEntries({IntegerEntry("skin2_formcolor", 0x123456),
              IntegerEntry("SKIN2_TITLEBARBUTTONPOSY", 4), ByteEntry("Skin2_TitleFiveSect", 1),
              ByteEntry("SKIN2_TABCONTROLTRANS", 7),
              // A metric stored as a byte is not a metric.
              ByteEntry("SKIN2_TITLEBARICONPOSX", 9)});
  ZizoSkinReader reader(Opener(), path_, "");
  EXPECT_EQ(reader.SkinColor(kFormColor), 0x123456);
  EXPECT_EQ(reader.SkinMetric(kTitleBarButtonPosY), 4);
  EXPECT_EQ(reader.SkinFlag(kTitleFiveSect), 1);
  EXPECT_EQ(reader.SkinFlag(kTabControlTrans), 7);
  EXPECT_EQ(reader.SkinMetric(kTitleBarIconPosX), -1);
}

TEST_F(SkinReaderTest, OnlyTheLowSevenBitsOfTheIndexCount) {
  UseEntries({IntegerEntry("SKIN2_FORMCOLOR", 77), ByteEntry("SKIN2_BUTTONTRANS", 1)});
  ZizoSkinReader reader(Opener(), path_, "");
  EXPECT_EQ(reader.SkinColor(kFormColor + 128), 77);
  EXPECT_EQ(reader.SkinColor(kFormColor + 256 + 128), 77);
  EXPECT_EQ(reader.SkinFlag(kButtonTrans + 128), 1);
  // Past the end of the key table: missing, never out of bounds.
  EXPECT_EQ(reader.SkinFlag(127), 0);
  EXPECT_EQ(reader.SkinBitmap(127), nullptr);
  EXPECT_EQ(reader.SkinMetric(-1), -1);
}

}  // namespace
}  // namespace skin
