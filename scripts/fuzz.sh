#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang in build-fuzz and
# runs each over its seed corpus for the given seconds (default 10). New
# inputs that a run finds go to build-fuzz/corpus/<target>, never into the
# checked-in seeds. Without clang or libFuzzer nothing is run: the script
# says so on stderr and succeeds.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [seconds]" >&2
  exit 2
fi

skip() {
  [ $# -gt 0 ] && echo "fuzz: $1" >&2
  echo "skipped: clang not found" >&2
  exit 0
}

command -v clang >/dev/null 2>&1 || skip
command -v clang++ >/dev/null 2>&1 || skip
# libFuzzer comes with clang's runtime; a clang without it cannot link a target.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
  >"$probe/probe.cpp"
clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1 ||
  skip "clang cannot link a libFuzzer target"

jobs=$(nproc)
if [ "$jobs" -gt 8 ]; then jobs=8; fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVD_FUZZ=ON \
  -DVD_BUILD_TESTS=OFF -DVD_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target response_fuzz load_fuzz

status=0
for target in response_fuzz load_fuzz; do
  found="build-fuzz/corpus/$target"
  mkdir -p "$found" "build-fuzz/findings/$target"
  echo "fuzz: $target for ${seconds} s" >&2
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
    -artifact_prefix="build-fuzz/findings/$target/" -print_final_stats=1 \
    "$found" "tests/fuzz/corpus/$target"; then
    echo "fuzz: $target found a fault; see build-fuzz/findings/$target/" >&2
    status=1
  fi
done
exit $status
