#!/usr/bin/env bash
# The hack's settings file is well-formed, names the program, and its command
# line is one the program accepts.
source "$(dirname "$0")/x11_test_lib.sh"
xml=$3

args=$(python3 - "$xml" <<'PY') || fail "$xml: unreadable"
import sys
import xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
assert root.tag == "screensaver", root.tag
assert root.get("name") == "vorlune", root.get("name")
assert root.get("_label"), "no _label"
assert root.findtext("_description", "").strip(), "no _description"
print(" ".join(c.get("arg") for c in root.iter("command")))
PY
[ -n "$args" ] || fail "no command arguments"
# shellcheck disable=SC2086
"$VORLUNE" $args --help >/dev/null 2>"$WORK/err.txt" ||
    fail "vorlune refuses '$args': $(cat "$WORK/err.txt")"
exit 0
