// The stream primitives and the point table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "conversion_state.h"
#include "engine_harness.h"
#include "gdb_builder.h"
#include "primitives.h"
#include "text_utils.h"

namespace enginetest {
namespace {

using gdbtest::Bytes;

class PrimitivesTest : public EngineTest {};

struct ReadTextCase {
  const char* name;
  std::string input;
  int32_t result;
  size_t consumed;     // bytes the call read
  std::string stored;  // what the buffer holds (NUL included on success)
};

TEST_F(PrimitivesTest, ReadTextTable) {
  const std::string max(kMaxTextLength, 'a');
  const ReadTextCase cases[] = {
      {"three letters", Bytes({'a', 'b', 'c', 0, 'z'}), 4, 4, std::string("abc\0", 4)},
      {"empty text", Bytes({0, 'z'}), 1, 1, std::string(1, '\0')},
      {"longest text", max + Bytes({0}), 30001, 30001, max + Bytes({0})},
      {"one byte too long", max + "b" + Bytes({0}), -1, 30001, max + "b"},
      {"input ends inside", "abc", -1, 3, "abc"},
      {"empty input", "", -1, 0, ""},
  };
  for (const ReadTextCase& c : cases) {
    SCOPED_TRACE(c.name);
    // As large as the names' buffer, which ReadText fills.
    std::vector<char> buffer(sizeof state.nameBuffer, 'x');
    MemoryInputStream input(c.input, 3);
    EXPECT_EQ(ReadText(buffer.data(), input), c.result);
    EXPECT_EQ(input.Position(), c.consumed);
    EXPECT_EQ(std::string(buffer.data(), c.stored.size()), c.stored);
    MemoryInputStream again(c.input, 3);
    EXPECT_EQ(ReadText(nullptr, again), c.result) << "counting without a buffer";
  }
}

struct CopyCase {
  const char* name;
  std::string input;
  uint32_t count;
  int flagged;  // 0: CopyBytes; n: CopyFlagged(n)
  uint32_t result;
  std::string written;
};

TEST_F(PrimitivesTest, CopiesStopAtTheirFieldOrAtTheEndOfInput) {
  const CopyCase cases[] = {
      {"count 0 copies one text", Bytes({0x78, 0x79, 0, 0x7A}), 0, 0, 3, Bytes({0x78, 0x79, 0})},
      {"counted", "abcdef", 4, 0, 4, "abcd"},
      {"counted, input ends first", "ab", 5, 0, 2, "ab"},
      {"count 0, input ends before a NUL", "ab", 0, 0, 2, "ab"},
      {"flag 0", Bytes({0, 1, 2}), 0, 8, 1, Bytes({0})},
      {"flag set", Bytes({1, 1, 2, 3, 4, 5, 6, 7, 8, 9}), 0, 8, 9,
       Bytes({1, 1, 2, 3, 4, 5, 6, 7, 8})},
      {"flag set, input ends", Bytes({7, 1, 2}), 0, 4, 3, Bytes({7, 1, 2})},
      {"no flag at all", "", 0, 8, 0, ""},
  };
  for (const CopyCase& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryInputStream input(c.input, 2);
    StringOutputStream output(3);
    const uint32_t got =
        c.flagged ? CopyFlagged(c.flagged, &output, input) : CopyBytes(c.count, &output, input);
    EXPECT_EQ(got, c.result);
    EXPECT_TRUE(SameBytes(c.written, output.Bytes()));
    MemoryInputStream skipped(c.input, 2);
    EXPECT_EQ(c.flagged ? SkipFlagged(c.flagged, skipped) : SkipBytes(c.count, skipped), c.result);
    EXPECT_EQ(skipped.Position(), input.Position());
  }
}

TEST_F(PrimitivesTest, AppendPointDropsOnlyARepeatOfTheLastPoint) {
  AppendPoint(state, 5, 6);
  AppendPoint(state, 5, 6);   // repeat: dropped
  AppendPoint(state, 5, 7);   // same latitude only: kept
  AppendPoint(state, 5, 6);   // equals the point two places back: kept
  AppendPoint(state, -1, 6);  // all 32 bits compared
  ASSERT_EQ(state.pointCount, 4u);
  const int32_t lat[] = {5, 5, 5, -1};
  const int32_t lon[] = {6, 7, 6, 6};
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(state.pointLat[i], lat[i]) << i;
    EXPECT_EQ(state.pointLon[i], lon[i]) << i;
  }
  EXPECT_EQ(state.messagePending, 0);
}

TEST_F(PrimitivesTest, AppendPointAtItsLimit) {
  StringOutputStream trace;
  Start({.trace = &trace});
  for (uint32_t i = 0; i < kMaxPoints; ++i) AppendPoint(state, static_cast<int32_t>(i), 0);
  EXPECT_EQ(state.messagePending, 0) << "the 10000th point fits";
  AppendPoint(state, -5, -5);
  AppendPoint(state, static_cast<int32_t>(kMaxPoints - 1),
              0);  // a repeat, refused by the limit first
  EXPECT_EQ(state.pointCount, kMaxPoints);
  EXPECT_EQ(state.pointLat[kMaxPoints - 1], static_cast<int32_t>(kMaxPoints - 1));
  EXPECT_EQ(state.messagePending, 1);
  EXPECT_STREQ(state.messageText, "Route point limit reached - track truncated!");
  const std::string line = "Route point limit reached - track truncated!\n";
  EXPECT_EQ(trace.Bytes(), line + line) << "one line per refused point";
}

// The waypoint positions fill up without ever looping: a full table keeps
// what it has, still updates those names and refuses new ones.
TEST_F(PrimitivesTest, WaypointPositionsWhenFull) {
  ForgetWaypoints(state);
  for (uint64_t name = 1; name <= 2 * kMaxWaypointPositions; ++name) {
    RememberWaypoint(state, name * 0x9E3779B97F4A7C15ull, static_cast<int32_t>(name), -1);
  }
  EXPECT_EQ(state.waypointPositionCount, kMaxWaypointPositions);
  int32_t lat = 0;
  int32_t lon = 0;
  ASSERT_TRUE(FindWaypoint(state, 1 * 0x9E3779B97F4A7C15ull, lat, lon));
  EXPECT_EQ(lat, 1);
  RememberWaypoint(state, 1 * 0x9E3779B97F4A7C15ull, 77, 78);
  ASSERT_TRUE(FindWaypoint(state, 1 * 0x9E3779B97F4A7C15ull, lat, lon));
  EXPECT_EQ(lat, 77);
  EXPECT_FALSE(FindWaypoint(state, 2 * kMaxWaypointPositions * 0x9E3779B97F4A7C15ull, lat, lon));
  ForgetWaypoints(state);
  EXPECT_EQ(state.waypointPositionCount, 0u);
  EXPECT_FALSE(FindWaypoint(state, 1 * 0x9E3779B97F4A7C15ull, lat, lon));
}

// What a window and a terminal show of a message: the message's own line
// breaks and every character stay; controls, marks and bytes that are no
// character become U+FFFD or \\xNN.
TEST(MessageTextTest, WindowAndTerminal) {
  struct ShownCase {
    const char* name;
    std::string text;
    std::string window;
    std::string terminal;
  };
  const std::string kReplacement = "\xEF\xBF\xBD";
  const ShownCase cases[] = {
      {"plain text and its line break", "a\nZ\xC3\xBCrich \xE2\x82\xAC",
       "a\nZ\xC3\xBCrich \xE2\x82\xAC", "a\nZ\xC3\xBCrich \xE2\x82\xAC"},
      {"controls", "\x1B[2J\x07\x7F\t",
       kReplacement + "[2J" + kReplacement + kReplacement + kReplacement,
       "\\x1B[2J\\x07\\x7F\\x09"},
      {"a C1 control", "\xC2\x85", kReplacement + kReplacement, "\\xC2\\x85"},
      {"bytes that are no character", "\xFF\xED\xA0\x80 \xC3", std::string(),
       "\\xFF\\xED\\xA0\\x80 \\xC3"},
      {"marks of a name", "\xF8\x9B \xF8\x8A \xFA\x90", std::string(), "\\x1B \\x0A \\x90"},
  };
  for (const ShownCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.window.empty()) {
      EXPECT_EQ(TextForWindow(c.text), c.window);
    }
    EXPECT_EQ(TextForTerminal(c.text), c.terminal);
  }
  EXPECT_EQ(TextForWindow("\xFF\xED\xA0\x80 \xC3"),
            kReplacement + kReplacement + kReplacement + kReplacement + " " + kReplacement);
}

}  // namespace
}  // namespace enginetest
