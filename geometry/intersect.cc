#include "geometry/intersect.h"

#include <cmath>

#include "geometry/crossing_steps.h"

// The test in the order of its steps: the triangle's part here, then the
// segment's part (geometry/crossing_steps.h). Moving the triangle's values
// ahead of the segment's changes no value: each is computed by the same
// operations from the same inputs wherever it stands. Likewise the
// degenerate-triangle test, a pure comparison, rejects the same pairs
// whether it is made before the segment's tests or among them.
PreparedTriangle PrepareTriangle(const Point3& a, const Point3& b,
                                 const Point3& c) {
  PreparedTriangle t;
  t.ax = a.x;
  t.ay = a.y;
  t.az = a.z;

  // Edge vectors.
  t.e1x = b.x - a.x, t.e1y = b.y - a.y, t.e1z = b.z - a.z;
  t.e2x = c.x - a.x, t.e2y = c.y - a.y, t.e2z = c.z - a.z;

  // Normal n = e1 x e2 (not normalised) and plane offset d = -(n . a).
  t.nx = t.e1y * t.e2z - t.e1z * t.e2y;
  t.ny = t.e1z * t.e2x - t.e1x * t.e2z;
  t.nz = t.e1x * t.e2y - t.e1y * t.e2x;
  t.d = -(t.nx * a.x + t.ny * a.y + t.nz * a.z);

  // A triangle whose normal is (nearly) zero has no plane. The L1 length is
  // compared, in the units of n (squared model units).
  t.has_plane = std::fabs(t.nz) + std::fabs(t.ny) + std::fabs(t.nx) >= kEpsilon;

  // The 2x2 system of the crossing's coordinates in the triangle; each dot
  // product a . b is added as az bz + ay by + ax bx.
  t.uu = t.e1z * t.e1z + t.e1y * t.e1y + t.e1x * t.e1x;
  t.uv = t.e1z * t.e2z + t.e1y * t.e2y + t.e1x * t.e2x;
  t.vv = t.e2z * t.e2z + t.e2y * t.e2y + t.e2x * t.e2x;
  t.den = t.uv * t.uv - t.uu * t.vv;
  return t;
}

int IntersectPreparedTriangle(const PreparedTriangle& triangle, const Point3& p,
                              const Point3& q, Point3& crossing, TrimEnd& end) {
  if (!triangle.has_plane) return 0;
  CrossingLanes<ScalarLanes> out{};
  if (!CrossingSteps<ScalarLanes>(triangle, p, q, true, out)) return 0;
  crossing = Point3{out.x, out.y, out.z};
  end = out.p_goes ? kTrimP1 : kTrimP2;
  return 1;
}

int IntersectSegmentTriangle(const Point3& a, const Point3& b, const Point3& c,
                             const Point3& p, const Point3& q, Point3& crossing,
                             TrimEnd& end) {
  return IntersectPreparedTriangle(PrepareTriangle(a, b, c), p, q, crossing,
                                   end);
}
