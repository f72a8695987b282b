#!/usr/bin/env bash
# The real program: without a display or a preference folder it says so and
# exits 1; under Xvfb with a fake Steam game, the first run, idling, redrawing
# when uncovered, and the keyboard tour (x11.sh) in three languages on three screens.
# Usage: run_window_test.sh PROGRAM WINDOW_TOOL ARTIFACTS
set -u
. "$(dirname "$0")/x11.sh"
program="$1"; tool="$2"; artifacts="$3"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'kill ${xvfb:-} 2>/dev/null; rm -rf "$work"' EXIT

home="$work/home"; game="$work/library/steamapps/common/RailWorks"
mkdir -p "$home/.steam/steam/steamapps" "$game/dev/Shaders" "$game/data/SilverLining" "$game/Content"
: > "$game/RailWorks.exe"
printf '"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n}\n' "$work/library" \
  > "$home/.steam/steam/steamapps/libraryfolders.vdf"

start_fails() {  # DATA_HOME EXPECTED: what standard error must say
  local code=0
  (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$1" timeout 20 "$program") \
    2> "$work/stderr" || code=$?
  [ "$code" -eq 1 ] || fail "exit code $code instead of 1 ($2)"
  grep -q "$2" "$work/stderr" || fail "standard error does not say '$2': $(cat "$work/stderr")"
}
start_fails "$work/no-display" "Failed to initialize display"
grep -qx "Failed to initialize display" "$work/no-display/Quillstone/Vantrel/log.txt" || fail "the log does not say it"
: > "$work/not-a-folder"
start_fails "$work/not-a-folder" "settings folder"

start_program() {  # LANGUAGE: 0 english, 1 french, 2 german; none on the first run
  if [ -n "${1:-}" ]; then
    sed -i "s|<Language value=\"[0-9]*\"|<Language value=\"$1\"|" "$settings"
    grep -q "<Language value=\"$1\"" "$settings" || fail "could not set the language in $settings"
  fi
  program_stderr="$work/stderr"
  (cd "$work" && HOME="$home" XDG_DATA_HOME="$work/data" "$program" 2>"$work/stderr") &
  pid=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name "^Vantrel \(version 1.04\)$" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "the program ended (exit code $?) before its window appeared: $(cat "$work/stderr")"; }
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window appeared"
  sleep 1.5
}

# What the window's close button does (WM_DELETE_WINDOW).
ask_to_close() { "$tool" close "$window" || fail "could not ask the window to close"; }

close_program() {
  ask_to_close
  wait_for_exit "$pid"
}

# Focused and idle, the program waits for input instead of drawing: well under
# a tenth of a core over three seconds (drawing every 30 ms takes a third).
check_idle() {
  xdotool windowfocus --sync "$window" || fail "could not focus the window"
  sleep 1
  local before after ticks=$(getconf CLK_TCK)
  before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  sleep 3
  after=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  echo "idle while focused: $((after - before)) ticks of $((3 * ticks)) in 3 s"
  [ $((after - before)) -lt $((3 * ticks / 20)) ] || fail "the focused window keeps drawing while idle"
}

# Uncovered while another window has the focus, the window draws itself once:
# nothing of the magenta cover may stay on it.
check_redraw_when_uncovered() {
  "$tool" cover || fail "could not cover the window"
  sleep 0.7
  local shot="$artifacts/uncovered-in-background.png" stale
  import -window root "$shot" || fail "no screenshot"
  stale=$(convert "$shot" -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' -format '%[fx:mean]' info:)
  echo "uncovered in the background: magenta share $stale"
  awk -v s="$stale" 'BEGIN { exit !(s < 0.001) }' || fail "the window kept stale pixels after being uncovered"
}

export ASAN_OPTIONS=detect_leaks=0  # the leak tracer can crash at exit beside Mesa's threads
start_screen 1920x1080
start_program
screenshot "$artifacts/first-run-terms-notice.png"
close_program
settings=$(find "$work/data" -name settings.xml | head -1)
[ -n "$settings" ] || fail "the first run wrote no settings file"
grep -q "RailWorks" "$settings" || fail "the settings file does not hold the discovered game folder"

start_program 0
check_idle
check_redraw_when_uncovered
close_program

# SDL takes the DPI from the screen's size in millimetres, which Xvfb gives
# through the core protocol only (its RandR output has none).
export SDL_VIDEO_X11_XRANDR=0
for screen in 1920x1080:96:large 1366x768:96:small 1920x1080:144:scaled; do
  IFS=: read -r size dpi name <<< "$screen"
  start_screen "$size" "$dpi"
  for language in 0:english 1:french 2:german; do
    start_program "${language%%:*}"
    keyboard_tour "$name-${language#*:}"
  done
done
echo "PASS: screenshots in $artifacts"
