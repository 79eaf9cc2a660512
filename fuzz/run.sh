#!/usr/bin/env bash
# Builds the fuzz targets with the `fuzz` preset and runs each one for the
# given number of seconds (default 60), one after the other:
#
#   fuzz/run.sh [SECONDS] [TARGET...]      TARGET: readers, intersect, format
#
# Each target starts from its seed corpus in fuzz/corpus/<target> and keeps
# what it finds in build/fuzz/corpus/<target>, so later runs go on from there.
# A finding (a failed check, a sanitizer report, a leak, a hang of more than
# 25 seconds on one input) stops the run with a non-zero exit code; the input
# is saved as build/fuzz/artifacts/<target>-crash-... (or -timeout-, -leak-,
# -oom-) and can be replayed with build/fuzz/fuzz/fuzz_<target> <file>.
# Each run's log, with its executions ("stat::number_of_executed_units"), is
# build/fuzz/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(readers intersect format)
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2

mkdir -p build/fuzz/artifacts
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  if ! build/fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -timeout=25 \
      -print_final_stats=1 -artifact_prefix="build/fuzz/artifacts/$target-" \
      "$corpus" "fuzz/corpus/$target" >"build/fuzz/$target.log" 2>&1; then
    tail -n 60 "build/fuzz/$target.log"
    echo "fuzz_$target: finding, see build/fuzz/$target.log and build/fuzz/artifacts/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units)' "build/fuzz/$target.log"
done
