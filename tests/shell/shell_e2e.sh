#!/usr/bin/env bash
# Vorlune.scr under Xvfb and Wine, started the way Windows starts a screen
# saver and driven by shell_driver.exe:
#   shell_e2e.sh <work dir> <Vorlune.dll> <shell_driver.exe> <Vorlune.scr> <forms tests .exe>
# The programs are copied into folders of their own: one with both (a blank
# in its name), one without the renderer.
# shellcheck disable=SC2317  # the cases are called through run_case
scr=$4
forms_tests=$5
# The shared harness takes four arguments; the fourth (a probe library) is
# not used here.
# shellcheck source=../e2e/e2e_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_env.sh" "$1" "$2" "$3" none

# Japanese Windows: the ANSI code page is 932, as the shell's texts expect.
export LC_ALL=ja_JP.UTF-8
E2E_DEADLINE=${E2E_DEADLINE:-170}
setup 1024x768x24

saver_dir="$work/my saver"
alone_dir="$work/alone"
mkdir -p "$saver_dir" "$alone_dir"
cp "$renderer" "$saver_dir/Vorlune.dll"
cp "$scr" "$saver_dir/Vorlune.scr"
cp "$scr" "$alone_dir/Vorlune.scr"
stand_in_dir="$work/stand-in"
mkdir -p "$stand_in_dir"
cp "$scr" "$stand_in_dir/Vorlune.scr"
# The driver plays a renderer that is slow to show up, or lost before it does.
cp "$driver" "$stand_in_dir/Vorlune.dll"
saver="$saver_dir/Vorlune.scr"
alone="$alone_dir/Vorlune.scr"

forms_case() {
    timeout 60 "$wine" "$forms_tests" >"$work/forms.out" 2>&1
    local rc=$?
    tr -d '\r' <"$work/forms.out" | grep -E '^\[ +(OK|FAILED) |Failure|Expected|Which|Actual' | sed 's/^/    /'
    return $rc
}
run_case "forms: events, timers, twips; the preview form's pictures" forms_case

run_case "/s runs the renderer, a second /s ends at once, the shell follows the renderer's end" \
    drive run "$saver" /s
run_case "a renderer slow to open its window keeps the run" \
    drive slow-renderer "$stand_in_dir/Vorlune.scr"
run_case "a renderer that ends without a window ends the run" \
    drive lost-renderer "$stand_in_dir/Vorlune.scr"
run_case "an empty command line runs full screen; Escape ends it" drive run "$saver" ""
for arguments in /a x S; do
    run_case "'$arguments' ends silently" drive ends "$saver" "$arguments"
done
no_window_case() {
    drive no-window 12345 && drive ends "$saver" "/p 12345"
}
run_case "/p with a handle that is no window ends at once" no_window_case
for arguments in /s /c /a ""; do
    run_case "without Vorlune.dll, '$arguments' shows the message and ends" \
        drive missing "$alone" "$arguments"
done
run_case "/p into a 152x112 host" drive preview "$saver" 152 112
run_case "/p into a larger host, and without Vorlune.dll" drive preview "$alone" 400 300
finish
