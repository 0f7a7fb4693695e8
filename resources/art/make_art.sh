#!/usr/bin/env bash
# Draws the tool's icon and bitmaps with ImageMagick 6; the results are
# committed beside this script, so the build needs no ImageMagick.
#   resources/art/make_art.sh
set -euo pipefail
cd "$(dirname "$0")"

bold=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
regular=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
blue='#1f4e8c'
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The emblem, drawn once at 256 px: an I/O module card with its terminals and
# a status lamp on a blue tile.
convert -size 256x256 xc:none \
  -fill "$blue" -draw 'roundrectangle 8,8 247,247 40,40' \
  -fill '#e9eef6' -stroke '#0d2a52' -strokewidth 6 -draw 'roundrectangle 70,30 186,226 14,14' \
  -stroke none -fill '#0d2a52' \
  -draw 'rectangle 88,52 168,64' \
  -draw 'circle 98,96 98,108'  -draw 'circle 158,96 158,108' \
  -draw 'circle 98,132 98,144' -draw 'circle 158,132 158,144' \
  -draw 'circle 98,168 98,180' -draw 'circle 158,168 158,180' \
  -fill '#2fbf4a' -draw 'circle 128,204 128,214' \
  "$tmp/emblem.png"

# Icon 128: 48, 32 and 16 px.
for s in 48 32 16; do
  convert "$tmp/emblem.png" -filter Lanczos -resize ${s}x${s} "$tmp/icon$s.png"
done
convert "$tmp/icon48.png" "$tmp/icon32.png" "$tmp/icon16.png" velmora.ico

# Bitmap 129, the logo: the emblem on a white square with a thin frame.
convert -size 64x64 xc:white \
  \( "$tmp/emblem.png" -filter Lanczos -resize 56x56 \) -gravity center -composite \
  -fill none -stroke '#8a9bb5' -draw 'rectangle 0,0 63,63' \
  -alpha off -type TrueColor BMP3:logo.bmp

# Bitmap 130, the heading: what the tool is for.
convert -size 345x40 xc:white \
  -fill "$blue" -draw 'rectangle 0,0 5,39' \
  -fill none -stroke '#8a9bb5' -draw 'rectangle 0,0 344,39' -stroke none \
  -font "$bold" -pointsize 17 -fill "$blue" -annotate +16+19 'I/O Module Configuration' \
  -font "$regular" -pointsize 11 -fill '#404040' -annotate +16+34 \
      'Parameter registers of PLC rack I/O modules as plain settings' \
  -alpha off -type TrueColor BMP3:heading.bmp

# Bitmap 131, the notice shown while the tool waits for the host.
convert -size 345x30 xc:'#fff3f3' \
  -fill none -stroke '#c00000' -strokewidth 2 -draw 'rectangle 1,1 343,28' -stroke none \
  -font "$bold" -pointsize 13 -fill '#c00000' -gravity center \
  -annotate +0+0 "Waiting for Concept's I/O Map Parameters menu ..." \
  -alpha off -type TrueColor BMP3:waiting.bmp
