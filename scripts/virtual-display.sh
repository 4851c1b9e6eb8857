# Sourced by scripts and tests that need an X display where none is set.
#   start_virtual_display   starts Xvfb on a free display number, waits until it answers,
#                           exports DISPLAY and stops the server when the shell exits.
# -noreset matters: an X server resets itself when its last client leaves, and a program
# connecting during that reset is refused, so the readiness probe below would otherwise
# make the next program fail at random.

virtual_display_pid=

stop_virtual_display() {
  if [[ -n "$virtual_display_pid" ]]; then
    kill "$virtual_display_pid" 2>/dev/null || true
    wait "$virtual_display_pid" 2>/dev/null || true
    virtual_display_pid=
  fi
}

start_virtual_display() {
  local number attempt
  for number in $(seq 90 189); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    virtual_display_pid=$!
    for attempt in $(seq 100); do
      if DISPLAY=:$number xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=:$number
        unset WAYLAND_DISPLAY QT_QPA_PLATFORM
        return 0
      fi
      # Another server took the number first: try the next one.
      kill -0 "$virtual_display_pid" 2>/dev/null || break
      sleep 0.1
    done
    stop_virtual_display
  done
  echo "no virtual display could be started (is Xvfb installed?)" >&2
  return 1
}
