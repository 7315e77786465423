#!/usr/bin/env bash
# The built utility on a system without DirectDraw and DirectInput (Wine told to
# refuse ddraw.dll and dinput.dll): the launcher still shows; "그래픽 설정" says
# the enumeration failed and writes nothing; "컨트롤 설정" comes straight back to
# the launcher and writes nothing; Escape ends it with exit code 0. Started
# alone (/graphics, /controls), each run ends with exit code 2.
# Usage: missing_dll_e2e.sh <velmora-config.exe> <wine-run wrapper>
set -uo pipefail
. "$(dirname "$0")/e2e_common.sh"
# Wine's module channel says when it refuses a DLL; its message box channel
# gives the text a message box shows, as UTF-16 code units:
# "３Ｄデバイスの列挙に失敗しました".
no_device='\ff13\ff24\30c7\30d0\30a4\30b9\306e\5217\6319\306b\5931\6557\3057\307e\3057\305f'
refused() { grep -q "Failed to load module L\"$1\"" "$errors"; }
no_window() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

WINEDLLOVERRIDES='mscoree,mshtml=;ddraw,dinput=d' WINEDEBUG=warn+module,trace+msgbox start_utility
launcher=$(wait_for_window "Velmora Config" 60) || fail "the launcher did not appear"

# "그래픽 설정", the first button, has the focus.
press_key "$launcher" space
box=$(wait_for_window "Error" 30) || fail "no message box after \"그래픽 설정\""
refused ddraw.dll || fail "Wine did not refuse ddraw.dll; the test proves nothing"
grep -qF "trace:msgbox:MSGBOX_OnInit L\"$no_device\"" "$errors" ||
  fail "the message box does not say the 3D device enumeration failed: $(grep -m1 msgbox "$errors")"
no_window "Velmora Graphic Setting" || fail "the graphic dialog opened without DirectDraw"
press_key "$box" Return
launcher=$(wait_for_window "Velmora Config" 20) || fail "the launcher did not come back"
echo "PASS: without ddraw.dll the graphics run says so and ends"

# "컨트롤 설정": the control dialog ends at once, without a word.
press_key "$launcher" Tab
press_key "$launcher" space
for _ in $(seq 1 50); do refused dinput.dll && break; sleep 0.2; done
refused dinput.dll || fail "the controls run did not try dinput.dll"
sleep 0.5
no_window "Velmora Key Setting" || fail "the control dialog opened without DirectInput"
no_window "Error" || fail "a message box followed the controls run"
launcher=$(wait_for_window "Velmora Config" 20) || fail "the launcher did not come back"
echo "PASS: without dinput.dll the controls run comes back to the launcher"

press_key "$launcher" Escape
ended_cleanly "the utility was still running 30 s after Escape"
[ -d "$game/config" ] || fail "config was not created"
[ -z "$(ls -A "$game/config")" ] || fail "files were written: $(ls -A "$game/config")"
echo "PASS: Escape ended it with exit code 0; config holds no file"

# Alone, each run configures nothing, and exit code 2 tells a game launcher so.
for run in /graphics /controls; do
  WINEDLLOVERRIDES='mscoree,mshtml=;ddraw,dinput=d' start_utility "$run"
  [ "$run" = /controls ] || { box=$(wait_for_window "Error" 30) && press_key "$box" Return; } ||
    fail "$run: no message box"
  utility_ended "$run: still running 30 s later"
  [ "$code" = 2 ] && ! grep -q '^wine: Unhandled' "$errors" || fail "$run: exit code $code, expected 2"
done
echo "PASS: /graphics and /controls alone end with exit code 2"
