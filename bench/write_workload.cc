// Writes a workload of bench/workloads.h as LDraw files, for timing the
// whole tool (bench/run-vs-cat.sh):
//   vantrel_workload <name> <surface file> <line file>

#include <cstdio>
#include <string>

#include "bench/workloads.h"

namespace {

bool WriteFile(const char* path, const std::string& text) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  const Workload workload = argc == 4 ? MakeWorkload(argv[1]) : Workload{};
  if (workload.surface.empty()) {
    std::fprintf(stderr, "usage: vantrel_workload <name> <surface> <lines>\n"
                         "names:");
    for (const char* name : WorkloadNames()) std::fprintf(stderr, " %s", name);
    std::fprintf(stderr, "\n");
    return 1;
  }
  if (!WriteFile(argv[2], workload.surface) || !WriteFile(argv[3], workload.lines)) {
    std::fprintf(stderr, "can't write the files\n");
    return 2;
  }
  return 0;
}
