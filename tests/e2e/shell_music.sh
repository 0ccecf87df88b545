#!/usr/bin/env bash
# The background music of a full-screen run, chosen in Vorlune.ini or in the
# settings dialog, heard on a PulseAudio null sink: a WAV file loops for the
# whole run and an MP3 file is started again after it ended, each stopping
# with the run; an audio CD without a drive leaves the run silent.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
setup 1024x768x24 sound
install_saver
tones
# The MP3 lies deep in folders with blanks in their names: its Windows path
# is 255 characters long, as long as a value of Vorlune.ini, and must travel quoted.
deep=$work/media
while [ $((${#deep} + 23)) -le 240 ]; do deep+="/a folder with blanks"; done
deep+=/$(printf 'x%.0s' $(seq $((239 - ${#deep}))))
mkdir -p "$deep"
cp "$work/tone 660.mp3" "$deep/"
mp3=$(windows_path "$deep/tone 660.mp3")
log "MP3 path of ${#mp3} characters"

wav_loops() {
    settings 2 "$(windows_path "$work/tone 440.wav")"
    listen wav 2+2=440 end0.5+1.5=quiet -- run "$saver" /s 4500 close
}
run_case "a WAV file chosen in Vorlune.ini loops during the run and stops with it" wav_loops

# The two-second file has ended and been started again 5 s into the run.
mp3_restarts() {
    settings 2 "$mp3"
    listen mp3 5+2=660 end0.5+1.5=quiet -- run "$saver" /s 7500 close
}
run_case "an MP3 file is heard again after it ended, and stops with the run" mp3_restarts

# The player alone: the stop silences the music while its process goes on.
run_case "WavPlay loops the file, WavStop silences it" \
    listen player-wav 2+2=440 end-2+1.5=quiet -- play wav "$(windows_path "$work/tone 440.wav")"
run_case "Mp3Poll starts the file again after its end, Mp3Close silences it" \
    listen player-mp3 4+2=660 end-2+1.5=quiet -- play mp3 "$mp3"

cd_without_a_drive() {
    settings 1 ""
    listen cd 0.5+1.5=quiet -- run "$saver" /s 2000 close && drive cd
}
run_case "kind 1 without a CD drive: the run works, silently; the supervision ends" cd_without_a_drive

# The user's way: the settings dialog chooses the file, then Windows starts
# the run. The chooser opens in the program's folder when no file is set.
chosen_in_the_dialog() {
    settings 0 ""
    cp "$work/tone 440.wav" "$saver_dir/chosen.wav"
    drive dialog "$saver" mark 2 left choose chosen.wav set ends &&
        listen chosen 2+2=440 -- run "$saver" /s 4500 close
}
run_case "a file chosen in the settings dialog plays in the next run" chosen_in_the_dialog
finish
