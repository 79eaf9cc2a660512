#ifndef VANTREL_GEOMETRY_RECORDS_H_
#define VANTREL_GEOMETRY_RECORDS_H_

// The plain records shared by the whole tool. Coordinates are LDraw model
// coordinates, used exactly as read; no units are assumed.

/// A point or a vector.
struct Point3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

/// A surface element. The corner order fixes the orientation: the positive
/// side is the one the normal (b - a) x (c - a) points to.
struct Triangle {
  Point3 a;
  Point3 b;
  Point3 c;
};

/// An edge line: p1 is the first end of a type-2 record, p2 the second.
struct Segment {
  Point3 p1;
  Point3 p2;
};

/// Which end of a segment a crossing replaces.
enum TrimEnd : int {
  kTrimP1 = 0,
  kTrimP2 = 1,
};

#endif  // VANTREL_GEOMETRY_RECORDS_H_
