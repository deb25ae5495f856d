// TLabel: text painted by its parent (a graphic control), in the parent's colour unless told
// otherwise; sized to its text while AutoSize is on. "&" marks an accelerator letter ("&&" is
// one "&") unless ShowAccelChar is off. UI thread only.
#pragma once

#include "framework/graphiccontrol.h"
#include "framework/panel.h"

namespace framework {

// The label family's name in class lookups.
class TCustomLabel : public TGraphicControl {
 public:
  DZ_CLASS(TCustomLabel, TGraphicControl)
  using TGraphicControl::TGraphicControl;
};

class TLabel : public TCustomLabel {
 public:
  DZ_CLASS(TLabel, TCustomLabel)
  explicit TLabel(TComponent* owner);

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool ShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool value);

  void Loaded() override;

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;

 private:
  UINT TextFlags() const;
  void AdjustBounds();

  bool auto_size_ = true;
  bool transparent_ = false;
  bool word_wrap_ = false;
  TAlignment alignment_ = taLeftJustify;
  bool show_accel_char_ = true;
};

}  // namespace framework
