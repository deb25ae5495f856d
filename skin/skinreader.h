// ZizoSkinReader: the current skin of the skin engine. Holds the file reader of the loaded
// skin archive and answers the 84 skin keys by group and index; a missing key (or no skin)
// reads as -1 for colours and metrics, 0 for flags and no bitmap. Owned by the skin engine;
// used on the user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "skin/resfile.h"
#include "skin/skinkeys.h"

namespace skin {

// Opens a skin archive and parses its resource file. Raises Exception with the archive's
// messages ("Wrong password!", "Failed to read skin file!") when that fails.
using SkinFileOpener = std::function<std::unique_ptr<Tsk2SkinFileReader>(
    const std::string& archivePath, const std::string& password)>;

class ZizoSkinReader {
 public:
  // Creates the reader and loads the archive at once; an empty path leaves it not ready.
  explicit ZizoSkinReader(SkinFileOpener opener, const std::string& archivePath = "",
                          const std::string& password = "");
  ZizoSkinReader(const ZizoSkinReader&) = delete;
  ZizoSkinReader& operator=(const ZizoSkinReader&) = delete;

  // Frees the current skin, loads the archive (a missing file leaves no skin), applies the
  // transparent colour to every bitmap, paints the track bar's transparent pixels in the form
  // colour, and calls OnSkinLoaded. When opening raises, the reader is left empty and not
  // ready and the exception passes on without a notification.
  void LoadSkinFile(const std::string& archivePath, const std::string& password);

  // Accessors by index within the group; only the low 7 bits of the index count.
  int32_t SkinColor(int index) const;
  int32_t SkinMetric(int index) const;
  int32_t SkinFlag(int index) const;
  // The bitmap stays owned by the file reader; callers copy it before changing it.
  const SkinImage* SkinBitmap(int index) const;

  bool Ready() const { return ready_; }
  const Tsk2SkinFileReader* FileReader() const { return file_.get(); }

  // Called after every LoadSkinFile that did not raise, with this reader as sender.
  std::function<void(ZizoSkinReader& sender)> OnSkinLoaded;

 private:
  // The key name for an index of a group, or nullptr when it lies beyond the key table.
  static const char* KeyName(SkinGroup group, int index);

  SkinFileOpener opener_;
  std::unique_ptr<Tsk2SkinFileReader> file_;
  bool ready_ = false;
};

}  // namespace skin
