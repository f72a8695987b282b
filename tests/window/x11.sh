# Sourced by the real-window scripts (here and in tests/windows/): failing, a
# fresh Xvfb screen, screenshots that must not be blank, the end of the
# program after a close request, and Wine's server.
fail() { echo "FAIL: $*"; exit 1; }

# A fresh screen (WIDTHxHEIGHT, at 96 DPI unless another is given) on a
# display Xvfb picks itself: other test runs on this machine have theirs.
# Stops this script's earlier screen; sets
# DISPLAY and xvfb (its process). Without -noreset the server resets whenever
# its last client leaves, and a program connecting meanwhile (the next start
# after a close, on a loaded machine) is refused and cannot open its window.
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
  shot_shows_something "$1" || fail "$1 looks blank (standard deviation $deviation)"
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
