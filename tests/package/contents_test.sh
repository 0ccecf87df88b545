#!/usr/bin/env bash
# What the release packages hold:
#   contents_test.sh vorlune-VERSION-windows-x64.zip vorlune_VERSION_amd64.deb VERSION
# The zip: the two programs side by side with the read-me and the licence; each
# program 64-bit, importing only Windows' own DLLs, with the version and one
# manifest in its resources. The .deb: the files where Debian keeps them, the
# version, dependencies computed from the binaries, man pages that render, and
# no lintian error.
set -uo pipefail

ZIP=$1
DEB=$2
VERSION=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# --- the zip
entries=$(python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' "$ZIP")
[ "$entries" = "LICENSE.txt README.txt Vorlune.dll Vorlune.scr" ] || fail "the zip holds: $entries"
python3 -m zipfile -e "$ZIP" "$WORK/zip" || fail "cannot unpack $ZIP"

# The read-me as Notepad reads it: UTF-8 with a byte-order mark, CRLF line ends.
readme=$WORK/zip/README.txt
[ "$(head -c 3 "$readme" | od -An -tx1)" = " ef bb bf" ] || fail "README.txt has no byte-order mark"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has lines without CRLF"
grep -q "Vorlune $VERSION for Windows" "$readme" || fail "README.txt does not name version $VERSION"

# Windows' own DLLs, and those of its OpenGL.
system_dlls=" advapi32.dll comdlg32.dll gdi32.dll glu32.dll kernel32.dll msimg32.dll msvcrt.dll "
system_dlls+="ole32.dll oleaut32.dll opengl32.dll shell32.dll user32.dll winmm.dll "
for program in Vorlune.scr Vorlune.dll; do
    file=$WORK/zip/$program
    x86_64-w64-mingw32-objdump -p "$file" >"$WORK/headers.txt" 2>&1 || fail "$program: not a PE file"
    grep -q '^Magic.*020b' "$WORK/headers.txt" || fail "$program is not 64-bit (PE32+)"
    for dll in $(sed -n 's/^\tDLL Name: //p' "$WORK/headers.txt" | tr '[:upper:]' '[:lower:]'); do
        [[ $system_dlls == *" $dll "* ]] || fail "$program needs $dll, which Windows does not have"
    done
    # Resource type and name of each resource: one version (16) and one
    # manifest (24), each named 1, the manifest Windows reads at start.
    resources=$(sed -n '/The .rsrc Resource Directory/,/^$/p' "$WORK/headers.txt" |
        awk '/^[0-9a-f]+   Entry: / { type = $4 } /^[0-9a-f]+     Entry: / { print type $4 }' |
        grep -E '^0x0000(10|18),' | tr '\n' ' ')
    [ "$resources" = "0x000010,0x000001, 0x000018,0x000001, " ] ||
        fail "$program: version and manifest resources are: $resources"
    python3 - "$file" "$VERSION" <<'PY' || fail "$program: resources"
import re, sys
from xml.etree import ElementTree
data = open(sys.argv[1], "rb").read()
def string_value(key):  # a VERSIONINFO string: UTF-16 key, padding, UTF-16 value
    at = data.find(key.encode("utf-16-le") + b"\0\0")
    assert at >= 0, f"no {key} in VERSIONINFO"
    value = re.match(rb"(?:\0\0)*((?:[^\0].|\0[^\0])*)\0\0", data[at + 2 * len(key) + 2:], re.S)
    return value.group(1).decode("utf-16-le")
assert string_value("ProductName") == "Vorlune", string_value("ProductName")
assert string_value("FileVersion") == sys.argv[2], string_value("FileVersion")
assert string_value("FileDescription"), "no FileDescription"
manifests = re.findall(rb"<assembly\b.*?</assembly>", data, re.S)
assert len(manifests) == 1, f"{len(manifests)} manifests"
manifest = manifests[0]
ElementTree.fromstring(manifest)  # Windows will not start a program whose manifest is malformed
assert b"PerMonitorV2" in manifest and b"<dpiAware" in manifest, "no DPI awareness"
# A program that declares Windows 8 or later may not set a display mode
# under 32 bits per pixel: the renderer declares nothing newer than Windows 7.
systems = re.findall(rb'supportedOS Id="\{([0-9a-f-]+)\}"', manifest)
if sys.argv[1].endswith(".dll"):
    assert systems in ([], [b"35138b9a-5d96-4fbd-8e2d-a2440225f93a"]), systems
PY
done

# --- the .deb
dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { print $NF }' | sort >"$WORK/files.txt" || fail "dpkg-deb -c failed"
sort >"$WORK/expected.txt" <<'EOF'
./usr/bin/vorlune-tool
./usr/libexec/xscreensaver/vorlune
./usr/share/doc/vorlune/changelog.gz
./usr/share/doc/vorlune/copyright
./usr/share/man/man1/vorlune-tool.1.gz
./usr/share/man/man6/vorlune.6.gz
./usr/share/xscreensaver/config/vorlune.xml
EOF
diff -u "$WORK/expected.txt" "$WORK/files.txt" >&2 || fail "the .deb's files differ (above)"
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ] || fail "the .deb's version is not $VERSION"
depends=$(dpkg-deb -f "$DEB" Depends)
for library in libc6 libx11-6 libpng16-16; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

dpkg-deb -x "$DEB" "$WORK/root" || fail "dpkg-deb -x failed"
for page in man6/vorlune.6.gz man1/vorlune-tool.1.gz; do
    text=$(MANWIDTH=80 man --warnings -l "$WORK/root/usr/share/man/$page" 2>"$WORK/man.log")
    [ -s "$WORK/man.log" ] && fail "man -l $page: $(cat "$WORK/man.log")"
    [[ $text == *"$VERSION"* && $text == *SYNOPSIS* ]] || fail "man -l $page shows no synopsis and version"
done

lintian --fail-on error "$DEB" 2>&1 | grep -v 'running with root privileges' >"$WORK/lintian.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian found errors"
echo "lintian: $(wc -l <"$WORK/lintian.txt") tags" && cat "$WORK/lintian.txt"

[ "$failures" -eq 0 ] || exit 1
echo "passed: package contents"
