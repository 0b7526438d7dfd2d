// Track to routes. The track is walked once to collect its name and points:
//
//   field               size          walk
//   track name          text          into nameBuffer (at most 30000 bytes)
//   five bytes          5             skipped
//   point count P       4
//   P track points:
//     latitude, longitude   8         offered to AppendPoint after the four flags
//     flag (+ 8)            1 or 9
//     flag (+ 4)            1 or 5
//     flag (+ 8)            1 or 9
//     flag (+ 8)            1 or 9    temperature
//   rest of the record  remaining     skipped
//
// In its place, for every chunk of at most maxViasPerRoute points, one
// waypoint record per point and then a route through them:
//
//   waypoint record (length 73, 82 for 'm'):
//     name "T%04d" 6 | ViaHeadBytes 27 | latitude 4 | longitude 4 | 00 |
//     ViaDetailBytes 31 | WaypointEndBytesM 9 ('m' only)
//   route record (length by RouteLength):
//     name "%04d %s" | 01 00 | largest lat, lon, 00 | smallest lat, lon, 00 |
//     entry count k | k entries | RouteEndBytesM 9 ('m' only)
//   entry: name 6 | ViaHeadBytes 27 | ViaEntryBytes 19 | link
//   link to the next point: 2 | point, 00 | next point, 00 | 00 |
//     largest lat, lon, 00 | smallest lat, lon, 00 | version bytes
//   link of the last entry: 0 | 01 | version bytes | 00
//
// Mode 'V' writes class 00 and detail byte 01, mode 'W' class 0C and detail 00.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "conversion_state.h"
#include "families.h"
#include "messages.h"
#include "one_route.h"
#include "text_utils.h"

namespace {

constexpr uint8_t kViaHeadBytes[27] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                       0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr uint8_t kViaDetailBytes[31] = {0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                                         0x00, 0x00, 0x00, 0x00, 0x12};
constexpr uint8_t kViaEntryBytes[19] = {0x00, 0x03};
constexpr uint8_t kLinkVersionBytesL[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr uint8_t kLinkVersionBytesM[10] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0xFF, 0xFF, 0xFF, 0x00, 0x00};
constexpr uint8_t kRouteEndBytesM[9] = {0x00, 0x00, 0x00, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr uint8_t kWaypointEndBytesM[9] = {};

constexpr uint8_t kUserViaClass = 0x00;
constexpr uint8_t kHiddenViaClass = 0x0C;
constexpr size_t kDetailByteIndex = 2;

constexpr size_t kViaNameSize = 6;           // "T%04d" and its NUL
constexpr size_t kRouteNameTrackPart = 250;  // bytes of the track name in a route name
constexpr size_t kRouteNameSize = 256;

constexpr char kSkipTrace[] = "Cannot convert more then 10000 trackpoints - track skipped\n";

// "%04d" of a number below 10000, and its NUL, as the via names need.
void FormatViaName(char* out, uint32_t number) {
  out[0] = 'T';
  for (int i = 4; i >= 1; --i) {
    out[i] = static_cast<char>('0' + number % 10);
    number /= 10;
  }
  out[5] = '\0';
}

void WriteLinkVersionBytes(uint8_t gdbVersion, OutputStream& output) {
  if (gdbVersion == 'l') output.WriteBlock(kLinkVersionBytesL, sizeof kLinkVersionBytesL);
  if (gdbVersion == 'm') output.WriteBlock(kLinkVersionBytesM, sizeof kLinkVersionBytesM);
}

void WriteViaHead(OutputStream& output, bool userVias) {
  output.WriteByte(userVias ? kUserViaClass : kHiddenViaClass);
  output.WriteBlock(kViaHeadBytes + 1, sizeof kViaHeadBytes - 1);
}

void WriteBounds(OutputStream& output, const Bounds& bounds) {
  WritePosition(bounds.maxLat, bounds.maxLon, output);
  WritePosition(bounds.minLat, bounds.minLon, output);
}

uint32_t WaypointLength(uint8_t gdbVersion) {
  return gdbVersion == 'm' ? 82 : 73;
}

uint32_t RouteLength(uint8_t gdbVersion, uint32_t entries, uint32_t nameLength) {
  switch (gdbVersion) {
    case 'k':
      return 93 * (entries - 1) + nameLength + 82;
    case 'l':
      return 101 * (entries - 1) + nameLength + 90;
    default:
      return 103 * (entries - 1) + nameLength + 101;
  }
}

// The track name as the generated route names carry it: at most 250 bytes,
// cut between characters for the UTF-8 names of version 'm'.
void CopyTrackNamePart(uint8_t gdbVersion, char* out, const char* trackName) {
  const size_t length = std::strlen(trackName);
  size_t cut = length < kRouteNameTrackPart ? length : kRouteNameTrackPart;
  if (gdbVersion == 'm') cut = Utf8CutLength(trackName, length, kRouteNameTrackPart);
  std::memcpy(out, trackName, cut);
  out[cut] = '\0';
}

// The skip message with the track name as message text, cut so that it fits.
void SetSkipMessage(ConversionState& state, const char* trackName) {
  const char* format = TextFor(MessageId::kTrackSkipped, state.settings.language).text;
  if (format == nullptr) {
    state.messagePending = 1;
    return;
  }
  // The text around the track name's "%s".
  const char* nameAt = std::strstr(format, "%s");
  const char* tail = nameAt + 2;
  char text[kMessageSize];
  const size_t before = static_cast<size_t>(nameAt - format);
  const size_t after = std::strlen(tail);
  const size_t room = sizeof text - 1 - before - after;
  const size_t nameLength = std::strlen(trackName);
  std::memcpy(text, format, before);
  size_t used = before;
  used += NameToMessageText(text + used, room, trackName, nameLength, state.gdbVersion == 'm');
  std::memcpy(text + used, tail, after + 1);
  SetMessage(state, text);
}

void WriteRouteChunk(ConversionState& state, OutputStream& output, const char* trackNamePart,
                     uint32_t first, uint32_t end, bool userVias) {
  char name[kRouteNameSize];
  for (uint32_t i = first; i < end; ++i) {
    WriteRecordHeader(WaypointLength(state.gdbVersion), output, record_type::kWaypoint);
    FormatViaName(name, state.waypointSerial + i);
    WriteViaWaypoint(state, output, name, state.pointLat[i], state.pointLon[i], userVias);
  }
  const int length =
      std::snprintf(name, sizeof name, "%04u %s", state.waypointSerial + first, trackNamePart);
  WriteRecordHeader(RouteLength(state.gdbVersion, end - first, static_cast<uint32_t>(length) + 1),
                    output, record_type::kRoute);
  WriteGeneratedRoute(state, output, name, first, end, userVias);
}

}  // namespace

int32_t ReadTrackPoints(RecordWalk& walk) {
  walk.State().pointCount = 0;
  walk.State().pointsRefused = 0;
  const int32_t nameLength = walk.Name();
  if (nameLength < 0) return -1;
  {
    // The table was emptied above: a track whose header ends early leaves
    // no points of the track before it.
    PointRun run(walk.State());
    WalkTrackPoints(
        walk, [] {},
        [&run](int32_t latitude, int32_t longitude) { run.Append(latitude, longitude); });
  }
  walk.Finish();
  return nameLength;
}

Bounds PointBounds(const ConversionState& state, uint32_t first, uint32_t last) {
  Bounds bounds{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(),
                std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
  for (uint32_t i = first; i <= last && i < kMaxOneRoutePoints; ++i) {
    if (state.pointLat[i] < bounds.minLat) bounds.minLat = state.pointLat[i];
    if (state.pointLat[i] > bounds.maxLat) bounds.maxLat = state.pointLat[i];
    if (state.pointLon[i] < bounds.minLon) bounds.minLon = state.pointLon[i];
    if (state.pointLon[i] > bounds.maxLon) bounds.maxLon = state.pointLon[i];
  }
  return bounds;
}

void WriteViaWaypoint(const ConversionState& state, OutputStream& output, const char* name,
                      int32_t latitude, int32_t longitude, bool userVias) {
  output.WriteBlock(reinterpret_cast<const uint8_t*>(name), kViaNameSize);
  WriteViaHead(output, userVias);
  WritePosition(latitude, longitude, output);
  output.WriteBlock(kViaDetailBytes, kDetailByteIndex);
  output.WriteByte(userVias ? 0x01 : 0x00);
  output.WriteBlock(kViaDetailBytes + kDetailByteIndex + 1,
                    sizeof kViaDetailBytes - kDetailByteIndex - 1);
  if (state.gdbVersion == 'm') output.WriteBlock(kWaypointEndBytesM, sizeof kWaypointEndBytesM);
}

void WriteGeneratedRoute(ConversionState& state, OutputStream& output, const char* routeName,
                         uint32_t first, uint32_t end, bool userVias) {
  WriteText(routeName, output);
  output.WriteByte(0x01);
  output.WriteByte(0x00);
  WriteBounds(output, PointBounds(state, first, end - 1));
  WriteInt32(end - first, output);
  for (uint32_t p = first; p < end; ++p) {
    FormatViaName(state.nameBuffer, state.waypointSerial + p);
    output.WriteBlock(reinterpret_cast<const uint8_t*>(state.nameBuffer), kViaNameSize);
    WriteViaHead(output, userVias);
    output.WriteBlock(kViaEntryBytes, sizeof kViaEntryBytes);
    if (p + 1 < end) {
      WriteInt32(2, output);
      WritePosition(state.pointLat[p], state.pointLon[p], output);
      WritePosition(state.pointLat[p + 1], state.pointLon[p + 1], output);
      output.WriteByte(0x00);
      WriteBounds(output, PointBounds(state, p, p + 1));
      WriteLinkVersionBytes(state.gdbVersion, output);
    } else {
      WriteInt32(0, output);
      output.WriteByte(0x01);
      WriteLinkVersionBytes(state.gdbVersion, output);
      output.WriteByte(0x00);
    }
  }
  if (state.gdbVersion == 'm') output.WriteBlock(kRouteEndBytesM, sizeof kRouteEndBytesM);
}

void ConvertTrackToRoutes(ConversionState& state, InputStream& input, OutputStream& output,
                          uint32_t length, ConversionMode mode) {
  RecordWalk walk(state, input, nullptr, length);
  const int32_t nameLength = ReadTrackPoints(walk);
  if (input.AtEnd()) return;
  if (nameLength < 0) {
    PassThroughAfterName(walk, output, length, record_type::kTrack);
    return;
  }
  // The conversion run keeps the maximum within 25..1000; 0 must not loop forever.
  uint32_t maxVias = state.settings.maxViasPerRoute > 0 ? state.settings.maxViasPerRoute : 1;
  // One route per track: the table is cut down to the chosen vias, in track
  // order, and makes one chunk. A track longer than the table is skipped.
  bool tooLong = false;
  DistanceKey farthest = 0;
  if (state.settings.oneRoute) {
    if (maxVias > kMostOneRouteVias) maxVias = kMostOneRouteVias;
    if (maxVias < 2) maxVias = 2;
    tooLong = state.pointsRefused > 0;
    if (!tooLong) {
      uint32_t vias[kMostOneRouteVias];
      const uint32_t viaCount = ChooseOneRouteVias(state, maxVias, vias, farthest);
      for (uint32_t i = 0; i < viaCount; ++i) {
        state.pointLat[i] = state.pointLat[vias[i]];
        state.pointLon[i] = state.pointLon[vias[i]];
      }
      state.pointCount = viaCount;
    }
  }
  const uint32_t pointCount = state.pointCount;
  if (tooLong || pointCount + state.waypointSerial > kMaxPoints) {
    Trace(state, "%s", kSkipTrace);
    SetSkipMessage(state, state.nameBuffer);
    ++state.counts.tracksSkipped;
    return;
  }
  ++state.counts.tracksToRoutes;
  const auto metres = static_cast<uint64_t>(std::ceil(KeyToMetres(farthest)));
  if (metres > state.counts.farthestPointMetres) state.counts.farthestPointMetres = metres;
  if (pointCount == 0) return;
  char trackNamePart[kRouteNameTrackPart + 1];
  CopyTrackNamePart(state.gdbVersion, trackNamePart, state.nameBuffer);
  const bool userVias = (mode == ConversionMode::kTracksToRoutesUserVias);
  for (uint32_t first = 0; first < pointCount; first += maxVias) {
    const uint32_t end = pointCount - first > maxVias ? first + maxVias : pointCount;
    WriteRouteChunk(state, output, trackNamePart, first, end, userVias);
    ++state.counts.routesMade;
  }
  state.waypointSerial += pointCount;
  state.counts.waypointsMade += pointCount;
}
