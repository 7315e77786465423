#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the settings
# code natively under sanitizers and its fuzz target, the Windows test programs
# and the end-to-end test under Wine on a private Xvfb display.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bash "$ROOT/scripts/bootstrap.sh"
. "$ROOT/scripts/build.sh"
. "$ROOT/scripts/xvfb.sh"

# The Windows tests run in lanes (tests/CMakeLists.txt): each lane has its own
# Xvfb display, Wine prefix and persistent Wine server, and every Windows test
# takes a free one (build/win/wine-lane.sh), so they run at once without
# meeting.
# As many lanes as tests run at once: four, though the release checks, the
# host's sanitizer tests and fuzzing need none. The end-to-end runs mostly wait
# for windows: on a machine of two cores, three lanes kept the processors 90 %
# busy over ctest's run (about 68 % for the half minute after the release check
# ended), and it took 118 s; four kept them 95 % busy, and it took 115 s.
lanes=${VELMORA_TEST_LANES:-4}
WIN_ARCH=$(win_test_arch)
export WINEARCH=$(wine_arch_of "$WIN_ARCH") WINEDEBUG=-all
# The X library looks for the user's X resources each time Wine makes a pixmap
# while it has found none: on Xvfb that was two failed opens and a uname per
# pixmap, about 100,000 calls for one test of eleven control dialogs. An empty
# resource file, found once, ends that; the tests' displays have no resources
# either way.
export XENVIRONMENT=/dev/null
# The first lane's prefix is the build's own, which run.sh, the pictures and
# the benchmarks use too; the others lie beside it.
lane_prefix() {
  if [ "$1" = 1 ]; then echo "$WIN_BUILD/wineprefix"; else echo "$WIN_BUILD/wineprefix-lane$1"; fi
}
displays=()
making=""
building_host=""
cleanup() {
  local lane
  [ -z "$making" ] || kill "$making" 2>/dev/null || true
  [ -z "$building_host" ] || kill "$building_host" 2>/dev/null || true
  for lane in $(seq 1 "$lanes"); do
    WINEPREFIX=$(lane_prefix "$lane") wineserver -k >/dev/null 2>&1 || true
  done
  stop_xvfb
}
trap cleanup EXIT
for lane in $(seq 1 "$lanes"); do
  start_xvfb
  displays[$lane]=$DISPLAY
done

# A prefix is made once. The other lanes' prefixes are copies of the first,
# made once it is prepared and its server has ended (so its registry is on
# disk): copying the 700 MB of a 64-bit prefix took 5 s on a busy machine of
# two cores, where making one took 37 s. Making it needs only the configured
# tree (its wine-run.sh), so it runs beside the build.
copy_first=0
for lane in $(seq 2 "$lanes"); do
  [ -f "$(lane_prefix "$lane")/system.reg" ] || copy_first=1
done
if [ ! -f "$(lane_prefix 1)/system.reg" ] || [ $copy_first = 1 ]; then
  configure_win "$WIN_BUILD"
  (
    export WINEPREFIX=$(lane_prefix 1) DISPLAY=${displays[1]}
    wineserver -k >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX"
    prepare_wine_prefix
    wineserver -w
    for lane in $(seq 2 "$lanes"); do
      prefix=$(lane_prefix "$lane")
      if [ ! -f "$prefix/system.reg" ]; then
        rm -rf "$prefix"
        cp -a "$(lane_prefix 1)" "$prefix"
      fi
    done
  ) &
  making=$!
fi

# The host build beside the Windows one: each leaves the processors idle while
# it configures and links.
mkdir -p "$BUILD_ROOT"
build_host >"$BUILD_ROOT/host-build.log" 2>&1 &
building_host=$!
build_win with-host
if ! wait "$building_host"; then
  cat "$BUILD_ROOT/host-build.log" >&2
  echo "test: the host build failed" >&2
  exit 1
fi
building_host=""
if [ -n "$making" ]; then
  wait "$making" || { echo "test: making the Wine prefixes failed" >&2; exit 1; }
  making=""
fi

# One persistent wineserver per lane for the whole run, started before anything
# else uses the prefix (a server that is already running would ignore -p), so
# that each test program starts in a fraction of a second instead of seconds;
# the lanes get ready side by side.
mkdir -p "$WIN_BUILD/lanes"
preparing=()
for lane in $(seq 1 "$lanes"); do
  prefix=$(lane_prefix "$lane")
  (
    export WINEPREFIX=$prefix DISPLAY=${displays[$lane]}
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p
    prepare_wine_prefix
  ) &
  preparing+=($!)
  printf 'DISPLAY=%s\nWINEPREFIX=%s\n' "${displays[$lane]}" "$prefix" >"$WIN_BUILD/lanes/$lane.env"
done
wait "${preparing[@]}"
export VELMORA_LANES=$lanes

rm -f "$WIN_BUILD/wine-deaths.log"
status=0
ctest --test-dir "$WIN_BUILD" --output-on-failure -j"$lanes" "$@" || status=$?
if [ -s "$WIN_BUILD/wine-deaths.log" ]; then
  echo "Wine itself died of a signal here (test programs were run once more; an end-to-end run that had done its work was let pass):"
  cat "$WIN_BUILD/wine-deaths.log"
fi
exit "$status"
