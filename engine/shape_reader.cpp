#include "shape_reader.h"

#include <optional>

#include "families.h"
#include "file_header.h"
#include "gdb_types.h"
#include "primitives.h"
#include "record_walk.h"
#include "route_layout.h"

namespace {

// The header check copies what it reads; the reader has nowhere to copy it.
class DiscardingStream final : public OutputStream {
 public:
  DiscardingStream() : OutputStream(4096) {}

 private:
  bool Drain(const uint8_t*, size_t) override { return true; }
};

class RouteShape final : public LinkPointSink {
 public:
  RouteShape(const ConversionState& state, ShapeSink& sink) : state_(state), sink_(sink) {}
  bool AppendsEveryPoint() const override { return false; }
  void OnLinkPoint(int32_t latitude, int32_t longitude, bool firstOfLink,
                   bool lastOfLink) override {
    sink_.OnRoutePoint(latitude, longitude, firstOfLink, lastOfLink);
  }
  void OnFirstEntry(uint64_t, uint32_t) override {}
  void OnEntry(uint32_t, uint64_t nameHash, int classByte) override {
    int32_t latitude = 0;
    int32_t longitude = 0;
    const bool found = FindWaypoint(state_, nameHash, latitude, longitude);
    sink_.OnRouteVia(classByte, found, latitude, longitude);
  }

 private:
  const ConversionState& state_;
  ShapeSink& sink_;
};

void ReadWaypoint(RecordWalk& walk, ShapeSink& sink) {
  uint64_t nameHash = 0;
  int classByte = -1;
  int32_t latitude = 0;
  int32_t longitude = 0;
  if (!walk.Text(&nameHash)) return;
  WalkWaypointPrefix(walk, std::nullopt, &classByte);
  if (walk.Ok() && walk.Point(latitude, longitude)) {
    RememberWaypoint(walk.State(), nameHash, latitude, longitude);
    sink.OnWaypoint(latitude, longitude, classByte);
  }
}

void ReadRoute(RecordWalk& walk, ShapeSink& sink) {
  if (!walk.Text()) return;
  sink.OnRouteStart();
  RouteShape route(walk.State(), sink);
  WalkRouteBody(walk, std::nullopt, &route);
}

void ReadTrack(RecordWalk& walk, ShapeSink& sink) {
  if (!walk.Text()) return;
  WalkTrackPoints(
      walk, [&sink] { sink.OnTrackStart(); },
      [&sink](int32_t latitude, int32_t longitude) { sink.OnTrackPoint(latitude, longitude); });
}

}  // namespace

ShapeReadResult ReadShapes(ConversionState& state, InputStream& input, ShapeSink& sink,
                           RecordObserver* observer) {
  StartConversion(state, ConversionSettings{});
  ShapeReadResult result;
  {
    DiscardingStream header;
    if (CopyFileHeader(state, header, input) == 0) return result;
  }
  result.headerAccepted = true;
  for (;;) {
    state.messagePending = 0;
    ++state.recordNumber;
    const uint32_t length = ReadUInt32(input);
    const int type = input.ReadByte();
    if (input.AtEnd()) break;
    ++result.records;
    RecordWalk walk(state, input, nullptr, length);
    if (type == record_type::kWaypoint) {
      ReadWaypoint(walk, sink);
    } else if (type == record_type::kRoute) {
      ReadRoute(walk, sink);
    } else if (type == record_type::kTrack) {
      ReadTrack(walk, sink);
    }
    walk.Finish();
    if (type == record_type::kEnd) {
      result.reachedEnd = true;
      break;
    }
    if (input.AtEnd() || (observer != nullptr && !observer->OnRecord(type, state))) break;
  }
  result.recordsDamaged = state.counts.recordsDamaged;
  return result;
}
