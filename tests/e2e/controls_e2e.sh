#!/usr/bin/env bash
# The controls run of the built utility, driven from the launcher with the
# keyboard as a player would (no joystick exists here), and the input.cfg it
# leaves behind compared byte for byte:
#  (a) no file, OK: the keyboard preset in thirteen CR LF lines;
#  (b) a file naming a joystick that is not attached, OK: the keyboard preset;
#  (c) a file, Cancel: the file as it was;
#  (d) no file, keys pressed into the function lists through Wine's real
#      DirectInput keyboard, OK: the rows of letters tapped shorter than a tick
#      and of a lone Alt; nothing of the window menu and a move by keys;
#  (e) no file, the input test opened with "테스트" ("Test"): a real key held
#      lights its function and the force-feedback test is not offered for the
#      keyboard; Escape closes it, and OK then writes the keyboard preset, as
#      without the test;
#  (f) a dinput.dll of scripted controllers beside the exe (no controller can be
#      attached here), the wheel chosen with the keys, OK: its Y and Rz pedals,
#      resting at +1000, written whole, Analog, calibrated from their rest.
# Usage: controls_e2e.sh <velmora-config.exe> <wine-run wrapper> <dialog_item_state.exe>
#        <scripted dinput.dll>
set -uo pipefail
. "$(dirname "$0")/e2e_common.sh"
mkdir "$game/config"
input="$game/config/input.cfg"

first_run_input_cfg >"$work/keyboard-preset.cfg"

# gone WINDOW SECONDS: waits until the X window no longer exists or is hidden.
gone() {
  local i
  for i in $(seq 1 $(($2 * 5))); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    xdotool search --onlyvisible --name '^Velmora Key Setting$' 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.2
  done
  return 1
}

# run_controls KEY...: starts the utility, opens the controls run from the
# launcher (Tab to "컨트롤 설정", Space), presses the KEYs in the control dialog,
# the last one ending it (Return: OK, the default button; Escape: Cancel), then
# quits the launcher. A KEY after the first is what `xdotool key` is given
# ("--delay 4 q": Q held 2 ms), 0.1 s after the one before.
run_controls() {
  local key=${!#} launcher controls
  start_utility
  launcher=$(wait_for_window "Velmora Config" 60) || fail "the launcher did not appear"
  press_key "$launcher" Tab
  press_key "$launcher" space
  controls=$(wait_for_window "Velmora Key Setting" 30) || fail "the control dialog did not appear"
  sleep 0.5
  press_key "$controls" "$1"
  shift
  for step; do
    sleep 0.1
    xdotool key $step
  done
  gone "$controls" 20 || fail "the control dialog stayed open after $key"
  launcher=$(wait_for_window "Velmora Config" 20) || fail "the launcher did not come back"
  press_key "$launcher" Escape
  ended_cleanly "the utility was still running 30 s after Escape"
}

same_bytes() {  # same_bytes EXPECTED ACTUAL WHAT
  if ! cmp -s "$1" "$2"; then
    echo "expected:"; od -c "$1" | head -20
    echo "written:"; od -c "$2" 2>/dev/null | head -20
    fail "$3"
  fi
}

# (a) No file: OK writes the keyboard preset.
rm -f "$input"
run_controls Return
[ -f "$input" ] || fail "(a) OK wrote no config/input.cfg"
same_bytes "$work/keyboard-preset.cfg" "$input" "(a) input.cfg differs from the keyboard preset"
echo "PASS (a): no file, OK wrote the thirteen-line keyboard preset"

# (b) A file naming a joystick that is not attached: the keyboard preset.
printf 'VERSION=1\r\nDEVICE="Velmora Racing Wheel"\r\nFORCEFEEDBACK=1\r\nLEFT=1,1,12,-980\r\nRIGHT=2,1,-12,980\r\nACCELE=4,1,0,-1000\r\nBRAKE=5,1,0,1000\r\nSHIFTUP=33\r\nSHIFTDOWN=32\r\nSIDEBRAKE=26\r\nLIGHT=29\r\nVIEWUP=27\r\nVIEWDOWN=28\r\n' \
  >"$input"
run_controls Return
same_bytes "$work/keyboard-preset.cfg" "$input" "(b) input.cfg is not the keyboard preset"
echo "PASS (b): a joystick no longer attached, OK wrote the keyboard preset"

# (c) Cancel leaves a file alone, even one the utility would never write.
printf 'VERSION=9\nDEVICE="Velmora Racing Wheel"\nLEFT=3,1,-7,7\n; kept as it is\n' >"$input"
cp "$input" "$work/before-cancel.cfg"
run_controls Escape
same_bytes "$work/before-cancel.cfg" "$input" "(c) Cancel changed input.cfg"
[ ! -e "$input.tmp" ] || fail "(c) a temporary file was left beside input.cfg"
echo "PASS (c): Cancel left input.cfg byte for byte"

# (d) Keys pressed into the lists through Wine's DirectInput keyboard (the
# window has the X input focus from press_key). From OK, Tab passes Cancel, the
# device list, "리셋" and "테스트" to LEFT, then RIGHT, ACCELE, BRAKE, SHIFTDOWN. Q and W
# each held 2 ms, shorter than a tick (16, 17); a lone Alt (LMENU, 56); in BRAKE
# Alt+Space opens the window menu, M a move by keys, Down, Down and Enter move
# the window: BRAKE keeps Z; then E, held 2 ms (18): the watch runs again.
rm -f "$input"
run_controls Tab Tab Tab Tab Tab "--delay 4 q" Tab "--delay 4 w" Tab "--delay 4 Alt_L" Tab alt+space \
  m Down Down Return Tab "--delay 4 e" Return
first_run_input_cfg | sed -e 's/^LEFT=111,/LEFT=16,/' -e 's/^RIGHT=112,/RIGHT=17,/' \
  -e 's/^ACCELE=45,/ACCELE=56,/' -e 's/^SHIFTDOWN=109/SHIFTDOWN=18/' >"$work/pressed.cfg"
same_bytes "$work/pressed.cfg" "$input" "(d) input.cfg does not hold the tapped keys' rows alone"
echo "PASS (d): taps shorter than a tick and a lone Alt bound; the window menu and a move bound nothing"

# (e) The input test over the keyboard: from OK, Tab passes Cancel, the device
# list and "리셋" to "테스트"; Space opens it. X (ACCELE in the keyboard preset)
# held through Wine's DirectInput keyboard turns a value to "ON", as Wine's
# text channel shows it drawn. Escape closes the test; Tab to LEFT and Return
# (OK) write the keyboard preset: the test changed nothing.
rm -f "$input"
WINEDEBUG=trace+text start_utility
launcher=$(wait_for_window "Velmora Config" 60) || fail "(e) the launcher did not appear"
press_key "$launcher" Tab
press_key "$launcher" space
controls=$(wait_for_window "Velmora Key Setting" 30) || fail "(e) the control dialog did not appear"
sleep 0.5
press_key "$controls" Tab
xdotool key Tab Tab Tab space
tested=$(wait_for_window "Velmora Input Test" 20) || fail "(e) the input test did not open"
xdotool windowfocus --sync "$tested" 2>/dev/null || xdotool windowfocus "$tested"
sleep 0.5
before=$(wc -l <"$errors")
xdotool keydown x
sleep 0.5
lit=$(tail -n +"$before" "$errors" | grep -ac 'trace:text:DrawTextExW L"ON"')
xdotool keyup x
[ "$lit" -ge 1 ] || fail "(e) X held lit no function"
offered=$("$wine_run" "$3" "Velmora Input Test" 1084 2>/dev/null | tr -d '\r')
[ "$offered" = disabled ] || fail "(e) the force-feedback button for the keyboard: $offered"
press_key "$tested" Escape
for i in $(seq 1 50); do
  xdotool search --onlyvisible --name '^Velmora Input Test$' >/dev/null 2>&1 || break
  sleep 0.2
done
xdotool search --onlyvisible --name '^Velmora Input Test$' >/dev/null 2>&1 &&
  fail "(e) Escape left the input test open"
press_key "$controls" Tab
xdotool key Return
gone "$controls" 20 || fail "(e) the control dialog stayed open after OK"
launcher=$(wait_for_window "Velmora Config" 20) || fail "(e) the launcher did not come back"
press_key "$launcher" Escape
ended_cleanly "(e) the utility was still running 30 s after Escape"
same_bytes "$work/keyboard-preset.cfg" "$input" "(e) input.cfg after the input test is not the keyboard preset"
echo "PASS (e): the input test lit the held key's function, offered no force feedback and changed nothing"

# (f) From OK, Tab passes Cancel to the device list; Down chooses the wheel, whose
# first read sets the pedals from where they rest; Return is OK.
rm -f "$input"
cp "$4" "$game/dinput.dll"
WINEDLLOVERRIDES="mscoree,mshtml=;dinput=n" run_controls Tab Tab Down "--delay 600 Shift_L" Return
rm -f "$game/dinput.dll"
printf 'VERSION=1\r\nDEVICE="Scripted Wheel"\r\nFORCEFEEDBACK=1\r\nLEFT=1,1,0,-1000\r\nRIGHT=2,1,0,1000\r\nACCELE=6,1,1000,-1000\r\nBRAKE=18,1,1000,-1000\r\nSHIFTUP=33\r\nSHIFTDOWN=32\r\nSIDEBRAKE=26\r\nLIGHT=29\r\nVIEWUP=27\r\nVIEWDOWN=28\r\n' \
  >"$work/pedals.cfg"
same_bytes "$work/pedals.cfg" "$input" "(f) input.cfg does not hold the pedals from where they rest"
echo "PASS (f): a wheel's own pedals, read at rest, written whole and calibrated"
