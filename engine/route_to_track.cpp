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
// and a route of one via point (entry count 1, no link) becomes a track of
// that via point's position.
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
  RoutePointCollector(ConversionState& state, ConversionMode mode)
      : state_(state), allPoints_(mode == ConversionMode::kRoutesToTracksAllPoints) {}
  bool AppendsEveryPoint() const override { return allPoints_; }
  void OnLinkPoint(int32_t latitude, int32_t longitude, bool firstOfLink,
                   bool lastOfLink) override {
    if (allPoints_ || firstOfLink || lastOfLink) AppendPoint(state_, latitude, longitude);
  }
  void OnFirstEntry(uint64_t nameHash, uint32_t entryCount) override {
    firstEntryHash_ = nameHash;
    loneEntry_ = entryCount == 1;
  }

  // A route of one via point (an entry count of 1) has no link to take a
  // point from: its track is that via point, at the position of the waypoint
  // record of its name. A route of more entries whose first link is empty
  // keeps its track of no points.
  void TakeLoneViaPoint() const {
    int32_t latitude = 0;
    int32_t longitude = 0;
    if (state_.pointCount == 0 && loneEntry_ &&
        FindWaypoint(state_, firstEntryHash_, latitude, longitude)) {
      AppendPoint(state_, latitude, longitude);
    }
  }

 private:
  ConversionState& state_;
  bool allPoints_;
  bool loneEntry_ = false;  // the route has exactly one entry
  uint64_t firstEntryHash_ = 0;
};

// Points [first, first + count) of the table as track points at out:
// latitude, longitude and the four flags of each.
void FormatTrackPoints(const ConversionState& state, uint8_t* out, uint32_t first, uint32_t count) {
  for (uint32_t i = first; i < first + count; ++i, out += kTrackPointSize) {
    const uint32_t lat = static_cast<uint32_t>(state.pointLat[i]);
    const uint32_t lon = static_cast<uint32_t>(state.pointLon[i]);
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

uint32_t TrackLength(const ConversionState& state, int32_t nameLength) {
  return static_cast<uint32_t>(nameLength) + 12 * state.pointCount +
         (state.gdbVersion == 'm' ? 13 : 10);
}

}  // namespace

int32_t ReadRoutePoints(RecordWalk& walk, ConversionMode mode) {
  walk.State().pointCount = 0;
  const int32_t nameLength = walk.Name();
  if (nameLength < 0) return -1;
  RoutePointCollector collector(walk.State(), mode);
  WalkRouteBody(walk, std::nullopt, &collector);
  collector.TakeLoneViaPoint();
  walk.Finish();
  return nameLength;
}

void WriteTrackBody(const ConversionState& state, OutputStream& output) {
  const uint32_t pointCount = state.pointCount;
  WriteText(state.nameBuffer, output);
  output.WriteBlock(kTrackHeadBytes, sizeof kTrackHeadBytes);
  WriteInt32(pointCount, output);
  // The points are formatted straight into the output's buffer; a point that
  // would cross the buffer's end goes through a small block.
  uint32_t first = 0;
  while (first < pointCount) {
    const uint32_t fit = static_cast<uint32_t>(
        std::min<size_t>(output.Room() / kTrackPointSize, pointCount - first));
    if (fit > 0) {
      FormatTrackPoints(state, output.Space(), first, fit);
      output.Commit(size_t{fit} * kTrackPointSize);
      first += fit;
    } else {
      uint8_t point[kTrackPointSize];
      FormatTrackPoints(state, point, first, 1);
      output.WriteBlock(point, sizeof point);
      ++first;
    }
  }
  output.WriteBlock(kTrackEndBytesM, state.gdbVersion == 'm' ? 4 : 1);
}

void ConvertRouteToTrack(ConversionState& state, InputStream& input, OutputStream& output,
                         uint32_t length, ConversionMode mode) {
  RecordWalk walk(state, input, nullptr, length);
  const int32_t nameLength = ReadRoutePoints(walk, mode);
  if (input.AtEnd()) return;
  if (nameLength < 0) {
    PassThroughAfterName(walk, output, length, record_type::kRoute);
    return;
  }
  WriteRecordHeader(TrackLength(state, nameLength), output, record_type::kTrack);
  WriteTrackBody(state, output);
  ++state.counts.routesToTracks;
  state.counts.trackPointsMade += state.pointCount;
}

void PassThroughAfterName(RecordWalk& walk, OutputStream& output, uint32_t length, uint8_t type) {
  WriteRecordHeader(length, output, type);
  output.WriteBlock(reinterpret_cast<const uint8_t*>(walk.State().nameBuffer), walk.Consumed());
  walk.FinishTo(&output);
  ++walk.State().counts.recordsUnchanged;
}

void CopyWaypointRecord(ConversionState& state, InputStream& input, OutputStream& output,
                        uint32_t length) {
  WriteRecordHeader(length, output, record_type::kWaypoint);
  RecordWalk walk(state, input, &output, length);
  walk.Quiet();
  uint64_t nameHash = 0;
  int32_t latitude = 0;
  int32_t longitude = 0;
  if (walk.Text(&nameHash)) {
    WalkWaypointPrefix(walk, std::nullopt);
    if (walk.Ok() && walk.Point(latitude, longitude)) {
      RememberWaypoint(state, nameHash, latitude, longitude);
    }
  }
  walk.Finish();
  ++state.counts.recordsUnchanged;
}
