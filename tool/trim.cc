#include "tool/trim.h"

#include <array>

// The C library's record of the processor's features (glibc 2.33 and
// later); its header is C, which GCC's C++ accepts and Clang's doesn't.
#if defined(VANTREL_WIDE_LANES) && !defined(__clang__) && \
    __has_include(<sys/platform/x86.h>)
#define VANTREL_LIBC_CPU_FEATURES 1
#include <sys/platform/x86.h>
#endif

#include "geometry/crossing_steps.h"
#include "geometry/intersect.h"
#include "tool/console.h"
#include "tool/lane_search.h"
#include "tool/triangle_lanes.h"

namespace {

// Tests one prepared triangle and, when the segment p-q crosses it,
// replaces the end that goes.
bool TrimByOne(const TriangleLanes::View& triangle, Point3& p, Point3& q) {
  CrossingLanes<ScalarLanes> out{};
  if (!CrossingSteps<ScalarLanes>(triangle, p, q, true, out)) return false;
  (out.p_goes ? p : q) = Point3{out.x, out.y, out.z};
  return true;
}

// Trims one segment against the prepared triangles, one at a time.
int TrimSegmentByOne(const TriangleLanes& triangles, Segment& segment) {
  int trims = 0;
  for (int i = 0; i < triangles.size(); ++i)
    trims += TrimByOne(triangles.At(i), segment.p1, segment.p2);
  return trims;
}

// Trims one segment with a search that tests several triangles at a time.
// The search stops at the first triangle that crosses; after the trim it
// starts again at the next one, so every triangle sees the segment as the
// ones before it left it.
int TrimSegmentInLanes(LaneSearch search, const TriangleLanes& triangles,
                       Segment& segment) {
  const int count = triangles.size();
  Point3 p = segment.p1, q = segment.p2;
  int trims = 0;
  int next = 0;
  while (next < count) {
    FoundCrossing found;
    const int hit = search(triangles.regions(), count, next, p, q, found);
    if (hit == count) break;
    (found.p_goes ? p : q) = found.point;
    ++trims;
    next = hit + 1;

    // One trim often brings more: a quadrilateral's second half cuts again
    // at the shared diagonal, a stack of parallel faces cuts at each face. A
    // search would then use one lane of each vector, so the triangles after
    // a trim are tested one at a time until one doesn't cut.
    bool trimmed = true;
    while (trimmed && next < count) {
      trimmed = TrimByOne(triangles.At(next), p, q);
      trims += trimmed;
      ++next;
    }
  }
  segment.p1 = p;
  segment.p2 = q;
  return trims;
}

// The searches this processor runs, widest first; a null search is the
// one-at-a-time pass.
struct Passes {
  std::array<int, 4> lanes{};
  std::array<LaneSearch, 4> search{};
  int count = 0;

  void Add(int n, LaneSearch s) {
    lanes[count] = n;
    search[count] = s;
    ++count;
  }
};

#if defined(VANTREL_WIDE_LANES)
// Whether the processor and the operating system support the wider
// vectors. The C library knows already, having looked when the program
// started; asking it again costs nothing, while asking the processor
// (CPUID) costs microseconds under a hypervisor.
#if defined(VANTREL_LIBC_CPU_FEATURES)
bool HasAvx512() { return CPU_FEATURE_ACTIVE(AVX512F) && CPU_FEATURE_ACTIVE(AVX512DQ); }
bool HasAvx2() { return CPU_FEATURE_ACTIVE(AVX2); }
#else
bool HasAvx512() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
}
bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
#endif
#endif

const Passes& AvailablePasses() {
  static const Passes passes = [] {
    Passes p;
#if defined(VANTREL_WIDE_LANES)
    if (HasAvx512()) p.Add(8, SearchLanes8);
    if (HasAvx2()) p.Add(4, SearchLanes4);
#endif
#if defined(VANTREL_X86_LANES)
    p.Add(2, SearchLanes2);
#endif
    p.Add(1, nullptr);
    return p;
  }();
  return passes;
}

int TrimWith(LaneSearch search, SurfaceSet& surfaces, LineSet& lines,
             Console* console) {
  surfaces.lanes.Assign(surfaces.triangles);
  int trims = 0;
  for (Segment& segment : lines.segments) {
    trims += search != nullptr
                 ? TrimSegmentInLanes(search, surfaces.lanes, segment)
                 : TrimSegmentByOne(surfaces.lanes, segment);
    if (console != nullptr) console->Print(".");
  }
  return trims;
}

}  // namespace

int TrimLines(SurfaceSet& surfaces, LineSet& lines, Console* console) {
  return TrimWith(AvailablePasses().search[0], surfaces, lines, console);
}

int TrimLinesOneByOne(const SurfaceSet& surfaces, LineSet& lines,
                      Console* console) {
  int trims = 0;
  for (Segment& segment : lines.segments) {
    for (const Triangle& t : surfaces.triangles) {
      Point3 crossing;
      TrimEnd end = kTrimP2;
      if (IntersectSegmentTriangle(t.a, t.b, t.c, segment.p1, segment.p2,
                                   crossing, end) == 1) {
        (end == kTrimP1 ? segment.p1 : segment.p2) = crossing;
        ++trims;
      }
    }
    if (console != nullptr) console->Print(".");
  }
  return trims;
}

std::span<const int> TrimLaneCounts() {
  const Passes& passes = AvailablePasses();
  return std::span<const int>(passes.lanes.data(),
                              static_cast<std::size_t>(passes.count));
}

int TrimLinesInLanes(int lanes, SurfaceSet& surfaces, LineSet& lines,
                     Console* console) {
  const Passes& passes = AvailablePasses();
  LaneSearch search = nullptr;
  for (int i = 0; i < passes.count; ++i) {
    if (passes.lanes[i] == lanes) search = passes.search[i];
  }
  return TrimWith(search, surfaces, lines, console);
}
