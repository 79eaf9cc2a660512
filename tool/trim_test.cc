#include "tool/trim.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tool/console.h"

namespace {

using SegmentCoordinates = std::array<double, 6>;

std::vector<SegmentCoordinates> Coordinates(const LineSet& lines) {
  std::vector<SegmentCoordinates> out;
  for (const Segment& s : lines.segments)
    out.push_back({s.p1.x, s.p1.y, s.p1.z, s.p2.x, s.p2.y, s.p2.z});
  return out;
}

std::array<std::uint64_t, 6> Bits(const SegmentCoordinates& c) {
  std::array<std::uint64_t, 6> bits;
  for (int i = 0; i < 6; ++i) bits[i] = std::bit_cast<std::uint64_t>(c[i]);
  return bits;
}

// Triangles in the plane y = h: facing +y, and facing -y (corners B and C
// swapped).
Triangle FacingUp(double h) { return {{-1, h, -1}, {-1, h, 3}, {3, h, -1}}; }
Triangle FacingDown(double h) { return {{-1, h, -1}, {3, h, -1}, {-1, h, 3}}; }

const Segment kUpward = {{0, 0, 0}, {0, 10, 0}};

struct TrimCase {
  const char* name;
  std::vector<Triangle> triangles;
  std::vector<Segment> segments;
  int trims;
  std::vector<SegmentCoordinates> expected;
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.name; }

const TrimCase kTrimCases[] = {
    // The segment crosses y = 5 from the negative side: its second end goes.
    {"one_crossing", {FacingUp(5)}, {kUpward}, 1, {{0, 0, 0, 0, 5, 0}}},
    {"one_crossing_reversed",
     {FacingUp(5)},
     {{{0, 10, 0}, {0, 0, 0}}},
     1,
     {{0, 5, 0, 0, 0, 0}}},
    {"one_crossing_facing_down",
     {FacingDown(5)},
     {kUpward},
     1,
     {{0, 5, 0, 0, 10, 0}}},
    // The order of the triangles changes the count: with y = 7 first the
    // end is cut twice, with y = 3 first the second triangle finds the
    // segment below it.
    {"cut_twice", {FacingUp(7), FacingUp(3)}, {kUpward}, 2,
     {{0, 0, 0, 0, 3, 0}}},
    {"cut_once", {FacingUp(3), FacingUp(7)}, {kUpward}, 1,
     {{0, 0, 0, 0, 3, 0}}},
    // The order of the triangles changes the result.
    {"lower_piece_kept", {FacingUp(3), FacingDown(7)}, {kUpward}, 1,
     {{0, 0, 0, 0, 3, 0}}},
    {"upper_piece_kept", {FacingDown(7), FacingUp(3)}, {kUpward}, 1,
     {{0, 7, 0, 0, 10, 0}}},
    // A quadrilateral's two triangles share a diagonal: the first cuts the
    // segment there, the second finds its new end on its plane and inside
    // it, and cuts again at the same point. Trims are counted, not lines.
    {"cut_on_shared_diagonal",
     {{{-1, 5, -1}, {-1, 5, 1}, {1, 5, 1}},
      {{-1, 5, -1}, {1, 5, 1}, {1, 5, -1}}},
     {kUpward},
     2,
     {{0, 0, 0, 0, 5, 0}}},
    // Segments that start or end on the plane inside the triangle.
    {"start_on_plane_going_up_collapses",
     {FacingUp(5)},
     {{{0, 5, 0}, {0, 10, 0}}},
     1,
     {{0, 5, 0, 0, 5, 0}}},
    {"start_on_plane_going_down_collapses",
     {FacingUp(5)},
     {{{0, 5, 0}, {0, 0, 0}}},
     1,
     {{0, 5, 0, 0, 5, 0}}},
    {"end_on_plane_from_above_collapses",
     {FacingUp(5)},
     {{{0, 10, 0}, {0, 5, 0}}},
     1,
     {{0, 5, 0, 0, 5, 0}}},
    {"end_on_plane_from_below_kept",
     {FacingUp(5)},
     {{{0, 0, 0}, {0, 5, 0}}},
     1,
     {{0, 0, 0, 0, 5, 0}}},
    // Segments that cross no triangle stay exactly as they were, whichever
    // side they lie on; each segment is trimmed on its own.
    {"segments_crossing_nothing",
     {FacingUp(5)},
     {{{0.1, 0.30000000000000004, 1e-300}, {0.7, 4.9, -0.0}},
      {{0.1, 5.000001, -0.3}, {0.2, 9.75, 0.0078125}},
      {{5, 0, 5}, {5, 10, 5}},
      kUpward,
      {{0, 5, 0}, {1, 5, 0}}},
     1,
     {{0.1, 0.30000000000000004, 1e-300, 0.7, 4.9, -0.0},
      {0.1, 5.000001, -0.3, 0.2, 9.75, 0.0078125},
      {5, 0, 5, 5, 10, 5},
      {0, 0, 0, 0, 5, 0},
      {0, 5, 0, 1, 5, 0}}},
    {"no_triangles",
     {},
     {kUpward, {{1, 2, 3}, {4, 5, 6}}},
     0,
     {{0, 0, 0, 0, 10, 0}, {1, 2, 3, 4, 5, 6}}},
    {"no_segments", {FacingUp(5)}, {}, 0, {}},
};

class TrimLinesTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimLinesTest, TrimsInPlaceInFileOrder) {
  const TrimCase& c = GetParam();
  SurfaceSet surfaces;
  surfaces.triangles = c.triangles;
  LineSet lines;
  lines.segments = c.segments;
  const std::vector<SegmentCoordinates> before = Coordinates(lines);
  std::string printed;
  Console console(&printed);

  EXPECT_EQ(TrimLines(surfaces, lines, &console), c.trims);
  const std::vector<SegmentCoordinates> after = Coordinates(lines);
  ASSERT_EQ(after, c.expected);
  // One dot per segment, also without triangles.
  EXPECT_EQ(printed, std::string(c.segments.size(), '.'));
  // A segment left alone keeps every bit, the sign of a zero included.
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (c.expected[i] == before[i]) {
      EXPECT_EQ(Bits(after[i]), Bits(before[i])) << "segment " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimLinesTest, testing::ValuesIn(kTrimCases),
    [](const testing::TestParamInfo<TrimCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
