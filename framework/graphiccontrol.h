// TGraphicControl: a control without a window of its own (labels, images, speed buttons). Its
// parent paints it (WM_PAINT with the parent's DC, origin moved to the control) and routes mouse
// messages and mouse enter/leave to it; everything goes through its WindowProc. UI thread only.
#pragma once

#include "framework/wincontrol.h"

namespace framework {

class TControlCanvas;

class TGraphicControl : public TControl {
 public:
  DZ_CLASS(TGraphicControl, TControl)
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  // While Paint runs: the parent's paint DC. At other times (a wrapper repainting on mouse
  // enter): a DC of the parent's window taken on first use, with the origin at the control and
  // clipped to it, released when the message being handled is done (FreeControlCanvasDCs).
  // Draws nothing while the parent has no window.
  TCanvas& Canvas();

 protected:
  void WndProc(TMessage& message) override;
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// Releases the DCs that graphic controls' canvases took outside painting. The framework calls
// it when a window procedure call returns to the message loop, before each message the loop
// takes, and before a window is destroyed.
void FreeControlCanvasDCs();

}  // namespace framework
