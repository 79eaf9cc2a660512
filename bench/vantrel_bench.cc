// Benchmarks of the full-size run's parts: the trimming pass on the three
// workloads of bench/workloads.h, the pass one pair at a time next to the
// pass the tool uses (and each lane count this processor has), and reading
// and writing the files. At the end the speed-up of each workload is
// printed: the time of the one-pair-at-a-time pass over that of the tool's
// pass, both from this run.
//
// For steadier figures on a busy machine:
//   vantrel_bench --benchmark_repetitions=10
//                 --benchmark_enable_random_interleaving=true
// The speed-ups then come from the medians.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/workloads.h"
#include "tool/format.h"
#include "tool/ldraw_reader.h"
#include "tool/ldraw_sets.h"
#include "tool/ldraw_writer.h"
#include "tool/text_file.h"
#include "tool/trim.h"

namespace {

struct Sets {
  SurfaceSet surfaces;
  LineSet lines;
};

Sets ReadSets(const Workload& workload) {
  Sets sets;
  TextReader surface(workload.surface, LineEnds::kLf);
  TextReader lines(workload.lines, LineEnds::kLf);
  ReadSurfaceFile(surface, sets.surfaces);
  ReadLineFile(lines, nullptr, sets.lines);
  sets.surfaces.lanes.Reserve(sets.surfaces.triangles.size());
  return sets;
}

// Each iteration trims a fresh copy of the lines (a copy of 48 kB, the same
// for every pass).
void Trim(benchmark::State& state, const Workload& workload, int lanes) {
  Sets sets = ReadSets(workload);
  const LineSet original = sets.lines;
  int trims = 0;
  for (auto _ : state) {
    sets.lines.segments = original.segments;
    trims = lanes == 0
                ? TrimLinesOneByOne(sets.surfaces, sets.lines, nullptr)
                : TrimLinesInLanes(lanes, sets.surfaces, sets.lines, nullptr);
    benchmark::DoNotOptimize(sets.lines.segments.data());
  }
  state.counters["trims"] = trims;
  state.counters["pairs"] = static_cast<double>(
      sets.surfaces.triangles.size() * original.segments.size());
}

void ReadLines(benchmark::State& state, const Workload& workload) {
  LineSet lines;
  lines.segments.reserve(LineLimit);
  for (auto _ : state) {
    lines.segments.clear();
    TextReader in(workload.lines, LineEnds::kLf);
    ReadLineFile(in, nullptr, lines);
    benchmark::DoNotOptimize(lines.segments.data());
  }
  state.counters["lines"] = static_cast<double>(lines.segments.size());
}

void ReadSurfaces(benchmark::State& state, const Workload& workload) {
  SurfaceSet surfaces;
  surfaces.triangles.reserve(TriangleLimit);
  for (auto _ : state) {
    surfaces.triangles.clear();
    TextReader in(workload.surface, LineEnds::kLf);
    ReadSurfaceFile(in, surfaces);
    benchmark::DoNotOptimize(surfaces.triangles.data());
  }
  state.counters["triangles"] = static_cast<double>(surfaces.triangles.size());
}

// The trimmed line file of 1000 lines: 6000 coordinates.
void WriteLines(benchmark::State& state, const Workload& workload) {
  const Sets sets = ReadSets(workload);
  std::string text;
  for (auto _ : state) {
    text.clear();
    TextWriter out(&text, LineEnds::kLf);
    WriteTrimmedLineFile(out, sets.lines, "surface.ldr", "lines.ldr",
                         "trimmed.ldr");
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() *
                                                    text.size()));
}

// The 6000 coordinates alone.
void FormatCoordinates(benchmark::State& state, const Workload& workload) {
  const Sets sets = ReadSets(workload);
  std::vector<double> values;
  for (const Segment& s : sets.lines.segments) {
    for (const double v : {s.p1.x, s.p1.y, s.p1.z, s.p2.x, s.p2.y, s.p2.z})
      values.push_back(v);
  }
  char text[kFixed6BufferSize];
  for (auto _ : state) {
    for (const double v : values) {
      benchmark::DoNotOptimize(FormatFixed6(v, text));
    }
  }
  state.counters["values"] = static_cast<double>(values.size());
}

// The console report, followed by the speed-ups.
class SpeedUpReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Iteration) {
        if (medians_.count(name) == 0) times_[name] = run.GetAdjustedRealTime();
      } else if (run.aggregate_name == "median") {
        medians_[name] = true;
        times_[name] = run.GetAdjustedRealTime();
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nSpeed-up of the pass over the pass one pair at a time%s:\n",
                medians_.empty() ? "" : " (medians)");
    for (const char* workload : WorkloadNames()) {
      const std::string prefix = std::string("trim/") + workload + "/";
      const auto base = times_.find(prefix + "one-by-one");
      if (base == times_.end()) continue;
      for (const int lanes : TrimLaneCounts()) {
        const auto fast = times_.find(prefix + "lanes:" + std::to_string(lanes));
        if (fast == times_.end() || fast->second <= 0) continue;
        std::printf("  %-10s %d lane(s)%s: %6.2fx\n", workload, lanes,
                    lanes == TrimLaneCounts()[0] ? " (the tool's)" : "",
                    base->second / fast->second);
      }
    }
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, bool> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  // Workloads are made once and live to the end of the run.
  static std::vector<Workload> workloads;
  for (const char* name : WorkloadNames()) workloads.push_back(MakeWorkload(name));

  for (const Workload& w : workloads) {
    const std::string prefix = std::string("trim/") + w.name + "/";
    benchmark::RegisterBenchmark((prefix + "one-by-one").c_str(), Trim, w, 0)
        ->Unit(benchmark::kMicrosecond);
    for (const int lanes : TrimLaneCounts()) {
      benchmark::RegisterBenchmark(
          (prefix + "lanes:" + std::to_string(lanes)).c_str(), Trim, w, lanes)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  const Workload& realistic = workloads[0];
  benchmark::RegisterBenchmark("read/line-file", ReadLines, realistic)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("read/surface-file", ReadSurfaces, realistic)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("write/trimmed-line-file", WriteLines, realistic)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("format/6000-coordinates", FormatCoordinates,
                               realistic)
      ->Unit(benchmark::kMicrosecond);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SpeedUpReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
