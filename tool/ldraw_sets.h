#ifndef VANTREL_TOOL_LDRAW_SETS_H_
#define VANTREL_TOOL_LDRAW_SETS_H_

#include <vector>

#include "geometry/records.h"
#include "tool/triangle_lanes.h"

/// Most triangles a surface file may yield (a quadrilateral counts two).
inline constexpr int TriangleLimit = 1000;
/// Most type-2 lines a line file may hold.
inline constexpr int LineLimit = 1000;

/// The surface file's triangles in file order; a quadrilateral's two
/// triangles stand one after the other.
struct SurfaceSet {
  std::vector<Triangle> triangles;
  /// The triangles prepared for the trimming pass, which fills this. Reserve
  /// it with the triangles, so that the pass allocates nothing.
  TriangleLanes lanes;
};

/// The line file's type-2 lines in file order.
struct LineSet {
  std::vector<Segment> segments;
};

#endif  // VANTREL_TOOL_LDRAW_SETS_H_
