// Registration of the framework's Win32 window classes and the one window procedure that
// hands every message of a framework window to its control's WindowProc. Also counts the
// framework's live windows (for leak tests). UI thread only.
#pragma once

#include <windows.h>

#include <string>

namespace framework {

class TWinControl;

// Registers (once per process) the window class `name`; with `system_class` it superclasses
// that class (its procedure becomes the default procedure). Returns the default procedure.
WNDPROC RegisterFrameworkClass(const std::string& name, const char* system_class, UINT style);

// Creates the window of `control` with CreateWindowExA; the control is bound to the window
// from its first message on. Returns null on failure.
HWND CreateFrameworkWindow(TWinControl* control, const std::string& class_name, DWORD ex_style,
                           const std::string& caption, DWORD style, int x, int y, int w, int h,
                           HWND parent);
// Detaches the control from its window (no more messages reach it) and destroys the window.
void DestroyFrameworkWindow(HWND wnd);

TWinControl* ControlOfWindow(HWND wnd);
// Detaches the window from its control (the control's handle becomes null).
void UnbindWindow(HWND wnd);

// Number of framework windows alive now.
int LiveWindowCount();

LRESULT CALLBACK FrameworkWndProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace framework
