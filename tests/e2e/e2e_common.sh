# Sourced by the end-to-end scripts, right after `set -uo pipefail`. They are
# started as  <script> <velmora-config.exe> <wine-run wrapper> [their own...]
# and get from here, once a display is known to be there:
#   exe, wine_run   the first two arguments;
#   deaths_log      where a signal that killed Wine is logged (exit_problem);
#   work            a fresh folder, removed when the script ends;
#   errors          Wine's stderr of the latest run of the utility;
#   game            "$work/Velmora Game", holding a copy of the exe and nothing else;
#   pid             the utility's process while it runs, else empty;
# the helpers of scripts/window.sh, and the functions below.
exe=$1
wine_run=$2
deaths_log="$(dirname "$wine_run")/wine-deaths.log"
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/window.sh"

pid=""
# fail MESSAGE: says what failed, shows Wine's stderr of the latest run, stops
# the utility if it still runs, and ends the script with 1.
fail() { echo "FAIL: $*"; show_wine_errors "${errors:-}"; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY (scripts/test.sh starts Xvfb)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
errors="$work/wine.err"
game="$work/Velmora Game"
mkdir -p "$game"
cp "$exe" "$game/velmora-config.exe" || fail "could not copy $exe"

# start_utility [ARGS...]: starts the copy in $game with ARGS, in the background
# and from another folder (it must settle beside itself all the same), in the
# Korean locale, with Wine's stderr in $errors; sets pid. Variables set on the
# call (WINEDLLOVERRIDES=... start_utility) reach Wine too.
start_utility() {
  (cd / && LANG=ko_KR.UTF-8 exec "$wine_run" "$game/velmora-config.exe" "$@" 2>"$errors") &
  pid=$!
}

# utility_ended STILL_RUNNING: waits up to 30 s for the utility to end; fails
# with the message STILL_RUNNING if it has not. Its exit code is left in code.
utility_ended() {
  wait_for_exit "$pid" 30
  code=$?
  [ "$code" -ne 124 ] || fail "$1"
  pid=""
}

# judge_exit [PREFIX]: fails, with PREFIX before the message, if the run that
# utility_ended saw end went wrong (exit_problem: a fault, or a code but 0).
judge_exit() {
  local problem
  problem=$(exit_problem "$code" "$errors" "$deaths_log")
  [ -z "$problem" ] || fail "${1:-}$problem"
}

# ended_cleanly STILL_RUNNING [PREFIX]: utility_ended, then judge_exit.
ended_cleanly() {
  utility_ended "$1"
  judge_exit "${2:-}"
}
