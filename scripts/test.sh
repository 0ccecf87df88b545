#!/usr/bin/env bash
# Runs every test: the native build, the sanitizer build, a short run of
# each fuzz target, the Windows cross build under Wine, the web page (after the
# native build, whose outputs it must reproduce), and the release packages
# made of those builds. Installs what it needs first.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1

scripts/setup.sh test || exit 1

passed=0
failed=0
status=0

step() {
    echo
    echo "=== $*"
}

# Runs one preset's build and tests, adding its counts to the totals; the
# configure preset is the one of the same name unless given.
run_preset() {
    local preset=$1
    step "$preset: configure and build"
    if ! { cmake --preset "${2:-$preset}" >/dev/null && cmake --build --preset "$preset"; }; then
        echo "$preset: build failed"
        failed=$((failed + 1))
        status=1
        return
    fi
    step "$preset: tests"
    local log
    log=$(mktemp)
    ctest --preset "$preset" -j "$(nproc)" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    rm -f "$log"
    if [ -n "$line" ]; then
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    fi
    if [ "$rc" -ne 0 ]; then
        status=1
        [ -z "$line" ] && failed=$((failed + 1))
    fi
}

step "format"
if ! git ls-files -z '*.cpp' '*.hpp' | xargs -0 clang-format --dry-run --Werror; then
    echo "format: run clang-format -i on the files above"
    failed=$((failed + 1))
    status=1
fi

# Each fuzz target runs briefly over its corpus and counts as one test.
run_fuzz() {
    step "fuzz: build, and each target for $1 s"
    local log
    log=$(mktemp)
    scripts/fuzz.sh "$1" --fresh 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line
    line=$(grep -E '^fuzz: [0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1)
    rm -f "$log"
    if [ -n "$line" ]; then
        passed=$((passed + $(sed -E 's/^fuzz: ([0-9]+) passed.*/\1/' <<<"$line")))
        failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")))
    fi
    if [ "$rc" -ne 0 ]; then
        status=1
        [ -z "$line" ] && failed=$((failed + 1))
    fi
}

run_preset linux

# The offscreen renderer's 10-minute memory soak runs beside the rest, at the
# lowest priority and a few frames a second, and counts as one test.
soak_pid=
soak_log=$(mktemp)
if [ -x build/linux/tools/vorlune-tool ]; then
    VORLUNE_SOAK_FPS=${VORLUNE_SOAK_FPS:-10} scripts/soak.sh "${VORLUNE_SOAK_SECONDS:-600}" \
        >"$soak_log" 2>&1 &
    soak_pid=$!
    trap 'kill "$soak_pid" 2>/dev/null; rm -f "$soak_log"' EXIT
fi

run_preset sanitize
run_fuzz 20
run_preset windows
run_preset web
# The release packages, from the linux and windows builds above.
run_preset package linux

step "soak (started after the linux tests)"
if [ -n "$soak_pid" ] && wait "$soak_pid"; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    status=1
fi
cat "$soak_log"
rm -f "$soak_log"
trap - EXIT

echo
echo "${passed} passed, ${failed} failed"
exit $status
