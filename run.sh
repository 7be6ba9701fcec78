#!/bin/bash
# Builds the programs (not the tests, fuzzers or benchmarks: ./test.sh builds
# those) in build/ and starts the panel station on its built-in defaults.
# Extra arguments are passed to tarnel (for example: ./run.sh --ini /path/Tarnel.ini).
# --demo also starts the demonstration simulation tarnel-demo-sim beside the
# station (which then starts its loop at once) and stops it when the station ends.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$root"
demo=0
args=()
for arg in "$@"; do
  if [ "$arg" = "--demo" ]; then demo=1; else args+=("$arg"); fi
done
tools/ensure-packages.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target programs
if [ ! -x build/bin/tarnel ]; then
  echo "Built the programs; the station program tarnel does not exist yet."
  exit 0
fi
cd build/bin
if [ "$demo" = 0 ]; then
  exec ./tarnel "${args[@]}"
fi
./tarnel-demo-sim --quiet &
demo_pid=$!
trap 'kill "$demo_pid" 2>/dev/null || true; wait "$demo_pid" 2>/dev/null || true' EXIT
./tarnel --autostart "${args[@]}"
