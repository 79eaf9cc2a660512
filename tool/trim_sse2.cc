// The search of lane_search.h with two triangles at a time, in SSE2, which
// every x86-64 processor has.

#include <emmintrin.h>

#include "tool/lane_search.h"

namespace {

struct Lanes2 {
  static constexpr int kWidth = 2;
  static constexpr bool kScreensQuotients = true;
  using Value = __m128d;
  using Mask = __m128d;  // all bits set in a lane where true

  static Value Load(const double* v) { return _mm_loadu_pd(v); }
  // Clears the sign bit, as fabs does.
  static Value Abs(Value v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }
  // Each false where v is NaN.
  static Mask AtLeast(Value v, double c) { return _mm_cmpge_pd(v, _mm_set1_pd(c)); }
  static Mask Above(Value v, double c) { return _mm_cmpgt_pd(v, _mm_set1_pd(c)); }
  static Mask Below(Value v, double c) { return _mm_cmplt_pd(v, _mm_set1_pd(c)); }
  static Value ZeroUnless(Mask m, Value v) { return _mm_and_pd(m, v); }
  static Mask And(Mask a, Mask b) { return _mm_and_pd(a, b); }
  static Mask AndNot(Mask a, Mask b) { return _mm_andnot_pd(b, a); }
  static Mask Or(Mask a, Mask b) { return _mm_or_pd(a, b); }
  static bool Any(Mask m) { return _mm_movemask_pd(m) != 0; }

  static Mask Between(int first, int end) {
    const bool lane0 = first <= 0 && end > 0, lane1 = first <= 1 && end > 1;
    return _mm_castsi128_pd(_mm_set_epi64x(lane1 ? -1 : 0, lane0 ? -1 : 0));
  }
  static unsigned Bits(Mask m) { return static_cast<unsigned>(_mm_movemask_pd(m)); }
  static int FirstLane(Mask m) { return __builtin_ctz(_mm_movemask_pd(m)); }
  static bool IsSet(Mask m, int i) { return (_mm_movemask_pd(m) >> i) & 1; }
  static double Get(Value v, int i) { return v[i]; }
};

}  // namespace

int SearchLanes2(const TriangleLanes::Regions& regions, int count, int start,
                 const Point3& p, const Point3& q, FoundCrossing& found) {
  return SearchInLanes<Lanes2>(regions, count, start, p, q, found);
}
