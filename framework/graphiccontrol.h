// TGraphicControl: a control without a window of its own (labels, images). Its parent paints
// it (WM_PAINT with the parent's DC, origin moved to the control) and routes mouse messages and
// mouse enter/leave to it; everything goes through its WindowProc. UI thread only.
#pragma once

#include "framework/wincontrol.h"

namespace framework {

class TGraphicControl : public TControl {
 public:
  DZ_CLASS(TGraphicControl, TControl)
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  // Valid only while Paint runs.
  TCanvas& Canvas() { return *canvas_; }

 protected:
  void WndProc(TMessage& message) override;
  virtual void Paint() {}

 private:
  std::unique_ptr<TCanvas> canvas_;
};

}  // namespace framework
