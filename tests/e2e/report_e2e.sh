#!/usr/bin/env bash
# "velmora-config.exe /report" under Wine, started from a shell as a player
# asked for a report would start it. It must show no window, print the report's
# path, and write config\report.txt only:
#  (a) a fresh folder: the devices and modes display_probe lists, no controller,
#      neither settings file (and neither created);
#  (b) a malformed graphic.cfg and input.cfg: the corrections listed, both files
#      byte for byte as they were;
#  (c) "config" a file, not a folder: exit code 1;
#  (d) ddraw.dll and dinput.dll missing: a line each, exit code 0;
#  (e) a dinput.dll of scripted controllers beside the exe (no controller can be
#      attached here): a force-feedback wheel's actuators and effects, an XInput
#      pad by its device path, Steam Input's virtual pad, each in its block.
# Usage: report_e2e.sh <velmora-config.exe> <wine-run wrapper> <display_probe.exe> <scripted dinput.dll>
set -uo pipefail
. "$(dirname "$0")/e2e_common.sh"
probe=$3
report="$game/config/report.txt"

# run_report EXPECTED-CODE: /report from another folder, watching that no window
# of it is ever visible; its output goes to $work/out. Variables set on the call
# (VAR=value run_report ...) reach Wine.
run_report() {
  local expected=$1 i
  start_utility /report >"$work/out"
  for i in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || break
    xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && fail "/report showed a window"
    sleep 0.1
  done
  utility_ended "/report was still running after 60 s"
  if [ "$expected" = 0 ]; then
    judge_exit
  else
    [ "$code" = "$expected" ] || fail "exit code $code, expected $expected"
    grep -q '^wine: Unhandled' "$errors" && fail "the utility faulted"
  fi
  tail -n 1 "$report" 2>/dev/null | tr -d '\r'  # the report's own timing, for the log
}

# grep reads to the end: one that quit at the first match would leave tr
# writing into a closed pipe, and pipefail would call that a failure.
has() {  # has TEXT: the report holds this line (CR LF stripped), or the test fails
  tr -d '\r' <"$report" | grep -xF -- "$1" >/dev/null || { cat "$report"; fail "no line '$1' in the report"; }
}

# (a) A fresh folder.
run_report 0
grep -qE '^Z:.*\\Velmora Game\\config\\report\.txt'$'\r''$' "$work/out" ||
  fail "(a) the report's path was not printed: $(cat "$work/out")"
[ "$(head -c 3 "$report" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "(a) no byte-order mark"
[ "$(ls "$game/config")" = report.txt ] || fail "(a) config holds more: $(ls "$game/config")"
"$wine_run" "$probe" </dev/null | tr -d '\r' | awk -F'\t' '
  $1=="device" {print "    Device row " $2 ": \"" $3 "\""; print "      texture stages: " $4
                print "      windowed rendering: " ($5 ? "yes" : "no")}
  $1=="mode" {print "      mode " $2 ": " $3 " x " $4 " : " $5 " bit color"}' >"$work/expected"
[ -s "$work/expected" ] || fail "the probe listed no device"
tr -d '\r' <"$report" | grep -E '^    Device row |^      (texture stages|windowed rendering|mode [0-9]+):' \
  >"$work/listed"
diff "$work/expected" "$work/listed" || fail "(a) devices and modes differ from the probe's"
has "Devices listed: $(grep -c 'Device row' "$work/expected") (at most 16)"
# Wine here renders with OpenGL: every listed device is made, and nothing opens
# the report with a warning.
[ "$(tr -d '\r' <"$report" | grep -cE '^  row [0-9]+ ".*": renders: yes$')" = "$(grep -c 'Device row' "$work/expected")" ] ||
  { tr -d '\r' <"$report" | grep 'renders: '; fail "(a) not every listed device renders"; }
grep -q 'rendering does not work' "$report" && fail "(a) the report says 3D rendering does not work"
has "Game controllers attached: 0; listed: 0 (at most 16)"
has "File: absent or unreadable; the first-run defaults are used"
has "The control settings would open on row 0 \"キーボード\" with its preset: no file was read"
echo "PASS (a): a fresh folder, $(wc -l <"$work/listed") device and mode lines as the probe's"

# (b) Both files wrong for this machine: listed as corrected, left as they were.
printf 'VERSION=7\r\nDEVICE="No Such Device 9000"\r\nWIDTH=1234\r\nHEIGHT=567\r\nCOLORDEPTH=8\r\nTEXTUREQUALITY=9\r\n' \
  >"$game/config/graphic.cfg"
printf 'DEVICE="Velmora Racing Wheel"\nLEFT=500,1,12,-980\n; a remark\n' >"$game/config/input.cfg"
cp "$game/config/graphic.cfg" "$game/config/input.cfg" "$work/"
run_report 0
cmp -s "$work/graphic.cfg" "$game/config/graphic.cfg" || fail "(b) graphic.cfg changed"
cmp -s "$work/input.cfg" "$game/config/input.cfg" || fail "(b) input.cfg changed"
has "  DEVICE \"No Such Device 9000\": this machine has no device of that name; row 0 is shown"
tr -d '\r' <"$report" | grep '^  WIDTH 1234, HEIGHT 567, COLORDEPTH 8: not a mode of this device; ' >/dev/null ||
  fail "(b) the mode's correction is missing"
has "  TEXTUREQUALITY 9: outside 0 to 4; 4"
has "The control settings would open on row 0 \"キーボード\" with its preset: the named controller \"Velmora Racing Wheel\" is not attached"
has "  LEFT: row 500: outside its table (rows 0 to 56); Analog; calibration 12 to -980"
[ "$(ls "$game/config" | tr '\n' ' ')" = "graphic.cfg input.cfg report.txt " ] ||
  fail "(b) config holds: $(ls "$game/config")"
echo "PASS (b): the corrections listed, both files unchanged"

# (c) "config" is a file: nothing can be written, and nothing is shown.
rm -rf "$game/config"
echo "not a folder" >"$game/config"
run_report 1
[ "$(cat "$game/config")" = "not a folder" ] || fail "(c) the file config changed"
grep -q 'could not be written' "$work/out" || fail "(c) nothing said on the output: $(cat "$work/out")"
rm -f "$game/config"
echo "PASS (c): config a file, exit code 1, no window"

# (d) Neither DirectX library can be loaded.
WINEDLLOVERRIDES="mscoree,mshtml=;ddraw,dinput=d" run_report 0
has "DirectDrawEnumerateExA failed: 0x8007007E (ddraw.dll could not be loaded)"
has "DirectInput: could not be created: 0x8007007E (dinput.dll could not be loaded); the control settings would not open"
echo "PASS (d): missing DirectX libraries are lines of the report"

# (e) Today's controllers, through the utility's own loading of dinput.dll.
cp "$4" "$game/dinput.dll"
WINEDLLOVERRIDES="mscoree,mshtml=;dinput=n" run_report 0
rm -f "$game/dinput.dll"
has "  axes given the range -1000 to 1000: X, Y, Rz, Slider 1"
has "  force feedback axes: X; effects: constant force, sine, damper"
tr -d '\r' <"$report" | grep -A9 '^  instance name: "Scripted Pad"$' |
  grep -qxF "  an XInput pad (its device path carries IG_): its two triggers share one axis (Z) and cancel out when pressed together" ||
  { cat "$report"; fail "(e) the XInput pad's line is missing from its block"; }
has "  Steam Input's virtual pad, shown in place of the controller itself: turn Steam Input off for this program in Steam to see the controller"
has "Game controllers attached: 3; listed: 3 (at most 16)"
echo "PASS (e): the force feedback, XInput and Steam lines of scripted controllers"
