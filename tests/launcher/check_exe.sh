#!/usr/bin/env bash
# The exe must run on a bare Windows (or Wine) install and start at once: it
# imports only kernel32, user32, gdi32, comctl32 and msvcrt, and it stays under 256 KB.
set -euo pipefail
exe=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
# pei-i386 for the utility; a test tree built for x86_64 (on a machine that runs
# no 32-bit code) says pei-x86-64.
expected_format=${PE_FORMAT:-pei-i386}
limit=$((256 * 1024))

status=0
size=$(stat -c %s "$exe")
echo "size: $size bytes (limit $limit)"
if [ "$size" -ge "$limit" ]; then
  echo "FAIL: $exe is $size bytes, not under $limit"
  status=1
fi

format=$("$objdump" -f "$exe" | sed -n 's/.*file format //p')
echo "format: $format"
if [ "$format" != "$expected_format" ]; then
  echo "FAIL: expected a Windows program of format $expected_format"
  status=1
fi

subsystem=$("$objdump" -p "$exe" | awk '/^Subsystem/ {print $2}')
if [ "$subsystem" != "00000002" ]; then
  echo "FAIL: expected the Windows GUI subsystem (2), found $subsystem"
  status=1
fi

mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "imports: ${dlls[*]}"
if [ ${#dlls[@]} -eq 0 ]; then
  echo "FAIL: no import table found"
  status=1
fi
# DirectDraw and DirectInput are loaded when a settings run first needs them:
# imported, they (and under Wine the 3D runtime behind them) would load before
# the launcher shows, and a missing one would stop the program from starting.
# gdi32 (the dialogs' font check) is part of every system and loaded by user32
# before the program's own code runs, so importing it costs nothing at start.
allowed=" kernel32.dll user32.dll gdi32.dll comctl32.dll msvcrt.dll "
for dll in "${dlls[@]}"; do
  if [[ "$allowed" != *" $dll "* ]]; then
    echo "FAIL: imports $dll; only$allowed are imported at start"
    status=1
  fi
done
[ $status -eq 0 ] && echo "PASS"
exit $status
