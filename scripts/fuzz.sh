#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz") and runs each one over its corpus.
#   scripts/fuzz.sh [seconds per target] [--fresh]
# Seconds default to 600. The corpora in fuzz/corpus/ are only read: new
# inputs go to build/fuzz/found/<target>/, kept from run to run, or with
# --fresh to a temporary directory removed afterwards. A failing input is
# left in build/fuzz/artifacts/. The last line says "fuzz: P passed, F failed".
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=600
fresh=0
for argument in "$@"; do
    case "$argument" in
        --fresh) fresh=1 ;;
        *[!0-9]* | '') echo "usage: $0 [seconds per target] [--fresh]" >&2; exit 2 ;;
        *) seconds=$argument ;;
    esac
done

command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing: run scripts/setup.sh test" >&2; exit 1; }

if ! { cmake --preset fuzz >/dev/null && cmake --build --preset fuzz; }; then
    echo "fuzz: build failed"
    echo "fuzz: 0 passed, 1 failed"
    exit 1
fi

bin=build/fuzz/fuzz
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

passed=0
failed=0
for corpus in fuzz/corpus/*/; do
    name=$(basename "$corpus")
    target=fuzz_$name
    if [ "$fresh" -eq 1 ]; then
        found=$scratch/$name
    else
        found=build/fuzz/found/$name
    fi
    mkdir -p "$found"
    log=$scratch/$name.log
    # The writable directory comes first: libFuzzer adds new inputs there.
    timeout $((seconds + 120)) "$bin/$target" -max_total_time="$seconds" -timeout=5 \
        -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$name-" "$found" "$corpus" >"$log" 2>&1
    rc=$?
    runs=$(sed -nE 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\1 runs in \2 s/p' "$log" | tail -n 1)
    if [ "$rc" -eq 0 ] && [ -n "$runs" ]; then
        echo "$target: passed, $runs"
        passed=$((passed + 1))
    else
        echo "$target: FAILED (exit $rc)${runs:+, $runs}"
        grep -E '^(==[0-9]+==|SUMMARY|artifact_prefix|Test unit written|.*runtime error)' "$log" | head -n 20
        tail -n 40 "$log"
        echo "reproduce: $bin/$target <the file written above>"
        failed=$((failed + 1))
    fi
done

if [ "$fresh" -eq 0 ]; then
    echo "new inputs are in build/fuzz/found/; to keep those that add coverage:"
    echo "  $bin/fuzz_<name> -merge=1 fuzz/corpus/<name> build/fuzz/found/<name>"
fi
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
