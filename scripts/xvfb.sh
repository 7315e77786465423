# Sourced by the scripts that need a display. `start_xvfb` starts one Xvfb on a
# free display, exports DISPLAY and remembers its process id (called again, it
# starts one more display: the tests run in lanes); `stop_xvfb` stops
# exactly the processes it started.
XVFB_PIDS=()
start_xvfb() {
  local fdfile pid
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  pid=$!
  XVFB_PIDS+=("$pid")
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ]; then break; fi
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    echo "xvfb: Xvfb did not start" >&2
    rm -f "$fdfile"
    return 1
  fi
  export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
  rm -f "$fdfile"
}
stop_xvfb() {
  local pid
  for pid in "${XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  XVFB_PIDS=()
}
