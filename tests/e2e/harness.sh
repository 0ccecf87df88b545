# shellcheck shell=bash
# The harness every end-to-end scenario sources. A scenario is called as
#   <scenario>.sh <work dir> <e2e_driver.exe> <Vorlune.dll> <Vorlune.scr> <forms tests .exe>
# and keeps its screenshots, recordings and logs in the work dir
# (E2E_KEEP_PREFIX=1 keeps its Wine prefix there too). setup brings up a
# private X display and Wine prefix, and with "sound" a PulseAudio null
# sink; everything is torn down when the script exits, however it exits.
# "harness.sh --prefix <dir>" makes a Wine prefix that setup copies when
# E2E_PREFIX names it (about 15 s of each scenario saved).
# shellcheck disable=SC2034  # what the scenarios use

set -uo pipefail
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
convert=/usr/bin/convert
compare=/usr/bin/compare
export WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d

# make_prefix <dir>: a new Wine prefix there. Without a window manager, Wine
# would wait about 2 s on every window destruction for one to answer; the
# dialog's font is drawn with the IPA fonts. No X display is needed: the
# display's settings are taken when a program first shows on one.
make_prefix() {
    WINEPREFIX=$1 "$wine" wineboot -i >"$1.log" 2>&1 9>&-
    {
        printf '\xff\xfe'
        printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
            '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
            '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' '"ＭＳ Ｐゴシック"="IPAPGothic"' |
            iconv -f UTF-8 -t UTF-16LE
    } >"$1.reg"
    WINEPREFIX=$1 "$wine" regedit /S "$1.reg" >>"$1.log" 2>&1 9>&-
    WINEPREFIX=$1 "$wineserver" -w
}
if [ "${1:-}" = --prefix ] && [ $# -eq 2 ]; then
    rm -rf "$2"
    mkdir -p "$(dirname "$2")"
    unset DISPLAY
    make_prefix "$2"
    [ -f "$2/system.reg" ] || { cat "$2.log" >&2; exit 1; }
    exit 0
fi
if [ $# -ne 5 ]; then
    echo "usage: $0 <work dir> <driver.exe> <Vorlune.dll> <Vorlune.scr> <forms tests.exe>" >&2
    exit 2
fi
work=$1 driver=$2 renderer=$3 scr=$4 forms_tests=$5
failures=0 x_pid='' watchdog_pid='' sound=0

log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*"; }
windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

teardown() {
    set +e
    # Nothing may cut the tear-down short, the watchdog's signal included.
    trap '' INT TERM HUP
    [ -n "$watchdog_pid" ] && { pkill -P "$watchdog_pid"; kill "$watchdog_pid"; } 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        "$wineserver" -k 2>/dev/null
        timeout 10 "$wineserver" -w 2>/dev/null
    fi
    [ "$sound" = 1 ] && pulseaudio --kill 2>/dev/null
    [ -n "$x_pid" ] && { kill "$x_pid"; wait "$x_pid"; } 2>/dev/null
    # Xorg is not our child: wait for it to go.
    for _ in $(seq 50); do kill -0 "$x_pid" 2>/dev/null || break; sleep 0.1; done
    [ "${E2E_KEEP_PREFIX:-0}" = 1 ] || rm -rf "$work/prefix"
    rm -rf "$work/xdg"
}

# start_x <screen, e.g. 1024x768x24> [more server arguments]: the X server
# the programs show on; sets DISPLAY and x_pid. Xvfb picks a free display
# number itself and tells us which. The screen "two-monitors" is Xorg's
# dummy driver instead, with 1024x768 (primary) at 0,0 and 800x600 at
# 1024,0; a scenario on it is skipped (77) where Xorg cannot run.
start_x() {
    local screen=$1 _
    shift
    if [ "$screen" = two-monitors ]; then
        local started
        started=$("$(dirname "${BASH_SOURCE[0]}")/../xorg_dummy.sh" "$work" 9>&-)
        case $? in
            0) ;;
            77) log "skipped: no Xorg dummy driver here"; exit 77 ;;
            *) exit 1 ;;
        esac
        x_pid=${started#* } DISPLAY=${started% *}
        export DISPLAY
        log "X server $screen on $DISPLAY"
        return
    fi
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp "$@" 3>"$work/display" \
        >"$work/x.log" 2>&1 9>&- &
    x_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    DISPLAY=:$(head -n 1 "$work/display")
    export DISPLAY
    xdpyinfo >/dev/null 2>&1 || { echo "the X server did not start:" >&2; cat "$work/x.log" >&2; exit 1; }
    log "X server $screen $* on $DISPLAY"
}

# setup <screen> [sound] [more X server arguments]. With $desktop set to a
# size (WIDTHxHEIGHT), every program runs in a Wine virtual desktop of that
# size, which offers many display modes where Xvfb has only its own.
desktop=''
setup() {
    local screen=$1 tools=("$wine" "$wineserver" "$convert" "$compare" Xvfb xdpyinfo import)
    shift
    if [ "${1:-}" = sound ]; then
        sound=1
        shift
        tools+=(pulseaudio pactl parec sox lame)
    fi
    case $work in "" | / | "$HOME") echo "refusing to use '$work' as the work directory" >&2; exit 2 ;; esac
    for tool in "${tools[@]}"; do
        command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup.sh test installs it)" >&2; exit 2; }
    done
    # Two runs in one build tree would wipe each other's prefix: the second waits.
    mkdir -p "$(dirname "$work")"
    exec 9>"$work.lock"
    flock -w 100 9 || { echo "another run still holds $work.lock" >&2; exit 1; }
    trap teardown EXIT
    trap 'log "stopped by a signal or the deadline"; exit 130' INT TERM HUP
    rm -rf "$work"
    mkdir -p "$work/xdg" "$work/home"
    chmod 700 "$work/xdg"
    # Our own deadline, below CTest's: a script killed by CTest could not tear down.
    (sleep "${E2E_DEADLINE:-150}" && kill -TERM $$) >/dev/null 2>&1 9>&- &
    watchdog_pid=$!
    # PulseAudio keeps its cookie under HOME; Wine's sound driver must find the same one.
    export XDG_RUNTIME_DIR=$work/xdg HOME=$work/home WINEPREFIX=$work/prefix VORLUNE_SNAP_DIR
    VORLUNE_SNAP_DIR=$(windows_path "$work")
    unset WINEARCH WINESERVER WINELOADER PULSE_SERVER
    # Japanese Windows: the ANSI code page is 932, as the shell's texts expect;
    # a scenario may set E2E_LOCALE for another (en_US.UTF-8: code page 1252
    # and an English user interface).
    { export LC_ALL=${E2E_LOCALE:-ja_JP.UTF-8}; } 2>/dev/null
    start_x "$screen" "$@"
    if [ "$sound" = 1 ]; then
        pulseaudio -D --exit-idle-time=-1 --system=false --log-target=file:"$work/pulse.log" 9>&- ||
            { echo "pulseaudio did not start" >&2; exit 1; }
        for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
        pactl load-module module-null-sink sink_name=e2e_sink >/dev/null
        pactl set-default-sink e2e_sink
        pactl unload-module module-suspend-on-idle 2>/dev/null
    fi
    if [ -f "${E2E_PREFIX:-}/system.reg" ]; then
        cp -a "$E2E_PREFIX" "$WINEPREFIX"
    else
        make_prefix "$WINEPREFIX"
    fi
    "$wineserver" -p 300 >/dev/null 2>&1 9>&-
    if [ -n "$desktop" ]; then
        {
            "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
                "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f
        } >/dev/null 2>&1 9>&- || { echo "the virtual desktop could not be set up" >&2; exit 1; }
    fi
    # The first process of a fresh server session starts the desktop; let
    # that happen now rather than inside a timed step.
    drive warm-up >/dev/null
    log "Wine prefix ready"
}

# drive <command> [arguments]: runs the test driver; its report goes to the
# log and to $driven, Wine's own messages to $wine_log. The report goes
# through a file, not a pipe: a program the driver starts inherits its
# output and would hold a pipe open. Meanwhile it takes the screenshots the
# driver asks for (<name>.ready, answered by <name>.taken) and notes when a
# run's renderer window is there, or the player's music started ($window_at,
# then $on_window runs in the background), and when the driver ended ($ended_at).
# A driver that failed without a word never ran (Wine on a loaded machine
# now and then fails to start a process): what Wine said is shown, and it
# is started once more.
wine_log='' on_window='' window_at='' ended_at=''
drive() {
    local log=${wine_log:-$work/wine.log} seen rc
    seen=$(stat -c %s "$log" 2>/dev/null || echo 0)
    drive_once "$log" "$@"
    rc=$?
    [ $rc -ne 0 ] && [ $rc -ne 124 ] && [ -z "$driven" ] || return $rc
    echo "    the driver failed (exit code $rc) before its first word; Wine said:"
    tail -c +$((seen + 1)) "$log" 2>/dev/null | tail -n 5 | sed 's/^/      /'
    drive_once "$log" "$@"
}
# drive_once <Wine's log> <command> [arguments]
drive_once() {
    local log=$1
    shift
    rm -f "$work/driver.out" "$work"/*.ready "$work"/*.taken
    timeout 60 "$wine" "$driver" "$@" >"$work/driver.out" 2>>"$log" 9>&- &
    local pid=$! ready rc on_window_pid=''
    window_at=''
    while kill -0 "$pid" 2>/dev/null; do
        for ready in "$work"/*.ready; do
            [ -e "$ready" ] || continue
            screenshot "$(basename "$ready" .ready)"
            rm -f "$ready"
            touch "${ready%.ready}.taken"
        done
        if [ -z "$window_at" ] && grep -s -q -E '^(renderer|playing)_ms=' "$work/driver.out"; then
            window_at=$(date +%s.%N)
            if [ -n "$on_window" ]; then
                "$on_window" &
                on_window_pid=$!
            fi
        fi
        sleep 0.05
    done
    wait "$pid"
    rc=$?
    ended_at=$(date +%s.%N)
    # What ran beside the run has ended too when the step is over, however
    # late a loaded machine let it start.
    [ -z "$on_window_pid" ] || wait "$on_window_pid"
    driven=$(tr -d '\r' <"$work/driver.out")
    [ -z "$driven" ] || printf '%s\n' "$driven" | sed 's/^/    /'
    [ $rc -eq 124 ] && echo "    the driver did not finish within 60 s"
    return $rc
}

# value <key>: a "key=value" line of the driver's last report.
value() { printf '%s\n' "$driven" | sed -n "s/^$1=//p" | head -n 1; }

# run_case <name> <command> [arguments]
run_case() {
    local name=$1
    shift
    log "case $name"
    if "$@"; then log "PASS $name"; else log "FAIL $name"; failures=$((failures + 1)); fi
}

finish() {
    if [ "$failures" -ne 0 ]; then
        log "$failures case(s) failed; screenshots and logs in $work"
        exit 1
    fi
    log "all cases passed"
    exit 0
}

# install_saver: Vorlune.scr and Vorlune.dll in a folder of their own with a
# blank in its name; $saver (its Windows path) and $ini name the program and
# its settings file there.
install_saver() {
    saver_dir="$work/my saver"
    mkdir -p "$saver_dir"
    cp "$renderer" "$saver_dir/Vorlune.dll"
    cp "$scr" "$saver_dir/Vorlune.scr"
    saver=$(windows_path "$saver_dir/Vorlune.scr")
    ini=$saver_dir/Vorlune.ini
}

# ini_text <kind> <repeat> <file>: Vorlune.ini as the dialog writes it: one
# section, three keys in code page 932 (BGM区分, BGMﾘﾋﾟｰﾄ, BGMﾌｧｲﾙ), CRLF.
ini_text() {
    printf '[Section]\r\nBGM\x8b\xe6\x95\xaa=%s\r\nBGM\xd8\xcb\xdf\xb0\xc4=%s\r\nBGM\xcc\xa7\xb2\xd9=%s\r\n' "$@"
}

# settings <kind> <file>: $ini as the dialog writes it, numbers with their sign blank.
settings() { rm -rf "$ini" && ini_text " $1" " 0" "$2" >"$ini"; }

# tones: in $work, "tone 440.wav" (1 s: only a loop keeps it going) and
# "tone 660.mp3" (2 s), made from tone660.wav.
tones() {
    sox -n -r 44100 -c 2 -b 16 "$work/tone 440.wav" synth 1 sine 440 vol 0.5
    sox -n -r 44100 -c 2 -b 16 "$work/tone660.wav" synth 2 sine 660 vol 0.5
    lame --quiet "$work/tone660.wav" "$work/tone 660.mp3"
}

# ---- pictures -------------------------------------------------------------

# screenshot <name>: the whole root window into $work/<name>.png.
screenshot() { import -window root "$work/$1.png"; }

# looks_like_scene <name>: the screenshot is neither black nor uniform: the
# background texture and the shells give a bright, varied picture.
looks_like_scene() {
    local stats
    stats=$("$convert" "$work/$1.png" -format '%[fx:mean] %[fx:standard_deviation] %k' info:)
    log "$1.png: mean, standard deviation, colours: $stats"
    awk -v s="$stats" 'BEGIN { split(s, v, " ")
        if (v[1] < 0.05) { print "    too dark: mean " v[1]; exit 1 }
        if (v[2] < 0.04) { print "    too uniform: standard deviation " v[2]; exit 1 }
        if (v[3] < 2000) { print "    too few colours: " v[3]; exit 1 } }'
}

# differs <a> <b> [<crop geometry> <pixels>]: at least that many pixels (5 %
# of the picture when not given) changed between two screenshots.
differs() {
    local changed least
    changed=$("$compare" -metric AE -fuzz 3% "$work/$1.png${3:+[$3]}" "$work/$2.png${3:+[$3]}" null: 2>&1)
    least=${4:-$("$convert" "$work/$1.png" -format '%[fx:w*h*0.05]' info:)}
    log "$1.png -> $2.png${3:+ at $3}: $changed pixels changed, at least $least wanted"
    awk -v n="$changed" -v l="$least" 'BEGIN { exit !(n + 0 >= l + 0) }'
}

# ---- sound ------------------------------------------------------------------

# listen <name> <stretch>... -- <driver command...>: records the null sink
# into <name>.wav while the driver runs the command (a run, held for a
# while), and checks each stretch of the recording. A stretch is
# [end]<from>+<seconds>=<sound>: seconds from the renderer's window or the
# music's start (or from the driver's end), and the sound: a tone of that many Hz, "quiet", or
# "any" (only logged). A stretch not wholly recorded passes for nothing.
listen() {
    local name=$1 stretches=() recorder rc stopped stretch anchor ok=0
    shift
    while [ "$1" != -- ]; do stretches+=("$1") && shift; done
    shift
    parec --latency-msec=100 -d e2e_sink.monitor --file-format=wav "$work/$name.wav" 9>&- &
    recorder=$!
    # parec loses its first half second or so, more on a loaded machine (a run
    # may be up within it), and its last buffer: the run starts a second after
    # the recording has begun to grow (by 16 KB, about a tenth of a second).
    for _ in $(seq 100); do
        [ "$(stat -c %s "$work/$name.wav" 2>/dev/null || echo 0)" -gt 16384 ] && break
        sleep 0.05
    done
    sleep 1
    drive "$@"
    rc=$?
    [[ " ${stretches[*]}" == *" end"* ]] && sleep 2.5
    kill -INT "$recorder"
    wait "$recorder"
    stopped=$(date +%s.%N)
    [ $rc -eq 0 ] && [ -n "$window_at" ] || return 1
    for stretch in "${stretches[@]}"; do
        anchor=$window_at
        [[ $stretch == end* ]] && anchor=$ended_at
        stretch=${stretch#end}
        sounds "$name" "$(awk -v a="$anchor" -v s="$stopped" -v l="$(sox --i -D "$work/$name.wav")" \
            -v f="${stretch%%+*}" 'BEGIN { printf "%.3f", a + f - (s - l) }')" "${stretch#*+}" || ok=1
    done
    return $ok
}

# sounds <recording> <from> <seconds>=<sound>: see listen.
sounds() {
    local name=$1 from=$2 seconds=${3%=*} sound=${3#*=} rms='' hz=''
    if awk -v f="$from" -v n="$seconds" -v l="$(sox --i -D "$work/$name.wav")" \
        'BEGIN { exit !(f >= 0 && f + n <= l) }'; then
        rms=$(sox "$work/$name.wav" -n trim "$from" "$seconds" remix 1 stat 2>&1 |
            awk '/RMS +amplitude/ { print $3 + 0 }')
        # The pitch: the spectrum's peak, which a dropout under load does
        # not move (as it would the count of zero crossings).
        [[ $sound == [0-9]* ]] && hz=$(sox "$work/$name.wav" -n trim "$from" "$seconds" remix 1 \
            stat -freq 2>&1 | awk 'NF == 2 && $2 + 0 > m { m = $2 + 0; f = $1 + 0 } END { print f }')
    fi
    log "$name.wav from $from s for $seconds s: RMS ${rms:-none}, ${hz:-no} Hz; wanted $sound"
    case $sound in
        any) return 0 ;;
        quiet) awk -v r="$rms" 'BEGIN { exit !(r != "" && r < 0.005) }' ;;
        *) awk -v r="$rms" -v f="$hz" -v hz="$sound" \
            'BEGIN { exit !(r > 0.05 && f >= hz * 0.95 && f <= hz * 1.05) }' ;;
    esac
}
