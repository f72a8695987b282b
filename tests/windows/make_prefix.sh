#!/usr/bin/env bash
# Creates a fresh Wine prefix and writes the game's install_path into its
# registry, as a Steam install of the game does. Usage: make_prefix.sh WINE PREFIX
set -euo pipefail
wine=$1
prefix=$2
# The prefix's server, so that no process of an earlier run (started without a
# display) is reused.
wineserver=$(command -v wineserver || { ls /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver 2>/dev/null || true; } | head -1)
stop_wine() { if [ -n "$wineserver" ]; then "$wineserver" -k 2>/dev/null || true; "$wineserver" -w 2>/dev/null || true; fi; }
export WINEPREFIX=$prefix
stop_wine
rm -rf "$prefix"
mkdir -p "$prefix"
"$wine" wineboot --init >/dev/null 2>&1
"$wine" reg add 'HKLM\SOFTWARE\WOW6432Node\railsimulator.com\railworks' \
    /v install_path /t REG_SZ /d 'C:\Games\RailWorks' /f >/dev/null 2>&1
"$wine" reg query 'HKLM\SOFTWARE\WOW6432Node\railsimulator.com\railworks' /v install_path
stop_wine
