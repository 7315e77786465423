#!/usr/bin/env bash
# Checks how test programs are run under Wine (wine-test.sh): a fault in a
# program fails it at once with Wine's backtrace and is never run again, even
# when Wine exits with status 0, while a Wine process killed by a signal is
# logged and run exactly once more. Also how the end-to-end tests judge the
# utility's exit (exit_problem in scripts/window.sh).
# Arguments: wine-test.sh, fault_probe.exe.
set -uo pipefail
wrapper=$1 probe=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# What Wine writes to stderr when a program faults.
export UNHANDLED="wine: Unhandled page fault on write access to 00000000 at address 0040267F (thread 0024), starting debugger..."

# A runner standing in for wine-run.sh: each call is counted; the call numbers
# listed in $work/fault report an unhandled exception on stderr as Wine does,
# and those listed in $work/die are killed by SIGSEGV, as Wine's runtime was.
cat >"$work/runner.sh" <<'RUNNER'
#!/bin/sh
count=$(($(cat "$WORK/calls" 2>/dev/null || echo 0) + 1))
echo "$count" >"$WORK/calls"
echo "runner call $count: $*"
if grep -qx "$count" "$WORK/fault" 2>/dev/null; then
  echo "$UNHANDLED" >&2
fi
if grep -qx "$count" "$WORK/die" 2>/dev/null; then kill -SEGV $$; fi
exit "${EXIT_STATUS:-0}"
RUNNER
chmod +x "$work/runner.sh"
ulimit -c 0  # the runner's deaths leave no core files behind

# name | calls that fault | calls that die | runner's own exit status |
# expected status | expected calls | log lines
cases=(
  "passes|none|none|0|0|1|0"
  "fails-with-a-test-failure|none|none|1|1|1|0"
  "wine-dies-once|none|1|0|0|2|1"
  "wine-dies-once-then-a-failure|none|1|1|1|2|1"
  "wine-dies-twice|none|1 2|0|139|2|1"
  "faults-with-the-exception-code|1|none|5|5|1|0"
  "faults-but-wine-exits-with-0|1|none|0|1|1|0"
  "faults-then-wine-dies|1|1|0|139|1|0"
  "wine-dies-then-a-fault-with-0|2|1|0|1|2|1"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name fault die exit_status want_status want_calls want_log <<<"$row"
  rm -f "$work/calls" "$work/fault" "$work/die" "$work/deaths.log"
  for n in $fault; do [ "$n" = none ] || echo "$n" >>"$work/fault"; done
  for n in $die; do [ "$n" = none ] || echo "$n" >>"$work/die"; done
  # In a subshell whose stderr is dropped: bash reports a child killed by a signal.
  (WORK=$work EXIT_STATUS=$exit_status VELMORA_WINE_RUN="$work/runner.sh" \
     VELMORA_WINE_DEATHS_LOG="$work/deaths.log" "$wrapper" program.exe --gtest_filter=X \
     >"$work/out" 2>&1) 2>/dev/null
  status=$?
  calls=$(cat "$work/calls")
  log_lines=$(cat "$work/deaths.log" 2>/dev/null | wc -l)
  [ "$status" = "$want_status" ] || fail "$name: status $status, expected $want_status"
  [ "$calls" = "$want_calls" ] || fail "$name: $calls runs, expected $want_calls"
  [ "$log_lines" = "$want_log" ] || fail "$name: $log_lines log lines, expected $want_log"
  if [ "$want_log" = 1 ] && ! grep -q "signal 11 running: program.exe --gtest_filter=X" "$work/deaths.log"; then
    fail "$name: the log does not name the signal and the program: $(cat "$work/deaths.log")"
  fi
  if [ "$calls" = 2 ] && [ "$(grep -c '^runner call [12]: program.exe --gtest_filter=X$' "$work/out")" != 2 ]; then
    fail "$name: the second run did not get the same arguments"
  fi
  if [ "$fault" != none ] && ! grep -q '^wine: Unhandled page fault' "$work/out"; then
    fail "$name: Wine's report of the fault was not passed on"
  fi
done

# How the end-to-end tests judge the utility's exit (exit_problem): a fault
# reported by Wine fails whatever the code, a signal killing Wine is logged and
# let pass, any other code but 0 fails.
. "$(dirname "$0")/../../scripts/window.sh"
# name | exit code | Wine reports a fault | expected problem (a word of it) | log lines
exits=(
  "clean|0|no||0"
  "faulted-with-the-exception-code|5|yes|faulted|0"
  "faulted-but-exit-code-0|0|yes|faulted|0"
  "faulted-then-wine-died|139|yes|faulted|0"
  "wine-died-at-the-end|139|no||1"
  "wine-killed-by-sigabrt|134|no||1"
  "failed-with-code-1|1|no|exit code 1|0"
  "code-193-is-no-signal|193|no|exit code 193|0"
)
for row in "${exits[@]}"; do
  IFS='|' read -r name code faulted want_problem want_log <<<"$row"
  rm -f "$work/wine.err" "$work/deaths.log"
  echo "some Wine fixme line" >"$work/wine.err"
  [ "$faulted" = no ] || echo "$UNHANDLED" >>"$work/wine.err"
  problem=$(exit_problem "$code" "$work/wine.err" "$work/deaths.log" 2>/dev/null)
  log_lines=$(cat "$work/deaths.log" 2>/dev/null | wc -l)
  if [ -z "$want_problem" ]; then
    [ -z "$problem" ] || fail "exit $name: problem \"$problem\", expected none"
  else
    [[ "$problem" == *"$want_problem"* ]] || fail "exit $name: problem \"$problem\", expected \"$want_problem\""
  fi
  [ "$log_lines" = "$want_log" ] || fail "exit $name: $log_lines log lines, expected $want_log"
done

# Under the real Wine of this build, through wine-test.sh as ctest runs it: a
# program that faults fails promptly with a backtrace, not by waiting on a
# crash dialog, and is not taken for a death of Wine. (Wine's own status for it
# is mostly 5, but sometimes 0; the cases above cover both.)
rm -f "$work/deaths.log"
start=$(date +%s)
(VELMORA_WINE_DEATHS_LOG="$work/deaths.log" timeout 60 "$wrapper" "$probe" \
   >"$work/probe.out" 2>&1) 2>/dev/null
status=$?
elapsed=$(($(date +%s) - start))
[ "$status" != 0 ] || fail "fault_probe under Wine: status 0, expected a failure"
[ "$status" != 124 ] || fail "fault_probe under Wine did not end within 60s"
[ "$elapsed" -lt 30 ] || fail "fault_probe under Wine took ${elapsed}s"
grep -q "Backtrace" "$work/probe.out" || fail "fault_probe under Wine printed no backtrace"
[ ! -s "$work/deaths.log" ] || fail "fault_probe's fault was logged as a death of Wine"

if [ "$failures" -ne 0 ]; then
  echo "--- fault_probe output"; cat "$work/probe.out"
  exit 1
fi
echo "wine_test_check: all cases passed"
