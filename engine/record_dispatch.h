// Record framing: a 32-bit little-endian body length, a type letter, the body.
// ConvertRecord handles one record per call: it copies it unchanged or hands
// it to the rewriting of the mode.
#pragma once

#include "byte_stream.h"

// Conversion modes, one per processing option.
enum ConversionMode : char {
  kRoutesToTracksAllPoints = 'T',
  kRoutesToTracksViaPoints = 'U',
  kViasToUserWaypoints = 'R',
  kViasToHiddenVias = 'S',
  kTracksToRoutesUserVias = 'V',
  kTracksToRoutesHiddenVias = 'W',
};

constexpr int kEndRecord = 'V';
// ConvertRecord's result when the input ended before the record did.
constexpr int kInputEnded = -1;

// Returns the record's type letter (0..255), or kInputEnded.
int ConvertRecord(InputStream& input, OutputStream& output, char mode);
