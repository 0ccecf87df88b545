#!/usr/bin/env bash
# On a 1280 x 1024 screen the switch to 1024 x 768 is refused (Xvfb offers
# only its own size): the renderer runs in a centred 1024 x 768 overlapped
# window with the cursor visible, a style it takes only when no mode change
# went through, so its display is left as it was.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
setup 1280x1024x24

windowed() { drive launch "$renderer" && drive window windowed; }
run_case "windowed 1024x768, centred, when the mode is refused" windowed
moves() {
    screenshot windowed-1 && looks_like_scene windowed-1 && sleep 1 && screenshot windowed-2 &&
        looks_like_scene windowed-2 && differs windowed-1 windowed-2
}
run_case "the scene is drawn and moves in the window" moves
run_case "WM_CLOSE ends it with exit code 0" drive close
finish
