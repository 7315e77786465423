#!/usr/bin/env bash
# Pictures of the utility as a player sees it under Wine.
#   screenshot.sh <velmora-config.exe> <png>
#       the launcher, saved to <png>, in the Korean locale (or the locale that
#       VELMORA_LOCALE names: any but a Korean one shows the English interface);
#   screenshot.sh --all <velmora-config.exe> <dir>
#       the four dialogs in Korean (ko_KR.UTF-8), saved to <dir>: launcher.png,
#       graphic-settings.png (with Wine's devices), control-settings.png (the
#       keyboard, first run), input-test.png (its input test over the keyboard,
#       X held: Accelerate lit) and calibration.png (reached with the keyboard,
#       over an input.cfg that sets the steering to Analog); the graphics test at the
#       screen's size and 32 bits (graphics-test.png, the whole screen) and the
#       graphic settings with each status after it:
#       graphic-settings-confirmed.png (Enter), graphic-settings-not-confirmed.png
#       (Escape) and graphic-settings-failed.png (Wine's Direct3D set to draw
#       nothing for that run); then the same nine in English (en_US.UTF-8), as
#       launcher-en.png and so on.
# The utility runs from a copy in a temporary game folder, so no settings file
# is left behind. It runs on a private Xvfb display, or, with
# SHOT_DISPLAY=current, on the display in DISPLAY with the Wine server already
# running for the build's prefix (a test run's).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
all=0
if [ "${1:-}" = --all ]; then all=1; shift; fi
if [ $# -ne 2 ]; then
  echo "usage: screenshot.sh [--all] <velmora-config.exe> <png, or folder with --all>" >&2
  exit 2
fi
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$2
. "$ROOT/scripts/xvfb.sh"
. "$ROOT/scripts/window.sh"
. "$ROOT/scripts/build.sh"  # for prepare_wine_prefix
WIN_BUILD=$(dirname "$exe")
wine_run() { "$WIN_BUILD/wine-run.sh" "$@"; }

work=$(mktemp -d)
game="$work/Velmora Game"
mkdir -p "$game"
cp "$exe" "$game/velmora-config.exe"

own_display=1
[ "${SHOT_DISPLAY:-}" = current ] && [ -n "${DISPLAY:-}" ] && own_display=0
if [ $own_display -eq 1 ]; then
  start_xvfb
  prepare_wine_prefix
fi

# Xvfb has no window manager to draw the frame; the prefix leaves the windows
# unmanaged there (prepare_wine_prefix), so Wine draws the caption bar itself.
pid=""
direct3d='HKCU\Software\Wine\Direct3D'
no3d=0
finish() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  # Every other run renders: the no3d setting of a stopped run goes.
  [ "$no3d" = 1 ] && wine_run reg delete "$direct3d" /v renderer /f </dev/null >/dev/null 2>&1
  if [ $own_display -eq 1 ]; then
    # Let Wine's own processes end while their display still exists.
    WINEPREFIX="$WIN_BUILD/wineprefix" timeout 20 wineserver -w >/dev/null 2>&1 || true
    stop_xvfb
  fi
  rm -rf "$work"
}
trap finish EXIT

fail() { echo "screenshot: $*" >&2; exit 1; }
# window TITLE: the dialog of that title, once it shows.
window() { wait_for_window "$1" 60 || fail "the window '$1' did not appear"; }
# shoot WINDOW PNG: saves the window as it is drawn now.
shoot() {
  sleep 1  # let it finish painting
  mkdir -p "$(dirname "$2")"
  import -window "$1" "$2"
  echo "saved $2"
}
# close WINDOW KEY: presses KEY in the window and waits until it is gone.
close() {
  local i
  press_key "$1" "$2"
  for i in $(seq 1 100); do
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.2
  done
  fail "a window stayed open after $2"
}
shot_locale=${VELMORA_LOCALE:-ko_KR.UTF-8}
start_utility() {
  LANG=$shot_locale LC_ALL=$shot_locale wine_run "$game/velmora-config.exe" &
  pid=$!
}
end_utility() {
  local code=0
  close "$(window "Velmora Config")" Escape
  wait_for_exit "$pid" 30 || code=$?
  pid=""
  echo "closed the launcher with Escape (exit code $code)"
  [ "$code" -eq 0 ]
}

if [ $all -eq 0 ]; then
  start_utility
  shoot "$(window "Velmora Config")" "$out"
  end_utility
  exit
fi

# shoot_all SUFFIX: the four dialogs in the interface of $shot_locale, saved as
# NAME$SUFFIX.png.
shoot_all() {
  local suffix=$1 launcher dialog calibration keyboard test
  rm -f "$game/config/input.cfg"
  start_utility
  launcher=$(window "Velmora Config")
  shoot "$launcher" "$out/launcher$suffix.png"

  # The graphic settings button has the focus when the launcher opens: Space
  # opens it.
  press_key "$launcher" space
  dialog=$(window "Velmora Graphic Setting")
  shoot "$dialog" "$out/graphic-settings$suffix.png"
  close "$dialog" Escape
  end_utility

  # The control settings button is the next one. No input.cfg yet: the
  # keyboard's first run.
  start_utility
  launcher=$(window "Velmora Config")
  press_key "$launcher" Tab
  press_key "$launcher" space
  dialog=$(window "Velmora Key Setting")
  shoot "$dialog" "$out/control-settings$suffix.png"
  # From OK, Tab passes Cancel, the device list and the reset button to
  # "테스트". X (Accelerate in the keyboard preset) is held while it is taken.
  press_key "$dialog" Tab
  for _ in 1 2 3; do xdotool key --clearmodifiers Tab; sleep 0.1; done
  xdotool key --clearmodifiers space
  test=$(window "Velmora Input Test")
  xdotool windowfocus --sync "$test" 2>/dev/null || xdotool windowfocus "$test"
  xdotool keydown x
  shoot "$test" "$out/input-test$suffix.png"
  xdotool keyup x
  close "$test" Escape
  close "$dialog" Escape

  # The keyboard with its steering stored as Analog: the steering's calibrate
  # button is enabled. From OK, Tab passes Cancel, the device list, the reset
  # and test buttons and the steering list (the greyed boxes are skipped) to
  # reach it.
  keyboard=$'\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68'  # "キーボード" in code page 932
  printf 'VERSION=1\r\nDEVICE="%s"\r\nFORCEFEEDBACK=0\r\nLEFT=111,1,0,-1000\r\nRIGHT=112,1,0,1000\r\nACCELE=45,0,0,-1000\r\nBRAKE=44,0,0,1000\r\nSHIFTUP=114\r\nSHIFTDOWN=109\r\nSIDEBRAKE=46\r\nLIGHT=32\r\nVIEWUP=30\r\nVIEWDOWN=31\r\n' \
    "$keyboard" >"$game/config/input.cfg"
  launcher=$(window "Velmora Config")
  press_key "$launcher" space
  dialog=$(window "Velmora Key Setting")
  sleep 0.5
  for _ in 1 2 3 4 5 6; do xdotool key --clearmodifiers Tab; sleep 0.1; done
  xdotool key --clearmodifiers space
  calibration=$(window "Calibration")
  shoot "$calibration" "$out/calibration$suffix.png"
  close "$calibration" Escape
  close "$dialog" Escape
  end_utility
}

# test_gone: waits until the graphics test's window has gone.
test_gone() {
  local i
  for i in $(seq 1 150); do
    xdotool search --onlyvisible --name '^Velmora Graphic Test$' >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the graphics test did not end"
}
# graphics_alone: starts /graphics, presses "테스트" (the third tab stop);
# sets dialog to the settings window.
graphics_alone() {
  LANG=$shot_locale LC_ALL=$shot_locale "$WIN_BUILD/wine-run.sh" "$game/velmora-config.exe" /graphics \
    >/dev/null &
  pid=$!
  dialog=$(window "Velmora Graphic Setting")
  press_key "$dialog" Tab
  xdotool key --clearmodifiers Tab
  press_key "$dialog" space
}
# end_alone DIALOG: Escape on the settings, once more should the first one go
# astray (seen once on a loaded machine, right after a test had ended).
end_alone() {
  local i
  press_key "$1" Escape
  for i in $(seq 1 25); do
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || break
    sleep 0.2
  done
  [ "$i" -lt 25 ] || close "$1" Escape
  wait_for_exit "$pid" 30 || fail "/graphics did not end after Escape"
  pid=""
}
# shoot_painted WINDOW PNG: as shoot, for a window just uncovered by the
# graphics test's screen: a busy machine repaints it later, and until then
# the picture is one colour.
shoot_painted() {
  local tries
  for tries in $(seq 1 20); do
    sleep 0.5
    import -window "$1" "$2"
    [ "$(identify -format %k "$2")" -ge 10 ] && break
  done
  echo "saved $2"
}
# shoot_tests SUFFIX: the graphics test and the three statuses after it.
shoot_tests() {
  local suffix=$1 test
  read -r width height < <(xdotool getdisplaygeometry)
  printf 'VERSION=2\r\nMULTITEXTURE=1\r\nWIDTH=%s\r\nHEIGHT=%s\r\nCOLORDEPTH=32\r\nTEXTURECOMPRESS=1\r\n' \
    "$width" "$height" >"$game/config/graphic.cfg"
  graphics_alone
  test=$(window "Velmora Graphic Test")
  # Its first frames come a second or two after the window (more on a busy
  # machine): until then the screen is one colour.
  local tries
  for tries in $(seq 1 20); do
    sleep 0.5
    import -window root "$out/graphics-test$suffix.png"
    [ "$(identify -format %k "$out/graphics-test$suffix.png")" -ge 100 ] && break
  done
  echo "saved $out/graphics-test$suffix.png"
  press_key "$test" Return
  test_gone
  shoot_painted "$dialog" "$out/graphic-settings-confirmed$suffix.png"
  press_key "$dialog" space  # the focus is back on "테스트"
  # Escape ends it unconfirmed at once, with the status of a test left to run out.
  press_key "$(window "Velmora Graphic Test")" Escape
  test_gone
  shoot_painted "$dialog" "$out/graphic-settings-not-confirmed$suffix.png"
  end_alone "$dialog"
  # Direct3D that draws nothing, for this run only.
  no3d=1
  wine_run reg add "$direct3d" /v renderer /d no3d /f </dev/null >/dev/null 2>&1
  graphics_alone
  sleep 1
  test_gone
  shoot_painted "$dialog" "$out/graphic-settings-failed$suffix.png"
  end_alone "$dialog"
  wine_run reg delete "$direct3d" /v renderer /f </dev/null >/dev/null 2>&1
  no3d=0
  rm -f "$game/config/graphic.cfg"
}

shot_locale=ko_KR.UTF-8
shoot_all ""
shoot_tests ""
shot_locale=en_US.UTF-8
shoot_all -en
shoot_tests -en
