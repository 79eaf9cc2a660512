#ifndef VANTREL_GEOMETRY_CROSSING_STEPS_H_
#define VANTREL_GEOMETRY_CROSSING_STEPS_H_

// The part of the crossing test that depends on the segment, written once.
// IntersectPreparedTriangle runs it on one triangle with plain doubles; the
// trimming pass runs the very same steps on several triangles at a time,
// one triangle per lane of a vector (tool/lane_search.h). Each lane
// performs the same correctly rounded operations in the same order as the
// plain version, so every lane computes the same bits; only the
// bookkeeping of which triangles are still in the running differs, and the
// lanes screen their divisions (ScreenQuotients).
//
// A file compiled for a wider instruction set (AVX2, AVX-512) uses only the
// templates here, with a lane type of its own (internal to it): it gets its
// own copies of them and shares no compiled function with code that runs
// on every processor.
//
// A lane type L provides:
//   Value, Mask      double and bool, or a vector of doubles and a mask of
//                    its lanes (a vector with all bits set in a lane where
//                    true, or one bit per lane)
//   Load(x)          the triangle values of the lanes (x: a double, or a
//                    pointer to consecutive triangles' values)
//   Abs(v)           |v|, per lane
//   AtLeast(v, c), Above(v, c), Below(v, c)  v >= c, v > c, v < c per lane
//                    (false where v is NaN)
//   ZeroUnless(m, v) v where m holds, +0.0 elsewhere
//   And(a, b), AndNot(a, b)  a & b, a & ~b
//   Any(m)           whether m holds in some lane
//   kScreensQuotients  whether to screen the divisions (see ScreenQuotients)
// A triangle type T has the members of PreparedTriangle (ax ... den), each
// a value or a pointer that L::Load accepts, and den_reciprocal
// (ScreenReciprocal(den)) where L screens. Triangles without a plane are
// left to the caller (PreparedTriangle::has_plane).

#include <cmath>
#include <limits>

#include "geometry/intersect.h"
#include "geometry/records.h"

#if defined(__GNUC__)
#define VANTREL_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define VANTREL_ALWAYS_INLINE inline
#endif

/// Bounds of the parametric coordinates: a crossing within a millionth (in
/// units of the triangle's edge vectors) outside the triangle still counts,
/// so a line through an edge or a corner is trimmed despite rounding.
inline constexpr double kParamLow = -0.000001;
inline constexpr double kParamHigh = 1.000001;

/// One triangle at a time, in plain doubles.
struct ScalarLanes {
  static constexpr int kWidth = 1;
  static constexpr bool kScreensQuotients = false;
  using Value = double;
  using Mask = bool;
  static Value Load(double v) { return v; }
  static Value Load(const double* v) { return *v; }
  static Value Abs(Value v) { return std::fabs(v); }
  static Mask AtLeast(Value v, double c) { return v >= c; }
  static Mask Above(Value v, double c) { return v > c; }
  static Mask Below(Value v, double c) { return v < c; }
  static Value ZeroUnless(Mask m, Value v) { return m ? v : 0.0; }
  static Mask And(Mask a, Mask b) { return a && b; }
  static Mask AndNot(Mask a, Mask b) { return a && !b; }
  static bool Any(Mask m) { return m; }
};

/// Where a lane type screens the quotients s and u (kScreensQuotients),
/// the steps first drop the lanes whose s and u are certain to fail the
/// parametric tests, without dividing: they multiply by the reciprocal of
/// den instead, and only the lanes left undecided pay for the divisions.
///
/// Why the screen never drops a lane that the test would keep. Let
/// r = ScreenReciprocal(den) = (1/den)(1 + e1), qs = s_numerator r (1 + e2),
/// and the test's s = (s_numerator / den)(1 + e3), each |e| <= 2^-53 (one
/// rounding each). Then |s - qs| <= 4 2^-53 |qs|, and a result below
/// 2^-1022 is off by at most 2^-1072 instead; the same holds for u and qu.
/// The margin kScreenMargin, about 9e-13, is far larger than either error
/// wherever the decision is made:
///  - qs < kParamLow - margin: then qs < 0 and s <= qs (1 - 4 2^-53) +
///    2^-1072 < kParamLow, so the test rejects s; likewise for qu and u.
///  - qs > kParamHigh + margin: s >= qs (1 - 4 2^-53) - 2^-1072 >
///    kParamHigh, so the test rejects s.
///  - qs + qu, rounded, > kParamHigh + margin: either one of the cases
///    above holds, or |qs| <= 1.000002 and qu >= -0.000002. If qu > 2, then
///    u > 1.99 and s > -0.000002, so s + u rounds above kParamHigh. If not,
///    s + u exceeds the rounded qs + qu by at most 4 2^-53 (|qs| + |qu|) +
///    2^-1071 + 2^-53 |qs + qu| < 2^-41, so s + u > kParamHigh + 2^-41,
///    which rounds above kParamHigh too.
/// A quotient that overflows to an infinity has the sign of s, and s is
/// then at least as large in magnitude, so the decisions above hold for it;
/// a NaN quotient or a NaN reciprocal makes every comparison false, and the
/// lane is left to the test. Each case fails one of the test's checks on s,
/// u or s + u, so the test would return 0 whichever check it reached first.
inline constexpr double kScreenMargin = 0x1p-40;  // in units of s and u
inline constexpr double kScreenLow = kParamLow - kScreenMargin;
inline constexpr double kScreenHigh = kParamHigh + kScreenMargin;

/// 1/den where it is a normal double (the bound above assumes so), else NaN,
/// which makes the screen leave every lane of the triangle to the test.
inline double ScreenReciprocal(double den) {
  const double r = 1.0 / den;
  return std::isnormal(r) ? r : std::numeric_limits<double>::quiet_NaN();
}

/// Drops from `alive` the lanes whose quotients s and u are sure to fail
/// the parametric tests.
template <class L>
VANTREL_ALWAYS_INLINE typename L::Mask ScreenQuotients(
    typename L::Mask alive, typename L::Value s_numerator,
    typename L::Value u_numerator, typename L::Value den_reciprocal) {
  using Value = typename L::Value;
  const Value qs = s_numerator * den_reciprocal;
  const Value qu = u_numerator * den_reciprocal;
  alive = L::AndNot(alive, L::Below(qs, kScreenLow));
  alive = L::AndNot(alive, L::Above(qs, kScreenHigh));
  alive = L::AndNot(alive, L::Below(qu, kScreenLow));
  return L::AndNot(alive, L::Above(qs + qu, kScreenHigh));
}

/// What the steps leave for the lanes still in the running: the crossing
/// point, and whether the segment's first end p is the one to replace.
template <class L>
struct CrossingLanes {
  typename L::Value x, y, z;
  typename L::Mask p_goes;
};

/// Runs the steps of the crossing test that depend on the segment p-q for
/// the triangles in the lanes of `t`, starting with the lanes in `alive`.
/// Returns the lanes in which the segment crosses; for those, `out` holds
/// the crossing and the end to replace. Returns as soon as no lane is left.
///
/// Comparisons are written in two forms on purpose. "alive = And(alive,
/// AtLeast(x, bound))" keeps a lane only when x >= bound holds, so a NaN
/// rejects; "alive = AndNot(alive, Above(x, bound))" rejects only when
/// x > bound holds, so a NaN passes on to the next test. Sums of three terms are added left
/// to right in the order written; the orders differ between quantities and
/// are part of the result.
template <class L, class T>
VANTREL_ALWAYS_INLINE typename L::Mask CrossingSteps(
    const T& t, const Point3& p, const Point3& q, typename L::Mask alive,
    CrossingLanes<L>& out) {
  using Value = typename L::Value;
  const Value nx = L::Load(t.nx), ny = L::Load(t.ny), nz = L::Load(t.nz);
  const Value d = L::Load(t.d);

  // Signed distances of the ends, times |n|. Ends within kEpsilon of the
  // plane count as lying on it (a NaN distance also becomes 0 here).
  Value dp = nz * p.z + ny * p.y + nx * p.x + d;
  Value dq = nx * q.x + nz * q.z + ny * q.y + d;
  dp = L::ZeroUnless(L::AtLeast(L::Abs(dp), kEpsilon), dp);
  dq = L::ZeroUnless(L::AtLeast(L::Abs(dq), kEpsilon), dq);

  // Both ends strictly on one side: no crossing. An end on the plane passes.
  alive = L::AndNot(alive, L::Above(dp * dq, 0.0));
  if (!L::Any(alive)) return alive;

  // The end on the positive side goes; when p is not strictly on it, q does.
  out.p_goes = L::Above(dp, 0.0);

  // A segment (nearly) parallel to the plane has no single crossing.
  const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
  const Value w = nz * dz + ny * dy + nx * dx;
  alive = L::And(alive, L::AtLeast(L::Abs(w), kEpsilon));
  if (!L::Any(alive)) return alive;

  // Crossing point: p + t (q - p) with n . (p + t (q - p) - a) = 0. The
  // unsnapped distance is used; the sign test above already keeps t within
  // the segment up to the snap tolerance, so t is not compared itself.
  const Value ax = L::Load(t.ax), ay = L::Load(t.ay), az = L::Load(t.az);
  const Value tc = -(nz * (p.z - az) + ny * (p.y - ay) + nx * (p.x - ax)) / w;
  out.x = p.x + tc * dx;
  out.y = p.y + tc * dy;
  out.z = p.z + tc * dz;

  // Coordinates of the crossing in the triangle: r = s e1 + u e2, solved
  // from the 2x2 system of r . e1 and r . e2 (Cramer's rule) with the
  // triangle's uu, uv, vv and den. den is -|n|^2, nonzero for a triangle
  // with a plane; should it round to 0, s is infinite or NaN and is
  // rejected below.
  const Value rx = out.x - ax, ry = out.y - ay, rz = out.z - az;
  const Value e1x = L::Load(t.e1x), e1y = L::Load(t.e1y),
              e1z = L::Load(t.e1z);
  const Value e2x = L::Load(t.e2x), e2y = L::Load(t.e2y),
              e2z = L::Load(t.e2z);
  const Value ru = rz * e1z + ry * e1y + rx * e1x;
  const Value rv = rz * e2z + ry * e2y + rx * e2x;
  const Value uu = L::Load(t.uu), uv = L::Load(t.uv), vv = L::Load(t.vv);
  const Value den = L::Load(t.den);

  const Value s_numerator = uv * rv - vv * ru;
  const Value u_numerator = uv * ru - uu * rv;
  if constexpr (L::kScreensQuotients) {
    alive = ScreenQuotients<L>(alive, s_numerator, u_numerator,
                               L::Load(t.den_reciprocal));
    if (!L::Any(alive)) return alive;
  }

  const Value s = s_numerator / den;
  alive = L::And(alive, L::AtLeast(s, kParamLow));
  alive = L::AndNot(alive, L::Above(s, kParamHigh));
  if (!L::Any(alive)) return alive;

  const Value u = u_numerator / den;
  alive = L::And(alive, L::AtLeast(u, kParamLow));
  alive = L::AndNot(alive, L::Above(s + u, kParamHigh));
  return alive;
}

#endif  // VANTREL_GEOMETRY_CROSSING_STEPS_H_
