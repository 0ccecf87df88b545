# shellcheck shell=bash
# Sound for the end-to-end scenarios, sourced after e2e_env.sh and before
# setup: a PulseAudio null sink that Wine plays into, recordings of it, the
# test tones, the saver in a folder of its own, and Vorlune.ini as the
# settings dialog writes it.
# shellcheck disable=SC2154  # work and renderer come from e2e_env.sh, scr from the scenario

for tool in pulseaudio pactl parec sox lame; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh test installs it)" >&2; exit 2; }
done
# PulseAudio keeps its cookie under HOME; Wine's sound driver must find the same one.
export HOME=$work/home
unset PULSE_SERVER
parec_pid=

# start_sound: after setup. The sound server goes with the scenario.
start_sound() {
    trap 'set +e; [ -n "$parec_pid" ] && kill -INT "$parec_pid"; pulseaudio --kill; teardown' EXIT
    mkdir -p "$HOME"
    pulseaudio -D --exit-idle-time=-1 --system=false --log-target=file:"$work/pulse.log" ||
        { echo "pulseaudio did not start" >&2; exit 1; }
    local _
    for _ in $(seq 50); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl load-module module-null-sink sink_name=e2e_sink >/dev/null
    pactl set-default-sink e2e_sink
    pactl unload-module module-suspend-on-idle 2>/dev/null
    log "null sink ready"
}

# install_saver: after start_sound. Vorlune.scr ($scr) and Vorlune.dll in a
# folder of their own, $saver_dir; $saver and $ini name the program and its
# settings file there; the test tones in $work.
install_saver() {
    saver_dir="$work/saver"
    mkdir -p "$saver_dir"
    cp "$renderer" "$saver_dir/Vorlune.dll"
    cp "$scr" "$saver_dir/Vorlune.scr"
    # shellcheck disable=SC2034  # the scenario runs it
    saver="$saver_dir/Vorlune.scr"
    ini="$saver_dir/Vorlune.ini"
    make_tones "$work"
}

# make_tones <folder>: "tone 440.wav" (1 s), "tone 660.mp3" (2 s) and the WAV it comes from.
make_tones() {
    sox -n -r 44100 -c 2 -b 16 "$1/tone 440.wav" synth 1 sine 440 vol 0.5
    sox -n -r 44100 -c 2 -b 16 "$1/tone660.wav" synth 2 sine 660 vol 0.5
    lame --quiet "$1/tone660.wav" "$1/tone 660.mp3"
}

windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# settings <kind> <file>: $ini as the settings dialog writes it, keys in code page 932.
settings() {
    rm -rf "$ini"
    {
        printf '[Section]\r\n'
        printf 'BGM\x8b\xe6\x95\xaa= %s\r\n' "$1"
        printf 'BGM\xd8\xcb\xdf\xb0\xc4= 0\r\n'
        printf 'BGM\xcc\xa7\xb2\xd9=%s\r\n' "$2"
    } >"$ini"
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

# level <name>: the recording's RMS amplitude (0 to 1); logged.
level() {
    local rms
    rms=$(sox "$work/$1.wav" -n stat 2>&1 | sed -n 's/^RMS *amplitude: *//p')
    log "$1.wav: RMS ${rms:-none}" >&2
    printf '%s' "$rms"
}
loud() { awk -v r="$(level "$1")" 'BEGIN { exit !(r + 0 > 0.05) }'; }
quiet() {
    local rms
    rms=$(level "$1")
    # An idle null sink may hand over no samples at all (RMS "nan").
    case $rms in *nan* | "") return 0 ;; esac
    awk -v r="$rms" 'BEGIN { exit !(r + 0 < 0.005) }'
}
