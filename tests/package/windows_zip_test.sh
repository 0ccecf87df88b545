#!/usr/bin/env bash
# shellcheck disable=SC2317  # the cases run through run_case
# The Windows programs as a user gets them: the zip unpacked into a folder whose
# name has a blank and Japanese characters (表 and ソ have a "\" as their second
# byte in code page 932), and `Vorlune.scr /s` started from there, through the
# end-to-end harness and its driver. The shell finds Vorlune.dll beside itself,
# the scene shows, and the shell follows the renderer's end on Escape.
#   windows_zip_test.sh vorlune-VERSION-windows-x64.zip <work dir> <e2e_driver.exe>
zip=$1 folder="$2/Vorlune 表示ソフト"
[ -f "$3" ] || { echo "no $3: build the windows preset first" >&2; exit 1; }
# Unix file names in UTF-8 for Wine: any UTF-8 locale's data will do for the
# harness's ja_JP.UTF-8, so none need be made.
mkdir -p "$2.locale" && ln -sfn /usr/lib/locale/C.utf8 "$2.locale/ja_JP.UTF-8"
export LOCPATH=$2.locale
set -- "$2" "$3" "$folder/Vorlune.dll" "$folder/Vorlune.scr" -
# shellcheck source-path=SCRIPTDIR/../e2e source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/harness.sh"
setup 1024x768x24
python3 -m zipfile -e "$zip" "$folder" || exit 1

scene() { sleep 1.5 && screenshot zip-saver && looks_like_scene zip-saver && touch "$work/scene"; }
from_zip() { on_window=scene drive run "$(windows_path "$scr")" /s 5000 escape && [ -e "$work/scene" ]; }
run_case "Vorlune.scr /s from '$folder' shows the scene and ends on Escape" from_zip
finish
