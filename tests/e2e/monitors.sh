#!/usr/bin/env bash
# Two monitors (Xorg's dummy driver): the renderer full screen on the first
# covers the second in black while it runs, another program's white window
# there included, which shows again once Escape has ended the run.
# Screenshots: covered, uncovered.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
setup two-monitors

# grey <screenshot> <crop>: the mean grey level (0 black, 1 white) there.
grey() { "$convert" "$work/$1.png" -crop "$2" +repage -colorspace gray -format '%[fx:mean]' info:; }

covered() {
    drive covers "$renderer" || return 1
    "$convert" "$work/covered.png" -crop 1024x768+0+0 +repage "$work/covered-first.png"
    looks_like_scene covered-first || return 1
    local second after
    second=$(grey covered 800x600+1024+0) after=$(grey uncovered 600x500+1100+50)
    log "second monitor while covered: $second; the white window after: $after"
    [ "$second" = 0 ] || { echo "    the second monitor is not black"; return 1; }
    [ "$after" = 1 ] || { echo "    the white window does not show again"; return 1; }
}
run_case "the second monitor black while the renderer runs on the first; Escape ends it" covered
finish
