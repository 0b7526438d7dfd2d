// Resource and control ids of the main dialog and the about box, by which
// the dialog's handlers address its controls.
#pragma once

enum ResourceId : int {
  IDM_ABOUT = 16,
  IDS_ABOUT_MENU = 101,
  IDD_MAIN = 102,
  IDD_ABOUT = 100,
  IDI_PROGRAM = 128,
  IDI_MAIN = 130,
};

enum ControlId : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDC_BROWSE_INPUT = 1001,
  IDC_BROWSE_OUTPUT = 1002,
  IDC_CONVERT = 1003,
  IDC_INPUT_PATH = 1011,
  IDC_OUTPUT_PATH = 1012,
  IDC_MAX_VIAS = 1013,
  IDC_OPTION_1 = 1021,
  IDC_OPTION_2 = 1022,
  IDC_OPTION_3 = 1023,
  IDC_OPTION_4 = 1024,
  IDC_OPTION_5 = 1025,
  IDC_OPTION_6 = 1026,
  IDC_LANG_ENGLISH = 1027,
  IDC_LANG_DUTCH = 1028,
  IDC_LANG_GERMAN = 1029,
  IDC_LANG_FRENCH = 1030,
  IDC_INPUT_GROUP = 1031,
  IDC_OUTPUT_GROUP = 1032,
  IDC_OPTIONS_GROUP = 1033,
  IDC_MAX_VIAS_LABEL = 1034,
  IDC_LANGUAGE_GROUP = 1035,
};
