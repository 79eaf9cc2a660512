// The search of lane_search.h with four triangles at a time, in AVX2. This
// file alone is compiled for AVX2, and it runs only on processors that have
// it (trim.cc checks); everything it compiles is its own (the lane type is
// internal to it), so none of it is shared with code that runs on every
// processor.

#include <immintrin.h>

#include "tool/lane_search.h"

namespace {

struct Lanes4 {
  static constexpr int kWidth = 4;
  static constexpr bool kScreensQuotients = true;
  using Value = __m256d;
  using Mask = __m256d;  // all bits set in a lane where true

  static Value Load(const double* v) { return _mm256_loadu_pd(v); }
  // Clears the sign bit, as fabs does.
  static Value Abs(Value v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }
  // Ordered, quiet predicates: false where v is NaN.
  static Mask AtLeast(Value v, double c) {
    return _mm256_cmp_pd(v, _mm256_set1_pd(c), _CMP_GE_OQ);
  }
  static Mask Above(Value v, double c) {
    return _mm256_cmp_pd(v, _mm256_set1_pd(c), _CMP_GT_OQ);
  }
  static Mask Below(Value v, double c) {
    return _mm256_cmp_pd(v, _mm256_set1_pd(c), _CMP_LT_OQ);
  }
  static Value ZeroUnless(Mask m, Value v) { return _mm256_and_pd(m, v); }
  static Mask And(Mask a, Mask b) { return _mm256_and_pd(a, b); }
  static Mask AndNot(Mask a, Mask b) { return _mm256_andnot_pd(b, a); }
  static Mask Or(Mask a, Mask b) { return _mm256_or_pd(a, b); }
  static bool Any(Mask m) { return _mm256_movemask_pd(m) != 0; }

  static Mask Between(int first, int end) {
    const __m256i index = _mm256_setr_epi64x(0, 1, 2, 3);
    const __m256i at_or_after_first =
        _mm256_cmpgt_epi64(index, _mm256_set1_epi64x(first - 1));
    const __m256i before_end =
        _mm256_cmpgt_epi64(_mm256_set1_epi64x(end), index);
    return _mm256_castsi256_pd(_mm256_and_si256(at_or_after_first, before_end));
  }
  static unsigned Bits(Mask m) {
    return static_cast<unsigned>(_mm256_movemask_pd(m));
  }
  static int FirstLane(Mask m) { return __builtin_ctz(_mm256_movemask_pd(m)); }
  static bool IsSet(Mask m, int i) { return (_mm256_movemask_pd(m) >> i) & 1; }
  static double Get(Value v, int i) { return v[i]; }
};

}  // namespace

int SearchLanes4(const TriangleLanes::Regions& regions, int count, int start,
                 const Point3& p, const Point3& q, FoundCrossing& found) {
  return SearchInLanes<Lanes4>(regions, count, start, p, q, found);
}
