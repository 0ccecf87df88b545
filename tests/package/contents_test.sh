#!/usr/bin/env bash
# What the release packages hold:
#   contents_test.sh vorlune-VERSION-windows-x64.zip vorlune_VERSION_amd64.deb VERSION
#                    vorlune-VERSION-windows-x64-setup.exe
# The zip: the two programs with the read-me and the licence, each with the
# version and one manifest among its resources. The installer: a 64-bit
# Unicode one (the only kind 64-bit Windows runs without its 32-bit part)
# carrying the zip's very files and its uninstaller, listed without Wine. The .deb: the files where
# Debian keeps them, the version, man pages that render, and no lintian error
# (lintian also wants the dependencies computed from the binaries), nor the
# informational tags of an unneeded section or lazy binding.
set -uo pipefail

ZIP=$1
DEB=$2
VERSION=$3
SETUP=$4
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
for program in Vorlune.scr Vorlune.dll; do
    # Type and name of each resource: one version (16) and one manifest (24),
    # each named 1, the manifest Windows reads at start.
    resources=$(x86_64-w64-mingw32-objdump -p "$WORK/zip/$program" |
        sed -n '/The .rsrc Resource Directory/,/^$/p' |
        awk '/^[0-9a-f]+   Entry: / { type = $4 } /^[0-9a-f]+     Entry: / { print type $4 }' |
        grep -E '^0x0000(10|18),' | tr '\n' ' ')
    [ "$resources" = "0x000010,0x000001, 0x000018,0x000001, " ] ||
        fail "$program: version and manifest resources are: $resources"
    # The version is this one; the manifest parses (Windows starts no program whose manifest does not).
    python3 -c 'import re, sys, xml.etree.ElementTree as xml
data = open(sys.argv[1], "rb").read()
assert sys.argv[2].encode("utf-16-le") in data, "not version " + sys.argv[2]
xml.fromstring(re.search(rb"<assembly\b.*?</assembly>", data, re.S).group())' "$WORK/zip/$program" "$VERSION" ||
        fail "$program: its version or manifest"
done

# --- the installer
listing=$(7zz l -slt "$SETUP") || fail "7zz cannot list $SETUP"
grep -qx 'SubType = NSIS-3 Unicode 64-bit' <<<"$listing" || fail "$SETUP is no 64-bit Unicode installer"
payload=$(sed -n 's/^Path = //p' <<<"$listing" | grep -v -e '^\$PLUGINSDIR/' -e "^$SETUP\$" | sort | tr '\n' ' ')
[ "$payload" = "LICENSE.txt README.txt Uninstall.exe Vorlune.dll.new Vorlune.scr.new " ] ||
    fail "the installer holds: $payload"
7zz x -o"$WORK/setup" "$SETUP" >/dev/null || fail "7zz cannot extract $SETUP"
for file in Vorlune.scr Vorlune.dll README.txt LICENSE.txt; do
    packed=$WORK/setup/$file
    [ -f "$packed" ] || packed=$packed.new
    cmp -s "$WORK/zip/$file" "$packed" || fail "the installer's $file is not the zip's"
done

# --- the .deb
dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' |
    sort >"$WORK/files.txt" || fail "dpkg-deb -c failed"
sort >"$WORK/expected.txt" <<'EOF'
./usr/bin/vorlune -> ../libexec/xscreensaver/vorlune
./usr/bin/vorlune-tool
./usr/libexec/xscreensaver/vorlune
./usr/share/doc/vorlune/changelog.gz
./usr/share/doc/vorlune/copyright
./usr/share/man/man1/vorlune-tool.1.gz
./usr/share/man/man6/vorlune.6.gz
./usr/share/vorlune/vorlune-idle.desktop
./usr/share/xscreensaver/config/vorlune.xml
EOF
diff -u "$WORK/expected.txt" "$WORK/files.txt" >&2 || fail "the .deb's files differ (above)"
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ] || fail "the .deb's version is not $VERSION"
# the libraries both displays need, as dpkg-shlibdeps found them
depends=$(dpkg-deb -f "$DEB" Depends)
for library in libx11-6 libxrandr2 libwayland-client0 libwayland-egl1 libxkbcommon0 libegl1 libglx0 \
    libdecor-0-0 libdecor-0-plugin-1-cairo libsystemd0; do
    grep -q "\b$library\b" <<<"$depends" || fail "the .deb does not depend on $library: $depends"
done

dpkg-deb -x "$DEB" "$WORK/root" || fail "dpkg-deb -x failed"
for page in man6/vorlune.6.gz man1/vorlune-tool.1.gz; do
    text=$(MANWIDTH=80 man --warnings -l "$WORK/root/usr/share/man/$page" 2>"$WORK/man.log")
    [ -s "$WORK/man.log" ] && fail "man -l $page: $(cat "$WORK/man.log")"
    [[ $text == *"$VERSION"* && $text == *SYNOPSIS* ]] || fail "man -l $page shows no synopsis and version"
done

lintian --fail-on error --display-info "$DEB" 2>&1 | grep -v 'running with root privileges' |
    tee "$WORK/lintian.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian found errors"
# Of its informational tags, these two: a section nothing needs, symbols bound lazily.
grep -q -E 'binary-has-unneeded-section|hardening-no-bindnow' "$WORK/lintian.txt" &&
    fail "lintian: a .comment section or no -z now (above)"

[ "$failures" -eq 0 ] || exit 1
echo "passed: package contents"
