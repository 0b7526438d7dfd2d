// The fewest vias for a distance, and the smallest distance for a number of
// vias.
//
// A route from candidate a to candidate b may skip the track points between
// them when each lies within the distance of the segment a-b. Which segments
// may do so is found by a sweep from a along the track: seen from a, in the
// plane that touches the sphere at a, each point p farther than the
// distance allows only the directions that pass within the distance of p, a
// wedge. A segment whose direction lies outside the wedge of some point
// between its ends cannot keep that point, and once no direction is left no
// later candidate can be reached. Nor can a candidate nearer to a than a
// point between lies, less the distance. These tests only rule segments
// out: one that passes them is measured point by point
// (ViaSearch::SpanKeyUpTo) before a route uses it, so the distances are the
// summary's to the bit.
//
// The fewest vias are counted from the last candidate backwards, layer by
// layer (HopCount); the route is then walked from the first candidate,
// taking at each hop the earliest candidate one hop nearer the end whose
// segment measures within the distance.
//
// This file is built without contracting a * b + c into one fused step (see
// CMakeLists.txt): the results must not depend on the machine.
#include "via_search.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr uint32_t kUnreachable = UINT32_MAX;
// The wedge is drawn a little wider than the distance, so that rounding can
// never rule out a segment that measures within it. Measured distances from
// a segment are accurate to about 2e-16 divided by the sine of its length;
// candidates nearer than kNearCandidate (a sine, about 32 m) are never ruled
// out, and beyond it kWedgeMargin covers that error many times over.
constexpr double kNearCandidate = 5e-6;
constexpr double kWedgeMargin = 1e-10;
constexpr double kWedgeGrowth = 1 + 1e-9;

// The plane that touches the unit sphere at a point: east and north are unit
// vectors square to it and to each other.
struct TangentPlane {
  Vector origin, east, north;

  explicit TangentPlane(const Vector& p) : origin(p) {
    // Any direction square to p will do; this one is never near zero.
    const Vector side = std::fabs(p.z) < 0.9 ? Vector{-p.y, p.x, 0} : Vector{0, -p.z, p.y};
    const double inverse = 1 / std::sqrt(Dot(side, side));
    east = {side.x * inverse, side.y * inverse, side.z * inverse};
    north = Cross(p, east);
  }
};

// The directions in the tangent plane, from the clockwise edge (rx, ry) to
// the counterclockwise edge (lx, ly), unit vectors less than a half turn
// apart; open until a point narrows it.
struct Wedge {
  double rx = 0, ry = 0, lx = 0, ly = 0;
  bool open = true;

  static bool Between(double x, double y, double ax, double ay, double bx, double by) {
    return ax * y - ay * x >= 0 && x * by - y * bx >= 0;
  }

  bool Holds(double x, double y) const { return open || Between(x, y, rx, ry, lx, ly); }

  // Keeps the directions that pass within radius of the point (x, y), at
  // squared distance s > radius^2 from the origin. False when none is left.
  bool Narrow(double x, double y, double s, double radius, double radiusSquared) {
    // The point's direction turned either way by the angle whose sine is
    // radius / |p|.
    const double c = std::sqrt(s - radiusSquared), inverse = 1 / s;
    const double nrx = (c * x + radius * y) * inverse, nry = (c * y - radius * x) * inverse;
    const double nlx = (c * x - radius * y) * inverse, nly = (c * y + radius * x) * inverse;
    if (open) {
      rx = nrx, ry = nry, lx = nlx, ly = nly;
      open = false;
      return true;
    }
    // Each edge of the common part is an edge of one wedge inside the other.
    double newRx, newRy, newLx, newLy;
    if (Between(nrx, nry, rx, ry, lx, ly)) {
      newRx = nrx, newRy = nry;
    } else if (Between(rx, ry, nrx, nry, nlx, nly)) {
      newRx = rx, newRy = ry;
    } else {
      return false;
    }
    if (Between(nlx, nly, rx, ry, lx, ly)) {
      newLx = nlx, newLy = nly;
    } else if (Between(lx, ly, nrx, nry, nlx, nly)) {
      newLx = lx, newLy = ly;
    } else {
      return false;
    }
    rx = newRx, ry = newRy, lx = newLx, ly = newLy;
    return true;
  }
};

struct Radius {
  double radius, squared;

  explicit Radius(DistanceKey limit) {
    radius = std::sqrt(limit > 0 ? limit : 0) * kWedgeGrowth + kWedgeMargin;
    squared = radius * radius;
  }
};

// Whether a segment from the origin to a point at s (the square of the
// sine of its angle from the origin) can keep a point at farthest: no point
// of the segment lies farther from the origin than its end, so the point
// must lie within the distance of that.
bool Reaches(double s, double farthest, const Radius& within) {
  if (s >= farthest) return true;
  return s + 2 * within.radius * std::sqrt(s) + within.squared >= farthest;
}

enum class Along { kForward, kBackward };

// Calls visit(c) for each candidate c after the one at point `from` (before
// it, kBackward) whose segment from it passes the wedges of the points
// between, in the order met, until visit returns true or no direction is
// left. kByPoint: c is the candidate's point index, not its place.
template <Along kAlong = Along::kForward, bool kByPoint = false, class Visit>
void Sweep(ViaSearch& search, uint32_t from, const Radius& within, Visit&& visit) {
  const auto& t = search.t;
  const TangentPlane plane(search.At(from));
  Wedge wedge;
  // The largest s of the points so far less than a right angle away.
  double farthest = 0;
  const uint32_t steps = kAlong == Along::kForward ? search.pointCount - 1 - from : from;
  uint32_t step = 1;
  for (; step <= steps; ++step) {
    const uint32_t k = kAlong == Along::kForward ? from + step : from - step;
    const Vector p = search.At(k);
    const double x = Dot(p, plane.east), y = Dot(p, plane.north);
    const double s = x * x + y * y;
    const bool near = Dot(p, plane.origin) > 0;
    const uint32_t candidate = kByPoint && t.candidateOf[k] != kNoCandidate ? k : t.candidateOf[k];
    if (candidate != kNoCandidate &&
        (s < kNearCandidate * kNearCandidate ||
         (wedge.Holds(x, y) && (!near || Reaches(s, farthest, within)))) &&
        visit(candidate)) {
      ++step;
      break;
    }
    if (!near) continue;
    if (s > farthest) farthest = s;
    // Only points less than a right angle away narrow the wedge: for them,
    // a segment in a direction outside it is farther from them than the
    // distance, beside the segment or beyond either end.
    if (s > within.squared && !wedge.Narrow(x, y, s, within.radius, within.squared)) {
      ++step;
      break;
    }
  }
  search.work += step - 1;
}

// The fewest hops from the candidates to the last, layer by layer from the
// last (a breadth-first search). A sweep back from each candidate of a
// layer gives the candidates it reaches a count one more, without measuring
// the segment; a candidate's count is settled when it is taken up in turn
// (or asked for): its segment to the candidate that counted it is measured,
// else those to every settled candidate of the layer before. When none
// measures within the limit, its count goes up by one and it waits for the
// next layer. Counts are never below the true ones, and settled counts are
// the true ones; so only the segments of the candidates taken up are
// measured, not those of all the candidates a sweep passes.
struct HopCount {
  ViaSearch& search;
  const Radius& within;
  DistanceKey limit;

  bool Measures(uint32_t from, uint32_t to) {
    const auto& t = search.t;
    return search.SpanKeyUpTo(t.candidates[from], t.candidates[to], limit) <= limit;
  }

  // Settles c's count when the layer before it has been taken up whole.
  bool Settle(uint32_t c) {
    auto& t = search.t;
    if (t.settled[c]) return true;
    const uint32_t hops = t.toEnd[c];
    bool measured = t.counter[c] != kUnreachable && Measures(c, t.counter[c]);
    for (uint32_t i = t.layerStart[hops - 1];
         !measured && i < t.layerStart[hops] && search.work <= search.workLimit; ++i) {
      const uint32_t next = t.queue[i];
      if (next <= c || t.toEnd[next] != hops - 1 || !t.settled[next]) continue;
      if (Measures(c, next)) t.counter[c] = next, measured = true;
    }
    t.settled[c] = measured;
    return measured;
  }

  // Moves the layers before the one before hops out of t.queue once they
  // fill a candidate count: a candidate is queued at most once per layer,
  // so the queue never holds more than four times the candidates.
  void ForgetOldLayers(uint32_t hops, uint32_t& tail) {
    auto& t = search.t;
    const uint32_t old = t.layerStart[hops - 1];
    if (old < search.candidateCount) return;
    std::copy(t.queue + old, t.queue + tail, t.queue);
    tail -= old;
    for (uint32_t layer = hops - 1; layer <= hops + 1; ++layer) t.layerStart[layer] -= old;
  }

  // Counts until the first candidate's count is settled, or mostHops layers
  // are done: every candidate of fewer hops is then counted.
  void Count(uint32_t mostHops) {
    auto& t = search.t;
    const uint32_t last = search.candidateCount - 1;
    for (uint32_t c = 0; c <= last; ++c) t.toEnd[c] = kUnreachable, t.settled[c] = 0;
    t.toEnd[last] = 0;
    t.settled[last] = 1;
    uint32_t tail = 0;
    t.queue[tail++] = last;
    t.layerStart[0] = 0;
    for (uint32_t hops = 0; hops < mostHops; ++hops) {
      if (hops > 0) ForgetOldLayers(hops, tail);
      const uint32_t layerEnd = tail;
      t.layerStart[hops + 1] = layerEnd;
      // The candidates nearest the first go first: they reach it soonest.
      std::sort(t.queue + t.layerStart[hops], t.queue + layerEnd);
      for (uint32_t head = t.layerStart[hops]; head < layerEnd; ++head) {
        const uint32_t end = t.queue[head];
        if (t.toEnd[end] != hops) continue;  // counted again since
        if (!Settle(end)) {
          t.toEnd[end] = hops + 1;
          t.counter[end] = kUnreachable;
          t.queue[tail++] = end;
          continue;
        }
        Sweep<Along::kBackward>(search, t.candidates[end], within, [&](uint32_t c) {
          if (t.toEnd[c] != kUnreachable) return false;
          t.toEnd[c] = hops + 1;
          t.counter[c] = end;
          t.queue[tail++] = c;
          return c == 0 && Measures(0, end) && (t.settled[0] = 1);
        });
        if (t.settled[0] || search.work > search.workLimit) return;
      }
      if (t.toEnd[0] == hops + 1) {
        if (Settle(0)) return;
        t.toEnd[0] = hops + 2;
        t.counter[0] = kUnreachable;
      }
      if (tail == layerEnd) return;  // nothing more is reached
    }
  }

  // The route of t.toEnd[0] hops from the first candidate, each hop to the
  // earliest candidate one hop nearer the end whose segment measures within
  // the limit. Returns the via count, 0 when the walk finds no way on.
  uint32_t WalkEarliestRoute(uint32_t* vias, DistanceKey& key) {
    auto& t = search.t;
    const uint32_t last = search.candidateCount - 1;
    uint32_t at = 0, count = 0;
    vias[count++] = t.candidates[0];
    key = 0;
    while (at != last) {
      const uint32_t wanted = t.toEnd[at] - 1;
      uint32_t next = kUnreachable;
      Sweep(search, t.candidates[at], within, [&](uint32_t candidate) {
        if (t.toEnd[candidate] != wanted || !Settle(candidate)) return false;
        const DistanceKey span =
            search.SpanKeyUpTo(t.candidates[at], t.candidates[candidate], limit);
        if (span > limit) return false;
        next = candidate;
        if (span > key) key = span;
        return true;
      });
      if (next == kUnreachable) return 0;
      at = next;
      vias[count++] = t.candidates[at];
    }
    return count;
  }
};

}  // namespace

ViaSearchResult FewestVias(ViaSearch& search, DistanceKey limit, uint32_t maxVias, uint32_t* vias,
                           uint32_t& viaCount, DistanceKey& key) {
  const Radius within(limit);
  HopCount count{search, within, limit};
  count.Count(maxVias - 1);
  if (search.work > search.workLimit) return ViaSearchResult::kOutOfWork;
  const uint32_t hops = search.t.toEnd[0];
  if (!search.t.settled[0] || hops + 1 > maxVias) return ViaSearchResult::kTooMany;
  viaCount = count.WalkEarliestRoute(vias, key);
  return viaCount == hops + 1 ? ViaSearchResult::kFound : ViaSearchResult::kTooMany;
}

uint32_t FarthestHopsRoute(ViaSearch& search, DistanceKey limit, uint32_t* vias) {
  const Radius within(limit);
  auto& t = search.t;
  uint32_t count = 0;
  vias[count++] = 0;
  for (uint32_t at = 0; at + 1 < search.pointCount;) {
    if (search.work > search.workLimit) {
      vias[count++] = search.pointCount - 1;
      break;
    }
    uint32_t reached = 0;
    Sweep<Along::kForward, true>(search, at, within, [&](uint32_t point) {
      t.reached[reached++] = point;
      return false;
    });
    // The farthest candidate reached whose segment measures within limit;
    // when none does, the next candidate, the route passing the limit there.
    uint32_t next = kUnreachable;
    while (reached > 0) {
      const uint32_t point = t.reached[--reached];
      if (search.SpanKeyUpTo(at, point, limit) <= limit) {
        next = point;
        break;
      }
    }
    if (next == kUnreachable) {
      next = at + 1;
      while (t.candidateOf[next] == kNoCandidate) ++next;
    }
    vias[count++] = at = next;
  }
  return count;
}

namespace {

// Once the smallest key that failed and the largest that held lie within
// this factor, only the key just below the best route's is tried.
constexpr double kCloseKeys = 1 + 1.0 / 1024;

// The next limit to try, strictly between the largest that failed (below,
// negative when none did) and the key of the best route so far.
DistanceKey NextLimit(DistanceKey failed, DistanceKey best) {
  const DistanceKey justBelow = std::nextafter(best, 0.0);
  DistanceKey limit;
  if (failed <= 0) {
    limit = best * 0.25;  // half the distance
  } else if (best > failed * kCloseKeys) {
    limit = std::sqrt(failed * best);
  } else {
    limit = justBelow;
  }
  return limit > failed && limit < best ? limit : justBelow;
}

}  // namespace

void SmallestDistance(ViaSearch& search, uint32_t maxVias, uint32_t* vias, uint32_t& viaCount,
                      DistanceKey& key) {
  auto& t = search.t;
  DistanceKey failed = -1;
  bool earliest = false;  // the route in vias is the earliest of the fewest at key
  while (key > 0 && failed < std::nextafter(key, 0.0)) {
    const DistanceKey limit = NextLimit(failed, key);
    uint32_t trialCount = 0;
    DistanceKey trialKey = 0;
    const ViaSearchResult result =
        FewestVias(search, limit, maxVias, t.trialVias, trialCount, trialKey);
    if (result == ViaSearchResult::kOutOfWork) return;
    if (result == ViaSearchResult::kTooMany) {
      failed = limit;
      continue;
    }
    for (uint32_t i = 0; i < trialCount; ++i) vias[i] = t.trialVias[i];
    viaCount = trialCount;
    key = trialKey;
    earliest = true;
  }
  // The route found at a larger limit is the earliest of the fewest at its
  // own key too; one handed in is made so.
  uint32_t trialCount = 0;
  DistanceKey trialKey = 0;
  if (earliest || FewestVias(search, key, maxVias, t.trialVias, trialCount, trialKey) !=
                      ViaSearchResult::kFound)
    return;
  for (uint32_t i = 0; i < trialCount; ++i) vias[i] = t.trialVias[i];
  viaCount = trialCount;
  key = trialKey;
}
