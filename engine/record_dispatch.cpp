#include "record_dispatch.h"

#include "conversion_state.h"
#include "families.h"
#include "primitives.h"
#include "record_walk.h"

namespace {

void PassThrough(InputStream& input, OutputStream& output, uint32_t length, uint8_t type) {
  WriteRecordHeader(length, output, type);
  if (length > 0) CopyBytes(length, &output, input);
}

void CopyUnchanged(ConversionState& state, InputStream& input, OutputStream& output,
                   uint32_t length, uint8_t type) {
  PassThrough(input, output, length, type);
  ++state.counts.recordsUnchanged;
}

// Waypoints and routes in modes 'R' and 'S': the frame and the name are
// copied, the rest is walked with rewriting.
void Reclassify(ConversionState& state, InputStream& input, OutputStream& output, uint32_t length,
                uint8_t type, ConversionMode mode) {
  WriteRecordHeader(length, output, type);
  const uint64_t viasBefore = state.counts.viasReclassified;
  RecordWalk walk(state, input, &output, length);
  if (walk.Text()) {
    if (type == record_type::kWaypoint) {
      ReclassifyWaypoint(walk, mode);
    } else {
      ReclassifyRoute(walk, mode);
    }
  }
  walk.Finish();
  if (state.counts.viasReclassified != viasBefore) {
    ++state.counts.recordsReclassified;
  } else {
    ++state.counts.recordsUnchanged;
  }
}

// "W 73": the type letter and the length. A type that is not an ASCII letter
// shows as \xNN, so that no control byte of a file reaches a terminal.
void TraceFrame(const ConversionState& state, int type, uint32_t length) {
  const bool letter = (type >= 'A' && type <= 'Z') || (type >= 'a' && type <= 'z');
  if (letter) {
    Trace(state, "%c %d\n", type, static_cast<int32_t>(length));
  } else {
    Trace(state, "\\x%02X %d\n", static_cast<unsigned>(type), static_cast<int32_t>(length));
  }
}

}  // namespace

int ConvertRecord(ConversionState& state, InputStream& input, OutputStream& output,
                  ConversionMode mode) {
  state.messagePending = 0;
  ++state.recordNumber;
  const uint32_t length = ReadUInt32(input);
  const int type = input.ReadByte();
  if (input.AtEnd()) return kInputEnded;
  TraceFrame(state, type, length);
  using namespace record_type;
  if ((type == kWaypoint || type == kRoute) && IsReclassifying(mode)) {
    Reclassify(state, input, output, length, static_cast<uint8_t>(type), mode);
  } else if (type == kWaypoint && IsRouteToTrack(mode)) {
    CopyWaypointRecord(state, input, output, length);
  } else if (type == kRoute && IsRouteToTrack(mode)) {
    ConvertRouteToTrack(state, input, output, length, mode);
  } else if (type == kTrack && IsTrackToRoute(mode)) {
    ConvertTrackToRoutes(state, input, output, length, mode);
  } else if (type == kEnd) {
    PassThrough(input, output, length, static_cast<uint8_t>(type));
  } else {
    CopyUnchanged(state, input, output, length, static_cast<uint8_t>(type));
  }
  return input.AtEnd() ? kInputEnded : type;
}
