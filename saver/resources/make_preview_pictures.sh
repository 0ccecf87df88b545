#!/usr/bin/env bash
# Makes the pictures stored in Vorlune.scr:
#   preview_scene.jpg       a frame of our own renderer at scene time 20 s, 152 x 112
#   preview_background.jpg  translucent blue-green grid planes on black, 152 x 112
#   vorlune.ico             the program's icon, from a square frame of the renderer
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
"$convert" "$work/icon.png" -define icon:auto-resize=48,32,16 "$here/vorlune.ico"

"$convert" "$here/preview_scene.jpg" "$here/preview_background.jpg" "$here/vorlune.ico" \
    -format '%f %wx%h\n' info:
