#!/bin/bash
# Checks an installed station.
#   check-install.sh stage BUILD_DIR   installs the build into a scratch DESTDIR
#                                      (prefix /usr), checks the layout, then
#                                      starts the installed station as below
#   check-install.sh start BIN_DIR     BIN_DIR/tarnel --version, then a headless
#                                      start from a folder without Tarnel.ini:
#                                      start-up must finish with success and
#                                      SIGTERM must end it with status 0
set -euo pipefail

fail() { echo "check-install: $*" >&2; exit 1; }

start_check() {
  local bin="$1"
  local version
  version="$("$bin/tarnel" --version)" || fail "tarnel --version failed"
  [[ "$version" == tarnel\ * ]] || fail "tarnel --version printed '$version'"
  echo "check-install: $version"

  local work prefix log pid status=0
  work="$(mktemp -d /tmp/tarnel_installed_XXXXXX)"
  prefix="inst$$_$(date +%s%N | tail -c 7)_"
  log="$work/tarnel.log"
  # No Tarnel.ini in the working folder: the one beside the program is used.
  (cd "$work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy TARNEL_SHM_PREFIX="$prefix" \
     exec "$bin/tarnel" >"$log" 2>&1) &
  pid=$!
  local started=0
  for _ in $(seq 1 150); do
    if ! kill -0 "$pid" 2>/dev/null; then
      break
    fi
    # Initialisation finished with success (banner record byte 0x1312).
    if [ "$(TARNEL_SHM_PREFIX="$prefix" "$bin/tarnel-shm" get 0x1312 u8 2>/dev/null)" = "1" ]; then
      started=1
      break
    fi
    sleep 0.2
  done
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || status=$?
  if [ "$started" != 1 ] || [ "$status" != 0 ]; then
    cat "$log" >&2
    rm -rf "$work"
    fail "the installed station did not start (finished: $started, exit status $status)"
  fi
  rm -rf "$work"
  echo "check-install: headless start from $bin finished its start-up and closed normally"
}

case "${1:-}" in
  stage)
    build="$2"
    stage="$(mktemp -d /tmp/tarnel_stage_XXXXXX)"
    trap 'rm -rf "$stage"' EXIT
    DESTDIR="$stage" "${CMAKE:-cmake}" --install "$build" --prefix /usr >/dev/null || fail "cmake --install failed"
    root="$stage/usr"
    for f in bin/tarnel bin/lisket bin/tarnel-shm lib/tarnel/bin/tarnel lib/tarnel/bin/lisket \
             lib/tarnel/bin/tarnel-shm lib/tarnel/bin/Tarnel.ini lib/tarnel/bin/Pictures/OverheadPanel.bmp \
             lib/tarnel/bin/CockpitBitmaps share/applications/tarnel.desktop \
             share/icons/hicolor/scalable/apps/tarnel.svg lib/systemd/user/tarnel.service \
             lib/libtarnel-client.so.1 include/tarnel_client.h include/tarnel_client.hpp \
             lib/pkgconfig/tarnel-client.pc lib/python3/dist-packages/tarnel/__init__.py; do
      [ -e "$root/$f" ] || fail "missing after install: /usr/$f"
    done
    for program in tarnel-demo-sim tarnel-bridge; do
      if [ -x "$build/bin/$program" ]; then
        [ -x "$root/bin/$program" ] || fail "$program was built but not installed"
      fi
    done
    [ -L "$root/bin/tarnel" ] || fail "/usr/bin/tarnel is not a link"
    [ "$(readlink "$root/bin/tarnel")" = "../lib/tarnel/bin/tarnel" ] || fail "/usr/bin/tarnel points elsewhere"
    grep -q '^ExecStart=tarnel --autostart ' "$root/lib/systemd/user/tarnel.service" || fail "unit does not start tarnel"
    grep -q '^Exec=tarnel$' "$root/share/applications/tarnel.desktop" || fail "desktop entry does not start tarnel"
    if command -v desktop-file-validate >/dev/null; then
      desktop-file-validate "$root/share/applications/tarnel.desktop" || fail "desktop entry not valid"
    fi
    start_check "$root/bin"
    ;;
  start)
    start_check "$2"
    ;;
  *)
    echo "usage: check-install.sh stage BUILD_DIR | start BIN_DIR" >&2
    exit 2
    ;;
esac
