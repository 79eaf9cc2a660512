// The search of lane_search.h with eight triangles at a time, in AVX-512
// (F and DQ). This file alone is compiled for AVX-512, and it runs only on
// processors that have it (trim.cc checks); everything it compiles is its
// own (the lane type is internal to it), so none of it is shared with code
// that runs on every processor.

#include <immintrin.h>

#include "tool/lane_search.h"

namespace {

struct Lanes8 {
  static constexpr int kWidth = 8;
  static constexpr bool kScreensQuotients = true;
  using Value = __m512d;
  using Mask = __mmask8;

  static Value Load(const double* v) { return _mm512_loadu_pd(v); }
  static Value Abs(Value v) { return _mm512_abs_pd(v); }
  // Ordered, quiet predicates: false where v is NaN.
  static Mask AtLeast(Value v, double c) {
    return _mm512_cmp_pd_mask(v, _mm512_set1_pd(c), _CMP_GE_OQ);
  }
  static Mask Above(Value v, double c) {
    return _mm512_cmp_pd_mask(v, _mm512_set1_pd(c), _CMP_GT_OQ);
  }
  static Mask Below(Value v, double c) {
    return _mm512_cmp_pd_mask(v, _mm512_set1_pd(c), _CMP_LT_OQ);
  }
  static Value ZeroUnless(Mask m, Value v) { return _mm512_maskz_mov_pd(m, v); }
  static Mask And(Mask a, Mask b) { return a & b; }
  static Mask AndNot(Mask a, Mask b) { return a & ~b; }
  static Mask Or(Mask a, Mask b) { return a | b; }
  static bool Any(Mask m) { return m != 0; }
  static unsigned Bits(Mask m) { return m; }

  static Mask Between(int first, int end) {
    const unsigned below_end = end >= kWidth ? 0xffu
                               : end <= 0    ? 0u
                                             : (1u << end) - 1;
    return static_cast<Mask>(below_end & ~((1u << first) - 1));
  }
  static int FirstLane(Mask m) { return __builtin_ctz(m); }
  static bool IsSet(Mask m, int i) { return (m >> i) & 1; }
  static double Get(Value v, int i) { return v[i]; }
};

}  // namespace

int SearchLanes8(const TriangleLanes::Regions& regions, int count, int start,
                 const Point3& p, const Point3& q, FoundCrossing& found) {
  return SearchInLanes<Lanes8>(regions, count, start, p, q, found);
}
