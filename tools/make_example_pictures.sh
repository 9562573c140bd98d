#!/bin/sh
# Draws the pictures the example patch's entries name, at the sizes the
# entries give, with ImageMagick (apt-get install imagemagick): two cloak
# gumps of 120 x 200 and two marble floor tiles of 44 x 44, 24-bit BMPs on
# black, which the patching tool treats as see-through. Writes into
# examples/patch/; the pictures are checked in, so this only needs running
# when they change.
set -eu

patch=$(cd "$(dirname "$0")/.." && pwd)/examples/patch

# A cloak hanging from the shoulders: a dark body, a lighter lining showing
# down the front, a clasp at the neck. $2 is the cloth's colour.
cloak() { # out cloth lining
    convert -size 120x200 xc:black \
        -fill "$2" -stroke '#101010' -strokewidth 2 \
        -draw 'polygon 40,14 80,14 96,40 112,190 8,190 24,40' \
        -fill "$3" -stroke none -draw 'polygon 54,24 66,24 74,188 46,188' \
        -fill '#d8b040' -draw 'circle 60,20 60,25' \
        -type TrueColor BMP3:"$1"
}

# A floor tile as the game draws one: a diamond filling the 44 x 44 square,
# veined; $2 is the colour of its lower sides, darker for an edge tile.
tile() { # out side
    convert -size 44x44 xc:black \
        -fill '#d9d4c7' -draw 'polygon 21,0 22,0 43,21 43,22 22,43 21,43 0,22 0,21' \
        -stroke '#a79f8c' -strokewidth 1 -draw 'line 8,18 30,30' -draw 'line 20,6 26,36' \
        -stroke "$2" -strokewidth 2 -draw 'line 1,22 21,42' -draw 'line 22,42 42,22' \
        -type TrueColor BMP3:"$1"
}

cloak "$patch/gump_cloak_m.bmp" '#2b3a67' '#8c1c1c'
cloak "$patch/gump_cloak_f.bmp" '#4a235a' '#c9a227'
tile "$patch/tile_marble.bmp" '#c4beb0'
tile "$patch/tile_marble_edge.bmp" '#6b6456'
