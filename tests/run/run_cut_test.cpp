// An input cut at any byte: the run always ends, with the header message
// when the cut falls inside the header and the truncation message after it,
// never an "Info" box for the record cut short, both files closed, and no
// output written: neither the output nor a file beside it.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "frame_checker.h"
#include "gdb_builder.h"
#include "run_fixture.h"

namespace runtest {
namespace {

struct CutCase {
  int option;
  const char* maxVias;
};

class CutTest : public RunFixture, public ::testing::WithParamInterface<CutCase> {
 protected:
  // Runs every prefix of whole and checks each outcome.
  void SweepPrefixes(const std::string& whole) {
    const gdbtest::FrameReport report = gdbtest::CheckFrames(whole);
    ASSERT_TRUE(report.ok) << report.error;
    dialog.option = GetParam().option;
    dialog.maxVias = GetParam().maxVias;
    WriteFile(input, whole);
    ASSERT_EQ(Run(), RunOutcome::Completed);
    const auto filesInDir = [this] {
      return std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator());
    };
    const auto filesBefore = filesInDir();
    const int descriptors = OpenDescriptorCount();

    for (size_t cut = 0; cut < whole.size(); ++cut) {
      // Fresh files for every cut: rewriting one file over and over makes
      // some file systems write it out to the disk each time.
      const fs::path cutInput = dir / ("in-" + std::to_string(cut) + ".gdb");
      const fs::path cutOutput = dir / ("out-" + std::to_string(cut) + ".gdb");
      WriteFile(cutInput, whole.substr(0, cut));
      dialog.inputPath = cutInput.string();
      dialog.outputPath = cutOutput.string();
      dialog.boxes.clear();
      const RunOutcome outcome = Run();
      const bool inHeader = cut < report.headerSize;
      const RunOutcome expected = inHeader ? RunOutcome::NotGdbFormat : RunOutcome::InputTruncated;
      ASSERT_EQ(outcome, expected) << "cut at byte " << cut;
      ASSERT_EQ(dialog.boxes.size(), 1u) << "cut at byte " << cut;
      ASSERT_NE(dialog.boxes[0].title, "Info") << "cut at byte " << cut;
      ASSERT_EQ(OpenDescriptorCount(), descriptors) << "cut at byte " << cut;
      ASSERT_FALSE(fs::exists(cutOutput)) << "cut at byte " << cut;
      ASSERT_EQ(filesInDir(), filesBefore + 1) << "cut at byte " << cut << ": a file was left";
      fs::remove(cutInput);
      fs::remove(cutOutput);
    }
  }
};

TEST_P(CutTest, EveryPrefixOfTheExampleEnds) {
  SweepPrefixes(ReadFile(ExampleGdb()));
}

TEST_P(CutTest, EveryPrefixOfAVersionKFileEnds) {
  using namespace gdbtest;
  const char v = 'k';
  SweepPrefixes(GdbFile(
      v,
      {WaypointRecord("Start", Waypoint().Class(10).Marker(31), v),
       RouteRecord(Route("Trip")
                       .Entry(RouteEntry("Start")
                                  .Data(Waypoint().Class(12))
                                  .Link({{100, -100}, {150, -150, 1}, {200, -200}}))
                       .Entry(RouteEntry("End"))
                       .Rest(LastLinkRest(v)),
                   v),
       TrackRecord(
           Track("Walk").Point({-5, 5}).Point(TrackPoint(7, -7).Flags(1, 1, 1, 1)).Point({9, 9})),
       Record('X', "other")}));
}

using RunCutTest = RunFixture;

TEST_F(RunCutTest, NoInfoBoxForARecordCutAfterItLeftAMessage) {
  // The route has more link points than a track holds; the cut comes after
  // the point limit was reached, so the record had a message to show.
  std::vector<gdbtest::LinkPoint> link;
  for (int32_t i = 0; i < 10100; ++i) link.emplace_back(i, -i);
  const std::string whole =
      gdbtest::GdbFile('m', {gdbtest::RouteRecord(gdbtest::Route("Long")
                                                      .Entry(gdbtest::RouteEntry("A").Link(link))
                                                      .Entry(gdbtest::RouteEntry("B"))
                                                      .Rest(gdbtest::LastLinkRest('m')),
                                                  'm')});
  WriteFile(input, whole);
  ASSERT_EQ(Run(), RunOutcome::Completed);
  ASSERT_EQ(dialog.boxes.size(), 2u);
  EXPECT_EQ(dialog.boxes[0].title, "Info");

  WriteFile(input, whole.substr(0, whole.size() - 200));
  dialog.boxes.clear();
  EXPECT_EQ(Run(), RunOutcome::InputTruncated);
  ASSERT_EQ(dialog.boxes.size(), 1u);
  EXPECT_NE(dialog.boxes[0].title, "Info");
}

INSTANTIATE_TEST_SUITE_P(Options, CutTest,
                         ::testing::Values(CutCase{1, "250"}, CutCase{2, "250"}, CutCase{3, "250"},
                                           CutCase{4, "250"}, CutCase{5, "25"}, CutCase{6, "1000"}),
                         [](const auto& info) {
                           return "Option" + std::to_string(info.param.option);
                         });

}  // namespace
}  // namespace runtest
