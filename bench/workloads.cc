#include "bench/workloads.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "tests/splitmix64.h"
#include "tool/format.h"

namespace {

constexpr const char* kNames[] = {"realistic", "all-cross", "cascade",
                                  "all-cross-far"};

struct Vec {
  double x, y, z;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(double k, Vec a) { return {k * a.x, k * a.y, k * a.z}; }
Vec Cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec Unit(Vec a) {
  return (1.0 / std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z)) * a;
}

using Random = SplitMix64;

// LDraw records, each coordinate with six decimals.
class Records {
 public:
  void Comment(const std::string& text) { text_ += "0 " + text + "\n"; }

  void Line(Vec p, Vec q) {
    text_ += "2 24";
    Points({p, q});
  }
  void Triangle(Vec a, Vec b, Vec c) {
    text_ += "3 16";
    Points({a, b, c});
  }
  void Quadrilateral(Vec a, Vec b, Vec c, Vec d) {
    text_ += "4 16";
    Points({a, b, c, d});
  }

  std::string Take() { return std::move(text_); }

 private:
  void Points(std::initializer_list<Vec> points) {
    for (const Vec& p : points) {
      for (const double v : {p.x, p.y, p.z}) {
        char buffer[kFixed6BufferSize];
        text_ += ' ';
        text_.append(buffer, FormatFixed6(v, buffer));
      }
    }
    text_ += '\n';
  }

  std::string text_;
};

// ------------------------------------------------------------ realistic

// A 2 x 4 brick in LDraw units, y pointing down: the top at y = 0, the
// bottom at y = 24, x in [-20, 20], z in [-40, 40], walls 4 thick.
constexpr int kSides = 16;  // of every round feature

// cos and sin of multiples of 22.5 degrees, written out so that no library
// function of the platform decides a digit.
Vec OnCircle(Vec centre, double radius, int i) {
  constexpr double kCos[kSides / 4 + 1] = {1, 0.92387953251128674,
                                           0.70710678118654757,
                                           0.38268343236508978, 0};
  const int quarter = (i % kSides) / (kSides / 4), k = i % (kSides / 4);
  double c = kCos[k], s = kCos[kSides / 4 - k];
  for (int q = 0; q < quarter; ++q) {  // turn by 90 degrees
    const double t = c;
    c = -s;
    s = t;
  }
  return {centre.x + radius * c, centre.y, centre.z + radius * s};
}

// A rectangle split into columns x rows quadrilaterals; corner + i u / n.
void Grid(Records& r, Vec corner, Vec u, Vec v, int columns, int rows) {
  for (int i = 0; i < columns; ++i) {
    for (int j = 0; j < rows; ++j) {
      const Vec a = corner + (double(i) / columns) * u + (double(j) / rows) * v;
      const Vec du = (1.0 / columns) * u, dv = (1.0 / rows) * v;
      r.Quadrilateral(a, a + du, a + du + dv, a + dv);
    }
  }
}

// A straight edge as `pieces` lines, as LDraw edges along long walls are.
void Edge(Records& r, Vec from, Vec to, int pieces) {
  for (int i = 0; i < pieces; ++i) {
    r.Line(from + (double(i) / pieces) * (to - from),
           from + (double(i + 1) / pieces) * (to - from));
  }
}

void Circle(Records& r, Vec centre, double radius) {
  for (int i = 0; i < kSides; ++i)
    r.Line(OnCircle(centre, radius, i), OnCircle(centre, radius, i + 1));
}

Workload Realistic() {
  Records surface;
  surface.Comment("Brick 2 x 4, tessellated");
  // Studs: side wall and top, 8 x 48 triangles.
  for (const double x : {-10.0, 10.0}) {
    for (const double z : {-30.0, -10.0, 10.0, 30.0}) {
      for (int i = 0; i < kSides; ++i) {
        const Vec base0 = OnCircle({x, 0, z}, 6, i);
        const Vec base1 = OnCircle({x, 0, z}, 6, i + 1);
        const Vec top0 = OnCircle({x, -4, z}, 6, i);
        const Vec top1 = OnCircle({x, -4, z}, 6, i + 1);
        surface.Quadrilateral(base0, top0, top1, base1);
        surface.Triangle({x, -4, z}, top1, top0);
      }
    }
  }
  // Bottom tubes, outside and inside: 3 x 64 triangles.
  for (const double z : {-20.0, 0.0, 20.0}) {
    for (int i = 0; i < kSides; ++i) {
      surface.Quadrilateral(OnCircle({0, 4, z}, 8, i),
                            OnCircle({0, 4, z}, 8, i + 1),
                            OnCircle({0, 24, z}, 8, i + 1),
                            OnCircle({0, 24, z}, 8, i));
      surface.Quadrilateral(OnCircle({0, 4, z}, 6, i + 1),
                            OnCircle({0, 4, z}, 6, i),
                            OnCircle({0, 24, z}, 6, i),
                            OnCircle({0, 24, z}, 6, i + 1));
    }
  }
  // Walls, outside (top and four sides) and inside (ceiling and four
  // sides), and the four pieces of the bottom rim: 212 quadrilaterals.
  for (const double inset : {0.0, 4.0}) {
    const double x0 = -20 + inset, x1 = 20 - inset;
    const double z0 = -40 + inset, z1 = 40 - inset;
    const double top = inset;
    Grid(surface, {x0, top, z0}, {x1 - x0, 0, 0}, {0, 0, z1 - z0}, 4, 8);
    Grid(surface, {x0, top, z0}, {0, 0, z1 - z0}, {0, 24 - top, 0}, 8, 3);
    Grid(surface, {x1, top, z1}, {0, 0, z0 - z1}, {0, 24 - top, 0}, 8, 3);
    Grid(surface, {x1, top, z0}, {x0 - x1, 0, 0}, {0, 24 - top, 0}, 4, 3);
    Grid(surface, {x0, top, z1}, {x1 - x0, 0, 0}, {0, 24 - top, 0}, 4, 3);
  }
  surface.Quadrilateral({-20, 24, -40}, {20, 24, -40}, {16, 24, -36},
                        {-16, 24, -36});
  surface.Quadrilateral({20, 24, -40}, {20, 24, 40}, {16, 24, 36},
                        {16, 24, -36});
  surface.Quadrilateral({20, 24, 40}, {-20, 24, 40}, {-16, 24, 36},
                        {16, 24, 36});
  surface.Quadrilateral({-20, 24, 40}, {-20, 24, -40}, {-16, 24, -36},
                        {-16, 24, 36});

  Records lines;
  lines.Comment("Brick 2 x 4, edges");
  lines.Comment("Name: realistic.ldr");
  // Edges of the studs and tubes: 352 lines.
  for (const double x : {-10.0, 10.0}) {
    for (const double z : {-30.0, -10.0, 10.0, 30.0}) {
      Circle(lines, {x, 0, z}, 6);
      Circle(lines, {x, -4, z}, 6);
    }
  }
  for (const double z : {-20.0, 0.0, 20.0}) {
    Circle(lines, {0, 24, z}, 8);
    Circle(lines, {0, 24, z}, 6);
  }
  // Edges of the box, outside and inside, in pieces: 120 lines.
  for (const double inset : {0.0, 4.0}) {
    const double x0 = -20 + inset, x1 = 20 - inset;
    const double z0 = -40 + inset, z1 = 40 - inset;
    const double top = inset;
    for (const double x : {x0, x1}) {
      Edge(lines, {x, top, z0}, {x, top, z1}, 8);
      Edge(lines, {x, 24, z0}, {x, 24, z1}, 8);
    }
    for (const double z : {z0, z1}) {
      Edge(lines, {x0, top, z}, {x1, top, z}, 4);
      Edge(lines, {x0, 24, z}, {x1, 24, z}, 4);
      Edge(lines, {x0, top, z}, {x0, 24, z}, 3);
      Edge(lines, {x1, top, z}, {x1, 24, z}, 3);
    }
  }
  // Short lines around the brick, 528 of them; those that reach into a
  // wall are trimmed there.
  Random random(2);
  for (int i = 0; i < 528; ++i) {
    const Vec p = {random.Uniform(-30, 30), random.Uniform(-10, 34),
                   random.Uniform(-50, 50)};
    const Vec direction = Unit({random.Uniform(-1, 1), random.Uniform(-1, 1),
                                random.Uniform(-1, 1)});
    lines.Line(p, p + random.Uniform(2, 8) * direction);
  }
  return {"realistic", surface.Take(), lines.Take()};
}

// ------------------------------------------------------------ all cross

// Triangles on planes through the origin, with normals within 55 degrees
// of +z, each lying between `from` and `to` units from the origin; lines
// through the origin, steep enough to cross every one of those planes near
// the origin, outside every triangle.
Workload AllCross(const char* name, std::uint64_t seed, double from, double to,
                  double size, double line_half_width) {
  Random random(seed);
  Records surface;
  surface.Comment("Triangles on planes through the origin, off the origin");
  for (int i = 0; i < 1000; ++i) {
    const Vec n = Unit({random.Uniform(-1, 1), random.Uniform(-1, 1), 1});
    const Vec u = Unit(Cross(n, {1, 0, 0}));
    const Vec v = Cross(n, u);
    const double along_u = random.Uniform(-1, 1);
    const double along_v = random.Uniform(-1, 1);
    const Vec out = Unit(along_u * u + along_v * v);
    const Vec side = Cross(n, out);
    const Vec a = random.Uniform(from, to - size) * out;
    surface.Triangle(a, a + size * out, a + size * side);
  }
  Records lines;
  lines.Comment("Lines through the origin");
  const double w = line_half_width;
  for (int i = 0; i < 1000; ++i) {
    // |x| + |y| <= 2 w < z keeps every line on both sides of every plane;
    // |x| and |y| at least 0.8 w give every line a wide box.
    const double x = random.Uniform(0.8 * w, w), y = random.Uniform(0.8 * w, w);
    const double z = random.Uniform(2.5 * w, 3 * w);
    const int signs = static_cast<int>(random.Uniform(0, 4));
    const Vec p = {signs & 1 ? -x : x, signs & 2 ? -y : y, z};
    lines.Line(p, -1.0 * p);
  }
  return {name, surface.Take(), lines.Take()};
}

// ------------------------------------------------------------ cascade

// Horizontal faces at y = 999.5, 998.5, ..., 0.5, facing +y, each covering
// the square where the lines stand; vertical lines from y = -1 up to a
// random height, each cut at every face below its top, from the top down.
Workload Cascade() {
  Random random(4);
  Records surface;
  surface.Comment("A stack of faces, top first");
  for (int i = 0; i < 1000; ++i) {
    const double y = 999.5 - i;
    surface.Triangle({-100, y, -100}, {-100, y, 300}, {300, y, -100});
  }
  Records lines;
  lines.Comment("Lines up through the stack");
  for (int i = 0; i < 1000; ++i) {
    const double x = random.Uniform(-50, 50), z = random.Uniform(-50, 50);
    lines.Line({x, -1, z}, {x, random.Uniform(0, 1001), z});
  }
  return {"cascade", surface.Take(), lines.Take()};
}

}  // namespace

std::span<const char* const> WorkloadNames() { return kNames; }

Workload MakeWorkload(const std::string& name) {
  if (name == "realistic") return Realistic();
  // Triangles from 0.5 to 3.5 units out, 1.5 long, and lines up to 3 units
  // from the origin: every triangle lies in reach of every line.
  if (name == "all-cross") return AllCross("all-cross", 3, 0.5, 3.5, 1.5, 1);
  // Triangles from 100 to 200 units out, 10 long: all far from every line.
  if (name == "all-cross-far")
    return AllCross("all-cross-far", 5, 100, 200, 10, 0.3);
  if (name == "cascade") return Cascade();
  return {"", "", ""};
}
