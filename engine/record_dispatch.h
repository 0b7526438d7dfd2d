// Record framing: a 32-bit little-endian body length, a type letter, the body.
// ConvertRecord handles one record per call: it copies it unchanged or hands
// it to the rewriting of the mode.
#pragma once

#include "byte_stream.h"
#include "conversion_state.h"
#include "gdb_types.h"

constexpr int kEndRecord = record_type::kEnd;
// ConvertRecord's result when the input ended before the record did.
constexpr int kInputEnded = -1;

// Returns the record's type letter (0..255), or kInputEnded.
int ConvertRecord(ConversionState& state, InputStream& input, OutputStream& output,
                  ConversionMode mode);
