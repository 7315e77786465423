#!/usr/bin/env bash
# The graphics run of the built utility under Wine's own DirectDraw, driven by keys
# as a player would: Space on the launcher's first button opens "그래픽 설정",
# Enter is OK, Escape is Cancel. Checks what it writes to config\graphic.cfg
# against what the probe says this machine's catalogue offers:
#  (a) no file, OK: the defaults resolved against the first device;
#  (b) a file naming a missing device, an unsupported mode and out-of-range
#      options, OK: the resolved values written back;
#  (c) a file, Cancel: left byte for byte;
#  (d) the multitexture box, on a device that binds two or more textures (this
#      machine's Wine renders with OpenGL): reached by Tab, ticked with Space,
#      OK saves MULTITEXTURE=1.
# Usage: graphics_e2e.sh <velmora-config.exe> <wine-run wrapper> <display_probe.exe>
set -uo pipefail
. "$(dirname "$0")/e2e_common.sh"
probe=$3
cfg="$game/config/graphic.cfg"

read_catalogue "$probe"
echo "first device: '$device_name', texture stages $max_textures, windowed $windowed," \
     "$(wc -l <"$work/modes.txt") modes"

# graphics_run KEY...: starts the utility, opens the graphics run from the
# launcher with Space, presses the KEYs in the graphic dialog (the last ends it),
# then closes the launcher.
graphics_run() {
  local key launcher dialog i
  start_utility
  launcher=$(wait_for_window "Velmora Config" 60) || fail "the launcher did not appear"
  press_key "$launcher" space
  dialog=$(wait_for_window "Velmora Graphic Setting" 60) ||
    fail "Space on the launcher did not open the graphic settings"
  for key in "$@"; do press_key "$dialog" "$key"; done
  for i in $(seq 1 150); do
    xdotool search --onlyvisible --name '^Velmora Graphic Setting$' >/dev/null 2>&1 || break
    sleep 0.2
  done
  [ "$i" -lt 150 ] || fail "the graphic dialog stayed open after $key"
  # No message box may follow (a failed save would show one).
  sleep 0.5
  if xdotool search --onlyvisible --name '^Error$' >/dev/null 2>&1; then
    fail "an error message was shown after $key"
  fi
  launcher=$(wait_for_window "Velmora Config" 30) || fail "the launcher did not come back"
  press_key "$launcher" Escape
  ended_cleanly "the utility was still running 30 s after Escape"
}

compare() {  # compare NAME EXPECTED-FILE ACTUAL-FILE
  if ! cmp -s "$2" "$3"; then
    echo "--- expected"; od -c "$2" | head -20
    echo "--- written"; od -c "$3" | head -20
    fail "$1: graphic.cfg differs"
  fi
  echo "PASS: $1"
}

# (a) No file: the first device, 640 x 480 x 16 or its fallback, first-run options.
rm -f "$cfg"
graphics_run Return
[ -f "$cfg" ] || fail "(a) OK wrote no config\\graphic.cfg"
expected_graphic_cfg 1 640 480 16 0 2 0 0 >"$work/expected-a"
compare "(a) no file, OK" "$work/expected-a" "$cfg"

# (b) Everything in the file is wrong for this machine.
printf 'VERSION=7\r\nDEVICE="No Such Device 9000"\r\nMULTITEXTURE=7\r\nWIDTH=1234\r\nHEIGHT=567\r\nCOLORDEPTH=8\r\nTEXTUREDEPTH=24\r\nTEXTUREQUALITY=9\r\nTEXTURECOMPRESS=5\r\nWINDOW=1\r\n' >"$cfg"
graphics_run Return
expected_graphic_cfg 7 1234 567 8 0 4 1 1 >"$work/expected-b"
compare "(b) unknown device, unsupported mode, out-of-range options, OK" "$work/expected-b" "$cfg"

# (c) Cancel: a hand-edited file stays as it was, line ends and all.
printf 'VERSION=1\nDEVICE="%s"\nWIDTH=800\nHEIGHT=600\n\n; hand-edited\r\nTEXTUREQUALITY=0' \
  "$device_name" >"$cfg"
cp "$cfg" "$work/expected-c"
graphics_run Escape
compare "(c) Cancel leaves the file byte for byte" "$work/expected-c" "$cfg"

# (d) From OK, the sixth tab stop (after Cancel, Test and the three lists) is
# the multitexture box when it is enabled; greyed out, Tab passes it and Space
# would tick the compressed textures instead.
[ "$max_textures" -ge 2 ] ||
  fail "(d) the first device binds $max_textures textures at once: Wine's Direct3D does not render here (scripts/bootstrap.sh installs the 32-bit OpenGL it needs)"
printf 'VERSION=2\r\nDEVICE="%s"\r\nMULTITEXTURE=0\r\n' "$device_name" >"$cfg"
graphics_run Tab Tab Tab Tab Tab Tab space Return
expected_graphic_cfg 1 640 480 16 0 2 0 0 >"$work/expected-d"
compare "(d) the multitexture box enabled and ticked, OK saves MULTITEXTURE=1" "$work/expected-d" "$cfg"
[ -z "$(ls "$game/config" | grep -v '^graphic.cfg$')" ] || fail "files left in config: $(ls "$game/config")"
echo "PASS: graphics run end to end"
