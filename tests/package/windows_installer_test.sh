#!/usr/bin/env bash
# shellcheck disable=SC2317  # the cases run through run_case
# The Windows installer as a user runs it, under Wine in a fresh prefix on a
# Western Windows (en_US.UTF-8: code page 1252, an English UI), through the
# end-to-end harness and its driver:
#   windows_installer_test.sh vorlune-VERSION-windows-x64-setup.exe VERSION <work dir> <e2e_driver.exe>
# One user's story, each case on from the last: a silent install into the
# user's own folder, with the screen saver and the Settings > Apps entry in
# the registry; the saver that entry names runs; an upgrade over a full-screen
# run closes it, puts the new programs in place and keeps Vorlune.ini byte for
# byte; one over a Vorlune.scr held open (its settings dialog, as a preview
# holds it) moves the old one aside; a program that cannot be written is exit
# code 2. Uninstalling leaves a screen saver chosen since, and closes and
# clears ours (named in its short, lower-case form), the programs, the
# settings, the folder and the entry gone.
setup_exe=$1 version=$2
[ -f "$4" ] || { echo "no $4: build the windows preset first" >&2; exit 1; }
set -- "$3" "$4" - - -
# shellcheck source-path=SCRIPTDIR/../e2e source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/harness.sh"
E2E_LOCALE=en_US.UTF-8
setup 1024x768x24

# What the installer carries, to compare the installed files with.
payload=$work/payload
7zz x -o"$payload" "$setup_exe" >"$work/7zz.log" || { cat "$work/7zz.log"; exit 1; }

desktop='HKCU\Control Panel\Desktop'
entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlune'
# registry <key>: its values as NAME=VALUE lines; nothing where there is no such key.
registry() {
    "$wine" reg query "$1" 2>/dev/null 9>&- | tr -d '\r' |
        sed -n -E 's/^    (.+)    REG_[A-Z_]+    (.*)$/\1=\2/p'
}
unix_path() { local p=${1#[Cc]:}; printf '%s/drive_c%s' "$WINEPREFIX" "${p//\\//}"; }
# until_ok <seconds> <command...>: polls the command until it succeeds.
until_ok() {
    local tenths=$(($1 * 10))
    shift
    for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
    return 1
}
# install [arguments]: a silent install; fails unless its exit code is ${want:-0}.
install() {
    "$wine" "$setup_exe" /S "$@" 9>&-
    local rc=$?
    [ $rc -eq "${want:-0}" ] || { echo "    setup.exe /S $*: exit code $rc, ${want:-0} wanted"; return 1; }
}
# The installed programs, read-me and licence are the installer's; an uninstaller is beside them.
installed_new() {
    local file packed ok=0
    for file in Vorlune.scr Vorlune.dll README.txt LICENSE.txt; do
        packed=$payload/$file
        [ -f "$packed" ] || packed=$packed.new
        cmp -s "$packed" "$dir/$file" || { echo "    $dir/$file is not the new one"; ok=1; }
    done
    [ -f "$dir/Uninstall.exe" ] || { echo "    no Uninstall.exe"; ok=1; }
    return $ok
}
# age: the installed programs made different from the installer's, as an older version's are.
age() { printf 'old' >>"$dir/Vorlune.scr" && printf 'old' >>"$dir/Vorlune.dll"; }
ended() { ! ps -p "$1" -o stat= | grep -qv Z; }
folder_gone() { [ ! -e "$dir" ]; }
entry_gone() { [ -z "$(registry "$entry")" ]; }
window_named() { xdotool search --name "^$1\$" >/dev/null 2>&1; }

installs() {
    "$wine" reg add "$desktop" /v ScreenSaveTimeOut /d 420 /f >/dev/null 2>&1 9>&-
    install || return 1
    local values
    values=$(registry "$desktop")
    saver=$(sed -n 's/^SCRNSAVE.EXE=//p' <<<"$values")
    folder=${saver%\\Vorlune.scr}
    dir=$(unix_path "$folder")
    log "SCRNSAVE.EXE=$saver"
    # shellcheck disable=SC1003  # backslashes in single quotes are Windows's
    [[ $saver == 'C:\users\'*'\AppData\Local\Programs\Vorlune\Vorlune.scr' ]] ||
        { echo "    not in the user's AppData\Local\Programs\Vorlune"; return 1; }
    grep -qx ScreenSaveActive=1 <<<"$values" || { echo "    ScreenSaveActive is not 1"; return 1; }
    grep -qx ScreenSaveTimeOut=420 <<<"$values" || { echo "    the user's timeout is lost"; return 1; }
    installed_new || return 1
    registry "$entry" | grep -v ^EstimatedSize= | sort >"$work/entry.txt"
    sort >"$work/expected.txt" <<EOF
DisplayName=Vorlune
DisplayVersion=$version
Publisher=The Vorlune developers
DisplayIcon=$saver,0
InstallLocation=$folder
UninstallString="$folder\\Uninstall.exe"
QuietUninstallString="$folder\\Uninstall.exe" /S
NoModify=0x1
NoRepair=0x1
EOF
    diff -u "$work/expected.txt" "$work/entry.txt" || return 1
    # EstimatedSize: the folder's kilobytes, each file's rounded down.
    local size kb
    size=$(registry "$entry" | sed -n 's/^EstimatedSize=//p')
    kb=$(find "$dir" -type f -printf '%s\n' | awk '{ kb += int($1 / 1024) } END { print kb }')
    log "EstimatedSize=$size, $kb KB"
    [ $((size)) -ge $((kb - 2)) ] && [ $((size)) -le $((kb + 5)) ]
}
run_case "setup.exe /S installs for the user and chooses Vorlune" installs
if [ -z "${dir:-}" ] || [ ! -d "$dir" ]; then finish; fi

# The saver as Windows starts it, by the path SCRNSAVE.EXE holds.
runs() { drive run "$saver" /s 1500 close; }
run_case "the saver SCRNSAVE.EXE names runs" runs

upgrades_running() {
    ini_text ' 2' ' 1' 'C:\Musique\x.wav' >"$dir/Vorlune.ini"
    cp "$dir/Vorlune.ini" "$work/Vorlune.ini"
    age
    "$wine" "$saver" /s >/dev/null 2>&1 9>&- &
    local shell=$!
    until_ok 20 window_named VorluneVC || { echo "    the saver showed no VorluneVC window"; return 1; }
    install || return 1
    until_ok 10 ended $shell || { echo "    the saver still runs"; return 1; }
    installed_new && cmp "$work/Vorlune.ini" "$dir/Vorlune.ini"
}
run_case "an upgrade closes a full-screen run, replaces the programs, keeps Vorlune.ini" upgrades_running

upgrades_held() {
    age
    "$wine" "$saver" /c >/dev/null 2>&1 9>&- &
    local dialog=$!
    until_ok 20 window_named '<Vorlune>' || { echo "    no settings dialog"; return 1; }
    install
    local rc=$?
    kill -KILL $dialog
    wait $dialog 2>/dev/null
    [ $rc -eq 0 ] && installed_new && compgen -G "$dir/Vorlune.scr.*.old" >/dev/null
}
run_case "an upgrade over a Vorlune.scr held open moves it aside" upgrades_held

# Where the new program cannot be written (a folder in its way), nothing is
# replaced, nothing half written stays, and the exit code says so.
fails() {
    age
    cp "$dir/Vorlune.scr" "$work/old.scr"
    mkdir "$dir/Vorlune.dll.new"
    want=2 install
    local rc=$?
    rmdir "$dir/Vorlune.dll.new"
    [ ! -e "$dir/Vorlune.scr.new" ] || { echo "    Vorlune.scr.new is left"; return 1; }
    [ $rc -eq 0 ] && cmp "$work/old.scr" "$dir/Vorlune.scr" && install || return 1
    # The program moved aside before, free now, is gone with this install.
    ! compgen -G "$dir/*.old" >/dev/null || { echo "    left:" && ls -A "$dir"; return 1; }
}
run_case "a program that cannot be written: exit code 2, the old ones kept" fails

keeps_another() {
    "$wine" reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1 9>&-
    # As Settings > Apps runs it: a copy of the uninstaller works on after it returns.
    "$wine" "$dir/Uninstall.exe" /S 9>&- || return 1
    until_ok 30 folder_gone || { echo "    left:" && ls -A "$dir"; return 1; }
    until_ok 10 entry_gone || { echo "    the entry is left"; return 1; }
    [ "$(registry "$desktop" | sed -n 's/^SCRNSAVE.EXE=//p')" = 'C:\windows\system32\other.scr' ]
}
run_case "an uninstall leaves another saver chosen, removes the folder and the entry" keeps_another

clears_ours() {
    # A folder whose name has a short form of its own.
    install '/D=C:\ScreenSavers\Vorlune' || return 1
    dir=$WINEPREFIX/drive_c/ScreenSavers/Vorlune
    local short
    short=$("$wine" cmd /c 'for %I in (C:\ScreenSavers\Vorlune\Vorlune.scr) do @echo %~sI' 2>/dev/null 9>&- |
        tr -d '\r' | tr '[:upper:]' '[:lower:]')
    log "short form: $short"
    [[ $short == *'~'* ]] || return 1
    "$wine" reg add "$desktop" /v SCRNSAVE.EXE /d "$short" /f >/dev/null 2>&1 9>&-
    "$wine" 'C:\ScreenSavers\Vorlune\Vorlune.scr' /s >/dev/null 2>&1 9>&- &
    local shell=$!
    until_ok 20 window_named VorluneVC || { echo "    the saver showed no VorluneVC window"; return 1; }
    # In place (_?=), so that its exit code is seen; it cannot delete itself there.
    "$wine" "$dir/Uninstall.exe" /S '_?=C:\ScreenSavers\Vorlune' 9>&-
    local rc=$?
    [ $rc -eq 0 ] || { echo "    the uninstaller's exit code is $rc"; return 1; }
    until_ok 10 ended "$shell" || { echo "    the saver still runs"; return 1; }
    [ "$(ls -A "$dir")" = Uninstall.exe ] || { echo "    left:" && ls -A "$dir"; return 1; }
    [ -z "$(registry "$entry")" ] || { echo "    the entry is left"; return 1; }
    registry "$desktop" | grep -qx ScreenSaveActive=0 || { echo "    the saver is still active"; return 1; }
    ! registry "$desktop" | grep -q '^SCRNSAVE.EXE='
}
run_case "an uninstall closes the saver running and clears SCRNSAVE.EXE naming it in its short form" clears_ours
finish
