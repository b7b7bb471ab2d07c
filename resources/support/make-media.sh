#!/usr/bin/env bash
# Makes the two media support files: zv.mp3 (a 2.5 s chime) and h.jpg (100x100 picture).
# Needs sox with libsox-fmt-mp3, ImageMagick 6 and fonts-wqy-microhei. Writes beside this script.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

# A C-major pluck arpeggio (C6, E6, G6), softened and faded, 128 kbit/s stereo.
sox -r 44100 -c 3 -n -C 128 zv.mp3 synth 2.5 pluck 1046.5 pluck 1318.5 pluck 1568.0 \
    delay 0 0.12 0.24 remix - lowpass 5000 fade 0 2.5 0.8 norm -3 channels 2

# The product mark on white: a teal disc with a white ring around "Zv".
convert -size 400x400 xc:white \
    -fill '#1f8f8a' -draw 'circle 200,200 200,14' \
    -fill none -stroke white -strokewidth 12 -draw 'circle 200,200 200,42' \
    -stroke none -fill white -font "$font" -pointsize 175 -gravity center -annotate +0+4 'Zv' \
    -resize 100x100 -strip -quality 90 h.jpg
