#!/usr/bin/env bash
# Start-up failures that end the program: the user is told on standard error
# and the program ends with exit code 1 instead of running unseen.
# - no display at all (SDL would fall back to drawing off screen);
# - a preference folder that cannot be made (its parent is a file).
# Usage: run_start_failures.sh PROGRAM
set -u
program="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

run() {  # expected text on standard error, then the environment
  local expected="$1"; shift
  local code=0
  (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" "$@" timeout 20 "$program") \
    2> "$work/stderr" || code=$?
  [ "$code" -eq 1 ] || fail "exit code $code instead of 1 ($expected)"
  grep -q "$expected" "$work/stderr" || fail "standard error does not say '$expected': $(cat "$work/stderr")"
}

mkdir -p "$work/home"
run "Failed to initialize display" XDG_DATA_HOME="$work/data"
grep -qx "Failed to initialize display" "$work/data/Quillstone/Vantrel/log.txt" || fail "the log does not say it"

: > "$work/not-a-folder"
run "settings folder" XDG_DATA_HOME="$work/not-a-folder"
echo "PASS: both failures were told"
