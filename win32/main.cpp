// morvex.exe, the converter window on Windows: the dialog model's window made
// of the system's own dialog and controls.
#include <windows.h>

#include <commctrl.h>  // needs windows.h first

#include "main_dialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  // Loads the common controls of version 6, which the manifest asks for.
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  MainDialog dialog(instance);
  return dialog.Run();
}
