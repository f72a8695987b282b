#!/usr/bin/env bash
# Draws the program icon (host/win32/Vantrel.ico): a track running to the
# horizon, amber on dark grey, at the sizes Windows asks for. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 256x256 xc:none \
  -fill '#1a1a1a' -stroke '#000000' -strokewidth 6 -draw 'roundrectangle 6,6 249,249 40,40' \
  -stroke none -fill '#2a2f2d' -draw 'polygon 40,236 216,236 138,70 118,70' \
  -stroke '#8a6a2a' -strokewidth 9 \
  -draw 'line 64,214 192,214' -draw 'line 78,178 178,178' -draw 'line 90,148 166,148' \
  -draw 'line 100,123 156,123' -draw 'line 108,102 148,102' \
  -stroke '#ffb31a' -strokewidth 14 -draw 'line 58,240 124,64' -draw 'line 198,240 132,64' \
  -stroke none -fill '#ffb31a' -draw 'circle 128,46 128,34' \
  "$work/icon-256.png"

for size in 16 24 32 48 64 128; do
  convert "$work/icon-256.png" -filter Lanczos -resize ${size}x${size} "$work/icon-$size.png"
done
convert "$work"/icon-16.png "$work"/icon-24.png "$work"/icon-32.png "$work"/icon-48.png \
  "$work"/icon-64.png "$work"/icon-128.png "$work"/icon-256.png -depth 8 host/win32/Vantrel.ico
echo "wrote host/win32/Vantrel.ico"
