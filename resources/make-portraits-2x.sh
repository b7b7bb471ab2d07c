#!/usr/bin/env bash
# Draws the default portraits at twice their size (portrait-*@2x.png, 200x200) for screens
# with twice the pixel density; Qt picks them through QIcon. They match the 100-pixel
# pictures in images/: a light radial ground, a head and a pair of shoulders.
# Needs ImageMagick 6. Run from anywhere; writes into images/ (this script stays outside it,
# as everything in images/ is built into the program).
set -euo pipefail
cd "$(dirname "$0")/images"

draw() { # name ground-centre ground-edge figure
    convert -size 200x200 -define gradient:center=100,100 -define gradient:radii=100,100 \
        radial-gradient:"$2-$3" -fill "$4" \
        -draw 'circle 100,80 100,44' -draw 'ellipse 100,190 64,56 180,360' \
        -depth 8 -strip -define png:exclude-chunks=date,time "PNG24:$1@2x.png"
}
draw portrait-qq '#FDF2E4' '#ECCFA8' '#C9A277'
draw portrait-qzone '#E8F1FB' '#B9CFE8' '#8FA9C8'
