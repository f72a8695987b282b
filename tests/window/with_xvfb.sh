#!/usr/bin/env bash
# Runs a command on a fresh Xvfb screen (Mesa's software renderer behind GLX)
# and passes on its exit code.
set -u
. "$(dirname "$0")/x11.sh"
trap 'kill "$xvfb" 2>/dev/null' EXIT
start_screen 1920x1080
"$@"
