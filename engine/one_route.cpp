// The via choice of one route per track.
//
// A dropped track point is measured from the route segment between the two
// vias around it: its distance from the great-circle arc, or from the nearer
// end when it lies beyond the arc. Distances are compared as the square of
// the sine of their angle (2 less that for angles beyond a right angle), which
// grows with the angle and needs no square root.
//
// Up to kExactSearchPoints points the choice is exact: for every number of
// vias, the best route to every point (minimising the largest distance).
// Longer tracks are chosen twice, by adding the farthest point one at a time
// and by dropping the cheapest point one at a time; the better of the two is
// then improved by moving single vias along the track. Ties go to the lower
// point index throughout, so that the choice is the same on every build.
//
// This file is built without contracting a * b + c into one fused step (see
// CMakeLists.txt): the results must not depend on the machine.
#include "one_route.h"

#include <cmath>
#include <cstdint>

#include "conversion_state.h"

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

struct Vector {
  double x, y, z;
};

Vector UnitVector(int32_t lat, int32_t lon) {
  double sinLat, cosLat, sinLon, cosLon;
  SinCos(lat, sinLat, cosLat);
  SinCos(lon, sinLon, cosLon);
  return {cosLat * cosLon, cosLat * sinLon, sinLat};
}

double Dot(const Vector& a, const Vector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

double ChordSquared(const Vector& a, const Vector& b) {
  const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

// A route segment from a to b, ready to measure points against.
struct Segment {
  Vector a, b, normal;
  double normalSquared, inverseNormalSquared;
  double ab;  // a . b

  Segment(const Vector& from, const Vector& to) : a(from), b(to) {
    normal = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    normalSquared = Dot(normal, normal);
    inverseNormalSquared = normalSquared > 1e-30 ? 1 / normalSquared : 0;
    ab = Dot(a, b);
  }

  DistanceKey KeyOf(const Vector& p) const {
    const double pa = Dot(p, a), pb = Dot(p, b);
    // Ends that coincide (a closed loop), or lie too near for a plane
    // through them, measure from the end.
    if (normalSquared > 1e-30 && pb - ab * pa >= 0 && pa - ab * pb >= 0) {
      const double t = Dot(p, normal);
      const double s2 = t * t * inverseNormalSquared;
      return s2 < 1 ? s2 : 1;
    }
    // A squared chord c spans an angle whose sine squared is c - c^2 / 4.
    const double toA = ChordSquared(p, a), toB = ChordSquared(p, b);
    const double c = toA < toB ? toA : toB;
    const double s2 = c - c * c / 4;
    return c <= 2 ? s2 : 2 - s2;
  }
};

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

struct Search {
  ConversionState::OneRouteTables& t;
  uint32_t count;  // points
  DistanceKey stopKey;

  Vector At(uint32_t i) const { return {t.x[i], t.y[i], t.z[i]}; }

  // The farthest point strictly between first and end from their segment:
  // its key, and its index through farthest (first when there is none).
  DistanceKey SpanKey(uint32_t first, uint32_t end, uint32_t* farthest = nullptr) const {
    const Segment segment(At(first), At(end));
    DistanceKey worst = -1;
    uint32_t at = first;
    for (uint32_t i = first + 1; i < end; ++i) {
      const DistanceKey key = segment.KeyOf(At(i));
      if (key > worst) worst = key, at = i;
    }
    if (farthest != nullptr) *farthest = at;
    return worst < 0 ? 0 : worst;
  }

  // The same, stopping as soon as a point lies farther than limit; then more
  // than limit.
  DistanceKey SpanKeyUpTo(uint32_t first, uint32_t end, DistanceKey limit) const {
    const Segment segment(At(first), At(end));
    DistanceKey worst = 0;
    for (uint32_t i = first + 1; i < end; ++i) {
      const DistanceKey key = segment.KeyOf(At(i));
      if (key > worst) {
        worst = key;
        if (worst > limit) break;
      }
    }
    return worst;
  }

  // The cost of dropping a kept point: the farthest point of the span its
  // neighbours would leave. A long span is measured at up to kSampled of its
  // points, evenly spread, and always at the point itself, so that runs of
  // points in a straight line do not make the drops quadratic.
  static constexpr uint32_t kSampled = 256;
  DistanceKey DropCost(uint32_t point) const {
    const uint32_t first = t.before[point], end = t.after[point];
    if (end - first <= kSampled) return SpanKey(first, end);
    const Segment segment(At(first), At(end));
    const uint32_t stride = (end - first + kSampled - 1) / kSampled;
    DistanceKey worst = segment.KeyOf(At(point));
    for (uint32_t i = first + stride; i < end; i += stride) {
      const DistanceKey key = segment.KeyOf(At(i));
      if (key > worst) worst = key;
    }
    return worst;
  }

  // The largest key of the segments of a via list.
  DistanceKey RouteKey(const uint32_t* vias, uint32_t viaCount) const {
    DistanceKey worst = 0;
    for (uint32_t i = 0; i + 1 < viaCount; ++i) {
      const DistanceKey key = SpanKey(vias[i], vias[i + 1]);
      if (key > worst) worst = key;
    }
    return worst;
  }

  uint32_t AddFarthest(uint32_t maxVias, uint32_t* vias);
  uint32_t DropCheapest(uint32_t maxVias, uint32_t* vias);
  void Improve(uint32_t* vias, uint32_t viaCount);
  uint32_t Exact(uint32_t maxVias, uint32_t* vias, DistanceKey bound);

  // Heap of kept points by drop cost, the cheapest, then the lowest index, on top.
  bool DropsBefore(uint32_t a, uint32_t b) const {
    return t.dropCost[a] < t.dropCost[b] || (t.dropCost[a] == t.dropCost[b] && a < b);
  }
  void HeapPlace(uint32_t slot, uint32_t point) {
    t.heap[slot] = point;
    t.heapAt[point] = slot;
  }
  void SiftUp(uint32_t slot) {
    const uint32_t point = t.heap[slot];
    while (slot > 0) {
      const uint32_t parent = (slot - 1) / 2;
      if (!DropsBefore(point, t.heap[parent])) break;
      HeapPlace(slot, t.heap[parent]);
      slot = parent;
    }
    HeapPlace(slot, point);
  }
  void SiftDown(uint32_t slot, uint32_t size) {
    const uint32_t point = t.heap[slot];
    for (;;) {
      uint32_t child = 2 * slot + 1;
      if (child >= size) break;
      if (child + 1 < size && DropsBefore(t.heap[child + 1], t.heap[child])) ++child;
      if (!DropsBefore(t.heap[child], point)) break;
      HeapPlace(slot, t.heap[child]);
      slot = child;
    }
    HeapPlace(slot, point);
  }
};

// Segment heap order: the farthest point first, then the lower index.
bool SplitsBefore(const ConversionState::OneRouteTables::Segment& a,
                  const ConversionState::OneRouteTables::Segment& b) {
  return a.key > b.key || (a.key == b.key && a.first < b.first);
}

uint32_t Search::AddFarthest(uint32_t maxVias, uint32_t* vias) {
  auto* heap = t.segments;
  uint32_t size = 0;
  const auto push = [&](uint32_t first, uint32_t end) {
    if (end - first < 2) return;
    ConversionState::OneRouteTables::Segment segment{0, first, end, first};
    segment.key = SpanKey(first, end, &segment.farthest);
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
  if (count < 2) return 0;  // never here: the caller keeps short tracks whole
  for (uint32_t i = 0; i < count; ++i) t.kept[i] = 0;
  t.kept[0] = t.kept[count - 1] = 1;
  uint32_t kept = 2;
  push(0, count - 1);
  while (kept < maxVias && size > 0 && heap[0].key > stopKey) {
    const auto segment = pop();
    t.kept[segment.farthest] = 1;
    ++kept;
    push(segment.first, segment.farthest);
    push(segment.farthest, segment.end);
  }
  uint32_t viaCount = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (t.kept[i]) vias[viaCount++] = i;
  }
  return viaCount;
}

uint32_t Search::DropCheapest(uint32_t maxVias, uint32_t* vias) {
  for (uint32_t i = 0; i < count; ++i) {
    t.before[i] = i - 1;
    t.after[i] = i + 1;
  }
  uint32_t size = 0;
  for (uint32_t i = 1; i + 1 < count; ++i) {
    t.dropCost[i] = DropCost(i);
    HeapPlace(size, i);
    SiftUp(size++);
  }
  uint32_t kept = count;
  while (size > 0) {
    const uint32_t point = t.heap[0];
    if (kept <= maxVias && t.dropCost[point] > stopKey) break;
    HeapPlace(0, t.heap[--size]);
    if (size > 0) SiftDown(0, size);
    --kept;
    const uint32_t before = t.before[point], after = t.after[point];
    t.after[before] = after;
    t.before[after] = before;
    for (const uint32_t neighbour : {before, after}) {
      if (neighbour == 0 || neighbour == count - 1) continue;
      t.dropCost[neighbour] = DropCost(neighbour);
      SiftUp(t.heapAt[neighbour]);
      SiftDown(t.heapAt[neighbour], size);
    }
  }
  uint32_t viaCount = 0;
  for (uint32_t i = 0; i < count; i = t.after[i]) vias[viaCount++] = i;
  return viaCount;
}

// Moves single vias a few points along the track, each time out of the
// segment with the farthest point, as long as that makes the farthest point
// come nearer.
void Search::Improve(uint32_t* vias, uint32_t viaCount) {
  if (viaCount < 3) return;
  double* keys = t.segmentKey;
  const uint32_t segments = viaCount - 1;
  for (uint32_t i = 0; i < segments; ++i) keys[i] = SpanKey(vias[i], vias[i + 1]);
  constexpr uint32_t kFarthestMove = 4;
  const uint32_t moves = 8 * viaCount + 64;
  for (uint32_t round = 0; round < moves; ++round) {
    uint32_t worst = 0;
    for (uint32_t i = 1; i < segments; ++i) {
      if (keys[i] > keys[worst]) worst = i;
    }
    if (keys[worst] <= stopKey) return;
    // Via v moves inside (vias[v - 1], vias[v + 1]); the segment worst
    // shrinks when its first via moves on or its last via moves back.
    bool moved = false;
    for (const uint32_t v : {worst, worst + 1}) {
      if (v == 0 || v == segments) continue;
      const uint32_t low = vias[v - 1], high = vias[v + 1];
      for (uint32_t step = 1; step <= kFarthestMove && !moved; ++step) {
        const uint32_t to = v == worst ? vias[v] + step : vias[v] - step;
        if (to <= low || to >= high) break;
        const DistanceKey left = SpanKeyUpTo(low, to, keys[worst]);
        if (left >= keys[worst]) continue;
        const DistanceKey right = SpanKeyUpTo(to, high, keys[worst]);
        if (right >= keys[worst]) continue;
        vias[v] = to;
        keys[v - 1] = left;
        keys[v] = right;
        moved = true;
      }
      if (moved) break;
    }
    if (!moved) return;
  }
}

// The best route of at most maxVias vias: for k = 2, 3, ... vias, the
// smallest largest key of a route from point 0 to each point j, from the best
// of k - 1 vias to some i < j and the span i-j. No route is worse than bound
// (a choice already found), so spans beyond it are left out.
uint32_t Search::Exact(uint32_t maxVias, uint32_t* vias, DistanceKey bound) {
  constexpr DistanceKey kNone = 1e300;
  for (uint32_t i = 0; i < count; ++i) {
    for (uint32_t j = i + 1; j < count; ++j) {
      const DistanceKey key = SpanKeyUpTo(i, j, bound);
      t.spanKey[i][j] = key > bound ? kNone : key;
    }
  }
  // best[j]: k - 1 vias up to j; next[j]: k vias. from[k][j]: the via before j.
  double best[kExactSearchPoints], next[kExactSearchPoints];
  for (uint32_t j = 0; j < count; ++j) best[j] = j == 0 ? kNone : t.spanKey[0][j];
  DistanceKey bestKey = best[count - 1];
  uint32_t bestVias = 2;
  for (uint32_t k = 3; k <= maxVias && bestKey > stopKey; ++k) {
    for (uint32_t j = 0; j < count; ++j) {
      next[j] = kNone;
      t.from[k - 1][j] = 0;
      for (uint32_t i = 1; i < j; ++i) {
        const DistanceKey key = best[i] > t.spanKey[i][j] ? best[i] : t.spanKey[i][j];
        if (key < next[j]) next[j] = key, t.from[k - 1][j] = static_cast<uint8_t>(i);
      }
    }
    for (uint32_t j = 0; j < count; ++j) best[j] = next[j];
    if (best[count - 1] < bestKey) bestKey = best[count - 1], bestVias = k;
  }
  if (bestKey >= kNone) return 0;
  // from[k - 1][j] is the via before j on the best route of k vias; a route
  // of k - 1 vias to that via is the best of its kind, so the walk back goes
  // through from[k - 2], and so on.
  uint32_t at = count - 1;
  for (uint32_t k = bestVias; k >= 3; --k) {
    vias[k - 1] = at;
    at = t.from[k - 1][at];
  }
  vias[1] = at;
  vias[0] = 0;
  if (bestVias == 2) vias[1] = count - 1;
  return bestVias;
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
                            DistanceKey& farthest) {
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
  // 1 m as a key.
  const double metreSine = SinSmall(1 / kEarthRadiusMetres);
  Search search{t, count, metreSine * metreSine};
  // A choice beats another when its farthest point is nearer, or, when both
  // are within 1 m, when it has fewer vias; the first found wins a tie.
  const auto beats = [&search](DistanceKey key, uint32_t vias, DistanceKey otherKey,
                               uint32_t otherVias) {
    const bool within = key <= search.stopKey, otherWithin = otherKey <= search.stopKey;
    if (within && otherWithin) return vias < otherVias || (vias == otherVias && key < otherKey);
    if (within != otherWithin) return within;
    return key < otherKey || (key == otherKey && vias < otherVias);
  };
  uint32_t* other = t.otherVias;
  const auto takeOther = [&](uint32_t otherCount) {
    for (uint32_t i = 0; i < otherCount; ++i) vias[i] = other[i];
  };
  uint32_t viaCount = search.AddFarthest(maxVias, vias);
  DistanceKey key = search.RouteKey(vias, viaCount);
  if (key > search.stopKey) {
    const uint32_t otherCount = search.DropCheapest(maxVias, other);
    const DistanceKey otherKey = search.RouteKey(other, otherCount);
    if (beats(otherKey, otherCount, key, viaCount)) {
      takeOther(otherCount);
      viaCount = otherCount;
    }
    search.Improve(vias, viaCount);
    key = search.RouteKey(vias, viaCount);
  }
  if (count <= kExactSearchPoints) {
    const uint32_t exactCount =
        search.Exact(maxVias, other, key > search.stopKey ? key : search.stopKey);
    if (exactCount > 0) {
      const DistanceKey exactKey = search.RouteKey(other, exactCount);
      if (beats(exactKey, exactCount, key, viaCount)) {
        takeOther(exactCount);
        viaCount = exactCount;
        key = exactKey;
      }
    }
  }
  farthest = key;
  return viaCount;
}
