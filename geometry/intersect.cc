#include "geometry/intersect.h"

#include <cmath>

namespace {

// Bounds of the parametric coordinates: a crossing within a millionth (in
// units of the triangle's edge vectors) outside the triangle still counts, so
// a line through an edge or a corner is trimmed despite rounding.
constexpr double kParamLow = -0.000001;
constexpr double kParamHigh = 1.000001;

}  // namespace

// Comparisons are written in two forms on purpose. "if (!(x >= bound))
// return 0" continues only when the comparison holds, so a NaN rejects;
// "if (x > bound) return 0" rejects only when it holds, so a NaN passes on to
// the next test. Sums of three terms are added left to right in the order
// written; the orders differ between quantities and are part of the result.
int IntersectSegmentTriangle(const Point3& a, const Point3& b, const Point3& c,
                             const Point3& p, const Point3& q, Point3& crossing,
                             TrimEnd& end) {
  // Edge vectors.
  const double e1x = b.x - a.x, e1y = b.y - a.y, e1z = b.z - a.z;
  const double e2x = c.x - a.x, e2y = c.y - a.y, e2z = c.z - a.z;

  // Normal n = e1 x e2 (not normalised) and plane offset d = -(n . a).
  const double nx = e1y * e2z - e1z * e2y;
  const double ny = e1z * e2x - e1x * e2z;
  const double nz = e1x * e2y - e1y * e2x;
  const double d = -(nx * a.x + ny * a.y + nz * a.z);

  // Signed distances of the ends, times |n|. Ends within kEpsilon of the
  // plane count as lying on it (a NaN distance also becomes 0 here).
  double dp = nz * p.z + ny * p.y + nx * p.x + d;
  double dq = nx * q.x + nz * q.z + ny * q.y + d;
  if (!(std::fabs(dp) >= kEpsilon)) dp = 0.0;
  if (!(std::fabs(dq) >= kEpsilon)) dq = 0.0;

  // Both ends strictly on one side: no crossing. An end on the plane passes.
  if (dp * dq > 0.0) return 0;

  // A triangle whose normal is (nearly) zero has no plane.
  if (!(std::fabs(nz) + std::fabs(ny) + std::fabs(nx) >= kEpsilon)) return 0;

  // The end on the positive side goes; when p is not strictly on it, q does.
  end = dp > 0.0 ? kTrimP1 : kTrimP2;

  // A segment (nearly) parallel to the plane has no single crossing.
  const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
  const double w = nz * dz + ny * dy + nx * dx;
  if (!(std::fabs(w) >= kEpsilon)) return 0;

  // Crossing point: p + t (q - p) with n . (p + t (q - p) - a) = 0. The
  // unsnapped distance is used; the sign test above already keeps t within
  // the segment up to the snap tolerance, so t is not compared itself.
  const double t =
      -(nz * (p.z - a.z) + ny * (p.y - a.y) + nx * (p.x - a.x)) / w;
  crossing.x = p.x + t * dx;
  crossing.y = p.y + t * dy;
  crossing.z = p.z + t * dz;

  // Coordinates of the crossing in the triangle: r = s e1 + u e2, solved
  // from the 2x2 system of r . e1 and r . e2 (Cramer's rule). den is
  // -|n|^2, nonzero after the degenerate test; should it round to 0, s is
  // infinite or NaN and is rejected below.
  const double rx = crossing.x - a.x, ry = crossing.y - a.y,
               rz = crossing.z - a.z;
  const double uu = e1z * e1z + e1y * e1y + e1x * e1x;
  const double uv = e1z * e2z + e1y * e2y + e1x * e2x;
  const double vv = e2z * e2z + e2y * e2y + e2x * e2x;
  const double ru = rz * e1z + ry * e1y + rx * e1x;
  const double rv = rz * e2z + ry * e2y + rx * e2x;
  const double den = uv * uv - uu * vv;

  const double s = (uv * rv - vv * ru) / den;
  if (!(s >= kParamLow)) return 0;
  if (s > kParamHigh) return 0;

  const double u = (uv * ru - uu * rv) / den;
  if (!(u >= kParamLow)) return 0;
  if (s + u > kParamHigh) return 0;

  return 1;
}
