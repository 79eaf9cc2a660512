#ifndef VANTREL_TOOL_TRIM_H_
#define VANTREL_TOOL_TRIM_H_

#include "tool/ldraw_sets.h"

class Console;

/// Trims every segment against every triangle, both in file order: each
/// crossing replaces the segment's end on the triangle's positive side by the
/// crossing point, and the next triangle sees the segment as the ones before
/// it left it. Prints "." on `console` (when not null) after each segment.
/// Returns the number of trims, which can exceed the number of segments.
int TrimLines(const SurfaceSet& surfaces, LineSet& lines, Console* console);

#endif  // VANTREL_TOOL_TRIM_H_
