#ifndef VANTREL_GEOMETRY_INTERSECT_H_
#define VANTREL_GEOMETRY_INTERSECT_H_

#include "geometry/records.h"

/// Tolerance of the plane snap, of the degenerate-triangle test and of the
/// parallel test. It is compared with values that are not normalised: plane
/// distances times |n|, the L1 length of n, and n . (q - p).
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
/// It is PrepareTriangle followed by IntersectPreparedTriangle.
int IntersectSegmentTriangle(const Point3& a, const Point3& b, const Point3& c,
                             const Point3& p, const Point3& q, Point3& crossing,
                             TrimEnd& end);

/// The part of the crossing test that depends on the triangle alone. A pass
/// that tests many segments against one triangle computes it once.
struct PreparedTriangle {
  double ax, ay, az;     // corner a
  double e1x, e1y, e1z;  // edge e1 = b - a
  double e2x, e2y, e2z;  // edge e2 = c - a
  double nx, ny, nz;     // normal n = e1 x e2, not normalised
  double d;              // plane offset -(n . a)
  double uu, uv, vv;     // e1 . e1, e1 . e2, e2 . e2
  double den;            // uv uv - uu vv, which is -|n|^2 up to rounding
  bool has_plane;        // the L1 length of n is at least kEpsilon
};

/// Computes the triangle's part of the crossing test.
PreparedTriangle PrepareTriangle(const Point3& a, const Point3& b,
                                 const Point3& c);

/// The crossing test on a prepared triangle: the same result, crossing and
/// end as IntersectSegmentTriangle on the triangle's corners, to the bit.
int IntersectPreparedTriangle(const PreparedTriangle& triangle, const Point3& p,
                              const Point3& q, Point3& crossing, TrimEnd& end);

#endif  // VANTREL_GEOMETRY_INTERSECT_H_
