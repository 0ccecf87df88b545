#!/usr/bin/env bash
# On a 1280 x 1024 screen the switch to 1024 x 768 is refused (Xvfb offers
# only its own size): the renderer runs in a centred 1024 x 768 overlapped
# window with the cursor visible. (On a screen smaller than the window, the
# system would clamp an overlapped window to the screen plus its frame.)
# shellcheck disable=SC2317  # the cases are called through run_case
# shellcheck source=e2e_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_env.sh"

setup 1280x1024x24

windowed_and_centred() {
    drive launch "$renderer" || return 1
    drive window windowed || return 1
    [ "$(value cursor_showing)" = 1 ] || { echo "    the cursor is hidden"; return 1; }
    # The refused change leaves the renderer's display as it was.
    drive display-mode "$probe" 1280x1024x32
}

shows_the_scene() {
    screenshot windowed-1 && looks_like_scene windowed-1 || return 1
    sleep 1
    screenshot windowed-2 && looks_like_scene windowed-2 && differs windowed-1 windowed-2
}

close_ends_it() {
    drive close
}

run_case "windowed 1024x768, centred, when the mode is refused" windowed_and_centred
run_case "the scene is drawn and moves in the window" shows_the_scene
run_case "WM_CLOSE ends it with exit code 0" close_ends_it
finish
