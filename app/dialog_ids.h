// The ids both windows share: the controls of the main dialog and the texts
// of the about box, by which the presenter and the windows address them, the
// About item and its string, and the program's icons. Plain defines, so that
// a resource script can include this file too. The ids of resources that only
// the Windows dialog has are in win32/resource.h.
#ifndef MORVEX_DIALOG_IDS_H
#define MORVEX_DIALOG_IDS_H

#define IDM_ABOUT 16
#define IDS_ABOUT_MENU 101
#define IDI_PROGRAM 128
#define IDI_MAIN 130

// The system headers of Windows define these two with the same values.
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif

#define IDC_BROWSE_INPUT 1001
#define IDC_BROWSE_OUTPUT 1002
#define IDC_CONVERT 1003
#define IDC_INPUT_PATH 1011
#define IDC_OUTPUT_PATH 1012
#define IDC_MAX_VIAS 1013
#define IDC_OPTION_1 1021
#define IDC_OPTION_2 1022
#define IDC_OPTION_3 1023
#define IDC_OPTION_4 1024
#define IDC_OPTION_5 1025
#define IDC_OPTION_6 1026
#define IDC_LANG_ENGLISH 1027
#define IDC_LANG_DUTCH 1028
#define IDC_LANG_GERMAN 1029
#define IDC_LANG_FRENCH 1030
#define IDC_INPUT_GROUP 1031
#define IDC_OUTPUT_GROUP 1032
#define IDC_OPTIONS_GROUP 1033
#define IDC_MAX_VIAS_LABEL 1034
#define IDC_LANGUAGE_GROUP 1035
#define IDC_PREVIEW 1041
// The about box's texts.
#define IDC_ABOUT_VERSION 1037
#define IDC_ABOUT_CREDIT 1038
#define IDC_ABOUT_RIGHTS 1039
#define IDC_ABOUT_THANKS 1040
// Options 5 and 6: one route per track.
#define IDC_ONE_ROUTE 1043

#endif  // MORVEX_DIALOG_IDS_H
