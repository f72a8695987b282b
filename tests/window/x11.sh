# Sourced by the real-window scripts (here and in tests/windows/): failing, a
# fresh Xvfb screen, screenshots that must not be blank, the end of the
# program after a close request, Wine's server, keys, and the tour of the
# program's window from the keyboard.
fail() { echo "FAIL: $*"; exit 1; }

# A fresh screen (WIDTHxHEIGHT [DPI]) on a display Xvfb picks; sets DISPLAY
# and xvfb. -noreset: a reset when the last client leaves would refuse the
# next start that connects meanwhile.
start_screen() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  local file; file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$1x24" -dpi "${2:-96}" -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
  [ -s "$file" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -1 "$file")"
  rm -f "$file"
}

# Takes a screenshot into FILE; true when it is not blank.
shot_shows_something() {  # FILE
  import -window root "$1" || fail "no screenshot"
  deviation=$(convert "$1" -format '%[fx:standard_deviation]' info:)
  awk -v d="$deviation" 'BEGIN { exit !(d > 0.02) }'
}

screenshot() {  # FILE
  if ! shot_shows_something "$1"; then
    # A blank screen with the program gone: say how it ended.
    if [ -n "${pid:-}" ] && ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      fail "$1 looks blank: the program ended (exit code $?): $(cat "${program_stderr:-/dev/null}" 2>/dev/null)"
    fi
    fail "$1 looks blank (standard deviation $deviation)"
  fi
  echo "$(basename "$1" .png): standard deviation $deviation"
}

# Waits for the program asked to close; it must end by itself with exit code 0.
wait_for_exit() {  # PID
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && { kill "$1"; fail "the program did not exit after the close request"; }
  local code=0
  wait "$1" || code=$?
  [ "$code" -eq 0 ] || fail "exit code $code"
}

# Stops the prefix's server, so that no process of an earlier run (started
# without a display) is reused.
stop_wine() {
  local server
  server=$(command -v wineserver || ls /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver 2>/dev/null | head -1) || true
  if [ -n "$server" ]; then "$server" -k 2>/dev/null || true; "$server" -w 2>/dev/null || true; fi
}

# Keys go to the window $window, given the keyboard focus first (there is no
# window manager to give it).
keys() {
  xdotool windowfocus --sync "$window" || fail "could not focus the window"
  for key in "$@"; do xdotool key "$key" || fail "could not press $key"; sleep 0.15; done
  sleep 0.6
}
# Ctrl held, as a hand holds it, while the key is pressed.
with_ctrl() {  # KEY
  xdotool windowfocus --sync "$window" || fail "could not focus the window"
  xdotool keydown ctrl && sleep 0.2 && xdotool key "$1" && sleep 0.2 && xdotool keyup ctrl \
    || fail "could not press Ctrl+$1"
  sleep 0.6
}

# One start ($pid, $window, $settings) driven from the keyboard, with
# screenshots: an edit, the install question, the question on closing, and
# Discard, which must leave the settings file without the edit. The caller
# defines ask_to_close.
keyboard_tour() {  # NAME
  screenshot "$artifacts/$1-main-window.png"
  # Change folder and Install in the bar (Restore is off: nothing is
  # installed), the three tabs, then the first switch.
  keys Tab Tab Tab Tab Tab Tab
  screenshot "$artifacts/$1-tooltip-of-focused-switch.png"
  keys space
  with_ctrl i
  screenshot "$artifacts/$1-install-question.png"
  keys Escape
  ask_to_close
  sleep 0.8
  screenshot "$artifacts/$1-close-question.png"
  keys Escape
  kill -0 "$pid" 2>/dev/null || fail "Escape on the question closed the program"
  ask_to_close
  sleep 0.8
  # The question opens with the keyboard on its first button, Install now.
  keys Tab Tab Return  # Keep for next time, Discard
  wait_for_exit "$pid"
  grep -q '<SSAO value="true"' "$settings" || fail "Discard saved the edit into $settings"
}
