// GPX files for the peer check: written to feed gpsbabel, and read back from
// what gpsbabel writes. Only what the check compares is kept: waypoints,
// routes and tracks, their names and the coordinates of their points. The
// segments of a track are read as one run of points.
#pragma once

#include <string>
#include <vector>

namespace runtest {

struct GpxPoint {
  double lat = 0;
  double lon = 0;
  std::string name;  // UTF-8; empty for track points
};

struct GpxPath {
  std::string name;
  std::vector<GpxPoint> points;
};

struct GpxData {
  std::vector<GpxPoint> waypoints;
  std::vector<GpxPath> routes;
  std::vector<GpxPath> tracks;

  size_t RoutePoints() const;
  size_t TrackPoints() const;
  const GpxPath* Route(const std::string& name) const;
  const GpxPath* Track(const std::string& name) const;
};

std::string WriteGpx(const GpxData& data);

// Reads a GPX document; false with a reason when it is not one this reader follows.
bool ReadGpx(const std::string& xml, GpxData& data, std::string& error);

// The points with every point equal to the one before it dropped.
std::vector<GpxPoint> WithoutRepeats(const std::vector<GpxPoint>& points);

// A GDB coordinate: 32-bit "semicircles", degrees * 2^31 / 180, rounded.
int Semicircles(double degrees);

}  // namespace runtest
