#!/usr/bin/env bash
# Starts the Windows program under Wine on Xvfb, with the game registered in the
# prefix's registry (make_prefix.sh) and a fake game folder on its drive C:.
# First run: the terms notice; second run: the main window; third run: the
# main window with the display at 150 % (144 DPI). Each time a screenshot is
# taken, the window is asked to close and the exit code checked.
# Usage: run_wine_window_test.sh WINE Vantrel.exe close_window.exe ARTIFACTS
set -u
. "$(dirname "$0")/../window/x11.sh"
wine="$1"; program="$2"; closer="$3"; artifacts="$4"
: "${WINEPREFIX:?the prefix comes from the test environment}"
mkdir -p "$artifacts"
trap 'stop_wine; kill "$xvfb" 2>/dev/null' EXIT
stop_wine

game="$WINEPREFIX/drive_c/Games/RailWorks"
rm -rf "$game"
mkdir -p "$game/dev/Shaders" "$game/data/SilverLining" "$game/Content"
: > "$game/RailWorks.exe"
: > "$game/RailWorks64.exe"
pref=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -name Roaming | head -1)/Quillstone/Vantrel
rm -rf "$pref"

start_screen 1920x1080

run_once() {  # name of the screenshot
  local shot="$artifacts/$1.png" title="Vantrel (version 1.04)"
  (cd "$(dirname "$program")" && "$wine" "$program") &
  local pid=$! started=0
  for _ in $(seq 150); do
    grep -q "Failed to initialize display" "$pref/log.txt" 2>/dev/null && break
    xdotool search --name "Vantrel \(version 1.04\)" >/dev/null 2>&1 && { started=1; break; }
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  if [ "$started" -eq 0 ]; then
    kill "$pid" 2>/dev/null
    # The program tells the user in a message box and waits for it.
    grep -q "Failed to initialize display" "$pref/log.txt" 2>/dev/null &&
      { echo "SKIP: Wine could not create a Direct3D 9 device on this display"; exit 0; }
    fail "no window appeared"
  fi
  # The first screenshot that is not blank, then one more a second later:
  # the window is drawn once, so that one shows it whole.
  for _ in $(seq 16); do sleep 0.5; shot_shows_something "$shot" && break; done
  sleep 1
  screenshot "$shot"
  "$wine" "$closer" "$title" || fail "could not ask the window to close"
  wait_for_exit "$pid"
}

run_once wine-first-run-terms-notice
[ -f "$pref/settings.xml" ] || fail "the first run wrote no settings file in $pref"
grep -q 'C:\\Games\\RailWorks' "$pref/settings.xml" || fail "the settings file does not hold the registered game folder"
run_once wine-main-window

# At 150 % (144 DPI) the program, aware of the DPI through its manifest,
# draws itself half as large again instead of being stretched by Windows:
# the open tab, filled with the deep accent colour, is 1.5 times as high.
set_dpi() {  # DPI, or "" to go back to the default
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    if [ -n "$1" ]; then "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    else "$wine" reg delete "$key" /v LogPixels /f >/dev/null 2>&1; fi
  done
  stop_wine
}
tab_height() {  # height of the box around the pixels of that colour
  convert "$artifacts/$1.png" -fill black +opaque '#AD610A' -format '%@' info: | awk -F'[x+]' '{ print $2 }'
}
set_dpi 144
run_once wine-main-window-150-percent
set_dpi ""
ratio=$(awk -v a="$(tab_height wine-main-window-150-percent)" -v b="$(tab_height wine-main-window)" 'BEGIN { printf "%.2f", a / b }')
echo "open tab at 144 DPI: $ratio times as high as at 96 DPI"
awk -v r="$ratio" 'BEGIN { exit !(r > 1.4 && r < 1.6) }' || fail "the interface does not follow the DPI"
echo "PASS: screenshots in $artifacts"
