// How far a run has come, as a window's progress bar and the command line's
// progress line say it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "gdb_types.h"

// The share of the input read, 0 to 100; nothing when its size is not known
// (size 0).
std::optional<unsigned> PercentRead(uint64_t bytesRead, uint64_t size);

// "Converting… 42 %", or "Converting…" without a share, in the language;
// English for a language without texts.
std::string ProgressText(Language language, std::optional<unsigned> percent);
