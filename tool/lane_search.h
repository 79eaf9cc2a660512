#ifndef VANTREL_TOOL_LANE_SEARCH_H_
#define VANTREL_TOOL_LANE_SEARCH_H_

// The search for the first triangle that crosses a segment, several
// triangles at a time, and the searches that this build has: one per lane
// type, each in a file of its own compiled for its instruction set
// (trim_sse2.cc, trim_avx2.cc, trim_avx512.cc). The trimming pass
// (trim.cc) calls the one that the processor runs.

#include "geometry/crossing_steps.h"
#include "geometry/records.h"
#include "tool/triangle_lanes.h"

/// The first crossing that a search found.
struct FoundCrossing {
  Point3 point;  // the crossing point
  bool p_goes;   // whether it replaces the segment's first end
};

/// Returns the index of the first triangle, from `start` on, that the
/// segment p-q crosses, and its crossing in `found`; returns `count` when
/// there is none. `blocks` and `count` are those of a TriangleLanes.
using LaneSearch = int (*)(const double* blocks, int count, int start,
                           const Point3& p, const Point3& q,
                           FoundCrossing& found);

#if defined(VANTREL_X86_LANES)
int SearchLanes2(const double* blocks, int count, int start, const Point3& p,
                 const Point3& q, FoundCrossing& found);
#endif
#if defined(VANTREL_WIDE_LANES)
int SearchLanes4(const double* blocks, int count, int start, const Point3& p,
                 const Point3& q, FoundCrossing& found);
int SearchLanes8(const double* blocks, int count, int start, const Point3& p,
                 const Point3& q, FoundCrossing& found);
#endif

/// The search with lane type L. Besides what CrossingSteps needs, L gives
///   Between(first, end)  the mask of the lanes i with first <= i < end
///   FirstLane(m)         the first lane set in m (m has one)
///   IsSet(m, i), Get(v, i)  lane i of a mask and of a value
/// Vectors start on multiples of the width, as the blocks of triangles do
/// (the width divides TriangleLanes::kBlock); lanes before `start` or past
/// the last triangle are left out.
template <class L>
VANTREL_ALWAYS_INLINE int SearchInLanes(const double* blocks, int count,
                                        int start, const Point3& p,
                                        const Point3& q, FoundCrossing& found) {
  using Mask = typename L::Mask;
  int first = start - start % L::kWidth;
  Mask alive = L::Between(start - first, count - first);
  while (first < count) {
    CrossingLanes<L> out;
    const Mask crossed = CrossingSteps<L>(
        TriangleLanes::ViewAt<L>(blocks, first), p, q, alive, out);
    if (L::Any(crossed)) {
      const int lane = L::FirstLane(crossed);
      found.point.x = L::Get(out.x, lane);
      found.point.y = L::Get(out.y, lane);
      found.point.z = L::Get(out.z, lane);
      found.p_goes = L::IsSet(out.p_goes, lane);
      return first + lane;
    }
    first += L::kWidth;
    alive = L::Between(0, count - first);
  }
  return count;
}

#endif  // VANTREL_TOOL_LANE_SEARCH_H_
