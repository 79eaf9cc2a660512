// The pass the tool uses (TrimLines: prepared triangles, several at a time,
// with screened divisions) against the plain pass (TrimLinesOneByOne: every
// pair through IntersectSegmentTriangle), with every lane count this
// processor runs: the same number of trims and the same segments, to the
// bit. The inputs are random scenes and scenes built to sit on the test's
// thresholds, where a single rounding done differently shows.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "geometry/crossing_steps.h"
#include "geometry/intersect.h"
#include "tests/splitmix64.h"
#include "tool/trim.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The scenes' random numbers, with a few helpers of their own.
class Random : public SplitMix64 {
 public:
  using SplitMix64::SplitMix64;

  int Below(int n) { return static_cast<int>(Next() % static_cast<unsigned>(n)); }
  template <class T>
  const T& Pick(const std::vector<T>& values) {
    return values[static_cast<std::size_t>(Below(static_cast<int>(values.size())))];
  }
  // One of `values`, moved by -2 to 2 ULPs.
  double Near(const std::vector<double>& values);
  Point3 InBox(double half) {
    const double x = Uniform(-half, half), y = Uniform(-half, half);
    return {x, y, Uniform(-half, half)};
  }
};

// `v` moved by `ulps` units in the last place (toward +inf when positive).
double Ulps(double v, int ulps) {
  for (; ulps > 0; --ulps) v = std::nextafter(v, kInf);
  for (; ulps < 0; ++ulps) v = std::nextafter(v, -kInf);
  return v;
}

double Random::Near(const std::vector<double>& values) {
  const double v = Pick(values);
  return Ulps(v, Below(5) - 2);
}

Point3 Add(Point3 a, Point3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 Sub(Point3 a, Point3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 Scale(double k, Point3 a) { return {k * a.x, k * a.y, k * a.z}; }
double Dot(Point3 a, Point3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point3 Cross(Point3 a, Point3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct Scene {
  std::vector<Triangle> triangles;
  std::vector<Segment> segments;
};

// ---------------------------------------------------------------- scenes

// Triangles and segments anywhere in a box, at one of several scales.
Scene RandomScene(Random& random) {
  const double half = random.Pick<double>({1e-3, 1, 100, 1e6});
  Scene scene;
  for (int i = 0; i < 48; ++i)
    scene.triangles.push_back(
        {random.InBox(half), random.InBox(half), random.InBox(half)});
  for (int i = 0; i < 48; ++i)
    scene.segments.push_back({random.InBox(half), random.InBox(half)});
  return scene;
}

// A random triangle and segments placed on its thresholds: an end at a
// distance near kEpsilon (or near 0) from the plane, the crossing near the
// parametric bounds (within a few ULPs, and near the screen's margin), and
// directions whose n . (q - p) is near kEpsilon. The coordinates are
// rounded where they are made, so each case lands on one side or the other
// of its threshold by the roundings of the test.
Scene ThresholdScene(Random& random) {
  Scene scene;
  const std::vector<double> bounds_s = {kParamLow, kParamHigh, 0.25, 0.5};
  const std::vector<double> offsets = {
      0,        0x1p-52,  -0x1p-52, 0x1p-50,   -0x1p-50,  0x1p-41,
      -0x1p-41, 0x1p-40,  -0x1p-40, 0x1.8p-40, -0x1.8p-40, 0x1p-39,
      -0x1p-39, 1e-9,     -1e-9,    0x1p-30,   -0x1p-30};
  const std::vector<double> end_distances = {
      kEpsilon,           -kEpsilon,          Ulps(kEpsilon, 1),
      Ulps(kEpsilon, -1), Ulps(-kEpsilon, 2), Ulps(-kEpsilon, -2),
      0.0,                1e-12,              -1e-12,
      0.5,                -0.5,               3.0};
  for (int t = 0; t < 8; ++t) {
    const double half = random.Pick<double>({1, 10, 1000});
    const Point3 a = random.InBox(half);
    const Point3 e1 = random.InBox(half), e2 = random.InBox(half);
    scene.triangles.push_back({a, Add(a, e1), Add(a, e2)});
    const Point3 n = Cross(e1, e2);
    const double nn = Dot(n, n);
    if (!(nn > 0)) continue;
    for (int k = 0; k < 12; ++k) {
      // The crossing, by its coordinates (s, u) in the triangle.
      const double s_bound = random.Pick(bounds_s);
      const double s = s_bound + random.Pick(offsets);
      const double u_bound = random.Pick(bounds_s);
      double u = u_bound + random.Pick(offsets);
      switch (random.Below(3)) {
        case 0:  // s + u on the upper bound
          u = kParamHigh - s;
          u += random.Pick(offsets);
          break;
        case 1:  // u on the lower bound
          u = kParamLow + random.Pick(offsets);
          break;
        default:
          break;
      }
      const Point3 x = Add(a, Add(Scale(s, e1), Scale(u, e2)));
      // The ends, at chosen distances (times |n|) from the plane.
      const Point3 p = Add(x, Scale(random.Pick(end_distances) / nn, n));
      Point3 q;
      if (random.Below(4) == 0) {
        // Nearly parallel: n . (q - p) close to kEpsilon.
        const double w = random.Pick<double>(
            {kEpsilon, -kEpsilon, Ulps(kEpsilon, 1), Ulps(kEpsilon, -1)});
        q = Add(p, Add(Scale(random.Uniform(-2, 2), e1), Scale(w / nn, n)));
      } else {
        q = Add(x, Scale(random.Pick(end_distances) / nn, n));
        if (random.Below(2) == 0) q = Add(q, Scale(random.Uniform(-1, 1), n));
      }
      scene.segments.push_back(random.Below(2) == 0 ? Segment{p, q}
                                                    : Segment{q, p});
    }
  }
  return scene;
}

// The triangle (0, 0, 0), (0, 0, 1), (1, 0, 0) scaled by a power of two and
// moved, with vertical segments: every value of the test is exact here, so
// the crossings fall exactly on the bounds, or ULPs beside them.
Scene ExactBoundsScene(Random& random) {
  Scene scene;
  const double k = std::ldexp(1.0, random.Below(21) - 10);
  const Point3 shift = {std::ldexp(random.Uniform(-8, 8), 3), 0,
                        std::ldexp(random.Uniform(-8, 8), 3)};
  auto point = [&](double x, double y, double z) {
    return Add(shift, Point3{k * x, k * y, k * z});
  };
  scene.triangles.push_back({point(0, 0, 0), point(0, 0, 1), point(1, 0, 0)});
  scene.triangles.push_back({point(0, 0, 0), point(1, 0, 0), point(0, 0, 1)});
  const std::vector<double> at = {kParamLow, 0.0, 0.25, 0.5, kParamHigh};
  for (int i = 0; i < 40; ++i) {
    const double x = random.Near(at);
    const double z = random.Below(3) == 0 ? random.Near({kParamHigh - x})
                                          : random.Near(at);
    const double y1 = random.Pick<double>(
        {-1, 1, 0, kEpsilon, -kEpsilon, Ulps(kEpsilon, -1), Ulps(kEpsilon, 1)});
    const double y2 = random.Pick<double>({-1, 1, 0, 2, -2});
    scene.segments.push_back({point(x, y1 / k, z), point(x, y2 / k, z)});
  }
  return scene;
}

// Triangles whose normal has an L1 length near kEpsilon, collinear corners,
// repeated corners, mixed with ordinary triangles.
Scene DegenerateScene(Random& random) {
  Scene scene;
  for (int i = 0; i < 24; ++i) {
    const Point3 a = random.InBox(2);
    const Point3 e = random.InBox(2);
    switch (random.Below(4)) {
      case 0: {  // n = (0, 0, h) exactly: e1 = (1, 0, 0), e2 = (0, h, 0)
        const double h = Ulps(kEpsilon, random.Below(5) - 2);
        scene.triangles.push_back(
            {{0, 0, 0}, {1, 0, 0}, {0, h, 0}});
        break;
      }
      case 1:  // collinear
        scene.triangles.push_back({a, Add(a, e), Add(a, Scale(2, e))});
        break;
      case 2:  // a corner repeated
        scene.triangles.push_back({a, a, Add(a, e)});
        break;
      default:
        scene.triangles.push_back({a, Add(a, e), Add(a, random.InBox(2))});
        break;
    }
  }
  for (int i = 0; i < 32; ++i) {
    const Point3 p = random.InBox(2);
    scene.segments.push_back({p, Add(p, Point3{random.Uniform(-0.1, 0.1),
                                               random.Uniform(-3, 3),
                                               random.Uniform(-0.1, 0.1)})});
  }
  return scene;
}

// Coordinates near the ends of the double range, subnormal ones, and
// infinities and NaN: products overflow, differences become NaN.
Scene ExtremeScene(Random& random) {
  const std::vector<double> magnitudes = {1e-320, 1e-300, 1e-160, 1,
                                          1e150,  1e160,  1e300,  1.7e308};
  auto value = [&]() {
    const int pick = random.Below(40);
    if (pick == 0) return kInf;
    if (pick == 1) return -kInf;
    if (pick == 2) return kNaN;
    const double magnitude = random.Pick(magnitudes);
    return random.Uniform(-1, 1) * magnitude;
  };
  auto point = [&]() {
    const double x = value(), y = value();
    return Point3{x, y, value()};
  };
  Scene scene;
  for (int i = 0; i < 32; ++i) scene.triangles.push_back({point(), point(), point()});
  for (int i = 0; i < 32; ++i) scene.segments.push_back({point(), point()});
  // And one scale for everything, so that some pairs cross.
  const double k = random.Pick(magnitudes);
  for (int i = 0; i < 16; ++i) {
    const Point3 a = Scale(k, random.InBox(1));
    scene.triangles.push_back({a, Scale(k, random.InBox(1)), Scale(k, random.InBox(1))});
    scene.segments.push_back({Scale(k, random.InBox(1)), Scale(k, random.InBox(1))});
  }
  return scene;
}

// Stacks of faces that cut a segment again and again, facing up or down,
// some of them quadrilaterals whose diagonal the segments pass through, with
// a varying number of faces that miss in between: trims land on every lane
// of a vector, and runs of trims of every length follow one another.
Scene CascadeScene(Random& random) {
  Scene scene;
  double y = 50;
  for (int i = 0; i < 60; ++i) {
    y -= random.Uniform(0.1, 1.5);
    const bool up = random.Below(3) != 0;
    switch (random.Below(4)) {
      case 0: {  // a face far to the side
        const double x = random.Uniform(20, 30);
        scene.triangles.push_back({{x, y, 0}, {x, y, 1}, {x + 1, y, 0}});
        break;
      }
      case 1: {  // a quadrilateral whose diagonal runs through the origin
        const Point3 q1 = {-4, y, -4}, q2 = {-4, y, 4}, q3 = {4, y, 4},
                     q4 = {4, y, -4};
        if (up) {
          scene.triangles.push_back({q1, q2, q3});
          scene.triangles.push_back({q1, q3, q4});
        } else {
          scene.triangles.push_back({q1, q3, q2});
          scene.triangles.push_back({q1, q4, q3});
        }
        break;
      }
      default:
        if (up) {
          scene.triangles.push_back({{-8, y, -8}, {-8, y, 16}, {16, y, -8}});
        } else {
          scene.triangles.push_back({{-8, y, -8}, {16, y, -8}, {-8, y, 16}});
        }
        break;
    }
  }
  for (int i = 0; i < 24; ++i) {
    const double x = random.Below(3) == 0 ? 0.0 : random.Uniform(-3, 3);
    const double z = random.Below(3) == 0 ? x : random.Uniform(-3, 3);
    const double top = random.Uniform(-5, 55), bottom = random.Uniform(-5, 55);
    scene.segments.push_back({{x, bottom, z}, {x, top, z}});
  }
  return scene;
}

// Scenes at the edges of where the pass may pass over a triangle for where
// it lies (tool/lane_search.h): segments nearly parallel to a plane with
// their ends snapped onto it, so that the crossing falls beyond the
// segment's ends; small triangles, whose snap tolerance reaches far from
// their plane; and coordinates so large that rounding decides where the
// crossing falls, and the pass must not rely on where it can be.
Scene ReachScene(Random& random) {
  Scene scene;
  for (int t = 0; t < 12; ++t) {
    const double size = random.Pick<double>({1e-3, 3e-3, 1, 10});
    const double far =
        random.Pick<double>({0, 1e3, 3e4, 1e5, 3e5, 1e7, 1e8, 1e9});
    const Point3 a = Add(random.InBox(far), random.InBox(size));
    const Point3 e1 = random.InBox(size), e2 = random.InBox(size);
    scene.triangles.push_back({a, Add(a, e1), Add(a, e2)});
    const Point3 n = Cross(e1, e2);
    const double nn = Dot(n, n);
    if (!(nn > 0)) continue;
    for (int k = 0; k < 6; ++k) {
      // A point near the triangle, maybe just outside it.
      const double s = random.Uniform(-0.2, 1.2);
      const double u = random.Uniform(-0.2, 1.2 - s);
      const Point3 x = Add(a, Add(Scale(s, e1), Scale(u, e2)));
      // Ends within a few snap tolerances of the plane, far apart along it,
      // so that n . (q - p) is near kEpsilon.
      const double dp = random.Uniform(-2, 2) * kEpsilon;
      const double dq = dp + random.Pick<double>({1, -1, 1.5, -3}) * kEpsilon;
      const Point3 along = Scale(random.Uniform(-3, 3), Add(e1, Scale(-0.5, e2)));
      const Point3 p = Add(Sub(x, along), Scale(dp / nn, n));
      const Point3 q = Add(Add(x, Scale(random.Uniform(-1, 1), along)),
                           Scale(dq / nn, n));
      scene.segments.push_back({p, q});
    }
    // A segment along the plane, off to one side of a point of the
    // triangle. So far out, rounding decides the side tests and where the
    // crossing falls, which may be back inside the triangle.
    for (int k = 0; k < 4; ++k) {
      const Point3 x = Add(a, Add(Scale(0.3, e1), Scale(0.3, e2)));
      const Point3 along = Scale(random.Uniform(0.5, 2), Sub(e1, e2));
      const double from = random.Uniform(2, 6);
      scene.segments.push_back(
          {Add(x, Scale(from, along)), Add(x, Scale(from + 1, along))});
    }
  }
  return scene;
}

// Clusters of triangles far apart, one after another in file order, so
// that whole blocks, groups of blocks and runs of groups lie apart from a
// segment and are passed over; a tenth of the triangles without a plane
// (left out of the prepared ones, so that the triangles kept fill their
// blocks unevenly); and segments from one cluster to another, or within
// one, crossing some of their triangles.
Scene ClusterScene(Random& random) {
  Scene scene;
  std::vector<Point3> centres;
  for (int c = 0; c < 12; ++c) {
    const Point3 centre = random.InBox(1000);
    centres.push_back(centre);
    const int count = 20 + random.Below(80);
    for (int i = 0; i < count; ++i) {
      const Point3 a = Add(centre, random.InBox(4));
      if (random.Below(10) == 0) {
        scene.triangles.push_back({a, a, Add(a, random.InBox(3))});
      } else {
        scene.triangles.push_back(
            {a, Add(a, random.InBox(3)), Add(a, random.InBox(3))});
      }
    }
  }
  for (int k = 0; k < 40; ++k) {
    const Point3 from = Add(random.Pick(centres), random.InBox(5));
    const Point3 to = random.Below(2) == 0
                          ? Add(random.Pick(centres), random.InBox(5))
                          : Add(from, random.InBox(6));
    scene.segments.push_back({from, to});
  }
  return scene;
}

// ---------------------------------------------------------------- the test

using Bits = std::vector<std::uint64_t>;

Bits BitsOf(const LineSet& lines) {
  Bits bits;
  for (const Segment& s : lines.segments) {
    for (const double v : {s.p1.x, s.p1.y, s.p1.z, s.p2.x, s.p2.y, s.p2.z})
      bits.push_back(std::bit_cast<std::uint64_t>(v));
  }
  return bits;
}

struct Generator {
  const char* name;
  std::function<Scene(Random&)> make;
  int scenes;
  std::uint64_t seed;
};

void PrintTo(const Generator& g, std::ostream* os) { *os << g.name; }

class TrimLanesTest : public testing::TestWithParam<Generator> {};

TEST_P(TrimLanesTest, SameTrimsAndBitsAsOnePairAtATime) {
  const Generator& generator = GetParam();
  Random random(generator.seed);
  int total_trims = 0;
  std::size_t total_pairs = 0;
  for (int n = 0; n < generator.scenes; ++n) {
    const Scene scene = generator.make(random);
    SurfaceSet surfaces;
    surfaces.triangles = scene.triangles;
    LineSet plain;
    plain.segments = scene.segments;
    const int plain_trims = TrimLinesOneByOne(surfaces, plain, nullptr);
    const Bits plain_bits = BitsOf(plain);
    total_trims += plain_trims;
    total_pairs += scene.triangles.size() * scene.segments.size();

    std::vector<int> lane_counts(TrimLaneCounts().begin(), TrimLaneCounts().end());
    lane_counts.push_back(0);  // TrimLines itself
    for (const int lanes : lane_counts) {
      SCOPED_TRACE(testing::Message() << "scene " << n << ", "
                                      << (lanes == 0 ? std::string("TrimLines")
                                                     : std::to_string(lanes) + " lane(s)"));
      LineSet fast;
      fast.segments = scene.segments;
      const int trims = lanes == 0 ? TrimLines(surfaces, fast, nullptr)
                                   : TrimLinesInLanes(lanes, surfaces, fast, nullptr);
      ASSERT_EQ(trims, plain_trims);
      const Bits fast_bits = BitsOf(fast);
      for (std::size_t i = 0; i < plain_bits.size(); ++i) {
        ASSERT_EQ(fast_bits[i], plain_bits[i])
            << "segment " << i / 6 << ", coordinate " << i % 6;
      }
    }
  }
  // The scenes must trim some pairs and leave most: otherwise they would
  // not reach the steps where the passes could differ.
  EXPECT_GT(total_trims, 0);
  EXPECT_LT(static_cast<std::size_t>(total_trims), total_pairs);
}

const Generator kGenerators[] = {
    {"random", RandomScene, 40, 1},
    {"thresholds", ThresholdScene, 60, 2},
    {"exact_bounds", ExactBoundsScene, 60, 3},
    {"degenerate", DegenerateScene, 40, 4},
    {"extreme", ExtremeScene, 40, 5},
    {"cascade", CascadeScene, 40, 6},
    {"reach", ReachScene, 60, 7},
    {"clusters", ClusterScene, 12, 8},
};

INSTANTIATE_TEST_SUITE_P(
    Scenes, TrimLanesTest, testing::ValuesIn(kGenerators),
    [](const testing::TestParamInfo<Generator>& info) {
      return std::string(info.param.name);
    });

}  // namespace
