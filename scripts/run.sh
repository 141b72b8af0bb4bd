#!/usr/bin/env bash
# Builds the host and runs its main job against the simulated device.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vd4625
if [ $# -eq 0 ]; then set -- upload --lang en; fi
exec ./build/host/cli/vd4625 "$@"
