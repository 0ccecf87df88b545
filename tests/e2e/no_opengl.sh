#!/usr/bin/env bash
# On an X server without GLX there is no OpenGL pixel format: the renderer
# says so in a message box captioned "ERROR", naming the failed call, and
# ends with exit code 0 once it is dismissed.
# shellcheck disable=SC2317  # the cases are called through run_case
# shellcheck source=e2e_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_env.sh"

setup 1024x768x24 -extension GLX

reports_and_exits() {
    drive expect-error "$renderer" "No suitable pixel format found" ChoosePixelFormat
}

run_case "no pixel format: message box, exit code 0" reports_and_exits
finish
