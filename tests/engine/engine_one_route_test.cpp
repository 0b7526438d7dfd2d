// The via choice of one route per track: the distance on the sphere; the
// exact search against every choice of a short track and against a plain
// solver over the table of every span's key; a larger via maximum never
// farther; the 1 m stop; and longer tracks against a plain choice that adds
// the farthest point one at a time and against the exact search.
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
using Vias = std::vector<uint32_t>;

struct Choice {
  Vias vias;
  DistanceKey key = 0;
};

// 1 m as a key, as the choice stops at it.
const DistanceKey kMetreKey = std::pow(std::sin(1 / kEarthRadiusMetres), 2);

class OneRouteTest : public EngineTest {
 protected:
  Choice Choose(const Track& track, uint32_t maxVias,
                OneRouteSearch search = OneRouteSearch::kBounded) {
    Start({.maxViasPerRoute = maxVias, .oneRoute = true});
    for (const Degrees& p : track) AppendPoint(state, Semicircles(p.lat), Semicircles(p.lon));
    Choice choice;
    choice.vias.resize(std::max<size_t>(maxVias, state.pointCount));
    choice.vias.resize(ChooseOneRouteVias(state, maxVias, choice.vias.data(), choice.key, search));
    return choice;
  }
};

// The largest key of a dropped point from the segment that spans it.
DistanceKey RouteKey(const Track& track, const Vias& vias) {
  DistanceKey worst = 0;
  for (size_t v = 0; v + 1 < vias.size(); ++v) {
    for (uint32_t i = vias[v] + 1; i < vias[v + 1]; ++i) {
      worst = std::max(worst, Key(track[i], track[vias[v]], track[vias[v + 1]]));
    }
  }
  return worst;
}

// Whether a route is better than another as the choice ranks them: within
// 1 m, fewer vias first; else the nearer first; then fewer vias, then the
// earlier vias.
bool Better(const Choice& a, const Choice& b) {
  const bool aWithin = a.key <= kMetreKey, bWithin = b.key <= kMetreKey;
  if (aWithin != bWithin) return aWithin;
  if (aWithin && a.vias.size() != b.vias.size()) return a.vias.size() < b.vias.size();
  if (a.key != b.key) return a.key < b.key;
  if (a.vias.size() != b.vias.size()) return a.vias.size() < b.vias.size();
  return a.vias < b.vias;
}

// The best of every choice of vias.
Choice EveryChoice(const Track& track, uint32_t maxVias) {
  const auto count = static_cast<uint32_t>(track.size());
  Choice best{{}, 1e300};
  for (uint32_t mask = 0; mask < (1u << (count - 2)); ++mask) {
    if (static_cast<uint32_t>(__builtin_popcount(mask)) + 2 > maxVias) continue;
    Choice choice{{0}, 0};
    for (uint32_t i = 0; i + 2 < count; ++i) {
      if (mask & (1u << i)) choice.vias.push_back(i + 1);
    }
    choice.vias.push_back(count - 1);
    choice.key = RouteKey(track, choice.vias);
    if (best.vias.empty() || Better(choice, best)) best = choice;
  }
  return best;
}

// The exact choice from the table of every span's key: the fewest vias for
// a key by counting hops back from the last point, the smallest key for a
// number of vias by a binary search over the keys of the table.
class TableSolver {
 public:
  explicit TableSolver(const Track& track) : count_(track.size()), span_(count_ * count_, 0) {
    for (size_t i = 0; i < count_; ++i) {
      for (size_t j = i + 2; j < count_; ++j) {
        DistanceKey worst = 0;
        for (size_t k = i + 1; k < j; ++k)
          worst = std::max(worst, Key(track[k], track[i], track[j]));
        span_[i * count_ + j] = worst;
        keys_.push_back(worst);
      }
    }
    keys_.push_back(0);
    std::sort(keys_.begin(), keys_.end());
  }

  Choice Choose(uint32_t maxVias) const {
    Vias route = EarliestFewest(kMetreKey);
    uint32_t budget = maxVias;
    if (route.size() <= maxVias) budget = static_cast<uint32_t>(route.size());
    size_t low = 0, high = keys_.size() - 1;  // the key at high holds
    while (low < high) {
      const size_t middle = (low + high) / 2;
      if (EarliestFewest(keys_[middle]).size() <= budget) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    route = EarliestFewest(keys_[high]);
    return {route, MaxSpan(route)};
  }

 private:
  DistanceKey Span(size_t i, size_t j) const { return span_[i * count_ + j]; }

  DistanceKey MaxSpan(const Vias& route) const {
    DistanceKey worst = 0;
    for (size_t v = 0; v + 1 < route.size(); ++v)
      worst = std::max(worst, Span(route[v], route[v + 1]));
    return worst;
  }

  // The earliest route of the fewest vias whose spans are all within limit.
  Vias EarliestFewest(DistanceKey limit) const {
    std::vector<size_t> toEnd(count_, SIZE_MAX);
    toEnd[count_ - 1] = 0;
    for (size_t i = count_ - 1; i-- > 0;) {
      for (size_t j = i + 1; j < count_; ++j) {
        if (toEnd[j] != SIZE_MAX && Span(i, j) <= limit)
          toEnd[i] = std::min(toEnd[i], toEnd[j] + 1);
      }
    }
    Vias route = {0};
    for (size_t at = 0; at + 1 < count_;) {
      size_t next = at + 1;
      while (toEnd[next] + 1 != toEnd[at] || Span(at, next) > limit) ++next;
      route.push_back(static_cast<uint32_t>(at = next));
    }
    return route;
  }

  size_t count_;
  std::vector<DistanceKey> span_;
  std::vector<DistanceKey> keys_;
};

// A walk of steps of scale to 10 times scale degrees in changing directions.
Track RandomWalk(std::mt19937& random, size_t count, double scale = 0.0005) {
  std::uniform_real_distribution<double> turn(-1.2, 1.2), step(scale, 10 * scale);
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
  for (int round = 0; round < 80; ++round) {
    const size_t count = 6 + round % 9;
    const uint32_t maxVias = 2 + static_cast<uint32_t>(round % 4);
    // Every other track of steps of 0.2 to 2 m, where the 1 m stop counts.
    const Track track = RandomWalk(random, count, round % 2 ? 0.0005 : 0.000002);
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << count << " points");
    const Choice choice = Choose(track, maxVias);
    ExpectSound(track, maxVias, choice);
    const Choice best = EveryChoice(track, maxVias);
    EXPECT_EQ(choice.vias, best.vias);
    EXPECT_EQ(choice.key, best.key);
  }
}

TEST_F(OneRouteTest, ExactSearchMatchesTheTableOfEverySpan) {
  std::mt19937 random(3);
  std::uniform_int_distribution<size_t> length(20, 220);
  std::uniform_int_distribution<uint32_t> vias(2, 40);
  const double scales[] = {0.0005, 0.00002, 0.000002};
  for (int round = 0; round < 18; ++round) {
    const Track track = RandomWalk(random, length(random), scales[round % 3]);
    const uint32_t maxVias = vias(random);
    SCOPED_TRACE(testing::Message()
                 << "round " << round << ", " << track.size() << " points, " << maxVias << " vias");
    const Choice choice = Choose(track, maxVias);
    const Choice expected = track.size() <= maxVias ? Choice{} : TableSolver(track).Choose(maxVias);
    ExpectSound(track, maxVias, choice);
    if (track.size() > maxVias) {
      EXPECT_EQ(choice.vias, expected.vias);
      EXPECT_EQ(choice.key, expected.key);
    }
  }
}

// A larger via maximum never gives a farther route, on short tracks (exact)
// and on long ones.
TEST_F(OneRouteTest, MoreViasNeverFarther) {
  std::mt19937 random(5);
  struct TrackCase {
    size_t points;
    double scale;
  };
  const TrackCase cases[] = {{300, 0.0005}, {1200, 0.00002}, {2500, 0.0005}, {4000, 0.00003}};
  for (const TrackCase& c : cases) {
    const Track track = RandomWalk(random, c.points, c.scale);
    DistanceKey previous = 1e300;
    for (uint32_t maxVias = 2; maxVias <= 300; maxVias += maxVias < 40 ? 1 : 37) {
      SCOPED_TRACE(testing::Message() << c.points << " points, " << maxVias << " vias");
      const Choice choice = Choose(track, maxVias);
      EXPECT_LE(choice.key, previous);
      previous = choice.key;
    }
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

// Adds the farthest point of all, one at a time.
DistanceKey TopDownKey(const Track& track, uint32_t maxVias) {
  Vias vias = {0, static_cast<uint32_t>(track.size() - 1)};
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
      {"noisy line", 3000, 100, 2, 1},
      {"zig-zag", 1000, 1000, 1000, 0},
      {"zig-zag", 150, 25, 0, 60},
      {"zig-zag", 3000, 1000, 0, 60},
      {"closed loop", 400, 25, 25, 16},
      {"closed loop", 160, 25, 25, 16},
      // The loop of 2000 points keeps within 1 m with fewer than 250 vias.
      {"closed loop", 2000, 250, 0, 1},
      {"back and forth", 600, 25, 0, 12},
      {"back and forth", 120, 25, 0, 12},
      {"sine over the prime meridian", 10000, 250, 0, 40},
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

// Beyond kExactSearchPoints, the choice comes near the exact search's.
TEST_F(OneRouteTest, LongTracksComeNearTheBest) {
  std::mt19937 random(11);
  for (const uint32_t maxVias : {25u, 100u}) {
    const Track track = RandomWalk(random, 2500);
    SCOPED_TRACE(testing::Message() << maxVias << " vias");
    const Choice choice = Choose(track, maxVias);
    const Choice best = Choose(track, maxVias, OneRouteSearch::kExact);
    ExpectSound(track, maxVias, choice);
    ExpectSound(track, maxVias, best);
    EXPECT_LE(best.key, choice.key);
    EXPECT_LE(KeyToMetres(choice.key), 1.15 * KeyToMetres(best.key));
    EXPECT_LE(choice.key, TopDownKey(track, maxVias));
  }
}

}  // namespace
}  // namespace enginetest
