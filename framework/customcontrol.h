// TCustomControl: a windowed control that paints itself on a canvas (group boxes, panels, the
// data-aware grid through TCustomGrid). Paint is called inside WM_PAINT with the canvas bound
// to the paint DC; the graphic children are painted after it. UI thread only.
#pragma once

#include "framework/wincontrol.h"

namespace framework {

class TCustomControl : public TWinControl {
 public:
  DZ_CLASS(TCustomControl, TWinControl)
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  // Valid only while Paint runs.
  TCanvas& Canvas() { return *canvas_; }

 protected:
  void PaintWindow(HDC dc) override;
  // Default: fills the client area with Color.
  virtual void Paint();

 private:
  std::unique_ptr<TCanvas> canvas_;
};

}  // namespace framework
