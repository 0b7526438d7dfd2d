// The check against GPSBabel, an independent reader and writer of GDB files:
// GPX data made here becomes GDB files of versions 1, 2 and 3 through
// gpsbabel, every file is converted with every option, and gpsbabel must read
// every result back as the option says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "frame_checker.h"
#include "gpx.h"
#include "peer_support.h"
#include "test_fs.h"

namespace runtest {
namespace {

GpxPoint At(double lat, double lon, const std::string& name = {}) {
  return {lat, lon, name};
}

// Waypoints in all four quarters of the globe, two routes and three tracks of
// hundreds of points that cross the equator and the prime meridian, names
// with letters beyond ASCII (all of them in Windows-1252, which versions 1
// and 2 use), and a few points repeated one after another.
GpxData TestData() {
  GpxData data;
  data.waypoints = {
      At(47.376887, 8.541694, "Zürich Café"),   At(-23.550520, -46.633308, "São Paulo"),
      At(64.146582, -21.942635, "Reykjavík"),   At(-33.924869, 18.424055, "Kapstadt Süd"),
      At(55.604981, 13.003822, "Malmö Straße"), At(0.000001, -0.000001, "Nullpunkt")};
  data.routes = {
      {"Küstenweg",
       {At(53.55, 9.99, "Hafen"), At(53.87, 10.68, "Lübeck"), At(54.32, 10.13, "Kiel"),
        At(54.78, 9.43, "Flensburg"), At(55.47, 8.45, "Esbjerg")}},
      {"Ruta del Sur",
       {At(1.5, -1.5, "Norte Oeste"), At(0.5, -0.5, "Cerca"), At(-0.5, 0.5, "Después"),
        At(-1.5, 1.5, "Sur Este"), At(-2.25, 0.75, "Río"), At(-1.0, -0.25, "Vuelta"),
        At(0.25, -1.75, "Última")}},
  };
  GpxPath spiral{"Fjällspår", {}};
  for (int i = 0; i < 600; ++i) {
    const double angle = i * 0.05;
    const double radius = 0.1 + i * 0.001;
    spiral.points.push_back(At(radius * std::sin(angle), radius * std::cos(angle)));
    if (i % 97 == 5) spiral.points.push_back(spiral.points.back());  // a pause
  }
  GpxPath line{"Été à Nîmes", {}};
  for (int i = 0; i < 333; ++i) line.points.push_back(At(43.8 - i * 0.27, -60.0 + i * 0.36));
  line.points.push_back(line.points.back());
  GpxPath shortTrack{"Kurz", {}};
  for (int i = 0; i < 27; ++i) shortTrack.points.push_back(At(-0.01 * i, 0.02 * (i % 5) - 0.04));
  data.tracks = {spiral, line, shortTrack};
  return data;
}

// One GDB file per version, made once and shared by the tests of that version.
struct VersionFiles {
  TempDir dir;
  fs::path gdb;
  std::string bytes;
  GpxData base;  // what gpsbabel reads from gdb
  std::string error;
};

VersionFiles& FilesFor(int version) {
  static std::map<int, std::unique_ptr<VersionFiles>> cache;
  std::unique_ptr<VersionFiles>& files = cache[version];
  if (files) return *files;
  files = std::make_unique<VersionFiles>();
  const fs::path gpx = files->dir / "data.gpx";
  WriteFile(gpx, WriteGpx(TestData()));
  files->gdb = files->dir / ("data-v" + std::to_string(version) + ".gdb");
  files->error = MakeGdb(gpx, version, files->gdb);
  if (files->error.empty()) files->error = ReadBack(files->gdb, files->base);
  if (files->error.empty()) files->bytes = ReadFile(files->gdb);
  return *files;
}

class PeerTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
    files_ = &FilesFor(GetParam());
    ASSERT_EQ(files_->error, "");
  }

  const GpxData& Base() const { return files_->base; }

  // Converts the version's file, checks the frames of the result and reads it back.
  GpxData ConvertAndReadBack(const fs::path& input, int option, int maxVias,
                             const std::string& label) {
    const fs::path output = scratch_ / (label + ".gdb");
    GpxData got;
    const std::string converted = Convert(input, output, option, maxVias);
    EXPECT_EQ(converted, "");
    if (!converted.empty()) return got;
    const gdbtest::FrameReport report = gdbtest::CheckFrames(ReadFile(output));
    EXPECT_TRUE(report.ok) << label << ": " << report.error;
    EXPECT_EQ(report.version, "klm"[GetParam() - 1]);
    EXPECT_EQ(ReadBack(output, got), "") << label;
    EXPECT_EQ(report.routes, got.routes.size()) << label;
    EXPECT_EQ(report.tracks, got.tracks.size()) << label;
    return got;
  }

  const fs::path& Input() const { return files_->gdb; }
  const std::string& InputBytes() const { return files_->bytes; }

  TempDir scratch_;

 private:
  VersionFiles* files_ = nullptr;
};

TEST_P(PeerTest, GpsbabelMadeTheFileFromTheGpx) {
  // The ground the other tests stand on: gpsbabel keeps what the GPX holds,
  // to within the rounding of GDB coordinates.
  const GpxData sent = TestData();
  const GpxData& base = Base();
  const gdbtest::FrameReport report = gdbtest::CheckFrames(InputBytes());
  ASSERT_TRUE(report.ok) << report.error;
  EXPECT_EQ(report.version, "klm"[GetParam() - 1]);
  ASSERT_EQ(base.routes.size(), sent.routes.size());
  ASSERT_EQ(base.tracks.size(), sent.tracks.size());
  for (size_t r = 0; r < sent.routes.size(); ++r) {
    EXPECT_EQ(base.routes[r].name, sent.routes[r].name);
    ASSERT_EQ(base.routes[r].points.size(), sent.routes[r].points.size());
    for (size_t i = 0; i < sent.routes[r].points.size(); ++i) {
      EXPECT_NEAR(base.routes[r].points[i].lat, sent.routes[r].points[i].lat, 1e-6);
      EXPECT_NEAR(base.routes[r].points[i].lon, sent.routes[r].points[i].lon, 1e-6);
      EXPECT_EQ(base.routes[r].points[i].name, sent.routes[r].points[i].name);
    }
  }
  for (size_t t = 0; t < sent.tracks.size(); ++t) {
    EXPECT_EQ(base.tracks[t].name, sent.tracks[t].name);
    ASSERT_EQ(base.tracks[t].points.size(), sent.tracks[t].points.size());
    for (size_t i = 0; i < sent.tracks[t].points.size(); ++i) {
      EXPECT_NEAR(base.tracks[t].points[i].lat, sent.tracks[t].points[i].lat, 1e-6);
      EXPECT_NEAR(base.tracks[t].points[i].lon, sent.tracks[t].points[i].lon, 1e-6);
    }
  }
  for (const GpxPoint& sentWaypoint : sent.waypoints) {
    bool found = false;
    for (const GpxPoint& point : base.waypoints) {
      found = found ||
              (point.name == sentWaypoint.name && std::fabs(point.lat - sentWaypoint.lat) <= 1e-6 &&
               std::fabs(point.lon - sentWaypoint.lon) <= 1e-6);
    }
    EXPECT_TRUE(found) << sentWaypoint.name;
  }
}

TEST_P(PeerTest, RoutesBecomeTracks) {
  for (int option : {1, 2}) {
    SCOPED_TRACE("option " + std::to_string(option));
    const GpxData got = ConvertAndReadBack(Input(), option, 250, "option" + std::to_string(option));
    ExpectConverted(InputBytes(), Base(), got, option, 250);
    EXPECT_EQ(got.tracks.size(), 5u);
  }
}

TEST_P(PeerTest, ReclassifiedFilesReadTheSame) {
  for (int option : {3, 4}) {
    SCOPED_TRACE("option " + std::to_string(option));
    const GpxData got = ConvertAndReadBack(Input(), option, 250, "option" + std::to_string(option));
    ExpectConverted(InputBytes(), Base(), got, option, 250);
  }
}

TEST_P(PeerTest, TracksBecomeRoutes) {
  for (int option : {5, 6}) {
    for (int maxVias : {25, 250, 1000}) {
      const std::string label = "option" + std::to_string(option) + "-" + std::to_string(maxVias);
      SCOPED_TRACE(label);
      const GpxData got = ConvertAndReadBack(Input(), option, maxVias, label);
      ExpectConverted(InputBytes(), Base(), got, option, maxVias);
    }
  }
}

TEST_P(PeerTest, TrackToRoutesToTrackGivesTheTrackBack) {
  for (int option : {5, 6}) {
    for (int maxVias : {25, 250, 1000}) {
      const std::string label = "chain" + std::to_string(option) + "-" + std::to_string(maxVias);
      SCOPED_TRACE(label);
      const fs::path routes = scratch_ / (label + "-routes.gdb");
      ASSERT_EQ(Convert(Input(), routes, option, maxVias), "");
      ExpectFramesOk(routes);
      const GpxData tracks = ConvertAndReadBack(routes, 2, 250, label + "-tracks");
      ExpectTracksGivenBack(Base(), tracks);
    }
  }
}

// One route per track: gpsbabel reads one route for every track, named after
// its first via, through at most maxVias of the track's points in track
// order, from its first point to its last; the vias are numbered on.
TEST_P(PeerTest, OneRoutePerTrack) {
  for (int option : {5, 6}) {
    for (int maxVias : {25, 250}) {
      const std::string label = "one" + std::to_string(option) + "-" + std::to_string(maxVias);
      SCOPED_TRACE(label);
      const fs::path output = scratch_ / (label + ".gdb");
      ASSERT_EQ(Convert(Input(), output, option, maxVias, true), "");
      ExpectFramesOk(output);
      GpxData got;
      ASSERT_EQ(ReadBack(output, got), "");
      // The routes of the input come first, as they stand.
      const size_t made = got.routes.size() - Base().routes.size();
      ASSERT_EQ(made, Base().tracks.size());
      EXPECT_EQ(got.waypoints.size(),
                Base().waypoints.size() + got.RoutePoints() - Base().RoutePoints());
      size_t serial = 1;
      for (size_t r = 0; r < made; ++r) {
        const GpxPath& track = Base().tracks[r];
        const GpxPath& route = got.routes[Base().routes.size() + r];
        char name[16];
        std::snprintf(name, sizeof name, "%04zu ", serial);
        EXPECT_EQ(route.name, name + track.name);
        ASSERT_GE(route.points.size(), 2u);
        EXPECT_LE(route.points.size(), static_cast<size_t>(maxVias));
        size_t at = 0;
        for (size_t v = 0; v < route.points.size(); ++v, ++at) {
          std::snprintf(name, sizeof name, "T%04zu", serial + v);
          EXPECT_EQ(route.points[v].name, name);
          while (at < track.points.size() &&
                 (std::fabs(track.points[at].lat - route.points[v].lat) > 1e-6 ||
                  std::fabs(track.points[at].lon - route.points[v].lon) > 1e-6)) {
            ++at;
          }
          ASSERT_LT(at, track.points.size()) << "via " << v << " is no later track point";
          if (v == 0) {
            EXPECT_EQ(at, 0u);
          }
        }
        EXPECT_NEAR(route.points.back().lat, track.points.back().lat, 1e-6);
        EXPECT_NEAR(route.points.back().lon, track.points.back().lon, 1e-6);
        serial += route.points.size();
      }
    }
  }
}

TEST(PeerChainTest, RoutesOfOneViaPointComeBackAsTracks) {
  // A track of one point more than a route may hold ends in a route of one
  // via point, and a track of one point is such a route on its own. Their
  // points must come back too when the routes are turned into tracks again.
  if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
  GpxData data;
  GpxPath oneMore{"Eins mehr", {}};
  for (int i = 0; i < 26; ++i) oneMore.points.push_back(At(0.5 - 0.04 * i, -0.3 + 0.02 * i));
  data.tracks = {oneMore, GpxPath{"Einzeln", {At(-12.5, 130.8)}}};
  TempDir dir;
  WriteFile(dir / "data.gpx", WriteGpx(data));
  ASSERT_EQ(MakeGdb(dir / "data.gpx", 3, dir / "data.gdb"), "");
  GpxData base;
  ASSERT_EQ(ReadBack(dir / "data.gdb", base), "");
  ASSERT_EQ(base.TrackPoints(), 27u);
  for (int option : {5, 6}) {
    SCOPED_TRACE("option " + std::to_string(option));
    ASSERT_EQ(Convert(dir / "data.gdb", dir / "routes.gdb", option, 25), "");
    ExpectFramesOk(dir / "routes.gdb");
    GpxData routes;
    ASSERT_EQ(ReadBack(dir / "routes.gdb", routes), "");
    ExpectConverted(ReadFile(dir / "data.gdb"), base, routes, option, 25);
    ASSERT_EQ(Convert(dir / "routes.gdb", dir / "tracks.gdb", 2), "");
    ExpectFramesOk(dir / "tracks.gdb");
    GpxData tracks;
    ASSERT_EQ(ReadBack(dir / "tracks.gdb", tracks), "");
    ExpectTracksGivenBack(base, tracks);
  }
}

INSTANTIATE_TEST_SUITE_P(GdbVersions, PeerTest, ::testing::Values(1, 2, 3),
                         [](const auto& info) { return "Version" + std::to_string(info.param); });

}  // namespace
}  // namespace runtest
