// The search behind one route per track: the fewest vias that keep every
// track point within a distance, and the smallest distance a number of vias
// can keep, the vias chosen among candidate points of the track.
#pragma once

#include <cstdint>

#include "conversion_state.h"
#include "one_route.h"
#include "sphere_geometry.h"

constexpr uint32_t kNoCandidate = UINT32_MAX;

// The track as unit vectors (t.x, t.y, t.z), and the candidates: their
// points in track order in t.candidates, the first and the last point of the
// track among them, and each point's place there in t.candidateOf
// (kNoCandidate for the others).
struct ViaSearch {
  ConversionState::OneRouteTables& t;
  uint32_t pointCount;
  uint32_t candidateCount = 0;
  // Track points looked at so far: swept past or measured.
  uint64_t work = 0;
  // Past this many, a search gives up and keeps what it has.
  uint64_t workLimit = UINT64_MAX;

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
  DistanceKey SpanKeyUpTo(uint32_t first, uint32_t end, DistanceKey limit) {
    const Segment segment(At(first), At(end));
    DistanceKey worst = 0;
    uint32_t i = first + 1;
    for (; i < end; ++i) {
      const DistanceKey key = segment.KeyOf(At(i));
      if (key > worst) {
        worst = key;
        if (worst > limit) break;
      }
    }
    work += i - first;
    return worst;
  }
};

enum class ViaSearchResult { kFound, kTooMany, kOutOfWork };

// The fewest candidates, at most maxVias, whose route keeps every track point
// within limit (a key), and of those routes the one whose vias come earliest
// in track order: written to vias, their count to viaCount and the route's
// key to key. kTooMany when more vias are needed, kOutOfWork when the search
// passes search.workLimit first (vias may then hold part of a route).
ViaSearchResult FewestVias(ViaSearch& search, DistanceKey limit, uint32_t maxVias, uint32_t* vias,
                           uint32_t& viaCount, DistanceKey& key);

// The route of at most maxVias candidates with the smallest key, the fewest
// vias at that key and the earliest of those. vias, viaCount and key hold a
// route of at most maxVias candidates to start from, and receive the result;
// when the work runs out first, the closest route found by then.
void SmallestDistance(ViaSearch& search, uint32_t maxVias, uint32_t* vias, uint32_t& viaCount,
                      DistanceKey& key);

// The route that goes from the first point as far along the track as it can
// at each hop and keep every point within limit, its vias among the
// candidates: its vias in vias (room for the point count), their count
// returned. Only t.candidateOf is read: kNoCandidate or not.
uint32_t FarthestHopsRoute(ViaSearch& search, DistanceKey limit, uint32_t* vias);
