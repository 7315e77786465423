#!/usr/bin/env bash
# The control settings dialog of the built utility told that the devices
# changed, as Windows tells it when a controller is plugged in (Wine here has
# none to plug): it enumerates the controllers again through Wine's own
# DirectInput, keeps answering, still lists only "キーボード" with that row
# selected, and OK then writes the first-run input.cfg byte for byte.
# Usage: controls_device_change_e2e.sh <velmora-config.exe> <wine-run wrapper> <device_change_sender.exe>
set -uo pipefail
. "$(dirname "$0")/e2e_common.sh"
sender=$3
mkdir "$game/config"
input="$game/config/input.cfg"

start_utility
launcher=$(wait_for_window "Velmora Config" 60) || fail "the launcher did not appear"
press_key "$launcher" Tab
press_key "$launcher" space
controls=$(wait_for_window "Velmora Key Setting" 30) || fail "the control dialog did not appear"

shown=$("$wine_run" "$sender" 5 2>/dev/null | tr -d '\r') || fail "device change: $shown"
[ "$shown" = "rows 1 selected 0" ] || fail "after the device change the device list shows: $shown"

press_key "$controls" Return
# The run saves once the dialog has closed; the launcher is in front again then.
for _ in $(seq 1 100); do [ -f "$input" ] && break; sleep 0.2; done
[ -f "$input" ] || fail "OK wrote no config/input.cfg"
launcher=$(wait_for_window "Velmora Config" 20) || fail "the launcher did not come back after OK"
press_key "$launcher" Escape
ended_cleanly "the utility was still running 30 s after Escape"

first_run_input_cfg >"$work/expected.cfg"
cmp -s "$work/expected.cfg" "$input" || { od -c "$input" | head -20; fail "input.cfg differs from the keyboard preset"; }
echo "PASS: a device change re-enumerated under Wine's DirectInput; the list and OK's file are as before"
