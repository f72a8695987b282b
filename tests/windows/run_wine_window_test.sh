#!/usr/bin/env bash
# Starts the Windows program under Wine on Xvfb, with the game registered in the
# prefix's registry (make_prefix.sh) and a fake game folder on its drive C:.
# First run: the terms notice. Then the keyboard tour of the window (x11.sh:
# the main window, the help of a focused control, the install question, the
# question on closing, Discard) in English, French and German, and in English
# with the display at 150 % (144 DPI). Each run must end with exit code 0.
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
settings="$pref/settings.xml"
rm -rf "$pref"

start_screen 1920x1080
title="Vantrel (version 1.04)"

# What the window's close button does (WM_CLOSE).
ask_to_close() { "$wine" "$closer" "$title" || fail "could not ask the window to close"; }

# Starts the program (in LANGUAGE when given: 0 english, 1 french, 2 german)
# and waits until its window is drawn; sets pid and window.
start_program() {  # [LANGUAGE]
  if [ -n "${1:-}" ]; then
    sed -i "s|<Language value=\"[0-9]*\"|<Language value=\"$1\"|" "$settings"
    grep -q "<Language value=\"$1\"" "$settings" || fail "could not set the language in $settings"
  fi
  (cd "$(dirname "$program")" && "$wine" "$program") &
  pid=$!
  window=""
  for _ in $(seq 150); do
    grep -q "Failed to initialize display" "$pref/log.txt" 2>/dev/null && break
    window=$(xdotool search --name "Vantrel \(version 1.04\)" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  if [ -z "$window" ]; then
    kill "$pid" 2>/dev/null
    # The program tells the user in a message box and waits for it.
    grep -q "Failed to initialize display" "$pref/log.txt" 2>/dev/null &&
      { echo "SKIP: Wine could not create a Direct3D 9 device on this display"; exit 0; }
    fail "no window appeared"
  fi
  # The window is drawn once it is up: wait for a screenshot that is not blank.
  for _ in $(seq 16); do sleep 0.5; shot_shows_something "$artifacts/starting.png" && break; done
  rm -f "$artifacts/starting.png"
  sleep 1
}

start_program
screenshot "$artifacts/wine-first-run-terms-notice.png"
ask_to_close
wait_for_exit "$pid"
[ -f "$settings" ] || fail "the first run wrote no settings file in $pref"
grep -q 'C:\\Games\\RailWorks' "$settings" || fail "the settings file does not hold the registered game folder"
for language in 0:english 1:french 2:german; do
  start_program "${language%%:*}"
  keyboard_tour "wine-${language#*:}"
done

# At 150 % (144 DPI) the program, aware of the DPI through its manifest,
# draws itself half as large again instead of being stretched by Windows:
# the bar's Install button and the open tab, filled with the deep accent
# colour, reach 1.5 times as far down.
set_dpi() {  # DPI, or "" to go back to the default
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    if [ -n "$1" ]; then "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    else "$wine" reg delete "$key" /v LogPixels /f >/dev/null 2>&1; fi
  done
  stop_wine
}
accent_extent() {  # height of the box around the pixels of that colour
  convert "$artifacts/$1.png" -fill black +opaque '#AD610A' -format '%@' info: | awk -F'[x+]' '{ print $2 }'
}
set_dpi 144
start_program 0
keyboard_tour wine-150-percent-english
set_dpi ""
ratio=$(awk -v a="$(accent_extent wine-150-percent-english-main-window)" \
            -v b="$(accent_extent wine-english-main-window)" 'BEGIN { printf "%.2f", a / b }')
echo "accent colour at 144 DPI: $ratio times as high as at 96 DPI"
awk -v r="$ratio" 'BEGIN { exit !(r > 1.4 && r < 1.6) }' || fail "the interface does not follow the DPI"
echo "PASS: screenshots in $artifacts"
