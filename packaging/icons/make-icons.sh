#!/usr/bin/env bash
# Draws Mirelo's application icon (a magnifier over a vine flower on a teal tile) and writes
# it in the usual hicolor sizes to hicolor/<size>x<size>/apps/mirelo.png beside this script.
# Needs ImageMagick 6. The PNGs are committed; run this again only to change the drawing.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Drawn once at 1024 pixels and scaled down, so every size gets smooth edges.
convert -size 1024x1024 -define gradient:angle=135 gradient:'#1d4f86-#1f9a8a' "$tmp/fill.png"
convert -size 1024x1024 xc:black -fill white -draw 'roundrectangle 48,48 975,975 210,210' \
    "$tmp/mask.png"
convert "$tmp/fill.png" "$tmp/mask.png" -alpha off -compose CopyOpacity -composite "$tmp/tile.png"

petals=()
for angle in 0 72 144 216 288; do
    petals+=(-draw "translate 430,430 rotate $angle ellipse 0,-92 56,88 0,360")
done
convert "$tmp/tile.png" \
    -fill '#f7fbfb' -draw 'circle 430,430 430,160' \
    -fill '#f28fb1' "${petals[@]}" \
    -fill '#ffc928' -draw 'circle 430,430 430,476' \
    -fill none -stroke white -strokewidth 78 -draw 'circle 430,430 430,160' \
    -stroke white -strokewidth 120 -draw 'stroke-linecap round line 640,640 835,835' \
    "$tmp/icon.png"

for size in 16 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}/apps"
    convert "$tmp/icon.png" -filter Lanczos -resize "${size}x${size}" -depth 8 -strip \
        -define png:exclude-chunks=date,time "hicolor/${size}x${size}/apps/mirelo.png"
done
