#!/usr/bin/env bash
# Builds the release packages into dist/:
#   dist/vorlune-<version>-windows-x64-setup.exe  the Windows installer (data/windows/vorlune.nsi)
#   dist/vorlune-<version>-windows-x64.zip  Vorlune.scr and Vorlune.dll, read-me, licence
#   dist/vorlune_<version>_amd64.deb        vorlune (Wayland, and an XScreenSaver hack), vorlune-tool, man pages
#   dist/vorlune-<version>-web.zip          the web page (index.html, all of it in one file), licence
# from the presets' builds (build/windows, build/linux), building only what the
# packages hold, so a tree already built is packaged at once.
#   scripts/package.sh [zip|deb|web]   all of them when none is named; zip
#                                      makes the installer too, from the same files
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

case "${1:-both}" in
    zip | deb | web | both) ;;
    *) echo "usage: $0 [zip|deb|web]" >&2; exit 2 ;;
esac

# package PRESET TARGET...: builds the targets in the preset's tree, then runs CPack there.
package() {
    local preset=$1
    shift
    [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" --target "$@"
    mkdir -p dist
    (cd "build/$preset" && cpack --config CPackConfig.cmake)
}

# The web page's zip needs none of the other builds.
if [ "${1:-}" = web ]; then
    scripts/setup.sh web
    package web vorlune_web
    ls -l dist
    exit 0
fi

scripts/setup.sh package

# installer: the zip's very files (a strip of our own would differ from
# CPack's in the time stamp it writes) made into the installer by makensis.
installer() {
    local stage=build/windows/installer version zip
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
    zip=$PWD/dist/vorlune-$version-windows-x64.zip
    rm -rf "$stage"
    mkdir -p "$stage"
    (cd "$stage" && cmake -E tar xf "$zip")
    makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$PWD/$stage" \
        -DICON="$PWD/saver/resources/vorlune.ico" \
        -DOUTFILE="$PWD/dist/vorlune-$version-windows-x64-setup.exe" data/windows/vorlune.nsi
}

if [ "${1:-both}" != deb ]; then
    package windows vorlune_saver vorlune_renderer
    installer
fi
if [ "${1:-both}" != zip ]; then
    package linux vorlune vorlune-tool vorlune_gzipped_texts
fi
if [ "${1:-both}" = both ]; then
    scripts/setup.sh web
    package web vorlune_web
fi
ls -l dist
