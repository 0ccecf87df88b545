#!/usr/bin/env bash
# A renderer that does not end by itself leaves the display as it found it.
# In a Wine virtual desktop of 1280 x 1024 on a larger X screen (there the
# switch to 1024 x 768 goes through and every program sees it): killed under
# Vorlune.scr /s, its shell gives the display back; crashed alone by a fault,
# the renderer gives it back itself before its process is gone.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
desktop=1280x1024
setup 1600x1200x24
install_saver

# switched: the driver saw the run at 1024x768 on a display of the desktop's
# size (it checked itself that the size came back).
switched() {
    if [ "$(value display_before)" != "$desktop" ] || [ "$(value display_running)" != 1024x768 ]; then
        echo "    the display was not switched from $desktop to 1024x768"
        return 1
    fi
}

killed() { drive run "$saver" /s 2000 kill-renderer && switched; }
run_case "Vorlune.scr /s, its renderer killed: the shell gives the display back" killed

crashed() {
    drive crash "$renderer" && switched || return 1
    log "the renderer ended $(value exit_ms) ms after its fault"
}
run_case "Vorlune.dll alone, a thread of it faulting: the display is back when it has gone" crashed
finish
