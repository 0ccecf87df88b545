#!/usr/bin/env bash
# The native renderer on headless Wayland compositors, one scenario a run:
#   wayland_test.sh VORLUNE SWAP_COUNTER SCENARIO
# sway (wlroots: layer shell, several outputs, a seat for injected keys) or
# weston's desktop shell (no layer shell). Each run has a compositor of its own
# in a runtime folder of its own, so scenarios run in parallel. SWAP_COUNTER,
# preloaded, counts the frames shown. Exit code 0 passed, 1 failed.
# shellcheck disable=SC2016  # the waits take their conditions as text
set -uo pipefail

VORLUNE=$1
SWAP_COUNTER=$2
SCENARIO=$3
# shellcheck source=tests/vorlune_run.sh
source "$(dirname "${BASH_SOURCE[0]}")/../vorlune_run.sh"
convert=/usr/bin/convert
unset DISPLAY WAYLAND_DISPLAY XSCREENSAVER_WINDOW SWAYSOCK

# A runtime folder the compositor's user owns, mode 700, as Wayland wants it.
# sway refuses to run as root: as root, it runs under an unused uid.
make_runtime_dir() {
    chmod 711 "$WORK" # the compositor's user reaches its folder and config here
    export XDG_RUNTIME_DIR=$WORK/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    AS_COMPOSITOR=()
    if [ "$(id -u)" -eq 0 ]; then
        chown 64123:64123 "$XDG_RUNTIME_DIR"
        AS_COMPOSITOR=(setpriv --reuid=64123 --regid=64123 --clear-groups)
    fi
}

# start_sway OUTPUTS: headless sway with that many 1280x720 outputs, software
# rendered, no wallpaper of its own (a background client would hide ours).
start_sway() {
    make_runtime_dir
    printf '%s\n' 'xwayland disable' 'swaybg_command -' 'default_border none' \
        'for_window [app_id=".*"] floating enable' >"$WORK/sway.config"
    chmod 644 "$WORK/sway.config"
    env HOME="$XDG_RUNTIME_DIR" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS="$1" \
        "${AS_COMPOSITOR[@]}" sway -c "$WORK/sway.config" >"$WORK/sway.log" 2>&1 &
    COMPOSITOR_PID=$!
    PIDS+=("$COMPOSITOR_PID")
    export WAYLAND_DISPLAY=wayland-1
    wait_until eval 'SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null)' ||
        fail "sway did not start"
    export SWAYSOCK
    wait_until eval 'swaymsg -t get_outputs 2>/dev/null | grep -q HEADLESS-1' ||
        fail "sway lists no output"
}

# start_weston: headless weston with its desktop shell (fullscreen toplevels,
# no layer shell, no seat), one 800x600 output; --debug lets its screenshooter in.
start_weston() {
    make_runtime_dir
    weston --backend=headless-backend.so --use-pixman --width=800 --height=600 \
        --shell=desktop-shell.so --socket=weston-1 --no-config --debug \
        --log="$WORK/weston.log" >/dev/null 2>&1 &
    COMPOSITOR_PID=$!
    PIDS+=("$COMPOSITOR_PID")
    export WAYLAND_DISPLAY=weston-1
    wait_until test -S "$XDG_RUNTIME_DIR/weston-1" || fail "weston did not start"
}

# The compositor's CPU time, and vorlune's, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# output_shows_scene OUTPUT: a screenshot of that output (kept as OUTPUT.png) shows the scene.
output_shows_scene() {
    grim -o "$1" "$WORK/$1.png" 2>>"$WORK/grim.log" && picture_stats "$WORK/$1.png" && is_scene
}
wait_for_scene() {
    wait_until output_shows_scene "$1" ||
        fail "$1 does not show the scene (grey mean and deviation: ${STATS:-no screenshot})"
}

case $SCENARIO in
    outputs) # the scene on every output at its own pixel size, one added while it runs;
        # Escape held ends it
        start_sway 2
        swaymsg output HEADLESS-1 mode 1024x768 pos 0 0 >/dev/null
        swaymsg output HEADLESS-2 mode 800x600 pos 1024 0 scale 2 >/dev/null
        start_vorlune -fps
        wait_for_scene HEADLESS-1
        wait_for_scene HEADLESS-2
        # At scale 2 a buffer of the logical size would be shown doubled: every
        # 2x2 block of the screenshot one colour, as it is after sampling it so.
        sharp=$("$convert" "$WORK/HEADLESS-2.png" \( +clone -sample 50% -sample 200% \) \
            -compose difference -composite -colorspace gray -threshold 0 -format '%[fx:mean]' info:)
        echo "scale-2 output: $sharp of its pixels differ from their 2x2 block's first"
        awk -v s="$sharp" 'BEGIN { exit !(s > 0.05) }' ||
            fail "the scale-2 output is drawn at half its pixel size ($sharp)"
        c0=$(cpu_ticks "$COMPOSITOR_PID") && sleep 3 && c1=$(cpu_ticks "$COMPOSITOR_PID")
        awk -v c=$((c1 - c0)) -v hz="$(getconf CLK_TCK)" 'BEGIN {
            printf "sway composing both outputs: %.1f %% of a core\n", 100 * c / hz / 3 }'
        swaymsg create_output >/dev/null || fail "swaymsg create_output failed"
        wait_for_scene HEADLESS-3
        wtype -P Escape -s 1500 -p Escape
        expect_exit 2 0
        for drawn in 'HEADLESS-1: .* at 1024x768$' 'HEADLESS-2: .* at 800x600$' \
            'HEADLESS-3: .* at 1920x1080$'; do
            grep -q "$drawn" "$WORK/vorlune.log" ||
                fail "not drawn at each output's size: $(cat "$WORK/vorlune.log")"
        done
        ;;
    window) # --window: a 1024x768 toplevel that draws nothing while hidden, closed by
        # the compositor; the frame rate and CPU time a frame of both front ends at
        # 1024x768 printed
        start_sway 1
        swaymsg output HEADLESS-1 mode 1280x1024 pos 0 0 >/dev/null
        # measure LABEL SECONDS: frames shown and CPU time over that time, printed
        measure() {
            local f0 c0 f1 c1
            f0=$(frames_shown) c0=$(cpu_ticks "$VORLUNE_PID")
            sleep "$2"
            f1=$(frames_shown) c1=$(cpu_ticks "$VORLUNE_PID")
            FRAMES=$((f1 - f0))
            awk -v f=$FRAMES -v c=$((c1 - c0)) -v s="$2" -v hz="$(getconf CLK_TCK)" -v l="$1" 'BEGIN {
                printf "%s: %.1f frames a second, %.1f ms CPU a frame, %.3f of a core\n",
                    l, f / s, f ? 1000 * c / hz / f : 0, c / hz / s }'
        }
        start_vorlune --window -delay 0
        wait_for_scene HEADLESS-1
        swaymsg -t get_tree | grep -q '"name": "VorluneVC"' || fail "no toplevel titled VorluneVC"
        measure "Wayland --window 1024x768, -delay 0" 4
        swaymsg '[app_id=vorlune] move container to workspace 9' >/dev/null
        sleep 0.5 # a frame under way when it went
        measure "Wayland --window hidden" 3
        [ "$FRAMES" -eq 0 ] || fail "$FRAMES frames drawn while hidden"
        swaymsg '[app_id=vorlune] move container to workspace 1' >/dev/null
        f0=$(frames_shown)
        wait_until eval '[ "$(frames_shown)" -gt "$f0" ]' || fail "no frames once shown again"
        # closed as its title bar's button does
        swaymsg '[app_id=vorlune] kill' >/dev/null
        expect_exit 2 0
        # The same window on X11, in the same run.
        exec 9>"$WORK/display"
        Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
        PIDS+=($!)
        exec 9>&-
        wait_until test -s "$WORK/display" || fail "Xvfb did not start"
        DISPLAY=":$(head -n 1 "$WORK/display")" WAYLAND_DISPLAY='' start_vorlune --window -delay 0
        wait_until eval '[ "$(frames_shown)" -gt 2 ]' || fail "no frames on X11"
        measure "X11 --window 1024x768, -delay 0" 4
        kill -TERM "$VORLUNE_PID"
        expect_exit 2 0
        ;;
    idle) # an idle daemon's round trip: started after the timeout, ended by the
        # resume command on the first key
        start_sway 1
        # Under a name of its own, so that pkill meets no other test's vorlune.
        cp "$VORLUNE" "$WORK/vorlune-idle"
        swayidle timeout 1 "{ '$WORK/vorlune-idle' 2>'$WORK/vorlune.log'; echo \$? >'$WORK/code'; } &" \
            resume 'pkill -x vorlune-idle' >"$WORK/swayidle.log" 2>&1 &
        IDLE_PID=$!
        PIDS+=("$IDLE_PID")
        wait_until eval 'pgrep -x vorlune-idle >/dev/null' || fail "swayidle started no vorlune"
        wait_for_scene HEADLESS-1
        wtype -k a
        wait_until test -s "$WORK/code" || fail "vorlune still running after the key"
        [ "$(cat "$WORK/code")" = 0 ] || fail "vorlune ended with code $(cat "$WORK/code")"
        # A second idle second starts it again: swayidle, ended, resumes once more.
        kill -TERM "$IDLE_PID"
        wait_until eval '! kill -0 "$IDLE_PID" 2>/dev/null' || fail "swayidle did not end"
        wait_until eval '! pgrep -x vorlune-idle >/dev/null' || fail "a vorlune is left running"
        ;;
    idle_daemon) # --idle through sway's org_kde_kwin_idle: no frame while the user is
        # active, the scene once idle, ended by a key, shown again once idle; SIGTERM
        # ends it with code 0
        start_sway 1
        swaymsg output HEADLESS-1 mode 1024x768 pos 0 0 >/dev/null
        start_vorlune --idle 2 -fps
        for _ in 1 2 3 4 5 6; do wtype -k a && sleep 0.5; done
        [ "$(frames_shown)" -eq 0 ] || fail "$(frames_shown) frames shown while the user was active"
        wait_for_scene HEADLESS-1
        wtype -k a
        wait_until eval '! output_shows_scene HEADLESS-1' || fail "the scene stayed after a key"
        kill -0 "$VORLUNE_PID" 2>/dev/null || fail "the key ended the daemon"
        wait_for_scene HEADLESS-1
        kill -TERM "$VORLUNE_PID"
        expect_exit 2 0
        [ "$(grep -c ' rounds in ' "$WORK/vorlune.log")" -eq 2 ] ||
            fail "not shown twice: $(cat "$WORK/vorlune.log")"
        ;;
    background) # -background: under another program's window, which stays on top and
        # visible, the scene around it; frames paced by -delay, whatever the frame
        # callbacks say; SIGHUP ends it
        start_sway 1
        swaymsg output HEADLESS-1 mode 1024x768 pos 0 0 >/dev/null
        weston-eventdemo >"$WORK/eventdemo.log" 2>&1 & # a red square in a window
        PIDS+=($!)
        wait_until eval 'swaymsg -t get_tree | grep -q EventDemo' || fail "the window did not show"
        start_vorlune -background -delay 500000 -fps
        # below the window, which sway centres
        wait_until eval 'grim -o HEADLESS-1 "$WORK/screen.png" 2>/dev/null &&
            picture_stats "$WORK/screen.png" 1024x200+0+568 && is_scene' ||
            fail "no scene around the window (grey mean and deviation: ${STATS:-none})"
        # the window's red square, in the middle of the output
        red=$("$convert" "$WORK/screen.png" -crop 100x100+462+334 +repage \
            -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:)
        [ "$red" = "1 0 0" ] || fail "the window is not on top (its square is '$red', not red)"
        kill -HUP "$VORLUNE_PID"
        expect_exit 2 0
        expect_paced 0.5 1
        ;;
    weston) # no layer shell: a fullscreen toplevel; -background and --idle refused; --window with
        # libdecor's title bar; a frame EGL refuses, a display that does not answer and
        # one lost are errors, with no fall back to X11
        start_weston
        start_vorlune -fps
        wait_until eval '[ "$(frames_shown)" -gt 0 ]' || fail "no frames shown"
        # weston's own desktop has a pattern too, but no colour: the scene is
        # saturated (0.7 on average), weston's grey about 0.04
        colourful() {
            awk -v s="$("$convert" "$1" -colorspace HSL -channel G -separate +channel \
                -format '%[fx:mean]' info:)" 'BEGIN { exit !(s > 0.3) }'
        }
        (cd "$WORK" && wait_until eval 'weston-screenshooter >/dev/null 2>&1 &&
            shot=$(ls -t wayland-screenshot-*.png | head -n 1) &&
            picture_stats "$shot" && is_scene && colourful "$shot"') ||
            fail "weston's output does not show the scene"
        "$VORLUNE" -background >/dev/null 2>"$WORK/err.txt"
        code=$?
        [ "$code" -eq 2 ] || fail "-background without a layer shell: exit code $code"
        grep -q 'needs a compositor with a layer shell' "$WORK/err.txt" ||
            fail "-background without a layer shell: $(cat "$WORK/err.txt")"
        # nor an idle protocol, nor a session bus here
        "$VORLUNE" --idle 60 >/dev/null 2>"$WORK/err.txt"
        code=$?
        [ "$code" -eq 2 ] || fail "--idle with no way to tell idle time: exit code $code"
        grep -q 'offers neither ext_idle_notifier_v1 nor org_kde_kwin_idle' "$WORK/err.txt" ||
            fail "--idle with no way to tell idle time: $(cat "$WORK/err.txt")"
        kill -TERM "$VORLUNE_PID"
        expect_exit 2 0
        # a 1024x768 window would be a toplevel not made fullscreen
        grep -q 'fps at 800x600$' "$WORK/vorlune.log" ||
            fail "not drawn at the output's size: $(cat "$WORK/vorlune.log")"
        # weston draws no title bars: --window gets libdecor's, in subsurfaces of
        # its own around the scene, drawn at the window's size
        WAYLAND_DEBUG=client start_vorlune --window -fps
        wait_until eval '[ "$(frames_shown)" -gt 2 ]' || fail "no frames in a window"
        kill -TERM "$VORLUNE_PID"
        expect_exit 2 0
        grep -q 'wl_subcompositor@[0-9]*\.get_subsurface' "$WORK/vorlune.log" ||
            fail "--window has no title bar (libdecor made no subsurface)"
        grep -q '^vorlune: window: .* fps at 1024x768$' "$WORK/vorlune.log" ||
            fail "the window not drawn at 1024x768: $(grep '^vorlune:' "$WORK/vorlune.log")"
        # a frame EGL will not show is an error, not a wait for good
        SWAP_COUNTER_REFUSE_AFTER=3 start_vorlune
        expect_exit 5 1
        grep -q 'eglSwapBuffers failed: EGL_BAD_SURFACE on output, on every output' \
            "$WORK/vorlune.log" || fail "a refused frame: $(cat "$WORK/vorlune.log")"
        DISPLAY=:4093 WAYLAND_DISPLAY=nowhere-7 "$VORLUNE" --window >/dev/null 2>"$WORK/err.txt"
        code=$?
        [ "$code" -eq 1 ] || fail "a display that does not answer: exit code $code"
        grep -q 'wl_display_connect failed for the Wayland display "nowhere-7"' "$WORK/err.txt" ||
            fail "a display that does not answer: $(cat "$WORK/err.txt")"
        # and a compositor lost while it runs, with code 1
        start_vorlune
        wait_until eval '[ "$(frames_shown)" -gt 0 ]' || fail "no frames shown"
        kill -KILL "$COMPOSITOR_PID"
        expect_exit 2 1
        grep -q 'lost the connection to the Wayland display "weston-1"' "$WORK/vorlune.log" ||
            fail "no message for the lost compositor: $(cat "$WORK/vorlune.log")"
        ;;
    *) fail "unknown scenario $SCENARIO" ;;
esac
echo "passed: $SCENARIO"
