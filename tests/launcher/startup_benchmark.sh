#!/usr/bin/env bash
# Start-up benchmark (not a test): the time from starting the utility under Wine
# to its launcher window mapped on the X display, against bare_launcher.exe, a
# program that only shows the same template with the same resources and
# manifest. The two are started alternately, so load on the machine falls on
# both alike; each start is ended with Escape before the next. Prints the
# median of each and their ratio; exit code 2 when the ratio is above 1.03.
# Needs a display with no window manager and a prepared prefix (benchmarks.sh).
# Usage: startup_benchmark.sh <velmora-config.exe> <bare_launcher.exe> <wine-run wrapper> [starts]
set -uo pipefail
wine_run=$3
starts=${4:-15}
. "$(dirname "$0")/../../scripts/window.sh"
[ -n "${DISPLAY:-}" ] || { echo "startup benchmark: no DISPLAY" >&2; exit 1; }

# Each program from a folder of its own, as a player would start it, and under
# the same file name, so that Wine applies the same per-program settings to both.
work=$(mktemp -d)
mkdir "$work/utility" "$work/bare"
cp "$1" "$work/utility/velmora-config.exe"
cp "$2" "$work/bare/velmora-config.exe"
# X tells every window mapped on the screen; xev writes each event as it comes.
coproc WATCH { exec xev -root -event substructure 2>/dev/null; }
trap 'kill "$WATCH_PID" 2>/dev/null; rm -rf "$work"' EXIT
sleep 0.5  # until xev listens

# start_once FOLDER: starts the program in FOLDER, prints the milliseconds to its
# launcher window's MapNotify, closes it.
start_once() {
  local line window="" mapped pid started
  sleep 0.15  # the display done with the previous start's window
  started=$EPOCHREALTIME
  LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 "$wine_run" "$work/$1/velmora-config.exe" </dev/null >/dev/null 2>&1 &
  pid=$!
  while [ -z "$window" ] && read -r -t 30 line <&"${WATCH[0]}"; do
    [[ $line == MapNotify* ]] || continue
    mapped=$EPOCHREALTIME
    read -r -t 5 line <&"${WATCH[0]}"  # "event 0x..., window 0x..., override ..."
    line=${line#*window }
    [ "$(xdotool getwindowname "$((${line%%,*}))" 2>/dev/null)" = "Velmora Config" ] &&
      window=$((${line%%,*}))
  done
  if [ -z "$window" ]; then
    echo "startup benchmark: no launcher window from $1" >&2
    kill "$pid" 2>/dev/null
    return 1
  fi
  press_key "$window" Escape
  wait_for_exit "$pid" 30 || { echo "startup benchmark: $1 did not end" >&2; return 1; }
  awk -v a="$started" -v b="$mapped" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One start of each first, not counted: the first start after the prefix was
# made reads every DLL from disk.
start_once utility >/dev/null && start_once bare >/dev/null || exit 1
: >"$work/utility.ms"
: >"$work/bare.ms"
# Which of the two goes first changes every round.
for i in $(seq 1 "$starts"); do
  for program in $( ((i % 2)) && echo utility bare || echo bare utility); do
    start_once "$program" >>"$work/$program.ms" || exit 1
  done
done
utility=$(median <"$work/utility.ms")
bare=$(median <"$work/bare.ms")
echo "start to launcher mapped, median of $starts starts each (alternating):"
echo "  velmora-config.exe  $utility ms   (all: $(tr '\n' ' ' <"$work/utility.ms"))"
echo "  bare dialog exe     $bare ms   (all: $(tr '\n' ' ' <"$work/bare.ms"))"
awk -v u="$utility" -v b="$bare" 'BEGIN {
  r = u / b; printf "  ratio %.3f (goal: at most 1.03)\n", r; exit (r > 1.03) ? 2 : 0 }'
