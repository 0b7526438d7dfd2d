// Modes 'R' and 'S': the class and marker bytes of waypoints and route
// entries, in every layout real files use, and in records cut short.
#include <gtest/gtest.h>

#include <string>

#include "conversion_state.h"
#include "engine_harness.h"
#include "families.h"
#include "gdb_builder.h"

namespace enginetest {
namespace {

using namespace gdbtest;

class ReclassifyTest : public EngineTest {};

struct RuleRow {
  uint8_t classIn, markerIn;
  uint8_t classR, markerR;  // mode 'R' writes
  uint8_t classS, markerS;  // mode 'S' writes
};

constexpr RuleRow kRules[] = {
    {10, 31, 0, 255, 12, 255},  {10, 33, 0, 33, 12, 33},     {10, 0, 0, 0, 12, 0},
    {10, 255, 0, 255, 12, 255}, {12, 33, 0, 255, 12, 255},   {12, 31, 0, 31, 12, 31},
    {0, 31, 0, 31, 0, 31},      {0, 33, 0, 33, 0, 33},       {8, 31, 8, 31, 8, 31},
    {11, 33, 11, 33, 11, 33},   {255, 31, 255, 31, 255, 31},
};

// Each row in a waypoint record and in the middle entry of a route whose
// other entries are class 0: only the row's own class and marker bytes change.
TEST_F(ReclassifyTest, RuleTable) {
  for (const RuleRow& row : kRules) {
    for (ConversionMode mode : {kViasToUserWaypoints, kViasToHiddenVias}) {
      SCOPED_TRACE(testing::Message() << "class " << int{row.classIn} << ", marker "
                                      << int{row.markerIn} << ", mode " << mode);
      const Waypoint tested = Waypoint().Class(row.classIn).Marker(row.markerIn).ClassHigh(1, 2, 3);
      const Waypoint plain = Waypoint().Class(0).Marker(31);
      const std::string input =
          GdbFile('l', {WaypointRecord("W", tested, 'l'),
                        RouteRecord(Route("R")
                                        .Entry(RouteEntry("A").Data(plain).Link({{1, 2}, {3, 4}}))
                                        .Entry(RouteEntry("B").Data(tested).Link({{3, 4}, {5, 6}}))
                                        .Entry(RouteEntry("C").Data(plain))
                                        .Rest(LastLinkRest('l')),
                                    'l')});
      const FrameReport in = CheckFrames(input);
      ASSERT_TRUE(in.ok) << in.error;
      std::string expected = input;
      for (const FrameWaypoint* waypoint : {&in.records[0].entries[0], &in.records[1].entries[1]}) {
        expected[waypoint->classOffset] =
            static_cast<char>(mode == kViasToUserWaypoints ? row.classR : row.classS);
        expected[waypoint->markerOffset] =
            static_cast<char>(mode == kViasToUserWaypoints ? row.markerR : row.markerS);
      }
      const RunResult run = Convert(input, mode);
      ASSERT_TRUE(Completed(run));
      EXPECT_TRUE(SameBytes(expected, run.output));
      EXPECT_EQ(ReclassifiedClass(row.classIn, mode),
                mode == kViasToUserWaypoints ? row.classR : row.classS);
      EXPECT_EQ(ReclassifiedMarker(row.classIn, row.markerIn),
                mode == kViasToUserWaypoints ? row.markerR : row.markerS);
    }
  }
}

// Waypoint records with country codes of 0, 2, 3 and 13 letters and the
// aviation flag, and routes in every layout, in all three versions.
TEST_F(ReclassifyTest, RealFileLayouts) {
  for (char version : kAllVersions) {
    std::vector<std::string> records;
    for (const char* country : {"", "DE", "USA", "United States"}) {
      for (uint8_t flag : {0, 1}) {
        records.push_back(WaypointRecord(
            "Wpt", Waypoint().Class(12).Marker(33).Country(country).Flag(flag), version));
      }
    }
    for (const RouteLayout& layout : RouteLayouts(version)) {
      const std::string route = RouteRecord(layout.route, version);
      const FrameReport check = CheckFrames(GdbFile(version, {route}));
      ASSERT_TRUE(check.ok) << layout.name << ": " << check.error;
      EXPECT_EQ(check.routeEntries, layout.entriesWalked) << layout.name;
      records.push_back(route);
    }
    const std::string input = GdbFile(version, records);
    for (ConversionMode mode : {kViasToUserWaypoints, kViasToHiddenVias}) {
      SCOPED_TRACE(testing::Message() << "version " << version << ", mode " << mode);
      const RunResult run = Convert(input, mode);
      ASSERT_TRUE(Completed(run));
      EXPECT_TRUE(SameBytes(Reclassified(input, mode), run.output));
      EXPECT_NE(run.output, input);
      ExpectSameWithTinyBuffers(input, mode, run);
    }
  }
}

// A waypoint or route record cut by its own length at every byte, followed by
// a sound waypoint: the whole fields before the cut are rewritten, the rest is
// copied, the damaged message names the record, and the next record is read
// from where its frame starts.
TEST_F(ReclassifyTest, RecordsCutAtEveryByte) {
  for (char version : kAllVersions) {
    const std::string bodies[] = {
        RouteBody(RouteLayoutNamed(version, "everything at once"), version),
        WaypointBody("Wpt", Waypoint().Class(10).Marker(31).Country("USA"), version, ""),
    };
    for (const std::string& body : bodies) {
      const char type = &body == &bodies[0] ? 'R' : 'W';
      for (size_t keep = 0; keep <= body.size(); ++keep) {
        const std::string input =
            GdbFile(version, {Record('X', "x"), CutRecord(type, body, keep),
                              WaypointRecord("Next", Waypoint().Class(10).Marker(31), version)});
        const bool damaged = CheckFrames(input, {.allowDamaged = true}).damagedRecords == 1;
        ASSERT_TRUE(keep < body.size() || !damaged) << "the whole record walks";
        for (ConversionMode mode : {kViasToUserWaypoints, kViasToHiddenVias}) {
          SCOPED_TRACE(testing::Message() << "version " << version << ", record " << type
                                          << " cut to " << keep << ", mode " << mode);
          const RunResult run = Convert(input, mode, kAllowDamaged);
          ASSERT_TRUE(Completed(run));
          EXPECT_TRUE(SameBytes(Reclassified(input, mode), run.output));
          EXPECT_EQ(run.records[1].pending, damaged);
          if (damaged) {
            EXPECT_EQ(run.records[1].message,
                      "Record 2 is damaged: converted the part that could be read");
          }
          EXPECT_FALSE(run.records[2].pending);
        }
      }
    }
  }
}

TEST_F(ReclassifyTest, DamagedMessageInEveryLanguage) {
  const std::string input = GdbFile('k', {CutRecord('W', WaypointBody("A", Waypoint(), 'k'), 5)});
  const char* expected[] = {
      "Record 1 is damaged: converted the part that could be read",
      "Record 1 is beschadigd: het leesbare deel is geconverteerd",
      ("Datensatz 1 ist besch\xC3\xA4"
       "digt: der lesbare Teil wurde konvertiert"),
  };
  for (int language = 1; language <= 3; ++language) {
    RunOptions options = kAllowDamaged;
    options.language = static_cast<Language>(language);
    const RunResult run = Convert(input, kViasToHiddenVias, options);
    ASSERT_TRUE(Completed(run));
    EXPECT_EQ(run.records[0].message, expected[language - 1]);
  }
}

TEST_F(ReclassifyTest, NamesHaveNoLengthLimit) {
  const std::string longName(40000, 'n');
  const std::string input = GdbFile(
      'm', {WaypointRecord(longName, Waypoint().Class(10).Marker(31), 'm'),
            RouteRecord(
                Route(longName).Entry(RouteEntry(longName).Data(Waypoint().Class(12).Marker(33))),
                'm')});
  const RunResult run = Convert(input, kViasToUserWaypoints);
  ASSERT_TRUE(Completed(run));
  EXPECT_TRUE(SameBytes(Reclassified(input, kViasToUserWaypoints), run.output));
  EXPECT_FALSE(run.records[0].pending);
  EXPECT_FALSE(run.records[1].pending);
}

}  // namespace
}  // namespace enginetest
