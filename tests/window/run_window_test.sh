#!/usr/bin/env bash
# Starts the real program under Xvfb with a fake home whose Steam library holds
# a fake game, takes screenshots, closes the window and checks the exit code.
# First run: the terms notice is open. Second run: the main window.
set -u
program="$1"; closer="$2"; artifacts="$3"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

home="$work/home"; game="$work/library/steamapps/common/RailWorks"
mkdir -p "$home/.steam/steam/steamapps" "$game/dev/Shaders" "$game/data/SilverLining" "$game/Content"
: > "$game/RailWorks.exe"
printf '"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n}\n' "$work/library" \
  > "$home/.steam/steam/steamapps/libraryfolders.vdf"

display=":$((90 + RANDOM % 400))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

fail() { echo "FAIL: $*"; exit 1; }

run_once() {  # name of the screenshot
  local shot="$artifacts/$1.png"
  (cd "$work" && HOME="$home" XDG_DATA_HOME="$work/data" DISPLAY="$display" "$program") &
  local pid=$!
  sleep 4
  kill -0 "$pid" 2>/dev/null || fail "the program ended before its window could be closed"
  DISPLAY="$display" import -window root "$shot" || fail "no screenshot"
  local deviation
  deviation=$(convert "$shot" -format '%[fx:standard_deviation]' info:)
  echo "$1: standard deviation $deviation"
  awk -v d="$deviation" 'BEGIN { exit !(d > 0.02) }' || fail "$1 looks blank"
  DISPLAY="$display" "$closer" "Vantrel (version 1.04)" || fail "could not ask the window to close"
  local code=0
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "the program did not exit after the close request"; }
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || fail "exit code $code"
}

run_once first-run-terms-notice
settings=$(find "$work/data" -name settings.xml | head -1)
[ -n "$settings" ] || fail "the first run wrote no settings file"
grep -q "RailWorks" "$settings" || fail "the settings file does not hold the discovered game folder"
run_once main-window
echo "PASS: screenshots in $artifacts"
