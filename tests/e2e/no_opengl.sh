#!/usr/bin/env bash
# On an X server without GLX there is no OpenGL pixel format: the renderer
# says so in a message box captioned "ERROR", naming the failed call, and
# ends with exit code 0 once it is dismissed.
# shellcheck source=harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
setup 1024x768x24 -extension GLX

run_case "no pixel format: message box, exit code 0" \
    drive message "$renderer" "" ERROR 'No suitable pixel format found\n\nChoosePixelFormat: *'
finish
