#!/usr/bin/env bash
# The graphics test of the built utility under Wine's own DirectDraw and Mesa,
# pressed by keys as a player would ("테스트" is the third tab stop of
# "그래픽 설정", after OK and Cancel), over a graphic.cfg that names the first
# device at the screen's own size and 32 bits. One start of /graphics for:
#  (a) Space on "테스트": the test window covers the screen, a root screenshot
#      shows the scene (its clear colour around it, not the settings window),
#      Enter ends it and the settings show "테스트: 표시를 확인했습니다";
#  (b) Space again (the focus is back on "테스트"), no answer: the test ends by
#      itself within 12 s of the press, not confirmed; Escape then cancels the
#      settings and graphic.cfg is left byte for byte.
# Then over the same graphic.cfg asking for a window (WINDOW=1), a second start
# for:
#  (c) Space on "테스트": a popup with a one-pixel border, of the mode's size
#      shrunk to fit the screen, centred, shows the scene in it; Enter confirms;
#  (d) Space again, then Escape: not confirmed; Escape cancels, the file kept.
# Then, back at full screen and with Wine's Direct3D told to draw nothing
# (renderer = no3d), a third start for:
#  (e) the test fails at the 3D device or at drawing and says so with its code,
#      and the settings window still answers (Escape ends the run).
# The status is read from Wine's text channel, which traces every text drawn
# with DrawText (the status control's) as UTF-16.
# Usage: graphics_test_e2e.sh <velmora-config.exe> <wine-run wrapper> <display_probe.exe>
set -uo pipefail
. "$(dirname "$0")/e2e_common.sh"
probe=$3
cfg="$game/config/graphic.cfg"
direct3d='HKCU\Software\Wine\Direct3D'

# wine_text TEXT: TEXT as Wine's traces quote it (debugstr_w): ASCII as it is,
# every other UTF-16 code unit as \xxxx.
wine_text() {
  local unit
  for unit in $(printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx2 -v); do
    if [ $((16#$unit)) -ge 32 ] && [ $((16#$unit)) -lt 127 ]; then
      printf "\\x${unit:2:2}"
    else
      printf '\\%s' "$unit"
    fi
  done
}
# status_since LINE: the status texts drawn after line LINE of Wine's stderr:
# those that start with "테스트" and go on (the button's own is that word alone).
status_since() {
  tail -n +"$(($1 + 1))" "$errors" |
    grep -a 'trace:text:DrawTextExW L"\\d14c\\c2a4\\d2b8[^"].*", -1, ' |
    sed 's/^.*DrawTextExW L"\(.*\)", -1, .*$/\1/' | sort -u
}
lines() { wc -l <"$errors"; }
# status_is TEXT LINE: whether the status drawn after line LINE becomes TEXT
# within 15 s (the settings repaint it once the test has let go of the screen;
# with the release builds beside the lanes, 5 s was once not enough).
status_is() {
  local i
  for i in $(seq 1 150); do
    [ "$(status_since "$2")" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
test_window_gone() {  # test_window_gone SECONDS
  local i
  for i in $(seq 1 $(($1 * 10))); do
    xdotool search --onlyvisible --name '^Velmora Graphic Test$' >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# press_test DIALOG: Space on "테스트", which has the focus; prints the test
# window once it shows.
press_test() {
  press_key "$1" space
  wait_for_window "Velmora Graphic Test" 10 || fail "no test window after Space on \"테스트\""
}

read_catalogue "$probe"
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
grep -qx "$screen_w $screen_h 32" "$work/modes.txt" ||
  fail "the first device lists no $screen_w x $screen_h mode at 32 bits: $(tr '\n' ';' <"$work/modes.txt")"
mkdir -p "$game/config"
printf 'VERSION=2\r\nDEVICE="%s"\r\nMULTITEXTURE=1\r\nWIDTH=%s\r\nHEIGHT=%s\r\nCOLORDEPTH=32\r\nTEXTUREDEPTH=0\r\nTEXTUREQUALITY=2\r\nTEXTURECOMPRESS=1\r\nWINDOW=0\r\n' \
  "$device_name" "$screen_w" "$screen_h" >"$cfg"
cp "$cfg" "$work/graphic.cfg"
confirmed=$(wine_text "테스트: 표시를 확인했습니다")
not_confirmed=$(wine_text "테스트: 확인되지 않았습니다. 화면이 보이지 않았다면 다른 모드를 선택해 주세요")

# (a) The scene, confirmed with Enter.
WINEDEBUG=trace+text start_utility /graphics
dialog=$(wait_for_window "Velmora Graphic Setting" 60) || fail "(a) no graphic settings"
press_key "$dialog" Tab
xdotool key --clearmodifiers Tab
before=$(lines)
test_window=$(press_test "$dialog")
geometry=$(xdotool getwindowgeometry "$test_window" | tr -s ' \n' ' ')
[[ $geometry == *"Position: 0,0 "*"Geometry: ${screen_w}x${screen_h} "* ]] ||
  fail "(a) the test window ($test_window) does not cover the screen: $geometry"
# The scene's clear colour (5 %, 10 %, 30 % of full) around what it draws,
# once the first frames are there (a second or two, more on a busy machine).
for _ in $(seq 1 16); do
  sleep 0.5
  import -window root "$work/scene.png"
  clear_share=$(convert "$work/scene.png" -fuzz 3% -fill white -opaque 'srgb(12,25,76)' \
    -fill black +opaque white -format '%[fx:mean]' info:)
  awk -v s="$clear_share" 'BEGIN { exit !(s > 0.3 && s < 0.95) }' && break
done
awk -v s="$clear_share" 'BEGIN { exit !(s > 0.3 && s < 0.95) }' ||
  fail "(a) the screenshot does not show the test scene (clear colour on $clear_share of it)"
press_key "$test_window" Return
test_window_gone 5 || fail "(a) the test window stayed after Enter"
dialog=$(wait_for_window "Velmora Graphic Setting" 10) || fail "(a) the settings did not come back"
status_is "$confirmed" "$before" ||
  fail "(a) the status is not the confirmed one: $(status_since "$before")"
echo "PASS (a): the test covered the screen with its scene; Enter confirmed it"

# (b) No answer: back by itself within 12 s.
before=$(lines)
xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog"
sleep 0.2
start=$(date +%s%N)
xdotool key --clearmodifiers space
wait_for_window "Velmora Graphic Test" 10 >/dev/null || fail "(b) no test window after Space"
test_window_gone 14 || fail "(b) the test window was still there 14 s after the press"
took=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$took" -le 12000 ] || fail "(b) the test ended ${took} ms after the press, over 12 s"
status_is "$not_confirmed" "$before" ||
  fail "(b) the status is not the not-confirmed one: $(status_since "$before")"
press_key "$dialog" Escape
ended_cleanly "(b) still running 30 s after Escape" "(b) "
cmp -s "$cfg" "$work/graphic.cfg" || fail "(b) Cancel after the tests changed graphic.cfg"
echo "PASS (b): no answer ended the test ${took} ms after the press, not confirmed; Cancel kept the file"

# (c) In a window: a bordered popup of the mode's size, here shrunk evenly to
# fit the screen with its border, centred, its scene in it.
[ "$windowed" = 1 ] || fail "(c) the first device does not draw in a window"
sed -i 's/^WINDOW=0/WINDOW=1/' "$cfg"
cp "$cfg" "$work/graphic.cfg"
WINEDEBUG=trace+text start_utility /graphics
dialog=$(wait_for_window "Velmora Graphic Setting" 60) || fail "(c) no graphic settings"
press_key "$dialog" Tab
xdotool key --clearmodifiers Tab
before=$(lines)
test_window=$(press_test "$dialog")
read -r x y w h < <(xdotool getwindowgeometry --shell "$test_window" |
  awk -F= '{v[$1]=$2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}')
# The client area inside a one-pixel border, the mode's shape, centred.
awk -v x="$x" -v y="$y" -v w="$w" -v h="$h" -v sw="$screen_w" -v sh="$screen_h" 'BEGIN {
  d = (w - 2) * sh - (h - 2) * sw; if (d < 0) d = -d
  exit !(x >= 0 && y >= 0 && x + w <= sw && y + h <= sh && (x - (sw - x - w))^2 <= 1 &&
         (y - (sh - y - h))^2 <= 1 && d <= sw && w < sw) }' ||
  fail "(c) the test window is not a centred popup of the mode's shape within the screen: $x,$y ${w}x$h"
for _ in $(seq 1 16); do
  sleep 0.5
  import -window root -crop "$((w - 2))x$((h - 2))+$((x + 1))+$((y + 1))" "$work/scene.png"
  clear_share=$(convert "$work/scene.png" -fuzz 3% -fill white -opaque 'srgb(12,25,76)' \
    -fill black +opaque white -format '%[fx:mean]' info:)
  awk -v s="$clear_share" 'BEGIN { exit !(s > 0.3 && s < 0.95) }' && break
done
awk -v s="$clear_share" 'BEGIN { exit !(s > 0.3 && s < 0.95) }' ||
  fail "(c) the window does not show the test scene (clear colour on $clear_share of it)"
press_key "$test_window" Return
test_window_gone 5 || fail "(c) the test window stayed after Enter"
dialog=$(wait_for_window "Velmora Graphic Setting" 10) || fail "(c) the settings did not come back"
status_is "$confirmed" "$before" ||
  fail "(c) the status is not the confirmed one: $(status_since "$before")"
echo "PASS (c): the windowed test showed its scene in a centred ${w}x$h popup; Enter confirmed it"

# (d) In a window again, Escape: not confirmed.
before=$(lines)
xdotool windowfocus --sync "$dialog" 2>/dev/null || xdotool windowfocus "$dialog"
sleep 0.2
test_window=$(press_test "$dialog")
sleep 1
press_key "$test_window" Escape
test_window_gone 5 || fail "(d) the test window stayed after Escape"
status_is "$not_confirmed" "$before" ||
  fail "(d) the status is not the not-confirmed one: $(status_since "$before")"
press_key "$dialog" Escape
ended_cleanly "(d) still running 30 s after Escape" "(d) "
cmp -s "$cfg" "$work/graphic.cfg" || fail "(d) Cancel after the windowed tests changed graphic.cfg"
echo "PASS (d): Escape ended the windowed test, not confirmed; Cancel kept the file"

# (e) Direct3D that draws nothing: the test fails and says where.
sed -i 's/^WINDOW=1/WINDOW=0/' "$cfg"
"$wine_run" reg add "$direct3d" /v renderer /d no3d /f </dev/null >/dev/null 2>&1 ||
  fail "could not set Wine's Direct3D renderer"
trap '"$wine_run" reg delete "$direct3d" /v renderer /f </dev/null >/dev/null 2>&1; rm -rf "$work"' EXIT
WINEDEBUG=trace+text start_utility /graphics
dialog=$(wait_for_window "Velmora Graphic Setting" 60) || fail "(e) no graphic settings"
press_key "$dialog" Tab
xdotool key --clearmodifiers Tab
before=$(lines)
press_key "$dialog" space
test_window_gone 10 || fail "(e) the test window stayed"
sleep 2
failed_device=$(wine_text "테스트 실패: 3D 디바이스 생성 (0x")
failed_drawing=$(wine_text "테스트 실패: 그리기 (0x")
status=$(status_since "$before")
case $status in
  "$failed_device"*|"$failed_drawing"*) [[ $status =~ ^[^$'\n']*\(0x[0-9A-F]{8}\)$ ]] ;;
  *) false ;;
esac || fail "(e) the status does not name the 3D device or drawing with a code: $status"
press_key "$dialog" Escape
ended_cleanly "(e) the settings did not answer Escape after the failed test" "(e) "
echo "PASS (e): with no3d the test failed at its step and the settings still answered"
