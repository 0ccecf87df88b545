#!/usr/bin/env bash
# Runs a Windows program of ours under Wine, in the project's own prefix.
# Used by CTest for the cross build (CMAKE_CROSSCOMPILING_EMULATOR).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${VORLUNE_WINEPREFIX:-$repo/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
wine=/usr/lib/wine/wine64

if [ ! -x "$wine" ]; then
    echo "wine-run: $wine not found (apt-get install wine64)" >&2
    exit 127
fi

# The first run makes the prefix (about 15 s); later runs reuse it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$wine" wineboot -i >/dev/null 2>&1
        /usr/lib/wine/wineserver -w
    fi
    # The settings dialog's font, drawn with the IPA fonts Debian has.
    if [ ! -f "$WINEPREFIX/vorlune-fonts.reg" ]; then
        printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
            '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
            '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' |
            iconv -f UTF-8 -t UTF-16 >"$WINEPREFIX/vorlune-fonts.reg"
        "$wine" regedit /S "$WINEPREFIX/vorlune-fonts.reg" >/dev/null 2>&1
    fi
) 9>"$WINEPREFIX.lock"

# VORLUNE_WINE_LOCALE: the locale the program runs in (ja_JP.UTF-8 gives code page 932).
if [ -n "${VORLUNE_WINE_LOCALE:-}" ]; then
    exec env LC_ALL="$VORLUNE_WINE_LOCALE" "$wine" "$@"
fi
exec "$wine" "$@"
