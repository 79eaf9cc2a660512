#include "tool/ldraw_reader.h"

#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "tool/scan.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Line types the readers handle.
constexpr int kTypeLine = 2;
constexpr int kTypeTriangle = 3;
constexpr int kTypeQuadrilateral = 4;

// Reads an input line by line and gives each record's text for scanning:
// the line up to its first NUL (fields end there, as in a C string), without
// the byte-order mark that may open the file.
class RecordReader {
 public:
  explicit RecordReader(TextReader& in) : in_(in) {}

  bool Next() {
    if (!in_.ReadLine(line_)) return false;
    fields_ = std::string_view(line_.data(), std::strlen(line_.c_str()));
    if (first_) {
      first_ = false;
      if (fields_.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        fields_.remove_prefix(kByteOrderMark.size());
    }
    return true;
  }

  const std::string& line() const { return line_; }
  std::string_view fields() const { return fields_; }

 private:
  TextReader& in_;
  std::string line_;
  std::string_view fields_;
  bool first_ = true;
};

// Reads the colour and then `count` coordinates. True only when every field
// converts and every coordinate is finite: a record that fails is not an
// element. Text after the last field is ignored.
bool ScanElement(std::string_view fields, double* coordinates, int count) {
  if (!ScanColour(fields)) return false;
  for (int i = 0; i < count; ++i) {
    if (!ScanDouble(fields, coordinates[i]) || !std::isfinite(coordinates[i]))
      return false;
  }
  return true;
}

Point3 PointAt(const double* c) { return Point3{c[0], c[1], c[2]}; }

}  // namespace

ReadResult ReadSurfaceFile(TextReader& in, SurfaceSet& surfaces) {
  RecordReader records(in);
  double c[12];
  while (records.Next()) {
    std::string_view fields = records.fields();
    int type = 0;
    if (!ScanInt(fields, type)) continue;
    if (type == kTypeTriangle && ScanElement(fields, c, 9)) {
      if (surfaces.triangles.size() + 1 > TriangleLimit)
        return ReadResult::kLimitExceeded;
      surfaces.triangles.push_back({PointAt(c), PointAt(c + 3), PointAt(c + 6)});
    } else if (type == kTypeQuadrilateral && ScanElement(fields, c, 12)) {
      if (surfaces.triangles.size() + 2 > TriangleLimit)
        return ReadResult::kLimitExceeded;
      const Point3 q1 = PointAt(c), q2 = PointAt(c + 3), q3 = PointAt(c + 6),
                   q4 = PointAt(c + 9);
      surfaces.triangles.push_back({q1, q2, q3});
      surfaces.triangles.push_back({q1, q3, q4});
    }
  }
  return in.failed() ? ReadResult::kReadFailed : ReadResult::kOk;
}

ReadResult ReadLineFile(TextReader& in, TextWriter* removed, LineSet& lines) {
  RecordReader records(in);
  double c[6];
  while (records.Next()) {
    std::string_view fields = records.fields();
    int type = 0;
    if (ScanInt(fields, type) && type == kTypeLine && ScanElement(fields, c, 6)) {
      if (lines.segments.size() + 1 > LineLimit)
        return ReadResult::kLimitExceeded;
      lines.segments.push_back({PointAt(c), PointAt(c + 3)});
    } else if (removed != nullptr) {
      removed->Write(records.line());
    }
  }
  return in.failed() ? ReadResult::kReadFailed : ReadResult::kOk;
}
