#!/usr/bin/env bash
# The background music of a full-screen run, chosen in Vorlune.ini (code page
# 932 keys), heard on a PulseAudio null sink under Xvfb and Wine:
#   shell_music_e2e.sh <work dir> <Vorlune.dll> <shell_driver.exe> <Vorlune.scr> <dialog_driver.exe>
# shellcheck disable=SC2317  # the cases are called through run_case
scr=$4
dialog_driver=$5
# shellcheck source=../e2e/e2e_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_env.sh" "$1" "$2" "$3" none

# shellcheck source=../e2e/sound_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/sound_env.sh"
export LC_ALL=ja_JP.UTF-8
setup 1024x768x24
start_sound
install_saver

wav_loops_while_running() {
    settings 2 "$(windows_path "$work/tone 440.wav")"
    drive hold "$saver" 4500 >/dev/null &
    local held=$!
    # Past the first second of the file: it has looped by the time we listen.
    sleep 2
    listen wav-running 2
    wait "$held" || { cat "$work/driver.out"; return 1; }
    listen wav-after 1.5
    loud wav-running && quiet wav-after
}

mp3_restarts() {
    settings 2 "$(windows_path "$work/tone 660.mp3")"
    drive hold "$saver" 6000 >/dev/null &
    local held=$!
    # The two-second file has ended and been started again by then.
    sleep 3.5
    listen mp3-again 2
    wait "$held" || { cat "$work/driver.out"; return 1; }
    listen mp3-after 1.5
    loud mp3-again && quiet mp3-after
}

cd_without_a_drive_runs_silently() {
    settings 1 ""
    drive hold "$saver" 1500 >/dev/null &
    local held=$!
    sleep 0.5
    listen cd 1.5
    wait "$held" || { cat "$work/driver.out"; return 1; }
    quiet cd
}

run_case "a WAV file chosen in Vorlune.ini loops during the run and stops with it" wav_loops_while_running
run_case "a two-second MP3 file is heard again after it ended" mp3_restarts
# The user's way: the settings dialog chooses the file, then Windows starts
# the run. The chooser opens in the program's folder when no file is set.
chosen_in_the_dialog_plays() {
    settings 0 ""
    cp "$work/tone 440.wav" "$saver_dir/chosen.wav"
    timeout 60 "$wine" "$dialog_driver" dialog "$saver" mark 2 left choose chosen.wav set ends \
        >"$work/dialog.out" 2>>"$work/wine.log" || { tr -d '\r' <"$work/dialog.out"; return 1; }
    drive hold "$saver" 4500 >/dev/null &
    local held=$!
    sleep 2
    listen chosen-running 2
    wait "$held" || { cat "$work/driver.out"; return 1; }
    loud chosen-running
}

run_case "kind 1 without a CD drive: the run works, silently" cd_without_a_drive_runs_silently
run_case "a file chosen in the settings dialog plays in the next run" chosen_in_the_dialog_plays
finish
