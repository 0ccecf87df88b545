#!/usr/bin/env bash
# Installs the Debian packages Vorlune needs, when any is missing.
#   scripts/setup.sh run    what building and running the saver needs
#   scripts/setup.sh windows  that, plus the Windows cross build and Wine
#   scripts/setup.sh package  that, plus what making the release packages needs
#   scripts/setup.sh test   all of that, plus the test tools
set -euo pipefail

run_packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libxfixes-dev # the preset configures its tests too
    libpng-dev
    libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libglx-mesa0
    libx11-dev libxrandr-dev
    libwayland-dev libwayland-bin wayland-protocols libxkbcommon-dev
    librust-wayland-protocols-dev # the one Debian package with the layer shell's protocol file
    xvfb x11-utils
)
windows_packages=(
    "${run_packages[@]}"
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
    wine wine64 libwine fonts-wine fonts-ipafont-gothic
    imagemagick
    googletest # the cross build's tests build GoogleTest from its sources
)
package_packages=(
    "${windows_packages[@]}"
    dpkg-dev file
)
test_packages=(
    "${package_packages[@]}"
    clang-format libgtest-dev googletest libbenchmark-dev
    x11-apps xdotool evilwm libxfixes-dev procps python3 util-linux
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    lame sox pulseaudio pulseaudio-utils gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    clang libclang-rt-14-dev
    lintian man-db xscreensaver
    sway swayidle grim wtype weston
    # GNOME's and KDE Plasma's compositors headless, their pictures and input
    mutter kwin-wayland kwin-style-breeze libkf5service-bin plasma-wayland-protocols dbus-daemon
    pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-tools python3-gi gir1.2-glib-2.0
)

case "${1:-}" in
    run) packages=("${run_packages[@]}") ;;
    windows) packages=("${windows_packages[@]}") ;;
    package) packages=("${package_packages[@]}") ;;
    test) packages=("${test_packages[@]}") ;;
    *) echo "usage: $0 run|windows|package|test" >&2; exit 2 ;;
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
