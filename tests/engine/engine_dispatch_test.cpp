// The file header and the record frame: what is refused, what passes through
// unchanged, the trace lines, and the end of the input at every byte.
#include <gtest/gtest.h>

#include <string>

#include "conversion.h"
#include "conversion_state.h"
#include "engine_harness.h"
#include "file_header.h"
#include "gdb_builder.h"
#include "record_dispatch.h"

namespace enginetest {
namespace {

using namespace gdbtest;

class DispatchTest : public EngineTest {};

// The header up to the end of its three texts; the creator follows.
const std::string kHeadBeforeCreator =
    FileHeader('l').substr(0, FileHeader('l').size() - Text("MapSource").size());

struct HeaderCase {
  const char* name;
  std::string input;
  int result;
  std::string output;  // what the refusal or acceptance leaves in the output
};

// Leaves state as a run does that turned a track of three points into a route.
void LeaveARunThatMadeRoutes(ConversionState& state) {
  const std::string file =
      GdbFile('k', {TrackRecord(Track("Trip").Points({{1, 1}, {2, 2}, {3, 3}}))});
  MemoryInputStream input(file);
  StringOutputStream output;
  ConvertGdb(state, {}, input, output, kTracksToRoutesUserVias);
  ASSERT_EQ(state.waypointSerial, 4u);
  ASSERT_EQ(state.pointCount, 3u);
}

TEST_F(DispatchTest, HeaderChecks) {
  const std::string signature = Text("MsRcf") + Bytes({2, 0, 0, 0, 0x44});
  const HeaderCase cases[] = {
      {"empty input", "", 0, ""},
      {"version letter n", signature + "n" + Fill(8, 0), 0, signature + "n"},
      {"signature one letter longer", Text("MsRcfX") + FileHeader().substr(6), 0, ""},
      {"signature one letter shorter", Text("MsRc") + FileHeader().substr(6), 0, ""},
      {"no NUL at all", "MsRcf", 0, ""},
      {"creator one letter longer", kHeadBeforeCreator + Text("MapSourceX"), 0, kHeadBeforeCreator},
      {"creator one letter shorter", kHeadBeforeCreator + Text("MapSourc"), 0, kHeadBeforeCreator},
      {"creator of another program", kHeadBeforeCreator + Text("Other"), 0, kHeadBeforeCreator},
      {"MapSource", FileHeader('l', "MapSource"), 1, FileHeader('l', "MapSource")},
      {"BaseCamp", FileHeader('m', "BaseCamp"), 1, FileHeader('m', "BaseCamp")},
      {"version k", FileHeader('k'), 1, FileHeader('k')},
      {"version m", FileHeader('m'), 1, FileHeader('m')},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.name);
    LeaveARunThatMadeRoutes(state);
    const std::string bytes = c.input + "after";
    MemoryInputStream input(bytes, 2);
    StringOutputStream output(3);
    EXPECT_EQ(CopyFileHeader(state, output, input), c.result);
    EXPECT_TRUE(SameBytes(c.output, output.Bytes()));
    EXPECT_EQ(state.waypointSerial, 1u) << "reset even when refused";
    EXPECT_EQ(state.pointCount, 0u);
    if (c.result == 1) {
      EXPECT_EQ(state.gdbVersion, static_cast<uint8_t>(c.input[11]));
      EXPECT_EQ(input.ReadByte(), 'a') << "the input stands at the first record";
    }
  }
}

TEST_F(DispatchTest, AHeaderCutAnywhereIsRefused) {
  const std::string header = FileHeader('m', "BaseCamp");
  for (size_t cut = 0; cut < header.size(); ++cut) {
    const std::string bytes = header.substr(0, cut);
    MemoryInputStream input(bytes);
    StringOutputStream output;
    EXPECT_EQ(CopyFileHeader(state, output, input), 0) << "cut at " << cut;
    EXPECT_EQ(header.compare(0, output.Bytes().size(), output.Bytes()), 0) << "cut at " << cut;
  }
}

// One record of every kind that no mode rewrites in a way that shows: the
// waypoints and route entries carry classes that reclassification leaves.
std::vector<std::string> PlainRecords(char version, ConversionMode mode) {
  std::vector<std::string> records = {
      WaypointRecord("Home", Waypoint().Class(0).Marker(31), version),
      WaypointRecord("Fuel", Waypoint().Class(8).Country("DE").Flag(1), version),
      Record('L', "map segment"),
      Record('Z', ""),
      Record('X', "abc"),
  };
  if (mode != kRoutesToTracksAllPoints && mode != kRoutesToTracksViaPoints) {
    records.push_back(RouteRecord(
        Route("Trip")
            .Entry(RouteEntry("A").Data(Waypoint().Class(11).Marker(33)).Link({{1, 2}, {3, 4, 1}}))
            .Entry(RouteEntry("B"))
            .Rest(LastLinkRest(version)),
        version));
  }
  if (mode != kTracksToRoutesUserVias && mode != kTracksToRoutesHiddenVias) {
    records.push_back(TrackRecord(
        Track("Walk").Point(TrackPoint(1, 2).Flags(1, 1, 1, 1)).Point({3, 4}).Rest("\x01")));
  }
  return records;
}

TEST_F(DispatchTest, RecordsNotConvertedPassThroughUnchangedInEveryModeAndVersion) {
  for (char version : kAllVersions) {
    for (ConversionMode mode : kAllModes) {
      SCOPED_TRACE(testing::Message() << "version " << version << ", mode " << mode);
      const std::string input = GdbFile(version, PlainRecords(version, mode));
      const RunResult run = Convert(input, mode);
      ASSERT_TRUE(Completed(run));
      EXPECT_TRUE(SameBytes(input, run.output));
      for (const RecordOutcome& record : run.records) EXPECT_FALSE(record.pending);
      ExpectSameWithTinyBuffers(input, mode, run);
    }
  }
}

TEST_F(DispatchTest, OneTraceLinePerRecord) {
  const std::string input = GdbFile('l', {Record('X', "abc"), WaypointRecord("A", Waypoint(), 'l'),
                                          Record('Z', ""), Record('\xFF', "q")});
  const RunResult run = Convert(input, kRoutesToTracksAllPoints);
  ASSERT_TRUE(Completed(run));
  const size_t waypointLength = WaypointBody("A", Waypoint(), 'l').size();
  EXPECT_EQ(run.trace, "X 3\nW " + std::to_string(waypointLength) + "\nZ 0\n\\xFF 1\nV 2\n");
  EXPECT_EQ(run.output.substr(FileHeader('l').size(), 8), Bytes({3, 0, 0, 0, 'X', 'a', 'b', 'c'}));
}

TEST_F(DispatchTest, BytesAfterTheEndRecordAreNotRead) {
  const RunResult run = Convert(GdbFile('k', {}) + "trailing", kViasToUserWaypoints);
  ASSERT_TRUE(Completed(run));
  EXPECT_EQ(run.output, GdbFile('k', {}));
}

// A small file with every kind of record, cut at every byte: each run ends,
// either with the header refused or with the end of input reported, and no
// message is left for the record that the cut shortened.
TEST_F(DispatchTest, EveryPrefixOfAFileEnds) {
  for (char version : kAllVersions) {
    std::vector<std::string> records = PlainRecords(version, kViasToUserWaypoints);
    records.push_back(
        TrackRecord(Track("Walk").Point({1, 2}).Point(TrackPoint(3, 4).Flags(0, 1, 0, 1))));
    records.push_back(WaypointRecord("Via", Waypoint().Class(10).Marker(31), version));
    const std::string file = GdbFile(version, records);
    const size_t headerSize = FileHeader(version).size();
    for (ConversionMode mode : kAllModes) {
      for (size_t cut = 0; cut < file.size(); ++cut) {
        SCOPED_TRACE(testing::Message()
                     << "version " << version << ", mode " << mode << ", cut at " << cut);
        const RunResult run = Convert(file.substr(0, cut), mode);
        ASSERT_FALSE(run.runaway);
        ASSERT_FALSE(run.reachedEnd);
        if (cut < headerSize) {
          EXPECT_EQ(run.header, 0);
          continue;
        }
        ASSERT_EQ(run.header, 1);
        ASSERT_TRUE(run.inputEnded);
        EXPECT_FALSE(run.records.back().pending);
      }
    }
  }
}

}  // namespace
}  // namespace enginetest
