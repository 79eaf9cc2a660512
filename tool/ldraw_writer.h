#ifndef VANTREL_TOOL_LDRAW_WRITER_H_
#define VANTREL_TOOL_LDRAW_WRITER_H_

#include <string_view>

#include "tool/ldraw_sets.h"
#include "tool/text_file.h"

/// Writes the trimmed line file: a header naming the line file, the surface
/// file and this file by the paths given, one "2 24 ..." record per segment
/// in `lines` order (six decimals per coordinate), and the end line "0".
void WriteTrimmedLineFile(TextWriter& out, const LineSet& lines,
                          std::string_view surface_path,
                          std::string_view line_path,
                          std::string_view trimmed_path);

#endif  // VANTREL_TOOL_LDRAW_WRITER_H_
