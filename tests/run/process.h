// Runs another program to its end, as the tests of the command-line converter
// and the peer check need: arguments without a shell, standard output and
// standard error captured whole.
#pragma once

#include <string>
#include <vector>

namespace runtest {

struct ProcessResult {
  int exitStatus = -1;  // the exit status, or -1 when the program did not exit normally
  int signal = 0;       // the signal that ended it, if one did (never on Windows)
  std::string out;      // standard output
  std::string err;      // standard error
};

// Runs argv[0] (searched in PATH when it has no slash; on Windows as
// CreateProcessW searches, .exe added) with argv. Standard
// input is empty. Both output streams may instead go to one capture, in the
// order written, when mergeOutput is set (then err stays empty).
ProcessResult RunProgram(const std::vector<std::string>& argv, bool mergeOutput = false);

#ifdef _WIN32
// The standard streams of a program started on Windows, where no shell is at
// hand to set them up.
struct StandardStreams {
  bool mergeOutput = false;  // as for the RunProgram above
  bool inputClosed = false;  // the program starts without that handle
  bool outputClosed = false;
  bool errorClosed = false;
  std::string outputFile;          // standard output on this file (emptied) instead of captured
  bool readFirstLineOnly = false;  // the reader closes standard output's pipe after one line
  bool outputUnread = false;       // standard output's pipe has no reader from the start
};
ProcessResult RunProgram(const std::vector<std::string>& argv, const StandardStreams& streams);
#endif

#ifndef _WIN32
// Runs argv[0] (a path) with standard error, and standard output unless
// outputFile names a file for it, on a new pseudo-terminal; returns what the
// terminal got (the terminal makes each "\n" "\r\n") in err.
ProcessResult RunOnTerminal(const std::vector<std::string>& argv, const std::string& outputFile);
#endif

// True when a program of that name is found in PATH.
bool HaveProgram(const std::string& name);

}  // namespace runtest
