// The via choice of one route per track.
//
// A dropped track point is measured from the route segment between the two
// vias around it: its distance from the great-circle arc, or from the nearer
// end when it lies beyond the arc. Distances are compared as the square of
// the sine of their angle (2 less that for angles beyond a right angle), which
// grows with the angle and needs no square root.
//
// Up to kExactSearchPoints points the choice is exact, every point a
// candidate: the smallest distance for the via maximum is searched for with
// the fewest vias for a distance (via_search.cpp), from the route of the
// points added farthest first. Longer tracks climb down a fixed ladder of
// distances, each tried among candidates of its own, for a bounded amount of
// work (see Ladder). Ties go to the fewer vias, then to the earlier points,
// so that the choice is the same on every build.
//
// This file is built without contracting a * b + c into one fused step (see
// CMakeLists.txt): the results must not depend on the machine.
#include "one_route.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "conversion_state.h"
#include "sphere_geometry.h"
#include "via_search.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// One semicircle, the unit of the file's coordinates: pi / 2^31 radians.
constexpr double kRadiansPerSemicircle = kPi / 2147483648.0;
constexpr int64_t kQuarterTurn = int64_t{1} << 30;

// 1 - x (c0 - x (c1 - x (c2 - ...))), the coefficients from the last one in.
template <size_t N>
double AlternatingSeries(double x, const double (&coefficients)[N]) {
  double sum = coefficients[N - 1];
  for (size_t i = N - 1; i-- > 0;) sum = coefficients[i] - x * sum;
  return 1.0 - x * sum;
}

// Sine and cosine of r, |r| <= pi / 4, by their Taylor series to r^15 and
// r^16: the inverse factorials 1/3!, 1/5!, ... and 1/2!, 1/4!, ...
constexpr double kSineTerms[] = {
    1.0 / 6.0,        1.0 / 120.0,        1.0 / 5040.0,         1.0 / 362880.0,
    1.0 / 39916800.0, 1.0 / 6227020800.0, 1.0 / 1307674368000.0};
constexpr double kCosineTerms[] = {0.5,
                                   1.0 / 24.0,
                                   1.0 / 720.0,
                                   1.0 / 40320.0,
                                   1.0 / 3628800.0,
                                   1.0 / 479001600.0,
                                   1.0 / 87178291200.0,
                                   1.0 / 20922789888000.0};

double SinSmall(double r) {
  return r * AlternatingSeries(r * r, kSineTerms);
}

double CosSmall(double r) {
  return AlternatingSeries(r * r, kCosineTerms);
}

// Sine and cosine of a semicircle value. The quarter turns come off in
// integers, exactly; one multiplication makes the rest radians.
void SinCos(int32_t semicircles, double& sine, double& cosine) {
  const int64_t value = semicircles;
  const int64_t quarters = (value + kQuarterTurn / 2) >> 30;  // nearest, halves up
  const double r = static_cast<double>(value - quarters * kQuarterTurn) * kRadiansPerSemicircle;
  const double s = SinSmall(r);
  const double c = CosSmall(r);
  switch (quarters & 3) {
    case 0:
      sine = s, cosine = c;
      break;
    case 1:
      sine = c, cosine = -s;
      break;
    case 2:
      sine = -s, cosine = -c;
      break;
    default:
      sine = -c, cosine = s;
      break;
  }
}

Vector UnitVector(int32_t lat, int32_t lon) {
  double sinLat, cosLat, sinLon, cosLon;
  SinCos(lat, sinLat, cosLat);
  SinCos(lon, sinLon, cosLon);
  return {cosLat * cosLon, cosLat * sinLon, sinLat};
}

// The arcsine of x, 0 <= x <= 1.
double ArcSine(double x) {
  if (x > 0.5) return kPi / 2 - 2 * ArcSine(std::sqrt((1 - x) / 2));
  const double x2 = x * x;
  double term = x, sum = x;
  // term n: x^(2n+1) (2n)! / (4^n (n!)^2 (2n+1)); x <= 1/2 makes it shrink
  // at least fourfold per step.
  for (int n = 1; n < 40; ++n) {
    term *= x2 * (2 * n - 1) * (2 * n - 1) / ((2.0 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

// Segment heap order: the farthest point first, then the lower index.
bool SplitsBefore(const ConversionState::OneRouteTables::Segment& a,
                  const ConversionState::OneRouteTables::Segment& b) {
  return a.key > b.key || (a.key == b.key && a.first < b.first);
}

// Adds the farthest point from the route one at a time, starting from the
// first and the last point, until there are most or every point lies on the
// route: t.added receives the points in the order added, t.addedKey[k] the
// key of the route of the first k + 1 of them. Returns how many. The order
// does not depend on most: a larger most only adds on.
uint32_t AddFarthestOrder(ViaSearch& search, uint32_t most) {
  auto& t = search.t;
  auto* heap = t.segments;
  uint32_t size = 0;
  const auto push = [&](uint32_t first, uint32_t end) {
    if (end - first < 2) return;
    ConversionState::OneRouteTables::Segment segment{0, first, end, first};
    segment.key = search.SpanKey(first, end, &segment.farthest);
    uint32_t slot = size++;
    while (slot > 0 && SplitsBefore(segment, heap[(slot - 1) / 2])) {
      heap[slot] = heap[(slot - 1) / 2];
      slot = (slot - 1) / 2;
    }
    heap[slot] = segment;
  };
  const auto pop = [&]() {
    const auto top = heap[0];
    const auto last = heap[--size];
    uint32_t slot = 0;
    for (;;) {
      uint32_t child = 2 * slot + 1;
      if (child >= size) break;
      if (child + 1 < size && SplitsBefore(heap[child + 1], heap[child])) ++child;
      if (!SplitsBefore(heap[child], last)) break;
      heap[slot] = heap[child];
      slot = child;
    }
    heap[slot] = last;
    return top;
  };
  const auto routeKey = [&]() { return size > 0 ? heap[0].key : 0; };
  t.added[0] = 0;
  t.added[1] = search.pointCount - 1;
  push(0, search.pointCount - 1);
  t.addedKey[0] = t.addedKey[1] = routeKey();
  uint32_t added = 2;
  while (added < most && routeKey() > 0) {
    const auto segment = pop();
    push(segment.first, segment.farthest);
    push(segment.farthest, segment.end);
    t.added[added] = segment.farthest;
    t.addedKey[added++] = routeKey();
  }
  return added;
}

// Makes every point a candidate.
void UseEveryPoint(ViaSearch& search) {
  auto& t = search.t;
  for (uint32_t i = 0; i < search.pointCount; ++i) t.candidates[i] = i, t.candidateOf[i] = i;
  search.candidateCount = search.pointCount;
}

// The nearest route of the first k points added, k <= maxVias, the fewest
// on a tie: its vias in track order, their count, and its key.
uint32_t BestAddedRoute(const ConversionState::OneRouteTables& t, uint32_t added, uint32_t maxVias,
                        uint32_t* vias, DistanceKey& key) {
  uint32_t best = 2;
  for (uint32_t k = 3; k <= added && k <= maxVias; ++k) {
    if (t.addedKey[k - 1] < t.addedKey[best - 1]) best = k;
  }
  for (uint32_t k = 0; k < best; ++k) vias[k] = t.added[k];
  std::sort(vias, vias + best);
  key = t.addedKey[best - 1];
  return best;
}

// The exact choice, every point a candidate: the smallest key for at most
// maxVias vias, or, when some route of at most maxVias keeps every point
// within stopKey, the fewest vias that do so and the smallest key for them.
uint32_t ChooseExactly(ViaSearch& search, uint32_t maxVias, DistanceKey stopKey, uint32_t* vias,
                       DistanceKey& key) {
  UseEveryPoint(search);
  uint32_t viaCount = 0;
  uint32_t budget = maxVias;
  if (FewestVias(search, stopKey, maxVias, vias, viaCount, key) == ViaSearchResult::kFound) {
    budget = viaCount;
  } else {
    viaCount = BestAddedRoute(search.t, AddFarthestOrder(search, maxVias), maxVias, vias, key);
  }
  SmallestDistance(search, budget, vias, viaCount, key);
  return viaCount;
}

// A longer track's choice climbs down a fixed ladder of limits: the
// halving points between two keys on a scale of their logarithms, each
// tried with candidates of its own (see Ladder::Climb).
constexpr uint32_t kLadderSteps = 11;       // from the route of the ends down to 1 m
constexpr uint32_t kLadderStepsWithin = 8;  // from 1 m down to 1/32 m
// The candidates for a limit, per via the route that goes as far as it can
// at each hop takes: points added first and points spread evenly.
constexpr uint64_t kAddedPerVia = 16;
constexpr uint64_t kSpreadPerVia = 8;
// The work for one limit, in points looked at per track point, counted for
// at least kWorkPoints points: at most 12 limits, at about 6 ns a point
// looked at, keep a track of up to 10 000 points within about 0.1 s of one
// core.
constexpr uint64_t kWorkPerLimit = 120;
constexpr uint64_t kWorkPoints = 10000;

struct Ladder {
  ViaSearch& search;
  uint32_t added;  // the points in t.added
  // The vias the candidates below were chosen for (t.belowCandidate).
  uint64_t belowVias = UINT64_MAX;

  // Marks the candidates for a limit in t.candidateOf (0: a candidate): the
  // vias of the route that goes as far as it can at each hop among the
  // candidates below, points added first and points spread evenly, so many
  // per via that route or the same route among all points takes (the fewer,
  // and never more than below), and the candidates above. Returns the vias
  // they were chosen for.
  uint64_t MarkCandidates(DistanceKey limit) {
    auto& t = search.t;
    const uint32_t count = search.pointCount;
    for (uint32_t i = 0; i < count; ++i) t.candidateOf[i] = i;
    const uint64_t anyVias = FarthestHopsRoute(search, limit, t.queue);
    for (uint32_t i = 0; i < count; ++i) t.candidateOf[i] = t.belowCandidate[i] ? i : kNoCandidate;
    const uint32_t routeVias = FarthestHopsRoute(search, limit, t.queue);
    const uint64_t vias = std::min({anyVias, uint64_t{routeVias}, belowVias});
    for (uint32_t i = 0; i < count; ++i) t.candidateOf[i] = t.aboveCandidate[i] ? 0 : kNoCandidate;
    for (uint32_t i = 0; i < routeVias; ++i) t.candidateOf[t.queue[i]] = 0;
    const uint64_t take = std::min<uint64_t>(added, kAddedPerVia * vias);
    for (uint64_t k = 0; k < take; ++k) t.candidateOf[t.added[k]] = 0;
    uint32_t stride = 1;
    while (count / (2 * uint64_t{stride}) >= kSpreadPerVia * vias) stride *= 2;
    for (uint32_t i = 0; i < count; i += stride) t.candidateOf[i] = 0;
    return vias;
  }

  // Tries a limit between the one below (that failed) and the one above:
  // the fewest vias for it among its candidates, at most maxVias. The
  // candidates are those marked, within those below: they hold those above,
  // which lie within those below too.
  ViaSearchResult Try(DistanceKey limit, uint32_t maxVias, uint32_t* vias, uint32_t& viaCount,
                      DistanceKey& key, uint64_t& candidateVias) {
    auto& t = search.t;
    const uint32_t count = search.pointCount;
    search.workLimit = search.work + kWorkPerLimit * std::max(uint64_t{count}, kWorkPoints);
    candidateVias = MarkCandidates(limit);
    uint32_t place = 0;
    for (uint32_t i = 0; i < count; ++i) {
      const bool candidate = t.candidateOf[i] == 0 && t.belowCandidate[i] != 0;
      t.candidateOf[i] = candidate ? place : kNoCandidate;
      if (candidate) t.candidates[place++] = i;
    }
    search.candidateCount = place;
    return FewestVias(search, limit, maxVias, vias, viaCount, key);
  }

  // Whether a limit holds: its search found a route, or ran out of work
  // while the route above (of key aboveKey) keeps within it. Whether the
  // work runs out does not depend on the via maximum either, for a maximum
  // the route above holds.
  static bool Holds(ViaSearchResult result, DistanceKey limit, DistanceKey aboveKey) {
    return result == ViaSearchResult::kFound ||
           (result == ViaSearchResult::kOutOfWork && aboveKey <= limit);
  }

  // The candidates just tried become those above or below.
  void KeepCandidates(uint8_t* marks) {
    for (uint32_t i = 0; i < search.pointCount; ++i) {
      marks[i] = search.t.candidateOf[i] != kNoCandidate;
    }
  }

  // Halves the steps between below (a limit that failed) and above (whose
  // route is in vias), keeping the smallest limit whose fewest vias are at
  // most maxVias. The limits tried are the halving points of a fixed ladder,
  // and the candidates of each depend only on those of the two it halves,
  // never on maxVias: the route found for a limit is the same for every
  // maximum it holds for. So a larger maximum goes down wherever a smaller
  // one does, and ends on the same limit, with the same route, or on a
  // lower one. And a climb's route is nearer than the limit just below the
  // one it ends on: that limit's candidates hold the route (they hold the
  // candidates above, or lie within them when tried after), so its search
  // would have found it, or, running out of work, held for every maximum
  // the same way. A larger maximum so never ends farther.
  uint32_t Climb(DistanceKey below, DistanceKey above, uint32_t steps, uint32_t maxVias,
                 uint32_t* vias, uint32_t viaCount, DistanceKey& key) {
    auto& t = search.t;
    for (uint32_t step = 0; step < steps; ++step) {
      const DistanceKey limit = std::sqrt(below * above);
      uint32_t trialCount = 0;
      DistanceKey trialKey = 0;
      uint64_t candidateVias = 0;
      const ViaSearchResult result =
          Try(limit, maxVias, t.trialVias, trialCount, trialKey, candidateVias);
      if (!Holds(result, limit, key)) {
        KeepCandidates(t.belowCandidate);
        belowVias = candidateVias;
        below = limit;
        continue;
      }
      KeepCandidates(t.aboveCandidate);
      above = limit;
      if (result != ViaSearchResult::kFound) continue;
      for (uint32_t i = 0; i < trialCount; ++i) vias[i] = t.trialVias[i];
      viaCount = trialCount;
      key = trialKey;
    }
    return viaCount;
  }
};

// The choice for a track longer than kExactSearchPoints: first 1 m; when
// it holds, as few vias as it takes there and the climb below 1 m, else the
// climb from the route of the first and the last point down to 1 m.
uint32_t ChooseWithinBound(ViaSearch& search, uint32_t maxVias, DistanceKey stopKey, uint32_t* vias,
                           DistanceKey& key) {
  auto& t = search.t;
  const uint32_t count = search.pointCount;
  Ladder ladder{search, AddFarthestOrder(search, kMostCandidates)};
  // Above, the route of the first and the last point; below, every point.
  for (uint32_t i = 0; i < count; ++i) t.aboveCandidate[i] = 0, t.belowCandidate[i] = 1;
  t.aboveCandidate[0] = t.aboveCandidate[count - 1] = 1;
  const DistanceKey ends = t.addedKey[1];  // the key of the route of the first and last point
  uint32_t viaCount = 0;
  uint64_t candidateVias = 0;
  const ViaSearchResult result = ladder.Try(stopKey, maxVias, vias, viaCount, key, candidateVias);
  if (result != ViaSearchResult::kFound) {
    vias[0] = 0;
    vias[1] = count - 1;
    viaCount = 2;
    key = ends;
  }
  if (Ladder::Holds(result, stopKey, ends)) {
    ladder.KeepCandidates(t.aboveCandidate);
    return ladder.Climb(stopKey / 1024, stopKey, kLadderStepsWithin, viaCount, vias, viaCount, key);
  }
  ladder.KeepCandidates(t.belowCandidate);
  ladder.belowVias = candidateVias;
  return ladder.Climb(stopKey, ends > stopKey ? ends : stopKey, kLadderSteps, maxVias, vias, 2,
                      key);
}

}  // namespace

DistanceKey SegmentDistanceKey(int32_t pLat, int32_t pLon, int32_t aLat, int32_t aLon, int32_t bLat,
                               int32_t bLon) {
  return Segment(UnitVector(aLat, aLon), UnitVector(bLat, bLon)).KeyOf(UnitVector(pLat, pLon));
}

double KeyToMetres(DistanceKey key) {
  const double angle =
      key <= 1 ? ArcSine(std::sqrt(key)) : kPi - ArcSine(std::sqrt(key < 2 ? 2 - key : 0));
  return angle * kEarthRadiusMetres;
}

uint32_t ChooseOneRouteVias(ConversionState& state, uint32_t maxVias, uint32_t* vias,
                            DistanceKey& farthest, OneRouteSearch how) {
  const uint32_t count = state.pointCount;
  farthest = 0;
  if (count <= maxVias || count <= 2) {
    for (uint32_t i = 0; i < count; ++i) vias[i] = i;
    return count;
  }
  auto& t = state.oneRoute;
  for (uint32_t i = 0; i < count; ++i) {
    const Vector v = UnitVector(state.pointLat[i], state.pointLon[i]);
    t.x[i] = v.x, t.y[i] = v.y, t.z[i] = v.z;
  }
  const double metreSine = SinSmall(1 / kEarthRadiusMetres);
  const DistanceKey metreKey = metreSine * metreSine;
  ViaSearch search{t, count};
  DistanceKey key = 0;
  const uint32_t viaCount = count <= kExactSearchPoints || how == OneRouteSearch::kExact
                                ? ChooseExactly(search, maxVias, metreKey, vias, key)
                                : ChooseWithinBound(search, maxVias, metreKey, vias, key);
  farthest = key;
  return viaCount;
}
