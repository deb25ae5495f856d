// Test helpers for code that loads skins through ZizoSkinReader without a skin archive: a file
// standing in for the archive (the reader only loads paths that exist), an opener that parses a
// resource file held in memory, a skin loaded from resource entries, and solid-band images to
// put in it. Used by the skin reader and skin pieces tests and by the skin engine's tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "skin/resfilewriter.h"
#include "skin/skinimage.h"
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

// A skin whose resource file holds `entries`, loaded by a reader as if extracted from an
// archive (a test failure when the file cannot be written or the reader is not ready).
class LoadedSkin {
 public:
  explicit LoadedSkin(const std::vector<ResourceEntry>& entries);
  const ZizoSkinReader* Reader() const { return reader_.get(); }

 private:
  ScratchArchive archive_;
  std::unique_ptr<ZizoSkinReader> reader_;
};

// The resource name of bitmap key `bitmapIndex` (kScrollBarThumb, kProgressBar1, ...).
std::string BitmapKey(int bitmapIndex);

// An image `across` pixels across and as long as the bands together, in solid bands of
// (length, colour) along x (columns, left to right) or along y (rows, top to bottom).
SkinImage Bands(bool alongX, int across, std::initializer_list<std::pair<int, ColorRef>> bands);

}  // namespace skin
