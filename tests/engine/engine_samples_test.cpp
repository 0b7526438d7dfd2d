// Real GDB files, read where they lie: every one converts in all six modes,
// every output passes the frame checker, and the counts come out as the
// conversion should give them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "conversion_state.h"
#include "engine_harness.h"

namespace enginetest {
namespace {

using gdbtest::CheckFrames;
using gdbtest::FramePoint;
using gdbtest::FrameRecord;
using gdbtest::FrameReport;

class SamplesTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (!std::filesystem::is_directory(MORVEX_SAMPLES_DIR)) {
      GTEST_SKIP() << "no sample folder at " << MORVEX_SAMPLES_DIR;
    }
  }

  static std::string Read(const char* name) {
    std::ifstream file(std::filesystem::path(MORVEX_SAMPLES_DIR) / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }
};

// "%04d %s": the name of a route made from a track.
bool IsGeneratedRouteName(const std::string& name) {
  if (name.size() < 5 || name[4] != ' ') return false;
  for (int i = 0; i < 4; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

struct SampleCounts {
  const char* file;
  size_t waypoints, routes, routeEntries, tracks, trackPoints, otherRecords;
};

constexpr SampleCounts kSamples[] = {
    {"mixed-l.gdb", 199, 1, 199, 9, 747, 4},
    {"mixed-m.gdb", 199, 1, 199, 9, 747, 4},
    {"autoroute-successor-m.gdb", 6, 1, 6, 0, 0, 0},
    {"waypoints-accents-l.gdb", 16, 0, 0, 0, 0, 0},
};

TEST_F(SamplesTest, InputsAreWhatTheFolderDescribes) {
  for (const SampleCounts& sample : kSamples) {
    SCOPED_TRACE(sample.file);
    const FrameReport in = CheckFrames(Read(sample.file));
    ASSERT_TRUE(in.ok) << in.error;
    EXPECT_EQ(in.waypoints, sample.waypoints);
    EXPECT_EQ(in.routes, sample.routes);
    EXPECT_EQ(in.routeEntries, sample.routeEntries);
    EXPECT_EQ(in.tracks, sample.tracks);
    EXPECT_EQ(in.trackPoints, sample.trackPoints);
    EXPECT_EQ(in.otherRecords, sample.otherRecords);
  }
}

TEST_F(SamplesTest, ViasAreReclassifiedInPlace) {
  for (const SampleCounts& sample : kSamples) {
    const std::string input = Read(sample.file);
    for (ConversionMode mode : {kViasToUserWaypoints, kViasToHiddenVias}) {
      SCOPED_TRACE(testing::Message() << sample.file << ", mode " << mode);
      const RunResult run = Convert(input, mode);
      ASSERT_TRUE(Completed(run));
      ASSERT_EQ(run.output.size(), input.size());
      EXPECT_TRUE(SameBytes(Reclassified(input, mode), run.output));
      for (const FrameRecord& record : run.frames.records) {
        for (const auto& waypoint : record.entries) {
          EXPECT_NE(waypoint.classByte, 10) << waypoint.name;
          if (mode == kViasToUserWaypoints) {
            EXPECT_NE(waypoint.classByte, 12) << waypoint.name;
          }
        }
      }
    }
  }
}

TEST_F(SamplesTest, RoutesBecomeTracks) {
  for (const SampleCounts& sample : kSamples) {
    const std::string input = Read(sample.file);
    const FrameReport in = CheckFrames(input);
    for (ConversionMode mode : {kRoutesToTracksAllPoints, kRoutesToTracksViaPoints}) {
      SCOPED_TRACE(testing::Message() << sample.file << ", mode " << mode);
      const RunResult run = Convert(input, mode);
      ASSERT_TRUE(Completed(run));
      EXPECT_EQ(run.frames.waypoints, sample.waypoints);
      EXPECT_EQ(run.frames.routes, 0u);
      EXPECT_EQ(run.frames.tracks, sample.tracks + sample.routes);
      size_t routeTrackPoints = 0;
      for (size_t i = 0; i < in.records.size(); ++i) {
        ASSERT_EQ(run.frames.records[i].type, in.records[i].type == 'R' ? 'T' : in.records[i].type);
        if (in.records[i].type != 'R') continue;
        EXPECT_EQ(run.frames.records[i].name, in.records[i].name);
        const std::vector<FramePoint> expected = SelectedRoutePoints(in, i, mode);
        EXPECT_EQ(run.frames.records[i].points, expected);
        routeTrackPoints += expected.size();
      }
      EXPECT_EQ(run.frames.trackPoints, sample.trackPoints + routeTrackPoints);
      if (mode == kRoutesToTracksViaPoints && sample.routes == 1) {
        EXPECT_LE(routeTrackPoints, sample.routeEntries) << "one point per via at most";
        EXPECT_GT(routeTrackPoints, 1u);
      }
    }
  }
}

TEST_F(SamplesTest, TracksBecomeRoutes) {
  for (const SampleCounts& sample : kSamples) {
    const std::string input = Read(sample.file);
    const FrameReport in = CheckFrames(input);
    for (uint32_t maxVias : {25u, 250u, 1000u}) {
      for (ConversionMode mode : {kTracksToRoutesUserVias, kTracksToRoutesHiddenVias}) {
        SCOPED_TRACE(testing::Message() << sample.file << ", M " << maxVias << ", mode " << mode);
        const RunResult run = Convert(input, mode, WithMaxVias(maxVias));
        ASSERT_TRUE(Completed(run));
        size_t points = 0, routes = 0;
        std::vector<FramePoint> trackPoints;
        for (const FrameRecord& record : in.records) {
          if (record.type != 'T') continue;
          const std::vector<FramePoint> kept = WithoutRepeats(record.points);
          points += kept.size();
          routes += (kept.size() + maxVias - 1) / maxVias;
          // Every route gives its points back, a route of one entry (no
          // link) the position of its waypoint record.
          trackPoints.insert(trackPoints.end(), kept.begin(), kept.end());
        }
        EXPECT_EQ(run.frames.tracks, 0u);
        EXPECT_EQ(run.frames.waypoints, sample.waypoints + points);
        EXPECT_EQ(run.frames.routes, sample.routes + routes);
        EXPECT_EQ(run.frames.routeEntries, sample.routeEntries + points);
        EXPECT_EQ(run.waypointSerial, 1 + points);

        // Fed back as tracks, the generated routes give the tracks' points.
        const RunResult back = Convert(run.output, kRoutesToTracksViaPoints);
        ASSERT_TRUE(Completed(back));
        std::vector<FramePoint> backPoints;
        for (const FrameRecord& record : back.frames.records) {
          if (record.type == 'T' && IsGeneratedRouteName(record.name)) {
            backPoints.insert(backPoints.end(), record.points.begin(), record.points.end());
          }
        }
        EXPECT_EQ(backPoints, trackPoints);
      }
    }
  }
}

// The via points whose class or marker byte differs between two walks of
// one file, and the records that hold them.
struct Differences {
  uint64_t vias = 0;
  uint64_t records = 0;
};
Differences ReclassifiedVias(const FrameReport& in, const FrameReport& out) {
  Differences found;
  for (size_t r = 0; r < in.records.size(); ++r) {
    const uint64_t before = found.vias;
    const auto& entries = in.records[r].entries;
    for (size_t e = 0; e < entries.size(); ++e) {
      const auto& changed = out.records[r].entries[e];
      if (changed.classByte != entries[e].classByte || changed.marker != entries[e].marker) {
        ++found.vias;
      }
    }
    if (found.vias != before) ++found.records;
  }
  return found;
}

// Every count against what the independent walk finds in the input and output.
TEST_F(SamplesTest, CountsMatchTheFiles) {
  for (const SampleCounts& sample : kSamples) {
    const std::string input = Read(sample.file);
    const FrameReport in = CheckFrames(input);
    const uint64_t records = in.waypoints + in.routes + in.tracks + in.otherRecords;
    for (ConversionMode mode : kAllModes) {
      SCOPED_TRACE(testing::Message() << sample.file << ", mode " << mode);
      const RunResult run = Convert(input, mode, WithMaxVias(25));
      ASSERT_TRUE(Completed(run));
      const FrameReport& out = run.frames;
      ConversionCounts expected;
      if (IsRouteToTrack(mode)) {
        expected.routesToTracks = in.routes;
        expected.trackPointsMade = out.trackPoints - in.trackPoints;
        expected.recordsUnchanged = records - in.routes;
      } else if (IsReclassifying(mode)) {
        const Differences differences = ReclassifiedVias(in, out);
        expected.viasReclassified = differences.vias;
        expected.recordsReclassified = differences.records;
        expected.recordsUnchanged = records - differences.records;
      } else {
        expected.tracksToRoutes = in.tracks;
        expected.routesMade = out.routes - in.routes;
        expected.waypointsMade = out.waypoints - in.waypoints;
        expected.recordsUnchanged = records - in.tracks;
      }
      EXPECT_EQ(run.counts, expected);
    }
  }
}

}  // namespace
}  // namespace enginetest
