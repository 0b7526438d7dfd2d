// Runs the engine over bytes in memory, the way a conversion run drives it:
// the header, then one ConvertRecord call per record up to the end record or
// the end of the input. Every completed output goes through the independent
// frame checker. The fixture puts the engine's process-wide state back to a
// known start for every test.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "conversion_state.h"
#include "frame_checker.h"
#include "gdb_builder.h"
#include "gdb_types.h"

// A mode shows as its letter in test messages.
inline std::ostream& operator<<(std::ostream& out, ConversionMode mode) {
  return out << static_cast<char>(mode);
}

// Counts show field by field in test messages.
inline void PrintTo(const ConversionCounts& c, std::ostream* out) {
  *out << "{routesToTracks " << c.routesToTracks << ", trackPointsMade " << c.trackPointsMade
       << ", tracksToRoutes " << c.tracksToRoutes << ", routesMade " << c.routesMade
       << ", waypointsMade " << c.waypointsMade << ", viasReclassified " << c.viasReclassified
       << ", recordsReclassified " << c.recordsReclassified << ", tracksSkipped " << c.tracksSkipped
       << ", recordsUnchanged " << c.recordsUnchanged << ", recordsDamaged " << c.recordsDamaged
       << ", farthestPointMetres " << c.farthestPointMetres << "}";
}

namespace enginetest {

struct StreamSizes {
  size_t inputSlice = SIZE_MAX;                // MemoryInputStream slice size
  size_t outputBuffer = kDefaultStreamBuffer;  // StringOutputStream buffer size
};

struct RecordOutcome {
  int result = 0;  // ConvertRecord's result: type letter or kInputEnded
  bool pending = false;
  std::string message;  // the state's messageText when pending
};

struct RunResult {
  int header = 0;  // CopyFileHeader's result
  std::vector<RecordOutcome> records;
  std::string output;
  std::string trace;
  uint32_t waypointSerial = 0;  // the running number at the end
  ConversionCounts counts;      // what the run counted
  bool inputEnded = false;      // the last call returned kInputEnded
  bool reachedEnd = false;      // the last call returned the end record's letter
  bool runaway = false;         // more calls than the input has records: the run would not end
  gdbtest::FrameReport frames;  // of the output, for runs that reached the end record
};

struct RunOptions {
  StreamSizes sizes;
  bool allowDamaged = false;  // the output may carry damaged records through
  Language language = Language::kEnglish;
  uint32_t maxViasPerRoute = 250;
  bool oneRoute = false;
};

// For inputs whose damaged records pass into the output.
inline const RunOptions kAllowDamaged{{}, true};

inline RunOptions WithMaxVias(uint32_t maxVias) {
  RunOptions options;
  options.maxViasPerRoute = maxVias;
  return options;
}
inline RunOptions OneRoute(uint32_t maxVias) {
  RunOptions options = WithMaxVias(maxVias);
  options.oneRoute = true;
  return options;
}
inline RunOptions InLanguage(Language language) {
  RunOptions options;
  options.language = language;
  return options;
}

RunResult Convert(const std::string& input, ConversionMode mode, const RunOptions& options = {});

// Checks that the run ended well and that its output passed the frame checker.
testing::AssertionResult Completed(const RunResult& result);

// Compares bytes; a failure gives the first differing offset with some context.
testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);

// Runs input again through every tiny stream size (input slices 1, 2, 3, 7;
// output buffers 1 to 7) and expects the output, trace and per-record
// results of reference each time.
void ExpectSameWithTinyBuffers(const std::string& input, ConversionMode mode,
                               const RunResult& reference, const RunOptions& options = {});

// Routes in the layouts of real files, every entry of class 10 with marker 31.
struct RouteLayout {
  const char* name;
  gdbtest::Route route;
  size_t entriesWalked;  // entries up to the end of the walk
};
std::vector<RouteLayout> RouteLayouts(char version);
gdbtest::Route RouteLayoutNamed(char version, const char* name);

// Tracks whose points carry each of the four optional fields.
gdbtest::Track FlaggedTrack(char version);

// input with every waypoint prefix that the frame checker walked in a 'W' or
// 'R' record reclassified for mode 'R' or 'S': class 10 or 12 (when its 4-byte
// field lies within the record) and marker 31 after 10 or 33 after 12 (when its
// 22-byte field does) rewritten.
std::string Reclassified(const std::string& input, ConversionMode mode);

// The track record that a route with these points becomes.
std::string ExpectedTrackRecord(const std::string& name,
                                const std::vector<gdbtest::FramePoint>& points, char version);
// The points that modes 'T' and 'U' take from a route as the frame checker
// walked it, repeats of the last point dropped.
// A route of one entry whose link gives no point takes the position of the
// last waypoint record before it named as that entry (report: the whole
// input; routeIndex: the route's place in report.records).
std::vector<gdbtest::FramePoint> SelectedRoutePoints(const gdbtest::FrameReport& report,
                                                     size_t routeIndex, ConversionMode mode);
std::vector<gdbtest::FramePoint> WithoutRepeats(const std::vector<gdbtest::FramePoint>& points);

// Gives each test a conversion state of its own, started with the default settings.
class EngineTest : public testing::Test {
 protected:
  EngineTest();
  // Starts the state afresh with these settings.
  void Start(const ConversionSettings& settings);

  ConversionStatePtr stateHolder_;
  ConversionState& state;
};

using enum ConversionMode;
constexpr ConversionMode kAllModes[] = {kRoutesToTracksAllPoints, kRoutesToTracksViaPoints,
                                        kViasToUserWaypoints,     kViasToHiddenVias,
                                        kTracksToRoutesUserVias,  kTracksToRoutesHiddenVias};
constexpr char kAllVersions[] = {'k', 'l', 'm'};

}  // namespace enginetest
