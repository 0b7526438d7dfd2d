#include "peer_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "frame_checker.h"
#include "process.h"
#include "test_fs.h"

namespace runtest {

namespace {

using Points = std::vector<GpxPoint>;

std::string Describe(const ProcessResult& result) {
  return "exit status " + std::to_string(result.exitStatus) +
         (result.signal != 0 ? ", signal " + std::to_string(result.signal) : "") + "\n" +
         result.err;
}

bool SamePlace(const GpxPoint& a, const GpxPoint& b, double tolerance) {
  return std::fabs(a.lat - b.lat) <= tolerance && std::fabs(a.lon - b.lon) <= tolerance;
}

// Index of the first point that differs (in place or, where the expected
// point has a name, in name), or the common length when one list is a
// beginning of the other.
size_t FirstDifference(const Points& expected, const Points& got, double tolerance) {
  size_t i = 0;
  for (; i < expected.size() && i < got.size(); ++i) {
    if (!SamePlace(expected[i], got[i], tolerance)) break;
    if (!expected[i].name.empty() && expected[i].name != got[i].name) break;
  }
  return i;
}

std::string PointText(const Points& points, size_t i) {
  if (i >= points.size()) return "(none)";
  char text[96];
  std::snprintf(text, sizeof text, "%.9f %.9f", points[i].lat, points[i].lon);
  return points[i].name.empty() ? text : points[i].name + " " + text;
}

// Every expected route or track is read back once, with its name and its
// points in order; nothing else is.
void ExpectPaths(const char* kind, const std::vector<GpxPath>& expected,
                 const std::vector<GpxPath>& got, double tolerance = 0) {
  EXPECT_EQ(got.size(), expected.size()) << "number of " << kind << "s";
  std::vector<bool> used(got.size(), false);
  for (const GpxPath& want : expected) {
    const GpxPath* sameName = nullptr;
    bool found = false;
    for (size_t j = 0; j < got.size() && !found; ++j) {
      if (used[j] || got[j].name != want.name) continue;
      sameName = &got[j];
      const size_t diff = FirstDifference(want.points, got[j].points, tolerance);
      if (diff == want.points.size() && diff == got[j].points.size()) {
        used[j] = true;
        found = true;
      }
    }
    if (found) continue;
    if (sameName == nullptr) {
      ADD_FAILURE() << "no " << kind << " named '" << want.name << "' was read back";
      continue;
    }
    const size_t diff = FirstDifference(want.points, sameName->points, tolerance);
    ADD_FAILURE() << kind << " '" << want.name << "': " << sameName->points.size()
                  << " points read back, " << want.points.size()
                  << " expected; first difference at " << diff << ": expected "
                  << PointText(want.points, diff) << ", read " << PointText(sameName->points, diff);
  }
}

void ExpectWaypoints(const Points& expected, const Points& got) {
  EXPECT_EQ(got.size(), expected.size()) << "number of waypoints";
  std::vector<bool> used(got.size(), false);
  for (const GpxPoint& want : expected) {
    bool found = false;
    for (size_t j = 0; j < got.size() && !found; ++j) {
      if (!used[j] && got[j].name == want.name && SamePlace(want, got[j], 0)) {
        used[j] = true;
        found = true;
      }
    }
    if (!found) {
      ADD_FAILURE() << "waypoint " << PointText({want}, 0) << " was not read back";
    }
  }
}

Points Unnamed(Points points) {
  for (GpxPoint& point : points) point.name.clear();
  return points;
}

double Degrees(int32_t semicircles) {
  return semicircles * (180.0 / 2147483648.0);
}

std::string Numbered(const char* format, size_t number, const std::string& text = "") {
  char out[512];
  std::snprintf(out, sizeof out, format, static_cast<unsigned>(number), text.c_str());
  return out;
}

// The routes and via waypoints that options 5 and 6 make of base's tracks:
// per track, routes of at most maxVias points without consecutive repeats,
// numbered on from track to track.
void RoutesFromTracks(const GpxData& base, int maxVias, std::vector<GpxPath>& routes,
                      Points& waypoints) {
  size_t serial = 1;
  for (const GpxPath& track : base.tracks) {
    const Points points = WithoutRepeats(track.points);
    for (size_t first = 0; first < points.size(); first += static_cast<size_t>(maxVias)) {
      GpxPath route;
      route.name = Numbered("%04u %s", serial + first, track.name);
      for (size_t i = first; i < points.size() && i < first + static_cast<size_t>(maxVias); ++i) {
        GpxPoint via = points[i];
        via.name = Numbered("T%04u", serial + i);
        route.points.push_back(via);
        waypoints.push_back(via);
      }
      routes.push_back(route);
    }
    serial += points.size();
  }
}

}  // namespace

bool HaveGpsbabel() {
  return HaveProgram("gpsbabel");
}

std::string MakeGdb(const fs::path& gpx, int version, const fs::path& gdb) {
  const ProcessResult result =
      RunProgram({"gpsbabel", "-i", "gpx", "-f", gpx.string(), "-o",
                  "gdb,ver=" + std::to_string(version), "-F", gdb.string()});
  if (result.exitStatus != 0 || !fs::exists(gdb)) return "gpsbabel: " + Describe(result);
  return {};
}

std::string ReadBack(const fs::path& gdb, GpxData& data) {
  // Never beside the GDB file: the real samples are read where they lie.
  const TempDir scratch;
  const fs::path gpx = scratch / "back.gpx";
  const ProcessResult result =
      RunProgram({"gpsbabel", "-i", "gdb", "-f", gdb.string(), "-o", "gpx", "-F", gpx.string()});
  if (result.exitStatus != 0 || !result.err.empty()) {
    return "gpsbabel cannot read " + gdb.filename().string() + ": " + Describe(result);
  }
  std::string error;
  if (!ReadGpx(ReadFile(gpx), data, error)) return "the GPX gpsbabel wrote: " + error;
  return {};
}

namespace {

// The completion line and one summary line; what the summary says is the
// summary tests' to check.
bool SaysCompleted(const std::string& err) {
  const std::string completed = "Finished: GDB file conversion completed\nSummary: ";
  return err.starts_with(completed) && err.ends_with(".\n") &&
         err.find('\n', completed.size()) == err.size() - 1;
}

}  // namespace

std::string Convert(const fs::path& input, const fs::path& output, int option, int maxVias,
                    bool oneRoute) {
  std::vector<std::string> arguments = {MORVEX_CONVERT, "--quiet",
                                        "--option",     std::to_string(option),
                                        "--max-vias",   std::to_string(maxVias)};
  if (oneRoute) arguments.push_back("--one-route");
  arguments.push_back(input.string());
  arguments.push_back(output.string());
  const ProcessResult result = RunProgram(arguments);
  if (result.exitStatus != 0 || !SaysCompleted(result.err)) {
    return "morvex-convert --option " + std::to_string(option) + ": " + Describe(result);
  }
  return {};
}

void ExpectFramesOk(const fs::path& gdb) {
  const gdbtest::FrameReport report = gdbtest::CheckFrames(ReadFile(gdb));
  EXPECT_TRUE(report.ok) << gdb.filename() << ": " << report.error;
}

void ExpectConverted(const std::string& inputGdb, const GpxData& base, const GpxData& got,
                     int option, int maxVias) {
  switch (option) {
    case 1:
    case 2: {
      ExpectWaypoints(base.waypoints, got.waypoints);
      EXPECT_TRUE(got.routes.empty()) << "routes are left";
      std::vector<GpxPath> tracks = base.tracks;
      if (option == 2) {
        // The first and last point of every link: the route's own points.
        for (const GpxPath& route : base.routes) {
          tracks.push_back({route.name, Unnamed(WithoutRepeats(route.points))});
        }
        ExpectPaths("track", tracks, got.tracks);
        break;
      }
      // Every link point, as an independent walk of the input finds them.
      const gdbtest::FrameReport report = gdbtest::CheckFrames(inputGdb);
      ASSERT_TRUE(report.ok) << report.error;
      size_t index = 0;
      for (const gdbtest::FrameRecord& record : report.records) {
        if (record.type != 'R') continue;
        ASSERT_LT(index, base.routes.size()) << "more routes in the file than gpsbabel read";
        Points points;
        for (const gdbtest::FramePoint& point : record.points) {
          points.push_back({Degrees(point.lat), Degrees(point.lon), {}});
        }
        tracks.push_back({base.routes[index++].name, WithoutRepeats(points)});
      }
      EXPECT_EQ(index, base.routes.size());
      // gpsbabel prints 9 decimals; neighbouring semicircles are 8.4e-8 degrees apart.
      ExpectPaths("track", tracks, got.tracks, 2e-8);
      break;
    }
    case 3:
    case 4:
      ExpectWaypoints(base.waypoints, got.waypoints);
      ExpectPaths("route", base.routes, got.routes);
      ExpectPaths("track", base.tracks, got.tracks);
      break;
    case 5:
    case 6: {
      std::vector<GpxPath> routes = base.routes;
      Points waypoints = base.waypoints;
      RoutesFromTracks(base, maxVias, routes, waypoints);
      ExpectWaypoints(waypoints, got.waypoints);
      ExpectPaths("route", routes, got.routes);
      EXPECT_TRUE(got.tracks.empty()) << "tracks are left";
      break;
    }
    default:
      FAIL() << "no option " << option;
  }
}

void ExpectTracksGivenBack(const GpxData& base, const GpxData& tracks) {
  size_t serial = 1;
  size_t expectedTracks = base.routes.size();
  for (const GpxPath& track : base.tracks) {
    const Points points = Unnamed(WithoutRepeats(track.points));
    // The routes made of this track are found by their numbers, in order.
    Points joined;
    for (const GpxPath& part : tracks.tracks) {
      // "%04d %s": the number of the route's first via point, the track's name.
      if (part.name.size() != 5 + track.name.size() || part.name[4] != ' ' ||
          part.name.compare(5, std::string::npos, track.name) != 0) {
        continue;
      }
      const size_t number = std::stoul(part.name.substr(0, 4));
      if (number < serial || number >= serial + points.size()) continue;
      if (number != serial + joined.size()) {
        ADD_FAILURE() << "track '" << part.name << "' out of order or overlapping";
      }
      joined.insert(joined.end(), part.points.begin(), part.points.end());
      ++expectedTracks;
    }
    const size_t diff = FirstDifference(points, joined, 0);
    EXPECT_TRUE(diff == points.size() && diff == joined.size())
        << "track '" << track.name << "' given back with " << joined.size() << " of "
        << points.size() << " points; first difference at " << diff << ": expected "
        << PointText(points, diff) << ", read " << PointText(joined, diff);
    serial += points.size();
  }
  for (const GpxPath& route : base.routes) {
    const GpxPath* back = tracks.Track(route.name);
    ASSERT_NE(back, nullptr) << "route '" << route.name << "' not given back as a track";
    EXPECT_EQ(FirstDifference(Unnamed(WithoutRepeats(route.points)), back->points, 0),
              WithoutRepeats(route.points).size());
  }
  EXPECT_EQ(tracks.tracks.size(), expectedTracks);
  EXPECT_TRUE(tracks.routes.empty());
}

}  // namespace runtest
