# Sourced by benchmarks.sh, which has built the Windows tree and started Xvfb and
# a persistent wineserver. time_report ROUNDS runs "velmora-config.exe /report"
# ROUNDS times in a fresh folder and prints medians of
#  - the whole Wine process, as a shell sees it (Wine's own start included);
#  - from the process's creation to the report written, the report's own part
#    of that, and of it the display sections (DirectDraw loaded and enumerated
#    for the first time in the process), all from the report's last line.
# Compare with the bare enumeration graphics_open_benchmark times before it
# (a warm one: DirectDraw already loaded by its first round).
time_report() {
  local rounds=${1:-10} work game i start
  work=$(mktemp -d)
  game="$work/Velmora Game"
  mkdir -p "$game"
  cp "$WIN_BUILD/velmora-config.exe" "$game/"
  median() { sort -n | awk '{v[NR]=$1} END {if (NR) print (NR % 2 ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2)}'; }
  for i in $(seq 1 "$rounds"); do
    start=$(date +%s%N)
    LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 "$WIN_BUILD/wine-run.sh" "$game/velmora-config.exe" /report >/dev/null 2>&1 </dev/null
    echo $(( ($(date +%s%N) - start) / 1000000 )) >>"$work/wall"
    tail -n 1 "$game/config/report.txt" | tr -d '\r' |
      sed -n 's/^Report written in \([0-9]*\) ms (the display sections \([0-9]*\) ms); \([0-9]*\) ms since the process started$/\1 \2 \3/p' \
      >>"$work/inside"
  done
  echo "/report, $rounds runs, medians:"
  echo "  whole Wine process:                   $(median <"$work/wall") ms"
  echo "  process created to report written:    $(cut -d' ' -f3 "$work/inside" | median) ms"
  echo "  the report's own code:                $(cut -d' ' -f1 "$work/inside" | median) ms"
  echo "  of which the display sections:        $(cut -d' ' -f2 "$work/inside" | median) ms"
  rm -rf "$work"
}
