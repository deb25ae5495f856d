// Window classes under framework class names, the shared window procedure, and the
// window-to-control map.
#include "framework/windowclass.h"

#include <map>
#include <unordered_map>

#include "framework/application.h"
#include "framework/gdiobjects.h"
#include "framework/graphiccontrol.h"
#include "framework/wincontrol.h"

namespace framework {

namespace {

std::map<std::string, WNDPROC>& ClassProcs() {
  static std::map<std::string, WNDPROC> procs;
  return procs;
}
std::unordered_map<HWND, TWinControl*>& WindowMap() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}
TWinControl* g_creating = nullptr;  // bound to the first window that sends a message
int g_dispatch_depth = 0;           // framework window procedure calls in progress

WNDPROC ClassDefaultProc(HWND wnd) {
  char name[256];
  if (GetClassNameA(wnd, name, sizeof name) > 0) {
    auto it = ClassProcs().find(name);
    if (it != ClassProcs().end()) return it->second;
  }
  return DefWindowProcA;
}

}  // namespace

void UnbindWindow(HWND wnd) {
  auto it = WindowMap().find(wnd);
  if (it == WindowMap().end()) return;
  it->second->handle_ = nullptr;
  WindowMap().erase(it);
  HandleDestroyed(HandleKind::Window);
}

WNDPROC RegisterFrameworkClass(const std::string& name, const char* system_class, UINT style) {
  auto it = ClassProcs().find(name);
  if (it != ClassProcs().end()) return it->second;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  WNDPROC def = DefWindowProcA;
  if (system_class) {
    if (!GetClassInfoExA(nullptr, system_class, &wc)) GetClassInfoExA(inst, system_class, &wc);
    def = wc.lpfnWndProc;
    wc.cbSize = sizeof wc;
  } else {
    wc.style = style;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  }
  wc.lpfnWndProc = FrameworkWndProc;
  wc.hInstance = inst;
  wc.lpszClassName = name.c_str();
  wc.hbrBackground = nullptr;
  if (system_class) wc.style &= ~CS_GLOBALCLASS;
  RegisterClassExA(&wc);
  ClassProcs()[name] = def;
  return def;
}

HWND CreateFrameworkWindow(TWinControl* control, const std::string& class_name, DWORD ex_style,
                           const std::string& caption, DWORD style, int x, int y, int w, int h,
                           HWND parent) {
  TWinControl* saved = g_creating;
  g_creating = control;
  HWND wnd = CreateWindowExA(ex_style, class_name.c_str(), caption.c_str(), style, x, y, w, h,
                             parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  g_creating = saved;
  return wnd;
}

void DestroyFrameworkWindow(HWND wnd) {
  UnbindWindow(wnd);
  DestroyWindow(wnd);
}

TWinControl* ControlOfWindow(HWND wnd) {
  auto it = WindowMap().find(wnd);
  return it == WindowMap().end() ? nullptr : it->second;
}

int LiveWindowCount() { return static_cast<int>(LiveHandles(HandleKind::Window)); }

LRESULT CALLBACK FrameworkWndProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = ControlOfWindow(wnd);
  if (!control) {
    if (!g_creating) return CallWindowProcA(ClassDefaultProc(wnd), wnd, msg, wparam, lparam);
    control = g_creating;
    g_creating = nullptr;
    control->handle_ = wnd;
    WindowMap()[wnd] = control;
    HandleCreated(HandleKind::Window);
  }
  TMessage m{msg, wparam, lparam, 0};
  ++g_dispatch_depth;
  try {
    control->WindowProc(m);
  } catch (...) {
    Application->HandleException(control);
  }
  if (--g_dispatch_depth == 0) FreeControlCanvasDCs();
  if (msg == WM_NCDESTROY) UnbindWindow(wnd);
  return m.Result;
}

}  // namespace framework
