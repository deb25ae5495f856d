// The control under the mouse, and its enter/leave notifications.
#include "framework/mousetrack.h"

#include "framework/control.h"

namespace framework {

namespace {
TControl* g_mouse_control = nullptr;
}

void SetMouseControl(TControl* control) {
  if (control == g_mouse_control) return;
  TControl* old = g_mouse_control;
  g_mouse_control = control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (control && g_mouse_control == control) control->Perform(CM_MOUSEENTER, 0, 0);
}

TControl* MouseControl() { return g_mouse_control; }

void ForgetMouseControl(TControl* control) {
  if (g_mouse_control == control) g_mouse_control = nullptr;
}

}  // namespace framework
