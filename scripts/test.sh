#!/usr/bin/env bash
# Builds everything and runs every test: once in a normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz target
# for 10 s. Every run goes ahead even when an earlier one fails; the last line
# sums them up, and the exit status is non-zero when any build, test or fuzz
# run failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
./scripts/setup.sh || exit 1
jobs=$(nproc)
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

status=0
summary=()

# suite NAME BUILD_DIR "CMAKE_ARGS..." [VAR=VALUE...]: configures, builds
# and tests one build; the variables are the tests' environment.
suite() {
  local name=$1 dir=$2 options=$3
  shift 3
  # shellcheck disable=SC2086  # the options are words
  if ! cmake -S . -B "$dir" $options >/dev/null || ! cmake --build "$dir" -j"$jobs"; then
    summary+=("$name build failed")
    status=1
    return
  fi
  env "$@" ctest --test-dir "$dir" --output-on-failure -j"$jobs" | tee "$logs/$name" || status=1
  # ctest ends with "100% tests passed, 0 tests failed out of 18".
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$name" | tail -n 1)
  if [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    local failed=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
    summary+=("$name $((total - failed))/$total passed")
    [ "$failed" -eq 0 ] || status=1
  else
    summary+=("$name no tests run")
    status=1
  fi
}

suite normal build "-DCMAKE_BUILD_TYPE=RelWithDebInfo"
suite sanitized build-asan "-DCMAKE_BUILD_TYPE=Debug -DVD_SANITIZE=ON -DVD_BUILD_BENCH=OFF" \
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# A short fuzzing run over the checked-in seeds; longer by hand with
# scripts/fuzz.sh SECONDS.
if ./scripts/fuzz.sh 10 2>"$logs/fuzz"; then
  if grep -q '^skipped:' "$logs/fuzz"; then summary+=("fuzz skipped"); else summary+=("fuzz passed"); fi
else
  cat "$logs/fuzz" >&2
  summary+=("fuzz failed")
  status=1
fi

joined=$(printf '%s, ' "${summary[@]}")
echo "tests: ${joined%, }"
exit "$status"
