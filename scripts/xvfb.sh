# Sourced by the scripts that need a display. `start_xvfb` starts one Xvfb on a
# free display, exports DISPLAY and remembers its process id; `stop_xvfb` stops
# exactly that process.
XVFB_PID=""
start_xvfb() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ]; then break; fi
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    echo "xvfb: Xvfb did not start" >&2
    kill "$XVFB_PID" 2>/dev/null || true
    rm -f "$fdfile"
    return 1
  fi
  export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
  rm -f "$fdfile"
}
stop_xvfb() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
