#include "engine_harness.h"

#include <cstdio>

#include "conversion.h"
#include "conversion_state.h"
#include "record_dispatch.h"

namespace enginetest {

namespace {

// Keeps each record's outcome; stops a run that makes more calls than its
// input has records.
class OutcomeRecorder final : public RecordObserver {
 public:
  OutcomeRecorder(RunResult& result, size_t inputSize)
      : result_(result), callLimit_(inputSize / 5 + 2) {}
  bool OnRecord(int type, const ConversionState& state) override {
    RecordOutcome record;
    record.result = type;
    record.pending = state.messagePending == 1;
    if (record.pending) record.message = state.messageText;
    result_.records.push_back(record);
    // Every call that returns a letter has read a 5-byte frame.
    result_.runaway =
        type != kInputEnded && type != kEndRecord && result_.records.size() >= callLimit_;
    return !result_.runaway;
  }

 private:
  RunResult& result_;
  size_t callLimit_;
};

}  // namespace

RunResult Convert(const std::string& input, ConversionMode mode, const RunOptions& options) {
  RunResult result;
  MemoryInputStream in(input, options.sizes.inputSlice);
  StringOutputStream out(options.sizes.outputBuffer);
  StringOutputStream trace(options.sizes.outputBuffer);
  ConversionSettings settings;
  settings.language = options.language;
  settings.maxViasPerRoute = options.maxViasPerRoute;
  settings.oneRoute = options.oneRoute;
  settings.trace = &trace;
  static const auto state = NewConversionState();
  OutcomeRecorder recorder(result, input.size());
  const ConversionResult conversion = ConvertGdb(*state, settings, in, out, mode, &recorder);
  result.header = conversion.headerAccepted ? 1 : 0;
  result.inputEnded = conversion.inputEnded;
  result.reachedEnd = conversion.reachedEnd;
  result.waypointSerial = state->waypointSerial;
  result.counts = conversion.counts;
  result.output = out.Bytes();
  result.trace = trace.Bytes();
  if (result.reachedEnd) {
    result.frames = gdbtest::CheckFrames(result.output, {.allowDamaged = options.allowDamaged});
  }
  return result;
}

testing::AssertionResult Completed(const RunResult& result) {
  if (result.header != 1) return testing::AssertionFailure() << "header refused";
  if (result.runaway) return testing::AssertionFailure() << "run did not end";
  if (!result.reachedEnd) return testing::AssertionFailure() << "input ended before end record";
  if (!result.frames.ok) {
    return testing::AssertionFailure() << "output fails the frame check: " << result.frames.error;
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
  if (expected == actual) return testing::AssertionSuccess();
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  auto hex = [at](const std::string& bytes) {
    std::string out;
    const size_t from = at >= 8 ? at - 8 : 0;
    for (size_t i = from; i < bytes.size() && i < at + 8; ++i) {
      char cell[8];
      std::snprintf(cell, sizeof cell, i == at ? "[%02X]" : " %02X",
                    static_cast<unsigned char>(bytes[i]));
      out += cell;
    }
    return out;
  };
  return testing::AssertionFailure()
         << "first difference at offset " << at << " (sizes: expected " << expected.size()
         << ", actual " << actual.size() << ")\n  expected:" << hex(expected)
         << "\n  actual:  " << hex(actual);
}

void ExpectSameWithTinyBuffers(const std::string& input, ConversionMode mode,
                               const RunResult& reference, const RunOptions& options) {
  // Each run starts its state afresh; the language and via maximum are the
  // test's.
  for (size_t slice : {1, 2, 3, 7}) {
    for (size_t buffer = 1; buffer <= 7; ++buffer) {
      SCOPED_TRACE(testing::Message() << "input slice " << slice << ", output buffer " << buffer);
      RunOptions tiny = options;
      tiny.sizes = {slice, buffer};
      const RunResult run = Convert(input, mode, tiny);
      EXPECT_TRUE(SameBytes(reference.output, run.output));
      EXPECT_EQ(reference.trace, run.trace);
      ASSERT_EQ(reference.records.size(), run.records.size());
      for (size_t i = 0; i < run.records.size(); ++i) {
        EXPECT_EQ(reference.records[i].result, run.records[i].result) << "record " << i + 1;
        EXPECT_EQ(reference.records[i].message, run.records[i].message) << "record " << i + 1;
      }
    }
  }
}

std::vector<RouteLayout> RouteLayouts(char version) {
  using namespace gdbtest;
  const auto via = [](const char* name, Waypoint waypoint = Waypoint()) {
    return RouteEntry(name).Data(waypoint.Class(10).Marker(31));
  };
  const std::vector<LinkPoint> first = {{100, 200}, {110, -210}, {120, 220}};
  const std::vector<LinkPoint> second = {{120, 220}, {-130, 230}};
  const std::vector<LinkPoint> flagged = {{120, 220, 1}, {125, 225}, {-130, 230, 0x80}};
  const std::string last = LastLinkRest(version);
  std::vector<RouteLayout> layouts = {
      {"plain",
       Route("Plain")
           .Entry(via("A").Link(first))
           .Entry(via("B").Link(second))
           .Entry(via("C"))
           .Rest(last),
       3},
      {"country codes of 2, 3 and 13 letters",
       Route("Countries")
           .Entry(via("A", Waypoint().Country("DE")).Link(first))
           .Entry(via("B", Waypoint().Country("USA")).Link(second))
           .Entry(via("C", Waypoint().Country("United States")))
           .Rest(last),
       3},
      {"aviation flags set",
       Route("Aviation")
           .Entry(via("A", Waypoint().Flag(1)).Link(first))
           .Entry(via("B", Waypoint().Flag(0xFF)))
           .Rest(last),
       2},
      {"route bounds flags set",
       Route("Bounds").GroupFlags(1, 2).Entry(via("A").Link(first)).Entry(via("B")).Rest(last), 2},
      {"route header flag set: no bounds",
       Route("NoBounds").HeaderFlag(1).Entry(via("A").Link(first)).Entry(via("B")).Rest(last), 2},
      {"link point and trailer flags set",
       Route("Links")
           .Entry(via("A").Link(flagged).TrailerGroupFlags(1, 1))
           .Entry(via("B").Link(first).TrailerFlag(3))
           .Entry(via("C"))
           .Rest(last),
       3},
      {"everything at once",
       Route("All")
           .FirstByte(1)
           .GroupFlags(1, 1)
           .Entry(
               via("A", Waypoint().Country("United States").Flag(1)).Link(flagged).TrailerFlag(1))
           .Entry(via("B", Waypoint().Country("DE")).Link(second).TrailerGroupFlags(0, 1))
           .Entry(via("C", Waypoint().Country("USA").Flag(1)))
           .Rest(last),
       3},
      {"empty link ends the walk before the count",
       Route("Early")
           .EntryCount(3)
           .Entry(via("A").Link(first))
           .Entry(via("B"))
           .Entry(via("C").Link(second))
           .Rest(last),
       2},
      {"first link empty", Route("FirstEmpty").Entry(via("A")).Entry(via("B").Link(first)), 1},
      {"count reached with a link",
       Route("Counted").EntryCount(1).Entry(via("A").Link(first)).Entry(via("B")).Rest(last), 1},
      {"no entries", Route("None").EntryCount(0).Entry(via("A").Link(first)), 0},
  };
  return layouts;
}

gdbtest::Route RouteLayoutNamed(char version, const char* name) {
  for (const RouteLayout& layout : RouteLayouts(version)) {
    if (std::string(layout.name) == name) return layout.route;
  }
  ADD_FAILURE() << "no route layout named " << name;
  return gdbtest::Route();
}

gdbtest::Track FlaggedTrack(char version) {
  using gdbtest::TrackPoint;
  return gdbtest::Track("Flags")
      .Point(TrackPoint(10, 20).Flags(1, 0, 0, 0))
      .Point(TrackPoint(-11, 21).Flags(0, 1, 0, 0))
      .Point(TrackPoint(12, -22).Flags(0, 0, 1, 0))
      .Point(TrackPoint(13, 23).Flags(0, 0, 0, 1))  // temperature
      .Point(TrackPoint(13, 23).Flags(1, 1, 1, 1))  // a repeat, 40 bytes long
      .Point({14, 24})
      .Rest(version == 'm' ? std::string(4, '\0') : std::string(1, '\0'));
}

std::string Reclassified(const std::string& input, ConversionMode mode) {
  std::string out = input;
  const gdbtest::FrameReport report = gdbtest::CheckFrames(input, {.allowDamaged = true});
  for (const gdbtest::FrameRecord& record : report.records) {
    if (record.type != 'W' && record.type != 'R') continue;
    const size_t bodyEnd = record.offset + 5 + record.length;
    for (const gdbtest::FrameWaypoint& waypoint : record.entries) {
      const uint8_t classByte = waypoint.classByte;
      if ((classByte == 10 || classByte == 12) && waypoint.classOffset + 4 <= bodyEnd) {
        out[waypoint.classOffset] = static_cast<char>(mode == kViasToUserWaypoints ? 0 : 12);
      }
      if (waypoint.markerOffset != 0 && ((classByte == 10 && waypoint.marker == 31) ||
                                         (classByte == 12 && waypoint.marker == 33))) {
        out[waypoint.markerOffset] = static_cast<char>(0xFF);
      }
    }
  }
  return out;
}

std::string ExpectedTrackRecord(const std::string& name,
                                const std::vector<gdbtest::FramePoint>& points, char version) {
  gdbtest::Track track(name);
  track.head = gdbtest::Bytes({1, 2, 0, 0, 0});
  for (const gdbtest::FramePoint& point : points) track.Point({point.lat, point.lon});
  track.Rest(std::string(version == 'm' ? 4 : 1, '\0'));
  return gdbtest::TrackRecord(track);
}

std::vector<gdbtest::FramePoint> WithoutRepeats(const std::vector<gdbtest::FramePoint>& points) {
  std::vector<gdbtest::FramePoint> out;
  for (const gdbtest::FramePoint& point : points) {
    if (out.empty() || !(out.back() == point)) out.push_back(point);
  }
  return out;
}

std::vector<gdbtest::FramePoint> SelectedRoutePoints(const gdbtest::FrameReport& report,
                                                     size_t routeIndex, ConversionMode mode) {
  const gdbtest::FrameRecord& route = report.records[routeIndex];
  std::vector<gdbtest::FramePoint> selected;
  size_t next = 0;
  for (const gdbtest::FrameWaypoint& entry : route.entries) {
    for (size_t j = 0; j < entry.linkWalked; ++j, ++next) {
      if (mode == kRoutesToTracksAllPoints || j == 0 || j + 1 == entry.linkCount)
        selected.push_back(route.points[next]);
    }
  }
  if (selected.empty() && route.declaredCount == 1 && !route.entries.empty()) {
    for (size_t i = routeIndex; i-- > 0;) {
      const gdbtest::FrameRecord& record = report.records[i];
      if (record.type == 'W' && record.name == route.entries[0].name && !record.points.empty()) {
        return {record.points[0]};
      }
    }
  }
  return WithoutRepeats(selected);
}

EngineTest::EngineTest() : stateHolder_(NewConversionState()), state(*stateHolder_) {
  Start({});
}

void EngineTest::Start(const ConversionSettings& settings) {
  StartConversion(state, settings);
}

}  // namespace enginetest
