// The summary line of a completed run: what the conversion did to the
// records, in the run's language, composed from the texts of messages.cpp;
// and the preview's prospect, what a run would convert, composed alike.
//
//   "2 routes became 2 tracks (37 points); 120 records copied unchanged."
//   "3 tracks became 3 routes of at most 250 via points; every track point
//    lies within 18 m of its route."
//
// The first part tells what the option converted, or that the file had
// nothing to convert; records skipped, copied unchanged and damaged follow
// when there are any. The prospect tells only what the option would convert
// and skip, without the closing full stop:
//
//   "2 routes would become 2 tracks (37 points)"
//   "31 tracks would be skipped"
#pragma once

#include <cstdint>
#include <string>

#include "conversion_state.h"
#include "gdb_types.h"

struct SummaryText {
  std::string text;
  std::string title;
};

// Both empty for a language without texts. oneRouteVias: the via maximum of
// a run that made one route per track, 0 for any other run.
SummaryText SummaryFor(const ConversionCounts& counts, ConversionMode mode, Language language,
                       uint32_t oneRouteVias = 0);

// Empty for a language without texts.
std::string ProspectFor(const ConversionCounts& counts, ConversionMode mode, Language language,
                        uint32_t oneRouteVias = 0);
