// The command-line converter's standard streams, one file of calls per
// system: console_posix.cpp and console_win32.cpp.
#pragma once

#include <string>
#include <vector>

// Readies the standard streams before any file is opened: a closed one is
// opened on the null device, so that an input or output cannot take its
// place; a reader that goes away (`| head`) makes a write fail instead of
// ending the program; on Windows the streams write bytes as they are, with no
// CR before each LF. False when that fails.
bool PrepareStandardStreams();

// The program's arguments as UTF-8, whatever the system's code page.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Writes text and a line end to standard error: to a Windows console as
// UTF-16, elsewhere as the UTF-8 bytes.
void WriteErrorLine(const std::string& utf8Text);
// The same without the line end, for a line rewritten in place.
void WriteErrorText(const std::string& utf8Text);

// Whether standard error is a terminal (a console on Windows).
bool ErrorIsTerminal();
// Whether standard output goes to the terminal standard error is on.
bool OutputOnErrorTerminal();
