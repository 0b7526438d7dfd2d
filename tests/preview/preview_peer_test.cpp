// The preview's reading of real files against gpsbabel's: every waypoint,
// route via point and track point at the same place, in the same order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gpx.h"
#include "peer_support.h"
#include "preview_model.h"
#include "test_fs.h"

namespace runtest {
namespace {

// gpsbabel prints 9 decimals; neighbouring semicircles are 8.4e-8 degrees apart.
constexpr double kTolerance = 1e-7;

double Degrees(int32_t semicircles) {
  return semicircles * (180.0 / 2147483648.0);
}

void ExpectSamePlaces(const std::vector<GpxPoint>& want, const std::vector<preview::Place>& got,
                      const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(Degrees(got[i].latitude), want[i].lat, kTolerance) << what << " point " << i;
    EXPECT_NEAR(Degrees(got[i].longitude), want[i].lon, kTolerance) << what << " point " << i;
  }
}

class PreviewReadsAsGpsbabel : public ::testing::TestWithParam<std::string> {};

TEST_P(PreviewReadsAsGpsbabel, EveryPlace) {
  const fs::path path =
      GetParam() == "example.gdb" ? ExampleGdb() : fs::path(MORVEX_SAMPLES_DIR) / GetParam();
  if (!fs::exists(path)) GTEST_SKIP() << path << " is not here";
  if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
  GpxData base;
  ASSERT_EQ(ReadBack(path, base), "");
  const preview::Geometry geometry = preview::ReadGeometry(ReadFile(path));
  EXPECT_TRUE(geometry.gdb && geometry.complete);
  ExpectSamePlaces(base.waypoints, geometry.waypoints, "waypoints");
  ASSERT_EQ(geometry.routes.size(), base.routes.size());
  for (size_t r = 0; r < base.routes.size(); ++r) {
    ExpectSamePlaces(base.routes[r].points, geometry.routes[r].vias,
                     "route " + base.routes[r].name);
  }
  ASSERT_EQ(geometry.tracks.size(), base.tracks.size());
  for (size_t t = 0; t < base.tracks.size(); ++t) {
    ExpectSamePlaces(WithoutRepeats(base.tracks[t].points), geometry.tracks[t].points,
                     "track " + base.tracks[t].name);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, PreviewReadsAsGpsbabel,
                         ::testing::Values("example.gdb", "mixed-l.gdb", "mixed-m.gdb",
                                           "autoroute-successor-m.gdb", "waypoints-accents-l.gdb"),
                         [](const auto& info) {
                           std::string name = info.param.substr(0, info.param.find('.'));
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace runtest
