// Test helpers for skin loading (see skinreader_testing.h).
#include "skin/skinreader_testing.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/files.h"

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

}  // namespace skin
