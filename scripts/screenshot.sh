#!/usr/bin/env bash
# Shows the launcher of <exe> on a private Xvfb display, saves a picture of it to
# <png>, closes it with Escape and reports.
# Usage: screenshot.sh <velmora-config.exe> <png>
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shot=$2
. "$ROOT/scripts/xvfb.sh"
. "$ROOT/scripts/window.sh"
. "$ROOT/scripts/build.sh"  # for prepare_wine_prefix
WIN_BUILD=$(dirname "$exe")

start_xvfb
prepare_wine_prefix
# Xvfb has no window manager to draw the frame: let Wine draw the caption bar
# itself for the picture, and hand that back to the desktop's manager afterwards.
decorations() { "$WIN_BUILD/wine-run.sh" reg "$@" >/dev/null 2>&1 || true; }
decorations add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
finish() {
  decorations delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f
  # Let Wine's own processes end while their display still exists.
  WINEPREFIX="$WIN_BUILD/wineprefix" timeout 20 wineserver -w >/dev/null 2>&1 || true
  stop_xvfb
}
trap finish EXIT
LANG=${SHOT_LANG:-ko_KR.UTF-8} "$WIN_BUILD/wine-run.sh" "$exe" &
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
