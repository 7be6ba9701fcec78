#!/bin/bash
# The "programs" target that ./run.sh builds holds the five programs and the
# art, and none of the tests, fuzzers or benchmarks.
# Usage: check-programs-target.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build="$1"
source="$2"
if [ ! -f "$build/Makefile" ]; then
  echo "not a Makefile build: nothing checked"
  exit 77
fi
targets="$(make -n -C "$build" programs 2>/dev/null | grep -o '[A-Za-z0-9_.-]*\.dir/build\.make' | sed 's/\.dir\/build\.make//' | sort -u)"
status=0
for wanted in tarnel lisket tarnel-shm tarnel-demo-sim tarnel-bridge tarnel_art; do
  if ! grep -qx -- "$wanted" <<<"$targets"; then
    echo "programs does not build $wanted"
    status=1
  fi
done
extra="$(grep -Ei 'test|fuzz|bench' <<<"$targets")"
if [ -n "$extra" ]; then
  echo "programs also builds: $extra"
  status=1
fi
if ! grep -q -- '--target programs' "$source/run.sh"; then
  echo "run.sh does not build the programs target"
  status=1
fi
exit $status
