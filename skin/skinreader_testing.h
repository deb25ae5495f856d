// Test helpers for code that loads skins through ZizoSkinReader without a skin archive: a file
// standing in for the archive (the reader only loads paths that exist) and an opener that
// parses a resource file held in memory. Used by the skin reader and skin pieces tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/skinreader.h"

namespace skin {

// A small file in the temporary directory, removed when the object goes.
class ScratchArchive {
 public:
  ScratchArchive();
  ~ScratchArchive();
  ScratchArchive(const ScratchArchive&) = delete;
  ScratchArchive& operator=(const ScratchArchive&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// An opener that ignores the archive and parses `resource` (a test failure if it does not).
SkinFileOpener ResourceOpener(std::vector<uint8_t> resource);

}  // namespace skin
