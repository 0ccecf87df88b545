#!/usr/bin/env bash
# The background music of a full-screen run, chosen in Vorlune.ini (code page
# 932 keys), heard on a PulseAudio null sink under Xvfb and Wine:
#   shell_music_e2e.sh <work dir> <Vorlune.dll> <shell_driver.exe> <Vorlune.scr> <dialog_driver.exe>
# shellcheck disable=SC2317  # the cases are called through run_case
scr=$4
dialog_driver=$5
# shellcheck source=../e2e/e2e_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_env.sh" "$1" "$2" "$3" none

for tool in pulseaudio pactl parec sox lame; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh test installs it)" >&2; exit 2; }
done
export LC_ALL=ja_JP.UTF-8
# PulseAudio keeps its cookie under HOME; Wine's sound driver must find the same one.
rm -rf "${1:?}/home"
mkdir -p "$1/home"
export HOME=$1/home
unset PULSE_SERVER
parec_pid=
setup 1024x768x24
trap 'set +e; [ -n "$parec_pid" ] && kill -INT "$parec_pid"; pulseaudio --kill; teardown' EXIT
mkdir -p "$HOME"
pulseaudio -D --exit-idle-time=-1 --system=false --log-target=file:"$work/pulse.log" ||
    { echo "pulseaudio did not start" >&2; exit 1; }
for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl load-module module-null-sink sink_name=e2e_sink >/dev/null
pactl set-default-sink e2e_sink
pactl unload-module module-suspend-on-idle 2>/dev/null
log "null sink ready"

saver_dir="$work/saver"
mkdir -p "$saver_dir"
cp "$renderer" "$saver_dir/Vorlune.dll"
cp "$scr" "$saver_dir/Vorlune.scr"
saver="$saver_dir/Vorlune.scr"
sox -n -r 44100 -c 2 -b 16 "$work/tone 440.wav" synth 1 sine 440 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$work/tone660.wav" synth 2 sine 660 vol 0.5
lame --quiet "$work/tone660.wav" "$work/tone 660.mp3"
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# settings <kind> <file>: Vorlune.ini as the settings dialog writes it, keys in code page 932.
settings() {
    {
        printf '[Section]\r\n'
        printf 'BGM\x8b\xe6\x95\xaa= %s\r\n' "$1"
        printf 'BGM\xd8\xcb\xdf\xb0\xc4= 0\r\n'
        printf 'BGM\xcc\xa7\xb2\xd9=%s\r\n' "$2"
    } >"$saver_dir/Vorlune.ini"
}

# listen <name> <seconds>: records the sink for that long.
listen() {
    parec -d e2e_sink.monitor --file-format=wav "$work/$1.wav" &
    parec_pid=$!
    sleep "$2"
    kill -INT "$parec_pid"
    wait "$parec_pid"
    parec_pid=
}

# level <name>: the recording's RMS amplitude (0 to 1).
level() { sox "$work/$1.wav" -n stat 2>&1 | sed -n 's/^RMS *amplitude: *//p'; }

loud() {
    local rms
    rms=$(level "$1")
    log "$1.wav: RMS $rms"
    awk -v r="$rms" 'BEGIN { exit !(r + 0 > 0.05) }'
}
quiet() {
    local rms
    rms=$(level "$1")
    log "$1.wav: RMS $rms"
    # An idle null sink may hand over no samples at all (RMS "nan").
    case $rms in *nan* | "") return 0 ;; esac
    awk -v r="$rms" 'BEGIN { exit !(r + 0 < 0.005) }'
}

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
