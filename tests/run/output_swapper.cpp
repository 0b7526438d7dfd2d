// morvex_output_swapper: exchanges two names in a folder with
// renameat2(RENAME_EXCHANGE), again and again until SIGTERM or SIGINT. The
// probe scripts/probe-output-race swaps a run's output with it between a
// regular file and a symbolic link to the run's input while the run goes on.
// Prints "swapping" once the first exchange is done, and "swaps N" when it
// stops.
//
//   morvex_output_swapper FOLDER NAME OTHER
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

namespace {

volatile sig_atomic_t gStopped = 0;

extern "C" void Stop(int) {
  gStopped = 1;
}

void StopOn(int signal) {
  struct sigaction action {};
  action.sa_handler = Stop;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s FOLDER NAME OTHER\n", argv[0]);
    return 2;
  }
  const int folder = open(argv[1], O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    std::perror(argv[1]);
    return 1;
  }
  StopOn(SIGTERM);
  StopOn(SIGINT);
  long swaps = 0;
  while (gStopped == 0) {
    if (renameat2(folder, argv[2], folder, argv[3], RENAME_EXCHANGE) != 0) {
      std::perror("renameat2");
      return 1;
    }
    if (++swaps == 1) {
      std::puts("swapping");
      std::fflush(stdout);
    }
  }
  std::printf("swaps %ld\n", swaps);
  return 0;
}
