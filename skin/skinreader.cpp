// ZizoSkinReader: loading a skin and reading its keys.
#include "skin/skinreader.h"

#include "platform/files.h"

namespace skin {

ZizoSkinReader::ZizoSkinReader(SkinFileOpener opener, const std::string& archivePath,
                               const std::string& password)
    : opener_(std::move(opener)) {
  LoadSkinFile(archivePath, password);
}

const char* ZizoSkinReader::KeyName(SkinGroup group, int index) {
  // Only the low 7 bits select the key; an index running past the 84 names reads as missing.
  const int key = FirstKeyOf(group) + (index & 0x7F);
  return key < kSkinKeyCount ? kSkinKeyNames[key] : nullptr;
}

void ZizoSkinReader::LoadSkinFile(const std::string& archivePath, const std::string& password) {
  file_.reset();
  ready_ = false;
  if (!archivePath.empty() && platform::FileExists(archivePath)) {
    file_ = opener_(archivePath, password);  // raises: no skin, no notification
    if (file_) {
      const ColorRef transparent = ColorRef(SkinColor(kTransColor));
      file_->ApplyTransparentColor(transparent);
      if (SkinImage* track = file_->MutableBitmap(kSkinKeyNames[kBitmapKeyFirst + kTrackBarBitmap]))
        track->ReplaceColor(transparent, ColorRef(SkinColor(kFormColor)));
      ready_ = true;
    }
  }
  if (OnSkinLoaded) OnSkinLoaded(*this);
}

int32_t ZizoSkinReader::SkinColor(int index) const {
  const char* name = KeyName(SkinGroup::Color, index);
  return file_ && name ? file_->IntegerValue(name) : -1;
}

int32_t ZizoSkinReader::SkinMetric(int index) const {
  const char* name = KeyName(SkinGroup::Metric, index);
  return file_ && name ? file_->IntegerValue(name) : -1;
}

int32_t ZizoSkinReader::SkinFlag(int index) const {
  const char* name = KeyName(SkinGroup::Flag, index);
  return file_ && name ? file_->ByteValue(name) : 0;
}

const SkinImage* ZizoSkinReader::SkinBitmap(int index) const {
  const char* name = KeyName(SkinGroup::Bitmap, index);
  return file_ && name ? file_->FindBitmap(name) : nullptr;
}

}  // namespace skin
