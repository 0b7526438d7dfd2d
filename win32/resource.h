// Ids of the resources of morvex.exe and of the controls that only its
// Windows dialogs have. Plain defines, so that morvex.rc can include this
// file too. The ids both windows share are in app/dialog_ids.h.
#ifndef MORVEX_WIN32_RESOURCE_H
#define MORVEX_WIN32_RESOURCE_H

#include "../app/dialog_ids.h"

#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDB_ABOUT 129

// The preview pane, which the main dialog makes when it opens.
#define IDC_PREVIEW_PANE 1042
// The run's progress, its text above its bar, which the main dialog makes
// when it opens.
#define IDC_PROGRESS_TEXT 1044
#define IDC_PROGRESS_BAR 1045
// The about box's picture.
#define IDC_ABOUT_LOGO 1036

#endif  // MORVEX_WIN32_RESOURCE_H
