// TImage: a bitmap shown by a graphic control, at its own size (optionally centred) or
// stretched to the control, transparent when asked. UI thread only.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "framework/graphiccontrol.h"

namespace framework {

class TImage : public TGraphicControl {
 public:
  DZ_CLASS(TImage, TGraphicControl)
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TBitmap& Picture() { return *picture_; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  bool Transparent() const { return picture_->Transparent(); }
  void SetTransparent(bool value) { picture_->SetTransparent(value); }

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TBitmap> picture_;
  bool stretch_ = false;
  bool center_ = false;
};

}  // namespace framework
