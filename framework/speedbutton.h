// TSpeedButton: a button without a window of its own (tool bars, caption button strips): a
// glyph (its bottom-left colour transparent) and an optional caption, centred on a face that is
// raised, sunk while the left button is held on it, and, when Flat, framed only while the mouse
// is over it. A press and release inside it fires OnClick. UI thread only.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "framework/graphiccontrol.h"

namespace framework {

class TSpeedButton : public TGraphicControl {
 public:
  DZ_CLASS(TSpeedButton, TGraphicControl)
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  TBitmap& Glyph() { return *glyph_; }
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  bool MouseInControl() const { return mouse_in_; }
  bool Pressed() const { return pressed_; }

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  std::unique_ptr<TBitmap> glyph_;
  bool flat_ = false;
  bool mouse_in_ = false;
  bool pressed_ = false;
};

}  // namespace framework
