#!/usr/bin/env bash
# Faults from outside, with a PulseAudio null sink: the renderer or the shell
# killed mid-run, the music file deleted while it plays, a Vorlune.ini that
# cannot be read, a preview host gone at once, and twenty starts in a crowd.
# Nothing may hang, be left behind, or be lost.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
command -v cmp >/dev/null || { echo "missing cmp (scripts/setup.sh test installs it)" >&2; exit 2; }
setup 1024x768x24 sound
install_saver
tones

renderer_killed() {
    settings 2 "$(windows_path "$work/tone 440.wav")"
    listen killed 1+1.2=440 end0.5+1.5=quiet -- run "$saver" /s 3500 kill-renderer || return 1
    log "the shell ended $(value shell_exit_ms) ms after its renderer was killed"
}
run_case "the renderer killed mid-run: the shell ends within 1.5 s and the music stops" renderer_killed

shell_killed() {
    settings 2 "$(windows_path "$work/tone 440.wav")"
    # The renderer's display-mode calls go to a trace of their own.
    WINEDEBUG=+pid,+system wine_log=$work/kill-shell-trace.log \
        listen shell 1+1.2=440 end0.5+1.5=quiet -- run "$saver" /s 3500 kill-shell || return 1
    log "the renderer ended $(value renderer_exit_ms) ms after its shell was killed"
    # One grep, no pipe: under pipefail a reader that stops at the first
    # match can fail the pipe through its writer's SIGPIPE.
    grep -a -q "^$(printf '%04x' "$(value renderer_pid)"):.*NtUserChangeDisplaySettings (null) (nil) (nil) 0 " \
        "$work/kill-shell-trace.log" ||
        { echo "    the renderer did not restore the display mode"; return 1; }
}
run_case "the shell killed mid-run: the music dies with it, the renderer ends as if closed" shell_killed

# The driver, not the shell, starts the renderer and ends at once: nothing
# watches it, it runs on until closed.
outlives() { drive launch "$(windows_path "$saver_dir/Vorlune.dll")" && sleep 1.5 && drive close; }
run_case "a renderer started by another program outlives it" outlives

# deleted <file> <stretch before>: the music file goes 3 s into the run,
# while it plays (heard before); the run goes on until it is closed, and
# what follows is only logged. By then the WAV (1 s) has looped again and
# the MP3 (2 s) been started again.
delete_music() {
    sleep 3
    rm -f "$music"
    log "deleted $music"
}
deleted() {
    music=$saver_dir/$1
    cp "$work/$1" "$music"
    settings 2 "$(windows_path "$music")"
    on_window=delete_music listen "deleted ${1%.*}" "$2" 3.5+2.5=any -- run "$saver" /s 6500 close
}
run_case "a WAV file deleted while it plays: no crash, the run goes on" deleted "tone 440.wav" 1+1.5=440
run_case "an MP3 file deleted while it plays: no crash, the run goes on" deleted "tone 660.mp3" 1+1.5=660

# unreadable folder|random|garbled: a Vorlune.ini that cannot be read gives
# the defaults: a silent run that starts within three times (and a second)
# the time of one without the file (a loaded machine varies that much), the
# dialog showing no music; and nothing written.
unreadable() {
    rm -rf "$ini"
    case $1 in
        folder) mkdir "$ini" ;;
        random) head -c 10485760 /dev/urandom >"$ini" ;;
        garbled)
            {
                # Lead bytes without their trail, bytes code page 932 never
                # uses, NUL bytes, and values of 100 000 bytes.
                printf '[Section\x81]\r\n\x81\r\n\xfd\xfe\xff\xa0\x80\r\n'
                printf '[Section]\r\nBGM\x8b\xe6\x95\xaa='
                head -c 100000 /dev/zero | tr '\0' '2'
                printf '\r\nBGM\xd8\xcb\xdf\xb0\xc4=\x00\x00 7\x00\r\nBGM\xcc\xa7\xb2\xd9=Z:\x5c'
                head -c 100000 /dev/zero | tr '\0' '\202'
                printf '.wav\r\n\x00\x00\x00[Section]\x00BGM\x8b\xe6\x95\xaa=2\r\n'
                head -c 100000 /dev/zero | tr '\0' '\201'
                printf '\r\n'
            } >"$ini"
            ;;
    esac
    # A damaged file has been there a while. NOTE: Wine reads a profile file
    # written within the last 2.1 s again on every call (its clock check);
    # a fresh 10 MB file would be parsed once per key read.
    touch -d '-1 min' "$ini"
    [ -f "$ini" ] && cp -p "$ini" "$work/ini.before"
    listen "ini $1" 0+1=quiet -- run "$saver" /s 1000 escape || return 1
    log "Vorlune.ini ($1): the renderer's window $(value renderer_ms) ms after the start"
    [ "$(value renderer_ms)" -le $((3 * quickest + 1000)) ] || { echo "    a slow start"; return 1; }
    drive dialog "$saver" state 0 cancel ends || return 1
    log "Vorlune.ini ($1): the dialog $(value dialog_ms) ms after the start"
    if [ "$1" = folder ]; then
        [ -d "$ini" ] || { echo "    the folder Vorlune.ini is gone"; return 1; }
    else
        cmp -s "$work/ini.before" "$ini" || { echo "    Vorlune.ini changed"; return 1; }
    fi
}
rm -rf "$ini"
drive run "$saver" /s 1000 escape >/dev/null
quickest=$(value renderer_ms)
log "no Vorlune.ini: the renderer's window $quickest ms after the start"
run_case "Vorlune.ini a folder: defaults, quick, nothing written" unreadable folder
run_case "Vorlune.ini 10 MB of random bytes: defaults, quick, nothing written" unreadable random
run_case "Vorlune.ini with broken code page 932, NUL bytes and 100 000-byte lines" unreadable garbled
rm -rf "$ini"

run_case "a preview host destroyed 0 to 100 ms after the start: the shell ends each time" \
    drive preview-gone "$saver" 0 5 20 100 0 5 20 100 0 5 20 100
run_case "twenty /s starts at once: one run, the others end; Escape leaves no process" \
    drive burst "$saver" 20
finish
