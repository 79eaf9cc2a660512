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
///   pairs are rejected by the side test.
/// "all-cross": every line crosses the plane of every triangle, far from
///   the triangle, so every pair runs the whole test and is rejected by its
///   last steps.
/// "cascade": vertical lines through a stack of horizontal faces that cut
///   each line again at every face below its top: half the pairs trim.
std::span<const char* const> WorkloadNames();

/// The workload of that name; an unknown name gives an empty workload.
Workload MakeWorkload(const std::string& name);

#endif  // VANTREL_BENCH_WORKLOADS_H_
