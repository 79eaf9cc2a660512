#include "geometry/intersect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

struct Case {
  const char* name;
  Triangle triangle;
  Segment segment;
  int result;
  TrimEnd end = kTrimP2;             // checked on a result of 1
  std::optional<Point3> crossing{};  // checked when given
};

// Faces +y: normal (B - A) x (C - A) = (0, 16, 0), plane y = 5.
const Triangle kT = {{-1, 5, -1}, {-1, 5, 3}, {3, 5, -1}};
// The same corners as A, C, B: faces -y.
const Triangle kTFlipped = {{-1, 5, -1}, {3, 5, -1}, {-1, 5, 3}};
// Normal (0, 1, 0), plane y = 0. For a vertical segment at (x, z), the
// distance of an end is its y, s is z and u is x, all computed exactly.
const Triangle kUnit = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};

Segment Vertical(double x, double y1, double y2, double z) {
  return {{x, y1, z}, {x, y2, z}};
}

double Below(double v) { return std::nextafter(v, -2.0); }
double Above(double v) { return std::nextafter(v, 2.0); }

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<Case> Cases() {
  return {
      // The worked example, reversed, and with the triangle flipped.
      {"crosses", kT, {{0, 0, 0}, {0, 10, 0}}, 1, kTrimP2, Point3{0, 5, 0}},
      {"crosses reversed", kT, {{0, 10, 0}, {0, 0, 0}}, 1, kTrimP1,
       Point3{0, 5, 0}},
      {"crosses flipped triangle", kTFlipped, {{0, 0, 0}, {0, 10, 0}}, 1,
       kTrimP1, Point3{0, 5, 0}},
      {"both ends above", kT, {{0, 6, 0}, {0, 10, 0}}, 0},
      {"both ends below", kT, {{0, 0, 0}, {0, 4, 0}}, 0},
      {"both ends above flipped", kTFlipped, {{0, 6, 0}, {0, 10, 0}}, 0},

      // An end on the plane: the segment keeps its length only when it comes
      // from the negative side and ends there; otherwise it collapses.
      {"ends on plane from below", kT, {{0, 0, 0}, {0, 5, 0}}, 1, kTrimP2,
       Point3{0, 5, 0}},
      {"starts on plane going down", kT, {{0, 5, 0}, {0, 0, 0}}, 1, kTrimP2,
       Point3{0, 5, 0}},
      {"starts on plane going up", kT, {{0, 5, 0}, {0, 10, 0}}, 1, kTrimP2,
       Point3{0, 5, 0}},
      {"ends on plane from above", kT, {{0, 10, 0}, {0, 5, 0}}, 1, kTrimP1,
       Point3{0, 5, 0}},

      {"outside the triangle", kT, {{5, 0, 5}, {5, 10, 5}}, 0},
      {"on edge B-C", kT, {{1, 0, 1}, {1, 10, 1}}, 1, kTrimP2,
       Point3{1, 5, 1}},
      {"in the plane", kT, {{0, 5, 0}, {1, 5, 0}}, 0},
      {"zero length on the plane", kT, {{0, 5, 0}, {0, 5, 0}}, 0},
      {"collinear corners", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}},
       {{0, -1, 0}, {1, 3, 0}}, 0},

      // Snap of the end distances: exactly Epsilon is not small.
      {"first end at Epsilon stays off the plane", kUnit,
       Vertical(0.25, kEpsilon, -1, 0.25), 1, kTrimP1},
      {"first end below Epsilon snaps to the plane", kUnit,
       Vertical(0.25, Below(kEpsilon), -1, 0.25), 1, kTrimP2},

      // The parametric bounds are inclusive.
      {"s at lower bound", kUnit, Vertical(0.25, -1, 1, -0.000001), 1,
       kTrimP2, Point3{0.25, 0, -0.000001}},
      {"s below lower bound", kUnit, Vertical(0.25, -1, 1, Below(-0.000001)),
       0},
      {"s at upper bound", kUnit, Vertical(0, -1, 1, 1.000001), 1, kTrimP2,
       Point3{0, 0, 1.000001}},
      {"s above upper bound", kUnit, Vertical(0, -1, 1, Above(1.000001)), 0},
      {"u at lower bound", kUnit, Vertical(-0.000001, -1, 1, 0.25), 1},
      {"u below lower bound", kUnit, Vertical(Below(-0.000001), -1, 1, 0.25),
       0},
      {"s + u at upper bound", kUnit, Vertical(1.000001, -1, 1, 0), 1,
       kTrimP2, Point3{1.000001, 0, 0}},
      {"s + u above upper bound", kUnit, Vertical(Above(1.000001), -1, 1, 0),
       0},

      // Parallel test: |w| exactly Epsilon passes.
      {"w at Epsilon", kUnit, Vertical(0.25, 0, kEpsilon, 0.25), 1, kTrimP2,
       Point3{0.25, 0, 0.25}},
      {"w below Epsilon", kUnit, Vertical(0.25, 0, Below(kEpsilon), 0.25), 0},

      // Degenerate test: an L1 normal length of exactly Epsilon passes.
      {"normal length at Epsilon", {{0, 0, 0}, {0, 0, kEpsilon}, {1, 0, 0}},
       {{0.5, -1, 0}, {0.5, 1, 0}}, 1, kTrimP2, Point3{0.5, 0, 0}},
      {"normal length below Epsilon",
       {{0, 0, 0}, {0, 0, Below(kEpsilon)}, {1, 0, 0}},
       {{0.5, -1, 0}, {0.5, 1, 0}}, 0},

      // Not a number or infinite anywhere: never a crossing.
      {"NaN in an end", kT, {{kNaN, 0, 0}, {0, 10, 0}}, 0},
      {"NaN in a corner", {{-1, kNaN, -1}, {-1, 5, 3}, {3, 5, -1}},
       {{0, 0, 0}, {0, 10, 0}}, 0},
      {"infinite end", kT, {{0, 0, 0}, {0, kInf, 0}}, 0},
      {"infinite start", kT, {{0, -kInf, 0}, {0, 10, 0}}, 0},

      // Found by search: a multiply-add fused into one rounding turns this
      // crossing into a rejection. Guards the build's no-contraction flags.
      {"fused arithmetic would reject",
       {{0x1.999999999999ap-3, 0x1.999999999999ap-1, -0x1.3333333333334p-1},
        {0x1.999999999999ap-4, 0x1.999999999999ap-3, 0x1.3333333333334p-1},
        {-0x1.999999999999ap-2, -0x1.3333333333334p-1, 0}},
       {{-0x1.3830fa2f2c7ep-3, -0x1.ede513a8dcfd8p-4, 0x1.81f0ac69b1498p-5},
        {0x1.538f65cbcbb6cp+1, 0x1.8be47a2d4b566p+0, -0x1.978c8b7e3f5a2p+0}},
       1, kTrimP2,
       Point3{-0x1.3831793e6cfa2p-3, -0x1.ede5aaabd6d07p-4,
              0x1.81f1d56004a3ep-5}},
      // Found by search: with the first end's distance added in the order
      // x, y, z instead of z, y, x, the first end would be replaced.
      {"summation order decides the end",
       {{-0x1.3333333333334p-2, 0x1.3333333333334p-1, -0x1.999999999999ap-1},
        {0, 0x1.999999999999ap-3, -0x1.999999999999ap-3},
        {-0x1.999999999999ap-2, 0x1.3333333333334p-2, -0x1.999999999999ap-4}},
       {{-0x1.13dcef6f799cp-2, 0x1.fbeb7ec4e6c63p-2, -0x1.3714c53c0cdfcp-1},
        {0x1.150334b14a65cp+0, 0x1.5dbd4c762c373p+1, -0x1.764f8584887dp+0}},
       1, kTrimP2,
       Point3{-0x1.13dc5efb9f33dp-2, 0x1.fbec6dcc63e01p-2,
              -0x1.3714f2e7a884p-1}},
  };
}

TEST(IntersectSegmentTriangle, Table) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    Point3 crossing{-7, -7, -7};
    TrimEnd end = kTrimP1;
    const int result =
        IntersectSegmentTriangle(c.triangle.a, c.triangle.b, c.triangle.c,
                                 c.segment.p1, c.segment.p2, crossing, end);
    ASSERT_EQ(result, c.result);
    if (result != 1) continue;
    EXPECT_EQ(end, c.end);
    if (c.crossing) {
      // Exact: every expected point is computed without rounding.
      EXPECT_EQ(crossing.x, c.crossing->x);
      EXPECT_EQ(crossing.y, c.crossing->y);
      EXPECT_EQ(crossing.z, c.crossing->z);
    }
  }
}

}  // namespace
