#!/bin/bash
# The running station's cost under a private Xvfb, loop running, the whole
# picture in view (a 1900 x 1350 window): the fraction of one core it uses
# while nothing changes, then while the demo simulation runs its failure
# script, over a measuring window each (default 20 s).
#
#   shell/bench/station_cpu.sh [SECONDS] [-- extra tarnel options]
# Prints station_cpu_full_view=, busy_panel_cpu= (percent of one core) and
# station_rss_end_mb=.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
seconds="${1:-20}"
shift || true
[ "${1:-}" = "--" ] && shift
bin="${TARNEL_BIN_DIR:-$root/build/bin}"
work="$(mktemp -d /tmp/tarnel_cpu_XXXXXX)"
export TARNEL_SHM_PREFIX="cpubench$$_"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  "$bin/tarnel-shm" remove >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
command -v Xvfb >/dev/null || { echo "station_cpu: Xvfb is missing" >&2; exit 2; }

Xvfb -displayfd 3 -screen 0 1920x1400x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

cd "$bin"
./tarnel --autostart --geometry 1900x1350 "$@" >"$work/tarnel.log" 2>&1 &
station=$!
pids+=($station)
iterations() { "$bin/tarnel-shm" get 0x0814 u32 2>/dev/null || echo 0; }
for _ in $(seq 100); do [ "$(iterations)" -gt 40 ] 2>/dev/null && break; sleep 0.1; done
[ "$(iterations)" -gt 40 ] 2>/dev/null || { echo "station_cpu: the loop did not run" >&2; cat "$work/tarnel.log" >&2; exit 1; }
sleep 2

# The station's processor time in seconds: from /proc/PID/schedstat (in
# nanoseconds) where the kernel has it, else user + system time from
# /proc/PID/stat (in clock ticks, too coarse for a fraction of a percent).
ticks=$(getconf CLK_TCK)
cpu() {
  if [ -r "/proc/$station/schedstat" ]; then
    awk '{ printf "%.6f\n", $1 / 1e9 }' "/proc/$station/schedstat"
  else
    awk -v hz="$ticks" '{ printf "%.6f\n", ($14 + $15) / hz }' "/proc/$station/stat"
  fi
}
# Percent of one core over the window.
measure() {
  local t0 c0 t1 c1
  t0=$(date +%s.%N); c0=$(cpu)
  sleep "$seconds"
  t1=$(date +%s.%N); c1=$(cpu)
  awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" 'BEGIN { printf "%.3f\n", 100 * (c1 - c0) / (t1 - t0) }'
}
echo "station_cpu_full_view=$(measure)"
"$bin/tarnel-demo-sim" --quiet >"$work/sim.log" 2>&1 &
pids+=($!)
sleep 1
echo "busy_panel_cpu=$(measure)"
echo "station_rss_end_mb=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$station/status")"
kill -0 "$station" 2>/dev/null || { echo "station_cpu: the station ended" >&2; exit 1; }
