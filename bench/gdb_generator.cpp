// The GDB file generator behind morvex-gdbgen and the engine benchmarks.
//
// routes  routes of about --route-entries via points with long links
//         (--link-points per link), each route after the
//         waypoint records of its via points; many via points are
//         auto-generated ones (class 10 or 12)
// tracks  tracks of --track-points points, with altitude and time on every
//         point and depth and temperature on some
// mix     waypoints, short routes, short tracks and records of other types
//
// Records are added until the file reaches --size bytes (a suffix K, M or G
// counts 1024s), then the end record closes it. The records follow the layouts
// of files written by the mapping program:
//
//   waypoint: name | class 4 | country text | 22 bytes (9th the marker) |
//     lat 4 | lon 4 | flag (+ altitude 8) | comment text | flag (+ proximity 8) |
//     display 4 | colour 4 | icon 4 | city, state, facility texts | 00 |
//     flag (+ depth 8) |
//     'k','l': 7 bytes 00 | description text
//     'm':     address text | 5 bytes 00 | instruction text | link count 4 (0)
//     category 2 | flag (+ temperature 8) | flag (+ time 4) |
//     'm':     phone flag 4 (0) | country text | postal code text
//   route: name | 00 | flag 00 and two bounds groups | entry count 4 |
//     entries: name | class 4 | country text | 22 bytes | flag (+ 8, 16 'm') |
//       18 bytes, the first 03 | link point count 4 |
//       points: lat 4 | lon 4 | flag (+ altitude 8) |
//       link trailer: flag 00 and two bounds groups, or 01 for the last entry |
//       version bytes: 8 x FF for 'l', and 00 00 more for 'm'
//     'k','l': link text; 'm': link count 4 (0) | colour 4 | 00 | description text
//   track: name | 00 | colour 4 | point count 4 |
//     points: lat 4 | lon 4 | flag (+ altitude 8) | flag (+ time 4) |
//       flag (+ depth 8) | flag (+ temperature 8)
//     'k','l': link text; 'm': link count 4 (0)
//
// A bounds group is lat 4 | lon 4 | flag (+ altitude 8).
#include "gdb_generator.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Options = GeneratorOptions;

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }
  bool OneIn(uint32_t n) { return Below(n) == 0; }

 private:
  uint64_t state_;
};

// Degrees as the 32-bit semicircle values the files store.
int32_t Semicircles(double degrees) {
  return static_cast<int32_t>(degrees * (2147483648.0 / 180.0));
}

class Body {
 public:
  void Byte(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
  void Bytes(uint8_t value, size_t count) { bytes_.append(count, static_cast<char>(value)); }
  void Int16(uint16_t value) {
    Byte(static_cast<uint8_t>(value));
    Byte(static_cast<uint8_t>(value >> 8));
  }
  void Int32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) Byte(static_cast<uint8_t>(value >> shift));
  }
  void Double(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 0; shift < 64; shift += 8) Byte(static_cast<uint8_t>(bits >> shift));
  }
  void Text(const std::string& text) {
    bytes_ += text;
    Byte(0);
  }
  void Point(int32_t lat, int32_t lon) {
    Int32(static_cast<uint32_t>(lat));
    Int32(static_cast<uint32_t>(lon));
  }
  // A flag byte 01 and a double, or a flag byte 00.
  void FlaggedDouble(bool present, double value) {
    Byte(present ? 1 : 0);
    if (present) Double(value);
  }
  void Clear() { bytes_.clear(); }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

struct Position {
  int32_t lat;
  int32_t lon;
};

class Generator {
 public:
  Generator(const Options& options, std::FILE* out)
      : options_(options), out_(out), random_(options.seed) {
    // Start somewhere in the middle latitudes; each kind walks from here.
    latitude_ = 30.0 + random_.Below(2000) / 100.0;
    longitude_ = -20.0 + random_.Below(4000) / 100.0;
  }

  bool Run() {
    WriteHeader();
    while (written_ < options_.size) {
      if (options_.kind == "routes") {
        AddRoute(options_.linkPoints, options_.routeEntries - options_.routeEntries / 5 +
                                          random_.Below(options_.routeEntries / 5 * 2 + 1));
      } else if (options_.kind == "tracks") {
        AddTrack(options_.trackPoints);
      } else {
        AddMixed();
      }
    }
    WriteEndRecord();
    return std::fflush(out_) == 0 && !std::ferror(out_);
  }

 private:
  void Emit(const void* data, size_t size) {
    std::fwrite(data, 1, size, out_);
    written_ += size;
  }

  void EmitRecord(char type, const Body& body) {
    Body frame;
    frame.Int32(static_cast<uint32_t>(body.Bytes().size()));
    frame.Byte(static_cast<uint8_t>(type));
    Emit(frame.Bytes().data(), frame.Bytes().size());
    Emit(body.Bytes().data(), body.Bytes().size());
  }

  // Signature, the 'D' record with the version letter, the 'A' record with the
  // creating program's release (three texts), and the creator.
  void WriteHeader() {
    Body header;
    header.Text("MsRcf");
    header.Int32(2);
    header.Byte('D');
    header.Byte(static_cast<uint8_t>(options_.version));
    header.Byte(0);
    Body release;
    release.Byte('A');
    release.Byte(0x2E);
    release.Byte(0x02);
    release.Text("MorvexGen");
    release.Text("Jan 01 2024");
    release.Text("12:00:00");
    header.Int32(static_cast<uint32_t>(release.Bytes().size() - 1));
    std::string bytes = header.Bytes() + release.Bytes();
    bytes += std::string("MapSource") + '\0';
    Emit(bytes.data(), bytes.size());
  }

  void WriteEndRecord() {
    Body end;
    end.Byte(0);
    end.Byte(1);
    EmitRecord('V', end);
  }

  Position Step(double scale) {
    latitude_ += (static_cast<double>(random_.Below(2001)) - 1000.0) * scale;
    longitude_ += (static_cast<double>(random_.Below(2001)) - 1000.0) * scale;
    if (latitude_ > 75.0 || latitude_ < -75.0) latitude_ *= 0.5;
    if (longitude_ > 175.0 || longitude_ < -175.0) longitude_ *= 0.5;
    return {Semicircles(latitude_), Semicircles(longitude_)};
  }

  std::string Name(const char* prefix, uint64_t number) const {
    char name[32];
    std::snprintf(name, sizeof name, "%s%06llu", prefix, static_cast<unsigned long long>(number));
    return name;
  }

  // Class and marker byte of a waypoint: mostly user waypoints, and
  // auto-generated via points (class 10 with marker 31, class 12 with 33)
  // for the reclassifying options to rewrite.
  void PickClass(uint32_t& waypointClass, uint8_t& marker) {
    switch (random_.Below(4)) {
      case 0:
        waypointClass = 10;
        marker = 31;
        break;
      case 1:
        waypointClass = 12;
        marker = 33;
        break;
      default:
        waypointClass = 0;
        marker = 0xFF;
        break;
    }
  }

  // Class value, country code and the 22 bytes holding the marker.
  void WaypointPrefix(Body& body, uint32_t waypointClass, uint8_t marker) {
    body.Int32(waypointClass);
    body.Text(waypointClass == 0 ? "" : "DE");
    body.Bytes(0x00, 4);
    body.Bytes(0xFF, 4);
    body.Byte(marker);
    body.Bytes(0xFF, 7);
    body.Bytes(0x00, 2);
    body.Bytes(0xFF, 4);
  }

  void AddWaypoint(const std::string& name, Position at, uint32_t waypointClass, uint8_t marker) {
    Body body;
    body.Text(name);
    WaypointPrefix(body, waypointClass, marker);
    body.Point(at.lat, at.lon);
    // The draws in a fixed order (the value, then the flag), not left to the
    // compiler's order of arguments: the files must not depend on the compiler.
    const double altitude = 100.0 + random_.Below(900);
    body.FlaggedDouble(random_.OneIn(2), altitude);
    body.Text(random_.OneIn(3) ? "generated waypoint" : "");
    body.FlaggedDouble(false, 0);
    body.Int32(0);   // display
    body.Int32(0);   // colour
    body.Int32(18);  // icon
    body.Text("");
    body.Text("");
    body.Text("");
    body.Byte(0);
    body.FlaggedDouble(false, 0);
    if (options_.version == 'm') {
      body.Text("");
      body.Bytes(0x00, 5);
      body.Text("");
      body.Int32(0);
    } else {
      body.Bytes(0x00, 7);
      body.Text("");
    }
    body.Int16(0);
    body.FlaggedDouble(false, 0);
    body.Byte(1);
    body.Int32(1700000000u + static_cast<uint32_t>(random_.Below(1000000)));
    if (options_.version == 'm') {
      body.Int32(0);
      body.Text("");
      body.Text("");
    }
    EmitRecord('W', body);
  }

  void BoundsGroups(Body& body, Position a, Position b) {
    body.Point(a.lat > b.lat ? a.lat : b.lat, a.lon > b.lon ? a.lon : b.lon);
    body.FlaggedDouble(false, 0);
    body.Point(a.lat < b.lat ? a.lat : b.lat, a.lon < b.lon ? a.lon : b.lon);
    body.FlaggedDouble(false, 0);
  }

  void VersionBytes(Body& body) {
    if (options_.version == 'k') return;
    body.Bytes(0xFF, 8);
    if (options_.version == 'm') body.Bytes(0x00, 2);
  }

  // A route of entries via points with linkPoints points on every link; the
  // waypoint records of its via points come first.
  void AddRoute(uint32_t linkPoints, uint32_t entries) {
    const uint64_t number = ++routes_;
    std::vector<std::vector<Position>> links(entries - 1);
    std::vector<Position> vias(entries);
    vias[0] = Step(0.002);
    for (uint32_t e = 0; e + 1 < entries; ++e) {
      links[e].push_back(vias[e]);
      for (uint32_t p = 1; p + 1 < linkPoints; ++p) links[e].push_back(Step(0.0002));
      vias[e + 1] = Step(0.0002);
      links[e].push_back(vias[e + 1]);
    }
    std::vector<uint32_t> classes(entries);
    std::vector<uint8_t> markers(entries);
    for (uint32_t e = 0; e < entries; ++e) {
      PickClass(classes[e], markers[e]);
      AddWaypoint(Name("V", number * 1000 + e), vias[e], classes[e], markers[e]);
    }

    Position low = vias[0];
    Position high = vias[0];
    for (const auto& link : links) {
      for (const Position& p : link) {
        low = {p.lat < low.lat ? p.lat : low.lat, p.lon < low.lon ? p.lon : low.lon};
        high = {p.lat > high.lat ? p.lat : high.lat, p.lon > high.lon ? p.lon : high.lon};
      }
    }
    Body body;
    body.Text(Name("Route ", number));
    body.Byte(0);
    body.Byte(0);
    BoundsGroups(body, high, low);
    body.Int32(entries);
    for (uint32_t e = 0; e < entries; ++e) {
      body.Text(Name("V", number * 1000 + e));
      WaypointPrefix(body, classes[e], markers[e]);
      const bool extra = random_.OneIn(8);
      body.Byte(extra ? 1 : 0);
      if (extra) body.Bytes(0x00, options_.version == 'm' ? 16 : 8);
      body.Byte(0x03);
      body.Bytes(0x00, 3);
      body.Bytes(0xFF, 4);
      body.Bytes(0x00, 10);
      if (e + 1 == entries) {
        body.Int32(0);
        body.Byte(1);
      } else {
        const auto& link = links[e];
        body.Int32(static_cast<uint32_t>(link.size()));
        Position lo = link[0];
        Position hi = link[0];
        for (const Position& p : link) {
          body.Point(p.lat, p.lon);
          const double altitude = 200.0 + random_.Below(100);
          body.FlaggedDouble(random_.OneIn(4), altitude);
          lo = {p.lat < lo.lat ? p.lat : lo.lat, p.lon < lo.lon ? p.lon : lo.lon};
          hi = {p.lat > hi.lat ? p.lat : hi.lat, p.lon > hi.lon ? p.lon : hi.lon};
        }
        body.Byte(0);
        BoundsGroups(body, hi, lo);
      }
      VersionBytes(body);
    }
    if (options_.version == 'm') {
      body.Int32(0);
      body.Int32(14);
      body.Byte(0);
      body.Text("");
    } else {
      body.Text("");
    }
    EmitRecord('R', body);
  }

  void AddTrack(uint32_t points) {
    const uint64_t number = ++tracks_;
    Body body;
    body.Text(Name("Track ", number));
    body.Byte(0);
    body.Int32(0);
    body.Int32(points);
    for (uint32_t p = 0; p < points; ++p) {
      const Position at = Step(0.0001);
      body.Point(at.lat, at.lon);
      body.FlaggedDouble(true, 300.0 + random_.Below(500));
      body.Byte(1);
      body.Int32(1700000000u + static_cast<uint32_t>(number * 100000 + p));
      body.FlaggedDouble(random_.OneIn(16), 2.0);
      body.FlaggedDouble(random_.OneIn(16), 15.0);
    }
    if (options_.version == 'm') {
      body.Int32(0);
    } else {
      body.Text("");
    }
    EmitRecord('T', body);
  }

  // A record of a type the converter does not rewrite (map sets and the like).
  void AddOtherRecord() {
    Body body;
    const uint32_t size = 16 + random_.Below(200);
    for (uint32_t i = 0; i < size; ++i) body.Byte(static_cast<uint8_t>(random_.Next()));
    EmitRecord('L', body);
  }

  void AddMixed() {
    const uint32_t pick = random_.Below(10);
    if (pick < 5) {
      uint32_t waypointClass = 0;
      uint8_t marker = 0;
      PickClass(waypointClass, marker);
      AddWaypoint(Name("WPT", ++waypoints_), Step(0.01), waypointClass, marker);
    } else if (pick < 7) {
      const uint32_t linkPoints = 3 + random_.Below(20);
      AddRoute(2 + random_.Below(30), linkPoints);
    } else if (pick < 9) {
      AddTrack(50 + random_.Below(500));
    } else {
      AddOtherRecord();
    }
  }

  const Options& options_;
  std::FILE* out_;
  Random random_;
  double latitude_;
  double longitude_;
  uint64_t written_ = 0;
  uint64_t routes_ = 0;
  uint64_t tracks_ = 0;
  uint64_t waypoints_ = 0;
};

}  // namespace

bool GenerateGdb(const GeneratorOptions& options, std::FILE* out) {
  Generator generator(options, out);
  return generator.Run();
}
