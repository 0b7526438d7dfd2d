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
constexpr uint32_t kExactSearchPoints = 200;
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
uint32_t ChooseOneRouteVias(ConversionState& state, uint32_t maxVias, uint32_t* vias,
                            DistanceKey& farthest);

// The distance of point p from the route segment a-b, and a key in metres.
DistanceKey SegmentDistanceKey(int32_t pLat, int32_t pLon, int32_t aLat, int32_t aLon, int32_t bLat,
                               int32_t bLon);
double KeyToMetres(DistanceKey key);
