// Small builders for GDB file bytes, so that test inputs read as what they
// are rather than as hex. Every builder returns the bytes as a std::string.
//
//   std::string file = GdbFile('l', {
//       WaypointRecord("Home", Waypoint().Class(10).Marker(31), 'l'),
//       RouteRecord(Route("Trip")
//                       .Entry(RouteEntry("Home").Link({{1, 2}, {3, 4}}))
//                       .Entry(RouteEntry("Away"))
//                       .Rest(LastLinkRest('l')), 'l'),
//       TrackRecord(Track("Walk").Point({1, 2}).Point(TrackPoint(3, 4).Flags(1, 0, 0, 1))),
//   });
//
// The layouts are those of real files: a waypoint's class is a 32-bit value,
// then a country code text, then 22 bytes with the marker byte 9th, then a
// flag byte with 8 (16 for 'm') more bytes when set, then 18 bytes. Filler
// bytes use distinct non-zero patterns so that a shifted copy shows.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gdbtest {

// Little-endian integers and other small pieces.
std::string U32(uint32_t value);
std::string I32(int32_t value);
std::string Bytes(std::initializer_list<int> values);
std::string Fill(size_t count, uint8_t value);
std::string Text(std::string_view text);  // the text and its NUL

// "MsRcf", 5 bytes, the version letter, 8 bytes, three texts, the creator.
std::string FileHeader(char version = 'l', std::string_view creator = "MapSource");

// A record frame and its body; the length is the body's size.
std::string Record(char type, std::string_view body);
// A record whose length field says length, followed by the body as given
// (longer or shorter than length on purpose).
std::string RecordWithLength(char type, uint32_t length, std::string_view body);
// A record cut by its own length: only the first keep bytes of body, and a
// length of keep. The walk of such a record runs past its end.
std::string CutRecord(char type, std::string_view body, size_t keep);
// The end record ('V', body 00 01).
std::string EndRecord();
// Header, the records in order, the end record.
std::string GdbFile(char version, std::initializer_list<std::string> records,
                    std::string_view creator = "MapSource");
std::string GdbFile(char version, const std::vector<std::string>& records,
                    std::string_view creator = "MapSource");

// The waypoint data that follows a waypoint's name, in a waypoint record and
// in a route waypoint entry. Setters chain: Waypoint().Class(10).Marker(31).
struct Waypoint {
  uint8_t classByte = 0;
  std::array<uint8_t, 3> classHigh = {0, 0, 0};  // bytes 2..4 of the class value
  std::string country;                           // country code, without its NUL
  uint8_t marker = 0xFF;
  uint8_t flag = 0;  // set: 8 more bytes follow (16 in version 'm')

  Waypoint& Class(uint8_t value) { return classByte = value, *this; }
  Waypoint& ClassHigh(uint8_t b2, uint8_t b3, uint8_t b4) {
    return classHigh = {b2, b3, b4}, *this;
  }
  Waypoint& Country(std::string_view code) { return country = code, *this; }
  Waypoint& Marker(uint8_t value) { return marker = value, *this; }
  Waypoint& Flag(uint8_t value) { return flag = value, *this; }
};
// Class value, country code and the 22 bytes with the marker.
std::string WaypointPrefix(const Waypoint& waypoint);
// The prefix, the flag with its extra bytes, and the 18 bytes after it.
std::string WaypointData(const Waypoint& waypoint, char version);
// Name, waypoint data and rest: the body of a waypoint record. Without a
// rest, a few bytes stand for the fields real records carry after the data.
std::string WaypointBody(std::string_view name, const Waypoint& waypoint, char version,
                         std::string_view rest);
std::string WaypointBody(std::string_view name, const Waypoint& waypoint, char version);
std::string WaypointRecord(std::string_view name, const Waypoint& waypoint, char version,
                           std::string_view rest);
std::string WaypointRecord(std::string_view name, const Waypoint& waypoint, char version);

struct LinkPoint {
  LinkPoint(int32_t latitude, int32_t longitude, uint8_t extraFlag = 0)
      : lat(latitude), lon(longitude), flag(extraFlag) {}
  int32_t lat;
  int32_t lon;
  uint8_t flag;  // set: 8 more bytes follow
};

struct RouteEntry {
  explicit RouteEntry(std::string_view entryName = "Via") : name(entryName) {}
  std::string name;
  Waypoint waypoint;
  // The link to the next entry. Empty: a link point count of 0, which ends
  // the route's walk; nothing more is written for this entry.
  std::vector<LinkPoint> link;
  uint8_t trailerFlag = 0;  // 0: the trailer's two optional-field groups follow
  std::array<uint8_t, 2> trailerGroupFlags = {0, 0};  // set: 8 more bytes in that group

  RouteEntry& Data(const Waypoint& value) { return waypoint = value, *this; }
  RouteEntry& Link(std::vector<LinkPoint> points) { return link = std::move(points), *this; }
  RouteEntry& TrailerFlag(uint8_t value) { return trailerFlag = value, *this; }
  RouteEntry& TrailerGroupFlags(uint8_t first, uint8_t second) {
    return trailerGroupFlags = {first, second}, *this;
  }
};

struct Route {
  explicit Route(std::string_view routeName = "Route") : name(routeName) {}
  std::string name;
  uint8_t firstByte = 0;
  uint8_t headerFlag = 0;                      // 0: the two bounds groups follow
  std::array<uint8_t, 2> groupFlags = {0, 0};  // set: 8 more bytes in that group
  std::vector<RouteEntry> entries;
  std::optional<uint32_t> entryCount;  // the count written; entries.size() when absent
  std::string rest;                    // bytes after the last entry

  Route& FirstByte(uint8_t value) { return firstByte = value, *this; }
  Route& HeaderFlag(uint8_t value) { return headerFlag = value, *this; }
  Route& GroupFlags(uint8_t first, uint8_t second) { return groupFlags = {first, second}, *this; }
  Route& Entry(const RouteEntry& entry) { return entries.push_back(entry), *this; }
  Route& EntryCount(uint32_t count) { return entryCount = count, *this; }
  Route& Rest(std::string_view bytes) { return rest = bytes, *this; }
};
std::string RouteBody(const Route& route, char version);
std::string RouteRecord(const Route& route, char version);
// The link of the last entry as real files end it: 01, version bytes, 00.
// These bytes follow a count of 0 and so belong to the record's rest.
std::string LastLinkRest(char version);

struct TrackPoint {
  TrackPoint(int32_t latitude, int32_t longitude) : lat(latitude), lon(longitude) {}
  int32_t lat;
  int32_t lon;
  // Each flag set adds its field: 8, 4, 8 and 8 bytes (the last the temperature).
  std::array<uint8_t, 4> flags = {0, 0, 0, 0};

  TrackPoint& Flags(uint8_t f1, uint8_t f2, uint8_t f3, uint8_t f4) {
    return flags = {f1, f2, f3, f4}, *this;
  }
};

struct Track {
  explicit Track(std::string_view trackName = "Track") : name(trackName) {}
  std::string name;
  std::string head = std::string("\x01\x01\x00\x00\x00", 5);
  std::vector<TrackPoint> points;
  std::optional<uint32_t> pointCount;  // the count written; points.size() when absent
  std::string rest;                    // bytes after the points

  Track& Point(const TrackPoint& point) { return points.push_back(point), *this; }
  Track& Points(std::vector<TrackPoint> all) { return points = std::move(all), *this; }
  Track& PointCount(uint32_t count) { return pointCount = count, *this; }
  Track& Rest(std::string_view bytes) { return rest = bytes, *this; }
};
std::string TrackBody(const Track& track);
std::string TrackRecord(const Track& track);

}  // namespace gdbtest
