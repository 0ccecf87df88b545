#!/usr/bin/env bash
# Makes the preview's two 152 x 112 JPEG pictures stored in Vorlune.scr:
#   preview_scene.jpg       a frame of our own renderer at scene time 20 s
#   preview_background.jpg  translucent blue-green grid planes on black
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

"$convert" "$here/preview_scene.jpg" "$here/preview_background.jpg" -format '%f %wx%h\n' info:
