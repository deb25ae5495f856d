// TImage: drawing the picture.
#include "framework/image.h"

namespace framework {

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 105, 105);
  picture_->OnChange = [this](TBitmap&) { Invalidate(); };
}

TImage::~TImage() = default;

void TImage::SetStretch(bool value) {
  stretch_ = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  center_ = value;
  Invalidate();
}

void TImage::Paint() {
  if (picture_->Empty()) return;
  TCanvas& c = Canvas();
  if (stretch_) {
    c.StretchDraw(ClientRect(), *picture_);
    return;
  }
  int x = 0, y = 0;
  if (center_) {
    x = (Width() - picture_->Width()) / 2;
    y = (Height() - picture_->Height()) / 2;
  }
  c.Draw(x, y, *picture_);
}

}  // namespace framework
