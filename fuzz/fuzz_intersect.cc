// Fuzz target: the crossing test on arbitrary inputs.
//
// The first byte chooses how the rest becomes the fifteen coordinates
// (triangle a, b, c, then segment p, q):
//
//  - even: raw doubles, 8 bytes each (any bits: NaN, infinities, subnormals,
//    values whose products overflow). Checked: the properties that hold for
//    every input (below, "any input").
//  - odd: grid points. The next byte picks a scale 2^e, e in [-30, 18], and
//    each coordinate is k * 2^e with k a 16-bit integer. On this grid every
//    quantity up to the crossing parameter is computed exactly by the tool
//    (see "grid input"), so the target predicts those steps exactly with
//    128-bit integers and checks the tool against the prediction.
//
// Any input
// ---------
// The result is 0 or 1, and `end` is 0 or 1 on a result of 1. The call is
// pure: a second call gives the same bits.
//
// An accepted crossing has every input and the crossing point finite. Proof,
// following the code: acceptance needs s >= -1e-6 and s <= 1.000001, so s is
// finite, where s = (uv*rv - vv*ru) / den. Suppose a component of
// r = crossing - a is not finite. Each of ru = r . e1 and rv = r . e2 then
// has a term (infinity or NaN) * e_i, which is an infinity or NaN, so ru is
// not finite (a sum with such a term is an infinity or NaN), and neither is
// rv. vv is a sum of squares, so >= 0 or NaN: vv * ru is NaN (vv = 0 or
// NaN) or an infinity, and the numerator uv*rv - vv*ru is an infinity or
// NaN whatever uv*rv is. An infinite numerator over a finite den (0
// included) is infinite, over an infinite or NaN den it is NaN; either way
// s is rejected. So r is finite, and r_i = crossing_i - a_i finite needs
// both terms finite. The same argument with a non-finite e1 (then
// ru = r . e1 is not finite) or e2 (rv) gives e1, e2 finite, so b and c are
// finite. Finally crossing_i = p_i + t*d_i with d = q - p: a non-finite p_i
// makes the sum non-finite, and with p_i finite a non-finite q_i makes d_i,
// then t*d_i and the sum non-finite. So all fifteen inputs are finite.
//
// Grid input
// ----------
// With coordinates k * 2^e, |k| <= 2^15: edge vectors and q - p are integers
// (units 2^e) below 2^16, the normal's components integers (units 2^2e)
// below 2^33, and every product and partial sum of d, dP, dQ, w and the
// numerator of t an integer (units 2^3e) below 2^51. All are exact in
// doubles, so steps 1 to 9 of the test (snap, same side, degenerate normal,
// end, parallel) are decided exactly as with real numbers, and the target
// predicts them exactly. In particular the numerator of t is exactly -dP and
// w exactly dQ - dP, so the tool's t is the correctly rounded
// dP / (dP - dQ).
//
// Where the crossing lies. Let e = 1e-6 (the snap tolerance). After steps 5
// to 9 passed:
//  - neither end snapped: dP * dQ <= 0, so t = dP / (dP - dQ) is in [0, 1];
//  - only p snapped (|dP| < e <= |dQ|): on opposite sides t is in [0, 1];
//    on the same side t = -|dP| / (|dQ| - |dP|) = -|dP| / |w|, and |w| >= e
//    > |dP| gives t in (-1, 0);
//  - only q snapped: likewise t - 1 = |dQ| / |w| is in (0, 1), t in (1, 2);
//  - both snapped: on the same side |w| = ||dQ| - |dP|| < e is rejected at
//    step 9; on opposite sides t is in [0, 1].
// So the crossing is on the line through p and q, at most one segment length
// beyond an end, and beyond an end only when that end was snapped onto the
// plane: t in [lo, hi] with lo = -1 if p was snapped else 0, hi = 2 if q was
// snapped else 1. Rounding is monotone and -1, 0, 1, 2 are doubles, so the
// rounded t stays in [lo, hi]; p + lo*d and p + hi*d are grid values, exact
// in doubles, so each computed coordinate p_i + t*d_i lies exactly between
// them. The target checks that with no tolerance, and that the crossing is
// the exact point p + (dP / (dP - dQ)) d within the rounding of t, of t*d_i
// and of the sum (at most 2^-50 (|p_i| + |d_i|)).
//
// Steps 11 to 13 (s and u) round. On a triangle that is not thin (all angles
// with sin^2 >= 1/256, i.e. uu*vv <= 256 |n|^2) and grid units as above, the
// rounding moves s and u by less than 2^-20 (the derivatives of s and u with
// respect to r are at most 2 / (|e| sin^2) per unit, and every rounding is
// relative 2^-53 on values bounded by the grid), far inside a margin of
// 2^-10. So when the exact s and u of the exact crossing lie inside the
// triangle by that margin the tool must accept, and when they lie outside by
// it the tool must reject.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "geometry/intersect.h"

namespace {

using Int = __int128;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

bool Finite(const Point3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Integer vectors of the grid model, in units of 2^e, 2^2e or 2^3e.
struct V {
  Int x, y, z;
};
V Sub(const V& a, const V& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Int Dot(const V& a, const V& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V Cross(const V& a, const V& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z,
          a.x * b.y - a.y * b.x};
}
Int Abs(Int v) { return v < 0 ? -v : v; }

// |value| * 2^scale >= kEpsilon, exactly: |value| < 2^53 converts exactly
// and ldexp by a power of two neither overflows nor underflows here.
bool AtLeastEpsilon(Int value, int scale) {
  return std::ldexp(static_cast<double>(Abs(value)), scale) >= kEpsilon;
}

long double Ratio(Int num, Int den) {
  return static_cast<long double>(num) / static_cast<long double>(den);
}

void CheckAnyInput(const Point3 in[5], int result, const Point3& crossing,
                   TrimEnd end) {
  Check(result == 0 || result == 1, "result is 0 or 1");
  if (result != 1) return;
  Check(end == kTrimP1 || end == kTrimP2, "end is 0 or 1");
  for (int i = 0; i < 5; ++i)
    Check(Finite(in[i]), "an accepted crossing has finite inputs");
  Check(Finite(crossing), "an accepted crossing is finite");
}

void CheckGrid(const std::int16_t k[15], int scale, int result,
               const Point3& crossing, TrimEnd end) {
  const V a{k[0], k[1], k[2]}, b{k[3], k[4], k[5]}, c{k[6], k[7], k[8]};
  const V p{k[9], k[10], k[11]}, q{k[12], k[13], k[14]};
  const V e1 = Sub(b, a), e2 = Sub(c, a), d = Sub(q, p);
  const V n = Cross(e1, e2);
  const Int dp = Dot(n, Sub(p, a));  // units 2^3e
  const Int dq = Dot(n, Sub(q, a));
  const Int w = dq - dp;

  // Steps 5 to 9, exactly.
  const bool p_snapped = !AtLeastEpsilon(dp, 3 * scale);
  const bool q_snapped = !AtLeastEpsilon(dq, 3 * scale);
  const Int sp = p_snapped ? 0 : dp, sq = q_snapped ? 0 : dq;
  const bool same_side = (sp > 0 && sq > 0) || (sp < 0 && sq < 0);
  const Int l1 = Abs(n.x) + Abs(n.y) + Abs(n.z);
  const bool degenerate = !AtLeastEpsilon(l1, 2 * scale);
  const bool parallel = !AtLeastEpsilon(w, 3 * scale);
  const bool passes_steps_1_to_9 = !same_side && !degenerate && !parallel;
  if (result == 1) {
    Check(passes_steps_1_to_9, "accepted only past the plane tests");
    Check(end == (sp > 0 ? kTrimP1 : kTrimP2),
          "the end replaced is p exactly when p is beyond the snap on the "
          "positive side");
  }
  if (!passes_steps_1_to_9) {
    Check(result == 0, "rejected by the plane tests");
    return;
  }

  // The exact crossing x = p + (tn / td) d.
  const Int tn = dp, td = dp - dq;
  const Int lo = p_snapped ? -1 : 0, hi = q_snapped ? 2 : 1;
  const double unit = std::ldexp(1.0, scale);
  if (result == 1) {
    const double got[3] = {crossing.x, crossing.y, crossing.z};
    const Int pk[3] = {p.x, p.y, p.z}, dk[3] = {d.x, d.y, d.z};
    for (int i = 0; i < 3; ++i) {
      const Int from = pk[i] + lo * dk[i], to = pk[i] + hi * dk[i];
      const double low = static_cast<double>(from < to ? from : to) * unit;
      const double high = static_cast<double>(from < to ? to : from) * unit;
      Check(low <= got[i] && got[i] <= high,
            "the crossing lies on the segment, or beyond an end only when "
            "that end was snapped, by at most the segment's length");
      const long double exact =
          static_cast<long double>(pk[i]) +
          Ratio(tn, td) * static_cast<long double>(dk[i]);
      const long double error =
          std::fabs(static_cast<long double>(got[i]) / unit - exact);
      const long double bound =
          std::ldexp(static_cast<long double>(Abs(pk[i]) + Abs(dk[i])), -49);
      Check(error <= bound, "the crossing is p + dP / (dP - dQ) (q - p)");
    }
  }

  // s and u of the exact crossing: x - a = s e1 + u e2, so
  // (x - a) x e2 = s n and e1 x (x - a) = u n.
  const Int nn = Dot(n, n);
  const Int uu = Dot(e1, e1), vv = Dot(e2, e2);
  if (uu * vv > 256 * nn) return;  // thin: rounding may decide
  const V r = Sub(V{p.x * td + tn * d.x, p.y * td + tn * d.y,
                    p.z * td + tn * d.z},
                  V{a.x * td, a.y * td, a.z * td});  // (x - a) * td
  const long double s = Ratio(Dot(Cross(r, e2), n), nn * td);
  const long double u = Ratio(Dot(Cross(e1, r), n), nn * td);
  const long double margin = std::ldexp(1.0L, -10);
  if (s >= margin && u >= margin && s + u <= 1 - margin)
    Check(result == 1, "a crossing well inside the triangle is accepted");
  if (s < -margin || u < -margin || s > 1 + margin || s + u > 1 + margin)
    Check(result == 0, "a crossing well outside the triangle is rejected");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const bool grid = (data[0] & 1) != 0;
  ++data;
  --size;

  double v[15] = {};
  std::int16_t k[15] = {};
  int scale = 0;
  if (grid) {
    if (size == 0) return 0;
    scale = static_cast<int>(data[0] % 49) - 30;
    ++data;
    --size;
    std::memcpy(k, data, size < sizeof k ? size : sizeof k);
    for (int i = 0; i < 15; ++i) v[i] = std::ldexp(static_cast<double>(k[i]), scale);
  } else {
    std::memcpy(v, data, size < sizeof v ? size : sizeof v);
  }
  const Point3 in[5] = {{v[0], v[1], v[2]},    {v[3], v[4], v[5]},
                        {v[6], v[7], v[8]},    {v[9], v[10], v[11]},
                        {v[12], v[13], v[14]}};

  Point3 crossing{}, crossing2{};
  TrimEnd end = kTrimP1, end2 = kTrimP1;
  const int result =
      IntersectSegmentTriangle(in[0], in[1], in[2], in[3], in[4], crossing, end);
  const int result2 = IntersectSegmentTriangle(in[0], in[1], in[2], in[3],
                                               in[4], crossing2, end2);
  Check(result == result2, "the same inputs give the same result");
  if (result == 1) {
    Check(end == end2 && SameBits(crossing.x, crossing2.x) &&
              SameBits(crossing.y, crossing2.y) &&
              SameBits(crossing.z, crossing2.z),
          "the same inputs give the same crossing");
  }

  CheckAnyInput(in, result, crossing, end);
  if (grid) CheckGrid(k, scale, result, crossing, end);
  return 0;
}
