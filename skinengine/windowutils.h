// Helpers the skin engine's window and control wrappers share: window borders painted through
// the window's own DC, the system's caption and menu fonts, caption shortening on a canvas,
// the work area, bounds and hit tests, finding forms by handle and deciding whether a form
// counts as active, and the Windows 95 test. UI thread only; no state of their own beyond the
// version answer computed once.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/control.h"
#include "framework/form.h"
#include "framework/graphics.h"
#include "skin/captiontext.h"

namespace skinengine {

// Caption texts: one pass of replacements, and mnemonic ampersands removed ("&&" reads "&").
using skin::ReplaceText;
using skin::StripAmpersands;

// The private message IsFormActive sends a form's window first: a wrapper that knows better
// answers 1 (active) or another positive value (inactive); 0 leaves the decision to the rules.
constexpr UINT kFormActiveQuery = 0x2AAB;

// Through the window's own DC, non-client area included: a one-pixel frame in `outer` along the
// window's outer edge and, when `drawInner`, another in `inner` one pixel further in. Nothing
// for a null or destroyed window.
void PaintWindowBorder(HWND window, framework::TColor outer, framework::TColor inner,
                       bool drawInner);
// The same for a windowed control; nothing while it has no window.
void PaintWindowBorder(framework::TWinControl& control, framework::TColor outer,
                       framework::TColor inner, bool drawInner);

// Give `font` the system's caption font, or its menu font and the menu text colour, from the
// non-client metrics; the font is unchanged when they cannot be read.
void UseCaptionFont(framework::TFont& font);
void UseMenuFont(framework::TFont& font);

// The text itself when it is at most `limit` pixels wide in the canvas's font; otherwise the
// longest prefix followed by "..." that fits, and at least one character followed by "...".
std::string FitCaption(framework::TCanvas& canvas, std::string_view text, int limit);

// The work area of the monitor that shows the main form (the primary monitor when there is no
// main form or it has no window yet), its bottom moved up by one pixel.
RECT WorkArea();

// Sets the control's left, top, width and height from the rectangle.
void SetControlBounds(framework::TControl& control, const RECT& r);

// True when left <= x <= right and top <= y <= bottom: the right and bottom edges count.
bool PointInRect(POINT p, const RECT& r);

// The form (of Screen's forms) whose window is `window`, or null.
framework::TForm* FindFormByHandle(HWND window);

// Whether a skinned form is drawn active, decided in this order:
//   1. the form's window answers kFormActiveQuery with a positive value: 1 active, other inactive
//   2. no main form: the form's own active state (a null form is inactive)
//   3. the main form is an MDI frame and the form is the main form: active
//   4. the application is not active: inactive
//   5. the form is the main form, or null: active
//   6. the main form is an MDI frame and the form its active MDI child: active
//   7. otherwise the form's own active state
// A form without a window is not asked (step 1 never creates one).
bool IsFormActive(framework::TForm* form);

// True when the system reports version 4.0 of the Windows 95 family; asked once.
bool IsWindows95();

}  // namespace skinengine
