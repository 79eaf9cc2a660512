#include "tool/ldraw_writer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tool/text_file.h"

namespace {

struct WriterCase {
  const char* name;
  std::vector<Segment> segments;
  const char* surface_path;
  const char* line_path;
  const char* trimmed_path;
  LineEnds line_ends;
  std::string expected;
};

void PrintTo(const WriterCase& c, std::ostream* os) { *os << c.name; }

const WriterCase kWriterCases[] = {
    {"no_segments",
     {},
     "surface.ldr",
     "lines.ldr",
     "trimmed.ldr",
     LineEnds::kLf,
     "0 Lines lines.ldr trimmed by surface.ldr\n"
     "0 Name: trimmed.ldr\n"
     "0 Author: Kolvane\n"
     "0\n"
     "0\n"},
    // Paths go out exactly as given: folders, spaces, backslashes, and
    // characters a format string would take for conversions.
    {"paths_as_given",
     {},
     "models/my surface.ldr",
     "../edges dir/lines 100%s.ldr",
     "C:\\out\\trim %d.ldr",
     LineEnds::kLf,
     "0 Lines ../edges dir/lines 100%s.ldr trimmed by models/my surface.ldr\n"
     "0 Name: C:\\out\\trim %d.ldr\n"
     "0 Author: Kolvane\n"
     "0\n"
     "0\n"},
    // Colour 24 and six decimals per coordinate, segments in order, a
    // segment shrunk to a point included.
    {"segments_in_order",
     {{{0, 0, 0}, {0, 5, 0}},
      {{1, 1.5, -2.25}, {0.0078125, -1e-7, -0.0}},
      {{-3, 4, 123.456}, {-3, 4, 123.456}}},
     "s.ldr",
     "l.ldr",
     "t.ldr",
     LineEnds::kLf,
     "0 Lines l.ldr trimmed by s.ldr\n"
     "0 Name: t.ldr\n"
     "0 Author: Kolvane\n"
     "0\n"
     "2 24 0.000000 0.000000 0.000000 0.000000 5.000000 0.000000\n"
     "2 24 1.000000 1.500000 -2.250000 0.007813 -0.000000 0.000000\n"
     "2 24 -3.000000 4.000000 123.456000 -3.000000 4.000000 123.456000\n"
     "0\n"},
    {"crlf_line_ends",
     {{{0, 0, 0}, {0, 5, 0}}},
     "s.ldr",
     "l.ldr",
     "t.ldr",
     LineEnds::kCrLf,
     "0 Lines l.ldr trimmed by s.ldr\r\n"
     "0 Name: t.ldr\r\n"
     "0 Author: Kolvane\r\n"
     "0\r\n"
     "2 24 0.000000 0.000000 0.000000 0.000000 5.000000 0.000000\r\n"
     "0\r\n"},
};

class WriteTrimmedLineFileTest : public testing::TestWithParam<WriterCase> {};

TEST_P(WriteTrimmedLineFileTest, WritesHeaderSegmentsAndEndLine) {
  const WriterCase& c = GetParam();
  LineSet lines;
  lines.segments = c.segments;
  std::string text;
  {
    TextWriter out(&text, c.line_ends);
    WriteTrimmedLineFile(out, lines, c.surface_path, c.line_path,
                         c.trimmed_path);
    EXPECT_TRUE(out.Flush());
  }
  EXPECT_EQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteTrimmedLineFileTest, testing::ValuesIn(kWriterCases),
    [](const testing::TestParamInfo<WriterCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
