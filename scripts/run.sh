#!/usr/bin/env bash
# Builds the host and runs its main job against the simulated device.
# Standard output is the program's alone: the build is quiet and shows its
# log (on standard error) only when it fails. The program runs in the
# caller's folder, so relative paths given to it mean what the caller sees.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$root/build/host/app/vd4625
"$root/scripts/setup.sh" >&2
[ -x "$program" ] || echo "run.sh: building $program, the first time takes a while" >&2
if ! log=$(cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo 2>&1 &&
           cmake --build "$root/build" -j"$(nproc)" --target vd4625 2>&1); then
  printf '%s\n' "$log" >&2
  echo "run.sh: the build failed" >&2
  exit 1
fi
if [ $# -eq 0 ]; then set -- upload --lang en; fi
exec "$program" "$@"
