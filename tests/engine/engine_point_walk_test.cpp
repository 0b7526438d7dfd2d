// Long links and tracks whose optional fields are set at random. The engine
// takes the points that lie whole in its input buffer in runs; whatever the
// buffer boundaries, the result must be what the layouts give point by point.
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "gdb_builder.h"

namespace enginetest {
namespace {

using namespace gdbtest;

class PointWalkTest : public EngineTest {};

// Input slices from whole-buffer runs down to slices shorter than one point,
// so that runs end at every kind of place within a point.
constexpr size_t kSlices[] = {SIZE_MAX, 65536, 4093, 1000, 64, 17, 16, 9, 5};

// Steps of a few units, now and then a repeat of the last point.
FramePoint NextPoint(std::mt19937& random, FramePoint point) {
  if (random() % 16 == 0) return point;
  return {point.lat + static_cast<int32_t>(random() % 7) - 3,
          point.lon + static_cast<int32_t>(random() % 7) - 3};
}

// A route of entries links with linkPoints points each; each link point's
// flag is set with the odds given (setOneIn 1: always, 0: never).
Route RandomRoute(std::mt19937& random, int entries, int linkPoints, unsigned setOneIn) {
  Route route("Long route");
  FramePoint point{500000, -300000};
  for (int e = 0; e < entries; ++e) {
    RouteEntry entry("Via " + std::to_string(e));
    entry.Data(Waypoint().Class(10).Marker(31));
    if (e + 1 < entries) {
      std::vector<LinkPoint> link;
      for (int p = 0; p < linkPoints; ++p) {
        point = NextPoint(random, point);
        const bool set = setOneIn != 0 && random() % setOneIn == 0;
        link.push_back({point.lat, point.lon, static_cast<uint8_t>(set ? 1 + random() % 255 : 0)});
      }
      entry.Link(link);
    }
    route.Entry(entry);
  }
  return route;
}

// A track whose points set altitude and time mostly, depth and temperature
// now and then, and at times none or all four.
Track RandomTrack(std::mt19937& random, int points) {
  Track track("Long track");
  FramePoint point{-400000, 700000};
  for (int p = 0; p < points; ++p) {
    point = NextPoint(random, point);
    TrackPoint trackPoint(point.lat, point.lon);
    // Any byte but 0 sets a field.
    const auto set = [&random](bool on) {
      return static_cast<uint8_t>(on ? 1 + random() % 255 : 0);
    };
    const unsigned shape = random() % 32;
    if (shape == 0) {
      trackPoint.Flags(0, 0, 0, 0);
    } else if (shape == 1) {
      trackPoint.Flags(set(true), set(true), set(true), set(true));
    } else {
      trackPoint.Flags(set(shape % 8 != 2), set(true), set(shape % 16 == 3), set(shape % 16 == 4));
    }
    track.Point(trackPoint);
  }
  return track;
}

struct LinkCase {
  const char* name;
  unsigned setOneIn;
};

TEST_F(PointWalkTest, LongLinksWhereverTheBufferEnds) {
  const LinkCase cases[] = {
      {"no flag set", 0}, {"a flag in four set", 4}, {"every other", 2}, {"every flag set", 1}};
  std::mt19937 random(20261207);
  for (const LinkCase& c : cases) {
    for (char version : kAllVersions) {
      SCOPED_TRACE(testing::Message() << c.name << ", version " << version);
      // 11 links of 800 points: 8800 points, within the point table.
      const std::string input =
          GdbFile(version, {RouteRecord(RandomRoute(random, 12, 800, c.setOneIn), version)});
      const FrameReport report = CheckFrames(input);
      ASSERT_TRUE(report.ok) << report.error;
      const std::string tracks = GdbFile(
          version,
          {ExpectedTrackRecord("Long route",
                               SelectedRoutePoints(report, 0, kRoutesToTracksAllPoints), version)});
      const std::string reclassified = Reclassified(input, kViasToUserWaypoints);
      for (size_t slice : kSlices) {
        SCOPED_TRACE(testing::Message() << "input slice " << slice);
        const RunResult asTrack = Convert(input, kRoutesToTracksAllPoints, {{slice}});
        ASSERT_TRUE(Completed(asTrack));
        EXPECT_TRUE(SameBytes(tracks, asTrack.output));
        // Output buffers that end inside a track point, at every offset.
        for (size_t buffer : {size_t{13}, size_t{25}, size_t{4099}}) {
          const RunResult small = Convert(input, kRoutesToTracksAllPoints, {{slice, buffer}});
          EXPECT_TRUE(SameBytes(tracks, small.output)) << "output buffer " << buffer;
        }
        // The reclassification walks the same links without taking their points.
        const RunResult copied = Convert(input, kViasToUserWaypoints, {{slice}});
        ASSERT_TRUE(Completed(copied));
        EXPECT_TRUE(SameBytes(reclassified, copied.output));
      }
    }
  }
}

TEST_F(PointWalkTest, LongTracksWhereverTheBufferEnds) {
  std::mt19937 random(7);
  for (char version : kAllVersions) {
    SCOPED_TRACE(testing::Message() << "version " << version);
    const Track track = RandomTrack(random, 3000);
    const std::string input = GdbFile(version, {TrackRecord(track)});
    std::vector<FramePoint> points;
    for (const TrackPoint& point : track.points) points.push_back({point.lat, point.lon});
    const std::vector<FramePoint> unique = WithoutRepeats(points);
    // The reference takes every field one byte at a time.
    const RunResult reference = Convert(input, kTracksToRoutesUserVias, {{1}});
    ASSERT_TRUE(Completed(reference));
    EXPECT_EQ(reference.frames.routes, (unique.size() + 249) / 250);
    std::vector<FramePoint> vias;
    for (const FrameRecord& record : reference.frames.records) {
      if (record.type == 'W') vias.insert(vias.end(), record.points.begin(), record.points.end());
    }
    EXPECT_EQ(vias, unique);
    for (size_t slice : kSlices) {
      SCOPED_TRACE(testing::Message() << "input slice " << slice);
      const RunResult run = Convert(input, kTracksToRoutesUserVias, {{slice}});
      ASSERT_TRUE(Completed(run));
      EXPECT_TRUE(SameBytes(reference.output, run.output));
    }
  }
}

}  // namespace
}  // namespace enginetest
