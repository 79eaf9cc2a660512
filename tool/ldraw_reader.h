#ifndef VANTREL_TOOL_LDRAW_READER_H_
#define VANTREL_TOOL_LDRAW_READER_H_

#include "tool/ldraw_sets.h"
#include "tool/text_file.h"

enum class ReadResult {
  kOk,
  kLimitExceeded,  // more than TriangleLimit triangles or LineLimit lines
  kReadFailed,     // the input could not be read to its end
};

/// Appends the triangles of the surface file's type-3 and type-4 records to
/// `surfaces`; a quadrilateral q1 q2 q3 q4 gives (q1, q2, q3), then
/// (q1, q3, q4). Every other record is ignored. Stops at the first record
/// that takes the count past TriangleLimit; nothing past it is stored.
ReadResult ReadSurfaceFile(TextReader& in, SurfaceSet& surfaces);

/// Appends the segments of the line file's type-2 records to `lines`, and
/// copies every other record, whole and in order, to `removed` (when not
/// null). Stops at the record that takes the count past LineLimit.
ReadResult ReadLineFile(TextReader& in, TextWriter* removed, LineSet& lines);

#endif  // VANTREL_TOOL_LDRAW_READER_H_
