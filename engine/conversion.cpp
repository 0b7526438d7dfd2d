#include "conversion.h"

#include "file_header.h"
#include "record_dispatch.h"

ConversionResult ConvertGdb(ConversionState& state, const ConversionSettings& settings,
                            InputStream& input, OutputStream& output, ConversionMode mode,
                            RecordObserver* observer) {
  StartConversion(state, settings);
  ConversionResult result;
  if (CopyFileHeader(state, output, input) == 0) return result;
  result.headerAccepted = true;
  if (observer != nullptr) observer->OnHeader(state);
  for (;;) {
    const int type = ConvertRecord(state, input, output, mode);
    ++result.records;
    result.inputEnded = type == kInputEnded;
    result.reachedEnd = type == kEndRecord;
    const bool goOn = observer == nullptr || observer->OnRecord(type, state);
    if (result.inputEnded || result.reachedEnd || !goOn) {
      result.counts = state.counts;
      return result;
    }
  }
}
