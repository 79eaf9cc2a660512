#include "tool/ldraw_writer.h"

#include <string>

#include "tool/format.h"

namespace {

void AppendCoordinate(std::string& record, double value) {
  char text[kFixed6BufferSize];
  record.push_back(' ');
  record.append(text, FormatFixed6(value, text));
}

}  // namespace

void WriteTrimmedLineFile(TextWriter& out, const LineSet& lines,
                          std::string_view surface_path,
                          std::string_view line_path,
                          std::string_view trimmed_path) {
  std::string header;
  header.append("0 Lines ").append(line_path);
  header.append(" trimmed by ").append(surface_path).append("\n");
  header.append("0 Name: ").append(trimmed_path).append("\n");
  header.append("0 Author: Kolvane\n0\n");
  out.Write(header);

  std::string record;
  for (const Segment& s : lines.segments) {
    record.assign("2 24");
    for (const double v : {s.p1.x, s.p1.y, s.p1.z, s.p2.x, s.p2.y, s.p2.z})
      AppendCoordinate(record, v);
    record.push_back('\n');
    out.Write(record);
  }
  out.Write("0\n");
}
