#!/usr/bin/env bash
# Measures the Linux program under Xvfb (Mesa's software renderer): the time
# from exec to the first frame on screen (median of several starts) and the
# processor share while the window has focus and nothing happens.
# Usage: measure_start_and_idle.sh BUILD_DIR [STARTS]
set -eu
build="$(cd "$1" && pwd)"; starts="${2:-5}"
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
gcc -O2 -shared -fPIC -o "$work/probe.so" "$here/first_frame_probe.c" -ldl

home="$work/home"; game="$work/library/steamapps/common/RailWorks"
mkdir -p "$home/.steam/steam/steamapps" "$game/dev/Shaders" "$game/data/SilverLining" "$game/Content"
: > "$game/RailWorks.exe"
printf '"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n}\n' "$work/library" \
  > "$home/.steam/steam/steamapps/libraryfolders.vdf"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(head -1 "$work/display")"
export HOME="$home" XDG_DATA_HOME="$work/data" DISPLAY="$display"

start_program() {  # sets pid and the start time in $work/start
  rm -f "$work/start" "$work/stderr"
  ( date +%s.%N > "$work/start"; exec env LD_PRELOAD="$work/probe.so" "$build/Vantrel" 2> "$work/stderr" ) &
  pid=$!
}
stop_program() {
  xdotool search --name "Vantrel \(version" windowclose >/dev/null 2>&1 || kill "$pid"
  wait "$pid" 2>/dev/null || true
}

times=()
for i in $(seq 0 "$starts"); do
  start_program
  for _ in $(seq 400); do grep -q first-frame "$work/stderr" 2>/dev/null && break; sleep 0.05; done
  t=$(awk -v s="$(cat "$work/start")" '/first-frame/ { printf "%.0f", ($2 - s) * 1000 }' "$work/stderr")
  stop_program
  [ "$i" -gt 0 ] && [ -n "$t" ] && times+=("$t")  # the first start writes the settings file
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
echo "first frame after start (ms): $sorted"
echo "median: $(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') ms"

start_program
sleep 2
window=$(xdotool search --name "Vantrel \(version" | head -1)
xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 400 300
sleep 3
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(ticks); sleep 10; after=$(ticks)
echo "idle while focused: $(awk -v a="$after" -v b="$before" -v hz="$(getconf CLK_TCK)" \
  'BEGIN { printf "%.1f", (a - b) / hz / 10 * 100 }') % of a core"
stop_program
