// What a run counts: every record after the header once, as converted,
// reclassified, skipped or copied unchanged, and a damaged one once more.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion_state.h"
#include "engine_harness.h"
#include "gdb_builder.h"

namespace enginetest {
namespace {

using namespace gdbtest;

std::vector<TrackPoint> DistinctPoints(int count) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < count; ++i) points.emplace_back(i, -i);
  return points;
}

Route TwoViaRoute(const Waypoint& first, const Waypoint& second) {
  return Route("Trip")
      .Entry(RouteEntry("A").Data(first).Link({{1, 2}, {3, 4}, {3, 4}, {5, 6}}))
      .Entry(RouteEntry("B").Data(second))
      .Rest(LastLinkRest('l'));
}

const Waypoint kPlain = Waypoint().Class(0).Marker(31);
const Waypoint kAuto10 = Waypoint().Class(10).Marker(31);
const Waypoint kAuto12 = Waypoint().Class(12).Marker(33);
const Waypoint kHidden12 = Waypoint().Class(12).Marker(5);  // hidden already: stays in mode 'S'

struct CountCase {
  const char* name;
  std::string input;
  ConversionMode mode;
  uint32_t maxVias;
  ConversionCounts expected;
};

std::vector<CountCase> CountCases() {
  const std::string route = RouteRecord(TwoViaRoute(kAuto10, kPlain), 'l');
  const std::string routeBody = RouteBody(TwoViaRoute(kAuto10, kPlain), 'l');
  return {
      {"RouteAllPoints",
       GdbFile('l', {WaypointRecord("A", kAuto10, 'l'), route, Record('X', "x"),
                     TrackRecord(Track().Point({7, 8}))}),
       kRoutesToTracksAllPoints,
       250,
       {.routesToTracks = 1, .trackPointsMade = 3, .recordsUnchanged = 3}},
      {"RouteViaPointsOnly",
       GdbFile('l', {route, route}),
       kRoutesToTracksViaPoints,
       250,
       {.routesToTracks = 2, .trackPointsMade = 4}},
      {"RouteCutInItsLink",
       GdbFile('l', {CutRecord('R', routeBody, routeBody.size() - 20)}),
       kRoutesToTracksAllPoints,
       250,
       {.routesToTracks = 1, .trackPointsMade = 3, .recordsDamaged = 1}},
      {"RouteCutInItsName",
       GdbFile('l', {CutRecord('R', routeBody, 2), Record('X', "x")}),
       kRoutesToTracksAllPoints,
       250,
       {.recordsUnchanged = 2, .recordsDamaged = 1}},
      {"ViasToUserWaypoints",
       GdbFile('l', {WaypointRecord("A", kAuto10, 'l'), WaypointRecord("B", kPlain, 'l'),
                     RouteRecord(TwoViaRoute(kAuto12, kAuto10), 'l')}),
       kViasToUserWaypoints,
       250,
       {.viasReclassified = 3, .recordsReclassified = 2, .recordsUnchanged = 1}},
      // Class and marker of the class-10 waypoint both change: one via point.
      {"ViasToHiddenVias",
       GdbFile('l', {WaypointRecord("A", kAuto10, 'l'), WaypointRecord("B", kAuto12, 'l'),
                     WaypointRecord("C", kHidden12, 'l'),
                     RouteRecord(TwoViaRoute(kHidden12, kPlain), 'l')}),
       kViasToHiddenVias,
       250,
       {.viasReclassified = 2, .recordsReclassified = 2, .recordsUnchanged = 2}},
      {"TracksToRoutes",
       GdbFile('l', {TrackRecord(Track("Walk").Points(DistinctPoints(30))),
                     TrackRecord(Track("Empty")), WaypointRecord("A", kPlain, 'l')}),
       kTracksToRoutesUserVias,
       25,
       {.tracksToRoutes = 2, .routesMade = 2, .waypointsMade = 30, .recordsUnchanged = 1}},
      // The first track takes T0001 to T9998; the second would pass T9999.
      {"TrackPastTheLastNumber",
       GdbFile('l', {TrackRecord(Track("Long").Points(DistinctPoints(9998))),
                     TrackRecord(Track("Over").Points(DistinctPoints(2)))}),
       kTracksToRoutesHiddenVias,
       1000,
       {.tracksToRoutes = 1, .routesMade = 10, .waypointsMade = 9998, .tracksSkipped = 1}},
  };
}

TEST(CountsTest, EachRecordIsCountedOnce) {
  for (const CountCase& c : CountCases()) {
    SCOPED_TRACE(c.name);
    RunOptions options = WithMaxVias(c.maxVias);
    options.allowDamaged = true;
    // Twice: the second run starts its counts afresh.
    for (int run = 0; run < 2; ++run) {
      const RunResult result = Convert(c.input, c.mode, options);
      ASSERT_TRUE(Completed(result));
      EXPECT_EQ(result.counts, c.expected);
    }
  }
}

}  // namespace
}  // namespace enginetest
