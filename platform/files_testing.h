// Test fixture of the file-service tests (files_test.cpp, replacingfile_test.cpp): a fresh
// directory under the temporary directory, removed with its contents afterwards.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"

namespace platform {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempPath() + "dzfiles" + NewGuidString();
    ASSERT_TRUE(CreateDirectory(dir_));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string In(const std::string& name) const { return dir_ + "/" + name; }
  // The names in the directory, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

  std::string dir_;
};

}  // namespace platform
