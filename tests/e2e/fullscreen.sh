#!/usr/bin/env bash
# The renderer as the shell starts it on a 1024 x 768 screen: full screen at
# 16 bits per pixel, drawing, deaf to the system's screen-saver request, and
# ended by Escape, by WM_CLOSE or by the system menu's close, the display
# mode restored each time.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
setup 1024x768x24

# Wine's trace of the renderer's display-mode calls and buffer swaps (it
# inherits the driver's WINEDEBUG and standard error).
trace=$work/renderer-trace.log
launch() {
    WINEDEBUG=+timestamp,+pid,+system,+wgl wine_log=$trace drive launch "$renderer" || return 1
    renderer_pid=$(value pid) start_tick=$(value start_tick)
    # Nothing waits for the window within a set time (the shell's watch
    # allows a start-up grace): logged, not judged.
    log "window after $(value window_ms) ms, shown after $(value visible_ms) ms"
}
# traced <pattern> [<lines after> <pattern there>]: how many lines of the
# renderer's own trace (Wine prints the process id in hex) have it.
# NOTE: the lines looked for are those of Wine 8.0's "system" and "wgl" channels.
traced() {
    grep -a -E "^([0-9]+\.[0-9]+:)?$(printf '%04x' "$renderer_pid"):" "$trace" | grep -a -A"${2:-0}" -e "$1" |
        grep -a -c -e "${3:-$1}"
}
# ends <driver command>: it ends the renderer, which restores the display mode.
ends() {
    drive "$1" || return 1
    [ "$(traced 'NtUserChangeDisplaySettings (null) (nil) (nil) 0 ')" -gt 0 ] ||
        { echo "    the renderer did not restore the display mode"; return 1; }
}
launch_and_end() { launch && ends "$1"; }

full_screen() {
    launch && drive window fullscreen || return 1
    [ "$(traced 'NtUserChangeDisplaySettings flags=FULLSCREEN' 1 'dmBitsPerPel=16 dmPelsWidth=1024 dmPelsHeight=768')" -gt 0 ] ||
        { echo "    no full-screen change to 1024x768x16 in the renderer's trace"; return 1; }
}
run_case "window GLWindow VorluneVC full screen, display switched to 1024x768x16" full_screen

shows_the_scene() {
    local swapped before
    swapped=$(grep -a -m 1 -E "^[0-9.]+:$(printf '%04x' "$renderer_pid"):.*SwapBuffers" "$trace" | cut -d: -f1)
    [ -z "$swapped" ] || log "first frame swapped $(awk -v s="$swapped" -v t="$start_tick" \
        'BEGIN { printf "%.0f", s * 1000 - t }') ms after process creation"
    screenshot scene-1 && looks_like_scene scene-1 || return 1
    before=$(traced SwapBuffers)
    sleep 2
    log "about $((($(traced SwapBuffers) - before) / 2)) frames per second"
    screenshot scene-2 && looks_like_scene scene-2 && differs scene-1 scene-2
}
run_case "the scene is drawn and moves" shows_the_scene

refuses_screen_saver() {
    drive ignored && screenshot scene-3 && looks_like_scene scene-3 && differs scene-2 scene-3
}
run_case "SC_SCREENSAVE, SC_MONITORPOWER and key 0x11B ignored" refuses_screen_saver

escape_ends_it() {
    ends escape || return 1
    # The X screen is as it was.
    local screen
    screen=$(xdpyinfo)
    grep -q 'dimensions: *1024x768 pixels' <<<"$screen" || { echo "    the X screen is no longer 1024x768"; return 1; }
    grep -q 'depth of root window: *24 planes' <<<"$screen" || { echo "    the X screen's depth is no longer 24"; return 1; }
}
run_case "holding Escape ends it with exit code 0, mode restored" escape_ends_it
run_case "WM_CLOSE ends it with exit code 0, mode restored" launch_and_end close
run_case "WM_SYSCOMMAND SC_CLOSE ends it with exit code 0, mode restored" launch_and_end system-close
finish
