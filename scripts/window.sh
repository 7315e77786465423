# Sourced helpers for finding and closing the utility's windows under X, and
# for judging how its run under Wine ended.
. "$(dirname "${BASH_SOURCE[0]}")/wine-outcome.sh"
# wait_for_window NAME SECONDS: prints the X window id of the first visible window
# whose title is exactly NAME, or fails after SECONDS. Each try starts only
# xdotool and sleep: the tests wait here hundreds of times, and every process
# started costs a few milliseconds of processor time beside the lanes.
wait_for_window() {
  local name=$1 tries=$(($2 * 5)) id=""
  while [ "$tries" -gt 0 ]; do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null)
    if [ -n "$id" ]; then
      echo "${id%%$'\n'*}"
      return 0
    fi
    sleep 0.2
    tries=$((tries - 1))
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
  local pid=$1 tries=$(($2 * 10))
  while [ "$tries" -gt 0 ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      return $?
    fi
    sleep 0.1
    tries=$((tries - 1))
  done
  return 124
}
# exit_problem CODE ERRORS DEATHS_LOG: prints what was wrong with how the
# utility's run under Wine ended (its exit code CODE, Wine's stderr in the file
# ERRORS), or nothing when it ended well. A fault or any code but 0 is wrong; a
# signal that killed Wine (see wine-outcome.sh) is logged to DEATHS_LOG and not
# held against the run, whose windows and files the test checks anyway.
exit_problem() {
  local code=$1 errors=$2 log=$3
  case $(wine_outcome "$code" "$errors") in
    faulted)
      echo "the utility faulted under Wine (exit code $code): $(grep -m1 '^wine: Unhandled ' "$errors")" ;;
    wine-died)
      echo "e2e: Wine died of signal $((code - 128)) as the utility ended, in $(basename "$0")" |
        tee -a "$log" >&2 ;;
    failed)
      echo "exit code $code, expected 0" ;;
  esac
}
# show_wine_errors FILE: prints Wine's stderr of a run, kept in FILE, if any.
show_wine_errors() {
  if [ -n "$1" ] && [ -s "$1" ]; then
    echo "--- Wine's stderr"
    cat "$1"
  fi
}
