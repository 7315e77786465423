#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the settings
# code natively under sanitizers and its fuzz target, the Windows test programs
# and the end-to-end test under Wine on a private Xvfb display.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bash "$ROOT/scripts/bootstrap.sh"
. "$ROOT/scripts/build.sh"
. "$ROOT/scripts/xvfb.sh"

build_host
build_win with-host

start_xvfb
export WINEPREFIX="$WIN_BUILD/wineprefix" WINEARCH=$(wine_arch_of "$WIN_ARCH") WINEDEBUG=-all
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  stop_xvfb
}
trap cleanup EXIT
# One wineserver for the whole run, started before anything else uses the prefix
# (a server that is already running would ignore -p), so that each test program
# starts in a fraction of a second instead of seconds.
wineserver -k >/dev/null 2>&1 || true
mkdir -p "$WINEPREFIX"
wineserver -p
prepare_wine_prefix

rm -f "$WIN_BUILD/wine-deaths.log"
status=0
# Two at a time: the tests that run Windows programs hold one lock and still run
# one by one (see tests/CMakeLists.txt); the host's sanitizer tests, its fuzzing
# and the release checks run beside them.
ctest --test-dir "$WIN_BUILD" --output-on-failure -j2 "$@" || status=$?
if [ -s "$WIN_BUILD/wine-deaths.log" ]; then
  echo "Wine itself died of a signal here (test programs were run once more; an end-to-end run that had done its work was let pass):"
  cat "$WIN_BUILD/wine-deaths.log"
fi
exit "$status"
