#ifndef VANTREL_GEOMETRY_INTERSECT_H_
#define VANTREL_GEOMETRY_INTERSECT_H_

#include "geometry/records.h"

/// Tolerance of the plane snap (step 5), of the degenerate-triangle test and
/// of the parallel test. It is compared with values that are not normalised:
/// plane distances times |n|, the L1 length of n, and n . (q - p).
inline constexpr double kEpsilon = 0.000001;

/// Decides whether the segment p-q crosses or touches the triangle a, b, c.
///
/// Returns 1 on a crossing: `crossing` then holds the crossing point and
/// `end` the end of the segment lying on the triangle's positive side, which
/// is to be replaced by it (when neither end lies strictly on that side, p2).
/// Returns 0 otherwise; `crossing` and `end` may have been written all the
/// same and must be ignored.
///
/// Pure: no state, no allocation, no I/O. Every operation is rounded on its
/// own in a fixed order, so results are the same to the bit everywhere.
int IntersectSegmentTriangle(const Point3& a, const Point3& b, const Point3& c,
                             const Point3& p, const Point3& q, Point3& crossing,
                             TrimEnd& end);

#endif  // VANTREL_GEOMETRY_INTERSECT_H_
