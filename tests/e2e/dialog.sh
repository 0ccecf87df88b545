#!/usr/bin/env bash
# The settings dialog of "Vorlune.scr /c", worked with real mouse and
# keyboard input; what it saves is read back byte by byte from Vorlune.ini.
# Screenshots (dialog, normal, highlight, pressed) stay in the work dir.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
setup 1024x768x24
install_saver
music_dir="$work/music dir"
mkdir -p "$music_dir"
# The music a prepared Vorlune.ini names: only its being there counts.
printf 'RIFF' >"$music_dir/tone.wav"

# dialog <step>...: "Vorlune.scr /c" worked by the driver, its INI calls traced.
dialog() {
    : >"$work/profile.log"
    WINEDEBUG=+profile wine_log=$work/profile.log drive dialog "$saver" "$@"
}

# prepare <kind> <repeat> <file>: a Vorlune.ini to start from, numbers with
# the sign blank the program writes.
prepare() {
    ini_text " $1" " $2" "$3" >"$ini"
    cp "$ini" "$work/ini.before"
}

# saved <kind> <repeat> <file>: the INI's bytes are exactly these. The
# program writes a number with a sign blank (" 2"), as Wine's trace of its
# calls shows, but Wine's WritePrivateProfileStringA drops a value's leading
# blanks: either is right in the file.
saved() {
    [ -f "$ini" ] || { echo "    no Vorlune.ini"; return 1; }
    if ! grep -a -F -q "L\"BGM\\533a\\5206\", L\" $1\"" "$work/profile.log" ||
        ! grep -a -F -q "L\"BGM\\ff98\\ff8b\\ff9f\\ff70\\ff84\", L\" $2\"" "$work/profile.log"; then
        echo "    the numbers were not written with their sign blank:"
        grep -a 'WritePrivateProfileStringW (L"Section' "$work/profile.log" | sed 's/^/      /'
        return 1
    fi
    ini_text "$@" >"$work/ini.expected"
    env LC_ALL=C sed 's/^\(BGM\x8b\xe6\x95\xaa\|BGM\xd8\xcb\xdf\xb0\xc4\)= /\1=/' "$ini" >"$work/ini.found"
    cmp -s "$work/ini.expected" "$work/ini.found" && return 0
    echo "    Vorlune.ini holds:"
    od -c "$ini" | sed 's/^/      /'
    echo "    expected:"
    od -c "$work/ini.expected" | sed 's/^/      /'
    return 1
}

# unchanged: Vorlune.ini is byte for byte what prepare wrote.
unchanged() {
    cmp -s "$work/ini.before" "$ini" && return 0
    echo "    Vorlune.ini changed:"
    od -c "$ini" | sed 's/^/      /'
    return 1
}

opens() {
    prepare 0 0 ""
    dialog layout scale 0 snap dialog state 0 second /c second /s close ends && unchanged
}
run_case "/c opens <Vorlune> in its place; a second /c or /s ends at once; the close box" opens

# 設定 (at the driver's set_rect) looks different normal, highlighted and
# pressed: at least 50 pixels changed.
kinds() {
    # Saved as a CD, left at none: a stray save would show in the file.
    prepare 1 0 ""
    dialog state 1 mark 2 left label 1 left mark 0 right label 2 right mark 1 middle \
        label 0 left rect snap normal hover snap highlight press-away cancel ends || return 1
    local rect
    rect=$(value set_rect)
    unchanged && differs normal highlight "$rect" 50 && differs highlight pressed "$rect" 50 &&
        differs normal pressed "$rect" 50
}
run_case "any mouse button on a mark or label chooses the kind; 設定 highlighted, pressed, let go" kinds

# saves_repeat <typed> <saved>
saves_repeat() {
    rm -f "$ini"
    dialog mark 1 left type "$1" set ends && saved 1 "$2" ""
}
repeats() {
    saves_repeat 2.5 2 && saves_repeat 3.5 4 && saves_repeat abc 0 && saves_repeat 99999 32767
}
run_case "a CD and a typed repeat, saved by 設定 into a new Vorlune.ini" repeats

cancels() {
    prepare 0 3 "$(windows_path "$music_dir/tone.wav")"
    dialog mark 1 left type 7 cancel ends && unchanged && dialog mark 2 left close ends && unchanged
}
run_case "ｷｬﾝｾﾙ and the close box write nothing" cancels

chooses() {
    local old
    old=$(windows_path "$music_dir/tone.wav")
    prepare 2 0 "$old"
    dialog state 2 choose-cancel set ends && saved 2 0 "$old" || return 1
    dialog choose "new song.wav" set ends && saved 2 0 "$(windows_path "$music_dir/new song.wav")" || return 1
    # A file that is not there: no music at first, and the chooser starts in
    # the program's folder.
    prepare 2 0 "$(windows_path "$work/nowhere/gone.wav")"
    dialog state 0 mark 2 left choose other.wav set ends && saved 2 0 "$(windows_path "$saver_dir/other.wav")"
}
run_case "\"...\" chooses a file in the music's folder; cancelling it changes nothing" chooses

# A Vorlune.ini that cannot be written. The tests run as root, for whom
# neither "chmod a-w" nor the read-only attribute (Wine maps it to the same
# mode bits) stops a write, so a folder takes the file's name instead.
refused() {
    rm -f "$ini"
    mkdir "$ini"
    dialog mark 1 left type 5 set refused "$(windows_path "$ini")" stays \
        remove-folder "$(windows_path "$ini")" set ends && saved 1 5 ""
}
run_case "a refused write is told with the INI file's path; the dialog stays; then 設定 again" refused

# At 144 dpi (Wine's LogPixels, read by each program as it starts) the
# layout in twips is 1.5 times as many pixels, its pictures too (screenshot
# dialog-144). Wine takes every program as aware of the DPI, manifest or
# not: only the manifests themselves show that Windows would.
high_dpi() {
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
        >>"$work/wine.log" 2>&1 9>&- || return 1
    prepare 0 0 ""
    dialog layout scale 0 snap dialog-144 close ends && unchanged || return 1
    [ "$(value client)" = 0,0,744x365 ] || { echo "    the client area is not 744 x 365 pixels"; return 1; }
    drive manifest "$scr" "$renderer"
}
run_case "at 144 dpi: the client area 744 x 365, marks and faces 1.5 times; both manifests" high_dpi
finish
