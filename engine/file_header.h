// The GDB file header, checked and copied unchanged:
//
//   field             size        check
//   signature         6           "MsRcf" and its NUL
//   five bytes        5           none
//   version letter    1           'k', 'l' or 'm' (kept in the state's gdbVersion)
//   eight bytes       8           none
//   three texts       to NUL each none
//   creator           to NUL      "MapSource" or "BaseCamp"
#pragma once

#include "byte_stream.h"
#include "conversion_state.h"

// Starts the run's counters, checks the header and copies it. Returns 1 when
// the input is a GDB file (and stands at its first record), else 0.
int CopyFileHeader(ConversionState& state, OutputStream& output, InputStream& input);
