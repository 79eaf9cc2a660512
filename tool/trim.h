#ifndef VANTREL_TOOL_TRIM_H_
#define VANTREL_TOOL_TRIM_H_

#include <span>

#include "tool/ldraw_sets.h"

class Console;

/// Trims every segment against every triangle, both in file order: each
/// crossing replaces the segment's end on the triangle's positive side by the
/// crossing point, and the next triangle sees the segment as the ones before
/// it left it. Prints "." on `console` (when not null) after each segment.
/// Returns the number of trims, which can exceed the number of segments.
///
/// Prepares the triangles first (surfaces.lanes, which allocates nothing
/// when room was reserved), then tests each segment against several
/// triangles at a time with the widest vectors this processor has, passing
/// over those that lie too far from it to cross. The result is that of
/// TrimLinesOneByOne, to the bit.
int TrimLines(SurfaceSet& surfaces, LineSet& lines, Console* console);

/// The same pass in its plainest form: every pair through
/// IntersectSegmentTriangle, one after the other. What TrimLines must equal.
int TrimLinesOneByOne(const SurfaceSet& surfaces, LineSet& lines,
                      Console* console);

/// Lane counts that TrimLinesInLanes can use in this build on this
/// processor, widest first: 8 (AVX-512) and 4 (AVX2) where the processor
/// has them, 2 (SSE2) on every x86-64, and always 1 (the prepared triangles
/// one at a time). TrimLines uses the first.
std::span<const int> TrimLaneCounts();

/// TrimLines with `lanes` triangles at a time, one of TrimLaneCounts().
int TrimLinesInLanes(int lanes, SurfaceSet& surfaces, LineSet& lines,
                     Console* console);

#endif  // VANTREL_TOOL_TRIM_H_
