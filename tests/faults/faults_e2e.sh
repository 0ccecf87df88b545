#!/usr/bin/env bash
# Faults from outside, under Xvfb and Wine with a PulseAudio null sink: the
# renderer or the shell killed mid-run, the music file deleted while it
# plays, a Vorlune.ini that cannot be read, a preview host gone at once, and
# twenty starts in a crowd. Nothing may hang, be left behind, or be lost:
#   faults_e2e.sh <work dir> <Vorlune.dll> <shell_driver.exe> <Vorlune.scr> <dialog_driver.exe>
# shellcheck disable=SC2317  # the cases are called through run_case
scr=$4
dialog_driver=$5
# shellcheck source=../e2e/e2e_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_env.sh" "$1" "$2" "$3" none

command -v cmp >/dev/null || { echo "missing cmp (scripts/setup.sh test installs it)" >&2; exit 2; }
# shellcheck source=../e2e/sound_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/sound_env.sh"
export LC_ALL=ja_JP.UTF-8
E2E_DEADLINE=${E2E_DEADLINE:-220}
setup 1024x768x24
start_sound
install_saver

# in_background <driver command...>: the driver runs while the script
# listens; collect reads its report once it has ended.
held=
in_background() {
    timeout 60 "$wine" "$driver" "$@" >"$work/driver.out" 2>>"$work/wine.log" &
    held=$!
}
collect() {
    wait "$held"
    local rc=$?
    driven=$(tr -d '\r' <"$work/driver.out")
    printf '%s\n' "$driven" | sed 's/^/    /'
    return "$rc"
}

# within <ms> <limit>: logs and compares a measured time.
within() { awk -v t="$1" -v l="$2" 'BEGIN { exit !(t != "" && t + 0 <= l) }'; }

renderer_killed() {
    settings 2 "$(windows_path "$work/tone 440.wav")"
    in_background kill-renderer "$saver" 3500
    sleep 2
    listen killed-before 1.2
    collect || return 1
    log "the shell ended $(value shell_exit_ms) ms after its renderer was killed"
    listen killed-after 1.5
    loud killed-before && quiet killed-after
}
run_case "the renderer killed mid-run: the shell ends within 1.5 s and the music stops" renderer_killed

shell_killed() {
    settings 2 "$(windows_path "$work/tone 440.wav")"
    # The renderer's display-mode calls go to a trace of their own.
    : >"$work/kill-shell-trace.log"
    WINEDEBUG=+pid,+system timeout 60 "$wine" "$driver" kill-shell "$saver" 3500 \
        >"$work/driver.out" 2>>"$work/kill-shell-trace.log" &
    held=$!
    sleep 2
    listen shell-before 1.2
    collect || return 1
    log "the renderer ended $(value renderer_exit_ms) ms after its shell was killed," \
        "exit code $(value renderer_exit_code)"
    listen shell-after 1.5
    loud shell-before && quiet shell-after || return 1
    grep -a "^$(printf '%04x' "$(value renderer_pid)"):" "$work/kill-shell-trace.log" |
        grep -a 'NtUserChangeDisplaySettings (null) (nil) (nil) 0 ' >/dev/null ||
        { echo "    the renderer did not restore the display mode"; return 1; }
}
run_case "the shell killed mid-run: the music dies with it, the renderer ends as if closed" \
    shell_killed

# The driver, not the shell, starts the renderer and ends at once: nothing
# watches it, it runs on until closed.
not_from_the_shell() {
    drive orphan "$saver_dir/Vorlune.dll" && drive close-renderer 1500
}
run_case "a renderer started by another program outlives it" not_from_the_shell

# deleted <name> <file> <hold ms> <before s> <after s>: the music file goes
# while it plays; the run goes on until it is ended.
deleted() {
    local name=$1 file=$2
    cp "$work/$file" "$saver_dir/$file"
    settings 2 "$(windows_path "$saver_dir/$file")"
    in_background hold "$saver" "$3"
    sleep "$4"
    listen "$name-before" 1
    rm -f "$saver_dir/$file"
    log "deleted $file"
    sleep 0.5
    listen "$name-deleted" "$5"
    collect || return 1
    loud "$name-before" || return 1
    if quiet "$name-deleted"; then
        log "$file: silence after its deletion"
    else
        log "$file: heard on after its deletion"
    fi
}
# The WAV (1 s) has looped again and the MP3 (2 s) has been started again
# after the deletion, within what is heard.
run_case "a WAV file deleted while it plays: no crash, the run goes on" \
    deleted wav-gone "tone 440.wav" 6000 2 2
run_case "an MP3 file deleted while it plays: no crash, the run goes on" \
    deleted mp3-gone "tone 660.mp3" 8000 2.5 3

# The three unreadable files of Vorlune.ini.
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
    in_background escape "$saver" /s
    sleep 1
    listen "ini-$1" 1
    collect || return 1
    log "Vorlune.ini ($1): the renderer's window $(value renderer_ms) ms after the start"
    within "$(value renderer_ms)" "$baseline_ms" ||
        { echo "    the start took longer than ${baseline_ms} ms"; return 1; }
    quiet "ini-$1" || return 1
    timeout 60 "$wine" "$dialog_driver" dialog "$saver" state 0 cancel ends \
        >"$work/dialog.out" 2>>"$work/wine.log" || { tr -d '\r' <"$work/dialog.out"; return 1; }
    # The driver lets the opening animation run 700 ms before it measures.
    log "Vorlune.ini ($1): $(tr -d '\r' <"$work/dialog.out" | sed -n 's/^dialog_ms=//p') ms" \
        "to the dialog, 700 ms of it the driver's own wait"
    if [ "$1" = folder ]; then
        [ -d "$ini" ] || { echo "    the folder Vorlune.ini is gone"; return 1; }
    else
        cmp -s "$work/ini.before" "$ini" || { echo "    Vorlune.ini changed"; return 1; }
    fi
}

# The time to the renderer's window with no Vorlune.ini at all sets the bar.
rm -rf "$ini"
drive escape "$saver" /s >/dev/null
baseline_ms=$(( $(value renderer_ms) + 1000 ))
log "no Vorlune.ini: the renderer's window $(value renderer_ms) ms after the start"
run_case "Vorlune.ini a folder: defaults, quick, nothing written" unreadable folder
run_case "Vorlune.ini 10 MB of random bytes: defaults, quick, nothing written" unreadable random
run_case "Vorlune.ini with broken code page 932, NUL bytes and 100 000-byte lines" \
    unreadable garbled
rm -rf "$ini"

run_case "a preview host destroyed 0 to 100 ms after the start: the shell ends each time" \
    drive preview-gone "$saver" 0 5 20 100 0 5 20 100 0 5 20 100
run_case "twenty /s starts at once: one run, the others end; Escape leaves no process" \
    drive burst "$saver" 20
finish
