// Fuzz target: the skin resource file parser, with BMP decoding of its bitmap entries, and
// the lookups and transparent-colour pass that follow a load.
#include <cstddef>
#include <cstdint>

#include "skin/resfile.h"
#include "skin/skinkeys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  skin::Tsk2SkinFileReader reader;
  if (reader.Parse(data, size) != skin::ResFileStatus::kOk) return 0;
  for (int k = 0; k < skin::kSkinKeyCount; ++k) {
    reader.IntegerValue(skin::kSkinKeyNames[k]);
    reader.ByteValue(skin::kSkinKeyNames[k]);
    if (skin::SkinImage* img = reader.MutableBitmap(skin::kSkinKeyNames[k])) {
      img->ReplaceColor(0xFF00FF, 0xEEE4DC);
    }
  }
  reader.ApplyTransparentColor(0xFF00FF);
  return 0;
}
