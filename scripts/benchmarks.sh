#!/usr/bin/env bash
# Builds the Windows tree and runs the six benchmarks under Wine on a
# private Xvfb display. They report figures; none of them is a test.
#   - graphics_open_benchmark: the graphics button to its dialog shown, against
#     the bare DirectDraw enumeration (ratio);
#   - display_check_benchmark: the graphics test's first frame after the press
#     of "테스트", and its frames a second, at this display's size and 32 bits
#     (goals: at most 1.5 s, at least 30 a second);
#   - input_manager_poll_benchmark: one PollDevices, and one RefreshControllers
#     (the re-enumeration after a device change) with the fakes and with the
#     system's DirectInput, in microseconds;
#   - tick_benchmark: one 16 ms tick of the control and calibration dialogs,
#     also with the selected controller pulled out, and of the input test;
#   - report: velmora-config.exe /report, against the catalogue alone
#     (report-timing.sh);
#   - startup: the utility started to its launcher shown, against a bare dialog
#     program with the same template and manifest (tests/launcher/startup_benchmark.sh).
# Usage: [STARTUP_STARTS=n] benchmarks.sh [graphics|graphicstest|poll|tick|report|startup]...
# (all six by default; the start-up takes the median of 21 starts of each
# program unless told otherwise)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bash "$ROOT/scripts/bootstrap.sh"
. "$ROOT/scripts/build.sh"
. "$ROOT/scripts/xvfb.sh"
. "$ROOT/scripts/report-timing.sh"
build_win >/dev/null
# The benchmark programs are left out of the tests' build, which never runs them.
cmake --build "$WIN_BUILD" -j2 --target graphics_open_benchmark display_check_benchmark \
      input_manager_poll_benchmark tick_benchmark bare_launcher >/dev/null

start_xvfb
export WINEPREFIX="$WIN_BUILD/wineprefix" WINEARCH=$(wine_arch_of "$WIN_ARCH") WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1 || true; stop_xvfb' EXIT
wineserver -k >/dev/null 2>&1 || true
mkdir -p "$WINEPREFIX"
wineserver -p
prepare_wine_prefix

chosen=" ${*:-graphics graphicstest poll tick report startup} "
run() {
  [[ $chosen == *" $1 "* ]] || return 0
  echo "== $2"
  LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 "$WIN_BUILD/wine-run.sh" "$WIN_BUILD/tests/$2" "${@:3}" || true
  echo
}
run graphics graphics/graphics_open_benchmark.exe 10
run graphicstest graphics/display_check_benchmark.exe 5
run poll controls/input_manager_poll_benchmark.exe
run tick controls/tick_benchmark.exe
if [[ $chosen == *" report "* ]]; then
  echo "== velmora-config.exe /report"
  time_report 10
fi
if [[ $chosen == *" startup "* ]]; then
  echo "== start-up"
  bash "$ROOT/tests/launcher/startup_benchmark.sh" "$WIN_BUILD/velmora-config.exe" \
    "$WIN_BUILD/tests/launcher/bare_launcher.exe" "$WIN_BUILD/wine-run.sh" "${STARTUP_STARTS:-21}" || true
fi
