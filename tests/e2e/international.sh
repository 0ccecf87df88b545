#!/usr/bin/env bash
# Vorlune on a Western Windows: code page 1252 and an English user interface
# (Wine under en_US.UTF-8). What the user reads is English; the settings file
# keeps the bytes a Japanese Windows writes; and the programs work from a
# folder whose name that code page cannot spell, music included.
# Screenshot: dialog-en (the settings dialog in English, a path with an accent).
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
E2E_LOCALE=en_US.UTF-8
setup 1024x768x24 sound
tones

missing_in_english() {
    mkdir -p "$work/alone"
    cp "$scr" "$work/alone/Vorlune.scr"
    drive message "$(windows_path "$work/alone/Vorlune.scr")" /s Vorlune \
        "Vorlune.dll was not found in the folder of this screen saver."
}
run_case "without Vorlune.dll, the message is English" missing_in_english

# The programs in the kind of folder a Japanese user name gives on an
# English Windows, blank included.
saver_dir="$work/ユーザー フォルダー"
mkdir -p "$saver_dir"
cp "$renderer" "$saver_dir/Vorlune.dll"
cp "$scr" "$saver_dir/Vorlune.scr"
cp "$work/tone 440.wav" "$saver_dir/tone.wav"
saver=$(windows_path "$saver_dir/Vorlune.scr")
ini=$saver_dir/Vorlune.ini

# The keys as a Japanese Windows writes them; a number's sign blank may go
# (Wine's WritePrivateProfileStringA drops a value's leading blanks).
same_bytes() {
    ini_text "$@" >"$work/ini.expected"
    env LC_ALL=C sed 's/^\(BGM\x8b\xe6\x95\xaa\|BGM\xd8\xcb\xdf\xb0\xc4\)= /\1=/' "$ini" >"$work/ini.found"
    cmp -s "$work/ini.expected" "$work/ini.found" && return 0
    echo "    Vorlune.ini holds:"
    od -c "$ini" | sed 's/^/      /'
    return 1
}

# A music file chosen before, its path in code page 1252 as a Western
# Windows keeps it: the dialog shows it (the screenshot) and saves it unchanged.
english_dialog() {
    local music=$work/Musique/Été.mp3 path
    mkdir -p "$work/Musique"
    cp "$work/tone 660.mp3" "$music"
    path=$(windows_path "$music" | iconv -f UTF-8 -t CP1252)
    ini_text " 2" " 0" "$path" >"$ini"
    drive dialog "$saver" layout snap dialog-en mark 1 left type 5 set ends &&
        same_bytes 1 5 "$path"
}
run_case "the dialog, in English from that folder, keeps a Western path and a Japanese Windows's bytes" \
    english_dialog

# The file is chosen in the dialog, which opens in the programs' folder; the
# settings file can only hold its path in the code page, by its short form.
music_from_that_folder() {
    rm -f "$ini"
    drive dialog "$saver" mark 2 left choose tone.wav set ends || return 1
    local saved
    saved=$(env LC_ALL=C sed -n 's/^BGM\xcc\xa7\xb2\xd9=\(.*\)\r$/\1/p' "$ini")
    log "the music file saved as $saved"
    if ! env LC_ALL=C grep -q -i '^[ -~]*\\tone\.wav$' <<<"$saved"; then
        echo "    not a path the code page can spell, to tone.wav"
        return 1
    fi
    listen folder 2+2=440 end0.5+1.5=quiet -- run "$saver" /s 4500 close
}
run_case "a full-screen run from that folder plays the WAV chosen there, and ends with it" \
    music_from_that_folder
finish
