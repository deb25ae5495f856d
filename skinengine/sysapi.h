// User32 functions the skin engine binds late, by name, so that the program still starts on a
// system without them: GetScrollBarInfo, GetComboBoxInfo and GetAncestor. The scroll bar and
// combo box painters and the window wrappers call these instead of the system's. Each function
// is looked up by its own first call; the library is loaded once and released when the
// program ends. UI thread only (the lookup state is module-wide and unguarded).
#pragma once

#include <windows.h>

namespace skinengine::user32 {

// Each returns what user32's function of that name returns; 0 (FALSE, null) without calling
// anything once any of the three could not be found.
BOOL GetScrollBarInfo(HWND window, LONG object, SCROLLBARINFO* info);
BOOL GetComboBoxInfo(HWND combo, COMBOBOXINFO* info);
HWND GetAncestor(HWND window, UINT flags);

enum class LateBound { GetScrollBarInfo, GetComboBoxInfo, GetAncestor };
// Whether the function has been looked up.
bool LookedUp(LateBound function);
// True once any of the three could not be found.
bool Unavailable();

// For tests: forgets every lookup, releases the library, and takes the functions from
// `library` from now on (the real one is "User32.dll").
void ResetForTesting(const char* library);

}  // namespace skinengine::user32
