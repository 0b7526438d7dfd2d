// Track to routes. The track is walked once to collect its name and points:
//
//   field               size          walk
//   track name          text          into g_nameBuffer (at most 30000 bytes)
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
// In its place, for every chunk of at most g_maxViasPerRoute points, one
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
#include <cstdio>
#include <cstring>
#include <limits>

#include "conversion_state.h"
#include "families.h"
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

struct SkipMessage {
  const char* before;
  const char* after;
};

bool SkipMessageFor(int32_t language, SkipMessage& message) {
  switch (language) {
    case 1:
      message = {"Cannot convert more then 10000 trackpoints,\ntrack \"", "\" skipped."};
      return true;
    case 2:
      message = {"Kan niet meer dan 10000 trackpoints converteren,\ntrack \"", "\" overgeslagen."};
      return true;
    case 3:
      message = {"Kann nicht mehr als 10000 Trackpunkten konvertieren,\ntrack \"",
                 "\" \xC3\xBC"
                 "bersprungen."};
      return true;
    default:
      return false;
  }
}

// "%04d" of a number below 10000, and its NUL, as the via names need.
void FormatViaName(char* out, uint32_t number) {
  out[0] = 'T';
  for (int i = 4; i >= 1; --i) {
    out[i] = static_cast<char>('0' + number % 10);
    number /= 10;
  }
  out[5] = '\0';
}

void WriteLinkVersionBytes(OutputStream& output) {
  if (g_gdbVersion == 'l') output.WriteBlock(kLinkVersionBytesL, sizeof kLinkVersionBytesL);
  if (g_gdbVersion == 'm') output.WriteBlock(kLinkVersionBytesM, sizeof kLinkVersionBytesM);
}

void WriteViaHead(OutputStream& output, bool userVias) {
  output.WriteByte(userVias ? kUserViaClass : kHiddenViaClass);
  output.WriteBlock(kViaHeadBytes + 1, sizeof kViaHeadBytes - 1);
}

void WriteBounds(OutputStream& output, const Bounds& bounds) {
  WritePosition(bounds.maxLat, bounds.maxLon, output);
  WritePosition(bounds.minLat, bounds.minLon, output);
}

uint32_t WaypointLength() {
  return g_gdbVersion == 'm' ? 82 : 73;
}

uint32_t RouteLength(uint32_t entries, uint32_t nameLength) {
  switch (g_gdbVersion) {
    case 'k':
      return 93 * (entries - 1) + nameLength + 82;
    case 'l':
      return 101 * (entries - 1) + nameLength + 90;
    default:
      return 103 * (entries - 1) + nameLength + 101;
  }
}

// After a track point's coordinates: altitude, time, depth, temperature,
// each a flag byte and the value when it is set.
constexpr uint8_t kTrackPointFields[4] = {8, 4, 8, 8};

// The track name as the generated route names carry it: at most 250 bytes,
// cut between characters for the UTF-8 names of version 'm'.
void CopyTrackNamePart(char* out, const char* trackName) {
  const size_t length = std::strlen(trackName);
  size_t cut = length < kRouteNameTrackPart ? length : kRouteNameTrackPart;
  if (g_gdbVersion == 'm') cut = Utf8CutLength(trackName, length, kRouteNameTrackPart);
  std::memcpy(out, trackName, cut);
  out[cut] = '\0';
}

// The skip message with the track name in UTF-8, cut so that it fits.
void SetSkipMessage(const char* trackName) {
  SkipMessage message;
  if (!SkipMessageFor(g_language, message)) {
    g_messagePending = 1;
    return;
  }
  char text[kMessageSize];
  const size_t before = std::strlen(message.before);
  const size_t after = std::strlen(message.after);
  const size_t room = sizeof text - 1 - before - after;
  const size_t nameLength = std::strlen(trackName);
  std::memcpy(text, message.before, before);
  size_t used = before;
  if (g_gdbVersion == 'm') {
    const size_t cut = Utf8CutLength(trackName, nameLength, room);
    std::memcpy(text + used, trackName, cut);
    used += cut;
  } else {
    used += Cp1252ToUtf8(text + used, room, trackName, nameLength);
  }
  std::memcpy(text + used, message.after, after + 1);
  SetMessage(text);
}

void WriteRouteChunk(OutputStream& output, const char* trackNamePart, uint32_t first, uint32_t end,
                     bool userVias) {
  char name[kRouteNameSize];
  for (uint32_t i = first; i < end; ++i) {
    WriteRecordHeader(WaypointLength(), output, 'W');
    FormatViaName(name, g_waypointSerial + i);
    WriteViaWaypoint(output, name, g_pointLat[i], g_pointLon[i], userVias);
  }
  const int length =
      std::snprintf(name, sizeof name, "%04u %s", g_waypointSerial + first, trackNamePart);
  WriteRecordHeader(RouteLength(end - first, static_cast<uint32_t>(length) + 1), output, 'R');
  WriteGeneratedRoute(output, name, first, end, userVias);
}

}  // namespace

int32_t ReadTrackPoints(RecordWalk& walk) {
  g_pointCount = 0;
  const int32_t nameLength = walk.Name();
  if (nameLength < 0) return -1;
  uint32_t points = 0;
  if (walk.Bytes(5) && walk.UInt32(points)) {
    PointRun run;
    walk.Points(points, kTrackPointFields, 4,
                [&run](int32_t latitude, int32_t longitude) { run.Append(latitude, longitude); });
  }
  walk.Finish();
  return nameLength;
}

Bounds PointBounds(uint32_t first, uint32_t last) {
  Bounds bounds{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(),
                std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
  for (uint32_t i = first; i <= last && i < kMaxPoints; ++i) {
    if (g_pointLat[i] < bounds.minLat) bounds.minLat = g_pointLat[i];
    if (g_pointLat[i] > bounds.maxLat) bounds.maxLat = g_pointLat[i];
    if (g_pointLon[i] < bounds.minLon) bounds.minLon = g_pointLon[i];
    if (g_pointLon[i] > bounds.maxLon) bounds.maxLon = g_pointLon[i];
  }
  return bounds;
}

void WriteViaWaypoint(OutputStream& output, const char* name, int32_t latitude, int32_t longitude,
                      bool userVias) {
  output.WriteBlock(reinterpret_cast<const uint8_t*>(name), kViaNameSize);
  WriteViaHead(output, userVias);
  WritePosition(latitude, longitude, output);
  output.WriteBlock(kViaDetailBytes, kDetailByteIndex);
  output.WriteByte(userVias ? 0x01 : 0x00);
  output.WriteBlock(kViaDetailBytes + kDetailByteIndex + 1,
                    sizeof kViaDetailBytes - kDetailByteIndex - 1);
  if (g_gdbVersion == 'm') output.WriteBlock(kWaypointEndBytesM, sizeof kWaypointEndBytesM);
}

void WriteGeneratedRoute(OutputStream& output, const char* routeName, uint32_t first, uint32_t end,
                         bool userVias) {
  WriteText(routeName, output);
  output.WriteByte(0x01);
  output.WriteByte(0x00);
  WriteBounds(output, PointBounds(first, end - 1));
  WriteInt32(end - first, output);
  for (uint32_t p = first; p < end; ++p) {
    FormatViaName(g_nameBuffer, g_waypointSerial + p);
    output.WriteBlock(reinterpret_cast<const uint8_t*>(g_nameBuffer), kViaNameSize);
    WriteViaHead(output, userVias);
    output.WriteBlock(kViaEntryBytes, sizeof kViaEntryBytes);
    if (p + 1 < end) {
      WriteInt32(2, output);
      WritePosition(g_pointLat[p], g_pointLon[p], output);
      WritePosition(g_pointLat[p + 1], g_pointLon[p + 1], output);
      output.WriteByte(0x00);
      WriteBounds(output, PointBounds(p, p + 1));
      WriteLinkVersionBytes(output);
    } else {
      WriteInt32(0, output);
      output.WriteByte(0x01);
      WriteLinkVersionBytes(output);
      output.WriteByte(0x00);
    }
  }
  if (g_gdbVersion == 'm') output.WriteBlock(kRouteEndBytesM, sizeof kRouteEndBytesM);
}

void ConvertTrackToRoutes(InputStream& input, OutputStream& output, uint32_t length, char mode) {
  RecordWalk walk(input, nullptr, length);
  const int32_t nameLength = ReadTrackPoints(walk);
  if (input.AtEnd()) return;
  if (nameLength < 0) {
    PassThroughAfterName(walk, output, length, 'T');
    return;
  }
  if (g_pointCount + g_waypointSerial > kMaxPoints) {
    Trace("%s", kSkipTrace);
    SetSkipMessage(g_nameBuffer);
    return;
  }
  if (g_pointCount == 0) return;
  char trackNamePart[kRouteNameTrackPart + 1];
  CopyTrackNamePart(trackNamePart, g_nameBuffer);
  const bool userVias = (mode == 'V');
  // The conversion run keeps the maximum within 25..1000; 0 must not loop forever.
  const uint32_t maxVias = g_maxViasPerRoute > 0 ? g_maxViasPerRoute : 1;
  for (uint32_t first = 0; first < g_pointCount; first += maxVias) {
    const uint32_t end = g_pointCount - first > maxVias ? first + maxVias : g_pointCount;
    WriteRouteChunk(output, trackNamePart, first, end, userVias);
  }
  g_waypointSerial += g_pointCount;
}
