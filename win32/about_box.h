// The about box, IDD_ABOUT of morvex.rc: the version, the credits and the logo.
#pragma once

#include <windows.h>

// Shows the about box over owner until OK, Escape or its close box ends it.
void ShowAboutBox(HINSTANCE instance, HWND owner);
