// The about box, IDD_ABOUT of morvex.rc: the version, the credits and the logo,
// in the language of the window that opens it.
#pragma once

#include <windows.h>

#include "gdb_types.h"

// Shows the about box over owner until OK, Escape or its close box ends it.
void ShowAboutBox(HINSTANCE instance, HWND owner, Language language);
// Sets the texts of an about box to those of the language.
void SetAboutTexts(HWND box, Language language);
