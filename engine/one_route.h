// One route per track: the via points of a route that follows a whole track,
// chosen among the track's points so that the farthest dropped point lies as
// close to the route as can be had.
//
// Distances are taken on the sphere from the points' semicircle values. The
// math is plain double arithmetic (+ - * / and sqrt, sines and cosines of our
// own), so that every build chooses the same vias to the bit.
#pragma once

#include <cstdint>

struct ConversionState;

// Tracks of up to this many points get an exact search.
constexpr uint32_t kExactSearchPoints = 1500;
constexpr double kEarthRadiusMetres = 6371008.8;

// A distance as the search compares them, growing with the angle between a
// point and its nearest point on the route: the square of its sine, or 2 less
// that beyond a right angle.
using DistanceKey = double;

// Chooses at most maxVias vias among the first state.pointCount points of
// the table (all of them when there are no more than maxVias), the first and
// the last always among them, and writes their indexes in track order to vias
// (room for maxVias). Returns how many; farthest receives the largest
// distance of a dropped point from its route segment.
//
// The vias keep that distance as small as can be had; once it is within
// 1 m, as few vias as keep it so, and of those the nearest. Among routes
// equally near, the fewest vias, then the earliest in track order. Exact
// for tracks of up to kExactSearchPoints points; a longer track's vias are
// chosen among some of its points, for a bounded amount of work.
//
// kExact makes the choice exact for every track, however long: for checks
// and benchmarks (a track of 10 000 points can take seconds).
enum class OneRouteSearch { kBounded, kExact };
uint32_t ChooseOneRouteVias(ConversionState& state, uint32_t maxVias, uint32_t* vias,
                            DistanceKey& farthest,
                            OneRouteSearch search = OneRouteSearch::kBounded);

// The distance of point p from the route segment a-b, and a key in metres.
DistanceKey SegmentDistanceKey(int32_t pLat, int32_t pLon, int32_t aLat, int32_t aLon, int32_t bLat,
                               int32_t bLon);
double KeyToMetres(DistanceKey key);
