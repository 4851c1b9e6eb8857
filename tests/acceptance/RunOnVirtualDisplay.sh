#!/bin/bash
# Runs a test program on a virtual X display, or offscreen where no X server can be started.
set -u
source "$(dirname "$0")/../../scripts/virtual-display.sh"
if [[ -z "${DISPLAY:-}" ]] && ! start_virtual_display; then
  echo "running offscreen instead" >&2
  export QT_QPA_PLATFORM=offscreen
fi
[[ -n "${DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]] && export QT_QPA_PLATFORM=xcb
"$@"
status=$?
stop_virtual_display
exit $status
