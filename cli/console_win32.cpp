#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "console.h"
#include "wide_text.h"

namespace {

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

bool PrepareStandardStreams() {
  // A program started without standard handles (from a window) has them
  // opened on NUL.
  for (int fd = 0; fd <= 2; ++fd) {
    if (_get_osfhandle(fd) >= 0) continue;
    const int nul = _open("NUL", _O_RDWR | _O_BINARY);
    if (nul < 0) return false;
    if (nul != fd && (_dup2(nul, fd) != 0 || _close(nul) != 0)) return false;
  }
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return true;
}

// The UTF-16 command line, not argv in the system's code page, which loses
// every letter outside it.
std::vector<std::string> Utf8Arguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (wide == nullptr) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}

// Changing the console's code page to UTF-8 would outlast the program in
// cmd: a console is given UTF-16 instead.
void WriteErrorLine(const std::string& utf8Text) {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (!IsConsole(handle)) {
    std::fprintf(stderr, "%s\n", utf8Text.c_str());
    return;
  }
  std::fflush(stderr);
  const std::wstring line = WideFromUtf8(utf8Text) + L"\r\n";
  DWORD written = 0;
  WriteConsoleW(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
