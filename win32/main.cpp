// morvex.exe, the converter window on Windows: the dialog model's window made
// of the system's own dialog and controls.
#include <windows.h>

#include <commctrl.h>  // needs windows.h first

#include <shellapi.h>

#include <string>

#include "main_dialog.h"

namespace {

// The file the program was started with ("Open with" on a .gdb file), or
// empty.
std::wstring FileToOpen() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return {};
  const std::wstring file = count == 2 ? arguments[1] : L"";
  LocalFree(arguments);
  return file;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  // Loads the common controls of version 6, which the manifest asks for.
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  MainDialog dialog(instance);
  dialog.SetInputPath(FileToOpen());
  return dialog.Run();
}
