// Runs another program to its end, as the tests of the command-line converter
// and the peer check need: arguments without a shell, standard output and
// standard error captured whole.
#pragma once

#include <string>
#include <vector>

namespace runtest {

struct ProcessResult {
  int exitStatus = -1;  // the exit status, or -1 when the program did not exit normally
  int signal = 0;       // the signal that ended it, if one did
  std::string out;      // standard output
  std::string err;      // standard error
};

// Runs argv[0] (searched in PATH when it has no slash) with argv. Standard
// input is empty. Both output streams may instead go to one capture, in the
// order written, when mergeOutput is set (then err stays empty).
ProcessResult RunProgram(const std::vector<std::string>& argv, bool mergeOutput = false);

// True when a program of that name is found in PATH.
bool HaveProgram(const std::string& name);

}  // namespace runtest
