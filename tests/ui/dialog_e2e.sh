#!/usr/bin/env bash
# The settings dialog of "Vorlune.scr /c" under Xvfb and Wine, worked with
# real mouse and keyboard input by dialog_driver.exe; what it saves is read
# back byte by byte from Vorlune.ini:
#   dialog_e2e.sh <work dir> <Vorlune.dll> <dialog_driver.exe> <Vorlune.scr>
# Screenshots (dialog, normal, highlight, pressed) stay in the work dir.
# shellcheck disable=SC2317  # the cases are called through run_case
scr=$4
# The shared harness takes four arguments; the fourth (a probe library) is
# not used here.
# shellcheck source=../e2e/e2e_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_env.sh" "$1" "$2" "$3" none

# Japanese Windows: the ANSI code page is 932, as the dialog's texts expect.
export LC_ALL=ja_JP.UTF-8
E2E_DEADLINE=${E2E_DEADLINE:-130}
setup 1024x768x24

# The layout's font, drawn with the installed IPA fonts.
{
    printf '\xff\xfe'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n%s\r\n' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' | iconv -f UTF-8 -t UTF-16LE
} >"$work/fonts.reg"
"$wine" regedit /S "$work/fonts.reg" >>"$work/wine.log" 2>&1 || { echo "regedit failed" >&2; exit 1; }

windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

saver_dir="$work/my saver"
mkdir -p "$saver_dir"
cp "$renderer" "$saver_dir/Vorlune.dll"
cp "$scr" "$saver_dir/Vorlune.scr"
saver=$(windows_path "$saver_dir/Vorlune.scr")
ini="$saver_dir/Vorlune.ini"
music_dir="$work/music dir"
mkdir -p "$music_dir"
# The music a prepared Vorlune.ini names: only its being there counts.
printf 'RIFF' >"$music_dir/tone.wav"
export VORLUNE_SNAP_DIR
VORLUNE_SNAP_DIR=$(windows_path "$work")

# dialog <step>...: "Vorlune.scr /c" worked by the driver; takes the
# screenshots it asks for meanwhile.
dialog() {
    rm -f "$work"/*.ready "$work"/*.taken
    drive dialog "$saver" "$@" &
    local pid=$! ready name
    while kill -0 "$pid" 2>/dev/null; do
        for ready in "$work"/*.ready; do
            [ -e "$ready" ] || continue
            name=$(basename "$ready" .ready)
            screenshot "$name"
            rm -f "$ready"
            touch "$work/$name.taken"
        done
        sleep 0.05
    done
    wait "$pid"
    local rc=$?
    driven=$(tr -d '\r' <"$work/driver.out")
    return "$rc"
}

# ini_text <kind> <repeat> <file>: Vorlune.ini as the dialog writes it: one
# section, three keys in code page 932 (BGM区分, BGMﾘﾋﾟｰﾄ, BGMﾌｧｲﾙ), CRLF.
ini_text() {
    printf '[Section]\r\n'
    printf 'BGM\x8b\xe6\x95\xaa=%s\r\n' "$1"
    printf 'BGM\xd8\xcb\xdf\xb0\xc4=%s\r\n' "$2"
    printf 'BGM\xcc\xa7\xb2\xd9=%s\r\n' "$3"
}

# prepare <kind> <repeat> <file>: a Vorlune.ini to start from, numbers with
# the leading blank the program writes.
prepare() {
    ini_text " $1" " $2" "$3" >"$ini"
    cp "$ini" "$work/ini.before"
}

# saved <kind> <repeat> <file>: the INI's bytes are exactly these. The
# program writes a number with a leading blank (" 2"), but Wine's
# WritePrivateProfileStringA drops a value's leading blanks: either is right.
saved() {
    ini_text "$@" >"$work/ini.expected"
    if [ ! -f "$ini" ]; then
        echo "    no Vorlune.ini"
        return 1
    fi
    env LC_ALL=C sed 's/^\(BGM\x8b\xe6\x95\xaa\|BGM\xd8\xcb\xdf\xb0\xc4\)= /\1=/' "$ini" \
        >"$work/ini.found"
    if ! cmp -s "$work/ini.expected" "$work/ini.found"; then
        echo "    Vorlune.ini holds:"
        od -c "$ini" | sed 's/^/      /'
        echo "    expected:"
        od -c "$work/ini.expected" | sed 's/^/      /'
        return 1
    fi
}

# unchanged: Vorlune.ini is byte for byte what prepare wrote.
unchanged() {
    cmp -s "$work/ini.before" "$ini" && return 0
    echo "    Vorlune.ini changed:"
    od -c "$ini" | sed 's/^/      /'
    return 1
}

# crop_differs <a> <b>: 設定 (at the driver's set_rect) looks different in
# the two screenshots.
set_rect=
crop_differs() {
    local changed
    changed=$("$compare" -metric AE -fuzz 3% "$work/$1.png[$set_rect]" "$work/$2.png[$set_rect]" \
        null: 2>&1)
    log "設定 in $1.png -> $2.png: $changed pixels changed"
    awk -v n="$changed" 'BEGIN { exit !(n + 0 >= 50) }'
}

open_case() {
    prepare 0 0 ""
    dialog layout snap dialog state 0 second /c second /s close ends && unchanged
}
run_case "/c opens <Vorlune> in its place; a second /c or /s ends at once; the close box" \
    open_case

kinds_case() {
    # Saved as a CD, left at none: a stray save would show in the file.
    prepare 1 0 ""
    dialog state 1 mark 2 left label 1 left mark 0 right label 2 right mark 1 middle \
        label 0 left rect snap normal hover snap highlight press-away cancel ends || return 1
    set_rect=$(value set_rect)
    unchanged && crop_differs normal highlight && crop_differs highlight pressed &&
        crop_differs normal pressed
}
run_case "any mouse button on a mark or label chooses the kind; 設定 highlighted, pressed, let go" \
    kinds_case

# saves_repeat <typed> <saved>
saves_repeat() {
    rm -f "$ini"
    dialog mark 1 left type "$1" set ends && saved 1 "$2" ""
}
repeat_case() {
    saves_repeat 2.5 2 && saves_repeat 3.5 4 && saves_repeat abc 0 && saves_repeat 99999 32767
}
run_case "a CD and a typed repeat, saved by 設定 into a new Vorlune.ini" repeat_case

cancel_case() {
    prepare 0 3 "$(windows_path "$music_dir/tone.wav")"
    dialog mark 1 left type 7 cancel ends && unchanged &&
        dialog mark 2 left close ends && unchanged
}
run_case "ｷｬﾝｾﾙ and the close box write nothing" cancel_case

chooser_case() {
    local old
    old=$(windows_path "$music_dir/tone.wav")
    prepare 2 0 "$old"
    dialog state 2 choose-cancel set ends && saved 2 0 "$old" || return 1
    dialog choose "new song.wav" set ends &&
        saved 2 0 "$(windows_path "$music_dir/new song.wav")" || return 1
    # A file that is not there: no music at first, and the chooser starts in
    # the program's folder.
    prepare 2 0 "$(windows_path "$work/nowhere/gone.wav")"
    dialog state 0 mark 2 left choose other.wav set ends &&
        saved 2 0 "$(windows_path "$saver_dir/other.wav")"
}
run_case "\"...\" chooses a file in the music's folder; cancelling it changes nothing" chooser_case

# A Vorlune.ini that cannot be written. The tests run as root, for whom
# neither "chmod a-w" nor the read-only attribute (Wine maps it to the same
# mode bits) stops a write, so a folder takes the file's name instead.
refused_case() {
    rm -f "$ini"
    mkdir "$ini"
    dialog mark 1 left type 5 set refused "$(windows_path "$ini")" stays \
        remove-folder "$(windows_path "$ini")" set ends && saved 1 5 ""
}
run_case "a refused write is told with the INI file's path; the dialog stays; then 設定 again" \
    refused_case

finish
