#!/usr/bin/env bash
# Installs the Debian packages Vorlune needs, when any is missing.
#   scripts/setup.sh run    what building and running the saver needs
#   scripts/setup.sh test   that, plus the Windows cross build, Wine and test tools
set -euo pipefail

run_packages=(
    cmake ninja-build g++ pkg-config
    libpng-dev
    libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libglx-mesa0
    libx11-dev
    xvfb x11-utils
)
test_packages=(
    "${run_packages[@]}"
    clang-format
    libgtest-dev googletest
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
    wine wine64 libwine fonts-wine
    x11-apps xdotool imagemagick evilwm libxfixes-dev procps python3
    libbenchmark-dev
    lame sox pulseaudio pulseaudio-utils gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    util-linux locales
)

case "${1:-}" in
    run) packages=("${run_packages[@]}") ;;
    test) packages=("${test_packages[@]}") ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: need root (or sudo) to install packages" >&2; exit 1; }
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
