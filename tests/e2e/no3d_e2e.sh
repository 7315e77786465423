#!/usr/bin/env bash
# The utility where Wine's Direct3D cannot draw, as for a player whose 32-bit
# OpenGL is missing or broken: Wine is told to run Direct3D without OpenGL
# (HKCU\Software\Wine\Direct3D, renderer = no3d) for this script only.
#  (a) /graphics: the devices Wine still lists, the multitexture box off, and OK
#      writes what the probe's catalogue resolves to;
#  (b) /report: every listed device "renders: no", the renderer setting named,
#      and the report opens with the sentence that 3D rendering does not work.
# Usage: no3d_e2e.sh <velmora-config.exe> <wine-run wrapper> <display_probe.exe>
set -uo pipefail
. "$(dirname "$0")/e2e_common.sh"
probe=$3
report="$game/config/report.txt"
direct3d='HKCU\Software\Wine\Direct3D'

"$wine_run" reg add "$direct3d" /v renderer /d no3d /f </dev/null >/dev/null 2>&1 ||
  fail "could not set Wine's Direct3D renderer"
# Every other test renders: the setting goes whatever way this script ends.
trap '"$wine_run" reg delete "$direct3d" /v renderer /f </dev/null >/dev/null 2>&1; rm -rf "$work"' EXIT

read_catalogue "$probe"
[ "$max_textures" -lt 2 ] || fail "the first device binds $max_textures textures: the no3d setting did not take"

# (a) /graphics, no file, OK.
start_utility /graphics
dialog=$(wait_for_window "Velmora Graphic Setting" 60) || fail "(a) no graphic dialog"
press_key "$dialog" Return
ended_cleanly "(a) still running 30 s after OK" "(a) "
expected_graphic_cfg 1 640 480 16 0 2 0 0 >"$work/graphic.cfg"
cmp -s "$work/graphic.cfg" "$game/config/graphic.cfg" ||
  fail "(a) graphic.cfg: $(od -c "$game/config/graphic.cfg" | head)"
echo "PASS (a): /graphics lists Wine's devices without 3D; OK wrote MULTITEXTURE=0"

# (b) /report: no window, and it says why the game would not draw.
start_utility /report >/dev/null
utility_ended "(b) /report was still running after 30 s"
judge_exit "(b) "
tr -d '\r' <"$report" >"$work/report.txt"
listed=$(grep -c '^    Device row ' "$work/report.txt")
[ "$listed" -ge 1 ] || fail "(b) the report lists no device"
[ "$(grep -cE '^  row [0-9]+ ".*": renders: no: .+ failed: 0x[0-9A-F]{8}' "$work/report.txt")" = "$listed" ] ||
  { grep 'renders: ' "$work/report.txt"; fail "(b) not every listed device is told as not rendering, with its step"; }
grep -qxF "Wine's Direct3D renderer: \"no3d\" (HKCU\\Software\\Wine\\Direct3D, value \"renderer\")" "$work/report.txt" ||
  fail "(b) the renderer setting is not named"
sed -n 2p "$work/report.txt" |
  grep -q '^3D rendering does not work on this system: none of the listed 3D devices could be created, and Wine.s Direct3D renderer is set to "no3d": ' ||
  { head -n 3 "$work/report.txt"; fail "(b) the report does not open with the sentence"; }
echo "PASS (b): /report: $listed devices, none renders, the setting named first"
