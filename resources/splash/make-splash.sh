#!/usr/bin/env bash
# Draws the splash picture (600x395 JPEG) and the About window's logo (120x120 PNG).
# Needs ImageMagick 6 and fonts-wqy-microhei. Run from anywhere; writes beside this script.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The mark: a white ring around "Zv" on a teal disc, drawn large and scaled down for sharp edges.
convert -size 480x480 xc:none \
    -fill '#1f8f8a' -draw 'circle 240,240 240,12' \
    -fill none -stroke white -strokewidth 14 -draw 'circle 240,240 240,44' \
    -stroke none -fill white -font "$font" -pointsize 210 -gravity center -annotate +0+4 'Zv' \
    "$tmp/mark.png"
convert "$tmp/mark.png" -resize 120x120 -depth 8 -strip logo.png

# Background: a diagonal blue-to-teal gradient with two soft light circles.
convert -size 600x395 -define gradient:angle=135 gradient:'#173a6b-#1f8f8a' "$tmp/bg.png"
convert -size 600x395 xc:none \
    -fill 'rgba(255,255,255,0.07)' -draw 'circle 520,60 520,230' \
    -fill 'rgba(255,255,255,0.05)' -draw 'circle 90,400 90,560' \
    -blur 0x2 "$tmp/glow.png"
convert "$tmp/bg.png" "$tmp/glow.png" -composite "$tmp/base.png"

# The mark on the left, the names on the right, a thin rule and the hint along the bottom.
convert "$tmp/mark.png" -resize 150x150 "$tmp/mark150.png"
convert "$tmp/base.png" \
    "$tmp/mark150.png" -geometry +70+110 -composite \
    -font "$font" -fill white \
    -pointsize 46 -annotate +250+165 'Zv系列软件' \
    -pointsize 64 -annotate +248+238 'Mirelo' \
    -fill 'rgba(255,255,255,0.85)' -pointsize 18 -annotate +252+272 'QQ空间信息查询  ·  V6' \
    -stroke 'rgba(255,255,255,0.35)' -strokewidth 1 -draw 'line 70,318 530,318' -stroke none \
    -fill 'rgba(255,255,255,0.75)' -pointsize 15 -gravity south -annotate +0+40 '点击任意处进入' \
    -strip -quality 92 -sampling-factor 4:2:0 splash.jpg
