// The via choice of one route per track: the distance on the sphere, the
// exact search against trying every choice, and the longer tracks against a
// plain choice that adds the farthest point one at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "conversion_state.h"
#include "engine_harness.h"
#include "one_route.h"

namespace enginetest {
namespace {

struct Degrees {
  double lat, lon;
};

int32_t Semicircles(double degrees) {
  return static_cast<int32_t>(std::llround(degrees * 2147483648.0 / 180.0));
}

DistanceKey Key(const Degrees& p, const Degrees& a, const Degrees& b) {
  return SegmentDistanceKey(Semicircles(p.lat), Semicircles(p.lon), Semicircles(a.lat),
                            Semicircles(a.lon), Semicircles(b.lat), Semicircles(b.lon));
}

double Haversine(const Degrees& a, const Degrees& b) {
  const double rad = std::numbers::pi / 180;
  const double s1 = std::sin((b.lat - a.lat) * rad / 2), s2 = std::sin((b.lon - a.lon) * rad / 2);
  const double h = s1 * s1 + std::cos(a.lat * rad) * std::cos(b.lat * rad) * s2 * s2;
  return 2 * kEarthRadiusMetres * std::asin(std::sqrt(h));
}

TEST(OneRouteDistanceTest, OnTheSphere) {
  struct DistanceCase {
    const char* name;
    Degrees p, a, b;
    double metres;
  };
  const DistanceCase cases[] = {
      {"beside the arc", {0.001, 0.005}, {0, 0}, {0, 0.01}, 111.1951},
      {"beyond its end", {0, 0.02}, {0, 0}, {0, 0.01}, 1111.951},
      {"before its start", {0.003, -0.004}, {0, 0}, {0, 0.01}, 555.9755},
      {"ends that coincide", {0.001, 0}, {5, 5}, {5, 5}, Haversine({0.001, 0}, {5, 5})},
      {"across the date line", {10.001, -180}, {10, 179.99}, {10, -179.99}, 111.18},
      {"far south, large longitudes", {-60, -120}, {-60, -120}, {-60, -120}, 0},
      {"a quarter of the globe",
       {0, 90},
       {0, 0},
       {0, 0},
       kEarthRadiusMetres * std::numbers::pi / 2},
      {"the far side", {-45, 170}, {30, -20}, {30, -20}, Haversine({-45, 170}, {30, -20})},
  };
  for (const DistanceCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(KeyToMetres(Key(c.p, c.a, c.b)), c.metres, 1e-6 * c.metres + 0.01);
  }
}

using Track = std::vector<Degrees>;

struct Choice {
  std::vector<uint32_t> vias;
  DistanceKey key = 0;
};

class OneRouteTest : public EngineTest {
 protected:
  Choice Choose(const Track& track, uint32_t maxVias) {
    Start({.maxViasPerRoute = maxVias, .oneRoute = true});
    for (const Degrees& p : track) AppendPoint(state, Semicircles(p.lat), Semicircles(p.lon));
    Choice choice;
    choice.vias.resize(maxVias > state.pointCount ? maxVias : state.pointCount);
    choice.vias.resize(ChooseOneRouteVias(state, maxVias, choice.vias.data(), choice.key));
    return choice;
  }
};

// The largest key of a dropped point from the segment that spans it.
DistanceKey RouteKey(const Track& track, const std::vector<uint32_t>& vias) {
  DistanceKey worst = 0;
  for (size_t v = 0; v + 1 < vias.size(); ++v) {
    for (uint32_t i = vias[v] + 1; i < vias[v + 1]; ++i) {
      worst = std::max(worst, Key(track[i], track[vias[v]], track[vias[v + 1]]));
    }
  }
  return worst;
}

// Adds the farthest point of all, one at a time.
DistanceKey TopDownKey(const Track& track, uint32_t maxVias) {
  std::vector<uint32_t> vias = {0, static_cast<uint32_t>(track.size() - 1)};
  while (vias.size() < maxVias) {
    DistanceKey worst = 0;
    size_t at = 0, segment = 0;
    for (size_t v = 0; v + 1 < vias.size(); ++v) {
      for (uint32_t i = vias[v] + 1; i < vias[v + 1]; ++i) {
        const DistanceKey key = Key(track[i], track[vias[v]], track[vias[v + 1]]);
        if (key > worst) worst = key, at = i, segment = v;
      }
    }
    if (at == 0) break;
    vias.insert(vias.begin() + static_cast<long>(segment) + 1, static_cast<uint32_t>(at));
  }
  return RouteKey(track, vias);
}

// A walk of steps of about 50 to 500 m in changing directions.
Track RandomWalk(std::mt19937& random, size_t count) {
  std::uniform_real_distribution<double> turn(-1.2, 1.2), step(0.0005, 0.005);
  Track track = {{47.1, 8.3}};
  double heading = 0;
  while (track.size() < count) {
    heading += turn(random);
    const double s = step(random);
    track.push_back(
        {track.back().lat + s * std::cos(heading), track.back().lon + s * std::sin(heading)});
  }
  return track;
}

// Every kept via is a track point in track order, from the first to the
// last, and the reported distance is that of the farthest dropped point.
void ExpectSound(const Track& track, uint32_t maxVias, const Choice& choice) {
  ASSERT_FALSE(choice.vias.empty());
  EXPECT_LE(choice.vias.size(), std::max<size_t>(maxVias, 1));
  EXPECT_EQ(choice.vias.front(), 0u);
  EXPECT_EQ(choice.vias.back(), track.size() - 1);
  for (size_t v = 0; v + 1 < choice.vias.size(); ++v) EXPECT_LT(choice.vias[v], choice.vias[v + 1]);
  EXPECT_EQ(RouteKey(track, choice.vias), choice.key);
}

TEST_F(OneRouteTest, ExactSearchFindsTheBestOfEveryChoice) {
  std::mt19937 random(7);
  for (int round = 0; round < 60; ++round) {
    const size_t count = 6 + round % 9;
    const uint32_t maxVias = 2 + static_cast<uint32_t>(round % 4);
    const Track track = RandomWalk(random, count);
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << count << " points");
    DistanceKey best = 1e300;
    const uint32_t interior = static_cast<uint32_t>(count - 2);
    for (uint32_t mask = 0; mask < (1u << interior); ++mask) {
      if (static_cast<uint32_t>(__builtin_popcount(mask)) + 2 > maxVias) continue;
      std::vector<uint32_t> vias = {0};
      for (uint32_t i = 0; i < interior; ++i) {
        if (mask & (1u << i)) vias.push_back(i + 1);
      }
      vias.push_back(static_cast<uint32_t>(count - 1));
      best = std::min(best, RouteKey(track, vias));
    }
    const Choice choice = Choose(track, maxVias);
    ExpectSound(track, maxVias, choice);
    EXPECT_EQ(choice.key, best);
  }
}

Track Shape(const char* kind, size_t count) {
  Track track;
  for (size_t i = 0; i < count; ++i) {
    const double f = static_cast<double>(i) / static_cast<double>(count - (count > 1));
    const std::string name = kind;
    if (name == "straight") track.push_back({52 + f * 0.001, 4 + f * 0.002});
    // Within 0.3 m of a line.
    if (name == "noisy line")
      track.push_back({52 + f * 0.001 + 2.7e-6 * std::sin(i * 12.9898), 4 + f * 0.002});
    if (name == "zig-zag") track.push_back({52 + (i % 10 < 5 ? i % 5 : 5 - i % 5) * 1e-4, 4 + f});
    if (name == "closed loop")
      track.push_back({52 + 0.01 * std::sin(2 * std::numbers::pi * f),
                       4 + 0.015 * std::cos(2 * std::numbers::pi * f)});
    if (name == "back and forth")
      track.push_back({52 + (f < 0.5 ? 0 : 1e-4), 4 + 0.02 * (f < 0.5 ? 2 * f : 2 - 2 * f)});
    if (name == "sine over the prime meridian")
      track.push_back({51.4 + 0.05 * std::sin(12 * std::numbers::pi * f), -0.3 + 0.6 * f});
  }
  return track;
}

TEST_F(OneRouteTest, Shapes) {
  struct ShapeCase {
    const char* kind;
    size_t points;
    uint32_t maxVias;
    size_t vias;        // expected via count; 0: up to maxVias
    double mostMetres;  // the farthest point lies within
  };
  const ShapeCase cases[] = {
      {"straight", 500, 25, 2, 1},
      {"straight", 1, 25, 1, 0},
      {"straight", 2, 25, 2, 0},
      // Vias stop once every point lies within 1 m, on tracks of more than
      // maxVias points only.
      {"noisy line", 300, 100, 2, 1},
      {"noisy line", 150, 25, 2, 1},
      {"noisy line", 60, 100, 60, 0},
      {"zig-zag", 1000, 1000, 1000, 0},
      {"zig-zag", 150, 25, 0, 60},
      {"zig-zag", 3000, 1000, 0, 60},
      {"closed loop", 400, 25, 25, 16},
      {"closed loop", 160, 25, 25, 16},
      {"back and forth", 600, 25, 0, 12},
      {"back and forth", 120, 25, 0, 12},
      {"sine over the prime meridian", 10000, 250, 250, 40},
      {"sine over the prime meridian", 5000, 25, 25, 2000},
  };
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << ", " << c.points << " points, " << c.maxVias);
    const Track track = Shape(c.kind, c.points);
    const Choice choice = Choose(track, c.maxVias);
    ExpectSound(track, c.maxVias, choice);
    if (c.vias != 0) {
      EXPECT_EQ(choice.vias.size(), c.vias);
    }
    EXPECT_LE(KeyToMetres(choice.key), c.mostMetres);
    // Within 1 m fewer vias do; beyond it no plain choice does better.
    if (KeyToMetres(choice.key) > 1) {
      EXPECT_LE(choice.key, TopDownKey(track, c.maxVias));
    }
  }
  // Out and back: the turn is a via.
  const Track track = Shape("back and forth", 600);
  const Choice choice = Choose(track, 25);
  EXPECT_TRUE(std::find(choice.vias.begin(), choice.vias.end(), 299u) != choice.vias.end() ||
              std::find(choice.vias.begin(), choice.vias.end(), 300u) != choice.vias.end());
}

TEST_F(OneRouteTest, RandomTracksKeepTheirPromise) {
  std::mt19937 random(11);
  std::uniform_int_distribution<size_t> length(3, 1200);
  std::uniform_int_distribution<uint32_t> vias(25, 80);
  for (int round = 0; round < 30; ++round) {
    const Track track = RandomWalk(random, length(random));
    const uint32_t maxVias = vias(random);
    SCOPED_TRACE(testing::Message()
                 << "round " << round << ", " << track.size() << " points, " << maxVias << " vias");
    const Choice choice = Choose(track, maxVias);
    ExpectSound(track, maxVias, choice);
    if (KeyToMetres(choice.key) > 1) {
      EXPECT_LE(choice.key, TopDownKey(track, maxVias));
    }
  }
}

}  // namespace
}  // namespace enginetest
