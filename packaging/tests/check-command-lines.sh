#!/bin/bash
# Every program answers --help, --version and a bad argument in the same way:
# help on stdout with status 0, "PROGRAM VERSION" with status 0, and
# "PROGRAM: reason" then "Try 'PROGRAM --help'." on stderr with status 2.
# Usage: check-command-lines.sh BIN_DIR
set -uo pipefail
bin="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
status=0
fail() { echo "$1"; status=1; }
for program in tarnel lisket tarnel-shm tarnel-demo-sim tarnel-bridge; do
  [ -x "$bin/$program" ] || { fail "$program: not built"; continue; }
  "$bin/$program" --help >"$scratch/out" 2>"$scratch/err"
  rc=$?
  [ $rc -eq 0 ] || fail "$program --help: status $rc"
  grep -q "^Usage: $program" "$scratch/out" || fail "$program --help: no usage line"
  "$bin/$program" --version >"$scratch/out" 2>"$scratch/err"
  rc=$?
  [ $rc -eq 0 ] || fail "$program --version: status $rc"
  grep -q "^$program [0-9A-Z]" "$scratch/out" || fail "$program --version: $(cat "$scratch/out")"
  "$bin/$program" --no-such-option >"$scratch/out" 2>"$scratch/err"
  rc=$?
  [ $rc -eq 2 ] || fail "$program --no-such-option: status $rc"
  grep -qx "$program: unknown argument '--no-such-option'" "$scratch/err" || fail "$program: $(cat "$scratch/err")"
  grep -qx "Try '$program --help'." "$scratch/err" || fail "$program: no pointer to --help"
  [ -s "$scratch/out" ] && fail "$program --no-such-option wrote to stdout"
done
exit $status
