#!/bin/bash
# Builds everything in build/ and starts the panel station on its built-in defaults.
# Extra arguments are passed to tarnel (for example: ./run.sh --ini /path/Tarnel.ini).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$root"
tools/ensure-packages.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ ! -x build/bin/tarnel ]; then
  echo "Built everything; the station program tarnel does not exist yet."
  exit 0
fi
cd build/bin
exec ./tarnel "$@"
