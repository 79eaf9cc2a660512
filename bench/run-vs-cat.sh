#!/usr/bin/env bash
# Times a whole vantrel run on full-size workloads against `cat` of the same
# two input files into an output file, and prints the median times and the
# median ratio. The runs are interleaved (vantrel and cat alternate, each
# going first every other time) after a warm-up, so that a machine that
# gets busier or quieter affects both alike. Each time is that of the whole
# process as the shell starts it and waits for it.
#
#   bench/run-vs-cat.sh [-n RUNS] [-b BUILD_DIR] [WORKLOAD ...]
#
# RUNS defaults to 30 (at least 20), BUILD_DIR to build/bench (made by
# `cmake --workflow --preset bench`), the workloads to all-cross and
# realistic; cascade is the third (bench/workloads.h).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=30
build=build/bench
while getopts "n:b:" opt; do
  case $opt in
    n) runs=$OPTARG ;;
    b) build=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] [-b BUILD_DIR] [WORKLOAD ...]" >&2; exit 1 ;;
  esac
done
shift $((OPTIND - 1))
workloads=("$@")
[ ${#workloads[@]} -gt 0 ] || workloads=(all-cross realistic)
if [ "$runs" -lt 20 ]; then
  echo "at least 20 runs" >&2
  exit 1
fi

tool=$build/tool/vantrel
maker=$build/bench/vantrel_workload
for exe in "$tool" "$maker"; do
  if [ ! -x "$exe" ]; then
    echo "$exe is missing: run cmake --workflow --preset bench" >&2
    exit 1
  fi
done
tool=$(cd "$(dirname "$tool")" && pwd)/vantrel
maker=$(cd "$(dirname "$maker")" && pwd)/vantrel_workload

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Microseconds since the epoch, without starting a process.
now() {
  local t=${EPOCHREALTIME/[.,]/}
  echo "${t#0}"
}

# Times one command in microseconds, into the variable named by $1.
time_run() {
  local -n out=$1
  shift
  local start end
  start=$(now)
  "$@" </dev/null >/dev/null
  end=$(now)
  out=$((end - start))
}

median() {
  sort -n | awk '{ v[NR] = $1 } END {
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

run_tool() { "$tool" surface.ldr lines.ldr trimmed.ldr; }
run_cat() { cat surface.ldr lines.ldr >out.ldr; }

printf "%-10s %5s %12s %12s %12s %14s\n" workload runs "vantrel us" "cat us" \
  "ratio" "median ratio"
for workload in "${workloads[@]}"; do
  "$maker" "$workload" surface.ldr lines.ldr
  for _ in 1 2 3; do run_tool >/dev/null; run_cat; done  # warm-up
  : >tool.times
  : >cat.times
  : >ratios
  for ((i = 0; i < runs; i++)); do
    if ((i % 2)); then
      time_run t_tool run_tool
      time_run t_cat run_cat
    else
      time_run t_cat run_cat
      time_run t_tool run_tool
    fi
    echo "$t_tool" >>tool.times
    echo "$t_cat" >>cat.times
    awk -v a="$t_tool" -v b="$t_cat" 'BEGIN { printf "%.4f\n", a / b }' >>ratios
  done
  m_tool=$(median <tool.times)
  m_cat=$(median <cat.times)
  ratio=$(awk -v a="$m_tool" -v b="$m_cat" 'BEGIN { printf "%.3f", a / b }')
  printf "%-10s %5d %12s %12s %12s %14.3f\n" "$workload" "$runs" "$m_tool" \
    "$m_cat" "$ratio" "$(median <ratios)"
done
echo "ratio: median vantrel time over median cat time;" \
  "median ratio: median of the paired runs' ratios"
