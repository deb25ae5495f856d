// Test helpers for skin loading (see skinreader_testing.h).
#include "skin/skinreader_testing.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/files.h"
#include "skin/skinkeys.h"

namespace skin {

ScratchArchive::ScratchArchive()
    : path_(platform::TempPath() + "dzskin_test_" + platform::NewGuidString() + ".skin") {
  std::ofstream(path_, std::ios::binary) << "archive";
}

ScratchArchive::~ScratchArchive() { platform::DeleteFile(path_); }

SkinFileOpener ResourceOpener(std::vector<uint8_t> resource) {
  return [resource = std::move(resource)](const std::string&, const std::string&) {
    auto file = std::make_unique<Tsk2SkinFileReader>();
    EXPECT_EQ(file->Parse(resource.data(), resource.size()), ResFileStatus::kOk);
    return file;
  };
}

LoadedSkin::LoadedSkin(const std::vector<ResourceEntry>& entries) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(WriteResourceFile(entries, bytes, error)) << error;
  reader_ = std::make_unique<ZizoSkinReader>(ResourceOpener(std::move(bytes)), archive_.Path());
  EXPECT_TRUE(reader_->Ready());
}

std::string BitmapKey(int bitmapIndex) { return kSkinKeyNames[kBitmapKeyFirst + bitmapIndex]; }

SkinImage Bands(bool alongX, int across, std::initializer_list<std::pair<int, ColorRef>> bands) {
  int length = 0;
  for (auto [n, c] : bands) length += n;
  SkinImage image(alongX ? length : across, alongX ? across : length);
  int at = 0;
  for (auto [n, c] : bands) {
    for (int i = at; i < at + n; ++i)
      for (int j = 0; j < across; ++j) image.SetPixel(alongX ? i : j, alongX ? j : i, c);
    at += n;
  }
  return image;
}

}  // namespace skin
