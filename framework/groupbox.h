// TGroupBox: a framed, captioned container, painted by itself on its canvas. Its children are
// aligned inside the frame: below the caption's text height, 2 pixels in from each side.
// UI thread only.
#pragma once

#include "framework/customcontrol.h"

namespace framework {

// The group box family's name in class lookups.
class TCustomGroupBox : public TCustomControl {
 public:
  DZ_CLASS(TCustomGroupBox, TCustomControl)
  using TCustomControl::TCustomControl;
};

class TGroupBox : public TCustomGroupBox {
 public:
  DZ_CLASS(TGroupBox, TCustomGroupBox)
  explicit TGroupBox(TComponent* owner);

  void AdjustClientRect(RECT& rect) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void WndProc(TMessage& message) override;
};

// Height of `text` in `font` on the screen (the font's character height for "0").
int ScreenTextHeight(TFont& font, const std::string& text);

}  // namespace framework
