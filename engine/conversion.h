// One whole conversion over two streams: the header, then every record up to
// the end record or the end of the input. The conversion run, the tests, the
// fuzz target and the benchmark all drive the engine through ConvertGdb.
#pragma once

#include <cstdint>

#include "byte_stream.h"
#include "conversion_state.h"
#include "gdb_types.h"

// Told of the header and of every record as it is done; may stop the conversion.
class RecordObserver {
 public:
  // The header was accepted and copied; the input stands at the first record.
  virtual void OnHeader(const ConversionState& /*state*/) {}
  // result: ConvertRecord's result (the type letter, or kInputEnded). The
  // state's messagePending and messageText tell of the record's message.
  // Returning false stops the conversion after this record.
  virtual bool OnRecord(int result, const ConversionState& state) = 0;

 protected:
  ~RecordObserver() = default;
};

struct ConversionResult {
  bool headerAccepted = false;  // CopyFileHeader returned 1
  bool reachedEnd = false;      // the end record was converted
  bool inputEnded = false;      // the input ended before the end record
  uint32_t records = 0;         // ConvertRecord calls made
  ConversionCounts counts;      // the state's counts when the conversion ended
};

// Starts state with settings and converts input into output. Does not flush
// the output.
ConversionResult ConvertGdb(ConversionState& state, const ConversionSettings& settings,
                            InputStream& input, OutputStream& output, ConversionMode mode,
                            RecordObserver* observer = nullptr);
