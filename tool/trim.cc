#include "tool/trim.h"

#include "geometry/intersect.h"
#include "tool/console.h"

int TrimLines(const SurfaceSet& surfaces, LineSet& lines, Console* console) {
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
