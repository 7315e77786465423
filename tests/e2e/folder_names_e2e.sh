#!/usr/bin/env bash
# The utility in a folder whose name the system's ANSI code page cannot hold,
# as a player's game folder may be: Hangul under an English locale (code page
# 1252), and Thai, in neither the Korean nor the Japanese code page, under a
# Korean one (949). From each, as from any folder, /report and OK in /graphics
# and in /controls write their files into that folder's config, each run ending
# with 0, the settings byte for byte a first run's; and the report names the
# folder whole, in the line it prints and in its text.
# Usage: folder_names_e2e.sh <velmora-config.exe> <wine-run wrapper> <display_probe.exe>
set -uo pipefail
. "$(dirname "$0")/e2e_common.sh"
read_catalogue "$3"
expected_graphic_cfg 1 640 480 16 0 2 0 0 >"$work/graphic.cfg"
first_run_input_cfg >"$work/input.cfg"

for run in "en_US.UTF-8/벨모라 게임" "ko_KR.UTF-8/เวลโมรา เกม"; do
  E2E_LOCALE=${run%%/*}
  name=${run#*/}
  use_game_folder "$name"
  start_utility /report >"$work/out"
  ended_cleanly "\"$name\": /report still running 30 s later" "\"$name\": /report: "
  printed=$(tr -d '\r' <"$work/out")
  folder=${printed%config\\report.txt}
  [[ $folder == Z:*"\\$name\\" ]] || fail "\"$name\": /report printed \"$printed\""
  tr -d '\r' <"$game/config/report.txt" | grep -xF "Program directory: \"$folder\"" >/dev/null ||
    fail "\"$name\": the report names another folder:" \
      "$(grep -a '^Program directory' "$game/config/report.txt")"
  for switch in "/graphics:Velmora Graphic Setting" "/controls:Velmora Key Setting"; do
    start_utility "${switch%%:*}"
    dialog=$(window_of "${switch#*:}") || fail "\"$name\": ${switch%%:*} showed no dialog"
    sleep 0.5
    press_key "$dialog" Return
    ended_cleanly "\"$name\": ${switch%%:*} still running 30 s after OK" \
      "\"$name\": ${switch%%:*}: "
  done
  for file in graphic.cfg input.cfg; do
    cmp -s "$work/$file" "$game/config/$file" ||
      fail "\"$name\": config/$file is not a first run's: $(od -c "$game/config/$file" | head -n 4)"
  done
  echo "PASS: \"$name\" under $E2E_LOCALE: report.txt names it; graphic.cfg, input.cfg saved in it"
done
