// TScreen: forms list, screen cursor and work area.
#include "framework/screen.h"

#include <algorithm>

#include "framework/form.h"

namespace framework {

namespace {
TScreen g_screen;
}
TScreen* Screen = &g_screen;

TForm* TScreen::ActiveForm() const {
  HWND active = GetActiveWindow();
  for (TForm* f : forms_)
    if (f->HandleAllocated() && f->Handle() == active) return f;
  return nullptr;
}

HCURSOR TScreen::CursorHandle(int cursor) const {
  LPCSTR id = IDC_ARROW;
  switch (cursor) {
    case crCross:
      id = IDC_CROSS;
      break;
    case crIBeam:
      id = IDC_IBEAM;
      break;
    case crSizeNESW:
      id = IDC_SIZENESW;
      break;
    case crSizeNS:
      id = IDC_SIZENS;
      break;
    case crSizeNWSE:
      id = IDC_SIZENWSE;
      break;
    case crSizeWE:
      id = IDC_SIZEWE;
      break;
    case crUpArrow:
      id = IDC_UPARROW;
      break;
    case crHourGlass:
      id = IDC_WAIT;
      break;
    case crNo:
      id = IDC_NO;
      break;
    case crAppStart:
      id = IDC_APPSTARTING;
      break;
    case crHelp:
      id = IDC_HELP;
      break;
    case crHandPoint:
      id = IDC_HAND;
      break;
    case crSizeAll:
      id = IDC_SIZEALL;
      break;
    case crNone:
      return nullptr;
    default:
      break;
  }
  return LoadCursorA(nullptr, id);  // shared system cursor: never destroyed
}

void TScreen::SetCursor(int cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  if (cursor == crDefault) {
    // Let the window under the mouse choose its cursor again.
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x, p.y);
  } else {
    ::SetCursor(CursorHandle(cursor));
  }
}

RECT TScreen::WorkAreaRect() const {
  RECT r{0, 0, Width(), Height()};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void TScreen::AddForm(TForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

}  // namespace framework
