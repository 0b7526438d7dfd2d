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

bool IsReclassifying(char mode) {
  return mode == 'R' || mode == 'S';
}
bool IsRouteToTrack(char mode) {
  return mode == 'T' || mode == 'U';
}
bool IsTrackToRoute(char mode) {
  return mode == 'V' || mode == 'W';
}

// Waypoints and routes in modes 'R' and 'S': the frame and the name are
// copied, the rest is walked with rewriting.
void Reclassify(InputStream& input, OutputStream& output, uint32_t length, uint8_t type,
                char mode) {
  WriteRecordHeader(length, output, type);
  RecordWalk walk(input, &output, length);
  if (walk.Text()) {
    if (type == 'W') {
      ReclassifyWaypoint(walk, mode);
    } else {
      ReclassifyRoute(walk, mode);
    }
  }
  walk.Finish();
}

}  // namespace

int ConvertRecord(InputStream& input, OutputStream& output, char mode) {
  g_messagePending = 0;
  ++g_recordNumber;
  const uint32_t length = ReadUInt32(input);
  const int type = input.ReadByte();
  if (input.AtEnd()) return kInputEnded;
  Trace("%c %d\n", type, static_cast<int32_t>(length));
  if ((type == 'W' || type == 'R') && IsReclassifying(mode)) {
    Reclassify(input, output, length, static_cast<uint8_t>(type), mode);
  } else if (type == 'W' && IsRouteToTrack(mode)) {
    CopyWaypointRecord(input, output, length);
  } else if (type == 'R' && IsRouteToTrack(mode)) {
    ConvertRouteToTrack(input, output, length, mode);
  } else if (type == 'T' && IsTrackToRoute(mode)) {
    ConvertTrackToRoutes(input, output, length, mode);
  } else {
    PassThrough(input, output, length, static_cast<uint8_t>(type));
  }
  return input.AtEnd() ? kInputEnded : type;
}
