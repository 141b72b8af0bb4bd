#!/usr/bin/env bash
# Builds the benchmarks in Release and runs the one of an instance's costs
# with repetitions, so that the spread shows. Standard output carries the
# benchmark's table and then one line per figure with its target and
# whether it is within it, and the mean over the group reads. The build is
# quiet and shows its log (on standard error) only when it fails. Arguments
# go to the benchmark program (--benchmark_filter=read_group, ...); the raw
# figures are also written to build-bench/dtm_bench.json.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
program=$build/bench/dtm_bench
jobs=$(nproc); [ "$jobs" -le 8 ] || jobs=8
"$root/scripts/setup.sh" >&2
if ! log=$(cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVD_BUILD_TESTS=OFF \
                 -DVD_BUILD_BENCH=ON 2>&1 &&
           cmake --build "$build" -j"$jobs" --target dtm_bench 2>&1); then
  printf '%s\n' "$log" >&2
  echo "bench.sh: the build failed" >&2
  exit 1
fi
exec "$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/dtm_bench.json" --benchmark_out_format=json "$@"
