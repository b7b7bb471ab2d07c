#!/usr/bin/env bash
# Draws the splash picture (600x395 JPEG) and the About window's logo (120x120 PNG), each also
# at twice the size ("@2x") for dense screens.
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

draw() { # scale suffix
    local s=$1 suffix=$2
    p() { echo $(($1 * s)); }
    convert "$tmp/mark.png" -resize "$(p 120)x$(p 120)" -depth 8 -strip "logo$suffix.png"

    # Background: a diagonal blue-to-teal gradient with two soft light circles.
    convert -size "$(p 600)x$(p 395)" -define gradient:angle=135 gradient:'#173a6b-#1f8f8a' \
        "$tmp/bg.png"
    convert -size "$(p 600)x$(p 395)" xc:none \
        -fill 'rgba(255,255,255,0.07)' -draw "circle $(p 520),$(p 60) $(p 520),$(p 230)" \
        -fill 'rgba(255,255,255,0.05)' -draw "circle $(p 90),$(p 400) $(p 90),$(p 560)" \
        -blur "0x$(p 2)" "$tmp/glow.png"
    convert "$tmp/bg.png" "$tmp/glow.png" -composite "$tmp/base.png"

    # The mark on the left, the names on the right, a thin rule and the hint along the bottom.
    convert "$tmp/mark.png" -resize "$(p 150)x$(p 150)" "$tmp/mark150.png"
    convert "$tmp/base.png" \
        "$tmp/mark150.png" -geometry "+$(p 70)+$(p 110)" -composite \
        -font "$font" -fill white \
        -pointsize "$(p 46)" -annotate "+$(p 250)+$(p 165)" 'Zv系列软件' \
        -pointsize "$(p 64)" -annotate "+$(p 248)+$(p 238)" 'Mirelo' \
        -fill 'rgba(255,255,255,0.85)' -pointsize "$(p 18)" \
        -annotate "+$(p 252)+$(p 272)" 'QQ空间信息查询  ·  V6' \
        -stroke 'rgba(255,255,255,0.35)' -strokewidth "$s" \
        -draw "line $(p 70),$(p 318) $(p 530),$(p 318)" -stroke none \
        -fill 'rgba(255,255,255,0.75)' -pointsize "$(p 15)" -gravity south \
        -annotate "+0+$(p 40)" '点击任意处进入' \
        -strip -quality 92 -sampling-factor 4:2:0 "splash$suffix.jpg"
}
draw 1 ""
draw 2 "@2x"
