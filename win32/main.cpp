// morvex.exe, the converter window on Windows: the presenter's window made
// of the system's own dialog and controls.
#include <windows.h>

#include <commctrl.h>  // needs windows.h first

#include <shellapi.h>

#include <string>

#include "main_dialog.h"

namespace {

// The file the program was started with ("Open with" on a .gdb file), made
// absolute from the current folder, or empty. Of several, the first.
std::wstring FileToOpen() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return {};
  std::wstring file = count >= 2 ? arguments[1] : L"";
  LocalFree(arguments);
  if (file.empty()) return file;
  const DWORD size = GetFullPathNameW(file.c_str(), 0, nullptr, nullptr);
  if (size == 0) return file;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(file.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return file;
  full.resize(length);
  return full;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  // Loads the common controls of version 6, which the manifest asks for, and
  // the progress bar that the main dialog makes.
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  CMorvexDlg dialog(instance);
  dialog.SetInputPath(FileToOpen());
  return dialog.Run();
}
