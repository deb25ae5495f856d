// TPanel: a container painted by itself with an outer and inner bevel (raised or lowered),
// a border width between them, and a centred caption. Children are aligned inside the bevels.
// UI thread only.
#pragma once

#include "framework/customcontrol.h"
#include "framework/form.h"

namespace framework {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The panel family's name in class lookups (the skin engine matches "TCustomPanel").
class TCustomPanel : public TCustomControl {
 public:
  DZ_CLASS(TCustomPanel, TCustomControl)
  using TCustomControl::TCustomControl;
};

class TPanel : public TCustomPanel {
 public:
  DZ_CLASS(TPanel, TCustomPanel)
  explicit TPanel(TComponent* owner);

  TBevelCut BevelInner() const { return inner_; }
  TBevelCut BevelOuter() const { return outer_; }
  int BevelWidth() const { return bevel_width_; }
  int BorderWidth() const { return border_width_; }
  TBorderStyle BorderStyle() const { return border_style_; }
  TAlignment Alignment() const { return alignment_; }
  void SetBevelInner(TBevelCut cut);
  void SetBevelOuter(TBevelCut cut);
  void SetBevelWidth(int width);
  void SetBorderWidth(int width);
  void SetBorderStyle(TBorderStyle style);
  void SetAlignment(TAlignment alignment);

  void AdjustClientRect(RECT& rect) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void WndProc(TMessage& message) override;

 private:
  void Changed();

  TBevelCut inner_ = bvNone;
  TBevelCut outer_ = bvRaised;
  int bevel_width_ = 1;
  int border_width_ = 0;
  TBorderStyle border_style_ = bsNone;
  TAlignment alignment_ = taCenter;
};

}  // namespace framework
