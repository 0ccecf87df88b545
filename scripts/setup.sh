#!/usr/bin/env bash
# Installs the Debian packages Vorlune needs, when any is missing.
#   scripts/setup.sh run    what building and running the saver needs
#   scripts/setup.sh windows  that, plus the Windows cross build and Wine
#   scripts/setup.sh package  that, plus what making the release packages needs
#   scripts/setup.sh web    what building, serving and showing the web page needs
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
    libdecor-0-dev libdecor-0-plugin-1-cairo # title bars where the compositor draws none
    libsystemd-dev plasma-wayland-protocols # --idle: mutter's idle monitor on D-Bus, KDE's idle protocol
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
    dpkg-dev file nsis 7zip # 7zz lists what the installer carries
)
# The web page: emscripten builds it (and brings node), python3 serves it,
# chromium shows it; scripts/web-bench.sh drives chromium with python3-websocket.
web_packages=(
    cmake ninja-build
    emscripten chromium python3 python3-websocket
)
test_packages=(
    "${package_packages[@]}"
    "${web_packages[@]}" python3-pil # the web page's tests compare pictures with Pillow
    clang-format libgtest-dev googletest libbenchmark-dev
    x11-apps xdotool evilwm libxfixes-dev procps python3 util-linux
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    lame sox pulseaudio pulseaudio-utils gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    clang libclang-rt-14-dev
    lintian man-db xscreensaver
    locales # en_US.UTF-8 for Wine as a Western Windows (below)
    sway swayidle grim wtype weston
    # GNOME's and KDE Plasma's compositors headless, their pictures and input
    mutter kwin-wayland kwin-style-breeze libkf5service-bin plasma-wayland-protocols dbus-daemon
    pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-tools python3-gi gir1.2-glib-2.0
    libglib2.0-bin # gdbus
)

case "${1:-}" in
    run) packages=("${run_packages[@]}") ;;
    windows) packages=("${windows_packages[@]}") ;;
    package) packages=("${package_packages[@]}") ;;
    web) packages=("${web_packages[@]}") ;;
    test) packages=("${test_packages[@]}") ;;
    *) echo "usage: $0 run|windows|package|web|test" >&2; exit 2 ;;
esac

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

# Wine takes its code page from the locale's name, but reads the command line
# and file names in the locale's character set: a locale that is not
# generated leaves it reading them as ASCII. The tests run Wine as a Western
# Windows under en_US.UTF-8 (ja_JP.UTF-8 is only ever named).
need_locale() {
    [ "$1" = test ] || return 1
    locale -a 2>/dev/null | grep -qix 'en_US.utf8' && return 1
    return 0
}
generate_locale() {
    echo "Generating the locale en_US.UTF-8"
    "${as_root[@]}" sed -i 's/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
    "${as_root[@]}" locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    if need_locale "${1}"; then generate_locale; fi
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ ${#as_root[@]} -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: need root (or sudo) to install packages" >&2; exit 1; }
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
if need_locale "${1}"; then generate_locale; fi
