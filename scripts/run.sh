#!/usr/bin/env bash
# Builds Vorlune and shows what it makes: the synthesised texture and the
# metaball shells of a frame, written to out/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/setup.sh run
cmake --preset linux >/dev/null
cmake --build --preset linux

tool=build/linux/tools/vorlune-tool
mkdir -p out
"$tool" texture --out out/texture.png
"$tool" mesh --time 0 --out out/shells-t0.obj
"$tool" mesh --time 10 --out out/shells-t10.obj
echo
echo "Texture: $PWD/out/texture.png"
echo "Meshes:  $PWD/out/shells-t0.obj, $PWD/out/shells-t10.obj (open them in any 3D program)"
