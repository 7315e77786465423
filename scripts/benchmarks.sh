#!/usr/bin/env bash
# Builds the Windows tree and runs the three benchmark programs under Wine on a
# private Xvfb display. They report figures; none of them is a test.
#   - graphics_open_benchmark: the graphics button to its dialog shown, against
#     the bare DirectDraw enumeration (ratio);
#   - input_manager_poll_benchmark: one PollDevices, and one RefreshControllers
#     (the re-enumeration after a device change) with the fakes and with the
#     system's DirectInput, in microseconds;
#   - tick_benchmark: one 16 ms tick of the control and calibration dialogs,
#     also with the selected controller pulled out;
#   - velmora-config.exe /report, against the catalogue alone (report-timing.sh).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bash "$ROOT/scripts/bootstrap.sh"
. "$ROOT/scripts/build.sh"
. "$ROOT/scripts/xvfb.sh"
. "$ROOT/scripts/report-timing.sh"
build_win >/dev/null

start_xvfb
export WINEPREFIX="$WIN_BUILD/wineprefix" WINEARCH=win32 WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1 || true; stop_xvfb' EXIT
wineserver -k >/dev/null 2>&1 || true
mkdir -p "$WINEPREFIX"
wineserver -p
prepare_wine_prefix

run() {
  echo "== $1"
  LANG=ko_KR.UTF-8 "$WIN_BUILD/wine-run.sh" "$WIN_BUILD/tests/$1" "${@:2}" || true
  echo
}
run graphics/graphics_open_benchmark.exe 10
run controls/input_manager_poll_benchmark.exe
run controls/tick_benchmark.exe
echo "== velmora-config.exe /report"
time_report 10
