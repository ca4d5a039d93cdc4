# Sourced, not run: a private headless X server, 1024x768x24 like the Wine virtual desktop, for
# the scripts and tests that run Windows programs under Wine.

private_display_pid=

# Starts the server and exports its DISPLAY. Returns 1 (no server left running) when it has not
# come up within 20 s.
start_private_display() {
  local fifo number
  fifo="$(mktemp -u)"
  mkfifo "$fifo" || return 1
  # Xvfb picks a free display number and writes it to fd 3 once it accepts connections.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  private_display_pid=$!
  if ! read -r -t 20 number <"$fifo"; then
    rm -f "$fifo"
    stop_private_display
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$number"
}

# Ends the server started above, if any.
stop_private_display() {
  [[ -n "$private_display_pid" ]] || return 0
  kill "$private_display_pid" 2>/dev/null || true
  wait "$private_display_pid" 2>/dev/null || true
  private_display_pid=
}
