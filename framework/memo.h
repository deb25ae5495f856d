// TMemo: a multi-line edit with word wrap and optional scroll bars. Enter inserts a line
// break unless WantReturns is off; Tab moves the focus unless WantTabs is on. UI thread only.
#pragma once

#include <string>
#include <vector>

#include "framework/edit.h"

namespace framework {

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The memo family's name in class lookups.
class TCustomMemo : public TCustomEdit {
 public:
  DZ_CLASS(TCustomMemo, TCustomEdit)
  using TCustomEdit::TCustomEdit;
};

class TMemo : public TCustomMemo {
 public:
  DZ_CLASS(TMemo, TCustomMemo)
  explicit TMemo(TComponent* owner);

  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool value);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle value);
  bool WantReturns = true;
  bool WantTabs = false;

  // The text's lines (split at CR LF; a final line break adds no empty line).
  std::vector<std::string> Lines();
  int LineCount() { return static_cast<int>(Lines().size()); }
  void SetLines(const std::vector<std::string>& lines);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  bool word_wrap_ = true;
  TScrollStyle scroll_bars_ = ssNone;
};

}  // namespace framework
