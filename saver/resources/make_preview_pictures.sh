#!/usr/bin/env bash
# Makes the pictures stored in Vorlune.scr:
#   preview_scene.jpg       a frame of our own renderer at scene time 20 s, 152 x 112
#   preview_background.jpg  translucent blue-green grid planes on black, 152 x 112
#   vorlune.ico             the program's icon, from a square frame of the renderer:
#                           48, 32 and 16 pixels in 32 bits, and 32 pixels in 256 colours
# Needs the Linux build's vorlune-tool (cmake --build --preset linux),
# python3 and ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
tool=${VORLUNE_TOOL:-$repo/build/linux/tools/vorlune-tool}
convert=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" render --time 20 --size 152x112 --out "$work/scene.png"
"$convert" "$work/scene.png" -strip -quality 90 "$here/preview_scene.jpg"

python3 "$here/draw_grid_planes.py" 152 112 "$work/background.ppm"
"$convert" "$work/background.ppm" -strip -quality 90 "$here/preview_background.jpg"

"$tool" render --time 20 --size 64x64 --out "$work/icon.png"
# 48, 32 and 16 pixels in full colour, and a 32 x 32 of 256 colours (8 bits a
# pixel, with a palette) for displays and programs that want one.
"$convert" "$work/icon.png" \
    \( -clone 0 -resize 48x48 \) \
    \( -clone 0 -resize 32x32 \) \
    \( -clone 0 -resize 32x32 -alpha off -colors 256 -type Palette \) \
    \( -clone 0 -resize 16x16 \) \
    -delete 0 "$here/vorlune.ico"

"$convert" "$here/preview_scene.jpg" "$here/preview_background.jpg" "$here/vorlune.ico" \
    -format '%f %wx%h\n' info:
