#include "tool/run_tool.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tool/console.h"
#include "tool/ldraw_reader.h"
#include "tool/ldraw_sets.h"
#include "tool/ldraw_writer.h"
#include "tool/same_file.h"
#include "tool/text_file.h"
#include "tool/trim.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: Vantrel LdrawTriQuadFile LdrawLineFile LdrawTrimmedLineFileOut "
    "[LdrawLineRemovedFile]\n";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// An input file and its reader.
struct Input {
  FilePtr file;
  std::optional<TextReader> reader;
};

// An output file and its writer; the writer flushes before the file closes.
struct Output {
  FilePtr file;
  std::optional<TextWriter> writer;

  void Close() {
    writer.reset();
    file.reset();
  }
};

// Opens an input and reads ahead its first block, so that a path that can
// be opened but not read (a directory) fails here, in the opening order.
bool OpenInput(const char* path, Input& input) {
  input.file.reset(OpenFile(path, /*for_writing=*/false));
  if (!input.file) return false;
  input.reader.emplace(input.file.get());
  return input.reader->Prime();
}

bool CreateOutput(const char* path, Output& output) {
  output.file.reset(OpenFile(path, /*for_writing=*/true));
  if (!output.file) return false;
  output.writer.emplace(output.file.get());
  return true;
}

std::string Count(int n, std::string_view text) {
  return std::to_string(n).append(text);
}

}  // namespace

int RunTool(int argc, char** argv) {
  Console console;
  // Every error ends the run with a message, the pause and its exit code.
  auto fail = [&console](std::string_view message, int code) {
    console.Print(message);
    PauseBeforeExit(console);
    return code;
  };
  auto file_message = [](std::string_view what, const char* path) {
    return std::string(what).append(path).append("\n");
  };

  if (argc < 4 || argc > 5) return fail(kUsage, kExitUsage);
  const char* surface_path = argv[1];
  const char* line_path = argv[2];
  const char* trimmed_path = argv[3];
  const char* removed_path = argc == 5 ? argv[4] : nullptr;

  Input line_file, surface_file;
  if (!OpenInput(line_path, line_file))
    return fail(file_message("Can't open file\n", line_path), kExitFile);
  if (!OpenInput(surface_path, surface_file))
    return fail(file_message("Can't open file\n", surface_path), kExitFile);

  // Creating an output truncates it, so an output that names an input, or
  // the other output, is refused before either output is created.
  const bool trimmed_clashes =
      SameFile(trimmed_path, line_path) || SameFile(trimmed_path, surface_path) ||
      (removed_path != nullptr && SameFile(trimmed_path, removed_path));
  if (trimmed_clashes)
    return fail(file_message("Can't create file\n", trimmed_path), kExitFile);
  if (removed_path != nullptr &&
      (SameFile(removed_path, line_path) || SameFile(removed_path, surface_path)))
    return fail(file_message("Can't create file\n", removed_path), kExitFile);

  Output trimmed_file, removed_file;
  if (!CreateOutput(trimmed_path, trimmed_file))
    return fail(file_message("Can't create file\n", trimmed_path), kExitFile);
  if (removed_path != nullptr && !CreateOutput(removed_path, removed_file))
    return fail(file_message("Can't create file\n", removed_path), kExitFile);

  SurfaceSet surfaces;
  LineSet lines;
  surfaces.triangles.reserve(TriangleLimit);
  surfaces.lanes.Reserve(TriangleLimit);
  lines.segments.reserve(LineLimit);

  console.Print("\nRead Tri/Quad file...\n");
  switch (ReadSurfaceFile(*surface_file.reader, surfaces)) {
    case ReadResult::kOk:
      break;
    case ReadResult::kLimitExceeded:
      return fail("Too many triangles in file 1\n", kExitLimit);
    case ReadResult::kReadFailed:
      return fail(file_message("Can't open file\n", surface_path), kExitFile);
  }
  const int triangle_count = static_cast<int>(surfaces.triangles.size());
  console.Print(Count(triangle_count, " triangles in Tri/Quad file\n"));

  console.Print("\nRead Line file...\n");
  TextWriter* removed = removed_file.writer ? &*removed_file.writer : nullptr;
  switch (ReadLineFile(*line_file.reader, removed, lines)) {
    case ReadResult::kOk:
      break;
    case ReadResult::kLimitExceeded:
      return fail("Too many lines in file 2\n", kExitLimit);
    case ReadResult::kReadFailed:
      return fail(file_message("Can't open file\n", line_path), kExitFile);
  }
  if (removed != nullptr && !removed->Flush())
    return fail(file_message("Can't write file\n", removed_path), kExitFile);
  const int line_count = static_cast<int>(lines.segments.size());
  console.Print(Count(line_count, " lines in file 2\n"));

  console.Print("Computing intersections\n");
  const int trims = TrimLines(surfaces, lines, &console);
  console.Print("\n" + Count(trims, " trim(s) performed\n"));
  console.Print("Writing output file\n");

  WriteTrimmedLineFile(*trimmed_file.writer, lines, surface_path, line_path,
                       trimmed_path);
  if (!trimmed_file.writer->Flush())
    return fail(file_message("Can't write file\n", trimmed_path), kExitFile);
  console.Print(Count(line_count, " line(s) written\n"));

  surface_file.file.reset();
  line_file.file.reset();
  trimmed_file.Close();
  removed_file.Close();
  return kExitSuccess;
}
