// Points on the unit sphere and a point's distance from a route segment, as
// the via choice of one route per track measures them. Plain double
// arithmetic only; the files that include this are built without fused
// multiply-add (see CMakeLists.txt), so that every build gets the same bits.
#pragma once

#include "one_route.h"

struct Vector {
  double x, y, z;
};

inline double Dot(const Vector& a, const Vector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vector Cross(const Vector& a, const Vector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double ChordSquared(const Vector& a, const Vector& b) {
  const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

// A route segment from a to b, ready to measure points against.
//
// A point is measured from the great-circle arc when it lies beside it, else
// from the nearer end. The key is the square of the sine of that angle, or 2
// less that beyond a right angle: it grows with the angle and needs no
// square root.
struct Segment {
  Vector a, b, normal;
  double normalSquared, inverseNormalSquared;
  double ab;  // a . b

  Segment(const Vector& from, const Vector& to) : a(from), b(to) {
    normal = Cross(a, b);
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
