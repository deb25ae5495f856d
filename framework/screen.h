// TScreen: the forms that exist, the active form, the screen cursor and the work area.
// `Screen` is the one module-wide instance. UI thread only.
#pragma once

#include <windows.h>

#include <vector>

namespace framework {

class TForm;

enum TCursor : int {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22
};

class TScreen {
 public:
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Forms(int index) const { return forms_.at(index); }
  // The form whose window is the active window of this program, or null.
  TForm* ActiveForm() const;

  int Cursor() const { return cursor_; }
  // Sets the cursor every framework window shows (crDefault: each window's own again).
  void SetCursor(int cursor);
  HCURSOR CursorHandle(int cursor) const;

  RECT WorkAreaRect() const;
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }

  // Called by TForm's constructor and destructor.
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);

 private:
  std::vector<TForm*> forms_;
  int cursor_ = crDefault;
};

extern TScreen* Screen;

}  // namespace framework
