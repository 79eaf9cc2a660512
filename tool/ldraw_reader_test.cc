#include "tool/ldraw_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tool/text_file.h"

namespace {

using TriangleCoordinates = std::array<double, 9>;
using SegmentCoordinates = std::array<double, 6>;

std::vector<TriangleCoordinates> Coordinates(const SurfaceSet& surfaces) {
  std::vector<TriangleCoordinates> out;
  for (const Triangle& t : surfaces.triangles)
    out.push_back({t.a.x, t.a.y, t.a.z, t.b.x, t.b.y, t.b.z, t.c.x, t.c.y,
                   t.c.z});
  return out;
}

std::vector<SegmentCoordinates> Coordinates(const LineSet& lines) {
  std::vector<SegmentCoordinates> out;
  for (const Segment& s : lines.segments)
    out.push_back({s.p1.x, s.p1.y, s.p1.z, s.p2.x, s.p2.y, s.p2.z});
  return out;
}

std::string Repeat(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

// A type-0 comment of `length` characters before its line end whose
// characters from the 1024th on read "<tail>...": a reader that took the
// line in 1023-character pieces would take the tail for a record.
std::string LongComment(const std::string& tail, std::size_t length) {
  std::string line = "0 " + std::string(1021, 'c') + tail;
  line.resize(length, 'c');
  return line + "\n";
}

const std::string kByteOrderMark = "\xEF\xBB\xBF";
const std::string kTriangle = "3 16 1 2 3 4 5 6 7 8 9\n";
const std::string kQuadrilateral = "4 16 1 2 3 4 5 6 7 8 9 10 11 12\n";
const std::string kLine = "2 24 1 2 3 4 5 6\n";
constexpr TriangleCoordinates kTriangleRead = {1, 2, 3, 4, 5, 6, 7, 8, 9};
constexpr SegmentCoordinates kLineRead = {1, 2, 3, 4, 5, 6};

// ------------------------------------------------------------ surface file

struct SurfaceCase {
  const char* name;
  std::string input;
  std::vector<TriangleCoordinates> expected;
};

void PrintTo(const SurfaceCase& c, std::ostream* os) { *os << c.name; }

const SurfaceCase kSurfaceCases[] = {
    {"empty", "", {}},
    {"triangle", kTriangle, {kTriangleRead}},
    {"last_line_without_line_end", "3 16 1 2 3 4 5 6 7 8 9", {kTriangleRead}},
    {"indented_with_tabs_and_spaces", "\t \t 3 16 1 2 3 4 5 6 7 8 9\n",
     {kTriangleRead}},
    {"signed_and_zero_padded_type",
     "+3 16 1 2 3 4 5 6 7 8 9\n003 16 1 2 3 4 5 6 7 8 9\n",
     {kTriangleRead, kTriangleRead}},
    {"fields_separated_by_tabs", "3\t16\t1\t2\t3\t4\t5\t6\t7\t8\t9\n",
     {kTriangleRead}},
    {"crlf_line_end_is_white_space", "3 16 1 2 3 4 5 6 7 8 9\r\n",
     {kTriangleRead}},
    {"number_forms", "3 16 -1.5 .25 1e1 0x1p3 +2 -0 1. 7 8.5\n",
     {{-1.5, 0.25, 10, 8, 2, -0.0, 1, 7, 8.5}}},
    // q1 q2 q3 q4 -> (q1, q2, q3), (q1, q3, q4).
    {"quadrilateral_split",
     kQuadrilateral,
     {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 7, 8, 9, 10, 11, 12}}},
    {"file_order_kept",
     "3 16 0 0 0 1 0 0 0 1 0\n" + kQuadrilateral + "3 16 9 9 9 8 8 8 7 7 7\n",
     {{0, 0, 0, 1, 0, 0, 0, 1, 0},
      {1, 2, 3, 4, 5, 6, 7, 8, 9},
      {1, 2, 3, 7, 8, 9, 10, 11, 12},
      {9, 9, 9, 8, 8, 8, 7, 7, 7}}},
    {"other_types_ignored",
     "0 Name: x.dat\n1 16 0 0 0 1 0 0 0 1 0 0 0 1 y.dat\n2 24 1 2 3 4 5 6\n"
     "5 24 1 2 3 4 5 6 7 8 9 10 11 12\n\n   \nno type\n-3 16 1 2 3 4 5 6 7 8 "
     "9\n",
     {}},
    // A direct colour is a colour; the coordinates after it are read.
    {"direct_colour", "3 0x2FF0000 1 2 3 4 5 6 7 8 9\n", {kTriangleRead}},
    {"direct_colour_capital_x", "4 0X2ff0000 1 2 3 4 5 6 7 8 9 10 11 12\n",
     {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 7, 8, 9, 10, 11, 12}}},
    {"colour_beyond_int", "3 99999999999 1 2 3 4 5 6 7 8 9\n",
     {kTriangleRead}},
    {"text_after_last_field_ignored", "3 16 1 2 3 4 5 6 7 8 9 10 x\n",
     {kTriangleRead}},
    // Records whose fields don't all convert, or with a coordinate that is
    // not finite, are not elements.
    {"missing_coordinate", "3 16 1 2 3 4 5 6 7 8\n", {}},
    {"missing_quadrilateral_corner", "4 16 1 2 3 4 5 6 7 8 9\n", {}},
    {"missing_colour", "3\n", {}},
    {"malformed_coordinate", "3 16 1 2 3 4 5 6 7 8 x\n", {}},
    {"decimal_comma", "3 16 1,5 2 3 4 5 6 7 8 9\n", {}},
    {"nan_coordinate", "3 16 1 2 3 nan 5 6 7 8 9\n", {}},
    {"infinite_coordinate", "3 16 1 2 3 4 5 6 7 8 -inf\n", {}},
    {"overflowing_coordinate", "4 16 1 2 3 4 5 6 7 8 9 10 11 1e999\n", {}},
    {"colour_is_not_a_number", "3 x 1 2 3 4 5 6 7 8 9\n", {}},
    {"type_glued_to_text", "3x 16 1 2 3 4 5 6 7 8 9\n", {}},
    // A type that doesn't fit an int is no type, even when its low 32 bits
    // would read 3 or 4.
    {"type_beyond_int", "4294967299 16 1 2 3 4 5 6 7 8 9\n", {}},
    {"negative_type_beyond_int",
     "-4294967292 16 1 2 3 4 5 6 7 8 9 10 11 12\n", {}},
    // Fields end at a NUL.
    {"nul_after_fields", std::string("3 16 1 2 3 4 5 6 7 8 9\0 x\n", 26),
     {kTriangleRead}},
    {"nul_inside_fields", std::string("3 16 1 2 3 4 5 6 7 8\0 9\n", 24), {}},
    // One line is one record, however long.
    {"long_comment", LongComment("3 16 1 2 3 4 5 6 7 8 9", 1500), {}},
    {"long_triangle",
     "3 16 1 2 3 4 5 6 7 8 9" + std::string(2000, ' ') + "3 16 0 0 0\n",
     {kTriangleRead}},
    // The byte-order mark opening a file is not part of the first record.
    {"byte_order_mark", kByteOrderMark + kTriangle, {kTriangleRead}},
    {"byte_order_mark_on_second_line",
     "0 x\n" + kByteOrderMark + kTriangle, {}},
};

class ReadSurfaceFileTest : public testing::TestWithParam<SurfaceCase> {};

TEST_P(ReadSurfaceFileTest, ReadsTriangles) {
  const SurfaceCase& c = GetParam();
  TextReader in(std::string_view(c.input), LineEnds::kLf);
  SurfaceSet surfaces;
  ASSERT_EQ(ReadSurfaceFile(in, surfaces), ReadResult::kOk);
  EXPECT_EQ(Coordinates(surfaces), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadSurfaceFileTest, testing::ValuesIn(kSurfaceCases),
    [](const testing::TestParamInfo<SurfaceCase>& info) {
      return std::string(info.param.name);
    });

TEST(ReadSurfaceFile, CrLfLineEnds) {
  const std::string input = "0 x\r\n3 16 1 2 3 4 5 6 7 8 9\r\n\x1a" + kTriangle;
  TextReader in(std::string_view(input), LineEnds::kCrLf);
  SurfaceSet surfaces;
  ASSERT_EQ(ReadSurfaceFile(in, surfaces), ReadResult::kOk);
  EXPECT_EQ(Coordinates(surfaces),
            (std::vector<TriangleCoordinates>{kTriangleRead}));
}

// The limit of 1000 triangles, a quadrilateral counting two.
struct SurfaceLimitCase {
  const char* name;
  std::string input;
  ReadResult result;
  std::size_t stored;
};

void PrintTo(const SurfaceLimitCase& c, std::ostream* os) { *os << c.name; }

const SurfaceLimitCase kSurfaceLimitCases[] = {
    {"thousand_triangles", Repeat(kTriangle, 1000), ReadResult::kOk, 1000},
    {"thousand_and_one_triangles", Repeat(kTriangle, 1001),
     ReadResult::kLimitExceeded, 1000},
    {"five_hundred_quadrilaterals", Repeat(kQuadrilateral, 500),
     ReadResult::kOk, 1000},
    {"quadrilateral_from_998_to_1000",
     Repeat(kTriangle, 998) + kQuadrilateral, ReadResult::kOk, 1000},
    {"quadrilateral_from_999_to_1001",
     Repeat(kTriangle, 999) + kQuadrilateral, ReadResult::kLimitExceeded, 999},
    {"triangle_after_limit_reached",
     Repeat(kQuadrilateral, 500) + "0 x\n" + kTriangle,
     ReadResult::kLimitExceeded, 1000},
    // Records that are not elements don't count.
    {"non_elements_after_limit_reached",
     Repeat(kTriangle, 1000) + "0 x\n" + kLine + "3 16 1 2 3\n" +
         "3 16 1 2 3 4 5 6 7 8 nan\n" +
         LongComment("3 16 1 2 3 4 5 6 7 8 9", 1200),
     ReadResult::kOk, 1000},
};

class ReadSurfaceFileLimitTest
    : public testing::TestWithParam<SurfaceLimitCase> {};

TEST_P(ReadSurfaceFileLimitTest, CountsTriangles) {
  const SurfaceLimitCase& c = GetParam();
  TextReader in(std::string_view(c.input), LineEnds::kLf);
  SurfaceSet surfaces;
  EXPECT_EQ(ReadSurfaceFile(in, surfaces), c.result);
  EXPECT_EQ(surfaces.triangles.size(), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadSurfaceFileLimitTest, testing::ValuesIn(kSurfaceLimitCases),
    [](const testing::TestParamInfo<SurfaceLimitCase>& info) {
      return std::string(info.param.name);
    });

// --------------------------------------------------------------- line file

struct LineCase {
  const char* name;
  std::string input;
  std::vector<SegmentCoordinates> expected;
  std::string removed;  // what the removed-line file receives
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

const LineCase kLineCases[] = {
    {"empty", "", {}, ""},
    {"line", kLine, {kLineRead}, ""},
    {"indented_with_tabs_and_spaces", " \t2 24 1 2 3 4 5 6\n", {kLineRead},
     ""},
    {"signed_type", "+2 24 1 2 3 4 5 6\n", {kLineRead}, ""},
    {"number_forms", "2 16 -1.5 .25 1e1 0x1p3 +2 -0\n",
     {{-1.5, 0.25, 10, 8, 2, -0.0}}, ""},
    {"text_after_last_field_ignored", "2 24 1 2 3 4 5 6 7 x\n", {kLineRead},
     ""},
    {"direct_colour", "2 0x2FF0000 1 2 3 4 5 6\n", {kLineRead}, ""},
    {"last_line_is_a_line_without_line_end", "0 a\n2 24 1 2 3 4 5 6",
     {kLineRead}, "0 a\n"},
    // Every other record goes to the removed-line file, whole and in order.
    {"other_records_in_order",
     "0 Name: x.dat\n" + kLine + "1 16 0 0 0 1 0 0 0 1 0 0 0 1 y.dat\n" +
         kTriangle + kQuadrilateral + "2 24 6 5 4 3 2 1\n" +
         "5 24 1 2 3 4 5 6 7 8 9 10 11 12\n\n  \t\nplain text\n",
     {kLineRead, {6, 5, 4, 3, 2, 1}},
     "0 Name: x.dat\n1 16 0 0 0 1 0 0 0 1 0 0 0 1 y.dat\n" + kTriangle +
         kQuadrilateral +
         "5 24 1 2 3 4 5 6 7 8 9 10 11 12\n\n  \t\nplain text\n"},
    {"last_line_without_line_end", "0 a\n0 b", {}, "0 a\n0 b"},
    {"crlf_kept_in_lf_mode", "0 a\r\n2 24 1 2 3 4 5 6\r\n", {kLineRead},
     "0 a\r\n"},
    // Records that are not lines, however they start with 2.
    {"missing_coordinate", "2 24 1 2 3 4 5\n", {}, "2 24 1 2 3 4 5\n"},
    {"type_alone", "2\n", {}, "2\n"},
    {"malformed_coordinate", "2 24 1 2 3 4 5 y\n", {}, "2 24 1 2 3 4 5 y\n"},
    {"decimal_comma", "2 24 1,5 2 3 4 5 6\n", {}, "2 24 1,5 2 3 4 5 6\n"},
    {"nan_coordinate", "2 24 nan 2 3 4 5 6\n", {}, "2 24 nan 2 3 4 5 6\n"},
    {"nan_payload_coordinate", "2 24 1 2 3 4 5 nan(7)\n", {},
     "2 24 1 2 3 4 5 nan(7)\n"},
    {"infinite_coordinate", "2 24 1 2 3 4 inf 6\n", {},
     "2 24 1 2 3 4 inf 6\n"},
    {"overflowing_coordinate", "2 24 1 2 3 4 5 -1e999\n", {},
     "2 24 1 2 3 4 5 -1e999\n"},
    {"type_beyond_int", "4294967298 24 1 2 3 4 5 6\n", {},
     "4294967298 24 1 2 3 4 5 6\n"},
    // Fields end at a NUL; the removed copy holds the whole line.
    {"nul_after_fields", std::string("2 24 1 2 3 4 5 6\0 x\n", 20),
     {kLineRead}, ""},
    {"nul_inside_fields", std::string("2 24 1 2 3\0 4 5 6\n", 18), {},
     std::string("2 24 1 2 3\0 4 5 6\n", 18)},
    {"nul_first", std::string("\0" "2 24 1 2 3 4 5 6\n", 18), {},
     std::string("\0" "2 24 1 2 3 4 5 6\n", 18)},
    {"nul_in_comment", std::string("0 a\0b\0c\n", 8), {},
     std::string("0 a\0b\0c\n", 8)},
    // One line is one record, however long.
    {"long_comment", LongComment("2 24 1 2 3 4 5 6", 1500), {},
     LongComment("2 24 1 2 3 4 5 6", 1500)},
    {"long_line", "2 24 1 2 3 4 5 6" + std::string(3000, ' ') + "2\n",
     {kLineRead}, ""},
    // The byte-order mark opening a file is skipped for the fields only.
    {"byte_order_mark_before_line", kByteOrderMark + kLine + kLine,
     {kLineRead, kLineRead}, ""},
    {"byte_order_mark_before_comment", kByteOrderMark + "0 a\n" + kLine,
     {kLineRead}, kByteOrderMark + "0 a\n"},
    {"byte_order_mark_alone", kByteOrderMark, {}, kByteOrderMark},
    {"byte_order_mark_on_second_line", "0 a\n" + kByteOrderMark + kLine, {},
     "0 a\n" + kByteOrderMark + kLine},
};

class ReadLineFileTest : public testing::TestWithParam<LineCase> {};

TEST_P(ReadLineFileTest, ReadsLinesAndCopiesTheRest) {
  const LineCase& c = GetParam();
  TextReader in(std::string_view(c.input), LineEnds::kLf);
  std::string removed_text;
  TextWriter removed(&removed_text, LineEnds::kLf);
  LineSet lines;
  ASSERT_EQ(ReadLineFile(in, &removed, lines), ReadResult::kOk);
  EXPECT_EQ(Coordinates(lines), c.expected);
  EXPECT_EQ(removed_text, c.removed);
}

TEST_P(ReadLineFileTest, ReadsLinesWithoutRemovedFile) {
  const LineCase& c = GetParam();
  TextReader in(std::string_view(c.input), LineEnds::kLf);
  LineSet lines;
  ASSERT_EQ(ReadLineFile(in, nullptr, lines), ReadResult::kOk);
  EXPECT_EQ(Coordinates(lines), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadLineFileTest, testing::ValuesIn(kLineCases),
    [](const testing::TestParamInfo<LineCase>& info) {
      return std::string(info.param.name);
    });

TEST(ReadLineFile, CrLfLineEnds) {
  // Line ends come in as CR LF and go out as CR LF; a lone CR is kept.
  const std::string input =
      "0 a\r\n" + std::string("2 24 1 2 3 4 5 6\r\n") + "0 b\rc\r\n0 d";
  TextReader in(std::string_view(input), LineEnds::kCrLf);
  std::string removed_text;
  TextWriter removed(&removed_text, LineEnds::kCrLf);
  LineSet lines;
  ASSERT_EQ(ReadLineFile(in, &removed, lines), ReadResult::kOk);
  EXPECT_EQ(Coordinates(lines), (std::vector<SegmentCoordinates>{kLineRead}));
  EXPECT_EQ(removed_text, "0 a\r\n0 b\rc\r\n0 d");
}

// The limit of 1000 lines.
struct LineLimitCase {
  const char* name;
  std::string input;
  ReadResult result;
  std::size_t stored;
  std::string removed;
};

void PrintTo(const LineLimitCase& c, std::ostream* os) { *os << c.name; }

const LineLimitCase kLineLimitCases[] = {
    {"thousand_lines", Repeat(kLine, 1000), ReadResult::kOk, 1000, ""},
    {"thousand_and_one_lines", Repeat(kLine, 1001),
     ReadResult::kLimitExceeded, 1000, ""},
    // Records up to the one past the limit are copied, none after it.
    {"copied_until_limit_exceeded",
     "0 a\n" + Repeat(kLine, 1000) + "0 b\n" + kLine + "0 c\n",
     ReadResult::kLimitExceeded, 1000, "0 a\n0 b\n"},
    // Records that are not lines don't count.
    {"non_lines_after_limit_reached",
     Repeat(kLine, 1000) + "0 a\n" + kTriangle + "2 24 1 2 3\n" +
         LongComment("2 24 1 2 3 4 5 6", 1100),
     ReadResult::kOk, 1000,
     "0 a\n" + kTriangle + "2 24 1 2 3\n" +
         LongComment("2 24 1 2 3 4 5 6", 1100)},
};

class ReadLineFileLimitTest : public testing::TestWithParam<LineLimitCase> {};

TEST_P(ReadLineFileLimitTest, CountsLines) {
  const LineLimitCase& c = GetParam();
  TextReader in(std::string_view(c.input), LineEnds::kLf);
  std::string removed_text;
  TextWriter removed(&removed_text, LineEnds::kLf);
  LineSet lines;
  EXPECT_EQ(ReadLineFile(in, &removed, lines), c.result);
  EXPECT_EQ(lines.segments.size(), c.stored);
  EXPECT_EQ(removed_text, c.removed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadLineFileLimitTest, testing::ValuesIn(kLineLimitCases),
    [](const testing::TestParamInfo<LineLimitCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
