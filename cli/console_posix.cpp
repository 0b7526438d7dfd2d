#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "console.h"

bool PrepareStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower descriptors are open, so this one is the lowest free.
    if (open("/dev/null", O_RDWR) != fd) return false;
  }
  std::signal(SIGPIPE, SIG_IGN);
  return true;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void WriteErrorLine(const std::string& utf8Text) {
  std::fprintf(stderr, "%s\n", utf8Text.c_str());
}

void WriteErrorText(const std::string& utf8Text) {
  std::fputs(utf8Text.c_str(), stderr);
  std::fflush(stderr);
}

bool ErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

bool OutputOnErrorTerminal() {
  struct stat output {};
  struct stat error {};
  return isatty(STDOUT_FILENO) == 1 && fstat(STDOUT_FILENO, &output) == 0 &&
         fstat(STDERR_FILENO, &error) == 0 && output.st_rdev == error.st_rdev;
}
