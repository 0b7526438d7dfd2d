// Route to track. The route is walked once (see route_layout.cpp) to collect
// its name and points; then a track record takes its place:
//
//   field               size       value
//   length              4          n + 12 P + 10, or n + 12 P + 13 for 'm'
//   type                1          'T'
//   track name          n          the route name and its NUL
//   constant            5          01 02 00 00 00
//   point count P       4
//   P track points      12 each    latitude, longitude, four flag bytes 00
//   end                 1          00
//   version bytes       3 'm'      00 00 00
//
// A route entry carries no position, only the link to the next entry, so the
// waypoint records (copied unchanged) are walked up to their position:
//
//   name | class value 4 | country code text | 22 bytes | latitude 4 | longitude 4 | rest
//
// and a route whose links give no point at all, a route of one via point,
// becomes a track of that via point's position.
#include <algorithm>
#include <bit>
#include <cstring>

#include "conversion_state.h"
#include "families.h"
#include "route_layout.h"

namespace {

constexpr uint8_t kTrackHeadBytes[5] = {0x01, 0x02, 0x00, 0x00, 0x00};
constexpr uint8_t kTrackPointFlags[4] = {0, 0, 0, 0};
constexpr uint8_t kTrackEndBytesM[4] = {0, 0, 0, 0};
constexpr uint32_t kTrackPointSize = 12;

// Mode 'T' takes every link point, mode 'U' the first and last of each link.
class RoutePointCollector final : public LinkPointSink {
 public:
  explicit RoutePointCollector(char mode) : allPoints_(mode == 'T') {}
  bool AppendsEveryPoint() const override { return allPoints_; }
  void OnLinkPoint(int32_t latitude, int32_t longitude, bool firstOfLink,
                   bool lastOfLink) override {
    if (allPoints_ || firstOfLink || lastOfLink) AppendPoint(latitude, longitude);
  }
  void OnFirstEntry(uint64_t nameHash) override {
    firstEntryHash_ = nameHash;
    hasFirstEntry_ = true;
  }

  // A route of one via point has no link to take a point from: its track is
  // that via point, at the position of the waypoint record of its name.
  void TakeLoneViaPoint() const {
    int32_t latitude = 0;
    int32_t longitude = 0;
    if (g_pointCount == 0 && hasFirstEntry_ && FindWaypoint(firstEntryHash_, latitude, longitude)) {
      AppendPoint(latitude, longitude);
    }
  }

 private:
  bool allPoints_;
  bool hasFirstEntry_ = false;
  uint64_t firstEntryHash_ = 0;
};

// Points [first, first + count) of the table as track points at out:
// latitude, longitude and the four flags of each.
void FormatTrackPoints(uint8_t* out, uint32_t first, uint32_t count) {
  for (uint32_t i = first; i < first + count; ++i, out += kTrackPointSize) {
    const uint32_t lat = static_cast<uint32_t>(g_pointLat[i]);
    const uint32_t lon = static_cast<uint32_t>(g_pointLon[i]);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(out, &lat, 4);
      std::memcpy(out + 4, &lon, 4);
    } else {
      for (int b = 0; b < 4; ++b) {
        out[b] = static_cast<uint8_t>(lat >> (8 * b));
        out[4 + b] = static_cast<uint8_t>(lon >> (8 * b));
      }
    }
    std::memcpy(out + 8, kTrackPointFlags, sizeof kTrackPointFlags);
  }
}

uint32_t TrackLength(int32_t nameLength) {
  return static_cast<uint32_t>(nameLength) + 12 * g_pointCount + (g_gdbVersion == 'm' ? 13 : 10);
}

}  // namespace

int32_t ReadRoutePoints(RecordWalk& walk, char mode) {
  g_pointCount = 0;
  const int32_t nameLength = walk.Name();
  if (nameLength < 0) return -1;
  RoutePointCollector collector(mode);
  WalkRouteBody(walk, 0, &collector);
  collector.TakeLoneViaPoint();
  walk.Finish();
  return nameLength;
}

void WriteTrackBody(OutputStream& output) {
  WriteText(g_nameBuffer, output);
  output.WriteBlock(kTrackHeadBytes, sizeof kTrackHeadBytes);
  WriteInt32(g_pointCount, output);
  // The points are formatted straight into the output's buffer; a point that
  // would cross the buffer's end goes through a small block.
  uint32_t first = 0;
  while (first < g_pointCount) {
    const uint32_t fit = static_cast<uint32_t>(
        std::min<size_t>(output.Room() / kTrackPointSize, g_pointCount - first));
    if (fit > 0) {
      FormatTrackPoints(output.Space(), first, fit);
      output.Commit(size_t{fit} * kTrackPointSize);
      first += fit;
    } else {
      uint8_t point[kTrackPointSize];
      FormatTrackPoints(point, first, 1);
      output.WriteBlock(point, sizeof point);
      ++first;
    }
  }
  output.WriteBlock(kTrackEndBytesM, g_gdbVersion == 'm' ? 4 : 1);
}

void ConvertRouteToTrack(InputStream& input, OutputStream& output, uint32_t length, char mode) {
  RecordWalk walk(input, nullptr, length);
  const int32_t nameLength = ReadRoutePoints(walk, mode);
  if (input.AtEnd()) return;
  if (nameLength < 0) {
    PassThroughAfterName(walk, output, length, 'R');
    return;
  }
  WriteRecordHeader(TrackLength(nameLength), output, 'T');
  WriteTrackBody(output);
}

void PassThroughAfterName(RecordWalk& walk, OutputStream& output, uint32_t length, uint8_t type) {
  WriteRecordHeader(length, output, type);
  output.WriteBlock(reinterpret_cast<const uint8_t*>(g_nameBuffer), walk.Consumed());
  walk.FinishTo(&output);
}

void CopyWaypointRecord(InputStream& input, OutputStream& output, uint32_t length) {
  WriteRecordHeader(length, output, 'W');
  RecordWalk walk(input, &output, length);
  walk.Quiet();
  uint64_t nameHash = 0;
  int32_t latitude = 0;
  int32_t longitude = 0;
  if (walk.Text(&nameHash)) {
    WalkWaypointPrefix(walk, 0);
    if (walk.Ok() && walk.Point(latitude, longitude)) {
      RememberWaypoint(nameHash, latitude, longitude);
    }
  }
  walk.Finish();
}
