// Real GDB files, read where they lie (never copied into the project): each
// converts with every option, and gpsbabel reads every result back with what
// that option makes of the file.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "frame_checker.h"
#include "gpx.h"
#include "peer_support.h"
#include "test_fs.h"

namespace runtest {
namespace {

// What gpsbabel reads from the files as they are.
struct Sample {
  const char* file;
  size_t waypoints;
  size_t routes;
  size_t routePoints;
  size_t tracks;
  size_t trackPoints;
};

void PrintTo(const Sample& sample, std::ostream* out) {
  *out << sample.file;
}

const Sample kSamples[] = {
    {"mixed-l.gdb", 199, 1, 199, 9, 747},
    {"mixed-m.gdb", 199, 1, 199, 9, 747},
    {"autoroute-successor-m.gdb", 6, 1, 6, 0, 0},
    {"waypoints-accents-l.gdb", 16, 0, 0, 0, 0},
};

class SampleTest : public ::testing::TestWithParam<Sample> {
 protected:
  void SetUp() override {
    path_ = fs::path(MORVEX_SAMPLES_DIR) / GetParam().file;
    if (!fs::exists(path_)) GTEST_SKIP() << path_ << " is not here";
    if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
    bytes_ = ReadFile(path_);
    ASSERT_EQ(ReadBack(path_, base_), "");
  }

  fs::path path_;
  std::string bytes_;
  GpxData base_;
  TempDir scratch_;
};

TEST_P(SampleTest, GpsbabelReadsTheFileAsKnown) {
  const Sample& sample = GetParam();
  EXPECT_EQ(base_.waypoints.size(), sample.waypoints);
  EXPECT_EQ(base_.routes.size(), sample.routes);
  EXPECT_EQ(base_.RoutePoints(), sample.routePoints);
  EXPECT_EQ(base_.tracks.size(), sample.tracks);
  EXPECT_EQ(base_.TrackPoints(), sample.trackPoints);
}

TEST_P(SampleTest, EveryOptionReadsBackAsItSays) {
  for (int option = 1; option <= 6; ++option) {
    SCOPED_TRACE("option " + std::to_string(option));
    const fs::path output = scratch_ / ("option" + std::to_string(option) + ".gdb");
    ASSERT_EQ(Convert(path_, output, option, 250), "");
    const gdbtest::FrameReport report = gdbtest::CheckFrames(ReadFile(output));
    EXPECT_TRUE(report.ok) << report.error;
    GpxData got;
    ASSERT_EQ(ReadBack(output, got), "");
    ExpectConverted(bytes_, base_, got, option, 250);
  }
}

INSTANTIATE_TEST_SUITE_P(GdbSamples, SampleTest, ::testing::ValuesIn(kSamples),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           name = name.substr(0, name.find('.'));
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace runtest
