#!/usr/bin/env bash
# Real sound from the music player's Windows side: a WAV loop, an MP3 that
# ends and is restarted, and a CD drive that is not there, played under Wine
# into a PulseAudio null sink whose monitor we record and measure.
#   music_e2e.sh <work dir> <music_probe.exe>
# Everything it starts (Xvfb, PulseAudio, the Wine server, the recorders) is
# stopped again however the script ends.
set -uo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 <work dir> <music_probe.exe>" >&2
    exit 2
fi
work=$1
probe=$2
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

case $work in
    "" | / | "$HOME") echo "refusing to use '$work' as the work directory" >&2; exit 2 ;;
esac
for tool in "$wine" "$wineserver" Xvfb xdpyinfo pulseaudio pactl parec sox lame; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool (scripts/setup.sh test installs it)" >&2
        exit 2
    fi
done

# Two runs of this test in one build tree (two of us running CTest at once)
# would share the work directory and wipe each other's prefix: the second
# waits for the first.
mkdir -p "$(dirname "$work")"
exec 9>"$work.lock"
flock -w 100 9 || { echo "another run still holds $work.lock" >&2; exit 1; }

failures=0
xvfb_pid=
parec_pid=
pulse_pid=
watchdog_pid=
log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*"; }

teardown() {
    set +e
    trap '' INT TERM HUP
    [ -n "$watchdog_pid" ] && { pkill -P "$watchdog_pid"; kill "$watchdog_pid"; } 2>/dev/null
    [ -n "$parec_pid" ] && kill -INT "$parec_pid" 2>/dev/null && wait "$parec_pid" 2>/dev/null
    if [ -d "$work/prefix" ]; then
        "$wineserver" -k 2>/dev/null
        timeout 10 "$wineserver" -w 2>/dev/null
    fi
    pulseaudio --kill 2>/dev/null || { [ -n "$pulse_pid" ] && kill "$pulse_pid"; } 2>/dev/null
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work/prefix" "$work/xdg"
}
trap teardown EXIT
trap 'log "stopped by a signal or the deadline"; exit 130' INT TERM HUP

rm -rf "$work"
mkdir -p "$work/xdg" "$work/home"
chmod 700 "$work/xdg"
(
    sleep "${MUSIC_E2E_DEADLINE:-100}"
    kill -TERM $$
) >/dev/null 2>&1 &
watchdog_pid=$!

export XDG_RUNTIME_DIR=$work/xdg HOME=$work/home
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
unset WINEARCH WINESERVER WINELOADER PULSE_SERVER

# --- the machine: display, sound server, Wine prefix -------------------------
# The servers must not hold the lock: 9>&-.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 9>&- &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
xdpyinfo >/dev/null || { echo "Xvfb did not start" >&2; exit 1; }

pulseaudio -D --exit-idle-time=-1 --system=false --log-target=file:"$work/pulse.log" 9>&- ||
    { echo "pulseaudio did not start" >&2; exit 1; }
for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pulse_pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null)
pactl load-module module-null-sink sink_name=e2e_sink >/dev/null
pactl set-default-sink e2e_sink
pactl unload-module module-suspend-on-idle 2>/dev/null

"$wine" wineboot -i >"$work/wineboot.log" 2>&1 9>&-
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$work/wineboot.log" 2>&1
"$wineserver" -w
"$wineserver" -p 300 >/dev/null 2>&1 9>&-
log "display $DISPLAY, null sink and Wine prefix ready"

# --- the music: a 1 s WAV tone that only a loop keeps going, a 2 s MP3 tone --
# The MP3 lies deep in folders with blanks in their names: its Windows path
# (Z: and the file name added) is as long as the player accepts, within 21
# characters of it, and must travel quoted.
sox -n -r 44100 -c 2 -b 16 "$work/tone440.wav" synth 1 sine 440 vol 0.5
tail="Z:/tone 660.mp3"
deep=$work/media
while [ $((${#deep} + 21 + ${#tail})) -le 259 ]; do deep="$deep/a folder with blanks"; done
mkdir -p "$deep"
sox -n -r 44100 -c 2 -b 16 "$work/tone660.wav" synth 2 sine 660 vol 0.5
lame --quiet "$work/tone660.wav" "$deep/tone 660.mp3"
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
mp3=$(windows_path "$deep/tone 660.mp3")
log "MP3 path of ${#mp3} characters"

# --- recording ---------------------------------------------------------------
# record <name>: starts recording the sink's monitor into <name>.wav.
record() {
    parec -d e2e_sink.monitor --file-format=wav "$work/$1.wav" &
    parec_pid=$!
    sleep 1 # parec loses its first half second or so
}
# stop_recording: ends it and notes when, to place events within it.
stopped_at=
stop_recording() {
    stopped_at=$(date +%s.%N)
    kill -INT "$parec_pid"
    wait "$parec_pid"
    parec_pid=
}
# event <name> <recording>: the event's offset in seconds into the recording.
event() {
    local at length
    at=$(sed -n "s/^$1 //p" "$work/probe.out" | tr -d '\r')
    length=$(sox --i -D "$work/$2.wav")
    [ -n "$at" ] || { echo "    the probe reported no $1" >&2; echo -1; return; }
    awk -v at="$at" -v end="$stopped_at" -v len="$length" 'BEGIN { printf "%.3f", at - (end - len) }'
}
# measure <recording> <from> <seconds>: "rms frequency" of the left channel,
# or "none" when the stretch is not wholly inside the recording (an event the
# probe did not report, a recording cut short): no stretch passes for silence.
measure() {
    local length
    length=$(sox --i -D "$work/$1.wav")
    if ! awk -v a="$2" -v n="$3" -v len="$length" 'BEGIN { exit !(a >= 0 && a + n <= len) }'; then
        echo none
        return
    fi
    sox "$work/$1.wav" -n trim "$2" "$3" remix 1 stat 2>&1 |
        awk '/RMS +amplitude/ { r = $3 } /Rough +frequency/ { f = $3 } END { print r + 0, f + 0 }'
}
# is_tone <measure> <Hz>: a clear tone of about that pitch.
is_tone() {
    awk -v m="$1" -v hz="$2" 'BEGIN { split(m, v, " ")
        exit !(v[1] >= 0.1 && v[2] >= hz * 0.95 && v[2] <= hz * 1.05) }'
}
# tone <recording> <from> <seconds> <Hz>
tone() {
    local m
    m=$(measure "$1" "$2" "$3")
    log "$1 from $2 s for $3 s: rms, frequency: $m"
    is_tone "$m" "$4"
}
# first_tone <recording> <from> <to> <Hz>: prints where the first half second
# of that tone begins between the two offsets. A cold start of the decoder
# under Wine can take a second or two, so the onset is searched for.
first_tone() {
    local at
    while read -r at; do
        if is_tone "$(measure "$1" "$at" 0.5)" "$4"; then
            echo "$at"
            return 0
        fi
    done < <(awk -v a="$2" -v b="$3" 'BEGIN { for (t = a; t + 0.5 <= b; t += 0.1) print t }')
    return 1
}
heard() {
    local at
    at=$(first_tone "$@") || { log "no $4 Hz tone in $1 between $2 s and $3 s"; return 1; }
    log "$1: $4 Hz from $at s"
}
# silent <recording> <from> <seconds>
silent() {
    local m
    m=$(measure "$1" "$2" "$3")
    log "$1 from $2 s for $3 s: rms, frequency: $m"
    awk -v m="$m" 'BEGIN { split(m, v, " ")
        if (m == "none" || !(v[1] <= 0.002)) { print "    not silent"; exit 1 } }'
}
check() {
    local name=$1
    shift
    if "$@"; then log "PASS $name"; else log "FAIL $name"; failures=$((failures + 1)); fi
}
probe() { timeout 30 "$wine" "$probe" "$@" >"$work/probe.out" 2>>"$work/wine.log"; }

# --- WAV: loops until WavStop, then silence ----------------------------------
record wav
probe wav "$(windows_path "$work/tone440.wav")"
stop_recording
cat "$work/probe.out"
play=$(event wav-playing wav)
stop=$(event wav-stopped wav)
check "wav plays" heard wav "$play" "$stop" 440
# a second after the onset only the loop can still be sounding
onset=$(first_tone wav "$play" "$stop" 440) || onset=-9
check "wav loops" tone wav "$(awk -v s="$onset" 'BEGIN { print s + 1.25 }')" 1 440
check "WavStop silences it" silent wav "$(awk -v s="$stop" 'BEGIN { print s + 0.5 }')" 1.5

# --- MP3: plays, is restarted after it ended, Mp3Close silences it -----------
record mp3
probe mp3 "$mp3"
rc=$?
stop_recording
cat "$work/probe.out"
check "Mp3Poll saw the file end and restarted it" test "$rc" -eq 0
play=$(event mp3-playing mp3)
again=$(event mp3-restarted mp3)
closed=$(event mp3-closed mp3)
check "mp3 plays" heard mp3 "$play" "$again" 660
check "mp3 plays again after the restart" heard mp3 "$(awk -v s="$again" 'BEGIN { print s + 0.2 }')" "$closed" 660
check "Mp3Close silences it" silent mp3 "$(awk -v s="$closed" 'BEGIN { print s + 0.5 }')" 1.5

# --- CD: no drive under Wine, supervision ends at the first poll -------------
probe cd
cat "$work/probe.out"
check "CdPoll without a drive ends supervision" grep -q '^cdpolling=0' "$work/probe.out"

if [ "$failures" -ne 0 ]; then
    log "$failures check(s) failed; recordings and logs in $work"
    exit 1
fi
log "all checks passed"
