#ifndef VANTREL_BENCH_WORKLOADS_H_
#define VANTREL_BENCH_WORKLOADS_H_

#include <span>
#include <string>

/// A full-size run as LDraw text: 1000 triangles and 1000 edge lines. The
/// same name always gives the same bytes, on every platform.
struct Workload {
  const char* name;
  std::string surface;  // the surface file (type-3 and type-4 records)
  std::string lines;    // the line file (type-2 records, and a header)
};

/// "realistic": a 2 x 4 brick (walls, top, studs, bottom tubes) with its
///   edge lines, and short lines around it, a few of them through it. Most
///   triangles lie far from most lines, and most of the rest have both ends
///   of a line on one side.
/// "all-cross": every line crosses the plane of every triangle, near the
///   triangle but outside it, so every pair runs the whole test: no
///   triangle lies far enough from a line to be passed over.
/// "cascade": vertical lines through a stack of horizontal faces that cut
///   each line again at every face below its top: half the pairs trim.
/// "all-cross-far": like all-cross, with the triangles 100 to 200 units
///   from the lines, which the pass passes over.
std::span<const char* const> WorkloadNames();

/// The workload of that name; an unknown name gives an empty workload.
Workload MakeWorkload(const std::string& name);

#endif  // VANTREL_BENCH_WORKLOADS_H_
