// Modes 'V' and 'W': every track becomes waypoints and routes of at most
// maxViasPerRoute via points.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "conversion_state.h"
#include "engine_harness.h"
#include "families.h"
#include "gdb_builder.h"
#include "text_utils.h"

namespace enginetest {
namespace {

using namespace gdbtest;

class TrackToRouteTest : public EngineTest {};

// The generated records, from the layout tables of the format.
std::string ViaHead(ConversionMode mode) {
  return Bytes({mode == kTracksToRoutesUserVias ? 0x00 : 0x0C}) + Fill(8, 0) + Fill(12, 0xFF) +
         Fill(2, 0) + Fill(4, 0xFF);
}
std::string ViaDetail(ConversionMode mode) {
  return Bytes({0, 0, mode == kTracksToRoutesUserVias ? 1 : 0, 0, 0, 0, 0, 0, 0, 0, 0x12}) +
         Fill(20, 0);
}
std::string LinkVersionBytes(char version) {
  if (version == 'l') return Fill(8, 0xFF);
  if (version == 'm') return Fill(8, 0xFF) + Fill(2, 0);
  return "";
}
std::string Position(int32_t lat, int32_t lon) {
  return I32(lat) + I32(lon) + Bytes({0});
}
std::string BoundsOf(const std::vector<FramePoint>& points, size_t first, size_t end) {
  int32_t minLat = INT32_MAX, maxLat = INT32_MIN, minLon = INT32_MAX, maxLon = INT32_MIN;
  for (size_t i = first; i < end; ++i) {
    minLat = std::min(minLat, points[i].lat);
    maxLat = std::max(maxLat, points[i].lat);
    minLon = std::min(minLon, points[i].lon);
    maxLon = std::max(maxLon, points[i].lon);
  }
  return Position(maxLat, maxLon) + Position(minLat, minLon);
}
std::string ViaName(size_t number) {
  char name[8];
  std::snprintf(name, sizeof name, "T%04zu", number);
  return name;
}

// The records that replace a track of these (repeat-free) points, numbered
// from serial; trackPart is the track name as the route names carry it.
std::string ExpectedRoutes(const std::vector<FramePoint>& points, const std::string& trackPart,
                           size_t serial, size_t maxVias, char version, ConversionMode mode) {
  std::string out;
  for (size_t first = 0; first < points.size(); first += maxVias) {
    const size_t end = std::min(points.size(), first + maxVias);
    for (size_t i = first; i < end; ++i) {
      out += Record('W', Text(ViaName(serial + i)) + ViaHead(mode) +
                             Position(points[i].lat, points[i].lon) + ViaDetail(mode) +
                             (version == 'm' ? Fill(9, 0) : ""));
    }
    char number[8];
    std::snprintf(number, sizeof number, "%04zu ", serial + first);
    std::string body = Text(number + trackPart) + Bytes({1, 0}) + BoundsOf(points, first, end) +
                       U32(static_cast<uint32_t>(end - first));
    for (size_t p = first; p < end; ++p) {
      body += Text(ViaName(serial + p)) + ViaHead(mode) + Bytes({0, 3}) + Fill(17, 0);
      if (p + 1 < end) {
        body += U32(2) + Position(points[p].lat, points[p].lon) +
                Position(points[p + 1].lat, points[p + 1].lon) + Bytes({0}) +
                BoundsOf(points, p, p + 2) + LinkVersionBytes(version);
      } else {
        body += U32(0) + Bytes({1}) + LinkVersionBytes(version) + Bytes({0});
      }
    }
    if (version == 'm') body += Bytes({0, 0, 0, 0x0E, 0, 0, 0, 0, 0});
    out += Record('R', body);
  }
  return out;
}

std::vector<FramePoint> Spread(size_t count, int32_t seed = 0) {
  std::vector<FramePoint> points;
  for (size_t i = 0; i < count; ++i) {
    const int32_t step = static_cast<int32_t>(i) + seed;
    points.push_back({(step % 7 - 3) * 1000003, (step % 5 - 2) * 999983 + step});
  }
  return points;
}

std::string Repeat(const std::string& text, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += text;
  return out;
}

Track TrackOf(const std::string& name, const std::vector<FramePoint>& points) {
  Track track(name);
  for (const FramePoint& point : points) track.Point({point.lat, point.lon});
  return track;
}

// Waypoint records of 73 or 82 bytes and routes of the length rule, byte for
// byte, for M and M + 1 points; the repeat in the input is dropped.
TEST_F(TrackToRouteTest, GeneratedRecordsByteForByte) {
  const RunOptions vias25 = WithMaxVias(25);
  struct LengthRule {
    char version;
    uint32_t waypoint, perEntry, base;
  };
  const LengthRule rules[] = {{'k', 73, 93, 82}, {'l', 73, 101, 90}, {'m', 82, 103, 101}};
  for (const LengthRule& rule : rules) {
    for (size_t count : {25, 26}) {
      std::vector<FramePoint> points = Spread(count);
      Track track = TrackOf("Trip", points);
      track.points.insert(track.points.begin() + 3, TrackPoint(points[2].lat, points[2].lon));
      const std::string input = GdbFile(rule.version, {TrackRecord(track), Record('X', "x")});
      std::string outputs[2];
      for (ConversionMode mode : {kTracksToRoutesUserVias, kTracksToRoutesHiddenVias}) {
        SCOPED_TRACE(testing::Message()
                     << "version " << rule.version << ", " << count << " points, mode " << mode);
        const RunResult run = Convert(input, mode, vias25);
        ASSERT_TRUE(Completed(run));
        EXPECT_TRUE(SameBytes(
            GdbFile(rule.version,
                    {ExpectedRoutes(points, "Trip", 1, 25, rule.version, mode), Record('X', "x")}),
            run.output));
        for (const FrameRecord& record : run.frames.records) {
          if (record.type == 'W') {
            EXPECT_EQ(record.length, rule.waypoint);
          } else if (record.type == 'R') {
            const uint32_t entries = static_cast<uint32_t>(record.entries.size());
            EXPECT_EQ(record.length,
                      rule.perEntry * (entries - 1) + record.name.size() + 1 + rule.base);
          }
        }
        EXPECT_EQ(run.frames.routes, count == 25 ? 1u : 2u);
        outputs[mode == kTracksToRoutesUserVias ? 0 : 1] = run.output;
        ExpectSameWithTinyBuffers(input, mode, run, vias25);
      }
      // Modes differ only in each class byte and each waypoint's detail byte.
      size_t differing = 0;
      for (size_t i = 0; i < outputs[0].size(); ++i) differing += outputs[0][i] != outputs[1][i];
      EXPECT_EQ(differing, count * 2 + count);
    }
  }
}

TEST_F(TrackToRouteTest, PointBoundsAreSigned) {
  struct BoundsCase {
    const char* name;
    std::vector<FramePoint> points;
    Bounds bounds;  // minLat, maxLat, minLon, maxLon
  };
  const BoundsCase cases[] = {
      {"one point", {{5, -6}}, {5, 5, -6, -6}},
      {"latitude on both sides of 0", {{-5, 1}, {7, 2}}, {-5, 7, 1, 2}},
      {"longitude on both sides of 0", {{1, 3}, {2, -4}, {3, 0}}, {1, 3, -4, 3}},
      {"the extremes",
       {{INT32_MIN, INT32_MAX}, {INT32_MAX, INT32_MIN}},
       {INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}},
  };
  for (const BoundsCase& c : cases) {
    SCOPED_TRACE(c.name);
    Start({});
    for (const FramePoint& point : c.points) AppendPoint(state, point.lat, point.lon);
    const Bounds got = PointBounds(state, 0, state.pointCount - 1);
    EXPECT_EQ(got.minLat, c.bounds.minLat);
    EXPECT_EQ(got.maxLat, c.bounds.maxLat);
    EXPECT_EQ(got.minLon, c.bounds.minLon);
    EXPECT_EQ(got.maxLon, c.bounds.maxLon);
  }
}

// 600 points, M = 250: T0001..T0600 in routes "0001 Trip", "0251 Trip" and
// "0501 Trip"; the next track goes on at T0601.
TEST_F(TrackToRouteTest, LongTrackIsSplitAndNumberedOn) {
  const std::vector<FramePoint> trip = Spread(600);
  const std::vector<FramePoint> next = Spread(2, 1);
  const std::string input =
      GdbFile('l', {TrackRecord(TrackOf("Trip", trip)), TrackRecord(TrackOf("Next", next))});
  const RunResult run = Convert(input, kTracksToRoutesHiddenVias);
  ASSERT_TRUE(Completed(run));
  std::vector<std::string> routeNames;
  for (const FrameRecord& record : run.frames.records) {
    if (record.type == 'R') routeNames.push_back(record.name);
  }
  EXPECT_EQ(routeNames,
            (std::vector<std::string>{"0001 Trip", "0251 Trip", "0501 Trip", "0601 Next"}));
  EXPECT_EQ(run.frames.records[249].name, "T0250");
  EXPECT_EQ(run.frames.records[250].name, "0001 Trip");
  EXPECT_EQ(run.frames.records[250].entries.back().linkCount, 0u)
      << "the last entry of a route has no link, although the track goes on";
  EXPECT_EQ(run.waypointSerial, 603u);
  EXPECT_TRUE(SameBytes(
      GdbFile('l', {ExpectedRoutes(trip, "Trip", 1, 250, 'l', kTracksToRoutesHiddenVias) +
                    ExpectedRoutes(next, "Next", 601, 250, 'l', kTracksToRoutesHiddenVias)}),
      run.output));
  ExpectSameWithTinyBuffers(input, kTracksToRoutesHiddenVias, run);

  // The routes made here give back their via points as tracks in both modes.
  for (ConversionMode mode : {kRoutesToTracksViaPoints, kRoutesToTracksAllPoints}) {
    const RunResult back = Convert(run.output, mode);
    ASSERT_TRUE(Completed(back));
    std::vector<FramePoint> points;
    for (const FrameRecord& record : back.frames.records) {
      if (record.type == 'T')
        points.insert(points.end(), record.points.begin(), record.points.end());
    }
    std::vector<FramePoint> all = trip;
    all.insert(all.end(), next.begin(), next.end());
    EXPECT_EQ(points, all) << "mode " << mode;
  }
}

// A winding track of distinct points some hundred metres apart.
std::vector<FramePoint> Winding(size_t count, int32_t seed = 0) {
  std::vector<FramePoint> points;
  uint32_t state = 2463534242u + static_cast<uint32_t>(seed);
  int32_t lat = 600000000, lon = 50000000 + seed;
  for (size_t i = 0; i < count; ++i) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    lat += static_cast<int32_t>(state % 20001) - 10000;
    lon += 3000 + static_cast<int32_t>(state >> 20) % 5000;
    points.push_back({lat, lon});
  }
  return points;
}

// The vias of route routeIndex among those made, checked to be points of
// the track in track order, from its first point to its last.
std::vector<FramePoint> ViasOf(const RunResult& run, size_t routeIndex,
                               const std::vector<FramePoint>& track) {
  std::vector<FramePoint> vias, waypoints;
  size_t routes = 0;
  for (const FrameRecord& record : run.frames.records) {
    if (record.type == 'W') waypoints.push_back(record.points.at(0));
    if (record.type != 'R') continue;
    if (routes++ == routeIndex) vias = waypoints;
    waypoints.clear();
  }
  size_t at = 0;
  for (const FramePoint& via : vias) {
    while (at < track.size() && !(track[at] == via)) ++at;
    EXPECT_LT(at, track.size()) << via << " is no later track point";
  }
  EXPECT_EQ(vias.front(), track.front());
  EXPECT_EQ(at, track.size() - 1) << "the last via is the track's last point";
  return vias;
}

// One route per track: waypoints T0001... and a route "0001 Trip" as every
// option 5 and 6 route is written, through at most 25 track points; the
// running number goes on by the vias written, and a short track keeps all
// its points.
TEST_F(TrackToRouteTest, OneRoutePerTrack) {
  const std::vector<FramePoint> trip = Winding(600);
  const std::vector<FramePoint> next = Spread(10, 1);
  for (char version : kAllVersions) {
    for (ConversionMode mode : {kTracksToRoutesUserVias, kTracksToRoutesHiddenVias}) {
      SCOPED_TRACE(testing::Message() << "version " << version << ", mode " << mode);
      const std::string input = GdbFile(
          version, {TrackRecord(TrackOf("Trip", trip)), TrackRecord(TrackOf("Next", next))});
      const RunResult run = Convert(input, mode, OneRoute(25));
      ASSERT_TRUE(Completed(run));
      ASSERT_EQ(run.frames.routes, 2u);
      const std::vector<FramePoint> vias = ViasOf(run, 0, trip);
      ASSERT_EQ(vias.size(), 25u);
      EXPECT_TRUE(SameBytes(GdbFile(version, {ExpectedRoutes(vias, "Trip", 1, 25, version, mode) +
                                              ExpectedRoutes(next, "Next", 26, 25, version, mode)}),
                            run.output));
      EXPECT_EQ(run.waypointSerial, 36u);
      EXPECT_EQ(run.counts.waypointsMade, 35u);
      EXPECT_GT(run.counts.farthestPointMetres, 0u);
      if (version == 'm') ExpectSameWithTinyBuffers(input, mode, run, OneRoute(25));
    }
  }
}

// Vias are counted against the running number, so many long tracks fit; a
// track whose vias would take it past 9999, and one of more points than the
// table holds, are skipped as before.
TEST_F(TrackToRouteTest, OneRouteGuardAndLongTracks) {
  std::vector<std::string> names, records;
  for (int i = 0; i < 10; ++i) {
    names.push_back("Long" + std::to_string(i));
    records.push_back(TrackRecord(TrackOf(names.back(), Winding(i == 0 ? 10000 : 1500, i))));
  }
  names.insert(names.end(), {"Short", "Huge"});
  records.push_back(TrackRecord(TrackOf("Short", Spread(999))));
  records.push_back(TrackRecord(TrackOf("Huge", Winding(kMaxOneRoutePoints + 1))));
  const RunResult run = Convert(GdbFile('l', records), kTracksToRoutesHiddenVias, OneRoute(1000));
  ASSERT_TRUE(Completed(run));
  // Each route is named for the number its vias start at, and follows them.
  const std::string skipped = "Cannot convert more then 10000 trackpoints,\ntrack \"";
  uint32_t serial = 1, vias = 0;
  size_t track = 0;
  for (const FrameRecord& record : run.frames.records) {
    if (record.type == 'W') ++vias;
    if (record.type != 'R') continue;
    while (run.records.at(track).message == skipped + names[track] + "\" skipped.") ++track;
    char name[64];
    std::snprintf(name, sizeof name, "%04u %s", serial, names[track++].c_str());
    EXPECT_EQ(record.name, name);
    EXPECT_LE(vias, 1000u);
    serial += vias;
    vias = 0;
  }
  EXPECT_EQ(run.waypointSerial, serial);
  EXPECT_GE(run.counts.tracksToRoutes, 9u);
  EXPECT_EQ(run.counts.tracksToRoutes + run.counts.tracksSkipped, names.size());
  EXPECT_EQ(run.records[11].message, skipped + "Huge\" skipped.");
  EXPECT_NE(run.trace.find("Route point limit reached - track truncated!\nCannot convert"),
            std::string::npos);
}

TEST_F(TrackToRouteTest, TracksWithFewPoints) {
  const std::string input =
      GdbFile('k', {TrackRecord(Track("Empty")),
                    TrackRecord(Track("Same").Points({{4, 4}, {4, 4}, {4, 4}, {4, 4}, {4, 4}}))});
  const RunResult run = Convert(input, kTracksToRoutesUserVias);
  ASSERT_TRUE(Completed(run));
  EXPECT_TRUE(SameBytes(
      GdbFile('k', {ExpectedRoutes({{4, 4}}, "Same", 1, 250, 'k', kTracksToRoutesUserVias)}),
      run.output));
  EXPECT_FALSE(run.records[0].pending);
  EXPECT_FALSE(run.records[1].pending);
  // A route of one entry has no link: its track is the position of the
  // waypoint record generated with it.
  for (ConversionMode mode : {kRoutesToTracksAllPoints, kRoutesToTracksViaPoints}) {
    const RunResult back = Convert(run.output, mode);
    ASSERT_TRUE(Completed(back));
    EXPECT_EQ(back.frames.tracks, 1u);
    EXPECT_EQ(back.frames.records[1].points, (std::vector<FramePoint>{{4, 4}}));
  }
}

// The running number may reach 9999: a track is skipped when its points and
// the number would pass 10000, and a later track that fits is converted.
TEST_F(TrackToRouteTest, TenThousandPointGuard) {
  const RunOptions vias1000 = WithMaxVias(1000);
  struct GuardCase {
    const char* name;
    std::vector<size_t> tracks;   // point counts
    std::vector<bool> converted;  // per track
    std::string lastVia;          // name of the last generated waypoint
  };
  const GuardCase cases[] = {
      {"sum 10000 converts", {9999}, {true}, "T9999"},
      {"sum 10001 skips", {10000}, {false}, ""},
      {"later tracks go on at the unchanged number",
       {5000, 5000, 4999},
       {true, false, true},
       "T9999"},
  };
  for (const GuardCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> records;
    for (size_t i = 0; i < c.tracks.size(); ++i) {
      records.push_back(TrackRecord(TrackOf("Track" + std::to_string(i), Spread(c.tracks[i], 0))));
    }
    const RunResult run = Convert(GdbFile('l', records), kTracksToRoutesUserVias, vias1000);
    ASSERT_TRUE(Completed(run));
    std::string lastVia;
    for (const FrameRecord& record : run.frames.records) {
      if (record.type == 'W') lastVia = record.name;
    }
    EXPECT_EQ(lastVia, c.lastVia);
    for (size_t i = 0; i < c.tracks.size(); ++i) {
      EXPECT_EQ(run.records[i].pending, !c.converted[i]) << "track " << i;
      if (!c.converted[i]) {
        EXPECT_EQ(run.records[i].message,
                  "Cannot convert more then 10000 trackpoints,\ntrack \"Track" + std::to_string(i) +
                      "\" skipped.");
      }
    }
  }
}

// 10002 points, the last one cut by the record's end: the table refuses the
// 10001st, the record is damaged, and the skip message replaces both texts.
TEST_F(TrackToRouteTest, TooManyPointsForTheTable) {
  std::vector<FramePoint> points = Spread(10002);
  for (size_t i = 0; i < points.size(); ++i) points[i].lon = static_cast<int32_t>(i);
  const std::string body = TrackBody(TrackOf("Huge", points));
  const std::string input = GdbFile('l', {CutRecord('T', body, body.size() - 3)});
  const RunResult run = Convert(input, kTracksToRoutesHiddenVias);
  ASSERT_TRUE(Completed(run));
  EXPECT_EQ(run.frames.records.size(), 1u) << "nothing written for the track";
  EXPECT_EQ(run.records[0].message,
            "Cannot convert more then 10000 trackpoints,\ntrack \"Huge\" skipped.");
  EXPECT_EQ(run.trace, "T " + std::to_string(body.size() - 3) +
                           "\nRoute point limit reached - track truncated!\n"
                           "Cannot convert more then 10000 trackpoints - track skipped\nV 2\n");
}

TEST_F(TrackToRouteTest, TracksCutAtEveryByte) {
  for (char version : kAllVersions) {
    const std::string body = TrackBody(FlaggedTrack(version));
    for (size_t keep = 0; keep <= body.size(); ++keep) {
      const std::string input = GdbFile(version, {CutRecord('T', body, keep), Record('X', "x")});
      const FrameReport in = CheckFrames(input, {.allowDamaged = true});
      const bool damaged = in.damagedRecords == 1;
      ASSERT_TRUE(keep < body.size() || !damaged) << "the whole record walks";
      const bool nameWhole = body.find('\0') < keep;
      const std::string expected =
          nameWhole ? ExpectedRoutes(WithoutRepeats(in.records[0].points), "Flags", 1, 250, version,
                                     kTracksToRoutesUserVias)
                    : CutRecord('T', body, keep);
      SCOPED_TRACE(testing::Message() << "version " << version << ", cut to " << keep);
      const RunResult run = Convert(input, kTracksToRoutesUserVias, kAllowDamaged);
      ASSERT_TRUE(Completed(run));
      EXPECT_TRUE(SameBytes(GdbFile(version, {expected, Record('X', "x")}), run.output));
      EXPECT_EQ(run.records[0].pending, damaged);
      if (damaged) {
        EXPECT_EQ(run.records[0].message,
                  "Record 1 is damaged: converted the part that could be read");
      }
    }
  }
}

TEST_F(TrackToRouteTest, TrackNamesInRouteNames) {
  struct NameCase {
    const char* name;
    char version;
    std::string trackName;
    std::string routeName;  // of the first route
  };
  const NameCase cases[] = {
      {"250 bytes kept whole", 'l', Repeat("a", 250), "0001 " + Repeat("a", 250)},
      {"longer names cut to 250 bytes", 'k', Repeat("a", 300), "0001 " + Repeat("a", 250)},
      {"the longest name read", 'l', Repeat("a", 30000), "0001 " + Repeat("a", 250)},
      {"UTF-8 cut between 2-byte characters", 'm', Repeat("\xC3\xA9", 150),
       "0001 " + Repeat("\xC3\xA9", 125)},
      {"UTF-8 cut between 3-byte characters", 'm', Repeat("\xE2\x82\xAC", 100),
       "0001 " + Repeat("\xE2\x82\xAC", 83)},
      {"Windows-1252 bytes kept as they are", 'k', "M\xFCnchen\x81\x8D\x8F\x90\x9D",
       "0001 M\xFCnchen\x81\x8D\x8F\x90\x9D"},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult run =
        Convert(GdbFile(c.version, {TrackRecord(Track(c.trackName).Points({{1, 2}, {3, 4}}))}),
                kTracksToRoutesUserVias);
    ASSERT_TRUE(Completed(run));
    ASSERT_EQ(run.frames.routes, 1u);
    EXPECT_EQ(run.frames.records[2].name, c.routeName);
  }
}

TEST_F(TrackToRouteTest, TrackNamesInTheSkipMessage) {
  struct MessageCase {
    const char* name;
    char version;
    int32_t language;
    std::string trackName;
    std::string shown;  // the name as the message shows it on a terminal
  };
  const MessageCase cases[] = {
      {"English, 194 letters fit", 'l', 1, Repeat("a", 194), Repeat("a", 194)},
      {"English, 195 letters cut", 'l', 1, Repeat("a", 195), Repeat("a", 194)},
      {"Dutch, 185 letters cut", 'l', 2, Repeat("a", 185), Repeat("a", 184)},
      {"German, 181 letters cut", 'k', 3, Repeat("a", 181), Repeat("a", 179)},
      {"Windows-1252 to UTF-8, the five bytes without a character unsafe", 'k', 1,
       "M\xFCnchen \x80\x81\x8D\x8F\x90\x9D",
       "M\xC3\xBCnchen \xE2\x82\xAC\\x81\\x8D\\x8F\\x90\\x9D"},
      {"terminal controls", 'l', 1, "a\x1B[2J\x1B]0;x\x07\x7F\nb",
       "a\\x1B[2J\\x1B]0;x\\x07\\x7F\\x0Ab"},
      {"UTF-8 name: C1 control and bytes that are no character", 'm', 1,
       "\xC2\x9B"
       "2J \xFF\xC3",
       "\\xC2\\x9B"
       "2J \\xFF\\xC3"},
      {"Windows-1252 cut between characters", 'l', 3, Repeat("\xFC", 200), Repeat("\xC3\xBC", 89)},
      {"UTF-8 cut between characters", 'm', 2, Repeat("\xE2\x82\xAC", 100),
       Repeat("\xE2\x82\xAC", 61)},
      {"UTF-8 kept", 'm', 1, "Z\xC3\xBCrich", "Z\xC3\xBCrich"},
  };
  const char* before[] = {"Cannot convert more then 10000 trackpoints,\ntrack \"",
                          "Kan niet meer dan 10000 trackpoints converteren,\ntrack \"",
                          "Kann nicht mehr als 10000 Trackpunkten konvertieren,\ntrack \""};
  const char* after[] = {"\" skipped.", "\" overgeslagen.",
                         ("\" \xC3\xBC"
                          "bersprungen.")};
  std::vector<FramePoint> points = Spread(10000);
  for (size_t i = 0; i < points.size(); ++i) points[i].lon = static_cast<int32_t>(i);
  for (const MessageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult run =
        Convert(GdbFile(c.version, {TrackRecord(TrackOf(c.trackName, points))}),
                kTracksToRoutesUserVias, InLanguage(static_cast<Language>(c.language)));
    ASSERT_TRUE(Completed(run));
    const std::string expected = before[c.language - 1] + c.shown + after[c.language - 1];
    EXPECT_EQ(TextForTerminal(run.records[0].message), expected);
  }
  // The fourth language has no text: the message is due, its text unchanged
  // (here the point limit's, the same in every language, left by the 10001st point).
  points.push_back({-1, -1});
  const RunResult run = Convert(GdbFile('l', {TrackRecord(TrackOf("Any", points))}),
                                kTracksToRoutesHiddenVias, InLanguage(Language::kFourth));
  ASSERT_TRUE(Completed(run));
  EXPECT_TRUE(run.records[0].pending);
  EXPECT_EQ(run.records[0].message, "Route point limit reached - track truncated!");
}

TEST_F(TrackToRouteTest, TrackNamesOver30000Bytes) {
  const std::string input =
      GdbFile('l', {TrackRecord(Track(std::string(30001, 't')).Points({{1, 2}})), Record('X', "")});
  const RunResult run = Convert(input, kTracksToRoutesUserVias);
  ASSERT_TRUE(Completed(run));
  EXPECT_TRUE(SameBytes(input, run.output)) << "written out unchanged";
  EXPECT_EQ(run.records[0].message, "Record 1 is damaged: converted the part that could be read");
}

}  // namespace
}  // namespace enginetest
