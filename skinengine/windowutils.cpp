// Window, font and form helpers of windowutils.h.
#include "skinengine/windowutils.h"

#include <cstddef>

#include "framework/application.h"
#include "framework/gdiobjects.h"
#include "framework/screen.h"
#include "skin/geometry.h"
#include "skinengine/blitters.h"

namespace skinengine {
namespace {

using framework::Application;
using framework::TForm;

// The system's non-client metrics. Systems before Vista know the structure without its last
// field and refuse the longer size, so that size is tried second.
bool NonClientMetrics(NONCLIENTMETRICSA& metrics) {
  for (UINT size : {UINT(sizeof metrics), UINT(offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth))}) {
    metrics = NONCLIENTMETRICSA{};
    metrics.cbSize = size;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, size, &metrics, 0)) return true;
  }
  return false;
}

}  // namespace

void PaintWindowBorder(HWND window, framework::TColor outer, framework::TColor inner,
                       bool drawInner) {
  RECT bounds;
  if (!window || !GetWindowRect(window, &bounds)) return;
  framework::NonClientDC dc(window);
  if (!dc.Get()) return;
  framework::TCanvas canvas(dc.Get());  // goes before the DC: its selections are undone first
  const RECT edge{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
  FrameRectColor(canvas, edge, outer);
  if (drawInner) FrameRectColor(canvas, {1, 1, edge.right - 1, edge.bottom - 1}, inner);
}

void PaintWindowBorder(framework::TWinControl& control, framework::TColor outer,
                       framework::TColor inner, bool drawInner) {
  if (control.HandleAllocated()) PaintWindowBorder(control.Handle(), outer, inner, drawInner);
}

void UseCaptionFont(framework::TFont& font) {
  NONCLIENTMETRICSA metrics;
  if (NonClientMetrics(metrics)) font.AssignLogFont(metrics.lfCaptionFont);
}

void UseMenuFont(framework::TFont& font) {
  NONCLIENTMETRICSA metrics;
  if (!NonClientMetrics(metrics)) return;
  font.AssignLogFont(metrics.lfMenuFont);
  font.SetColor(framework::clMenuText);
}

std::string FitCaption(framework::TCanvas& canvas, std::string_view text, int limit) {
  return skin::FitCaption(text, limit, [&canvas](std::string_view part) {
    return canvas.TextWidth(std::string(part));
  });
}

RECT WorkArea() {
  HMONITOR monitor = nullptr;
  if (TForm* main = Application->MainForm(); main && main->HandleAllocated())
    monitor = MonitorFromWindow(main->Handle(), MONITOR_DEFAULTTONEAREST);
  if (!monitor) monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT area = GetMonitorInfoA(monitor, &info) ? info.rcWork : framework::Screen->WorkAreaRect();
  area.bottom -= 1;
  return area;
}

void SetControlBounds(framework::TControl& control, const RECT& r) {
  control.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool PointInRect(POINT p, const RECT& r) {
  return skin::PointInRect({p.x, p.y}, {r.left, r.top, r.right, r.bottom});
}

TForm* FindFormByHandle(HWND window) {
  if (!window) return nullptr;
  for (int i = 0; i < framework::Screen->FormCount(); ++i) {
    TForm* form = framework::Screen->Forms(i);
    if (form->HandleAllocated() && form->Handle() == window) return form;
  }
  return nullptr;
}

bool IsFormActive(TForm* form) {
  if (form && form->HandleAllocated()) {
    const LRESULT answer = SendMessageA(form->Handle(), kFormActiveQuery, 0, 0);
    if (answer > 0) return answer == 1;
  }
  TForm* main = Application->MainForm();
  if (!main) return form && form->Active();
  const bool mdiFrame = main->FormStyle() == framework::fsMDIForm;
  if (mdiFrame && form == main) return true;
  if (!Application->Active()) return false;
  if (!form || form == main) return true;
  if (mdiFrame && main->ActiveMDIChild() == form) return true;
  return form->Active();
}

bool IsWindows95() {
  static const bool answer = [] {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion == 4 && version.dwMinorVersion == 0 &&
           version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
  }();
  return answer;
}

}  // namespace skinengine
