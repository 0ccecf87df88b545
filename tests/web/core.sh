#!/usr/bin/env bash
# The portable core built for the web, run under node, against the native
# build: the ball texture and the shells' meshes must be the same bytes.
#   core.sh NODE WEB_CORE_EXPORT_JS NATIVE_VORLUNE_TOOL WORK_DIR
set -uo pipefail
node=$1 export_js=$2 native_tool=$3 work=$4

if [ ! -x "$native_tool" ]; then
    echo "web.core: no native vorlune-tool at $native_tool: build the linux preset first" >&2
    exit 1
fi
rm -rf "$work" && mkdir -p "$work" || exit 1

failures=0
# Compares one output of both builds; prints its SHA-256.
compare() {
    local what=$1 native=$2 web=$3 sum_native sum_web
    if [ ! -s "$native" ] || [ ! -s "$web" ]; then
        echo "FAIL $what: an output is missing or empty ($native, $web)"
        failures=$((failures + 1))
        return
    fi
    sum_native=$(sha256sum <"$native" | cut -d' ' -f1)
    sum_web=$(sha256sum <"$web" | cut -d' ' -f1)
    if [ "$sum_native" = "$sum_web" ]; then
        echo "same $what: sha256 $sum_native"
    else
        echo "FAIL $what: native sha256 $sum_native, web $sum_web"
        cmp "$native" "$web" | head -n 1
        failures=$((failures + 1))
    fi
}

"$native_tool" texture --out "$work/native.ppm" >/dev/null
"$node" "$export_js" texture "$work/web.ppm"
compare texture "$work/native.ppm" "$work/web.ppm"
for t in 10 123.25; do
    "$native_tool" mesh --time "$t" --out "$work/native-$t.obj" >/dev/null
    "$node" "$export_js" mesh "$t" "$work/web-$t.obj"
    compare "mesh at t = $t" "$work/native-$t.obj" "$work/web-$t.obj"
done
[ "$failures" -eq 0 ]
