# Sourced helpers for finding and closing the utility's windows under X.
# wait_for_window NAME SECONDS: prints the X window id of the first visible window
# whose title is exactly NAME, or fails after SECONDS.
wait_for_window() {
  local name=$1 seconds=$2 id="" i
  for i in $(seq 1 $((seconds * 5))); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}
# press_key WINDOW KEY: gives WINDOW the keyboard focus and presses KEY, as a
# player at the keyboard would.
press_key() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.2
  xdotool key --clearmodifiers "$2"
}
# wait_for_exit PID SECONDS: waits for a background job; its exit code becomes ours.
# Fails with 124 if it is still running after SECONDS.
wait_for_exit() {
  local pid=$1 seconds=$2 i
  for i in $(seq 1 $((seconds * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      return $?
    fi
    sleep 0.1
  done
  return 124
}
