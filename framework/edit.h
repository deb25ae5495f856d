// TCustomEdit (the EDIT window shared by single-line edits and memos) and TEdit. Text limit
// (MaxLength), the modified flag, read-only, border style (bsSingle: sunken client edge;
// bsNone: no border) and OnChange, which fires on every change of the text, typed or set by
// the program. UI thread only.
#pragma once

#include "framework/form.h"

namespace framework {

class TCustomEdit : public TWinControl {
 public:
  DZ_CLASS(TCustomEdit, TWinControl)
  explicit TCustomEdit(TComponent* owner);

  int MaxLength() const { return max_length_; }
  void SetMaxLength(int length);  // 0: no limit of our own
  bool Modified();
  void SetModified(bool value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  bool AutoSelect = true;  // select all text when entered by the keyboard
  bool AutoSize = true;    // kept for definitions; the height is always the stored one

  void SelectAll();
  void Clear() { SetText(""); }
  int SelStart();
  int SelLength();
  void SetSelStart(int start);
  void SetSelLength(int length);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowDone() override;
  void DestroyWindowBegin() override;
  void WndProc(TMessage& message) override;
  bool PaintsItself() const override { return false; }
  virtual void Change();

 private:
  int max_length_ = 0;
  bool modified_ = false;
  bool read_only_ = false;
  TBorderStyle border_style_ = bsSingle;
  bool creating_ = false;
};

class TEdit : public TCustomEdit {
 public:
  DZ_CLASS(TEdit, TCustomEdit)
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

}  // namespace framework
