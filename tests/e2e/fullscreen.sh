#!/usr/bin/env bash
# The renderer as the shell starts it on a 1024 x 768 screen: full screen at
# 16 bits per pixel, drawing, deaf to the system's screen-saver request, and
# ended by Escape, by WM_CLOSE or by the system menu's close.
# shellcheck disable=SC2317  # the cases are called through run_case
# shellcheck source=e2e_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_env.sh"

setup 1024x768x24

trace=$work/renderer-trace.log
renderer_pid=
start_tick=

# Starts the renderer as the shell does and reads its process id.
launch_renderer() {
    drive launch "$renderer" || return 1
    renderer_pid=$(value pid)
    start_tick=$(value start_tick)
    log "window after $(value window_ms) ms, shown after $(value visible_ms) ms"
}

# The shell looks for the window 500 ms after starting the renderer.
shown_within_500_ms() { awk -v ms="$(value visible_ms)" 'BEGIN { exit !(ms >= 0 && ms <= 500) }'; }

# Wine's trace lines of the renderer's process (Wine prints the process id in
# hex), into $work/renderer-only.log. NOTE: the lines looked for below are
# those of Wine 8.0's "system" and "wgl" debug channels.
renderer_trace() {
    grep -a -E "^([0-9]+\.[0-9]+:)?$(printf '%04x' "$renderer_pid"):" "$trace" >"$work/renderer-only.log"
}

# The first buffer swap, from the trace's timestamps (Wine's tick count, the
# clock the driver read just before creating the process).
log_first_frame() {
    renderer_trace
    local swapped
    swapped=$(grep -a -m 1 'SwapBuffers' "$work/renderer-only.log" | cut -d: -f1)
    [ -n "$swapped" ] || return 0
    log "first frame swapped $(awk -v s="$swapped" -v t="$start_tick" \
        'BEGIN { printf "%.0f", s * 1000 - t }') ms after process creation"
}

window_appears() {
    # Trace the renderer's display-mode calls and buffer swaps (it inherits
    # the driver's WINEDEBUG and standard error).
    local -x WINEDEBUG=+timestamp,+pid,+system,+wgl
    local wine_log=$trace
    launch_renderer || return 1
    if ! shown_within_500_ms; then
        # A busy machine (a build next door) can cost a start this much: one
        # more measurement; a renderer that is really slow fails both.
        echo "    not shown within 500 ms; measuring once more"
        drive close && launch_renderer || return 1
        shown_within_500_ms || { echo "    not shown within 500 ms, twice"; return 1; }
    fi
    drive window fullscreen || return 1
    [ "$(value cursor_showing)" = 0 ] || { echo "    the cursor is showing"; return 1; }
}

switched_to_16_bits() {
    # Wine switches the colour depth for the renderer's own process only, so
    # ask that process; every other process still sees the X screen's depth.
    drive display-mode "$probe" 1024x768x16 || return 1
    renderer_trace
    grep -a -A1 'NtUserChangeDisplaySettings flags=FULLSCREEN' "$work/renderer-only.log" |
        grep -a 'dmBitsPerPel=16 dmPelsWidth=1024 dmPelsHeight=768' >/dev/null ||
        { echo "    no full-screen change to 1024x768x16 in the renderer's trace"; return 1; }
}

shows_the_scene() {
    log_first_frame
    screenshot scene-1 && looks_like_scene scene-1 || return 1
    local before after
    renderer_trace
    before=$(grep -ac 'SwapBuffers' "$work/renderer-only.log")
    sleep 2
    renderer_trace
    after=$(grep -ac 'SwapBuffers' "$work/renderer-only.log")
    log "about $(((after - before) / 2)) frames per second"
    screenshot scene-2 && looks_like_scene scene-2 && differs scene-1 scene-2
}

refuses_screen_saver() {
    drive ignored || return 1
    screenshot scene-3 && looks_like_scene scene-3 && differs scene-2 scene-3
}

escape_ends_it() {
    drive escape || return 1
    # The renderer asked for the registry's mode on its way out...
    renderer_trace
    grep -a 'NtUserChangeDisplaySettings (null) (nil) (nil) 0 ' "$work/renderer-only.log" \
        >/dev/null || { echo "    the renderer did not restore the display mode"; return 1; }
    # ...and the X screen is as it was.
    local screen
    screen=$(xdpyinfo)
    if ! grep -q 'dimensions: *1024x768 pixels' <<<"$screen" ||
        ! grep -q 'depth of root window: *24 planes' <<<"$screen"; then
        echo "    the X screen is no longer 1024x768 at depth 24"
        return 1
    fi
}

close_ends_it() {
    launch_renderer && drive close
}

system_close_ends_it() {
    launch_renderer && drive syscommand-close
}

run_case "window GLWindow VorluneVC within 500 ms, full screen" window_appears
run_case "display switched to 1024x768x16" switched_to_16_bits
run_case "the scene is drawn and moves" shows_the_scene
run_case "SC_SCREENSAVE, SC_MONITORPOWER and key 0x11B ignored" refuses_screen_saver
run_case "holding Escape ends it with exit code 0, mode restored" escape_ends_it
run_case "WM_CLOSE ends it with exit code 0" close_ends_it
run_case "WM_SYSCOMMAND SC_CLOSE ends it with exit code 0" system_close_ends_it
finish
