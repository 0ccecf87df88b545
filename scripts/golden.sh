#!/usr/bin/env bash
# Rewrites the golden frames in tests/render/golden after an intended change to
# the picture: builds the linux preset's render tests and runs the golden test
# in its writing mode, which renders each frame with vorlune-tool's render
# command over the file it is compared with. Review the new pictures and commit
# them with the change.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

[ -f build/linux/build.ninja ] || cmake --preset linux >/dev/null
nice cmake --build --preset linux --target vorlune_render_tests
VORLUNE_GOLDEN_WRITE=1 build/linux/tests/vorlune_render_tests --gtest_filter='GoldenFrameTest.*'
git status --short tests/render/golden
