// TScrollBox: a container whose children may extend beyond its client area; scroll bars
// appear as needed and move the children. UI thread only.
#pragma once

#include "framework/form.h"

namespace framework {

class TScrollBox : public TWinControl {
 public:
  DZ_CLASS(TScrollBox, TWinControl)
  explicit TScrollBox(TComponent* owner);

  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  // Scroll positions in pixels.
  int HorzPosition() const { return pos_x_; }
  int VertPosition() const { return pos_y_; }
  void ScrollTo(int x, int y);
  // Recomputes the scroll ranges from the children's extent.
  void UpdateScrollBars();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowDone() override { UpdateScrollBars(); }
  void WndProc(TMessage& message) override;

 private:
  void Scroll(int bar, WORD code);

  TBorderStyle border_style_ = bsSingle;
  int pos_x_ = 0, pos_y_ = 0;
  int range_x_ = 0, range_y_ = 0;
};

}  // namespace framework
