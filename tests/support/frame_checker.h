// An independent walker over whole GDB files, for the tests. It shares no code
// with the engine: it reads the layouts from scratch, so that an engine fault
// does not hide itself by being repeated in the check.
//
//   #include "frame_checker.h"   (link morvex_test_support)
//
//   gdbtest::FrameReport report = gdbtest::CheckFrames(bytes);
//   ASSERT_TRUE(report.ok) << report.error;   // error names record and offset
//   EXPECT_EQ(report.routes, 1u);
//
// What is checked:
// - the header: "MsRcf" and NUL, 5 bytes, version letter 'k'/'l'/'m', 8 bytes,
//   three texts, creator "MapSource" or "BaseCamp";
// - every record frame: the records tile the rest of the file exactly and the
//   last one is the end record 'V', ending at the last byte;
// - the layout walk of every 'W' (name and waypoint prefix), 'R' (route
//   header, entries, links, trailers) and 'T' (name, points) record fits inside
//   its record; the bytes after the walk are the record's rest. A walk that
//   needs bytes past its record marks the record damaged, which is an error
//   unless FrameOptions::allowDamaged is set (outputs that carry damaged input
//   records through unchanged).
//
// The report also gives counts and, per record, what the walk found: names,
// class and marker bytes (with their file offsets), link points and track
// points. Counts cover walked records only; a damaged record counts the entries
// and points read whole before the damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace gdbtest {

struct FramePoint {
  int32_t lat = 0;
  int32_t lon = 0;
  bool operator==(const FramePoint&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const FramePoint& point) {
  return out << '(' << point.lat << ", " << point.lon << ')';
}

// A waypoint as walked: in a 'W' record or in a route waypoint entry.
struct FrameWaypoint {
  std::string name;
  uint8_t classByte = 0;
  uint8_t marker = 0;
  std::string country;
  size_t classOffset = 0;   // file offset of the class byte
  size_t markerOffset = 0;  // file offset of the marker byte (0 when not reached)
  // Route entries only: the link point count P as read (0 when not reached)
  // and the link points read whole, these also in FrameRecord::points.
  uint32_t linkCount = 0;
  size_t linkWalked = 0;
};

struct FrameRecord {
  size_t offset = 0;    // file offset of the length field
  uint32_t length = 0;  // body bytes after the type letter
  char type = 0;
  std::string name;                    // 'W', 'R', 'T': the record's name (raw bytes)
  bool damaged = false;                // the layout walk ran past the record's end
  size_t walked = 0;                   // body bytes the layout walk covered ('W', 'R', 'T')
  uint32_t declaredCount = 0;          // 'R': entry count N; 'T': point count P
  std::vector<FrameWaypoint> entries;  // 'W': the waypoint; 'R': entries walked
  std::vector<FramePoint> points;      // 'R': link points in order; 'T': track points;
                                       // 'W': its position, when the record holds one
};

struct FrameReport {
  bool ok = false;
  std::string error;  // set when !ok: what failed, with record number and offset
  char version = 0;
  std::string creator;
  size_t headerSize = 0;
  size_t waypoints = 0;     // 'W' records
  size_t routes = 0;        // 'R' records
  size_t routeEntries = 0;  // route waypoint entries walked, all routes
  size_t linkPoints = 0;    // link points walked, all routes
  size_t tracks = 0;        // 'T' records
  size_t trackPoints = 0;   // track points walked, all tracks
  size_t otherRecords = 0;  // records of any other letter, the end record excluded
  size_t damagedRecords = 0;
  std::vector<FrameRecord> records;  // in file order, the end record included
};

struct FrameOptions {
  bool allowDamaged = false;
};

FrameReport CheckFrames(std::string_view bytes, FrameOptions options = {});

}  // namespace gdbtest
