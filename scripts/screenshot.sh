#!/usr/bin/env bash
# Shows the launcher of <exe> on a private Xvfb display, saves a picture of it to
# <png>, closes it with Escape and reports.
# Usage: screenshot.sh <velmora-config.exe> <png>
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shot=$2
WIN_BUILD=$(dirname "$exe")
. "$ROOT/scripts/xvfb.sh"
. "$ROOT/scripts/window.sh"
. "$ROOT/scripts/build.sh"
WIN_BUILD=$(dirname "$exe")

start_xvfb
trap stop_xvfb EXIT
prepare_wine_prefix
LANG=ko_KR.UTF-8 "$WIN_BUILD/wine-run.sh" "$exe" &
pid=$!
if ! window=$(wait_for_window "Velmora Config" 60); then
  echo "the launcher did not appear" >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi
sleep 1  # let it finish painting
mkdir -p "$(dirname "$shot")"
import -window "$window" "$shot"
press_key "$window" Escape
code=0
wait_for_exit "$pid" 30 || code=$?
echo "screenshot of the launcher saved to $shot"
echo "closed the launcher with Escape (exit code $code)"
[ "$code" -eq 0 ]
