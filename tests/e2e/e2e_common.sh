# Sourced by the end-to-end scripts, right after `set -uo pipefail`. They are
# started as  <script> <velmora-config.exe> <wine-run wrapper> [their own...]
# and get from here, once a display is known to be there:
#   exe, wine_run   the first two arguments;
#   deaths_log      where a signal that killed Wine is logged (exit_problem);
#   work            a fresh folder, removed when the script ends;
#   errors          Wine's stderr of the latest run of the utility;
#   game            "$work/Velmora Game", holding a copy of the exe and nothing else
#                   (use_game_folder makes another);
#   pid             the utility's process while it runs, else empty;
# the helpers of scripts/window.sh, and the functions below.
exe=$1
wine_run=$2
deaths_log="$(dirname "$wine_run")/wine-deaths.log"
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/window.sh"

pid=""
# fail MESSAGE: says what failed, shows Wine's stderr of the latest run, stops
# the utility if it still runs, and ends the script with 1.
fail() { echo "FAIL: $*"; show_wine_errors "${errors:-}"; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY (scripts/test.sh starts Xvfb)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
errors="$work/wine.err"
# use_game_folder NAME: "$work/NAME", made with a copy of the exe and nothing
# else, becomes $game.
use_game_folder() {
  game="$work/$1"
  mkdir -p "$game"
  cp "$exe" "$game/velmora-config.exe" || fail "could not copy $exe"
}
use_game_folder "Velmora Game"

# start_utility [ARGS...]: starts the copy in $game with ARGS, in the background
# and from another folder (it must settle beside itself all the same), in the
# locale $E2E_LOCALE (Korean unless the test sets another), with Wine's stderr
# in $errors; sets pid. Variables set on the call (WINEDLLOVERRIDES=...
# start_utility) reach Wine too.
E2E_LOCALE=${E2E_LOCALE:-ko_KR.UTF-8}
start_utility() {
  (cd / && LANG=$E2E_LOCALE LC_ALL=$E2E_LOCALE exec "$wine_run" "$game/velmora-config.exe" "$@" \
     2>"$errors") &
  pid=$!
}

# window_of TITLE: waits up to 60 s for a visible window of the utility with
# exactly that title and prints its id.
window_of() {
  local i id
  for i in $(seq 1 300); do
    id=$(xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

# utility_ended STILL_RUNNING: waits up to 30 s for the utility to end; fails
# with the message STILL_RUNNING if it has not. Its exit code is left in code.
utility_ended() {
  wait_for_exit "$pid" 30
  code=$?
  [ "$code" -ne 124 ] || fail "$1"
  pid=""
}

# judge_exit [PREFIX]: fails, with PREFIX before the message, if the run that
# utility_ended saw end went wrong (exit_problem: a fault, or a code but 0).
judge_exit() {
  local problem
  problem=$(exit_problem "$code" "$errors" "$deaths_log")
  [ -z "$problem" ] || fail "${1:-}$problem"
}

# ended_cleanly STILL_RUNNING [PREFIX]: utility_ended, then judge_exit.
ended_cleanly() {
  utility_ended "$1"
  judge_exit "${2:-}"
}

# first_run_input_cfg: prints the input.cfg a first run saves: "キーボード" in
# code page 932, as the game compares it, and the keyboard preset, in thirteen
# CR LF lines.
first_run_input_cfg() {
  printf 'VERSION=1\r\nDEVICE="\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68"\r\nFORCEFEEDBACK=0\r\nLEFT=111,0,0,-1000\r\nRIGHT=112,0,0,1000\r\nACCELE=45,0,0,-1000\r\nBRAKE=44,0,0,1000\r\nSHIFTUP=114\r\nSHIFTDOWN=109\r\nSIDEBRAKE=46\r\nLIGHT=32\r\nVIEWUP=30\r\nVIEWDOWN=31\r\n'
}

# read_catalogue PROBE: what display_probe.exe says the machine offers: sets
# device_name, max_textures and windowed of the first device, and writes its
# modes, in catalogue order, to $work/modes.txt ("W H D" a line).
read_catalogue() {
  "$wine_run" "$1" </dev/null | tr -d '\r' >"$work/catalogue.txt" ||
    fail "the probe found no hardware 3D device (see $work/catalogue.txt)"
  IFS=$'\t' read -r _ _ device_name max_textures windowed < <(grep -m1 '^device' "$work/catalogue.txt")
  awk -F'\t' '$1=="device"{n++} n==1 && $1=="mode"{print $3, $4, $5}' "$work/catalogue.txt" \
    >"$work/modes.txt"
  [ -n "$device_name" ] && [ -s "$work/modes.txt" ] || fail "probe output unreadable"
}

# resolve_mode W H D: the stored mode when the first device has it, else its
# first 640 x 480 mode, else its first.
resolve_mode() {
  awk -v w="$1" -v h="$2" -v d="$3" '
    NR==1 {first=$0}
    $1==640 && $2==480 && fallback=="" {fallback=$0}
    $1==w && $2==h && $3==d {print; found=1; exit}
    END {if (!found) print (fallback != "" ? fallback : first)}' "$work/modes.txt"
}

# expected_graphic_cfg MULTITEXTURE W H D TEXTUREDEPTH QUALITY COMPRESS WINDOW:
# prints the graphic.cfg that OK saves over a file asking for these values (a
# first run asks for 1 640 480 16 0 2 0 0), resolved against read_catalogue's.
expected_graphic_cfg() {
  local multi=0 window=0 mw mh md
  [ "$1" != 0 ] && [ "$max_textures" -gt 1 ] && multi=1
  [ "$8" != 0 ] && [ "$windowed" = 1 ] && window=1
  read -r mw mh md < <(resolve_mode "$2" "$3" "$4")
  printf 'VERSION=2\r\nDEVICE="%s"\r\nMULTITEXTURE=%s\r\nWIDTH=%s\r\nHEIGHT=%s\r\nCOLORDEPTH=%s\r\nTEXTUREDEPTH=%s\r\nTEXTUREQUALITY=%s\r\nTEXTURECOMPRESS=%s\r\nWINDOW=%s\r\n' \
    "$device_name" "$multi" "$mw" "$mh" "$md" "$5" "$6" "$7" "$window"
}
