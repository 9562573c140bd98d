#!/bin/sh
# Draws the editor's icon set and the About window's picture from scratch with
# ImageMagick. Run from anywhere; writes into resources/. The output is
# checked in, so this only needs running when the art changes.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
icons=$root/resources/icons
mkdir -p "$icons"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

font=DejaVu-Sans-Bold

# The icon: a sheet of script on a dark tile, with a red brace pair standing
# for the script's sections. Drawn once at 256 px and scaled down; the two
# smallest sizes get thicker strokes so the sheet still reads at 16 px.
draw_icon() { # size stroke out
    convert -size 256x256 xc:none \
        -fill '#1a1a1a' -stroke '#b00000' -strokewidth "$2" \
        -draw 'roundrectangle 8,8 247,247 40,40' \
        -fill '#f2ede0' -stroke none \
        -draw 'polygon 64,36 164,36 200,72 200,220 64,220' \
        -fill '#c9c1aa' -draw 'polygon 164,36 200,72 164,72' \
        -fill '#6a6a6a' \
        -draw 'rectangle 84,62 150,72' \
        -draw 'rectangle 104,112 160,124' -draw 'rectangle 104,140 150,152' \
        -draw 'rectangle 84,188 170,198' \
        -fill '#d00000' -font "$font" -pointsize 100 \
        -gravity center -annotate +0+4 '{ }' \
        -resize "$1x$1" "$3"
}

for size in 16 32 48 64 128 256; do
    if [ "$size" -le 32 ]; then stroke=24; else stroke=12; fi
    draw_icon "$size" "$stroke" "$work/icon-$size.png"
    # 8-bit RGBA PNG with no timestamps, so reruns give the same bytes.
    convert "$work/icon-$size.png" -strip -depth 8 -define png:color-type=6 \
        "$icons/scpmaker-$size.png"
done
convert "$icons/scpmaker-16.png" "$icons/scpmaker-32.png" "$icons/scpmaker-48.png" \
    "$icons/scpmaker-64.png" "$icons/scpmaker-128.png" "$icons/scpmaker-256.png" \
    -depth 8 "$icons/scpmaker.ico"

# The About picture: 300 x 150, dark, red lettering, a faint tile grid for the
# tiles and gumps the script declares. Progressive JPEG, quality chosen so the
# file stays near 12 KB.
convert -size 300x150 gradient:'#2a0000-#000000' \
    -stroke '#3a0a0a' -strokewidth 1 \
    -draw 'line 0,30 300,30' -draw 'line 0,60 300,60' -draw 'line 0,90 300,90' \
    -draw 'line 0,120 300,120' \
    -draw 'line 50,0 50,150' -draw 'line 100,0 100,150' -draw 'line 150,0 150,150' \
    -draw 'line 200,0 200,150' -draw 'line 250,0 250,150' \
    -stroke '#5a0000' -fill '#200000' \
    -draw 'rectangle 8,8 42,22' -draw 'rectangle 258,8 292,22' \
    -draw 'rectangle 8,128 42,142' -draw 'rectangle 258,128 292,142' \
    -fill '#300000' -draw 'circle 25,75 25,62' -draw 'circle 275,75 275,62' \
    -stroke none -fill '#ff2020' -font "$font" -pointsize 40 \
    -gravity north -annotate +0+28 'scpmaker' \
    -fill '#c00000' -font DejaVu-Sans -pointsize 15 \
    -annotate +0+80 'mantle.scp editor' \
    -fill '#a01010' -pointsize 11 \
    -annotate +0+112 'gumps  -  tiles  -  items' \
    -seed 7 -attenuate 0.25 +noise Gaussian \
    "$work/about.png"
convert "$work/about.png" -strip -sampling-factor 4:2:0 -quality "${ABOUT_QUALITY:-90}" \
    -interlace JPEG "$root/resources/about.jpg"

identify "$root/resources/about.jpg"
