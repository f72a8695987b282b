#!/usr/bin/env bash
# Creates a fresh Wine prefix and writes the game's install_path into its
# registry, as a Steam install of the game does. Usage: make_prefix.sh WINE PREFIX
set -euo pipefail
. "$(dirname "$0")/../window/x11.sh"
wine=$1
export WINEPREFIX=$2
stop_wine
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
"$wine" wineboot --init >/dev/null 2>&1
"$wine" reg add 'HKLM\SOFTWARE\WOW6432Node\railsimulator.com\railworks' \
    /v install_path /t REG_SZ /d 'C:\Games\RailWorks' /f >/dev/null 2>&1
"$wine" reg query 'HKLM\SOFTWARE\WOW6432Node\railsimulator.com\railworks' /v install_path
stop_wine
