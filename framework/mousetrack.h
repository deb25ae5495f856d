// Which control the mouse is over, application-wide, for the mouse enter/leave notifications
// (CM_MOUSEENTER / CM_MOUSELEAVE). Used by TWinControl's mouse routing. UI thread only.
#pragma once

namespace framework {

class TControl;

// Makes `control` (or nobody, null) the control under the mouse; the old one hears
// CM_MOUSELEAVE and the new one CM_MOUSEENTER.
void SetMouseControl(TControl* control);
TControl* MouseControl();
// Called when a control is freed, so no notification reaches it afterwards.
void ForgetMouseControl(TControl* control);

}  // namespace framework
