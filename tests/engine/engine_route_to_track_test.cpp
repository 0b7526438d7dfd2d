// Modes 'T' and 'U': every route becomes a track of its link points (all of
// them, or the first and last of each link).
#include <gtest/gtest.h>

#include <string>

#include "conversion_state.h"
#include "engine_harness.h"
#include "gdb_builder.h"

namespace enginetest {
namespace {

using namespace gdbtest;

class RouteToTrackTest : public EngineTest {};

// The input with every route record that the frame checker walked replaced by
// the track of its selected points; routes whose name does not end within the
// record stay as they are.
std::string ExpectedTracks(const std::string& input, ConversionMode mode) {
  const FrameReport report = CheckFrames(input, {.allowDamaged = true});
  std::string out = input.substr(0, report.headerSize);
  for (size_t i = 0; i < report.records.size(); ++i) {
    const FrameRecord& record = report.records[i];
    const std::string bytes = input.substr(record.offset, 5 + record.length);
    const bool nameWhole = bytes.find('\0', 5) != std::string::npos;
    if (record.type == 'R' && nameWhole) {
      out += ExpectedTrackRecord(record.name, SelectedRoutePoints(report, i, mode), report.version);
    } else {
      out += bytes;
    }
  }
  return out;
}

struct PointCase {
  const char* name;
  Route route;
  ConversionMode mode;
  std::vector<FramePoint> points;
};

TEST_F(RouteToTrackTest, PointSelection) {
  const Route plain = RouteLayoutNamed('k', "plain");
  const PointCase cases[] = {
      {"all points, the shared via point once",
       plain,
       kRoutesToTracksAllPoints,
       {{100, 200}, {110, -210}, {120, 220}, {-130, 230}}},
      {"via points only", plain, kRoutesToTracksViaPoints, {{100, 200}, {120, 220}, {-130, 230}}},
      {"a link of one point gives it once",
       Route("One")
           .Entry(RouteEntry("A").Link({{5, 5}}))
           .Entry(RouteEntry("B").Link({{5, 5}, {6, 6}, {7, 7}}))
           .Entry(RouteEntry("C")),
       kRoutesToTracksViaPoints,
       {{5, 5}, {7, 7}}},
      {"a point equal to the one two back is kept",
       Route("Back").Entry(RouteEntry("A").Link({{1, 1}, {2, 2}, {1, 1}})).Entry(RouteEntry("B")),
       kRoutesToTracksAllPoints,
       {{1, 1}, {2, 2}, {1, 1}}},
      {"an empty link ends the walk",
       RouteLayoutNamed('k', "empty link ends the walk before the count"),
       kRoutesToTracksAllPoints,
       {{100, 200}, {110, -210}, {120, 220}}},
      {"no entries", RouteLayoutNamed('k', "no entries"), kRoutesToTracksViaPoints, {}},
  };
  for (const PointCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string input = GdbFile('k', {RouteRecord(c.route, 'k')});
    const RunResult run = Convert(input, c.mode);
    ASSERT_TRUE(Completed(run));
    ASSERT_EQ(run.frames.records.size(), 2u);
    EXPECT_EQ(run.frames.records[0].type, 'T');
    EXPECT_EQ(run.frames.records[0].points, c.points);
    EXPECT_TRUE(
        SameBytes(GdbFile('k', {ExpectedTrackRecord(c.route.name, c.points, 'k')}), run.output));
  }
}

TEST_F(RouteToTrackTest, RealFileLayouts) {
  for (char version : kAllVersions) {
    std::vector<std::string> records = {WaypointRecord("A", Waypoint().Class(10), version),
                                        TrackRecord(FlaggedTrack(version))};
    for (const RouteLayout& layout : RouteLayouts(version)) {
      records.push_back(RouteRecord(layout.route, version));
    }
    const std::string input = GdbFile(version, records);
    for (ConversionMode mode : {kRoutesToTracksAllPoints, kRoutesToTracksViaPoints}) {
      SCOPED_TRACE(testing::Message() << "version " << version << ", mode " << mode);
      const RunResult run = Convert(input, mode);
      ASSERT_TRUE(Completed(run));
      EXPECT_EQ(run.frames.routes, 0u);
      EXPECT_TRUE(SameBytes(ExpectedTracks(input, mode), run.output));
      ExpectSameWithTinyBuffers(input, mode, run);
    }
  }
}

// A waypoint record as real files hold it: name, prefix, then the position.
std::string PlacedWaypoint(std::string_view name, int32_t lat, int32_t lon, const Waypoint& data) {
  return Record('W', Text(name) + WaypointPrefix(data) + I32(lat) + I32(lon) + Fill(11, 0x5A));
}

// A route entry holds no position, so a route of one via point takes it from
// the waypoint record of the same name, wherever that stands before it.
TEST_F(RouteToTrackTest, RouteOfOneViaPoint) {
  const Route lone = Route("Lone").Entry(RouteEntry("Hut").Data(Waypoint().Country("CH")));
  struct LoneCase {
    const char* name;
    std::vector<std::string> before;  // records ahead of the route
    std::vector<FramePoint> points;
  };
  const LoneCase cases[] = {
      {"waypoint right before", {PlacedWaypoint("Hut", -7, 9, Waypoint())}, {{-7, 9}}},
      {"waypoint far before, others between",
       {PlacedWaypoint("Hut", 70, -90, Waypoint().Country("USA").Class(12)),
        PlacedWaypoint("Hu", 1, 1, Waypoint()), PlacedWaypoint("Hutt", 2, 2, Waypoint()),
        TrackRecord(Track("T").Point({3, 3}))},
       {{70, -90}}},
      {"the later of two waypoints of that name",
       {PlacedWaypoint("Hut", 1, 2, Waypoint()), PlacedWaypoint("Hut", 3, 4, Waypoint())},
       {{3, 4}}},
      {"no waypoint of that name", {PlacedWaypoint("Hot", 1, 2, Waypoint())}, {}},
      {"waypoint too short for its position",
       {Record('W', Text("Hut") + WaypointPrefix(Waypoint()) + Fill(7, 1))},
       {}},
  };
  for (const LoneCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> records = c.before;
    records.push_back(RouteRecord(lone, 'l'));
    const std::string input = GdbFile('l', records);
    for (ConversionMode mode : {kRoutesToTracksAllPoints, kRoutesToTracksViaPoints}) {
      const RunResult run = Convert(input, mode);
      ASSERT_TRUE(Completed(run));
      const FrameRecord& track = run.frames.records[c.before.size()];
      ASSERT_EQ(track.type, 'T');
      EXPECT_EQ(track.points, c.points);
      // Everything before the route is copied as it stands, without a message.
      EXPECT_EQ(run.output.substr(0, track.offset), input.substr(0, track.offset));
      for (size_t i = 0; i < c.before.size(); ++i) EXPECT_FALSE(run.records[i].pending);
    }
  }
}

// Only a route of one entry takes the position of its waypoint: a route of
// more entries whose first link is empty keeps its track of no points.
TEST_F(RouteToTrackTest, OnlyARouteOfOneEntryTakesAPosition) {
  struct EntryCountCase {
    const char* name;
    Route route;
    std::vector<FramePoint> points;
  };
  const EntryCountCase cases[] = {
      {"one entry", Route("R").Entry(RouteEntry("Hut")), {{-7, 9}}},
      {"two entries, the first link empty",
       Route("R").Entry(RouteEntry("Hut")).Entry(RouteEntry("Inn")),
       {}},
  };
  for (const EntryCountCase& c : cases) {
    const std::string input =
        GdbFile('l', {PlacedWaypoint("Hut", -7, 9, Waypoint()),
                      PlacedWaypoint("Inn", 1, 1, Waypoint()), RouteRecord(c.route, 'l')});
    for (ConversionMode mode : {kRoutesToTracksAllPoints, kRoutesToTracksViaPoints}) {
      SCOPED_TRACE(testing::Message() << c.name << ", mode " << mode);
      const RunResult run = Convert(input, mode);
      ASSERT_TRUE(Completed(run));
      EXPECT_EQ(run.frames.records[2].points, c.points);
    }
  }
}

// Positions are those of the run's own file: a run starts with none.
TEST_F(RouteToTrackTest, LoneViaPointsAreForgottenBetweenRuns) {
  const Route lone = Route("Lone").Entry(RouteEntry("Hut"));
  const RunResult first =
      Convert(GdbFile('k', {PlacedWaypoint("Hut", 5, 6, Waypoint()), RouteRecord(lone, 'k')}),
              kRoutesToTracksAllPoints);
  ASSERT_TRUE(Completed(first));
  EXPECT_EQ(first.frames.records[1].points, (std::vector<FramePoint>{{5, 6}}));
  const RunResult second =
      Convert(GdbFile('k', {RouteRecord(lone, 'k')}), kRoutesToTracksAllPoints);
  ASSERT_TRUE(Completed(second));
  EXPECT_TRUE(second.frames.records[0].points.empty());
}

TEST_F(RouteToTrackTest, RoutesCutAtEveryByte) {
  for (char version : kAllVersions) {
    const std::string body = RouteBody(RouteLayoutNamed(version, "everything at once"), version);
    for (size_t keep = 0; keep <= body.size(); ++keep) {
      const std::string input = GdbFile(version, {CutRecord('R', body, keep), Record('X', "x")});
      const bool damaged = CheckFrames(input, {.allowDamaged = true}).damagedRecords == 1;
      ASSERT_TRUE(keep < body.size() || !damaged) << "the whole record walks";
      for (ConversionMode mode : {kRoutesToTracksAllPoints, kRoutesToTracksViaPoints}) {
        SCOPED_TRACE(testing::Message()
                     << "version " << version << ", cut to " << keep << ", mode " << mode);
        const RunResult run = Convert(input, mode, kAllowDamaged);
        ASSERT_TRUE(Completed(run));
        EXPECT_TRUE(SameBytes(ExpectedTracks(input, mode), run.output));
        EXPECT_EQ(run.records[0].pending, damaged);
        if (damaged) {
          EXPECT_EQ(run.records[0].message,
                    "Record 1 is damaged: converted the part that could be read");
        }
        EXPECT_FALSE(run.records[1].pending);
      }
    }
  }
}

TEST_F(RouteToTrackTest, RouteNamesUpTo30000Bytes) {
  struct NameCase {
    const char* name;
    std::string record;
    bool converted;
  };
  const std::string longest(30000, 'r');
  const NameCase cases[] = {
      {"30000 bytes", RouteRecord(Route(longest).Entry(RouteEntry().Link({{1, 2}})), 'l'), true},
      {"30001 bytes", RouteRecord(Route(longest + "r").Entry(RouteEntry().Link({{1, 2}})), 'l'),
       false},
      {"no NUL within the record", Record('R', std::string(40, 'r')), false},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string input = GdbFile('l', {c.record});
    const RunResult run = Convert(input, kRoutesToTracksAllPoints, kAllowDamaged);
    ASSERT_TRUE(Completed(run));
    EXPECT_EQ(run.frames.tracks, c.converted ? 1u : 0u);
    EXPECT_EQ(run.records[0].pending, !c.converted);
    if (c.converted) {
      EXPECT_EQ(run.frames.records[0].name, longest);
    } else {
      EXPECT_TRUE(SameBytes(input, run.output));
    }
  }
}

TEST_F(RouteToTrackTest, PointLimitTruncatesTheTrack) {
  std::vector<LinkPoint> link;
  for (int32_t i = 0; i <= 10000; ++i) link.push_back({i, -i});
  const std::string input = GdbFile(
      'm', {RouteRecord(Route("Big").Entry(RouteEntry().Link(link)), 'm'), Record('X', "")});
  const RunResult run = Convert(input, kRoutesToTracksAllPoints);
  ASSERT_TRUE(Completed(run));
  const FrameRecord& track = run.frames.records[0];
  EXPECT_EQ(track.length, 4u + 12 * 10000 + 13);
  ASSERT_EQ(track.points.size(), 10000u);
  EXPECT_EQ(track.points.back(), (FramePoint{9999, -9999}));
  EXPECT_TRUE(run.records[0].pending);
  EXPECT_EQ(run.records[0].message, "Route point limit reached - track truncated!");
  EXPECT_FALSE(run.records[1].pending) << "the limit starts afresh with every record";
  EXPECT_EQ(run.trace,
            "R " +
                std::to_string(RouteBody(Route("Big").Entry(RouteEntry().Link(link)), 'm').size()) +
                "\nRoute point limit reached - track truncated!\nX 0\nV 2\n");
}

}  // namespace
}  // namespace enginetest
