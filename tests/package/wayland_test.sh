#!/usr/bin/env bash
# The .deb's vorlune on a Wayland session: extracted (nothing installed), its
# link on the PATH checked, and started by an idle daemon on headless sway.
#   wayland_test.sh vorlune_VERSION_amd64.deb WAYLAND_TEST_SCRIPT SWAP_COUNTER
set -uo pipefail
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
chmod 755 "$WORK"
dpkg-deb -x "$1" "$WORK/root" || { echo "FAIL: dpkg-deb -x $1 failed" >&2; exit 1; }
[ "$(readlink -f "$WORK/root/usr/bin/vorlune")" = "$WORK/root/usr/libexec/xscreensaver/vorlune" ] ||
    { echo "FAIL: /usr/bin/vorlune is no link to the hack" >&2; exit 1; }
bash "$2" "$WORK/root/usr/bin/vorlune" "$3" idle
