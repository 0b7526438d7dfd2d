#include "gdb_builder.h"

namespace gdbtest {

namespace {

// Filler of count bytes counting up from start: distinct, non-zero, and
// different from the class and marker values that the rewriting looks for.
std::string Pattern(size_t count, uint8_t start) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += static_cast<char>(start + i);
  return out;
}

size_t LinkVersionBytes(char version) {
  return version == 'l' ? 8 : version == 'm' ? 10 : 0;
}

// 8 bytes, then a flag byte and 8 more bytes when it is set.
std::string OptionalGroup(uint8_t flag, uint8_t start) {
  std::string out = Pattern(8, start);
  out += static_cast<char>(flag);
  if (flag != 0) out += Pattern(8, static_cast<uint8_t>(start + 8));
  return out;
}

const std::string kWaypointRest = std::string("\x01\x02\x03note\x00\x04\x05", 10);

}  // namespace

std::string U32(uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

std::string I32(int32_t value) {
  return U32(static_cast<uint32_t>(value));
}

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int value : values) out += static_cast<char>(value);
  return out;
}

std::string Fill(size_t count, uint8_t value) {
  return std::string(count, static_cast<char>(value));
}

std::string Text(std::string_view text) {
  std::string out(text);
  out += '\0';
  return out;
}

std::string FileHeader(char version, std::string_view creator) {
  std::string out = Text("MsRcf");
  out += Bytes({0x02, 0x00, 0x00, 0x00, 0x44});
  out += version;
  out += Bytes({0x00, 0x1E, 0x00, 0x00, 0x00, 0x41, 0x98, 0x01});
  out += Text("build");
  out += Text("Jan 1 2024");
  out += Text("12:00:00");
  out += Text(creator);
  return out;
}

std::string Record(char type, std::string_view body) {
  return RecordWithLength(type, static_cast<uint32_t>(body.size()), body);
}

std::string RecordWithLength(char type, uint32_t length, std::string_view body) {
  std::string out = U32(length);
  out += type;
  out += body;
  return out;
}

std::string CutRecord(char type, std::string_view body, size_t keep) {
  return Record(type, body.substr(0, keep));
}

std::string EndRecord() {
  return Record('V', Bytes({0x00, 0x01}));
}

std::string GdbFile(char version, std::initializer_list<std::string> records,
                    std::string_view creator) {
  return GdbFile(version, std::vector<std::string>(records), creator);
}

std::string GdbFile(char version, const std::vector<std::string>& records,
                    std::string_view creator) {
  std::string out = FileHeader(version, creator);
  for (const std::string& record : records) out += record;
  out += EndRecord();
  return out;
}

std::string WaypointPrefix(const Waypoint& waypoint) {
  std::string out;
  out += static_cast<char>(waypoint.classByte);
  for (uint8_t byte : waypoint.classHigh) out += static_cast<char>(byte);
  out += Text(waypoint.country);
  std::string tail = Pattern(22, 0x40);
  tail[8] = static_cast<char>(waypoint.marker);
  out += tail;
  return out;
}

std::string WaypointData(const Waypoint& waypoint, char version) {
  std::string out = WaypointPrefix(waypoint);
  out += static_cast<char>(waypoint.flag);
  if (waypoint.flag != 0) out += Pattern(version == 'm' ? 16 : 8, 0xA0);
  out += Pattern(18, 0x60);
  return out;
}

std::string WaypointBody(std::string_view name, const Waypoint& waypoint, char version,
                         std::string_view rest) {
  return Text(name) + WaypointData(waypoint, version) + std::string(rest);
}

std::string WaypointBody(std::string_view name, const Waypoint& waypoint, char version) {
  return WaypointBody(name, waypoint, version, kWaypointRest);
}

std::string WaypointRecord(std::string_view name, const Waypoint& waypoint, char version,
                           std::string_view rest) {
  return Record('W', WaypointBody(name, waypoint, version, rest));
}

std::string WaypointRecord(std::string_view name, const Waypoint& waypoint, char version) {
  return Record('W', WaypointBody(name, waypoint, version));
}

std::string RouteBody(const Route& route, char version) {
  std::string out = Text(route.name);
  out += static_cast<char>(route.firstByte);
  out += static_cast<char>(route.headerFlag);
  if (route.headerFlag == 0) {
    out += OptionalGroup(route.groupFlags[0], 0x20);
    out += OptionalGroup(route.groupFlags[1], 0x30);
  }
  out += U32(route.entryCount.value_or(static_cast<uint32_t>(route.entries.size())));
  for (const RouteEntry& entry : route.entries) {
    out += Text(entry.name);
    out += WaypointData(entry.waypoint, version);
    out += U32(static_cast<uint32_t>(entry.link.size()));
    if (entry.link.empty()) continue;
    for (const LinkPoint& point : entry.link) {
      out += I32(point.lat);
      out += I32(point.lon);
      out += static_cast<char>(point.flag);
      if (point.flag != 0) out += Pattern(8, 0xB0);
    }
    out += static_cast<char>(entry.trailerFlag);
    if (entry.trailerFlag == 0) {
      out += OptionalGroup(entry.trailerGroupFlags[0], 0x20);
      out += OptionalGroup(entry.trailerGroupFlags[1], 0x30);
    }
    out += Pattern(LinkVersionBytes(version), 0xC0);
  }
  out += route.rest;
  return out;
}

std::string RouteRecord(const Route& route, char version) {
  return Record('R', RouteBody(route, version));
}

std::string LastLinkRest(char version) {
  return Bytes({0x01}) + Pattern(LinkVersionBytes(version), 0xC0) + Bytes({0x00});
}

std::string TrackBody(const Track& track) {
  static constexpr size_t kExtraSizes[4] = {8, 4, 8, 8};
  std::string out = Text(track.name);
  out += track.head;
  out += U32(track.pointCount.value_or(static_cast<uint32_t>(track.points.size())));
  for (const TrackPoint& point : track.points) {
    out += I32(point.lat);
    out += I32(point.lon);
    for (size_t f = 0; f < 4; ++f) {
      out += static_cast<char>(point.flags[f]);
      if (point.flags[f] != 0) out += Pattern(kExtraSizes[f], static_cast<uint8_t>(0xD0 + 8 * f));
    }
  }
  out += track.rest;
  return out;
}

std::string TrackRecord(const Track& track) {
  return Record('T', TrackBody(track));
}

}  // namespace gdbtest
