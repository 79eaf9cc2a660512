// Fuzz target: the surface and line file readers on arbitrary bytes.
//
// The first byte chooses the reading: bit 0 the line ends (LF, or CR LF text
// mode with 0x1A ending the file), bits 1-2 how often the rest is repeated
// to make the file (once, twice, or 1001 times when it is at most 64 bytes,
// which reaches the limits). The file is read twice, from memory and from a
// FILE*, by both readers.
//
// Checked, whatever the bytes:
//  - the result is "ok" or "limit exceeded" (reading memory never fails), the
//    same from memory and from the FILE*, and no more than TriangleLimit
//    triangles or LineLimit segments are ever stored;
//  - every stored coordinate is finite;
//  - a text line is one record: the file is cut into its lines here,
//    independently of the reader, and each line read on its own (behind an
//    empty line, so that only the file's very first line can have its
//    byte-order mark skipped) gives the same elements as it does inside the
//    file: the file's elements are those of its lines, in order, up to the
//    record that takes the count past the limit, where reading stops with
//    "limit exceeded";
//  - a line of the line file is either one segment or copied whole to the
//    removed-line file, never both or neither; the removed-line copy is
//    exactly the input with the line records taken out, in order, byte for
//    byte (in CR LF text mode, each line end written as CR LF);
//  - a line record's type field reads 2, a triangle record's 3 and a
//    quadrilateral's 4 (checked with a small parser of its own), and a
//    quadrilateral's two triangles share the corners q1 and q3 as
//    (q1, q2, q3), (q1, q3, q4).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tool/ldraw_reader.h"
#include "tool/ldraw_sets.h"
#include "tool/text_file.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The file's lines as the tool sees them: each ends after its LF, the last
// one possibly without. In CR LF mode the file ends at the first 0x1A and a
// CR right before an LF is part of the line end, which is kept as LF.
std::vector<std::string> SplitLines(std::string_view text, LineEnds mode) {
  if (mode == LineEnds::kCrLf) {
    const std::size_t mark = text.find('\x1a');
    if (mark != std::string_view::npos) text = text.substr(0, mark);
  }
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    const std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
    std::string line(text.substr(0, length));
    text.remove_prefix(length);
    if (mode == LineEnds::kCrLf && line.size() >= 2 &&
        line.compare(line.size() - 2, 2, "\r\n") == 0) {
      line.erase(line.size() - 2, 1);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// The value of the record type a line starts with, as a C "%d" would read
// it (white space, sign, digits), or nothing. Good enough to tell 2, 3 and 4
// from everything else: the value is clamped far outside that range.
bool LeadingType(std::string_view line, long long& type) {
  std::size_t i = 0;
  while (i < line.size() && std::strchr(" \t\n\v\f\r", line[i]) != nullptr &&
         line[i] != '\0')
    ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-'))
    negative = line[i++] == '-';
  const std::size_t first = i;
  long long value = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
    if (value < 1000000) value = value * 10 + (line[i] - '0');
  if (i == first) return false;
  type = negative ? -value : value;
  return true;
}

bool SameBits(const Point3& a, const Point3& b) {
  return std::memcmp(&a.x, &b.x, sizeof(double)) == 0 &&
         std::memcmp(&a.y, &b.y, sizeof(double)) == 0 &&
         std::memcmp(&a.z, &b.z, sizeof(double)) == 0;
}

bool Finite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// What one line gives on its own.
struct LineResult {
  std::vector<Triangle> triangles;  // as a surface file
  std::vector<Segment> segments;    // as a line file
  bool removed = false;             // copied to the removed-line file
};

LineResult ReadOneLine(const std::string& line, bool first) {
  // Behind an empty line, a byte-order mark is not at the file's start.
  const std::string text = first ? line : "\n" + line;
  const std::size_t skip = first ? 0 : 1;
  LineResult result;

  TextReader surface_in(std::string_view(text), LineEnds::kLf);
  SurfaceSet surfaces;
  Check(ReadSurfaceFile(surface_in, surfaces) == ReadResult::kOk,
        "one line reads without error as a surface file");
  result.triangles = surfaces.triangles;
  Check(result.triangles.size() <= 2, "one line gives at most two triangles");

  TextReader line_in(std::string_view(text), LineEnds::kLf);
  std::string removed;
  LineSet lines;
  {
    TextWriter writer(&removed, LineEnds::kLf);
    Check(ReadLineFile(line_in, &writer, lines) == ReadResult::kOk,
          "one line reads without error as a line file");
  }
  Check(removed.substr(0, skip) == text.substr(0, skip),
        "the empty line before it is copied");
  removed.erase(0, skip);
  result.segments = lines.segments;
  Check(result.segments.size() <= 1, "one line gives at most one segment");
  result.removed = !removed.empty();
  Check(result.removed != (result.segments.size() == 1),
        "a line is either a segment or copied, never both or neither");
  if (result.removed) Check(removed == line, "a copied line is copied whole");

  // The type field, without the byte-order mark a first line may start with.
  std::string_view fields(line.c_str());  // up to the first NUL
  if (first && fields.substr(0, 3) == kByteOrderMark) fields.remove_prefix(3);
  long long type = 0;
  const bool has_type = LeadingType(fields, type);
  if (result.segments.size() == 1)
    Check(has_type && type == 2, "a line record has type 2");
  if (result.triangles.size() == 1)
    Check(has_type && type == 3, "a triangle record has type 3");
  if (result.triangles.size() == 2) {
    Check(has_type && type == 4, "a quadrilateral record has type 4");
    const Triangle& t0 = result.triangles[0];
    const Triangle& t1 = result.triangles[1];
    Check(SameBits(t0.a, t1.a) && SameBits(t0.c, t1.b),
          "a quadrilateral splits into (q1, q2, q3), (q1, q3, q4)");
  }
  for (const Triangle& t : result.triangles)
    Check(Finite(t.a) && Finite(t.b) && Finite(t.c), "corners are finite");
  for (const Segment& s : result.segments)
    Check(Finite(s.p1) && Finite(s.p2), "ends are finite");
  return result;
}

struct FileResult {
  ReadResult surface_result;
  std::vector<Triangle> triangles;
  ReadResult line_result;
  std::vector<Segment> segments;
  std::string removed;
};

FileResult ReadBoth(const std::string& text, LineEnds mode, bool via_file) {
  FileResult r;
  auto run = [&](auto&& make_reader) {
    {
      TextReader in = make_reader();
      SurfaceSet surfaces;
      r.surface_result = ReadSurfaceFile(in, surfaces);
      r.triangles = surfaces.triangles;
    }
    {
      TextReader in = make_reader();
      LineSet lines;
      TextWriter writer(&r.removed, mode);
      r.line_result = ReadLineFile(in, &writer, lines);
      r.segments = lines.segments;
    }
  };
  if (!via_file) {
    run([&] { return TextReader(std::string_view(text), mode); });
    return r;
  }
  // fmemopen can't open an empty buffer everywhere: an empty file then.
  std::string storage = text;
  std::FILE* f1 = storage.empty()
                      ? std::tmpfile()
                      : fmemopen(storage.data(), storage.size(), "rb");
  std::FILE* f2 = storage.empty()
                      ? std::tmpfile()
                      : fmemopen(storage.data(), storage.size(), "rb");
  Check(f1 != nullptr && f2 != nullptr, "the test could open its FILE");
  std::FILE* next = f1;
  run([&] {
    std::FILE* f = next;
    next = f2;
    return TextReader(f, mode);
  });
  std::fclose(f1);
  std::fclose(f2);
  return r;
}

bool SameTriangles(const std::vector<Triangle>& a,
                   const std::vector<Triangle>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!SameBits(a[i].a, b[i].a) || !SameBits(a[i].b, b[i].b) ||
        !SameBits(a[i].c, b[i].c))
      return false;
  return true;
}

bool SameSegments(const std::vector<Segment>& a,
                  const std::vector<Segment>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!SameBits(a[i].p1, b[i].p1) || !SameBits(a[i].p2, b[i].p2))
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const LineEnds mode = (data[0] & 1) ? LineEnds::kCrLf : LineEnds::kLf;
  const int repeat_choice = (data[0] >> 1) & 3;
  const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
  int repeat = 1;
  if (repeat_choice == 2) repeat = 2;
  if (repeat_choice == 3 && body.size() <= 64) repeat = 1001;
  std::string text;
  for (int i = 0; i < repeat; ++i) text += body;

  // Expected results, line by line.
  const std::vector<std::string> lines = SplitLines(text, mode);
  std::unordered_map<std::string, LineResult> cache;
  std::vector<Triangle> expected_triangles;
  ReadResult expected_surface = ReadResult::kOk;
  std::vector<Segment> expected_segments;
  std::string expected_removed;
  ReadResult expected_line = ReadResult::kOk;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LineResult* one;
    LineResult first_result;
    if (i == 0) {
      first_result = ReadOneLine(lines[0], /*first=*/true);
      one = &first_result;
    } else {
      auto it = cache.find(lines[i]);
      if (it == cache.end())
        it = cache.emplace(lines[i], ReadOneLine(lines[i], false)).first;
      one = &it->second;
    }
    if (expected_surface == ReadResult::kOk) {
      if (expected_triangles.size() + one->triangles.size() > TriangleLimit)
        expected_surface = ReadResult::kLimitExceeded;
      else
        expected_triangles.insert(expected_triangles.end(),
                                  one->triangles.begin(), one->triangles.end());
    }
    if (expected_line == ReadResult::kOk) {
      if (expected_segments.size() + one->segments.size() > LineLimit)
        expected_line = ReadResult::kLimitExceeded;
      else
        expected_segments.insert(expected_segments.end(),
                                 one->segments.begin(), one->segments.end());
      if (expected_line == ReadResult::kOk && one->removed) {
        for (char c : lines[i]) {
          if (c == '\n' && mode == LineEnds::kCrLf) expected_removed += '\r';
          expected_removed += c;
        }
      }
    }
  }

  for (bool via_file : {false, true}) {
    const FileResult got = ReadBoth(text, mode, via_file);
    Check(got.surface_result == expected_surface,
          "the surface file's result is that of its lines");
    Check(got.triangles.size() <= TriangleLimit, "triangles within the limit");
    Check(SameTriangles(got.triangles, expected_triangles),
          "the surface file's triangles are those of its lines, in order");
    Check(got.line_result == expected_line,
          "the line file's result is that of its lines");
    Check(got.segments.size() <= LineLimit, "segments within the limit");
    Check(SameSegments(got.segments, expected_segments),
          "the line file's segments are those of its lines, in order");
    Check(got.removed == expected_removed,
          "the removed-line copy is the input without its line records");
  }
  return 0;
}
