#!/bin/bash
# Soak test: runs the station under a private Xvfb for a given time while one
# process clicks, drags and presses keys at random and another writes random
# bytes over every field the simulation writes, 100 times a second. Prints
# name=value figures and exits non-zero when the station crashed, stalled or
# grew its memory.
#
#   tools/soak.sh [SECONDS]        (default 60; the build must exist in build/)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
bin="${TARNEL_BIN_DIR:-$root/build/bin}"
work="$(mktemp -d /tmp/tarnel_soak_XXXXXX)"
export TARNEL_SHM_PREFIX="soak$$_"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  "$bin/tarnel-shm" remove >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "soak: $tool is missing" >&2; exit 2; }
done

# A private X server on a display it chooses itself.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

cd "$bin"
./tarnel --stats >"$work/tarnel.log" 2>&1 &
station=$!
pids+=($station)
window=""
for _ in $(seq 100); do
  window="$(xdotool search --name 'QX-P-0077' 2>/dev/null | head -n1)"
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "soak: the station's window did not appear" >&2; cat "$work/tarnel.log" >&2; exit 1; }
sleep 2
xdotool mousemove --sync 400 300 click 1  # starts the real-time loop

iterations() { "$bin/tarnel-shm" get 0x0814 u32 2>/dev/null || echo 0; }
rss() { awk '/VmRSS/ {print $2}' "/proc/$station/status" 2>/dev/null || echo 0; }

# The hostile simulation.
"$bin/tarnel-shm" noise --rate 100 --seconds "$seconds" --seed $$ >"$work/noise.log" 2>&1 &
pids+=($!)

# The operator: random clicks, drags and keys inside the window.
(
  keys=(Up Down Left Right Prior Next Home)
  end=$((SECONDS + seconds))
  while [ $SECONDS -lt $end ]; do
    x=$((RANDOM % 900 + 10)); y=$((RANDOM % 720 + 10))
    case $((RANDOM % 6)) in
      0 | 1) xdotool mousemove "$x" "$y" click 1 ;;
      2) xdotool mousemove "$x" "$y" click 3 ;;
      3) xdotool mousemove "$x" "$y" mousedown 1 mousemove $(((x + 200) % 900)) $(((y + 150) % 720)) mouseup 1 ;;
      *) xdotool key "${keys[$((RANDOM % ${#keys[@]}))]}" ;;
    esac
    sleep 0.05
  done
) >/dev/null 2>&1 &
operator=$!
pids+=($operator)

warmup=$((seconds / 10 > 5 ? seconds / 10 : 5))
sleep "$warmup"
rss_start=$(rss)
first=$(iterations)
sleep $((seconds - warmup))
wait "$operator" 2>/dev/null
last=$(iterations)
rss_end=$(rss)

kill -TERM "$station" 2>/dev/null
wait "$station"
status=$?
stats="$(grep 'iterations=' "$work/tarnel.log" | tail -n1)"
overruns="$(sed -n 's/.*overruns=\([0-9]*\).*/\1/p' <<<"$stats")"
late="$(sed -n 's/.*late_starts=\([0-9]*\).*/\1/p' <<<"$stats")"
crashes=$((status == 0 ? 0 : 1))
growth=$((rss_end - rss_start))

echo "soak_seconds=$seconds"
echo "soak_iterations=$((last - first))"
echo "soak_overruns=${overruns:-unknown}"
echo "soak_late_starts=${late:-unknown}"
echo "soak_crashes=$crashes"
echo "soak_exit_status=$status"
echo "soak_rss_start_kb=$rss_start"
echo "soak_rss_end_kb=$rss_end"
echo "soak_noise=$(tail -n1 "$work/noise.log")"

fail=0
[ "$crashes" -eq 0 ] || { echo "soak: the station ended with status $status" >&2; tail -n 20 "$work/tarnel.log" >&2; fail=1; }
[ $((last - first)) -gt $((seconds * 10)) ] || { echo "soak: the real-time loop stalled" >&2; fail=1; }
[ "$growth" -le 2048 ] || { echo "soak: resident memory grew by $growth kB" >&2; fail=1; }
exit $fail
