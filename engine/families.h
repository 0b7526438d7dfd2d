// The three rewriting families, called by the record dispatcher for the
// records and modes they serve. Each consumes exactly the record's body.
#pragma once

#include <cstdint>

#include "byte_stream.h"
#include "conversion_state.h"
#include "gdb_types.h"
#include "record_walk.h"

// Via-point reclassification, the reclassifying modes. The walk copies to the
// output and starts after the record's name.
void ReclassifyWaypoint(RecordWalk& walk, ConversionMode mode);
void ReclassifyRoute(RecordWalk& walk, ConversionMode mode);
// The class byte and marker byte a waypoint gets in a reclassifying mode.
uint8_t ReclassifiedClass(uint8_t classByte, ConversionMode mode);
uint8_t ReclassifiedMarker(uint8_t classByte, uint8_t markerByte);

// Route to track: every link point, or the first and last point of every
// link. ReadRoutePoints fills the point table and returns the name's length
// with its NUL, or -1 when the name does not end within the record.
int32_t ReadRoutePoints(RecordWalk& walk, ConversionMode mode);
void WriteTrackBody(const ConversionState& state, OutputStream& output);
// Copies a waypoint record unchanged and keeps its position for the routes
// after it (see FindWaypoint).
void CopyWaypointRecord(ConversionState& state, InputStream& input, OutputStream& output,
                        uint32_t length);
void ConvertRouteToTrack(ConversionState& state, InputStream& input, OutputStream& output,
                         uint32_t length, ConversionMode mode);

// After a track point's coordinates: altitude, time, depth, temperature,
// each a flag byte and the value when it is set.
inline constexpr uint8_t kTrackPointFields[4] = {8, 4, 8, 8};

// A track record's body after its name: five bytes, the point count, then
// the points, each handed to onPoint(latitude, longitude). onStart() comes
// once the count is read, before the first point, so that a track whose
// header ends early is never started. The caller reads the name its own way.
template <class OnStart, class OnPoint>
void WalkTrackPoints(RecordWalk& walk, OnStart&& onStart, OnPoint&& onPoint) {
  uint32_t points = 0;
  if (!walk.Bytes(5) || !walk.UInt32(points)) return;
  onStart();
  walk.Points(points, kTrackPointFields, 4, onPoint);
}

// Track to routes, with user waypoint vias or hidden vias. ReadTrackPoints
// empties the point table, reads the name into the state's nameBuffer and
// fills the table; it returns the name's length with its NUL, or -1 when the
// name does not end within the record.
int32_t ReadTrackPoints(RecordWalk& walk);
struct Bounds {
  int32_t minLat, maxLat, minLon, maxLon;
};
Bounds PointBounds(const ConversionState& state, uint32_t first, uint32_t last);
void WriteViaWaypoint(const ConversionState& state, OutputStream& output, const char* name,
                      int32_t latitude, int32_t longitude, bool userVias);
void WriteGeneratedRoute(ConversionState& state, OutputStream& output, const char* routeName,
                         uint32_t first, uint32_t end, bool userVias);
void ConvertTrackToRoutes(ConversionState& state, InputStream& input, OutputStream& output,
                          uint32_t length, ConversionMode mode);

// Writes a record whose name could not be read as it stands: the frame, the
// name bytes read so far (the state's nameBuffer) and the rest of the record.
void PassThroughAfterName(RecordWalk& walk, OutputStream& output, uint32_t length, uint8_t type);
