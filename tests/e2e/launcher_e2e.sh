#!/usr/bin/env bash
# Starts the built utility from a fresh folder, as a player would, and checks that
# it settles beside itself, shows the launcher and ends cleanly on Escape.
# Usage: launcher_e2e.sh <velmora-config.exe> <wine-run wrapper>
set -uo pipefail
exe=$1
wine_run=$2
deaths_log="$(dirname "$wine_run")/wine-deaths.log"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/window.sh"

fail() { echo "FAIL: $*"; show_wine_errors "${errors:-}"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY (scripts/test.sh starts Xvfb)"

game=$(mktemp -d)/"Velmora Game"
mkdir -p "$game"
cp "$exe" "$game/velmora-config.exe"
trap 'rm -rf "$(dirname "$game")"' EXIT

# Started from another folder: the utility must still put config beside itself.
cd /
errors="$(dirname "$game")/wine.err"
LANG=ko_KR.UTF-8 "$wine_run" "$game/velmora-config.exe" 2>"$errors" &
pid=$!

window=$(wait_for_window "Velmora Config" 60) || fail "the launcher window did not appear"
echo "launcher window: $window"
[ -d "$game/config" ] || fail "config was not created beside the exe"
[ ! -e "/config" ] || echo "note: /config exists (not made by this test?)"

press_key "$window" Escape
wait_for_exit "$pid" 30
code=$?
[ $code -ne 124 ] || fail "the utility was still running 30 s after Escape"
pid=""
problem=$(exit_problem "$code" "$errors" "$deaths_log")
[ -z "$problem" ] || fail "$problem"
if xdotool search --onlyvisible --name '^Velmora Config$' >/dev/null 2>&1; then
  # Another test may show its own launcher on this display; ours is gone if the
  # window id we saw no longer exists.
  xdotool getwindowname "$window" >/dev/null 2>&1 && fail "the launcher window is still there"
fi
echo "PASS: launcher shown, config created, Escape ended it cleanly"
