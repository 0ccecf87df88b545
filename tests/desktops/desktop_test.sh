#!/usr/bin/env bash
# The native renderer on the desktops most people use, their own compositors
# run headless: GNOME's mutter and KDE Plasma's KWin.
#   desktop_test.sh VORLUNE FAKE_INPUT DESKTOP SCENARIO...
# DESKTOP is mutter (two monitors, 1024x768 and 800x600) or kwin (two outputs
# of 1024x768 logical pixels at scale 1.5); the scenarios run one after another
# on one compositor, which starts once. FAKE_INPUT is the test program that
# types and clicks on KWin. Exit code 0 passed, 1 failed.
#
# Each compositor runs in a session of its own: a private runtime folder and
# session bus, as an unprivileged user with a passwd entry (the bus daemon
# wants one; as root, nobody). Everything that speaks to that bus runs as that
# user too, vorlune included: the bus admits no other, and KWin grants its
# pictures and fake input by the calling program's file.
# shellcheck disable=SC2016  # the waits take their conditions as text
set -uo pipefail

VORLUNE_BUILT=$1
FAKE_INPUT_BUILT=$2
DESKTOP=$3
shift 3
SCENARIOS=("$@")
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/vorlune_run.sh
source "$HERE/../vorlune_run.sh"
convert=/usr/bin/convert
unset DISPLAY WAYLAND_DISPLAY XSCREENSAVER_WINDOW SWAYSOCK DBUS_SESSION_BUS_ADDRESS

# The programs the session's user runs, copied where that user may read them
# (a checkout under /root is not), under names of their own.
chmod 711 "$WORK"
mkdir -m 755 "$WORK/bin"
cp "$VORLUNE_BUILT" "$WORK/bin/vorlune"
cp "$FAKE_INPUT_BUILT" "$WORK/bin/fake_input"
cp "$HERE/mutter_remote.py" "$HERE/kwin_remote.py" "$WORK/bin/"
# KWin's grants go by the program's file, and Debian's python3.11.desktop
# would claim the interpreter itself: a copy of our own.
cp "$(readlink -f /usr/bin/python3)" "$WORK/bin/remote-python"
chmod -R a+rX "$WORK/bin"

export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR" "$WORK/pictures"
# Whatever this script started ends with it, however it ends: killed too.
AS_USER=(setpriv --pdeathsig KILL)
if [ "$(id -u)" -eq 0 ]; then
    chown nobody: "$XDG_RUNTIME_DIR" "$WORK/pictures"
    AS_USER+=(--reuid=nobody --regid="$(id -g nobody)" --clear-groups)
fi
AS_USER+=(env HOME="$XDG_RUNTIME_DIR" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR"
    DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus" WAYLAND_DISPLAY=desktop-1
    XDG_CONFIG_HOME="$XDG_RUNTIME_DIR/config" XDG_DATA_HOME="$XDG_RUNTIME_DIR/data")
# vorlune_run.sh's start_vorlune runs $VORLUNE: this starts it as the session's
# user, with the same process id.
printf '#!/bin/bash\nexec %s %q "$@"\n' "$(printf '%q ' "${AS_USER[@]}")" "$WORK/bin/vorlune" \
    >"$WORK/bin/vorlune-as-user"
chmod 755 "$WORK/bin/vorlune-as-user"
VORLUNE=$WORK/bin/vorlune-as-user

as_user() { "${AS_USER[@]}" "$@"; }

# wait_for SECONDS COMMAND...: until the command succeeds, for that long (times
# TIME_SCALE): for checks that take pictures, each a good part of a second.
wait_for() {
    local until=$((SECONDS + $1 * ${TIME_SCALE:-1}))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$until" ] || return 1
        sleep 0.1
    done
}
start_as_user() { # LOG COMMAND...: in the background, ended with the script
    local log=$1
    shift
    "${AS_USER[@]}" "$@" >"$WORK/$log" 2>&1 & # its own process id, not a subshell's
    PIDS+=($!)
}

# A session bus that starts no services of its own accord: whatever runs here
# is started by this script, and so ended by it.
start_session_bus() {
    cat >"$WORK/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$XDG_RUNTIME_DIR/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    chmod 644 "$WORK/bus.conf"
    start_as_user bus.log dbus-daemon --config-file="$WORK/bus.conf" --nofork
    wait_until test -S "$XDG_RUNTIME_DIR/bus" || fail "the session bus did not start"
}

# bus_has NAME PATH: that object is on the session bus.
bus_has() { as_user gdbus introspect --session -d "$1" -o "$2" >/dev/null 2>&1; }

start_mutter() {
    start_session_bus
    start_as_user mutter.log mutter --headless --wayland --no-x11 --wayland-display desktop-1 \
        --virtual-monitor 1024x768 --virtual-monitor 800x600
    COMPOSITOR_PID=${PIDS[-1]}
    # pictures come through PipeWire
    start_as_user pipewire.log pipewire
    # its session manager gives up at once on a PipeWire not yet listening
    wait_until test -S "$XDG_RUNTIME_DIR/pipewire-0" || fail "pipewire did not start"
    start_as_user wireplumber.log wireplumber
    wait_until bus_has org.gnome.Mutter.ScreenCast /org/gnome/Mutter/ScreenCast ||
        fail "mutter did not start"
    OUTPUTS=(Meta-0 Meta-1)
    SIZES=(1024x768 800x600)
}

start_kwin() {
    start_session_bus
    # KWin's grants: the programs of the .desktop files that name them
    mkdir -p "$XDG_RUNTIME_DIR/data/applications"
    printf '%s\n' '[Desktop Entry]' 'Type=Application' 'Name=test pictures' 'NoDisplay=true' \
        "Exec=$WORK/bin/remote-python" 'X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2' \
        >"$XDG_RUNTIME_DIR/data/applications/vorlune-test-pictures.desktop"
    printf '%s\n' '[Desktop Entry]' 'Type=Application' 'Name=test input' 'NoDisplay=true' \
        "Exec=$WORK/bin/fake_input" 'X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input' \
        >"$XDG_RUNTIME_DIR/data/applications/vorlune-test-input.desktop"
    [ "$(id -u)" -ne 0 ] || chown -R nobody: "$XDG_RUNTIME_DIR/data"
    as_user kbuildsycoca5 >"$WORK/kbuildsycoca.log" 2>&1 || fail "kbuildsycoca5 failed"
    # The installed kwin_wayland carries a file capability that may not be
    # run here; a copy has none, and must keep the name its platform plugin
    # is keyed on.
    cp /usr/bin/kwin_wayland "$WORK/bin/kwin_wayland"
    start_as_user kwin.log "$WORK/bin/kwin_wayland" --virtual --no-lockscreen --socket desktop-1 \
        --width 1024 --height 768 --output-count 2 --scale 1.5
    COMPOSITOR_PID=${PIDS[-1]}
    wait_until bus_has org.kde.KWin /org/kde/KWin/ScreenShot2 || fail "KWin did not start"
    OUTPUTS=(Virtual-0 Virtual-1)
    SIZES=(1536x1152 1536x1152)
}

# picture OUTPUT: that output's picture, at its pixel size, into
# $WORK/pictures/OUTPUT.png.
picture() {
    local png=$WORK/pictures/$1.png
    rm -f "$png"
    case $DESKTOP in
        mutter) as_user /usr/bin/python3 "$WORK/bin/mutter_remote.py" picture "$1" "$png" ;;
        kwin) as_user "$WORK/bin/remote-python" "$WORK/bin/kwin_remote.py" picture "$1" "$png" ;;
    esac >>"$WORK/remote.log" 2>&1 && test -s "$png"
}

# hold_key NAME SECONDS: Escape or Shift (which no program takes for anything)
# held that long, as a user types it.
hold_key() {
    local keysym=0xff1b code=1 # X's and evdev's codes for Escape
    [ "$1" = Shift ] && keysym=0xffe1 code=42
    case $DESKTOP in
        mutter) as_user /usr/bin/python3 "$WORK/bin/mutter_remote.py" key "$keysym" "$2" ;;
        kwin) as_user "$WORK/bin/fake_input" key "$code" "$2" ;;
    esac >>"$WORK/remote.log" 2>&1 || fail "$1 could not be typed"
}

# red_share PNG: the share of the picture that is the test window's pure red square.
red_share() {
    "$convert" "$1" -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' \
        -colorspace gray -format '%[fx:mean]' info:
}
# output_shows_scene OUTPUT [GEOMETRY]: its picture (or that region of it) shows
# the scene, which is not the bare desktop (mutter's has a gradient of its own).
output_shows_scene() {
    picture "$1" && picture_stats "$WORK/pictures/$1.png" "${2:-}" && is_scene &&
        awk -v d="$("$convert" "$WORK/pictures/$1.png" "$WORK/desktop-$1.png" \
            ${2:+-crop "$2" +repage} -compose difference -composite -colorspace gray \
            -format '%[fx:mean]' info:)" 'BEGIN { exit !(d > 0.05) }'
}
# keep_desktops: pictures of the bare desktop, for output_shows_scene.
keep_desktops() {
    local output
    for output in "${OUTPUTS[@]}"; do
        wait_for 20 picture "$output" || fail "no picture of $output"
        mv "$WORK/pictures/$output.png" "$WORK/desktop-$output.png"
    done
}
wait_for_scene() { # OUTPUT [GEOMETRY]
    wait_for 15 output_shows_scene "$@" ||
        fail "$1 does not show the scene (grey mean and deviation: ${STATS:-no picture})"
}

# A window of another program, for the saver to hide (or, as a wallpaper, to
# stay under): weston's event demo, a pure red square in a black window.
start_window() {
    start_as_user eventdemo.log weston-eventdemo
    WINDOW_PID=${PIDS[-1]}
    wait_for 15 eval 'picture "${OUTPUTS[0]}" &&
        awk -v s="$(red_share "$WORK/pictures/${OUTPUTS[0]}.png")" "BEGIN { exit !(s > 0.005) }"' ||
        fail "the window does not show on ${OUTPUTS[0]}"
}

# full_size OUTPUT: its pictures show the scene drawn at the output's pixel
# size, not a lower resolution scaled up. Scaling up by 1.5 spreads every step
# between neighbouring pixels over 1.5 pixels (filtered) or repeats every other
# row and column (nearest). So a picture drawn at full size has several times
# the sharp steps of its own lower-resolution copy scaled up (a picture that was
# scaled up has about as many, 1.3 times measured) and no repeated columns to
# speak of. How many sharp steps the scene has depends on the moment: up to
# six pictures are looked at for one that tells.
full_size() {
    local png=$WORK/pictures/$1.png size steps control repeated
    sharp_steps() {
        "$convert" "$1" -colorspace gray \( +clone -roll +1+0 \) -compose difference -composite \
            -crop +1+0 +repage -threshold 5% -format '%[fx:mean]' info:
    }
    for _ in 1 2 3 4 5 6; do
        picture "$1" || continue
        size=$("$convert" "$png" -format '%wx%h' info:)
        [ "$size" = 1536x1152 ] || fail "$1's picture is $size, not 1536x1152"
        "$convert" "$png" -filter point -resize 1024x768! -filter triangle -resize 1536x1152! \
            "$WORK/upscaled.png"
        steps=$(sharp_steps "$png")
        control=$(sharp_steps "$WORK/upscaled.png")
        repeated=$("$convert" "$png" \( +clone -roll +1+0 \) -compose difference -composite \
            -crop +1+0 +repage -colorspace gray -scale 'x1!' -threshold 0 -format '%[fx:1-mean]' info:)
        echo "$1 at scale 1.5: sharp steps $steps, in its own upscaled copy $control;" \
            "repeated columns $repeated"
        awk -v s="$steps" -v c="$control" -v r="$repeated" \
            'BEGIN { exit !(s > 0.00001 && s > 2.5 * c && r < 0.1) }' && return 0
    done
    fail "$1 shows the scene at a lower resolution scaled up"
}

# compositor_share SECONDS: the compositor's CPU over that time, printed.
compositor_share() {
    local c0 c1
    c0=$(cpu_ticks "$COMPOSITOR_PID") && sleep "$1" && c1=$(cpu_ticks "$COMPOSITOR_PID")
    awk -v c=$((c1 - c0)) -v hz="$(getconf CLK_TCK)" -v s="$1" -v d="$DESKTOP" 'BEGIN {
        printf "%s composing vorlune on both outputs: %.1f %% of a core\n", d, 100 * c / hz / s }'
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# drawn_at SIZE...: -fps said it drew at those pixel sizes, one a surface
# (whether it prints them on one line or a line each).
drawn_at() {
    local drawn
    drawn=$(grep 'fps at' "$WORK/vorlune.log" | sed -E 's/.*fps at //' |
        grep -oE '[0-9]+x[0-9]+' | sort | tr '\n' ' ')
    [ "$drawn" = "$(printf '%s\n' "$@" | sort | tr '\n' ' ')" ] ||
        fail "not drawn at $*: $(cat "$WORK/vorlune.log")"
}

# The scenarios. Each leaves the compositor as it found it.
fullscreen() { # both outputs covered at their pixel size, the window beneath hidden, Escape ends it
    start_window
    start_vorlune -fps
    local output
    # the window's red gone, and the scene there instead of the desktop
    for output in "${OUTPUTS[@]}"; do
        wait_for 15 eval 'output_shows_scene "$output" &&
            awk -v s="$(red_share "$WORK/pictures/$output.png")" "BEGIN { exit !(s < 0.0005) }"' ||
            fail "$output does not show the scene over the window (grey mean and deviation: ${STATS:-no picture})"
    done
    [ "$DESKTOP" = kwin ] && for output in "${OUTPUTS[@]}"; do full_size "$output"; done
    compositor_share 2
    hold_key Escape 1.5
    expect_exit 2 0
    drawn_at "${SIZES[@]}"
    sed -n 's/^vorlune: /vorlune full screen: /p' "$WORK/vorlune.log"
    kill "$WINDOW_PID"
}

window() { # --window shows the scene; closed by the compositor, it ends with code 0
    start_vorlune --window -fps
    wait_for_scene "${OUTPUTS[0]}"
    case $DESKTOP in
        mutter) # Alt+F4, mutter's own key for closing the focused window
            as_user /usr/bin/python3 "$WORK/bin/mutter_remote.py" key 0xffe9+0xffc1 0.2 \
                >>"$WORK/remote.log" 2>&1 || fail "Alt+F4 could not be typed"
            ;;
        kwin)
            printf '%s\n' 'for (const w of workspace.clientList())' \
                '    if (w.resourceClass == "vorlune") w.closeWindow();' >"$WORK/close.js"
            chmod 644 "$WORK/close.js"
            as_user "$WORK/bin/remote-python" "$WORK/bin/kwin_remote.py" script "$WORK/close.js" \
                >>"$WORK/remote.log" 2>&1 || fail "KWin did not run the script that closes"
            ;;
    esac
    expect_exit 2 0
    if [ "$DESKTOP" = kwin ]; then
        drawn_at 1536x1152
    else # mutter fits the window, title bar and all, to its 1024x768 monitor
        grep -qE 'fps at 1024x7[0-6][0-9]($|,)' "$WORK/vorlune.log" ||
            fail "the window is not drawn at about 1024x768: $(cat "$WORK/vorlune.log")"
    fi
}

background() { # -background: the scene around a window that stays on top; SIGHUP ends it
    start_window
    start_vorlune -background
    # below the window, which KWin places in the middle
    wait_for_scene "${OUTPUTS[0]}" 1536x150+0+1000
    awk -v s="$(red_share "$WORK/pictures/${OUTPUTS[0]}.png")" 'BEGIN { exit !(s > 0.005) }' ||
        fail "the window is not on top of the scene"
    kill -HUP "$VORLUNE_PID"
    expect_exit 2 0
    kill "$WINDOW_PID"
}

# title_bar_shown: over output 0's top left, where an undecorated window shows
# the moving scene, a band that stays still: one flat colour left of the title,
# the title in the middle.
title_bar_shown() {
    local png=$WORK/pictures/${OUTPUTS[0]}.png width=${SIZES[0]%x*}
    picture "${OUTPUTS[0]}" && cp "$png" "$WORK/before.png" && sleep 0.5 &&
        picture "${OUTPUTS[0]}" && picture_stats "$png" 300x16+20+4 &&
        awk '{ exit !($2 < 0.005) }' <<<"$STATS" &&
        picture_stats "$png" "200x16+$((width / 2 - 100))+4" &&
        awk '{ exit !($2 > 0.05) }' <<<"$STATS" &&
        awk -v d="$("$convert" "$png" "$WORK/before.png" -crop "${width}x16+0+4" +repage \
            -compose difference -composite -format '%[fx:maxima]' info:)" \
            'BEGIN { exit !(d == 0) }'
}


titlebar() { # --window has a title bar, and its close button ends vorlune with code 0
    start_vorlune --window
    wait_for_scene "${OUTPUTS[0]}" 300x300+300+300
    wait_for 15 title_bar_shown || fail "no title bar over the window"
    case $DESKTOP in
        mutter) # libdecor's close button, at the right end of its title bar
            as_user /usr/bin/python3 "$WORK/bin/mutter_remote.py" click 1008 12 \
                >>"$WORK/remote.log" 2>&1 || fail "the close button could not be clicked"
            ;;
        kwin) # KWin's close button, at the right end of its title bar, whose
            # visible part runs from the frame's top (or the output's) to the window's
            printf '%s\n' 'for (const w of workspace.clientList()) if (w.resourceClass == "vorlune")' \
                '    print("vorlune-test-frame " + w.frameGeometry.x + " " + w.frameGeometry.y + " " +' \
                '        w.frameGeometry.width + " " + w.bufferGeometry.y);' >"$WORK/frame.js"
            chmod 644 "$WORK/frame.js"
            as_user "$WORK/bin/remote-python" "$WORK/bin/kwin_remote.py" script "$WORK/frame.js" \
                >>"$WORK/remote.log" 2>&1 || fail "KWin did not run the script"
            wait_until grep -q '^js: vorlune-test-frame ' "$WORK/kwin.log" || fail "no frame geometry"
            local x y width top
            read -r x y width top < <(sed -n 's/^js: vorlune-test-frame //p' "$WORK/kwin.log")
            as_user "$WORK/bin/fake_input" click \
                "$(awk -v x="$x" -v w="$width" 'BEGIN { print x + w - 18 }')" \
                "$(awk -v y="$y" -v t="$top" 'BEGIN { y = y < 0 ? 0 : y; print (y + t) / 2 }')" \
                >>"$WORK/remote.log" 2>&1 || fail "the close button could not be clicked"
            ;;
    esac
    expect_exit 3 0
}

idle() { # --idle: the scene after the idle time, gone on the user's input, back when idle again
    start_vorlune --idle 3
    wait_for 20 output_shows_scene "${OUTPUTS[0]}" || fail "no scene once idle"
    wait_for_scene "${OUTPUTS[1]}"
    hold_key Shift 0.1
    # the desktop again, and the saver waiting
    wait_for 10 eval '! output_shows_scene "${OUTPUTS[0]}"' || fail "the scene stayed after a key"
    kill -0 "$VORLUNE_PID" 2>/dev/null || fail "vorlune --idle ended on the key"
    wait_for 20 output_shows_scene "${OUTPUTS[0]}" || fail "no scene once idle again"
    kill -TERM "$VORLUNE_PID"
    expect_exit 2 0
}

case $DESKTOP in
    mutter) start_mutter ;;
    kwin) start_kwin ;;
    *) fail "unknown desktop $DESKTOP" ;;
esac
keep_desktops
for scenario in "${SCENARIOS[@]}"; do
    case $scenario in
        fullscreen | window | background | titlebar | idle) "$scenario" ;;
        *) fail "unknown scenario $scenario" ;;
    esac
    echo "passed: $DESKTOP $scenario"
done
