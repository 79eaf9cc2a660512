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
/// there is none. `regions` and `count` are those of a TriangleLanes.
using LaneSearch = int (*)(const TriangleLanes::Regions& regions, int count,
                           int start, const Point3& p, const Point3& q,
                           FoundCrossing& found);

#if defined(VANTREL_X86_LANES)
int SearchLanes2(const TriangleLanes::Regions& regions, int count, int start,
                 const Point3& p, const Point3& q, FoundCrossing& found);
#endif
#if defined(VANTREL_WIDE_LANES)
int SearchLanes4(const TriangleLanes::Regions& regions, int count, int start,
                 const Point3& p, const Point3& q, FoundCrossing& found);
int SearchLanes8(const TriangleLanes::Regions& regions, int count, int start,
                 const Point3& p, const Point3& q, FoundCrossing& found);
#endif

// Before the steps, the search drops the triangles that can't cross the
// segment for where they lie: every crossing that the test accepts lies in
// the triangle's box (TriangleLanes::View low and high) and in the box of
// the segment stretched to twice its length beyond either end (from
// p - 2 (q - p) to p + 3 (q - p)), so when the two boxes are apart the test
// returns 0. This holds when the segment's coordinates are at most the
// triangle's reach; the reasons, with u = 2^-53 and P the largest
// magnitude among the segment's coordinates:
//
// 1. Near the segment. The test's sums dp, dq, n . (p - a), w = n . (q - p)
//    and the triangle's d = -(n . a) each differ from the exact value on
//    the stored n, d by at most eta = 2^-49 (|n|_1 (2 P + max |a_i|) + |d|)
//    (a sum of k rounded terms is off by at most k u times the sum of their
//    magnitudes, k <= 5), and the reach keeps eta <= kEpsilon / 16 (so no
//    sum overflows, and none is NaN). With
//    the exact dp* - dq* = -w* and dp* = n . (p - a) - (d + n . a): if both
//    ends lie strictly on opposite sides, the exact t* = -n.(p-a) / w* lies
//    in [-1/30, 31/30]; if an end snapped to the plane, |dp*| (or |dq*|)
//    < 17/16 kEpsilon and |w*| >= 15/16 kEpsilon put t* within 1.2 of 0 (or
//    of 1). The test's t, from its own sums, is then within 0.2 of t*, so
//    in [-1.41, 2.41], and the crossing p + t (q - p), rounded, lies within
//    17 u P of that part of the segment's line: inside the segment's box,
//    widened by 2^-30 P.
// 2. Near the triangle. Where |den| >= 2^-20 uu vv and uu, vv >= 2^-400
//    (else the reach is -1), den is -|e1 x e2|^2 to within a relative
//    2^-29, and the test's s and u are the exact coordinates of its
//    r = crossing - a in the plane of e1, e2 to within 2^-29 of themselves
//    plus 2^-28 |r| / |e| (|e| that of the edge); values below 2^-1022,
//    off by up to 2^-1074 each, change these bounds by nothing that the
//    margins don't hold many times over. An accepted crossing has
//    -1e-6 <= s, u and s + u <= 1.000002, so it lies within
//    8e-6 (|e1| + |e2|) of the triangle along its plane; across it, its
//    distance from the plane is at most (3.5 eta + 5 u |n|_1 P) / |n| +
//    30 u P < kEpsilon / (4 |n|) + 40 u P, by step 1. The box holds all
//    this with margins of 2^-16 (|e1|_1 + |e2|_1) + kEpsilon / max |n_i| +
//    2^-40 (max |a_i| + max |e1_i| + max |e2_i|) on every side, the last
//    term for the roundings in making the box; the segment's box takes the
//    terms in P.
// Triangles or segments with a coordinate that is not finite have no
// reach, or fail the comparison with it, and are never dropped.

/// Of the kBlock blocks of group `group` (of `blocks` in all), those whose
/// box is not apart from the segment's or doesn't hold (see SearchInLanes),
/// as bits; and in `wide`, those whose box is more than four times as wide
/// as the segment's along some axis, where the boxes of single triangles
/// are worth comparing too. The boxes of groups, kBlock groups at a time,
/// are compared the same way (`groups` then holds the group boxes, `group`
/// counts kBlock groups and `blocks` is the number of groups); a group's box
/// holds its blocks' boxes and its reach is the least of theirs, so a group
/// found apart holds no block that isn't.
template <class L>
VANTREL_ALWAYS_INLINE unsigned NearBlocks(const double* groups, int group,
                                          int blocks, const double* segment_box,
                                          const double* segment_width,
                                          unsigned& wide) {
  using Mask = typename L::Mask;
  using Value = typename L::Value;
  constexpr int kBlock = TriangleLanes::kBlock;
  const double* values = groups + group * TriangleLanes::kGroupValues;
  unsigned far = 0;
  wide = 0;
  for (int k = 0; k < kBlock; k += L::kWidth) {
    auto value = [values, k](int which) {
      return L::Load(values + which * kBlock + k);
    };
    auto beyond = [&value, segment_box](int which) {
      return L::Above(value(which), segment_box[which]);
    };
    const Mask apart = L::Or(
        L::Or(L::Or(beyond(TriangleLanes::kBlockLowX),
                    beyond(TriangleLanes::kBlockHighX)),
              L::Or(beyond(TriangleLanes::kBlockLowY),
                    beyond(TriangleLanes::kBlockHighY))),
        L::Or(beyond(TriangleLanes::kBlockLowZ),
              beyond(TriangleLanes::kBlockHighZ)));
    far |= L::Bits(L::And(apart, beyond(TriangleLanes::kBlockReach))) << k;
    // The width, -(high negated + low), beyond four times the segment's.
    auto wider = [&value, segment_width](int low, int high_negated, int axis) {
      const Value width = -(value(high_negated) + value(low));
      return L::Above(width, 4 * segment_width[axis]);
    };
    wide |= L::Bits(L::Or(
                L::Or(wider(TriangleLanes::kBlockLowX, TriangleLanes::kBlockHighX, 0),
                      wider(TriangleLanes::kBlockLowY, TriangleLanes::kBlockHighY, 1)),
                wider(TriangleLanes::kBlockLowZ, TriangleLanes::kBlockHighZ, 2)))
            << k;
  }
  const int to = blocks - group * kBlock;  // blocks past the last are far
  const unsigned present = to < kBlock ? (1u << to) - 1 : 0xffu;
  return ~far & present;
}

/// The first triangle of the next unit (a block, or a group of blocks, of
/// `size` triangles) that `near` holds at or after bit `bit`, where `near`
/// holds the kBlock units of the `index`-th run of kBlock; the first
/// triangle past that run when it holds none. (A template on the lane type
/// only so that each file compiled for its instruction set has a copy of
/// its own, as SearchInLanes explains.)
template <class L>
VANTREL_ALWAYS_INLINE int NextNear(unsigned near, int index, int bit,
                                   int size) {
  constexpr int kBlock = TriangleLanes::kBlock;
  const unsigned ahead = near >> bit << bit;
  return ahead != 0 ? (index * kBlock + __builtin_ctz(ahead)) * size
                    : (index + 1) * kBlock * size;
}

/// The search with lane type L. Besides what CrossingSteps needs, L gives
///   Or(a, b)             a | b
///   Bits(m)              the lanes of m as the low bits of an unsigned
///   Between(first, end)  the mask of the lanes i with first <= i < end
///                        (0 <= first < kWidth; end may be anything)
///   FirstLane(m)         the first lane set in m (m has one)
///   IsSet(m, i), Get(v, i)  lane i of a mask and of a value
/// Vectors start on multiples of the width, as the blocks of triangles do
/// (the width divides TriangleLanes::kBlock); lanes before `start` or past
/// the last triangle are left out.
///
/// A note on what this may call: it is compiled into files for wider
/// instruction sets, so it uses no function that other files compile too
/// (such as the inline functions of the standard library): the linker
/// could keep the copy made for the wider instruction set for all.
template <class L>
VANTREL_ALWAYS_INLINE int SearchInLanes(const TriangleLanes::Regions& regions,
                                        int count, int start, const Point3& p,
                                        const Point3& q, FoundCrossing& found) {
  using Mask = typename L::Mask;

  // The segment's box, stretched and widened as explained above, and its
  // largest coordinate in magnitude. (No library functions here: see the
  // note above.) With a coordinate that is infinite or NaN, the largest is
  // NaN, which fails every comparison with a reach: nothing is dropped.
  const double pc[3] = {p.x, p.y, p.z}, qc[3] = {q.x, q.y, q.z};
  double largest = 0;
  bool finite = true;
  for (int i = 0; i < 6; ++i) {
    const double v = i < 3 ? pc[i] : qc[i - 3];
    const double magnitude = v < 0 ? -v : v;
    if (!(magnitude <= 0x1.fffffffffffffp+1023)) finite = false;
    if (magnitude > largest) largest = magnitude;
  }
  if (!finite) largest = __builtin_nan("");
  const double widen = 0x1p-30 * largest;
  double low[3], high[3];
  for (int i = 0; i < 3; ++i) {
    const double d = qc[i] - pc[i];
    const double before = pc[i] - 2 * d, beyond = pc[i] + 3 * d;
    low[i] = (before < beyond ? before : beyond) - widen;
    high[i] = (before < beyond ? beyond : before) + widen;
  }

  // The segment's side of the comparison with a block's box (see
  // TriangleLanes::Regions): the block's box is apart where one of its low
  // values exceeds the segment's high one, or one of its negated high
  // values the segment's negated low one; and the box holds where its
  // reach exceeds the segment's largest coordinate.
  const double segment_box[TriangleLanes::kBlockBoxValues] = {
      high[0], high[1], high[2], -low[0], -low[1], -low[2], largest};
  const double segment_width[3] = {high[0] - low[0], high[1] - low[1],
                                   high[2] - low[2]};
  constexpr int kBlock = TriangleLanes::kBlock;
  const int blocks = (count + kBlock - 1) / kBlock;
  const int groups = (blocks + kBlock - 1) / kBlock;

  int first = start - start % L::kWidth;
  Mask alive = L::Between(start - first, count - first);
  int band = -1;             // the kBlock groups whose near groups are known
  unsigned near_groups = 0;  // those, as bits
  int group = -1;      // the group of blocks whose near blocks are known
  unsigned near = 0;   // those, as bits
  unsigned wide = 0;   // the blocks much wider than the segment
  while (first < count) {
    // Whole groups and whole blocks whose box is apart from the segment's
    // are passed over; kBlock groups, and a group's blocks, are compared
    // kBlock at a time.
    const int block = first / kBlock;
    if (block / kBlock != group) {
      group = block / kBlock;
      if (group / kBlock != band) {
        band = group / kBlock;
        unsigned wide_groups = 0;  // not needed
        near_groups = NearBlocks<L>(regions.group_boxes, band, groups,
                                    segment_box, segment_width, wide_groups);
      }
      const int group_bit = group % kBlock;
      if ((near_groups >> group_bit & 1) == 0) {
        first = NextNear<L>(near_groups, band, group_bit, kBlock * kBlock);
        alive = L::Between(0, count - first);
        continue;
      }
      near = NearBlocks<L>(regions.block_boxes, group, blocks, segment_box,
                           segment_width, wide);
    }
    const int bit = block % kBlock;
    if ((near >> bit & 1) == 0) {
      first = NextNear<L>(near, group, bit, kBlock);
      alive = L::Between(0, count - first);
      continue;
    }

    // In a block much wider than the segment's box, the triangles' own
    // boxes may be apart from it where the block's isn't: those triangles
    // are passed over too. In a narrower block that seldom pays.
    const TriangleLanes::View view = TriangleLanes::ViewAt<L>(regions, first);
    Mask crossed = alive;
    if (wide >> bit & 1) {
      const Mask apart = L::Or(
          L::Or(L::Or(L::Above(L::Load(view.low_x), high[0]),
                      L::Below(L::Load(view.high_x), low[0])),
                L::Or(L::Above(L::Load(view.low_y), high[1]),
                      L::Below(L::Load(view.high_y), low[1]))),
          L::Or(L::Above(L::Load(view.low_z), high[2]),
                L::Below(L::Load(view.high_z), low[2])));
      crossed = L::AndNot(
          alive, L::And(apart, L::AtLeast(L::Load(view.reach), largest)));
    }
    if (L::Any(crossed)) {
      CrossingLanes<L> out;
      crossed = CrossingSteps<L>(view, p, q, crossed, out);
      if (L::Any(crossed)) {
        const int lane = L::FirstLane(crossed);
        found.point.x = L::Get(out.x, lane);
        found.point.y = L::Get(out.y, lane);
        found.point.z = L::Get(out.z, lane);
        found.p_goes = L::IsSet(out.p_goes, lane);
        return first + lane;
      }
    }
    first += L::kWidth;
    alive = L::Between(0, count - first);
  }
  return count;
}

#endif  // VANTREL_TOOL_LANE_SEARCH_H_
