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
void WriteErrorText(const std::string& utf8Text) {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (!IsConsole(handle)) {
    std::fputs(utf8Text.c_str(), stderr);
    std::fflush(stderr);
    return;
  }
  std::fflush(stderr);
  const std::wstring text = WideFromUtf8(utf8Text);
  DWORD written = 0;
  WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void WriteErrorLine(const std::string& utf8Text) {
  const bool console = IsConsole(GetStdHandle(STD_ERROR_HANDLE));
  WriteErrorText(utf8Text + (console ? "\r\n" : "\n"));
}

bool ErrorIsTerminal() {
  return IsConsole(GetStdHandle(STD_ERROR_HANDLE));
}

// Both on a console: a process has one.
bool OutputOnErrorTerminal() {
  return IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)) && ErrorIsTerminal();
}
