#!/usr/bin/env bash
# Vorlune.scr started the way Windows starts a screen saver: full-screen runs
# and how they end, the modes that end at once, the message when Vorlune.dll
# is missing, the preview inside a host window; and the forms tests, which
# need a display.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
setup 1024x768x24
install_saver
# The shell alone, and beside the driver standing in for a renderer that is
# slow to show up, or lost before it does.
mkdir -p "$work/alone" "$work/stand-in"
cp "$scr" "$work/alone/Vorlune.scr"
cp "$scr" "$work/stand-in/Vorlune.scr"
cp "$driver" "$work/stand-in/Vorlune.dll"
alone=$(windows_path "$work/alone/Vorlune.scr")
stand_in=$(windows_path "$work/stand-in/Vorlune.scr")

forms() {
    timeout 60 "$wine" "$forms_tests" >"$work/forms.out" 2>&1
    local rc=$?
    tr -d '\r' <"$work/forms.out" | grep -E '^\[ +(OK|FAILED) |Failure|Expected|Which|Actual' | sed 's/^/    /'
    return "$rc"
}
run_case "forms: events, timers, twips; the preview form's pictures" forms

run_case "/s runs the renderer, a second /s ends at once, the shell follows the renderer's end" \
    drive run "$saver" /s 1200 close second
run_case "an empty command line runs full screen; Escape ends it" drive run "$saver" "" 1200 escape
slow() { VORLUNE_STANDIN=slow drive run "$stand_in" /s 1200 close; }
run_case "a renderer slow to open its window keeps the run" slow
lost() { VORLUNE_STANDIN="exit" drive ends "$stand_in" /s; }
run_case "a renderer that ends without a window ends the run before the start-up grace" lost
for arguments in /a x S "/p 12345"; do
    run_case "'$arguments' ends silently (12345 is no window)" drive ends "$saver" "$arguments"
done
# "Vorlune.dll が同じﾌｫﾙﾀﾞに見つかりません！" in code page 932 (its bytes
# escaped: the command line does not carry its UTF-8 through Wine intact).
missing='Vorlune.dll \x82\xaa\x93\xaf\x82\xb6\xcc\xab\xd9\xc0\xde\x82\xc9\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x49'
for arguments in /s /c /a ""; do
    run_case "without Vorlune.dll, '$arguments' shows the message and ends" \
        drive message "$alone" "$arguments" Vorlune "$missing"
done
run_case "/p into a 152x112 host" drive preview "$saver" 152 112
run_case "/p into a larger host, and without Vorlune.dll" drive preview "$alone" 400 300
finish
